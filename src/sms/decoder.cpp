#include "sms/decoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/text.h"
#include "sms/alphabet.h"
#include "sms/octet_reader.h"
#include "sms/septet_tables.h"
#include "sms/tpdu.h"

namespace bsms {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Septet i of a packed stream: bits 7i..7i+6, bit b being bit (b mod 8) of octet (b div 8).
// The stream must have one octet to spare after the septet.
int SeptetAt(const std::uint8_t* stream, std::size_t i) {
    const std::size_t bit = i * 7;
    const unsigned pair = stream[bit / 8] | (stream[bit / 8 + 1] << 8);
    return static_cast<int>((pair >> (bit % 8)) & 0x7F);
}

// The characters of septets [first, end) of a packed stream. An escape reads the next septet
// in the single shift table, or, where that has nothing, in the locking table, as phones do.
std::string SeptetsToText(const std::uint8_t* stream, std::size_t first, std::size_t end,
                          int locking = kLanguageDefault, int single = kLanguageDefault) {
    const SeptetChars& chars = LockingShiftTable(locking);
    const SeptetChars& shifted = SingleShiftTable(single);
    std::string out(end > first ? (end - first) * 3 : 0, '\0');
    char* p = out.data();
    for (std::size_t i = first; i < end; ++i) {
        const int s = SeptetAt(stream, i);
        const Utf8Char* c = &chars[s];
        if (s == kGsmEscape && i + 1 < end) {
            const int next = SeptetAt(stream, ++i);
            c = shifted[next].size != 0 ? &shifted[next] : &chars[next];
        }
        std::memcpy(p, c->bytes, 3);
        p += c->size;
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return out;
}

using Coding = SmsCoding;

Coding CodingOf(int dcs) {
    if (dcs < tp::kDcsGeneralLimit) {
        switch ((dcs >> tp::kDcsAlphabetShift) & tp::kDcsAlphabetMask) {
            case tp::kAlphabet8Bit:
                return Coding::Eight;
            case tp::kAlphabetUcs2:
                return Coding::Ucs2;
            default:
                return Coding::Gsm7;
        }
    }
    if ((dcs & tp::kDcsGroupMask) == tp::kDcsGroupUcs2Waiting) return Coding::Ucs2;
    if ((dcs & tp::kDcsGroupMask) == tp::kDcsGroupClass)
        return (dcs & tp::kDcsClass8Bit) != 0 ? Coding::Eight : Coding::Gsm7;
    return Coding::Gsm7;  // message waiting groups and reserved codings
}

std::string Ucs2ToText(const std::uint8_t* octets, std::size_t n) {
    std::u32string cps;
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        const char32_t unit = static_cast<char32_t>(octets[i] << 8 | octets[i + 1]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < n) {
            const char32_t low = static_cast<char32_t>(octets[i + 2] << 8 | octets[i + 3]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cps.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        cps.push_back(unit >= 0xD800 && unit <= 0xDFFF ? char32_t{0xFFFD} : unit);
    }
    return U32ToUtf8(cps);
}

// Whether octets read as clean UCS2 text of one script: no control characters but line breaks,
// no surrogates, private-use or special characters, and letters from at most one block of 256
// besides Latin and general punctuation (the CJK ideographs and Hangul count as one block each).
bool PlausibleUcs2(const std::uint8_t* octets, std::size_t n) {
    if (n == 0 || n % 2 != 0) return false;
    int block = -1;
    for (std::size_t i = 0; i < n; i += 2) {
        const int unit = octets[i] << 8 | octets[i + 1];
        const bool control =
            (unit < 0x20 && unit != '\r' && unit != '\n') || (unit >= 0x7F && unit <= 0x9F);
        if (control || (unit >= 0xD800 && unit <= 0xF8FF) || unit >= 0xFFF0) return false;
        int high = unit >> 8;
        if (high >= 0x4E && high <= 0x9F) high = 0x4E;
        if (high >= 0xAC && high <= 0xD7) high = 0xAC;
        if (high == 0x00 || high == 0x20) continue;
        if (block >= 0 && block != high) return false;
        block = high;
    }
    return true;
}

// Whether a 7-bit reading is one a person would hardly type: a quarter or more of its septets
// are signs rarely typed ("@", currency, Greek capitals, escapes, "¡", "¿", "§", "¤").
bool ImplausibleGsm7(const std::uint8_t* stream, std::size_t count) {
    static constexpr std::array<bool, 128> kRare = [] {
        std::array<bool, 128> t{};
        for (int s : {0x00, 0x01, 0x02, 0x03, 0x10, 0x11, 0x24, 0x40, 0x5F, 0x60})
            t[s] = true;
        for (int s = 0x12; s <= 0x1B; ++s)
            t[s] = true;
        return t;
    }();
    std::size_t rare = 0;
    for (std::size_t i = 0; i < count; ++i)
        rare += kRare[SeptetAt(stream, i)] ? 1 : 0;
    return rare * 4 >= count;
}

// What a user data header says: the national language tables (TS 23.040 9.2.3.24.15-16) and
// the concatenation (9.2.3.24.1 and .8).
struct HeaderInfo {
    int locking = kLanguageDefault;
    int single = kLanguageDefault;
    int concatRef = -1;
    int concatTotal = 0;
    int concatPart = 0;
};

HeaderInfo ReadHeader(const std::uint8_t* header, std::size_t size) {
    HeaderInfo h;
    for (std::size_t i = 1; i + 1 < size;) {
        const int iei = header[i];
        const std::size_t length = header[i + 1];
        const std::uint8_t* v = header + i + 2;
        if (i + 2 + length > size) break;
        if (iei == tp::kIeiSingleShift && length >= 1) h.single = v[0];
        if (iei == tp::kIeiLockingShift && length >= 1) h.locking = v[0];
        if ((iei == tp::kIeiConcat8 && length == 3) || (iei == tp::kIeiConcat16 && length == 4)) {
            const std::size_t k = length - 2;  // past the reference
            h.concatRef = iei == tp::kIeiConcat8 ? v[0] : v[0] << 8 | v[1];
            h.concatTotal = v[k];
            h.concatPart = v[k + 1];
        }
        i += 2 + length;
    }
    return h;
}

// Room for any user data: TP-UDL counts at most 255 octets, or 255 septets in 224 octets, and
// one octet to spare for SeptetAt.
using UserDataBuffer = std::array<std::uint8_t, 256 + 8>;

// TP-UDL and TP-UD, from the reader's position on; what the header says of the concatenation
// goes into `rec`.
std::string ReadUserData(OctetReader& r, bool hasHeader, int dcs, Sms_Record& rec) {
    const std::size_t udl = static_cast<std::size_t>(r.octet());
    const std::size_t present = r.left();
    Coding coding = CodingOf(dcs);
    rec.coding = coding;
    UserDataBuffer ud;
    const std::size_t gsm7Octets = (udl * 7 + 7) / 8;

    // Some phones store UCS2 text under a 7-bit coding scheme, counting octets in TP-UDL: then
    // exactly TP-UDL octets stand on the line where 7-bit text would need only 7/8 of them. A
    // 7-bit message padded to that length must not be taken for it, so both readings are judged.
    if (coding == Coding::Gsm7 && !hasHeader && udl >= 8 && present == udl) {
        r.take(ud.data(), udl);
        ud[udl] = 0;
        if (PlausibleUcs2(ud.data(), udl) && ImplausibleGsm7(ud.data(), udl)) {
            rec.coding = Coding::Ucs2;
            return Ucs2ToText(ud.data(), udl);
        }
        return SeptetsToText(ud.data(), 0, udl);
    }

    const std::size_t octets = coding == Coding::Gsm7 ? gsm7Octets : udl;
    r.take(ud.data(), octets);
    std::memset(ud.data() + octets, 0, ud.size() - octets);
    std::size_t headerOctets = 0;
    HeaderInfo header;
    if (hasHeader && udl > 0) {
        headerOctets = 1 + static_cast<std::size_t>(ud[0]);
        header = ReadHeader(ud.data(), std::min(headerOctets, octets));
        if (header.concatRef >= 0 && header.concatPart >= 1 &&
            header.concatPart <= header.concatTotal) {
            rec.concatRef = header.concatRef;
            rec.concatTotal = header.concatTotal;
            rec.concatPart = header.concatPart;
        }
    }
    if (coding == Coding::Gsm7) {
        const std::size_t first = (headerOctets * 8 + 6) / 7;  // the header's fill bits included
        return SeptetsToText(ud.data(), first, udl, header.locking, header.single);
    }
    // 8-bit and UCS2 count octets; only octets actually present are shown.
    const std::size_t end = std::min(udl, present);
    if (headerOctets >= end) return {};
    if (coding == Coding::Ucs2) return Ucs2ToText(ud.data() + headerOctets, end - headerOctets);
    return Cp1252ToUtf8(std::string_view(reinterpret_cast<const char*>(ud.data()) + headerOctets,
                                         end - headerOctets));
}

// What a semi-octet of an address stands for (TS 23.040 9.1.2.3); 0 for the filler.
constexpr char kAddressDigits[] = "0123456789*#abc";

// An address: digit count (semi-octets), type, digits. Alphanumeric addresses are 7-bit text.
std::string ReadAddress(OctetReader& r) {
    const std::size_t semiOctets = static_cast<std::size_t>(r.octet());
    const int type = r.octet();
    const std::size_t octets = (semiOctets + 1) / 2;
    UserDataBuffer buf;
    const std::size_t present = std::min(octets, r.left());
    r.take(buf.data(), octets);
    buf[octets] = 0;
    if (((type >> tp::kTonShift) & tp::kTonMask) == tp::kTonAlphanumeric) {
        const std::size_t count = std::min(semiOctets * 4 / 7, present * 8 / 7);
        return SeptetsToText(buf.data(), 0, count);
    }
    // Missing octets add no digits.
    char digits[1 + 256];
    std::size_t n = 0;
    if (type == tp::kTypeInternational) digits[n++] = '+';
    for (std::size_t i = 0; i < std::min(semiOctets, present * 2); ++i) {
        const int nibble = (i % 2 == 0) ? buf[i / 2] & 0x0F : buf[i / 2] >> 4;
        if (nibble != tp::kSemiOctetFiller) digits[n++] = kAddressDigits[nibble];
    }
    return std::string(digits, n);
}

// A service-centre address: octet count, type, and digits filling the octets.
std::string ReadServiceCentre(OctetReader& r) {
    const int length = r.octet();
    if (length < 1) return {};
    std::string number = r.octet() == tp::kTypeInternational ? "+" : "";
    for (int i = 1; i < length; ++i) {
        if (r.left() == 0) {  // missing octets add no digits
            r.skip(static_cast<std::size_t>(length - i));
            break;
        }
        const int octet = r.octet();
        for (int nibble : {octet & 0x0F, octet >> 4})
            if (nibble != tp::kSemiOctetFiller) number.push_back(kAddressDigits[nibble]);
    }
    return number;
}

// The decimal value of two digits as far as they are digits ("5F" is 5).
int LeadingValue(int first, int second) {
    if (first > 9) return 0;
    return second > 9 ? first : first * 10 + second;
}

// Seconds since 1970 of a time stamp's seven octets, its zone applied, or -1 when they are no
// date and time. Years 00 to 99 are 2000 to 2099, where every fourth year is a leap year, so the
// days are counted here and no library or time zone of this computer takes part.
std::int64_t EpochSeconds(const int (&octets)[tp::kTimeStampOctets], int& zoneMinutes) {
    static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    static constexpr int kLimits[] = {99, 12, 31, 23, 59, 59};
    int v[6];
    for (int i = 0; i < 6; ++i) {
        const int tens = octets[i] & 0x0F, units = octets[i] >> 4;
        v[i] = tens * 10 + units;
        if (tens > 9 || units > 9 || v[i] > kLimits[i]) return -1;
    }
    const int year = v[0], month = v[1], day = v[2];
    const int leapDay = year % 4 == 0 && month == 2 ? 1 : 0;
    if (month < 1 || day < 1 || day > kMonthDays[month - 1] + leapDay) return -1;
    const int zone = octets[6];
    if (zone >> 4 > 9) return -1;
    const int quarters = (zone & tp::kZoneTensMask) * 10 + (zone >> 4);
    std::int64_t days = 10957 + 365 * year + (year + 3) / 4 + day - 1;  // 10957: 1970 to 2000
    for (int m = 1; m < month; ++m)
        days += kMonthDays[m - 1] + (m == 2 && year % 4 == 0 ? 1 : 0);
    const std::int64_t seconds = std::int64_t{v[3]} * 3600 + std::int64_t{v[4]} * 60 + v[5];
    const std::int64_t offset = std::int64_t{900} * quarters;
    zoneMinutes = ((zone & tp::kZoneNegative) != 0 ? -15 : 15) * quarters;
    return days * 86400 + seconds - ((zone & tp::kZoneNegative) != 0 ? -offset : offset);
}

// A service-centre time stamp as "DD/MM/YY  hh.mm:ss"; the time zone is not shown. Each octet
// shows its semi-octets swapped, whatever they are. `epoch` gets EpochSeconds, -1 when cut.
void ReadTimeStamp(OctetReader& r, std::string& dateTime, double* dateKey, std::int64_t* epoch,
                   int* zoneMinutes = nullptr) {
    const std::size_t missingBefore = r.missing();
    int octets[tp::kTimeStampOctets];
    for (int& octet : octets)
        octet = r.octet();
    int v[6];
    char f[6][2];
    for (int i = 0; i < 6; ++i) {
        f[i][0] = kHexDigits[octets[i] & 0x0F];
        f[i][1] = kHexDigits[octets[i] >> 4];
        v[i] = LeadingValue(octets[i] & 0x0F, octets[i] >> 4);
    }
    const char shown[] = {f[2][0], f[2][1], '/', f[1][0], f[1][1], '/', f[0][0], f[0][1], ' ', ' ',
                          f[3][0], f[3][1], '.', f[4][0], f[4][1], ':', f[5][0], f[5][1]};
    dateTime.assign(shown, sizeof shown);
    if (dateKey != nullptr)
        *dateKey =
            v[0] * 1000.0 + v[1] * 31.0 + v[2] + (v[3] * 3600.0 + v[4] * 60.0 + v[5]) / 100000.0;
    int zone = 0;
    if (epoch != nullptr) *epoch = r.missing() == missingBefore ? EpochSeconds(octets, zone) : -1;
    if (zoneMinutes != nullptr) *zoneMinutes = zone;
}

void SkipValidity(OctetReader& r, int firstOctet) {
    switch ((firstOctet >> tp::kVpfShift) & tp::kVpfMask) {
        case tp::kVpfRelative:
            r.skip(1);
            break;
        case tp::kVpfEnhanced:
        case tp::kVpfAbsolute:
            r.skip(tp::kTimeStampOctets);
            break;
        default:
            break;
    }
}

void DecodeStatusReport(OctetReader& r, int firstOctet, Sms_Record& rec) {
    rec.reportRef = r.octet();
    rec.Sender_Number = ReadAddress(r);
    ReadTimeStamp(r, rec.Date_Time, &rec.Date_Key, &rec.serviceCentreTime, &rec.zoneMinutes);
    std::string discharge;
    ReadTimeStamp(r, discharge, nullptr, nullptr);
    // A report cut before its status says nothing about the delivery.
    const bool whole = r.missing() == 0 && r.left() > 0;
    rec.Delivery_Status = whole ? r.octet() : tp::kStatusUnknown;
    rec.Text = std::string(Delivery_Status_Text(rec.Delivery_Status)) + " " + discharge;
    if (!whole) {
        r.skip(1);
        return;
    }

    // Optional parameters.
    if (r.left() == 0) return;
    const int pi = r.octet();
    if (pi == tp::kPiPadding) return;
    for (int ext = pi; (ext & tp::kPiExtension) != 0 && r.left() > 0;)
        ext = r.octet();
    if ((pi & tp::kPiPid) != 0) r.skip(1);
    const int dcs = (pi & tp::kPiDcs) != 0 ? r.octet() : tp::kDcsDefault;
    if ((pi & tp::kPiUdl) == 0) return;
    Sms_Record parts;  // a report's extra text is never one of several
    const std::string extra = ReadUserData(r, (firstOctet & tp::kUdhi) != 0, dcs, parts);
    if (!extra.empty()) rec.Text += "\r\n" + extra;
}

bool ContainsNoCase(std::string_view hay, std::string_view needle) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != hay.end();
}

}  // namespace

std::string_view Delivery_Status_Text(int status) {
    if (status < 0) return "Status unknown";
    if (status < tp::kStatusPendingFirst) return "Delivered";
    if (status < tp::kStatusFailedFirst) return "Pending";
    return "Not delivered";
}

std::string Find_Sender(std::string_view number, const std::vector<std::string>& pickerEntries) {
    std::string_view key = number;
    if (!key.empty() && key.front() == '+' && CharCount(key) > 5) key.remove_prefix(4);
    // An empty key would match every entry.
    if (!key.empty())
        for (const std::string& entry : pickerEntries)
            if (ContainsNoCase(entry, key)) return entry;
    return std::string(number);
}

Sms_Record Decode_Sms_Deliver(std::string_view pdu, const std::vector<std::string>& pickerEntries) {
    Sms_Record rec;
    pdu = Trim(pdu);
    if (pdu.empty()) return rec;
    const Octets octets(pdu);
    OctetReader r(octets);

    rec.Service_Centre = ReadServiceCentre(r);
    const int firstOctet = r.octet();
    const bool hasHeader = (firstOctet & tp::kUdhi) != 0;
    switch (firstOctet & tp::kMtiMask) {
        case tp::kMtiSubmit: {  // stored by the user
            rec.Kind = SmsKind::Submit;
            r.skip(1);  // message reference
            rec.Sender_Number = ReadAddress(r);
            r.skip(1);  // protocol identifier
            const int dcs = r.octet();
            SkipValidity(r, firstOctet);
            rec.Text = ReadUserData(r, hasHeader, dcs, rec);
            break;
        }
        case tp::kMtiStatusReport:
            rec.Kind = SmsKind::StatusReport;
            DecodeStatusReport(r, firstOctet, rec);
            break;
        default: {  // SMS-DELIVER; the reserved type is read the same way
            rec.Kind = SmsKind::Deliver;
            rec.Sender_Number = ReadAddress(r);
            r.skip(1);  // protocol identifier
            const int dcs = r.octet();
            ReadTimeStamp(r, rec.Date_Time, &rec.Date_Key, &rec.serviceCentreTime,
                          &rec.zoneMinutes);
            rec.Text = ReadUserData(r, hasHeader, dcs, rec);
            break;
        }
    }
    rec.Sender = Find_Sender(rec.Sender_Number, pickerEntries);
    rec.octetsMissing = r.missing();
    return rec;
}

}  // namespace bsms
