#include "sms/address.h"

#include "base/text.h"
#include "sms/alphabet.h"

namespace bsms {

namespace {

// Pads an odd count with "F" and exchanges the characters of each pair.
std::string SwapSemiOctets(std::string_view digits) {
    std::string s;
    s.reserve(digits.size() + 1);
    for (char c : digits) {
        if (c == '*') c = 'A';
        if (c == '#') c = 'B';
        s.push_back(c);
    }
    if (s.size() % 2 != 0) s.push_back('F');
    for (std::size_t i = 0; i + 1 < s.size(); i += 2)
        std::swap(s[i], s[i + 1]);
    return s;
}

std::optional<char32_t> FirstBad(std::string_view number, bool allowStarHash) {
    std::u32string cps = Utf8ToU32(number);
    std::size_t i = !cps.empty() && cps[0] == U'+' ? 1 : 0;
    for (; i < cps.size(); ++i) {
        const char32_t c = cps[i];
        const bool ok = (c >= U'0' && c <= U'9') || (allowStarHash && (c == U'*' || c == U'#'));
        if (!ok) return c;
    }
    return std::nullopt;
}

// A count in hexadecimal, at least two digits (an absurdly long number gets more).
std::string CountHex(std::size_t n) {
    std::string out = Byte_To_Hex(static_cast<unsigned>(n & 0xFF));
    for (n >>= 8; n != 0; n >>= 8)
        out.insert(0, Byte_To_Hex(static_cast<unsigned>(n & 0xFF)));
    if (out.size() > 2 && out.front() == '0') out.erase(0, 1);
    return out;
}

}  // namespace

std::string Encode_Destination(std::string_view number) {
    const bool international = !number.empty() && number.front() == '+';
    const std::string_view digits = international ? number.substr(1) : number;
    return CountHex(digits.size()) + (international ? "91" : "81") + SwapSemiOctets(digits);
}

std::string Encode_Service_Centre(std::string_view number) {
    const std::string body = "91" + SwapSemiOctets(number);
    return CountHex(body.size() / 2) + body;
}

std::optional<char32_t> BadRecipientChar(std::string_view number) {
    return FirstBad(number, true);
}

std::optional<char32_t> BadServiceCentreChar(std::string_view number) {
    return FirstBad(number, false);
}

std::string ServiceCentreDigits(std::string_view number) {
    if (!number.empty() && number.front() == '+') number.remove_prefix(1);
    return std::string(number);
}

}  // namespace bsms
