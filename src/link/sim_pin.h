// The SIM as the port opens: what it waits for, and the PIN (or the PUK and a new PIN) the user
// gives it. The codes go to the phone only: never to a file, and the receive box shows stars.
#pragma once

#include <memory>
#include <string>

#include "core/command_queue.h"
#include "core/controls.h"

namespace bsms {

class Program;

// The window asking for the PIN, or for the PUK and a new PIN.
std::unique_ptr<Window> MakeFormPin();

// Asks the SIM what it waits for; the port has just opened.
void Check_Sim(Program& p);
// The answers of that dialogue; every one is taken here.
bool Sim_Answer(Program& p, const Command& c, const std::string& answer);
bool Sim_No_Answer(Program& p, const Command& c, bool cutOff);

// FormPin: the code boxes changed (Ok only for codes of the right form), Ok, Cancel, and the
// window closed (by its title bar too: the code was not given).
void FormPin_Change(Program& p);
void FormPin_Ok(Program& p);
void FormPin_Cancel(Program& p);
void FormPin_Unload(Program& p);

// A text the phone echoed with the codes of its AT+CPIN commands as stars.
std::string MaskedPins(std::string text);

}  // namespace bsms
