// Two one-shot questions to the phone: its model, which the user reads in the receive box, and
// its service centre, which the reply continuation puts into Text2.
#pragma once

namespace bsms {

class Program;

// Mn_Test.
void Probe_Phone(Program& p);
// Command3 and Mn_CSC.
void Query_Service_Centre(Program& p);

}  // namespace bsms
