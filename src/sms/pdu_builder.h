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
// UTF-16 units one UCS2 SMS holds, and each part behind the seven-octet concatenation header.
inline constexpr std::size_t kUcs2SingleUnits = 70;
inline constexpr std::size_t kUcs2UnitsPerPart = 66;

// How a text is sent: in the program's 7-bit alphabet alone (the texts the program always sent,
// byte for byte as ever), with characters of the extension table behind escapes, or in UCS2.
enum class Encoding { Gsm7, Gsm7Extended, Ucs2 };

// A text as the builder splits it: its size in the units of its encoding (septets, an escape
// counted; UTF-16 units), what a part holds (alone, or in a concatenated message), what five
// parts hold, the SMS it needs (more than kMaxParts when it does not fit) and how many of its
// characters the parts carry. An escape and its character, or a surrogate pair, are never
// split across parts.
struct MessagePlan {
    Encoding encoding = Encoding::Gsm7;
    std::size_t units = 0;
    std::size_t perPart = kSingleSmsChars;
    std::size_t capacity = kMaxMessageChars;
    std::size_t parts = 0;
    std::size_t keptChars = 0;
    bool fits() const { return parts <= kMaxParts; }
};
MessagePlan PlanMessage(std::string_view text);

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
    ServiceCentreTooLong,  // more digits than an address holds (tp::kMaxAddressDigits)
    RecipientTooLong,
};

struct BuildOutcome {
    BuildRefusal refusal = BuildRefusal::None;
    // The offending character of a number.
    std::vector<char32_t> offending;
    PduBuild build;  // all parts empty on any refusal
};

// Validates the request and builds its PDUs: refuses a missing service centre, or a number with
// a sign it may not hold or more than 20 digits. The text goes out in the encoding PlanMessage
// chooses; what does not fit in five parts is cut, as the editor would have refused it.
BuildOutcome BuildSubmit(const SubmitRequest& request);

// Number of SMS a text of this many characters of the 7-bit alphabet needs (0 for none, at
// most 5).
int SmsNeeded(std::size_t chars);

// The seven-octet concatenation header of part k (1-based) of an n-part message.
std::vector<std::uint8_t> Concat_Header(int n, int k);

}  // namespace bsms
