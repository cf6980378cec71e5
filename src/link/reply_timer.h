// The time limit on the phone's answers: a command it leaves unanswered is given up with a word
// to the user, rather than a wait with none, and the line is put back in step before the next.
#pragma once

namespace bsms {

class Program;
struct Command;

// The tick of the main window's Timer2, which counts the phone's quiet time.
inline constexpr int kReplyTimerMs = 500;

// Timer2's tick: adds the tick to the quiet time of the command on the line; once that reaches
// its limit the command is given up (Time_Out). A port found closed gives up everything on the
// line (Line_Closed). Waits while a handler's box is open.
void Reply_Timer_Tick(Program& p);
// The command on the line went unanswered: its owner is told and ends its dialogue (or takes
// another way on), "AT" goes before the next command, and the user is told the phone does not
// answer, once until it answers again. When that "AT" is the command given up, every command
// waiting goes too, unwritten, its owner told it was cut off.
void Time_Out(Program& p);
// The port closed (by the user or a device gone): every command on the line or waiting is given
// up, its owner told; only what waits for the port to open again stays.
void Line_Closed(Program& p);

}  // namespace bsms
