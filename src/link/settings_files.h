// Setting.sms and Sent.txt, the port actions of the main window, and the sent counter box.
#pragma once

#include <filesystem>
#include <string>

namespace bsms {

class Program;

inline constexpr const char* kSettingsFile = "Setting.sms";
inline constexpr const char* kSentFile = "Sent.txt";

// Start-up: Sent_Count from Sent.txt, 0 on any failure.
void Read_Sent_Count(Program& p);
// After a confirmed send; false when the file could not be written.
bool Write_Sent_Count(Program& p);
// The phone took `parts` more SMS: the counter (Text6 as it reads now, plus them) is shown at
// once, so that a send right behind counts on from there, and Sent.txt written; a file that
// cannot be written is told.
void Add_Sent(Program& p, long long parts);
// Start-up: false when Setting.sms could not be opened. Bad items are skipped one by one.
bool Read_Settings(Program& p);
// Mn_Salva_Imp, and the exit questions; tells the user when the file cannot be written.
bool Save_Settings(Program& p);
// The text Save_Settings writes.
std::string Settings_Text(const Program& p);

// Mn_Apri: clears the dialogue and opens the port; a failure is shown to the user.
void Open_Port(Program& p);
// Mn_Chiudi: what was on the line, or waited for it, is given up.
void Close_Port(Program& p);
// Mn_Azzera: asks, then sets the counter to 0 and deletes Sent.txt.
void Reset_Sent_Count(Program& p);
// Text6 change and focus.
void Text6_Change(Program& p);
void Text6_GotFocus(Program& p);

}  // namespace bsms
