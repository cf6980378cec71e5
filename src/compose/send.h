// The send and store commands of the main window: each builds the message, starts its job and
// writes the first command line; the phone's replies drive the rest (Continue_Send_Store).
#pragma once

#include <optional>
#include <string>

#include "core/dialogue_state.h"

namespace bsms {

class Program;

// The question asked before a send, lines broken by single CRs. A language word that is none of
// the five gives the Italian text, as the windows show until a language is chosen.
std::string SendPrompt(const std::string& language, const std::string& text,
                       const std::string& recipient, bool flash, bool statusReport);

// Command6 and Mn_Invia: builds, asks (when the option says so), writes "AT+CMGS="; the message
// is logged when the phone has taken it.
void Command6_Click(Program& p);
// Command7 and Mn_Salva: builds and writes "AT+CMGW="; asks nothing and logs nothing.
void Command7_Click(Program& p);
// The send job ends before the phone took its last part (an error, another dialogue, a port
// closed, or, with `unanswered`, a phone fallen silent): when it took any, those parts are
// counted and their references kept, and a box says how many of how many went (after the words
// for a silent phone, which are then not said again). True when the box was shown.
bool Send_Cut_Off(Program& p, bool unanswered);
// The phone answered (or, `answer` none, did not) the PDU of a send ended while it was on its
// way: the part counts as taken on an OK, and the send is settled as above, or, all parts taken,
// told sent, counted and logged as any other. True when a box was shown.
bool Ended_Send_Answered(Program& p, const std::optional<std::string>& answer, bool unanswered);
// The phone took the last part of a send (`reply` its answer): the message goes into the log,
// and its parts' references, when a report was asked for, into the reports file.
void Send_Accepted(Program& p, SentMessage sent, const std::string& reply);

}  // namespace bsms
