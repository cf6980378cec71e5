// The main window: its controls and menus, the status refresh, and the two ways of ending.
#pragma once

#include <memory>

#include "core/controls.h"

namespace bsms {

class Program;

std::unique_ptr<Window> MakeForm1();

// Timer1's tick, also run once at start-up.
void Status_Refresh(Program& p);
// Command8 and Mn_Esci.
void Exit_Program(Program& p);
// The close box or a system shutdown; may cancel.
void Form1_QueryUnload(Program& p, bool& cancel);

}  // namespace bsms
