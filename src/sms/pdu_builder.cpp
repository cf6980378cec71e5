#include "sms/pdu_builder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

#include "base/text.h"
#include "sms/address.h"
#include "sms/alphabet.h"
#include "sms/tpdu.h"

namespace bsms {

namespace {

// The concatenation header fills exactly eight septets, so the text after it starts on an
// octet boundary.
inline constexpr std::size_t kConcatHeaderOctets = 7;
inline constexpr std::size_t kConcatHeaderSeptets = 8;
static_assert(kConcatHeaderOctets * 8 == kConcatHeaderSeptets * 7);
static_assert(kCharsPerPart + kConcatHeaderSeptets == tp::kMaxSeptets);

using ConcatHeader = std::array<std::uint8_t, kConcatHeaderOctets>;

ConcatHeader ConcatHeaderOf(int n, int k) {
    // The reference number depends on the part count alone; receivers have always matched on it.
    std::uint8_t ref = 0x24;
    if (n == 3) ref = 0x29;
    if (n == 4) ref = 0x27;
    if (n == 5) ref = 0x26;
    return {kConcatHeaderOctets - 1,
            tp::kIeiConcat16,
            0x04,
            0x00,
            ref,
            static_cast<std::uint8_t>(n),
            static_cast<std::uint8_t>(k)};
}

// Part_User_Data: TP-UDL, the header octets, then the packed septets.
std::string UserData(const std::uint8_t* header, std::size_t headerOctets,
                     std::size_t headerSeptets, const std::uint8_t* septets, std::size_t count) {
    std::string ud(2 + (headerOctets + (count * 7 + 7) / 8) * 2, '0');
    char* out = ud.data();
    const auto putOctet = [&out](unsigned v) {
        std::memcpy(out, Hex_Pair(v).data(), 2);
        out += 2;
    };
    putOctet(static_cast<unsigned>(headerSeptets + count));
    for (std::size_t i = 0; i < headerOctets; ++i)
        putOctet(header[i]);
    Pack_Septets_Hex(septets, count, out);
    return ud;
}

// Digits of a number that already passed its character check: all but a leading "+".
std::size_t DigitCount(std::string_view number) {
    return number.size() - (!number.empty() && number.front() == '+' ? 1 : 0);
}

// Why the request cannot be built, in the order the user is told: service centre, recipient,
// text. `offending` gets the character of a number, or every one the text cannot carry.
BuildRefusal Refusal(const SubmitRequest& request, std::vector<char32_t>& offending,
                     bool unencodable) {
    const std::string_view sc = ServiceCentreDigits(request.serviceCentre);
    if (sc.empty()) return BuildRefusal::ServiceCentreMissing;
    if (auto bad = BadServiceCentreChar(request.serviceCentre)) {
        offending = {*bad};
        return BuildRefusal::BadServiceCentre;
    }
    if (sc.size() > tp::kMaxAddressDigits) return BuildRefusal::ServiceCentreTooLong;
    if (auto bad = BadRecipientChar(request.recipient)) {
        offending = {*bad};
        return BuildRefusal::BadRecipient;
    }
    if (DigitCount(request.recipient) > tp::kMaxAddressDigits)
        return BuildRefusal::RecipientTooLong;
    if (unencodable) {
        offending = UnencodableChars(CharPrefix(request.text, kMaxMessageChars));
        return BuildRefusal::UnencodableText;
    }
    return BuildRefusal::None;
}

std::string_view FirstOctet(bool statusReport, bool concatenated) {
    int first = tp::kMtiSubmit | tp::kVpfRelative << tp::kVpfShift;
    if (statusReport) first |= tp::kSrr;
    if (concatenated) first |= tp::kUdhi;
    return Hex_Pair(static_cast<unsigned>(first));
}

}  // namespace

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
    if (chars <= kSingleSmsChars) return 1;
    return static_cast<int>(std::min(kMaxParts, (chars + kCharsPerPart - 1) / kCharsPerPart));
}

std::vector<std::uint8_t> Concat_Header(int n, int k) {
    const ConcatHeader h = ConcatHeaderOf(n, k);
    return {h.begin(), h.end()};
}

BuildOutcome BuildSubmit(const SubmitRequest& request) {
    BuildOutcome outcome;
    std::uint8_t septets[kMaxMessageChars];
    const long converted = Text_To_Septets(request.text, septets, kMaxMessageChars);
    outcome.refusal = Refusal(request, outcome.offending, converted < 0);
    if (outcome.refusal != BuildRefusal::None) return outcome;
    const auto length = static_cast<std::size_t>(converted);
    const std::string_view sc = ServiceCentreDigits(request.serviceCentre);

    PduBuild& b = outcome.build;
    const bool concatenated = length > kSingleSmsChars;
    b.Pdu_Sc_Field = Encode_Service_Centre(sc);
    b.Pdu_First_Octet = FirstOctet(request.statusReport, concatenated);
    b.Pdu_Message_Ref = Hex_Pair(tp::kMessageRef);
    b.Pdu_Dest_Field = Encode_Destination(request.recipient);
    b.Pdu_Pid = Hex_Pair(tp::kPidPlain);
    b.Pdu_Dcs = Hex_Pair(request.flash ? tp::kDcsFlash : tp::kDcsDefault);
    b.Pdu_Validity = Hex_Pair(tp::kValidityLongest);

    if (!concatenated) {
        b.parts[0].Part_User_Data = UserData(nullptr, 0, 0, septets, length);
    } else {
        const int n = SmsNeeded(length);
        for (int k = 1; k <= n; ++k) {
            const std::size_t first = kCharsPerPart * static_cast<std::size_t>(k - 1);
            const std::size_t count = k < n ? kCharsPerPart : length - first;
            const ConcatHeader header = ConcatHeaderOf(n, k);
            b.parts[k - 1].Part_User_Data = UserData(header.data(), header.size(),
                                                     kConcatHeaderSeptets, septets + first, count);
        }
    }

    // The service centre and the fields before the user data, once for every part: the numbers
    // hold at most 20 digits, so they fit.
    constexpr std::size_t kPrefixMax =
        2 * (4 + std::size_t{tp::kMaxAddressDigits}) + std::size_t{5} * 2;
    char prefix[kPrefixMax];
    std::size_t prefixSize = 0;
    for (const std::string& field :
         {std::cref(b.Pdu_Sc_Field), std::cref(b.Pdu_First_Octet), std::cref(b.Pdu_Message_Ref),
          std::cref(b.Pdu_Dest_Field), std::cref(b.Pdu_Pid), std::cref(b.Pdu_Dcs),
          std::cref(b.Pdu_Validity)}) {
        field.copy(prefix + prefixSize, field.size());
        prefixSize += field.size();
    }
    const std::size_t headSize = prefixSize - b.Pdu_Sc_Field.size();
    for (PduPart& part : b.parts) {
        if (part.Part_User_Data.empty()) continue;
        part.Part_Length = static_cast<int>((headSize + part.Part_User_Data.size()) / 2);
        part.Part_Pdu.reserve(prefixSize + part.Part_User_Data.size());
        part.Part_Pdu.append(prefix, prefixSize).append(part.Part_User_Data);
    }
    return outcome;
}

}  // namespace bsms
