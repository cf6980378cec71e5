// The network as the phone sees it: asked every half minute while the line is quiet, and shown
// in the status bar with the operator and the signal.
#pragma once

#include <string>

#include "core/command_queue.h"

namespace bsms {

class Program;

inline constexpr int kNetworkPollSeconds = 30;
// The status bar's panel of the network (1-based, after the one of arrivals).
inline constexpr int kNetworkPanel = 7;

// Each second: asks for registration, operator and signal when they are due and no dialogue
// runs, and nothing waits for the line.
void Network_Tick(Program& p);
// Their answers; errors are taken here too (a phone without LTE refuses AT+CEREG, say).
bool Network_Answer(Program& p, const Command& c, const std::string& answer);
// A question left unanswered: a phone that keeps silent on AT+CEREG is not asked it again.
bool Network_No_Answer(Program& p, const Command& c);
// What the network panel shows: operator, registration and signal bars, or the SIM's want.
std::string Network_Panel(const Program& p);

}  // namespace bsms
