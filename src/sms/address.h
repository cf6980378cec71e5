// Telephone numbers as the address fields of an SMS-SUBMIT (semi-octets, hexadecimal).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bsms {

// TP-DA of a recipient: digit count, type "91" (leading "+") or "81", swapped digits. "*" and
// "#" are written as the semi-octets A and B. The number holds at most 255 digits (the builder
// refuses more than 20 before it gets here); its characters are taken as they are.
std::string Encode_Destination(std::string_view number);

// Service-centre address field: octet count, "91", swapped digits. The number comes without
// its "+" (see ServiceCentreDigits); the same limits hold.
std::string Encode_Service_Centre(std::string_view number);

// The first character that keeps a recipient from being sent: only digits, "*" and "#" may
// follow an optional leading "+".
std::optional<char32_t> BadRecipientChar(std::string_view number);

// The same for a service centre: only digits after an optional leading "+".
std::optional<char32_t> BadServiceCentreChar(std::string_view number);

// A service-centre number without its leading "+" (the type is always international): a view
// into `number`.
std::string_view ServiceCentreDigits(std::string_view number);

}  // namespace bsms
