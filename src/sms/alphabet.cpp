#include "sms/alphabet.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/text.h"
#include "sms/tpdu.h"

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

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

// Eight septets (the low seven bits of eight octets) as the 56 bits they pack into: on a
// little-endian machine the octets are read as one word and their bits closed up pairwise.
std::uint64_t EightSeptets(const std::uint8_t* septets) {
    std::uint64_t y = 0;
    if constexpr (kLittleEndian) {
        std::memcpy(&y, septets, 8);
        y &= 0x7F7F7F7F7F7F7F7FULL;
        y = (y & 0x007F007F007F007FULL) | ((y & 0x7F007F007F007F00ULL) >> 1);
        y = (y & 0x00003FFF00003FFFULL) | ((y & 0x3FFF00003FFF0000ULL) >> 2);
        return (y & 0x000000000FFFFFFFULL) | ((y & 0x0FFFFFFF00000000ULL) >> 4);
    }
    for (int k = 0; k < 8; ++k)
        y |= std::uint64_t{septets[k] & 0x7FU} << (7 * k);
    return y;
}

// Stores the low `octets` octets of `bits`, least significant first; `out` has room for eight.
void StoreOctets(std::uint64_t bits, std::uint8_t* out, std::size_t octets) {
    if constexpr (kLittleEndian) {
        std::memcpy(out, &bits, 8);
    } else {
        for (std::size_t k = 0; k < octets; ++k)
            out[k] = static_cast<std::uint8_t>(bits >> (8 * k));
    }
}

// Packs septets into octets; `out` must have room for seven octets more than are written.
// Returns the number of octets.
std::size_t PackOctets(const std::uint8_t* septets, std::size_t count, std::uint8_t* out) {
    std::size_t i = 0, n = 0;
    for (; i + 8 <= count; i += 8, n += 7)
        StoreOctets(EightSeptets(septets + i), out + n, 7);
    if (i < count) {
        std::uint64_t bits = 0;
        for (std::size_t k = 0; i + k < count; ++k)
            bits |= std::uint64_t{septets[i + k] & 0x7FU} << (7 * k);
        const std::size_t octets = ((count - i) * 7 + 7) / 8;
        StoreOctets(bits, out + n, octets);
        n += octets;
    }
    return n;
}

#if defined(__SSE2__)
// Whether sixteen bytes are ASCII characters that are their own septet: line breaks and the
// printable ones but "$", "@", "[" to "`" and "{" to DEL.
bool OwnSeptets(__m128i x) {
    const auto any = [x](char c) { return _mm_cmpeq_epi8(x, _mm_set1_epi8(c)); };
    const auto above = [x](char c) { return _mm_cmpgt_epi8(x, _mm_set1_epi8(c)); };
    // Bytes from 0x80 on are negative here, so they count as control characters.
    const __m128i control = _mm_andnot_si128(_mm_or_si128(any('\n'), any('\r')),
                                             _mm_cmplt_epi8(x, _mm_set1_epi8(0x20)));
    const __m128i brackets = _mm_andnot_si128(above(0x60), above(0x5A));
    const __m128i other = _mm_or_si128(_mm_or_si128(any('$'), any('@')), above(0x7A));
    return _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(control, brackets), other)) == 0;
}
#endif

// Two upper-case hexadecimal digits per octet, sixteen octets at a time where SSE2 is there.
char* OctetsToHex(const std::uint8_t* octets, std::size_t n, char* out) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi8(0x0F);
    const __m128i nine = _mm_set1_epi8(9);
    const __m128i zero = _mm_set1_epi8('0');
    const __m128i gap = _mm_set1_epi8('A' - '0' - 10);
    for (; i + 16 <= n; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(octets + i));
        const __m128i hi = _mm_and_si128(_mm_srli_epi16(x, 4), low);
        const __m128i lo = _mm_and_si128(x, low);
        for (__m128i d : {_mm_unpacklo_epi8(hi, lo), _mm_unpackhi_epi8(hi, lo)}) {
            d = _mm_add_epi8(_mm_add_epi8(d, zero), _mm_and_si128(_mm_cmpgt_epi8(d, nine), gap));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), d);
            out += 16;
        }
    }
#endif
    for (; i < n; ++i, out += 2)
        std::memcpy(out, Hex_Pair(octets[i]).data(), 2);
    return out;
}

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

