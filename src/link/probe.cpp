#include "link/probe.h"

#include "core/program.h"

namespace bsms {

void Probe_Phone(Program& p) {
    (*p.Form1)["Text1"].setText("");
    p.WriteCommand("AT+CGMM");
}

}  // namespace bsms
