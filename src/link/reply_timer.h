// The time limit on the phone's answers: a command it leaves unanswered ends its dialogue with a
// word to the user, rather than a wait with none.
#pragma once

namespace bsms {

class Program;

// The tick of the main window's Timer2, which counts the phone's quiet time.
inline constexpr int kReplyTimerMs = 500;

// Timer2's tick: while an answer is awaited on an open port, adds the tick to the quiet time;
// once that reaches the limit, ends every dialogue (their windows end theirs) and says that the
// phone does not answer. Waits while the dispatcher has a box open.
void Reply_Timer_Tick(Program& p);

}  // namespace bsms
