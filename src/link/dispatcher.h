// Everything the phone sends is gathered in the receive box Text1, which is also the reply
// buffer; the dispatcher judges its ending after each arrival and hands complete replies on.
#pragma once

#include <string>
#include <string_view>

namespace bsms {

class Program;

// The receive box keeps at most this much; older text goes first, at a line boundary.
inline constexpr std::size_t kReceiveBoxLimit = std::size_t{64} * 1024;

// The endings judged on the buffer (exact, case counts).
bool HasOkEnding(std::string_view s);      // "OK" at positions n-3, n-2
bool HasPromptEnding(std::string_view s);  // "> " as the last two characters
bool HasErrorEnding(std::string_view s);   // "ERROR" at positions n-6 .. n-2
// A final "+CMS ERROR: n" or "+CME ERROR: n" as the last line; its text, else empty.
std::string ExtendedErrorLine(std::string_view s);
// How phones answer a read of an empty message location instead of a bare OK: an ERROR ending,
// or "+CMS ERROR: 321" (invalid memory index) as the last line.
bool IsEmptyLocationAnswer(std::string_view s);

// The buffer as the dialogues read it: without the lines the phone sends of its own accord (RING,
// +CMTI, +CMT and its message line, network codes), which answer no command, and without the end
// of a line that may still turn out to be one, or an empty line that only opens the next.
std::string ReplyView(std::string_view buffer);

// The serial port's arrival event.
void Comm1_OnComm(Program& p);
// Appends received text to Text1, dropping the oldest text beyond the limit.
void Append_Received(Program& p, const std::string& received);
// Text1's change handler: the caret stays after the last character.
void Text1_Change(Program& p);
// Command2: empties the receive box.
void Command2_Click(Program& p);

}  // namespace bsms
