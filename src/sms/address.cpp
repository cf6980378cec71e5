#include "sms/address.h"

#include <cstring>

#include "base/text.h"
#include "sms/alphabet.h"
#include "sms/tpdu.h"

namespace bsms {

namespace {

// The semi-octet of one character of a number: "*" and "#" are A and B (TS 23.040 9.1.2.3).
char SemiOctet(char c) {
    if (c == '*') return 'A';
    if (c == '#') return 'B';
    return c;
}

// Writes the digits with each pair exchanged, an odd count padded with "F".
void PutSwapped(char* out, std::string_view digits) {
    std::size_t i = 0;
    for (; i + 1 < digits.size(); i += 2, out += 2) {
        out[0] = SemiOctet(digits[i + 1]);
        out[1] = SemiOctet(digits[i]);
    }
    if (i < digits.size()) {
        out[0] = 'F';
        out[1] = SemiOctet(digits[i]);
    }
}

// A length octet, a type octet and the swapped digits.
std::string AddressField(unsigned length, unsigned type, std::string_view digits) {
    std::string out(4 + (digits.size() + 1) / 2 * 2, '\0');
    std::memcpy(out.data(), Hex_Pair(length).data(), 2);
    std::memcpy(out.data() + 2, Hex_Pair(type).data(), 2);
    PutSwapped(out.data() + 4, digits);
    return out;
}

std::optional<char32_t> FirstBad(std::string_view number, bool allowStarHash) {
    const std::size_t from = !number.empty() && number[0] == '+' ? 1 : 0;
    for (std::size_t i = from; i < number.size(); ++i) {
        const char c = number[i];
        const bool ok = (c >= '0' && c <= '9') || (allowStarHash && (c == '*' || c == '#'));
        // All that went before is ASCII, so a character starts here.
        if (!ok) return Utf8ToU32(number.substr(i)).front();
    }
    return std::nullopt;
}

}  // namespace

std::string Encode_Destination(std::string_view number) {
    const bool international = !number.empty() && number.front() == '+';
    const std::string_view digits = international ? number.substr(1) : number;
    return AddressField(static_cast<unsigned>(digits.size()),
                        international ? tp::kTypeInternational : tp::kTypeUnknown, digits);
}

std::string Encode_Service_Centre(std::string_view number) {
    return AddressField(static_cast<unsigned>(1 + (number.size() + 1) / 2), tp::kTypeInternational,
                        number);
}

std::optional<char32_t> BadRecipientChar(std::string_view number) {
    return FirstBad(number, true);
}

std::optional<char32_t> BadServiceCentreChar(std::string_view number) {
    return FirstBad(number, false);
}

std::string_view ServiceCentreDigits(std::string_view number) {
    if (!number.empty() && number.front() == '+') number.remove_prefix(1);
    return number;
}

}  // namespace bsms
