// The GSM 7-bit default alphabet as this program uses it, and the septet packing of the
// SMS-SUBMIT user data. Texts are UTF-8; hexadecimal output is upper case.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bsms {

// Fills the table; safe to call any number of times (the table is also filled on first use).
void Init_Alphabet();

// Entry v is the character of septet value v (UTF-8), or empty for 0x12..0x1B. Note the
// program's own choices: 0x10 is "³" (the window code page has no capital delta) and 0x09 is
// the lower-case "ç".
const std::array<std::string, 128>& Gsm_Alphabet();

// The septet value of one character, or -1 when the table does not hold it.
int SeptetOf(char32_t c);

// Escape value that opens the extension table.
inline constexpr int kGsmEscape = 0x1B;

// The character that the extension table gives for the septet after an escape (UTF-8), or the
// empty text when the extension table has nothing there.
std::string_view Gsm_Extension(int septet);
// The septet that follows an escape for a character of the extension table (TS 23.038 6.2.1.1:
// form feed, ^ { } \ [ ~ ] | and the euro sign), or -1.
int ExtensionSeptetOf(char32_t c);

// TP-UDL followed by TP-UD of a text, both hexadecimal. The text should hold at most 160
// characters, all of them in the table; characters outside it are left out, and packing stops
// at 255 septets, the most TP-UDL can count.
std::string Pack_Septets(std::string_view text);

// The upper-case hexadecimal digits of septet values packed from an octet boundary, written to
// `out`, which must hold 2 * ceil(7 * count / 8) characters; returns the end of what it wrote.
// Only the low seven bits of each value count.
char* Pack_Septets_Hex(const std::uint8_t* septets, std::size_t count, char* out);

// Septet values of a UTF-8 text, at most `max` of them (the rest is left out), written to `out`;
// their count, or -1 when a character is not in the table. Malformed bytes are read as
// Windows-1252, as Utf8ToU32 does.
long Text_To_Septets(std::string_view text, std::uint8_t* out, std::size_t max);

// The same for septet values already looked up, packed behind a user data header: the header
// octets (UDHL included) come first and the septets start at the next septet boundary, so
// TP-UDL counts the header's septets as well.
std::string Pack_User_Data(const std::vector<std::uint8_t>& header,
                           const std::vector<std::uint8_t>& septets);

// The seven low bits of a value given as one or two hexadecimal digits, most significant first.
std::string Septet_Bits(std::string_view hex);

// A text of "0" and "1" (last character is bit 0) as hexadecimal, at least two digits.
std::string Bits_To_Hex(std::string_view bits);

// Value 0..15 of one hexadecimal digit, either case; any other character counts 0.
int Hex_Nibble(char c);

// Two hexadecimal digits to an octet, either case; a character that is no hexadecimal digit,
// or a missing one, counts 0.
int Hex_To_Byte(std::string_view two);

// The two upper-case hexadecimal digits of every octet value, one after the other.
inline constexpr std::array<char, 512> kHexPairText = [] {
    std::array<char, 512> t{};
    for (std::size_t v = 0; v < 256; ++v) {
        t[2 * v] = "0123456789ABCDEF"[v >> 4];
        t[2 * v + 1] = "0123456789ABCDEF"[v & 0xF];
    }
    return t;
}();

// An octet (the low eight bits of `value`) as two upper-case hexadecimal digits.
inline std::string_view Hex_Pair(unsigned value) {
    return {kHexPairText.data() + 2 * std::size_t{value & 0xFF}, 2};
}
std::string Byte_To_Hex(unsigned value);

}  // namespace bsms
