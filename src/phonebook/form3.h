// Form3: the borderless progress window of the phonebook download, with its Cancel button and
// the 200 ms timer that tells which phonebook is being read.
#pragma once

#include <memory>

#include "core/controls.h"

namespace bsms {

class Program;

std::unique_ptr<Window> MakeForm3();

// Load: the busy pointer, "della SIM" showing, the timer running while the window is loaded.
void Form3_Load(Program& p);
// Activation: the texts of the current language (which also resets the pointer).
void Form3_Activate(Program& p);
void Form3_Unload(Program& p);
// Timer1: "della SIM" while the SIM is being selected, "del CELLULARE" from the selection of the
// phone's memory to the end; otherwise the labels stay as they are.
void Form3_Timer(Program& p);
// Command1: closes the port and the window; the entries already added stay in the picker.
void Form3_Cancel(Program& p);
// The phone left a command unanswered: the window closes, the port stays open.
void Phonebook_No_Answer(Program& p);
// The pointer: busy over the frame, the normal arrow over Cancel.
void Form3_Frame_MouseMove(Program& p);
void Form3_Cancel_MouseMove(Program& p);

}  // namespace bsms
