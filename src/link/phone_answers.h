// What the phone answers about its SIM and its network: AT+CPIN?, AT+CPINR (and the vendors'
// own), AT+CREG?/AT+CEREG?, AT+COPS? and AT+CSQ.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/dialogue_state.h"

namespace bsms {

// What "+CPIN:" says the SIM waits for: Pin, Puk, Ready (also for PIN2 and PUK2, which SMS do
// not need, and for codes of the phone's own, which the phone asks for itself), or Unknown when
// the answer has no such line.
SimStep SimStepOf(std::string_view answer);

// The tries left for the PIN (or the PUK), from "+CPINR: SIM PIN,2,3" (TS 27.007) or
// "^CPIN: SIM PIN,3,10,3,10,3" (Huawei's code, tries, PUK tries, PIN tries, ...).
std::optional<int> PinTriesOf(std::string_view answer, bool puk);

// The registration a "+CREG:", "+CEREG:" or "+CGREG:" line (`tag`) tells, in the form of a
// query's answer ("n,stat[,lac,ci[,AcT]]") or of an unsolicited line ("stat[,lac,ci[,AcT]]").
Registration RegistrationOf(std::string_view answer, std::string_view tag);

// The operator of "+COPS: mode,format,"name"[,AcT]"; empty when there is none (not registered).
std::string OperatorOf(std::string_view answer);

// The RSSI of "+CSQ: rssi,ber": 0 to 31, or 99 (not known, also for what is out of range).
std::optional<int> SignalOf(std::string_view answer);

// Bars for an RSSI: 0 to 4, or -1 when it is not known.
int SignalBars(int rssi);

}  // namespace bsms
