#include "sms/pdu_builder.h"

#include <cstdint>

#include "base/text.h"
#include "sms/address.h"
#include "sms/alphabet.h"

namespace bsms {

int PduBuild::partCount() const {
    int n = 0;
    for (const PduPart& p : parts)
        n += p.Part_User_Data.empty() ? 0 : 1;
    return n;
}

std::string PduBuild::Text3() const {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out.push_back('\r');
        out += parts[i].Part_Pdu;
    }
    return out;
}

int SmsNeeded(std::size_t chars) {
    if (chars == 0) return 0;
    if (chars <= 160) return 1;
    if (chars <= 304) return 2;
    if (chars <= 456) return 3;
    if (chars <= 608) return 4;
    return 5;
}

std::vector<std::uint8_t> Concat_Header(int n, int k) {
    // The reference number depends on the part count alone; receivers have always matched on it.
    std::uint8_t ref = 0x24;
    if (n == 3) ref = 0x29;
    if (n == 4) ref = 0x27;
    if (n == 5) ref = 0x26;
    return {
        0x06, 0x08, 0x04, 0x00, ref, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(k)};
}

BuildOutcome BuildSubmit(const SubmitRequest& request) {
    BuildOutcome outcome;
    const std::string sc = ServiceCentreDigits(request.serviceCentre);
    if (request.serviceCentre.empty() || sc.empty()) {
        outcome.refusal = BuildRefusal::ServiceCentreMissing;
        return outcome;
    }
    if (auto bad = BadServiceCentreChar(request.serviceCentre)) {
        outcome.refusal = BuildRefusal::BadServiceCentre;
        outcome.offending.push_back(*bad);
        return outcome;
    }
    if (auto bad = BadRecipientChar(request.recipient)) {
        outcome.refusal = BuildRefusal::BadRecipient;
        outcome.offending.push_back(*bad);
        return outcome;
    }
    std::u32string text = Utf8ToU32(request.text);
    if (text.size() > kMaxMessageChars) text.resize(kMaxMessageChars);
    std::vector<std::uint8_t> septets;
    septets.reserve(text.size());
    for (char32_t c : text) {
        const int v = SeptetOf(c);
        if (v < 0) {
            outcome.refusal = BuildRefusal::UnencodableText;
            outcome.offending = UnencodableChars(U32ToUtf8(text));
            return outcome;
        }
        septets.push_back(static_cast<std::uint8_t>(v));
    }

    PduBuild& b = outcome.build;
    const std::size_t length = septets.size();
    const bool concatenated = length > 160;
    b.Pdu_Sc_Field = Encode_Service_Centre(sc);
    b.Pdu_First_Octet =
        request.statusReport ? (concatenated ? "71" : "31") : (concatenated ? "51" : "11");
    b.Pdu_Message_Ref = "F3";
    b.Pdu_Dest_Field = Encode_Destination(request.recipient);
    b.Pdu_Pid = "00";
    b.Pdu_Dcs = request.flash ? "F0" : "00";
    b.Pdu_Validity = "FF";

    if (!concatenated) {
        b.parts[0].Part_User_Data = Pack_User_Data({}, septets);
    } else {
        const int n = SmsNeeded(length);
        for (int k = 1; k <= n; ++k) {
            const std::size_t first = kCharsPerPart * static_cast<std::size_t>(k - 1);
            const std::size_t count = k < n ? kCharsPerPart : length - first;
            const std::vector<std::uint8_t> slice(septets.begin() + first,
                                                  septets.begin() + first + count);
            b.parts[k - 1].Part_User_Data = Pack_User_Data(Concat_Header(n, k), slice);
        }
    }

    const std::string head = b.Pdu_First_Octet + b.Pdu_Message_Ref + b.Pdu_Dest_Field + b.Pdu_Pid +
                             b.Pdu_Dcs + b.Pdu_Validity;
    for (PduPart& part : b.parts) {
        if (part.Part_User_Data.empty()) continue;
        part.Part_Length = static_cast<int>((head.size() + part.Part_User_Data.size()) / 2);
        part.Part_Pdu = b.Pdu_Sc_Field + head + part.Part_User_Data;
    }
    return outcome;
}

}  // namespace bsms
