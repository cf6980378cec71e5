#include "phonebook/vcard.h"

#include <cctype>

#include "base/text.h"
#include "core/program.h"

namespace bsms {
namespace {

constexpr std::size_t kFoldAt = 75;  // octets of a line before it is folded

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && Upper(s.substr(0, prefix.size())) == prefix;
}

std::string_view Trimmed(std::string_view s) {
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

std::string Escaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == ',' || c == ';')
            out += '\\', out += c;
        else if (c == '\r' || c == '\n')
            out += "\\n", i += c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        else
            out += c;
    }
    return out;
}

// An unknown escape keeps its backslash: 2.1 files have no escapes but for the semicolon.
std::string Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (text[i] != '\\' || std::string_view("\\,;nN").find(next) == std::string_view::npos ||
            next == '\0') {
            out += text[i];
            continue;
        }
        out += next == 'n' || next == 'N' ? '\n' : next;
        ++i;
    }
    return out;
}

// Folds a content line: CR LF and a blank before each further 74 octets, never inside a character.
void AppendFolded(std::string& out, std::string_view line) {
    std::size_t room = kFoldAt;
    while (line.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        if (cut == 0) cut = room;  // no character start to cut at: bytes that are no UTF-8
        out.append(line.substr(0, cut)).append("\r\n ");
        line.remove_prefix(cut);
        room = kFoldAt - 1;
    }
    out.append(line).append("\r\n");
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool DecodeQuotedPrintable(std::string_view in, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '=') {
            out += in[i];
            continue;
        }
        if (i + 2 >= in.size()) return false;
        const int high = HexDigit(in[i + 1]), low = HexDigit(in[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// One content line: "[group.]NAME[;params]:value", the name and parameters upper-cased.
struct Property {
    std::string name;
    std::vector<std::string> params;
    std::string_view value;
};

Property Parse(std::string_view line) {
    Property p;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return p;
    p.value = line.substr(colon + 1);
    const std::string head = Upper(line.substr(0, colon));
    std::size_t semi = head.find(';');
    p.name = head.substr(0, semi);
    while (semi != std::string::npos) {
        const std::size_t next = head.find(';', semi + 1);
        p.params.push_back(head.substr(semi + 1, next - semi - 1));
        semi = next;
    }
    if (const std::size_t dot = p.name.rfind('.'); dot != std::string::npos)
        p.name.erase(0, dot + 1);
    return p;
}

bool QuotedPrintable(const Property& p) {
    for (const std::string& param : p.params)
        if (param == "QUOTED-PRINTABLE" || param == "ENCODING=QUOTED-PRINTABLE") return true;
    return false;
}

// The value as UTF-8 text with LF line ends; false for quoted-printable that does not decode.
bool DecodeValue(const Property& p, std::string& out) {
    std::string bytes(p.value);
    if (QuotedPrintable(p) && !DecodeQuotedPrintable(p.value, bytes)) return false;
    std::string charset;
    for (const std::string& param : p.params)
        if (param.starts_with("CHARSET=")) charset = param.substr(8);
    std::string text;
    if (charset == "ISO-8859-1" || charset == "LATIN1") {
        for (const char c : bytes)
            text += CodePointToUtf8(static_cast<unsigned char>(c));
    } else if (charset == "WINDOWS-1252" || charset == "CP1252") {
        text = Cp1252ToUtf8(bytes);
    } else {
        text = U32ToUtf8(Utf8ToU32(bytes));  // malformed bytes become characters, not trouble
    }
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\r')
            out += text[i];
        else if (i + 1 == text.size() || text[i + 1] != '\n')
            out += '\n';
    return true;
}

std::string NumberOf(std::string_view value) {
    std::string_view v = Trimmed(value);
    std::string number;
    if (StartsWithNoCase(v, "TEL:")) {
        while (StartsWithNoCase(v, "TEL:"))
            v.remove_prefix(4);
        number = PlainNumber(v.substr(0, v.find(';')));  // without the URI's parameters
    } else {
        number = PlainNumber(Unescaped(v));
    }
    while (StartsWithNoCase(number, "TEL:"))
        number.erase(0, 4);
    return number;
}

// "family;given;additional;prefixes;suffixes" as people say it: "given family".
std::string NameOfN(std::string_view value) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == ';') {
            parts.emplace_back();
        } else {
            if (value[i] == '\\' && i + 1 < value.size()) parts.back() += value[i++];
            parts.back() += value[i];
        }
    }
    const std::string family(Trimmed(Unescaped(parts[0])));
    const std::string given(parts.size() > 1 ? Trimmed(Unescaped(parts[1])) : "");
    return given.empty() ? family : family.empty() ? given : given + " " + family;
}

