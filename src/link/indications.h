// New messages as they arrive: when the port opens, the phone is asked to announce them
// ("+CMTI:") and its delivery reports ("+CDSI:", or "+CDS:" with the report), where it can.
#pragma once

#include <string>
#include <string_view>

namespace bsms {

class Program;

// Asks the phone what AT+CNMI offers; the answers go to Indications_Reply.
void Ask_Indications(Program& p);
// An answer of that dialogue, ended by OK or an error: sets what the phone offers. A phone that
// refuses keeps its own setting, silently; every answer is taken here.
void Indications_Reply(Program& p, const std::string& reply);
// The AT+CNMI setting chosen from what "AT+CNMI=?" lists: new messages announced, reports
// stored and announced (or else given whole), buffered codes kept; empty when the phone does
// not offer to announce new messages.
std::string ChooseIndications(std::string_view offered);

}  // namespace bsms
