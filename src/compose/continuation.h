// The continuation of the three dialogues that the main window starts: the service-centre
// query, the store job (AT+CMGW) and the send job (AT+CMGS), one step per reply.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/command_queue.h"

namespace bsms {

class Program;

inline constexpr const char* kSendCommand = "AT+CMGS=";
inline constexpr const char* kStoreCommand = "AT+CMGW=";

// The command line for a part of `length` octets ("AT+CMGS=23"), answered by the prompt for its
// PDU; the first of a job empties the receive box, so that its replies pile up from there.
Command PartCommand(const char* verb, int length, bool first);

// The service-centre number of an AT+CSCA? reply: the first quoted field of its "+CSCA:" line,
// without a leading "+". Nothing when that is not a number (no line, no quotes, an empty pair:
// a phone that has no service centre stored, or anything but digits).
std::optional<std::string> ServiceCentreFromReply(std::string_view reply);

// Called by the dispatcher with each complete answer to the probe, the service-centre query and
// the send and store jobs. Writes at most one line and moves the state on by one step.
void Continue_Send_Store(Program& p, const std::string& reply);

}  // namespace bsms