struct Card {
    int begin = 0;
    int badLine = 0;
    bool hasFn = false;
    std::string fn, n;
    std::vector<std::string> numbers;
};

void Finish(const Card& card, VCardRead& read) {
    if (card.badLine) {
        read.problems.push_back({card.badLine, VCardIssue::BadEncoding});
    } else if (card.numbers.empty()) {
        read.problems.push_back({card.begin, VCardIssue::NoNumber});
    } else {
        const std::string name = card.hasFn && !card.fn.empty() ? card.fn : card.n;
        for (const std::string& number : card.numbers)
            read.entries.push_back({name, number});
    }
}

void Take(Card& card, const Property& p, int line) {
    if (p.name != "FN" && p.name != "N" && p.name != "TEL") return;
    std::string value;
    if (!DecodeValue(p, value)) {
        if (!card.badLine) card.badLine = line;
        return;
    }
    if (p.name == "FN") {
        card.hasFn = true;
        card.fn = Trimmed(Unescaped(value));
    } else if (p.name == "N") {
        card.n = NameOfN(value);
    } else if (std::string number = NumberOf(value); !number.empty()) {
        card.numbers.push_back(std::move(number));
    }
}

// Logical lines: folded lines joined, and quoted-printable soft line breaks.
struct Line {
    int number;
    std::string text;
};

std::vector<Line> Unfold(std::string_view text) {
    std::vector<Line> lines;
    int number = 0;
    bool softBreak = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view physical = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);
        if (!lines.empty() && softBreak) {
            lines.back().text.pop_back();
            lines.back().text.append(physical);
        } else if (!lines.empty() && !physical.empty() &&
                   (physical[0] == ' ' || physical[0] == '\t')) {
            lines.back().text.append(physical.substr(1));
        } else {
            lines.push_back({number, std::string(physical)});
        }
        const std::string& last = lines.back().text;
        softBreak = !last.empty() && last.back() == '=' && QuotedPrintable(Parse(last));
    }
    return lines;
}

}  // namespace

std::string VCardText(const std::vector<VCardEntry>& entries) {
    std::string out;
    for (const VCardEntry& e : entries) {
        const std::string name = Escaped(e.name);
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        AppendFolded(out, "FN:" + name);
        AppendFolded(out, "N:;" + name + ";;;");
        AppendFolded(out, "TEL;TYPE=CELL:" + Escaped(e.number));
        out += "END:VCARD\r\n";
    }
    return out;
}

VCardRead ReadVCards(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    VCardRead read;
    Card card;
    bool inCard = false, stray = false;
    for (const Line& line : Unfold(text)) {
        if (Trimmed(line.text).empty()) continue;
        const Property p = Parse(line.text);
        const bool begin = p.name == "BEGIN" && Upper(Trimmed(p.value)) == "VCARD";
        const bool end = p.name == "END" && Upper(Trimmed(p.value)) == "VCARD";
        if (begin) {
            if (inCard) read.problems.push_back({card.begin, VCardIssue::Unterminated});
            card = Card{};
            card.begin = line.number;
            inCard = true;
            stray = false;
        } else if (inCard && end) {
            Finish(card, read);
            inCard = false;
        } else if (inCard) {
            Take(card, p, line.number);
        } else if (!stray) {
            read.problems.push_back({line.number, VCardIssue::NotAVCard});
            stray = true;
        }
    }
    if (inCard) read.problems.push_back({card.begin, VCardIssue::Unterminated});
    if (read.entries.empty() && read.problems.empty())
        read.problems.push_back({1, VCardIssue::NotAVCard});
    return read;
}

std::string VCardProblemText(const MessageTexts& texts, const VCardProblem& problem) {
    MsgId id = MsgId::Vcard_Not_A_Card;
    switch (problem.issue) {
        case VCardIssue::NotAVCard:
            break;
        case VCardIssue::Unterminated:
            id = MsgId::Vcard_Unterminated;
            break;
        case VCardIssue::NoNumber:
            id = MsgId::Vcard_No_Number;
            break;
        case VCardIssue::BadEncoding:
            id = MsgId::Vcard_Bad_Encoding;
            break;
    }
    return Filled(texts[id], std::to_string(problem.line));
}

}  // namespace bsms
