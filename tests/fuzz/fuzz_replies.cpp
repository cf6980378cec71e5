// The phone's replies as the dialogues read them: phonebook listings (plain and UCS2), the message
// listing, the indications offered, the service centre, error codes in numbers and words, the
// endings and error lines the dispatcher judges, the counts of a memory chosen.

#include <cctype>

#include "browser/form5.h"
#include "compose/continuation.h"
#include "fuzz_support.h"
#include "link/dispatcher.h"
#include "link/error_codes.h"
#include "link/indications.h"
#include "phonebook/download.h"
#include "sms/alphabet.h"
#include "sms/decoder.h"

namespace {

using bsms::fuzz::Check;
using bsms::fuzz::IsDigit;
using bsms::fuzz::Number;

bool LineStart(std::string_view s, std::size_t at) {
    return at == 0 || s[at - 1] == '\r' || s[at - 1] == '\n';
}

// Each entry of a message listing stands in the reply, in order: a "+CMGL:" line bearing its
// location (leading zeros aside), then its PDU, a line after it.
void CheckMessageListing(std::string_view reply) {
    constexpr long kBeyond = bsms::kMaxListedIndex + 1L;
    std::size_t from = 0;
    for (const bsms::ListedPdu& entry : bsms::Extract_Listing(reply)) {
        std::size_t at = from;
        for (;; ++at) {
            at = reply.find("+CMGL:", at);
            Check(at != std::string_view::npos, "every entry has its +CMGL: line, in order");
            std::size_t digits = std::min(reply.find_first_not_of(' ', at + 6), reply.size());
            const bool any = digits < reply.size() && IsDigit(reply[digits]);
            if (LineStart(reply, at) && any && Number(reply, digits, kBeyond) == entry.index) break;
        }
        Check(entry.pdu.find_first_of("\r\n") == std::string::npos &&
                  reply.find(entry.pdu, at) != std::string_view::npos,
              "its PDU is a line after it");
        from = at + 1;
    }
}

// Whether a group of AT+CNMI=? lists v: as a number (leading zeros aside) or in a range. A
// malformed group ("4-1", "-4-1") is read leniently: each number in it is listed.
bool Lists(std::string_view group, int v) {
    for (std::size_t i = 0; i < group.size();) {
        if (!IsDigit(group[i])) {
            ++i;
            continue;
        }
        const long from = Number(group, i, 10);
        std::size_t end = i + 1;  // read again as a number of its own
        const bool range = end < group.size() && group[i] == '-' && IsDigit(group[end]);
        if (v == from || (range && from <= v && v <= Number(group, end, 10))) return true;
    }
    return false;
}

// The setting chosen is "m,1[,0[,d[,0]]]", every value but a 0 one the offer lists in its place.
// (A 0 is written even where the offer lacks it: the phone then refuses the setting.)
void CheckIndications(std::string_view reply) {
    const std::string setting = bsms::ChooseIndications(reply);
    if (setting.empty()) return;
    const std::size_t at = reply.find("+CNMI:");
    const std::string_view line = reply.substr(at, reply.find_first_of("\r\n", at) - at);
    std::vector<std::string_view> groups;
    for (std::size_t open = line.find('('); open != std::string_view::npos;
         open = line.find('(', open + 1)) {
        const std::size_t close = line.find(')', open);
        if (close == std::string_view::npos) break;
        groups.push_back(line.substr(open + 1, close - open - 1));
    }
    constexpr std::string_view kFixed = "?10?0";  // '?': any value the offer lists
    for (std::size_t i = 0, k = 0; i < setting.size(); i += 2, ++k) {
        Check(k < kFixed.size() && IsDigit(setting[i]) &&
                  (i + 1 == setting.size() || setting[i + 1] == ','),
              "the setting is m,1[,0[,d[,0]]]");
        Check(kFixed[k] == '?' || kFixed[k] == setting[i], "the setting is m,1[,0[,d[,0]]]");
        Check(setting[i] == '0' || (k < groups.size() && Lists(groups[k], setting[i] - '0')),
              "every value but a 0 is offered");
    }
}

std::string Ucs2Hex(std::string_view utf8) {
    std::string hex;
    const auto unit = [&hex](char32_t u) {
        hex += bsms::Byte_To_Hex(u >> 8) + bsms::Byte_To_Hex(u & 0xFF);
    };
    for (char32_t c : bsms::Utf8ToU32(utf8)) {
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            c = 0xDC00 + ((c - 0x10000) & 0x3FF);
        }
        unit(c);
    }
    return hex;
}

