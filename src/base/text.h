// Text helpers shared by every subsystem. Texts in memory are UTF-8; files and the
// serial line are 8-bit (Windows-1252 for files, ASCII for commands).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bsms {

// Code points of a UTF-8 text; malformed bytes are taken as Windows-1252 so that nothing is lost.
std::u32string Utf8ToU32(std::string_view utf8);
// The character at byte i, read as Utf8ToU32 reads it; i moves past it. i must be in the text.
char32_t NextCodePoint(std::string_view utf8, std::size_t& i);
std::string U32ToUtf8(std::u32string_view text);
std::string CodePointToUtf8(char32_t cp);

// Number of characters (code points) of a UTF-8 text.
std::size_t CharCount(std::string_view utf8);
// The first `count` characters of a UTF-8 text.
std::string CharPrefix(std::string_view utf8, std::size_t count);
// Characters [first, first + count) of a UTF-8 text.
std::string CharSubstr(std::string_view utf8, std::size_t first, std::size_t count);

// Windows-1252 bytes to UTF-8 and back. A character that has no Windows-1252 byte becomes "?".
std::string Cp1252ToUtf8(std::string_view bytes);
std::string Utf8ToCp1252(std::string_view utf8);
// Whether one code point exists in Windows-1252.
bool InCp1252(char32_t cp);

// The number at the start of a text as the counters and size boxes read it: leading blanks,
// an optional sign, digits and an optional fraction; 0 when there is none, infinite when too
// long for a double. Rounded to an integer with halves going to the even one, held to +-9e18
// (infinity too); NaN gives 0.
double LeadingNumber(std::string_view text);
long long RoundHalfEven(double value);
// Counts are 16-bit signed: a value out of range is held at the nearest bound.
std::int16_t ClampInt16(long long value);
std::int16_t LeadingInt16(std::string_view text);

// Decimal text of an integer as the settings and counter files write it: one blank where a minus
// sign would stand and one blank after the digits (" 12 ", "-3 ").
std::string FileNumber(long long value);

// A readable name for a character in messages: the character itself in quotes, or a name for
// control characters ("tab", "U+0007").
std::string DescribeChar(char32_t cp);

// A message text with "%1" and "%2" filled in.
std::string Filled(std::string text, const std::string& first, const std::string& second = {});

// A phone number as people write it ("+39 333 123-4567", "(02) 1234.5678") without the blanks,
// hyphens, dots and parentheses that only group its digits; anything else stays to be judged.
std::string PlainNumber(std::string_view number);

}  // namespace bsms
