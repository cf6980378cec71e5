#include "base/text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

namespace bsms {

namespace {

// Windows-1252 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t Cp1252ByteToCp(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F && kCp1252High[b - 0x80] != 0) return kCp1252High[b - 0x80];
    return b;
}

int Cp1252ByteFor(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == cp) return static_cast<int>(0x80 + i);
    // The five unassigned bytes stand for themselves; the other C1 codes have no byte.
    if (cp >= 0x80 && cp <= 0x9F && kCp1252High[cp - 0x80] == 0) return static_cast<int>(cp);
    return -1;
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when malformed.
std::size_t DecodeOne(std::string_view s, std::size_t i, char32_t& out) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        out = b0;
        return 1;
    }
    std::size_t len = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    out = cp;
    return len;
}

}  // namespace

char32_t NextCodePoint(std::string_view utf8, std::size_t& i) {
    char32_t cp = 0;
    const std::size_t len = DecodeOne(utf8, i, cp);
    if (len == 0) return Cp1252ByteToCp(static_cast<unsigned char>(utf8[i++]));
    i += len;
    return cp;
}

std::u32string Utf8ToU32(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();)
        out.push_back(NextCodePoint(utf8, i));
    return out;
}

std::string CodePointToUtf8(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    return out;
}

std::string U32ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text)
        out += CodePointToUtf8(cp);
    return out;
}

std::size_t CharCount(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size(); ++n) {
        char32_t cp = 0;
        const std::size_t len = DecodeOne(utf8, i, cp);
        i += len == 0 ? 1 : len;
    }
    return n;
}

std::string CharSubstr(std::string_view utf8, std::size_t first, std::size_t count) {
    std::size_t i = 0;
    std::size_t index = 0;
    std::size_t start = utf8.size();
    const std::size_t end =
        count > std::string_view::npos - first ? std::string_view::npos : first + count;
    for (; i < utf8.size(); ++index) {
        if (index == first) start = i;
        if (index == end) return std::string(utf8.substr(start, i - start));
        char32_t cp = 0;
        const std::size_t len = DecodeOne(utf8, i, cp);
        i += len == 0 ? 1 : len;
    }
    if (index == first) start = i;
    return start >= utf8.size() ? std::string() : std::string(utf8.substr(start));
}

std::string CharPrefix(std::string_view utf8, std::size_t count) {
    return CharSubstr(utf8, 0, count);
}

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        out += CodePointToUtf8(Cp1252ByteToCp(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    for (char32_t cp : Utf8ToU32(utf8)) {
        const int b = Cp1252ByteFor(cp);
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

bool InCp1252(char32_t cp) {
    return Cp1252ByteFor(cp) >= 0;
}

double LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    double value = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        any = true;
    }
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10) {
            value += (text[i] - '0') * scale;
            any = true;
        }
    }
    if (!any) return 0;
    return negative ? -value : value;
}

long long RoundHalfEven(double value) {
    if (std::isnan(value)) return 0;
    // Beyond the limit, infinity included (over 308 digits): the limit, which no count reaches.
    constexpr double kLimit = 9.0e18;
    if (value > kLimit) return static_cast<long long>(kLimit);
    if (value < -kLimit) return static_cast<long long>(-kLimit);
    return static_cast<long long>(std::nearbyint(value));  // default rounding mode: to even
}

std::int16_t ClampInt16(long long value) {
    if (value > std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    if (value < std::numeric_limits<std::int16_t>::min())
        return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(value);
}

std::int16_t LeadingInt16(std::string_view text) {
    return ClampInt16(RoundHalfEven(LeadingNumber(text)));
}

std::string FileNumber(long long value) {
    std::string out(1, value < 0 ? '-' : ' ');
    out += std::to_string(value < 0 ? -value : value);
    out += ' ';
    return out;
}

std::string DescribeChar(char32_t cp) {
    switch (cp) {
        case U'\t':
            return "tab";
        case U'\n':
            return "line feed";
        case U'\r':
            return "carriage return";
        case U' ':
            return "blank";
        default:
            break;
    }
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
        return buf;
    }
    std::string out = "\"";
    out += CodePointToUtf8(cp);
    out += '"';
    return out;
}

std::string Filled(std::string text, const std::string& first, const std::string& second) {
    for (const auto& [key, value] : {std::pair{"%1", &first}, std::pair{"%2", &second}})
        for (auto at = text.find(key); at != std::string::npos;
             at = text.find(key, at + value->size()))
            text.replace(at, 2, *value);
    return text;
}

std::string PlainNumber(std::string_view number) {
    std::string out;
    for (const char c : number)
        if (std::string_view(" \t-.()").find(c) == std::string_view::npos) out.push_back(c);
    return out;
}

}  // namespace bsms
