// Setting.sms and Sent.txt, the port actions of the main window, and the sent counter box.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace bsms {

class Program;

inline constexpr const char* kSettingsFile = "Setting.sms";
inline constexpr const char* kSentFile = "Sent.txt";

// The items of a settings or counter file: split at commas and line ends, blanks around each
// item dropped. Nothing when the file cannot be opened.
bool ReadFileItems(const std::filesystem::path& file, std::vector<std::string>& items);
// Replaces a file whole: written beside it first and renamed over it, so that a crash or a full
// disk never leaves it truncated. The content is UTF-8 and is written as Windows-1252.
bool ReplaceFile(const std::filesystem::path& file, const std::string& utf8Content);

// Start-up: Sent_Count from Sent.txt, 0 on any failure.
void Read_Sent_Count(Program& p);
// After a confirmed send; false when the file could not be written.
bool Write_Sent_Count(Program& p);
// Start-up: false when Setting.sms could not be opened. Bad items are skipped one by one.
bool Read_Settings(Program& p);
// Mn_Salva_Imp, and the exit questions; tells the user when the file cannot be written.
bool Save_Settings(Program& p);
// A critical box naming the file that could not be written.
void Report_Save_Failed(Program& p, const std::filesystem::path& file);
// The text Save_Settings writes.
std::string Settings_Text(const Program& p);

// Mn_Apri: clears the dialogue and opens the port; a failure is shown to the user.
void Open_Port(Program& p);
// Mn_Chiudi.
void Close_Port(Program& p);
// Mn_Azzera: asks, then sets the counter to 0 and deletes Sent.txt.
void Reset_Sent_Count(Program& p);
// Text6 change and focus.
void Text6_Change(Program& p);
void Text6_GotFocus(Program& p);

}  // namespace bsms
