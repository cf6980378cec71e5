#include "core/files.h"

#include <unistd.h>

#include <fstream>

#include "base/text.h"
#include "core/program.h"

namespace bsms {

namespace fs = std::filesystem;

namespace {

// Larger files are not settings files; reading stops there rather than filling memory.
constexpr std::size_t kMaxFileBytes = std::size_t{64} * 1024;

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

}  // namespace

std::optional<std::string> ReadFileHead(const fs::path& file, std::size_t maxBytes) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    while (bytes.size() < maxBytes && in.read(chunk, sizeof chunk).gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > maxBytes) bytes.resize(maxBytes);
    return bytes;
}

bool ReadFileItems(const fs::path& file, std::vector<std::string>& items) {
    const auto bytes = ReadFileHead(file, kMaxFileBytes);
    if (!bytes) return false;
    items = SplitItems(Cp1252ToUtf8(*bytes));
    return true;
}

std::vector<std::string> SplitItems(std::string_view text) {
    std::vector<std::string> items;
    std::string item;
    bool pending = false;  // an item has started on this line
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',') {
            items.push_back(Trim(item));
            item.clear();
            pending = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            items.push_back(Trim(item));
            item.clear();
            pending = false;
        } else {
            item.push_back(c);
            pending = true;
        }
    }
    if (pending || !item.empty()) items.push_back(Trim(item));
    return items;
}

bool ReplaceFile(const fs::path& file, const std::string& utf8Content) {
    const fs::path temp = file.parent_path() / (file.filename().string() + ".new");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        const std::string bytes = Utf8ToCp1252(utf8Content);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            fs::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, file, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

bool FolderWritable(const fs::path& folder) {
    const fs::path probe = folder / (".bsms-write-test-" + std::to_string(::getpid()));
    bool written = false;
    {
        std::ofstream out(probe, std::ios::binary);
        written = out && out.put('x').flush();
    }
    // A full disk lets the file be made but not written: it goes either way.
    std::error_code ec;
    fs::remove(probe, ec);
    return written;
}

ProgramFolder ChooseProgramFolder(const fs::path& ownFolder, std::string_view xdgDataHome,
                                  std::string_view home) {
    if (FolderWritable(ownFolder)) return {ownFolder};
    fs::path data = xdgDataHome;
    if (data.empty() || data.is_relative()) {
        if (home.empty()) return {ownFolder};
        data = fs::path(home) / ".local" / "share";
    }
    data /= "brenvik-sms";
    std::error_code ec;
    const bool made = fs::create_directories(data, ec);
    if (ec || !FolderWritable(data)) return {ownFolder};
    return {data, true, made};
}

void Report_Save_Failed(Program& p, const fs::path& file) {
    std::string text = p.texts[MsgId::Save_Failed];
    text += '\r';
    text += file.string();
    p.Box(text, p.texts[MsgId::Title_Error], MsgIcon::Critical);
}

}  // namespace bsms
