// Reading and writing the program's small text files: Windows-1252 with CR LF in the file,
// UTF-8 in memory.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bsms {

class Program;

// The items of a settings or counter file: split at commas and line ends, blanks around each
// item dropped. Nothing when the file cannot be opened.
bool ReadFileItems(const std::filesystem::path& file, std::vector<std::string>& items);
// The same for a text in memory.
std::vector<std::string> SplitItems(std::string_view text);
// The first bytes of a file, at most maxBytes of them (a larger file is no file of ours); nothing
// when it cannot be opened.
std::optional<std::string> ReadFileHead(const std::filesystem::path& file, std::size_t maxBytes);
// Replaces a file whole: written beside it first and renamed over it, so that a crash or a full
// disk never leaves it truncated. The content is UTF-8 and is written as Windows-1252.
bool ReplaceFile(const std::filesystem::path& file, const std::string& utf8Content);
// Whether files can be created in a folder (tried, not guessed from its permissions).
bool FolderWritable(const std::filesystem::path& folder);

// Where the program keeps its files and looks for its comN links: its own folder when that can
// be written (a copy in a folder of the user's, a build), else the user's data folder,
// "$XDG_DATA_HOME/brenvik-sms" or, when that is unset or relative, "~/.local/share/brenvik-sms",
// made when missing. Its own folder still when neither can be written.
struct ProgramFolder {
    std::filesystem::path folder;
    bool elsewhere = false;  // not the program's own folder
    bool madeNow = false;    // the data folder was made by this start
};
ProgramFolder ChooseProgramFolder(const std::filesystem::path& ownFolder,
                                  std::string_view xdgDataHome, std::string_view home);

// A critical box naming the file that could not be written.
void Report_Save_Failed(Program& p, const std::filesystem::path& file);

}  // namespace bsms
