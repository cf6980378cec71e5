// Everything the phone sends is gathered in the receive box Text1, which is also the reply
// buffer; the dispatcher judges its ending after each arrival and hands complete replies on.
#pragma once

#include <string>
#include <string_view>

namespace bsms {

class Program;

// The receive box keeps at most this much; older text goes first, at a line boundary. The
// answer still awaited is kept whole up to the second, far larger bound.
inline constexpr std::size_t kReceiveBoxLimit = std::size_t{64} * 1024;
inline constexpr std::size_t kAwaitedAnswerLimit = std::size_t{16} * 1024 * 1024;

// The endings judged on the buffer (exact, case counts).
bool HasOkEnding(std::string_view s);     // "OK" at positions n-3, n-2
bool HasErrorEnding(std::string_view s);  // "ERROR" at positions n-6 .. n-2
// The prompt for a PDU: ">" at the start of a line, then nothing but blanks and line ends, as
// "> " from most phones and ">" CR LF from SIMCom modules.
bool HasPromptEnding(std::string_view s);
// A final "+CMS ERROR: ..." or "+CME ERROR: ..." as the last line; its text, else empty.
std::string ExtendedErrorLine(std::string_view s);
// A final error result as the last line: an ERROR ending or an extended error line.
bool HasErrorResult(std::string_view s);
// A final result line: "OK", "ERROR", "+CMS ERROR: ..." or "+CME ERROR: ...".
bool IsFinalResultLine(std::string_view line);
// The end (past its line break) of the last final result line that starts at or after `from`;
// npos when there is none. Lines after it answer no command: the phone sent them of its own
// accord.
std::size_t EndOfAnswer(std::string_view s, std::size_t from);
// How phones answer a read of an empty message location instead of a bare OK: an ERROR ending,
// or "+CMS ERROR: 321" (invalid memory index, in words or not) as the last line.
bool IsEmptyLocationAnswer(std::string_view s);

// The buffer as the dialogues read it: without the lines the phone sends of its own accord (RING,
// +CMTI, +CMT and its message line, network codes), which answer no command, and without the end
// of a line that may still turn out to be one, or an empty line that only opens the next.
std::string ReplyView(std::string_view buffer);

// The serial port's arrival event.
void Comm1_OnComm(Program& p);
// Appends received text to Text1, dropping the oldest text beyond the limit but none of an
// answer still awaited; the phone's quiet time starts again, and a final result or prompt ends
// the wait.
void Append_Received(Program& p, const std::string& received);
// Text1's change handler: the caret stays after the last character.
void Text1_Change(Program& p);
// Command2: empties the receive box.
void Command2_Click(Program& p);

}  // namespace bsms
