// SMS PDUs as a phone holds and checks them: the GSM 7-bit default alphabet with its extension
// table, UCS2, semi-octet addresses, SMS-DELIVER building and SMS-SUBMIT checking.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phonesim {

using Bytes = std::vector<std::uint8_t>;

std::string ToHex(const Bytes& bytes);
// Upper- or lower-case digits, even count; nothing otherwise.
std::optional<Bytes> FromHex(std::string_view hex);

// Septets of a text in the default alphabet, extension characters as escape pairs; nothing when
// a character has no place in either table.
std::optional<Bytes> GsmSeptets(std::u32string_view text);
// The default alphabet as a character set of the terminal (AT+CSCS="GSM"): one byte per septet.
std::string ToGsmCharset(std::u32string_view text);
// And back: nothing for a byte above 0x7F or an escape with no extension character after it.
std::optional<std::u32string> FromGsmCharset(std::string_view bytes);

// Packs septets into `out` from septet position `start`; the octets before it (a user data
// header) must already be in `out`.
void PackSeptets(const Bytes& septets, std::size_t start, Bytes& out);

// Address field of a number: "+" gives the international type 145, digits alone type 129 (or
// `type` when given), anything else is sent as an alphanumeric address. The service-centre form
// counts octets, the other form counts digits. Throws std::invalid_argument for a bad number.
Bytes EncodeAddress(std::string_view number, bool serviceCentre, int type = 0);

struct Timestamp {
    int year = 25, month = 1, day = 15, hour = 12, minute = 0, second = 0;
    int quarterHours = 4;  // time zone, may be negative
};
// "yy/MM/dd,hh:mm:ss+zz" as AT+CCLK writes it, zz in quarters of an hour.
std::optional<Timestamp> ParseTimestamp(std::string_view text);
// A moment in this computer's local time, its zone (tm_gmtoff) in quarters of an hour, as a
// network stamps what it hands on.
Timestamp LocalTimestamp(std::time_t when);

enum class Coding { Auto, Gsm7, Ucs2 };

struct Deliver {
    std::string sender;
    int senderType = 0;  // 0: from the number's form
    std::string serviceCentre;
    Timestamp time;
    std::string text;  // UTF-8
    Coding coding = Coding::Auto;
    int reference = 0;  // concatenation reference of a long text
    bool flash = false;
};

// One SMS-DELIVER per part, as hexadecimal text with the service-centre field in front; texts
// that do not fit one message get a concatenation header (8-bit reference). Throws
// std::invalid_argument when the text cannot take the chosen coding or the sender is bad.
std::vector<std::string> BuildDeliver(const Deliver& message);

// What a status report needs of an accepted SMS-SUBMIT: whether it asks for one, and its
// destination address field as given. Nothing for a PDU that is no SUBMIT.
struct SubmitFacts {
    bool reportWanted = false;
    Bytes destination;
};
std::optional<SubmitFacts> ReadSubmitFacts(std::string_view hex);

// An SMS-STATUS-REPORT (service-centre field first) on the message of `reference` sent to
// `destination` (an address field as in its SUBMIT), with TP-ST `status`.
std::string BuildStatusReport(std::string_view serviceCentre, int reference,
                              const Bytes& destination, const Timestamp& time, int status);

// Length in octets after the service-centre field of a hexadecimal PDU; nothing when malformed.
std::optional<int> TpduLength(std::string_view hex);

// Checks a PDU given after AT+CMGS=n or AT+CMGW=n: empty when it is a well-formed SMS-SUBMIT
// whose length after the service-centre field is n, else why not.
std::string CheckSubmit(std::string_view hex, int length);

}  // namespace phonesim
