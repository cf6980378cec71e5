// The special characters window: 24 characters an ordinary keyboard may lack, one click away
// from the end of the message.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "core/controls.h"

namespace bsms {

class Program;

inline constexpr int kSpecialCharCount = 24;
// The captions of the rows, "->" two blanks and the character, in row order.
const std::array<std::string, kSpecialCharCount>& SpecialChars();

std::unique_ptr<Window> MakeForm4();

// Mn_Special: shows the window; afterwards the message box gets the focus back with its caret at
// the end.
void Mn_Special_Click(Program& p);
void Form4_Activate(Program& p);
// The mouse over row i: its bar alone is shown.
void Form4_Row_MouseMove(Program& p, int row);
// A click on row i: closes the window and appends the row's character to the message.
void Form4_Row_Click(Program& p, int row);
// The cancel label or the background: closes the window, nothing else.
void Form4_Cancel(Program& p);

}  // namespace bsms
