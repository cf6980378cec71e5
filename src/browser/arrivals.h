// What the phone says of its own accord while the program runs: a new message or delivery
// report stored in its memory, or a report given whole.
#pragma once

#include <string>

namespace bsms {

class Program;

// The main window's notice panel for them: the sixth of its status bar.
inline constexpr int kNoticePanel = 6;

// A "+CMTI:", "+CDSI:" or "+CDS:" line (with the report's line for the last): the notice panel
// tells the user, without a box; a report given whole is paired with the message it reports on;
// a message or report stored where the browser reads is read in by an open browser once it is
// idle. Writes nothing to the phone itself.
void Take_Indication(Program& p, const std::string& line, const std::string& reportLine);

}  // namespace bsms
