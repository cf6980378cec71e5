#include "sms/decoder.h"

#include <algorithm>
#include <cstdint>

#include "base/text.h"
#include "sms/alphabet.h"

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

// Reads a hexadecimal text from the front, two characters to the octet. Reading past the end
// is allowed and gives 0, so no length field can lead anywhere outside the text.
class HexReader {
  public:
    explicit HexReader(std::string_view text) : text_(text) {}

    // The characters at position pos (possibly fewer, or none, at the end).
    std::string_view PairAt(std::size_t pos) const {
        return pos < text_.size() ? text_.substr(pos, 2) : std::string_view();
    }
    int Octet() {
        const int v = Hex_To_Byte(PairAt(pos_));
        Skip(1);
        return v;
    }
    void Skip(std::size_t octets) { pos_ = std::min(pos_ + octets * 2, text_.size() + 2); }
    // The two characters of the next octet, low semi-octet first; missing characters are left
    // out when `keepMissing` is false and read as "0" otherwise.
    std::string SwappedPair(bool keepMissing) {
        const std::string_view p = PairAt(pos_);
        Skip(1);
        std::string out;
        if (p.size() > 1 || keepMissing) out.push_back(p.size() > 1 ? Digit(p[1]) : '0');
        if (!p.empty() || keepMissing) out.push_back(!p.empty() ? Digit(p[0]) : '0');
        return out;
    }
    // Octets that follow, counting a last lone character as one.
    std::size_t OctetsLeft() const {
        return pos_ < text_.size() ? (text_.size() - pos_ + 1) / 2 : 0;
    }
    // A view of the rest, for the user data.
    HexReader Rest() const { return HexReader(pos_ < text_.size() ? text_.substr(pos_) : ""); }
    int OctetAt(std::size_t index) const {
        return index < text_.size() / 2 + 1 ? Hex_To_Byte(PairAt(index * 2)) : 0;
    }

