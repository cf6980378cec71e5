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

// Part_User_Data of a UCS2 part: TP-UDL in octets, the header octets, the UTF-16 units big-endian.
std::string Ucs2UserData(const std::uint8_t* header, std::size_t headerOctets,
                         const std::uint16_t* units, std::size_t count) {
    std::string ud(2 * (1 + headerOctets + 2 * count), '0');
    char* out = ud.data();
    const auto putOctet = [&out](unsigned v) {
        std::memcpy(out, Hex_Pair(v).data(), 2);
        out += 2;
    };
    putOctet(static_cast<unsigned>(headerOctets + 2 * count));
    for (std::size_t i = 0; i < headerOctets; ++i)
        putOctet(header[i]);
    for (std::size_t i = 0; i < count; ++i) {
        putOctet(units[i] >> 8);
        putOctet(units[i] & 0xFFU);
    }
    return ud;
}

// A text in the units of its encoding: septet values, an escape before each character of the
// extension table; or UTF-16 units. `widths` holds each character's number of units.
struct EncodedText {
    Encoding encoding = Encoding::Gsm7;
    std::vector<std::uint16_t> units;
    std::vector<std::uint8_t> widths;
};

EncodedText Encode(std::u32string_view text) {
    EncodedText e;
    for (char32_t c : text) {
        if (SeptetOf(c) >= 0) continue;
        if (ExtensionSeptetOf(c) < 0) {
            e.encoding = Encoding::Ucs2;
            break;
        }
        e.encoding = Encoding::Gsm7Extended;
    }
    e.units.reserve(text.size() + 8);
    e.widths.reserve(text.size());
    for (char32_t c : text) {
        const std::size_t before = e.units.size();
        if (e.encoding == Encoding::Ucs2 && c >= 0x10000) {
            e.units.push_back(static_cast<std::uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
            e.units.push_back(static_cast<std::uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else if (e.encoding == Encoding::Ucs2) {
            e.units.push_back(static_cast<std::uint16_t>(c));
        } else if (const int septet = SeptetOf(c); septet >= 0) {
            e.units.push_back(static_cast<std::uint16_t>(septet));
        } else {
            e.units.push_back(kGsmEscape);
            e.units.push_back(static_cast<std::uint16_t>(ExtensionSeptetOf(c)));
        }
        e.widths.push_back(static_cast<std::uint8_t>(e.units.size() - before));
    }
    return e;
}

// Where each part ends: one part when the whole fits a single SMS, else parts of what a
// concatenated part holds, each ended a unit early rather than between the two of a pair (an
// escape and its character, a surrogate pair).
std::vector<std::size_t> PartEnds(const EncodedText& e) {
    const bool ucs2 = e.encoding == Encoding::Ucs2;
    const std::size_t single = ucs2 ? kUcs2SingleUnits : kSingleSmsChars;
    const std::size_t each = ucs2 ? kUcs2UnitsPerPart : kCharsPerPart;
    const std::size_t n = e.units.size();
    if (n <= single) return {n};
    std::vector<std::size_t> ends;
    for (std::size_t start = 0; start < n;) {
        std::size_t end = std::min(start + each, n);
        const std::uint16_t last = e.units[end - 1];
        if (end < n && (ucs2 ? last >= 0xD800 && last <= 0xDBFF : last == kGsmEscape)) --end;
        ends.push_back(end);
        start = end;
    }
    return ends;
}

// Digits of a number that already passed its character check: all but a leading "+".
std::size_t DigitCount(std::string_view number) {
    return number.size() - (!number.empty() && number.front() == '+' ? 1 : 0);
}

// Why the request cannot be built, in the order the user is told: service centre, then
// recipient. `offending` gets the character of a number.
BuildRefusal Refusal(const SubmitRequest& request, std::vector<char32_t>& offending) {
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

MessagePlan PlanMessage(std::string_view text) {
    const std::u32string chars = Utf8ToU32(text);
    const EncodedText e = Encode(chars);
    MessagePlan plan;
    plan.encoding = e.encoding;
    plan.units = e.units.size();
    if (e.encoding == Encoding::Ucs2) {
        plan.perPart = plan.units <= kUcs2SingleUnits ? kUcs2SingleUnits : kUcs2UnitsPerPart;
        plan.capacity = kUcs2UnitsPerPart * kMaxParts;
    } else {
        plan.perPart = plan.units <= kSingleSmsChars ? kSingleSmsChars : kCharsPerPart;
    }
    if (chars.empty()) return plan;
    const std::vector<std::size_t> ends = PartEnds(e);
    plan.parts = ends.size();
    const std::size_t keptUnits = ends[std::min(ends.size(), kMaxParts) - 1];
    for (std::size_t u = 0; plan.keptChars < e.widths.size(); ++plan.keptChars) {
        u += e.widths[plan.keptChars];
        if (u > keptUnits) break;
    }
    return plan;
}

std::vector<std::uint8_t> Concat_Header(int n, int k) {
    const ConcatHeader h = ConcatHeaderOf(n, k);
    return {h.begin(), h.end()};
}

// The user data of each part of a text that is not all in the program's 7-bit alphabet; the
// parts that do not fit in five are left out.
void BuildOtherParts(const EncodedText& e, PduBuild& b) {
    const std::vector<std::size_t> ends = PartEnds(e);
    const int n = static_cast<int>(std::min(ends.size(), kMaxParts));
    std::vector<std::uint8_t> septets;
    if (e.encoding != Encoding::Ucs2) septets.assign(e.units.begin(), e.units.end());
    std::size_t start = 0;
    for (int k = 1; k <= n; ++k) {
        const std::size_t count = ends[static_cast<std::size_t>(k - 1)] - start;
        const ConcatHeader header = ConcatHeaderOf(n, k);
        const std::size_t headerOctets = n > 1 ? header.size() : 0;
        b.parts[static_cast<std::size_t>(k - 1)].Part_User_Data =
            e.encoding == Encoding::Ucs2
                ? Ucs2UserData(header.data(), headerOctets, e.units.data() + start, count)
                : UserData(header.data(), headerOctets, n > 1 ? kConcatHeaderSeptets : 0,
                           septets.data() + start, count);
        start += count;
    }
}

BuildOutcome BuildSubmit(const SubmitRequest& request) {
    BuildOutcome outcome;
    outcome.refusal = Refusal(request, outcome.offending);
    if (outcome.refusal != BuildRefusal::None) return outcome;
    std::uint8_t septets[kMaxMessageChars];
    const long converted = Text_To_Septets(request.text, septets, kMaxMessageChars);
    // The program's own alphabet, as ever; a text cut at the limit is judged whole.
    const bool gsm7 = converted >= 0 && (static_cast<std::size_t>(converted) < kMaxMessageChars ||
                                         CharCount(request.text) <= kMaxMessageChars);
    EncodedText other;
    if (!gsm7) other = Encode(Utf8ToU32(request.text));
    const bool ucs2 = other.encoding == Encoding::Ucs2;
    const auto length = static_cast<std::size_t>(std::max(converted, 0L));
    const bool concatenated = gsm7 ? length > kSingleSmsChars : PartEnds(other).size() > 1;
    const std::string_view sc = ServiceCentreDigits(request.serviceCentre);

    PduBuild& b = outcome.build;
    b.Pdu_Sc_Field = Encode_Service_Centre(sc);
    b.Pdu_First_Octet = FirstOctet(request.statusReport, concatenated);
    b.Pdu_Message_Ref = Hex_Pair(tp::kMessageRef);
    b.Pdu_Dest_Field = Encode_Destination(request.recipient);
    b.Pdu_Pid = Hex_Pair(tp::kPidPlain);
    if (ucs2)
        b.Pdu_Dcs = Hex_Pair(request.flash ? tp::kDcsUcs2Flash : tp::kDcsUcs2);
    else
        b.Pdu_Dcs = Hex_Pair(request.flash ? tp::kDcsFlash : tp::kDcsDefault);
    b.Pdu_Validity = Hex_Pair(tp::kValidityLongest);

    if (!gsm7) {
        BuildOtherParts(other, b);
    } else if (!concatenated) {
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