// Phonebook entries in either character set: one line each ending in the number, at most one a
// "+CPBR: " line; a UCS2 field reads back as the same field, but for half a surrogate pair.
void CheckPhonebookListing(std::string_view reply) {
    std::size_t lines = 0;
    for (std::size_t at = reply.find("+CPBR: "); at != std::string_view::npos;
         at = reply.find("+CPBR: ", at + 1))
        ++lines;
    for (const bool ucs2 : {false, true}) {
        const std::vector<std::string> entries = bsms::ParseListing(reply, ucs2);
        Check(entries.size() <= lines, "at most one entry a +CPBR: line");
        for (const std::string& entry : entries)
            Check(bsms::fuzz::ValidUtf8(entry) && entry.ends_with(')') &&
                      entry.find('(') != std::string::npos &&
                      entry.find_first_of("\r\n") == std::string::npos,
                  "every entry can be chosen: one line ending in its number in parentheses");
    }
    if (const auto text = bsms::Ucs2HexText(reply)) {
        std::string upper(reply);
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        Check(bsms::fuzz::ValidUtf8(*text), "UCS2 reads as valid UTF-8");
        Check(Ucs2Hex(*text) == upper || text->find("\uFFFD") != std::string::npos,
              "a UCS2 field reads back as itself");
    }
}

// Any code read is in range and of the kind its line names; every code's words, in the case and
// with the blanks, hyphens and underscores the input picks, read as its number does.
void CheckErrorCodes(std::string_view line) {
    using Kind = bsms::ErrorResult::Kind;
    if (const auto result = bsms::ErrorCode(line))
        Check(result->code >= 0 && result->code <= bsms::kMaxErrorCode &&
                  (result->kind == Kind::Cms) == line.starts_with("+CMS"),
              "a code is in range and of its line's kind");
    if (line.size() < 2) return;
    const Kind kind = (line[0] & 1) != 0 ? Kind::Cms : Kind::Cme;
    const auto words = bsms::ErrorWords(kind);
    const auto& [code, text] = words[static_cast<unsigned char>(line[1]) % words.size()];
    std::string spelt = kind == Kind::Cms ? "+CMS ERROR: " : "+CME ERROR: ";
    const std::string number = spelt + std::to_string(code);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto pick = static_cast<unsigned char>(i + 2 < line.size() ? line[i + 2] : 0);
        spelt += static_cast<char>((pick & 1) != 0 ? std::toupper(text[i]) : std::tolower(text[i]));
        if ((pick & 2) != 0) spelt += " -_"[(pick >> 2) % 3];
    }
    Check(bsms::ErrorCode(spelt) == bsms::ErrorCode(number) &&
              bsms::ErrorCode(number) == bsms::ErrorResult{kind, code},
          "words and number read alike");
}

// Counts are -1 both, as where no +CPMS: stands, or both in range; the first four bytes, as two
// counts in range, read back from an answer that lists them.
void CheckMemoryCounts(std::string_view reply) {
    const auto [used, total] = bsms::MemoryCountsOf(reply);
    Check(used == -1 ? total == -1
                     : reply.find("+CPMS:") != reply.npos && used >= 0 && used <= 32767 &&
                           total >= 0 && total <= 32767,
          "counts are -1 both or in range");
    if (reply.size() < 4) return;
    const int a = (reply[0] & 0x7F) << 8 | static_cast<unsigned char>(reply[1]);
    const int b = (reply[2] & 0x7F) << 8 | static_cast<unsigned char>(reply[3]);
    const std::string counts = std::to_string(a) + "," + std::to_string(b);
    const auto read = bsms::MemoryCountsOf("AT+CPMS=\"SM\"\r\r\n+CPMS: " + counts + "," + counts +
                                           "\r\n\r\nOK\r\n");
    Check(read.used == a && read.total == b, "counts read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply = bsms::fuzz::Text(data, size);
    CheckPhonebookListing(bsms::Cp1252ToUtf8(reply));  // as the receive box holds it
    CheckMessageListing(reply);
    CheckIndications(reply);
    CheckErrorCodes(reply);
    CheckMemoryCounts(reply);
    if (const auto number = bsms::ServiceCentreFromReply(reply))
        Check(!number->empty(), "a service centre has digits");
    // Leaving out unsolicited lines takes nothing else away and is done once and for all.
    const std::string view = bsms::ReplyView(reply);
    Check(view.size() <= reply.size() && bsms::ReplyView(view) == view, "the view is made once");
    bsms::EndsWithOkLine(reply);
    bsms::HasOkEnding(reply);
    bsms::HasPromptEnding(reply);
    bsms::HasErrorEnding(reply);
    const std::string error = bsms::ExtendedErrorLine(reply);
    Check(error.empty() || error.starts_with("+CM"), "an extended error is +CME or +CMS");
    return 0;
}
