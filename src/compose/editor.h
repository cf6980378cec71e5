// The message editor: the text box, its three counters, the clear commands, the build of the
// PDUs and the three options of the settings menu.
#pragma once

#include <string>

namespace bsms {

class Program;

// Builds the SMS-SUBMIT PDUs of the message into Pdu_Parts and Text3. A text or number that
// cannot be sent is refused with a box, and then no PDU exists.
void Elabora(Program& p);
// The counters (used, left, SMS needed) in the units of the text's encoding, and Label15 naming
// the encoding and what one SMS holds.
void Text5_Change(Program& p);
// Whether a text fits in five parts of its encoding: the box takes no edit that would not.
bool Text5_Fits(const std::string& text);
// Text5_GotFocus: the caret after the text when the special characters window hands the focus
// back, otherwise the whole text selected.
void Text5_GotFocus(Program& p);
// Puts a text the program chose (an answered message) into Text5 as far as it fits, as typed
// text must; when it does not fit whole, the start that does goes in and the user is told.
void Set_Message_Text(Program& p, const std::string& text);
// Command1 and Mn_Cancella.
void Clear_Message(Program& p);
// Mn_Conferma, Mn_Flash, Mn_Ricevuta.
void Toggle_Confirm_Send(Program& p);
void Toggle_Flash(Program& p);
void Toggle_Status_Report(Program& p);

}  // namespace bsms