  private:
    static char Digit(char c) { return kHexDigits[Hex_Nibble(c)]; }
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Septet i of a packed stream: bits 7i..7i+6, bit b being bit (b mod 8) of octet (b div 8).
int SeptetAt(const HexReader& ud, std::size_t i) {
    const std::size_t bit = i * 7;
    const int pair = ud.OctetAt(bit / 8) | (ud.OctetAt(bit / 8 + 1) << 8);
    return (pair >> (bit % 8)) & 0x7F;
}

std::string SeptetsToText(const std::vector<int>& septets) {
    const auto& table = Gsm_Alphabet();
    std::string out;
    for (std::size_t i = 0; i < septets.size(); ++i) {
        if (septets[i] == kGsmEscape && i + 1 < septets.size()) {
            const std::string_view ext = Gsm_Extension(septets[i + 1]);
            // A pair the extension table lacks shows its second septet, as phones do.
            out += ext.empty() ? std::string_view(table[septets[i + 1]]) : ext;
            ++i;
        } else {
            out += table[septets[i]];
        }
    }
    return out;
}

enum class Coding { Gsm7, Eight, Ucs2 };

Coding CodingOf(int dcs) {
    if (dcs < 0x80) {  // general data coding, with or without automatic deletion
        switch ((dcs >> 2) & 3) {
            case 1:
                return Coding::Eight;
            case 2:
                return Coding::Ucs2;
            default:
                return Coding::Gsm7;
        }
    }
    if ((dcs & 0xF0) == 0xE0) return Coding::Ucs2;
    if ((dcs & 0xF0) == 0xF0) return (dcs & 0x04) != 0 ? Coding::Eight : Coding::Gsm7;
    return Coding::Gsm7;  // message waiting groups and reserved codings
}

std::vector<int> OctetRange(const HexReader& ud, std::size_t first, std::size_t end) {
    std::vector<int> out;
    for (std::size_t i = first; i < end; ++i)
        out.push_back(ud.OctetAt(i));
    return out;
}

std::string Ucs2ToText(const std::vector<int>& octets) {
    std::u32string cps;
    for (std::size_t i = 0; i + 1 < octets.size(); i += 2) {
        const char32_t unit = static_cast<char32_t>(octets[i] << 8 | octets[i + 1]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < octets.size()) {
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

// Whether octets read as clean UCS2 text: no lone surrogates, no control characters but line
// breaks, no non-characters.
bool LooksLikeUcs2(const std::vector<int>& octets) {
    if (octets.empty() || octets.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < octets.size(); i += 2) {
        const int unit = octets[i] << 8 | octets[i + 1];
        const bool control = unit < 0x20 && unit != '\r' && unit != '\n';
        const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
        if (control || surrogate || unit >= 0xFFFE) return false;
    }
    return true;
}

// TP-UDL and TP-UD, from the reader's position to the end.
std::string ReadUserData(HexReader& r, bool hasHeader, int dcs) {
    const std::size_t udl = static_cast<std::size_t>(r.Octet());
    const HexReader ud = r.Rest();
    const std::size_t present = ud.OctetsLeft();
    Coding coding = CodingOf(dcs);
    std::size_t headerOctets = 0;
    if (hasHeader && udl > 0) headerOctets = 1 + static_cast<std::size_t>(ud.OctetAt(0));

    // Some phones store UCS2 text under a 7-bit coding scheme, counting octets in TP-UDL: then
    // exactly TP-UDL octets stand on the line where 7-bit text would need only 7/8 of them.
    if (coding == Coding::Gsm7 && !hasHeader && udl >= 8 && present == udl &&
        LooksLikeUcs2(OctetRange(ud, 0, udl)))
        coding = Coding::Ucs2;

    if (coding == Coding::Gsm7) {
        const std::size_t first = (headerOctets * 8 + 6) / 7;  // the header's fill bits included
        std::vector<int> septets;
        for (std::size_t i = first; i < udl; ++i)
            septets.push_back(SeptetAt(ud, i));
        return SeptetsToText(septets);
    }
    // 8-bit and UCS2 count octets; only octets actually present are shown.
    const std::vector<int> data = OctetRange(ud, headerOctets, std::min(udl, present));
    if (coding == Coding::Ucs2) return Ucs2ToText(data);
    std::string bytes;
    for (int o : data)
        bytes.push_back(static_cast<char>(o));
    return Cp1252ToUtf8(bytes);
}

// An address: digit count (semi-octets), type, digits. Alphanumeric addresses are 7-bit text.
std::string ReadAddress(HexReader& r) {
    const std::size_t semiOctets = static_cast<std::size_t>(r.Octet());
    const int type = r.Octet();
    const std::size_t octets = (semiOctets + 1) / 2;
    if (((type >> 4) & 7) == 5) {
        const HexReader digits = r.Rest();
        std::vector<int> septets;
        const std::size_t count = std::min(semiOctets * 4 / 7, digits.OctetsLeft() * 8 / 7);
        for (std::size_t i = 0; i < count; ++i)
            septets.push_back(SeptetAt(digits, i));
        r.Skip(octets);
        return SeptetsToText(septets);
    }
    std::string number = type == 0x91 ? "+" : "";
    for (std::size_t i = 0; i < octets; ++i)
        for (char c : r.SwappedPair(false))
            if (c != 'F') number.push_back(c);
    return number;
}

// The decimal value of two characters as far as they are digits.
int LeadingValue(const std::string& two) {
    int v = 0;
    for (char c : two) {
        if (c < '0' || c > '9') break;
        v = v * 10 + (c - '0');
    }
    return v;
}

// A service-centre time stamp; the time zone is not shown.
void ReadTimeStamp(HexReader& r, std::string& dateTime, double* dateKey) {
    std::string f[6];
    for (std::string& field : f)
        field = r.SwappedPair(true);
    r.Skip(1);
    dateTime = f[2] + "/" + f[1] + "/" + f[0] + "  " + f[3] + "." + f[4] + ":" + f[5];
    if (dateKey == nullptr) return;
    int v[6];
    for (int i = 0; i < 6; ++i)
        v[i] = LeadingValue(f[i]);
    *dateKey = v[0] * 1000.0 + v[1] * 31.0 + v[2] + (v[3] * 3600.0 + v[4] * 60.0 + v[5]) / 100000.0;
}

void SkipValidity(HexReader& r, int firstOctet) {
    switch ((firstOctet >> 3) & 3) {
        case 2:
            r.Skip(1);
            break;  // relative
        case 1:     // enhanced
        case 3:
            r.Skip(7);
            break;  // absolute
        default:
            break;
    }
}

void DecodeStatusReport(HexReader& r, int firstOctet, Sms_Record& rec) {
    r.Skip(1);  // message reference
    rec.Sender_Number = ReadAddress(r);
    ReadTimeStamp(r, rec.Date_Time, &rec.Date_Key);
    std::string discharge;
    ReadTimeStamp(r, discharge, nullptr);
    rec.Delivery_Status = r.Octet();
    rec.Text = std::string(Delivery_Status_Text(rec.Delivery_Status)) + " " + discharge;

    // Optional parameters. An all-ones indicator is padding some phones store after the report.
    if (r.OctetsLeft() == 0) return;
    const int pi = r.Octet();
    if (pi == 0xFF) return;
    for (int ext = pi; (ext & 0x80) != 0 && r.OctetsLeft() > 0;)
        ext = r.Octet();
    if ((pi & 0x01) != 0) r.Skip(1);
    const int dcs = (pi & 0x02) != 0 ? r.Octet() : 0;
    if ((pi & 0x04) == 0) return;
    const std::string extra = ReadUserData(r, (firstOctet & 0x40) != 0, dcs);
    if (!extra.empty()) rec.Text += "\r\n" + extra;
}

bool ContainsNoCase(std::string_view hay, std::string_view needle) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != hay.end();
}

}  // namespace

std::string Extract_Pdu(std::string_view reply) {
    // The +CMGR header at the start of a line: the echoed "AT+CMGR=" never qualifies.
    std::size_t p = 0;
    for (;; ++p) {
        p = reply.find("+CMGR", p);
        if (p == std::string_view::npos) return {};
        if (p == 0 || reply[p - 1] == '\n' || reply[p - 1] == '\r') break;
    }
    std::size_t q = reply.find_first_of("\r\n", p + 5);
    if (q == std::string_view::npos) return {};
    while (q < reply.size() && reply[q] == '\r')
        ++q;
    if (q < reply.size() && reply[q] == '\n') ++q;
    const std::size_t end = std::min(reply.find_first_of("\r\n", q), reply.size());
    std::string_view line = reply.substr(q, end - q);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return std::string(line);
}

std::string Pdu_From_Input(std::string_view input) {
    if (input.find("+CMGR") != std::string_view::npos) return Extract_Pdu(input);
    while (!input.empty()) {
        const std::size_t end = std::min(input.find_first_of("\r\n"), input.size());
        const std::string_view line = Trim(input.substr(0, end));
        input.remove_prefix(std::min(end + 1, input.size()));
        if (line.empty() || line == "OK" || line.rfind("AT", 0) == 0) continue;
        return std::string(line);
    }
    return {};
}

std::string_view Delivery_Status_Text(int status) {
    if (status >= 0 && status < 0x20) return "Delivered";
    if ((status >= 0x20 && status < 0x40)) return "Pending";
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
    HexReader r(pdu);

    const int scLength = r.Octet();
    if (scLength >= 1) {
        if (r.Octet() == 0x91) rec.Service_Centre.push_back('+');
        for (int i = 1; i < scLength; ++i)
            for (char c : r.SwappedPair(false))
                if (c != 'F') rec.Service_Centre.push_back(c);
    }

    const int firstOctet = r.Octet();
    const bool hasHeader = (firstOctet & 0x40) != 0;
    switch (firstOctet & 3) {
        case 1: {  // SMS-SUBMIT, stored by the user
            rec.Kind = SmsKind::Submit;
            r.Skip(1);  // message reference
            rec.Sender_Number = ReadAddress(r);
            r.Skip(1);  // protocol identifier
            const int dcs = r.Octet();
            SkipValidity(r, firstOctet);
            rec.Text = ReadUserData(r, hasHeader, dcs);
            break;
        }
        case 2:
            rec.Kind = SmsKind::StatusReport;
            DecodeStatusReport(r, firstOctet, rec);
            break;
        default: {  // SMS-DELIVER; the reserved type is read the same way
            rec.Kind = SmsKind::Deliver;
            rec.Sender_Number = ReadAddress(r);
            r.Skip(1);  // protocol identifier
            const int dcs = r.Octet();
            ReadTimeStamp(r, rec.Date_Time, &rec.Date_Key);
            rec.Text = ReadUserData(r, hasHeader, dcs);
            break;
        }
    }
    rec.Sender = Find_Sender(rec.Sender_Number, pickerEntries);
    return rec;
}

}  // namespace bsms
