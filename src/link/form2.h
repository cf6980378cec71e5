// The port settings window.
#pragma once

#include <memory>

#include "core/controls.h"

namespace bsms {

class Program;

std::unique_ptr<Window> MakeForm2();

// Mn_Comm: shows the window modally.
void Show_Port_Settings(Program& p);
void Form2_Activate(Program& p);
// Text1: shows the device the typed port number resolves to.
void Form2_Port_Change(Program& p);
void Form2_Speed_Click(Program& p);  // Combo2
void Form2_Ok_Click(Program& p);     // Command1
// Command2, the search for the phone, is Form2_Search_Click of link/form6.h.

}  // namespace bsms
