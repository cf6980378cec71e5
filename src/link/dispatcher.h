// Everything the phone sends is shown in the receive box Text1 and gathered as the answer to the
// command on the line; the dispatcher judges that answer after each arrival and hands it, once
// complete, to the command's owner and to no one else.
#pragma once

#include <string>
#include <string_view>

namespace bsms {

// A command the SIM refuses as busy (still starting up) goes again this many times, this far
// apart, before its owner hears of it: about ten seconds, as peers allow.
inline constexpr int kSimBusyRetries = 4;
inline constexpr int kSimBusyWaitMs = 2500;

class Program;

struct InFlight;

// The receive box keeps at most this much; older text goes first, at a line boundary. The
// answer still awaited is kept whole up to the second, far larger bound.
inline constexpr std::size_t kReceiveBoxLimit = std::size_t{64} * 1024;
inline constexpr std::size_t kAwaitedAnswerLimit = std::size_t{16} * 1024 * 1024;
// A line still on its way is kept for the next command's answer up to this length.
inline constexpr std::size_t kUnfinishedLineLimit = 4096;

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
// of a line that may still turn out to be one, or an empty line that only opens the next. Lines
// that begin with `own` ("+CREG:" for "AT+CREG?") answer the command and are kept.
std::string ReplyView(std::string_view buffer, std::string_view own = {});

// Where the answer to the command on the line ends in what has come back since it was written:
// past its first final result line, or at a prompt for a command that awaits one; npos while it
// goes on. The "AT" after a time-out ends at the final result after its own echo (the echoes of
// `unechoedResyncs` earlier ones come first) or, from a phone
// that does not echo (`phoneEchoes` false), at the last one once the line has been quiet for
// kSettleMs. Lines already looked through are not looked through again.
std::size_t EndOfAnswerTo(InFlight& f, bool phoneEchoes, int unechoedResyncs = 0);
// Whether the phone's echo of an "AT" (a line ending in "AT") is in `s`.
bool HasResyncEcho(std::string_view s);

// The serial port's arrival event.
void Comm1_OnComm(Program& p);
// Appends received text to Text1 (dropping the oldest text beyond the limit) and to the answer
// on the line, whose quiet time starts again.
void Append_Received(Program& p, const std::string& received);
// Hands every complete answer on the line to its owner, an error it does not take reported, a
// send the phone has taken completed; the next command goes. Waits while a handler's box is
// open.
void Judge_Answer(Program& p);
// Text1's change handler: the caret stays after the last character.
void Text1_Change(Program& p);
// Command2: empties the receive box.
void Command2_Click(Program& p);

}  // namespace bsms
