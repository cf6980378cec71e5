#include "sms/alphabet.h"

#include "base/text.h"

namespace bsms {

namespace {

struct Tables {
    std::array<std::string, 128> bySeptet;
    // Every character of the table lies below U+0100, so the reverse look-up is a flat array.
    std::array<std::int8_t, 256> byCodePoint{};
};

Tables MakeTables() {
    Tables t;
    std::array<char32_t, 128> cp{};
    const char32_t low[] = {U'@',   0x00A3, U'$',   0x00A5, 0x00E8, 0x00E9, 0x00F9, 0x00EC, 0x00F2,
                            0x00E7, U'\n',  0x00D8, 0x00F8, U'\r',  0x00C5, 0x00E5, 0x00B3, U'_'};
    for (int v = 0; v < 0x12; ++v)
        cp[v] = low[v];
    cp[0x1C] = 0x00C6;
    cp[0x1D] = 0x00E6;
    cp[0x1E] = 0x00DF;
    cp[0x1F] = 0x00C9;
    for (int v = 0x20; v <= 0x5A; ++v)
        cp[v] = static_cast<char32_t>(v);
    cp[0x24] = 0x00A4;
    cp[0x40] = 0x00A1;
    const char32_t upper[] = {0x00C4, 0x00D6, 0x00D1, 0x00DC, 0x00A7, 0x00BF};
    for (int v = 0x5B; v <= 0x60; ++v)
        cp[v] = upper[v - 0x5B];
    for (int v = 0x61; v <= 0x7A; ++v)
        cp[v] = static_cast<char32_t>(v);
    const char32_t top[] = {0x00E4, 0x00F6, 0x00F1, 0x00FC, 0x00E0};
    for (int v = 0x7B; v <= 0x7F; ++v)
        cp[v] = top[v - 0x7B];

    t.byCodePoint.fill(-1);
    for (int v = 0; v < 128; ++v) {
        const bool empty = v >= 0x12 && v <= 0x1B;
        if (empty) continue;
        t.bySeptet[v] = CodePointToUtf8(cp[v]);
        // The lowest value wins should a character ever appear twice.
        if (t.byCodePoint[cp[v]] < 0) t.byCodePoint[cp[v]] = static_cast<std::int8_t>(v);
    }
    return t;
}

const Tables& TheTables() {
    static const Tables tables = MakeTables();
    return tables;
}

// Appends septets to a bit stream in which septet i occupies bits 7i..7i+6 and stream bit b is
// bit (b mod 8) of octet (b div 8).
class SeptetWriter {
  public:
    explicit SeptetWriter(std::size_t bitOffset, std::vector<std::uint8_t>& octets)
        : bit_(bitOffset), octets_(octets) {}
    void Put(unsigned septet) {
        for (int i = 0; i < 7; ++i, ++bit_) {
            const std::size_t index = bit_ / 8;
            if (index >= octets_.size()) octets_.push_back(0);
            if ((septet >> i) & 1U) octets_[index] |= static_cast<std::uint8_t>(1U << (bit_ % 8));
        }
    }

  private:
    std::size_t bit_;
    std::vector<std::uint8_t>& octets_;
};

constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

void Init_Alphabet() {
    (void)TheTables();
}

const std::array<std::string, 128>& Gsm_Alphabet() {
    return TheTables().bySeptet;
}

int SeptetOf(char32_t c) {
    return c < 256 ? TheTables().byCodePoint[c] : -1;
}

std::string_view Gsm_Extension(int septet) {
    switch (septet) {
        case 0x0A:
            return "\f";
        case 0x14:
            return "^";
        case 0x28:
            return "{";
        case 0x29:
            return "}";
        case 0x2F:
            return "\\";
        case 0x3C:
            return "[";
        case 0x3D:
            return "~";
        case 0x3E:
            return "]";
        case 0x40:
            return "|";
        case 0x65:
            return "\xE2\x82\xAC";  // euro sign
        default:
            return {};
    }
}

std::vector<char32_t> UnencodableChars(std::string_view text) {
    std::vector<char32_t> bad;
    for (char32_t c : Utf8ToU32(text)) {
        if (SeptetOf(c) >= 0) continue;
        bool seen = false;
        for (char32_t b : bad)
            seen = seen || b == c;
        if (!seen) bad.push_back(c);
    }
    return bad;
}

std::string Pack_User_Data(const std::vector<std::uint8_t>& header,
                           const std::vector<std::uint8_t>& septets) {
    std::vector<std::uint8_t> octets(header);
    const std::size_t headerSeptets = (header.size() * 8 + 6) / 7;
    std::size_t count = septets.size();
    if (headerSeptets + count > 255) count = headerSeptets > 255 ? 0 : 255 - headerSeptets;
    SeptetWriter writer(headerSeptets * 7, octets);
    for (std::size_t i = 0; i < count; ++i)
        writer.Put(septets[i] & 0x7FU);

    std::string out = Byte_To_Hex(static_cast<unsigned>(headerSeptets + count));
    out.reserve(2 + octets.size() * 2);
    for (std::uint8_t o : octets)
        out += Byte_To_Hex(o);
    return out;
}

std::string Pack_Septets(std::string_view text) {
    std::vector<std::uint8_t> septets;
    septets.reserve(text.size());
    for (char32_t c : Utf8ToU32(text)) {
        const int v = SeptetOf(c);
        if (v >= 0) septets.push_back(static_cast<std::uint8_t>(v));
    }
    return Pack_User_Data({}, septets);
}

std::string Septet_Bits(std::string_view hex) {
    // One digit stands for the low nibble.
    const int value = hex.size() == 1 ? Hex_Nibble(hex[0]) : Hex_To_Byte(hex);
    std::string bits(7, '0');
    for (int i = 0; i < 7; ++i)
        if ((value >> i) & 1) bits[6 - i] = '1';
    return bits;
}

std::string Bits_To_Hex(std::string_view bits) {
    unsigned long long value = 0;
    const std::size_t n = bits.size();
    for (std::size_t k = 0; k < n && k < 64; ++k)
        if (bits[n - 1 - k] == '1') value |= 1ULL << k;
    std::string out;
    do {
        out.insert(out.begin(), kHexDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (out.size() < 2) out.insert(out.begin(), '0');
    return out;
}

int Hex_Nibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

int Hex_To_Byte(std::string_view two) {
    const int high = two.size() > 0 ? Hex_Nibble(two[0]) : 0;
    const int low = two.size() > 1 ? Hex_Nibble(two[1]) : 0;
    return high * 16 + low;
}

std::string Byte_To_Hex(unsigned value) {
    return {kHexDigits[(value >> 4) & 0xF], kHexDigits[value & 0xF]};
}

}  // namespace bsms
