// What the phone says of its own accord while the program runs: a new message or delivery
// report stored in its memory, or a report given whole.
#pragma once

#include <string>

#include "core/command_queue.h"
#include "sms/decoder.h"

namespace bsms {

class Program;

// The main window's notice panel for them: the sixth of its status bar.
inline constexpr int kNoticePanel = 6;

// A "+CMTI:", "+CDSI:" or "+CDS:" line (with the report's line for the last). A new message is
// told in the notice panel, without a box, and read in by an open browser once the line is
// free; with notifications on, it is read (by the browser, when open) and told on the desktop.
// A report is kept in Reports.txt, paired with the message it reports on, and its outcome told:
// one given whole at once, one stored by the phone once it has been read from there.
void Take_Indication(Program& p, const std::string& line, const std::string& reportLine);

// The answers to the reads of stored reports: a report is kept, then deleted from the phone (so
// that reports do not fill its memory); anything else is left where it is. Errors are nothing
// the user asked about: all are taken here.
bool Reports_Answer(Program& p, const Command& command, const std::string& answer);

// How much of a message's text its notification shows.
inline constexpr std::size_t kNotifiedChars = 80;

// Tells a message that arrived at `location` on the desktop when notifications are on: its
// sender (the picker's entry where there is one) and the start of its text. Nothing else than a
// received message with text is told.
void Notify_Arrival(Program& p, int location, const Sms_Record& message);
// The answer to the read of a new message for its notification; errors and silence are nothing
// the user asked about.
bool Notify_Answer(Program& p, const Command& command, const std::string& answer);
// Mn_Avviso: notifications on or off.
void Toggle_Notify(Program& p);

}  // namespace bsms
