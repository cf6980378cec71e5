#include "compose/sent_log.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/text.h"
#include "core/files.h"
#include "core/program.h"

namespace bsms {

namespace fs = std::filesystem;

std::string LogHeaderText() {
    return "BrenvikSMS By Orvantelliq\r\n"
           "Log degli SMS inviati.\r\n"
           "--------------------------------------------\r\n"
           "\r\n"
           "\r\n";
}

std::string LogEntryText(const std::string& text, const std::string& recipient,
                         const std::string& smsNeeded, const std::string& dateTime) {
    return "Sms:        " + text + "\r\n" + "Al numero:  " + recipient + "\r\n" +
           "Data e ora: " + dateTime + "\r\n" + "N.sms:  " + smsNeeded + "\r\n" + "\r\n";
}

std::string RegionalDateTime(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char buf[128];
    const std::size_t n = std::strftime(buf, sizeof buf, "%x %X", &local);
    return std::string(buf, n);  // the desktop's locale speaks UTF-8
}

namespace {

fs::path LogPath(const Program& p) {
    return p.folder / kLogFile;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool AppendRaw(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The log is Windows-1252 until a text holds a character that code page lacks; then it becomes
// UTF-8 behind a byte-order mark, as the program's other files do, the entries already there
// converted with it.
bool AppendBytes(const fs::path& file, const std::string& utf8) {
    const std::u32string chars = Utf8ToU32(utf8);
    const bool western = std::all_of(chars.begin(), chars.end(), InCp1252);
    std::ifstream in(file, std::ios::binary);
    std::string head(kUtf8Bom.size(), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    if (head == kUtf8Bom) return AppendRaw(file, utf8);
    if (western) return AppendRaw(file, Utf8ToCp1252(utf8));
    in.clear();
    in.seekg(0);
    const std::string old{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // ReplaceFile writes Windows-1252: bytes given as Windows-1252 go out unchanged.
    return ReplaceFile(file, Cp1252ToUtf8(std::string(kUtf8Bom) + Cp1252ToUtf8(old) + utf8));
}

// A log that does not exist yet starts with its header; errors are ignored.
void EnsureLog(const Program& p) {
    std::error_code ec;
    if (fs::exists(LogPath(p), ec) || ec) return;
    AppendBytes(LogPath(p), LogHeaderText());
}

}  // namespace

void Append_Log_Entry(Program& p, const SentMessage& message) {
    EnsureLog(p);
    AppendBytes(LogPath(p), LogEntryText(message.text, message.recipient, message.smsNeeded,
                                         RegionalDateTime(std::time(nullptr))));
}

void Mn_Log_Click(Program& p) {
    // The editor is shown the log even before the first send, header only.
    EnsureLog(p);
    p.host.openDocument(LogPath(p).string());
}

void Mn_DeleteLog_Click(Program& p) {
    const MsgResult r = p.Box(MsgId::Ask_Delete_Log, MsgId::Title_Confirm_Delete_Log,
                              MsgIcon::Question, MsgButtons::YesNo, 1);
    if (r != MsgResult::Yes) return;
    std::error_code ec;
    fs::remove(LogPath(p), ec);
}

}  // namespace bsms
