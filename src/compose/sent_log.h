// The log of sent messages, LogSMS.txt in the program's folder: Windows-1252 text with CR LF,
// a header written once and five lines per message. Nothing reads it back.
#pragma once

#include <ctime>
#include <string>

#include "core/dialogue_state.h"

namespace bsms {

class Program;

inline constexpr const char* kLogFile = "LogSMS.txt";

// The five header lines, CR LF after each.
std::string LogHeaderText();
// The five lines of one entry (UTF-8, CR LF after each); the message's own line breaks stay.
std::string LogEntryText(const std::string& text, const std::string& recipient,
                         const std::string& smsNeeded, const std::string& dateTime);
// The local time as the desktop's regional short date, a blank and its long time.
std::string RegionalDateTime(std::time_t when);

// Appends the entry of a message the phone has taken, creating the file with its header first.
// A log that cannot be written is skipped.
void Append_Log_Entry(Program& p, const SentMessage& message);
// Mn_Log: opens the log in the desktop's text editor and does not wait for it.
void Mn_Log_Click(Program& p);
// Mn_DeleteLog: asks, then deletes the log.
void Mn_DeleteLog_Click(Program& p);

}  // namespace bsms
