// Turns a typed message into the SMS-SUBMIT PDUs given to the phone, split into up to five
// concatenated parts. Pure: the window's `Elabora` handler calls it and shows the outcome.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bsms {

// Characters one SMS holds without a header.
inline constexpr std::size_t kSingleSmsChars = 160;
// Characters of text in each part of a concatenated message.
inline constexpr std::size_t kCharsPerPart = 152;
inline constexpr std::size_t kMaxParts = 5;
// Longest text the editor lets the user type, and so the longest the builder splits.
inline constexpr std::size_t kMaxMessageChars = kCharsPerPart * kMaxParts;

struct SubmitRequest {
    std::string serviceCentre;  // as typed, with or without "+"
    std::string recipient;
    std::string text;  // UTF-8; a line break is CR LF
    bool statusReport = false;
    bool flash = false;
};

struct PduPart {
    std::string Part_User_Data;  // TP-UDL and TP-UD; empty when the part does not exist
    std::string Part_Pdu;        // the whole PDU, service-centre field first
    int Part_Length = 0;         // octets after the service-centre field, for AT+CMGS=
};

struct PduBuild {
    std::string Pdu_Sc_Field, Pdu_First_Octet, Pdu_Message_Ref, Pdu_Dest_Field, Pdu_Pid, Pdu_Dcs,
        Pdu_Validity;
    std::array<PduPart, kMaxParts> parts;

    int partCount() const;
    // The five PDUs joined by carriage returns, empty ones included (always four separators).
    std::string Text3() const;
};

enum class BuildRefusal {
    None,
    ServiceCentreMissing,
    BadServiceCentre,
    BadRecipient,
    UnencodableText,
    ServiceCentreTooLong,  // more digits than an address holds (tp::kMaxAddressDigits)
    RecipientTooLong,
};

struct BuildOutcome {
    BuildRefusal refusal = BuildRefusal::None;
    // The offending character of a number, or every distinct character the text cannot carry.
    std::vector<char32_t> offending;
    PduBuild build;  // all parts empty on any refusal
};

// Validates the request and builds its PDUs: refuses a missing service centre, a number with a
// sign it may not hold or more than 20 digits, and a text with characters the alphabet lacks. A
// text longer than kMaxMessageChars is cut there, as the editor would have done.
BuildOutcome BuildSubmit(const SubmitRequest& request);

// Number of SMS a text of this many characters needs (0 for none, at most 5).
int SmsNeeded(std::size_t chars);

// The seven-octet concatenation header of part k (1-based) of an n-part message.
std::vector<std::uint8_t> Concat_Header(int n, int k);

}  // namespace bsms
