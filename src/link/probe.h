// The phone probe: asks the phone for its model, which the user reads in the receive box.
#pragma once

namespace bsms {

class Program;

// Mn_Test.
void Probe_Phone(Program& p);

}  // namespace bsms
