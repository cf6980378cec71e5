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
    for (std::size_t i = 0; i < count; ++i, out += 4) {
        const std::size_t unit = units[i];
        std::memcpy(out, kHexPairText.data() + 2 * (unit >> 8), 2);
        std::memcpy(out + 2, kHexPairText.data() + 2 * (unit & 0xFF), 2);
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

bool IsHighSurrogate(std::uint16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}

// The UTF-16 units of a text. Well-formed UTF-8 is read here in one pass; anything else as
// Utf8ToU32 reads it (malformed bytes as Windows-1252), so both agree on every text.
std::vector<std::uint16_t> Utf16Of(std::string_view text) {
    std::vector<std::uint16_t> out(text.size());  // never more units than bytes
    std::uint16_t* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    const auto tail = [&](std::size_t k) { return (p[k] & 0xC0) == 0x80; };
    while (p < end) {
        const unsigned c = *p;
        char32_t cp = 0;
        std::size_t len = 0;
        if (c < 0x80) {
            cp = c, len = 1;
        } else if ((c & 0xE0) == 0xC0 && end - p >= 2 && tail(1)) {
            cp = (c & 0x1FU) << 6 | (p[1] & 0x3FU), len = cp >= 0x80 ? 2 : 0;
        } else if ((c & 0xF0) == 0xE0 && end - p >= 3 && tail(1) && tail(2)) {
            cp = (c & 0x0FU) << 12 | (p[1] & 0x3FU) << 6 | (p[2] & 0x3FU);
            len = cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF) ? 3 : 0;
        } else if ((c & 0xF8) == 0xF0 && end - p >= 4 && tail(1) && tail(2) && tail(3)) {
            cp = (c & 0x07U) << 18 | (p[1] & 0x3FU) << 12 | (p[2] & 0x3FU) << 6 | (p[3] & 0x3FU);
            len = cp >= 0x10000 && cp <= 0x10FFFF ? 4 : 0;
        }
        if (len == 0) {  // not well formed: the general reading, for the whole text
            out.clear();
            for (char32_t ch : Utf8ToU32(text)) {
                if (ch >= 0x10000)
                    out.push_back(static_cast<std::uint16_t>(0xD800 + ((ch - 0x10000) >> 10)));
                out.push_back(static_cast<std::uint16_t>(
                    ch >= 0x10000 ? 0xDC00 + ((ch - 0x10000) & 0x3FF) : ch));
            }
            return out;
        }
        if (cp >= 0x10000) {
            *o++ = static_cast<std::uint16_t>(0xD800 + ((cp - 0x10000) >> 10));
            cp = 0xDC00 + ((cp - 0x10000) & 0x3FF);
        }
        *o++ = static_cast<std::uint16_t>(cp);
        p += len;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

EncodedText Encode(std::string_view text, bool widths = true) {
    EncodedText e;
    std::vector<std::uint16_t> utf16 = Utf16Of(text);
    for (std::uint16_t u : utf16) {
        if (u < 0xD800 && SeptetOf(u) >= 0) continue;
        if (u >= 0xD800 || ExtensionSeptetOf(u) < 0) {
            e.encoding = Encoding::Ucs2;
            break;
        }
        e.encoding = Encoding::Gsm7Extended;
    }
    if (e.encoding == Encoding::Ucs2) {
        if (widths)
            for (std::size_t i = 0; i < utf16.size(); ++i) {
                const bool pair = IsHighSurrogate(utf16[i]) && i + 1 < utf16.size();
                e.widths.push_back(pair ? 2 : 1);
                i += pair ? 1 : 0;
            }
        e.units = std::move(utf16);
        return e;
    }
    e.units.reserve(2 * utf16.size());
    for (std::uint16_t u : utf16) {
        const int septet = SeptetOf(u);
        if (septet >= 0) {
            e.units.push_back(static_cast<std::uint16_t>(septet));
        } else {
            e.units.push_back(kGsmEscape);
            e.units.push_back(static_cast<std::uint16_t>(ExtensionSeptetOf(u)));
        }
        if (widths) e.widths.push_back(septet >= 0 ? 1 : 2);
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
        if (end < n && (ucs2 ? IsHighSurrogate(last) : last == kGsmEscape)) --end;
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
    const EncodedText e = Encode(text);
    MessagePlan plan;
    plan.encoding = e.encoding;
    plan.units = e.units.size();
    if (e.encoding == Encoding::Ucs2) {
        plan.perPart = plan.units <= kUcs2SingleUnits ? kUcs2SingleUnits : kUcs2UnitsPerPart;
        plan.capacity = kUcs2UnitsPerPart * kMaxParts;
    } else {
        plan.perPart = plan.units <= kSingleSmsChars ? kSingleSmsChars : kCharsPerPart;
    }
    if (e.units.empty()) return plan;
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
    // One septet more than fits tells a text too long for the program's own alphabet alone.
    std::uint8_t septets[kMaxMessageChars + 1];
    const long converted = Text_To_Septets(request.text, septets, kMaxMessageChars + 1);
    const bool gsm7 = converted >= 0 && static_cast<std::size_t>(converted) <= kMaxMessageChars;
    EncodedText other;
    if (!gsm7) other = Encode(request.text, false);
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
