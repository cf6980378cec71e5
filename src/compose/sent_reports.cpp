#include "compose/sent_reports.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "base/text.h"
#include "core/files.h"
#include "core/program.h"

namespace bsms {

namespace {

std::string Digits(std::string_view number) {
    std::string d;
    for (char c : number)
        if (c >= '0' && c <= '9') d += c;
    return d;
}

}  // namespace

std::string SentPartLine(const SentPart& part) {
    return std::to_string(part.reference) + "," + part.recipient + "," + part.when + "," +
           part.text + "\r\n";
}

std::vector<SentPart> ParseSentParts(std::string_view fileText) {
    if (fileText.starts_with("\xEF\xBB\xBF")) fileText.remove_prefix(3);
    std::vector<SentPart> parts;
    while (!fileText.empty()) {
        const std::size_t end = std::min(fileText.find('\n'), fileText.size());
        std::string_view line = fileText.substr(0, end);
        fileText.remove_prefix(std::min(end + 1, fileText.size()));
        if (line.ends_with('\r')) line.remove_suffix(1);
        std::string_view fields[3];
        bool whole = true;
        for (std::string_view& field : fields) {
            const std::size_t comma = line.find(',');
            whole = whole && comma != std::string_view::npos;
            if (!whole) break;
            field = line.substr(0, comma);
            line.remove_prefix(comma + 1);
        }
        if (!whole || fields[0].empty() || Digits(fields[0]) != fields[0]) continue;
        parts.push_back({static_cast<int>(LeadingInt16(fields[0])), std::string(fields[1]),
                         std::string(fields[2]), std::string(line)});
    }
    return parts;
}

int LastMessageReference(std::string_view reply) {
    constexpr std::string_view kTag = "+CMGS:";
    constexpr int kMaxReference = 255;  // TP-MR is one octet
    const std::size_t at = reply.rfind(kTag);
    if (at == std::string_view::npos) return -1;
    std::size_t i = reply.find_first_not_of(' ', at + kTag.size());
    int value = -1;
    for (; i < reply.size() && reply[i] >= '0' && reply[i] <= '9'; ++i)
        value = std::min((value < 0 ? 0 : value * 10) + (reply[i] - '0'), kMaxReference + 1);
    return value > kMaxReference ? -1 : value;
}

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
    const std::filesystem::path file = p.folder / kReportsFile;
    std::ifstream in(file, std::ios::binary);
    const std::string old{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    // Windows-1252 as the other files, or UTF-8 behind a mark once a text needs it.
    const std::string utf8 = (old.starts_with("\xEF\xBB\xBF") ? old.substr(3) : Cp1252ToUtf8(old));
    const std::u32string all = Utf8ToU32(utf8 + lines);
    const std::string content = utf8 + lines;
    if (std::all_of(all.begin(), all.end(), InCp1252))
        ReplaceFile(file, content);
    else
        ReplaceFile(file, Cp1252ToUtf8("\xEF\xBB\xBF" + content));
}

std::vector<SentPart> Sent_Parts(const Program& p) {
    std::ifstream in(p.folder / kReportsFile, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ParseSentParts(bytes.starts_with("\xEF\xBB\xBF") ? bytes : Cp1252ToUtf8(bytes));
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