int ExtensionSeptetOf(char32_t c) {
    switch (c) {
        case U'\f':
            return 0x0A;
        case U'^':
            return 0x14;
        case U'{':
            return 0x28;
        case U'}':
            return 0x29;
        case U'\\':
            return 0x2F;
        case U'[':
            return 0x3C;
        case U'~':
            return 0x3D;
        case U']':
            return 0x3E;
        case U'|':
            return 0x40;
        case U'\u20AC':  // euro sign
            return 0x65;
        default:
            return -1;
    }
}

char* Pack_Septets_Hex(const std::uint8_t* septets, std::size_t count, char* out) {
    // TP-UDL counts at most 255 septets.
    std::uint8_t octets[224 + 8];
    std::size_t done = 0;
    while (done < count) {
        const std::size_t chunk = std::min<std::size_t>(count - done, 256);
        const std::size_t n = PackOctets(septets + done, chunk, octets);
        out = OctetsToHex(octets, n, out);
        done += chunk;
    }
    return out;
}

long Text_To_Septets(std::string_view text, std::uint8_t* out, std::size_t max) {
    // Septet values as octets: 0xFF (-1) for a character the table lacks.
    const auto* septetOf = reinterpret_cast<const std::uint8_t*>(TheTables().byCodePoint.data());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    std::size_t n = 0;
    unsigned bad = 0;
    // ASCII, sixteen or eight characters at a time, and two-byte sequences below U+0100 are read
    // here; anything else takes the general decoder, so that malformed bytes read exactly as
    // Utf8ToU32 reads them.
    while (p < end && n < max) {
        const unsigned char* start = p;
        std::size_t ascii = 0;  // ASCII characters at p
        if (end - p >= 16 && max - n >= 16) {
#if defined(__SSE2__)
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            if (OwnSeptets(x)) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), x);
                p += 16;
                n += 16;
                continue;
            }
            const int high = _mm_movemask_epi8(x);
            ascii = high == 0
                        ? 16
                        : static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(high)));
#else
            while (ascii < 16 && p[ascii] < 0x80)
                ++ascii;
#endif
        } else {
            while (p + ascii < end && n + ascii < max && p[ascii] < 0x80)
                ++ascii;
        }
        for (std::size_t k = 0; k < ascii; ++k) {
            out[n + k] = septetOf[p[k]];
            bad |= out[n + k];
        }
        p += ascii;
        n += ascii;
        // Two-byte sequences that follow.
        while (p + 1 < end && n < max && (*p == 0xC2 || *p == 0xC3) && (p[1] & 0xC0) == 0x80) {
            out[n] = septetOf[((p[0] & 0x1F) << 6) | (p[1] & 0x3F)];
            bad |= out[n++];
            p += 2;
        }
        if (p == start) break;  // a character this loop does not read
    }
    if (bad & 0x80U) return -1;
    if (p == end || n == max) return static_cast<long>(n);
    // The rest one character at a time: the first the table lacks ends it.
    const std::string_view rest(reinterpret_cast<const char*>(p),
                                static_cast<std::size_t>(end - p));
    for (std::size_t i = 0; i < rest.size() && n < max; ++n) {
        const int v = SeptetOf(NextCodePoint(rest, i));
        if (v < 0) return -1;
        out[n] = static_cast<std::uint8_t>(v);
    }
    return static_cast<long>(n);
}

std::string Pack_User_Data(const std::vector<std::uint8_t>& header,
                           const std::vector<std::uint8_t>& septets) {
    std::vector<std::uint8_t> octets(header);
    const std::size_t headerSeptets = (header.size() * 8 + 6) / 7;
    std::size_t count = septets.size();
    if (headerSeptets + count > tp::kMaxUdl)
        count = headerSeptets > tp::kMaxUdl ? 0 : tp::kMaxUdl - headerSeptets;
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
        if (v >= 0 && septets.size() < tp::kMaxUdl) septets.push_back(static_cast<std::uint8_t>(v));
    }
    std::string out(2 + (septets.size() * 7 + 7) / 8 * 2, '0');
    std::memcpy(out.data(), Hex_Pair(static_cast<unsigned>(septets.size())).data(), 2);
    Pack_Septets_Hex(septets.data(), septets.size(), out.data() + 2);
    return out;
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
    return std::string(Hex_Pair(value));
}

}  // namespace bsms
