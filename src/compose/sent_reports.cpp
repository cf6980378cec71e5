#include "compose/sent_reports.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "base/text.h"
#include "core/files.h"
#include "core/program.h"

namespace bsms {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit);
}

std::string Digits(std::string_view number) {
    std::string d;
    for (char c : number)
        if (IsDigit(c)) d += c;
    return d;
}

// The lines of a file's text without their line ends, a byte-order mark first passed over.
std::vector<std::string_view> Lines(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
    }
    return lines;
}

// Splits the three fields before the first three commas off the line, leaving the rest; false
// when a comma lacks.
bool TakeFields(std::string_view& line, std::string_view (&fields)[3]) {
    for (std::string_view& field : fields) {
        const std::size_t comma = line.find(',');
        if (comma == std::string_view::npos) return false;
        field = line.substr(0, comma);
        line.remove_prefix(comma + 1);
    }
    return true;
}

constexpr std::string_view kKeptTag = "D,";

}  // namespace

std::string SentPartLine(const SentPart& part) {
    return std::to_string(part.reference) + "," + part.recipient + "," + part.when + "," +
           part.text + "\r\n";
}

std::vector<SentPart> ParseSentParts(std::string_view fileText) {
    std::vector<SentPart> parts;
    for (std::string_view line : Lines(fileText)) {
        std::string_view fields[3];
        if (!TakeFields(line, fields) || !IsDigits(fields[0])) continue;
        parts.push_back({static_cast<int>(LeadingInt16(fields[0])), std::string(fields[1]),
                         std::string(fields[2]), std::string(line)});
    }
    return parts;
}

std::int64_t SentTime(std::string_view when) {
    constexpr std::string_view kForm = "dddd/dd/dd dd:dd:dd";
    if (when.size() != kForm.size()) return -1;
    for (std::size_t i = 0; i < kForm.size(); ++i)
        if (kForm[i] == 'd' ? !IsDigit(when[i]) : when[i] != kForm[i]) return -1;
    const auto number = [when](std::size_t at, std::size_t length) {
        int value = 0;
        for (char c : when.substr(at, length))
            value = value * 10 + (c - '0');
        return value;
    };
    std::tm t{};
    t.tm_year = number(0, 4) - 1900;
    t.tm_mon = number(5, 2) - 1;
    t.tm_mday = number(8, 2);
    t.tm_hour = number(11, 2);
    t.tm_min = number(14, 2);
    t.tm_sec = number(17, 2);
    t.tm_isdst = -1;  // summer time as the date has it
    const int day = t.tm_mday;
    if (t.tm_mon < 0 || t.tm_mon > 11 || day < 1 || t.tm_hour > 23 || t.tm_min > 59 ||
        t.tm_sec > 59)
        return -1;
    const std::time_t seconds = std::mktime(&t);
    // mktime carries a day past the month's end into the next month.
    return seconds == -1 || t.tm_mday != day ? -1 : static_cast<std::int64_t>(seconds);
}

std::string KeptReportLine(const KeptReport& report) {
    return std::string(kKeptTag) + std::to_string(report.reference) + "," + report.recipient + "," +
           report.when + "," + report.pdu + "\r\n";
}

std::vector<KeptReport> ParseKeptReports(std::string_view fileText) {
    std::vector<KeptReport> reports;
    for (std::string_view line : Lines(fileText)) {
        if (!line.starts_with(kKeptTag)) continue;
        line.remove_prefix(kKeptTag.size());
        std::string_view fields[3];
        if (!TakeFields(line, fields) || !IsDigits(fields[0]) || line.empty() ||
            line.find_first_not_of("0123456789ABCDEFabcdef") != std::string_view::npos)
            continue;
        reports.push_back({static_cast<int>(LeadingInt16(fields[0])), std::string(fields[1]),
                           std::string(fields[2]), std::string(line)});
    }
    return reports;
}

int LastMessageReference(std::string_view reply) {
    constexpr std::string_view kTag = "+CMGS:";
    constexpr int kMaxReference = 255;  // TP-MR is one octet
    const std::size_t at = reply.rfind(kTag);
    if (at == std::string_view::npos) return -1;
    std::size_t i = reply.find_first_not_of(' ', at + kTag.size());
    int value = -1;
    for (; i < reply.size() && IsDigit(reply[i]); ++i)
        value = std::min((value < 0 ? 0 : value * 10) + (reply[i] - '0'), kMaxReference + 1);
    return value > kMaxReference ? -1 : value;
}

namespace {

// The file's text in UTF-8: it is Windows-1252 as the other files, or UTF-8 behind a mark once
// a text needed it.
std::string ReportsText(const Program& p) {
    std::ifstream in(p.folder / kReportsFile, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : Cp1252ToUtf8(bytes);
}

bool WriteReports(const Program& p, const std::string& utf8) {
    const std::u32string all = Utf8ToU32(utf8);
    const bool narrow = std::all_of(all.begin(), all.end(), InCp1252);
    // ReplaceFile writes Windows-1252: the mark and the UTF-8 bytes go through it unchanged.
    return ReplaceFile(p.folder / kReportsFile,
                       narrow ? utf8 : Cp1252ToUtf8("\xEF\xBB\xBF" + utf8));
}

}  // namespace

void Record_Sent_Parts(Program& p, const SentMessage& sent, std::time_t when) {
    if (!sent.statusReport || sent.references.empty()) return;
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y/%m/%d %H:%M:%S", &local);
    const std::string firstLine = sent.text.substr(0, sent.text.find_first_of("\r\n"));
    std::string lines;
    for (int reference : sent.references)
        lines += SentPartLine(
            {reference, sent.recipient, stamp, CharPrefix(firstLine, kReportTextChars)});
    WriteReports(p, ReportsText(p) + lines);
}

std::vector<SentPart> Sent_Parts(const Program& p) {
    return ParseSentParts(ReportsText(p));
}

std::vector<KeptReport> Kept_Reports(const Program& p) {
    return ParseKeptReports(ReportsText(p));
}

bool Keep_Report(const Program& p, const KeptReport& report) {
    std::string text = ReportsText(p);
    for (const KeptReport& kept : ParseKeptReports(text))
        if (kept.pdu == report.pdu) return true;
    if (!text.empty() && !text.ends_with('\n')) text += "\r\n";
    return WriteReports(p, text + KeptReportLine(report));
}

bool Forget_Kept_Reports(const Program& p, const std::vector<std::string>& pdus) {
    const std::string text = ReportsText(p);
    std::string kept;
    bool changed = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
        const std::string_view line = std::string_view(text).substr(at, end - at);
        const std::vector<KeptReport> report = ParseKeptReports(line);
        const bool gone =
            !report.empty() && std::find(pdus.begin(), pdus.end(), report[0].pdu) != pdus.end();
        if (!gone) kept += line;
        changed = changed || gone;
        at = end;
    }
    return !changed || WriteReports(p, kept);
}

bool SameNumber(std::string_view a, std::string_view b) {
    const std::string x = Digits(a), y = Digits(b);
    if (x.empty() || y.empty()) return false;
    if (x == y) return true;
    constexpr std::size_t kSubscriber = 9;
    return x.size() >= kSubscriber && y.size() >= kSubscriber &&
           x.substr(x.size() - kSubscriber) == y.substr(y.size() - kSubscriber);
}

}  // namespace bsms
