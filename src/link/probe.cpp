#include "link/probe.h"

#include "core/program.h"

namespace bsms {

void Probe_Phone(Program& p) {
    p.EndDialogues();
    p.Send(CommandLine(Owner::Probe, "AT+CGMM"));
}

void Query_Service_Centre(Program& p) {
    p.EndDialogues();
    p.st.Csc_Query_Pending = true;
    p.Send(CommandLine(Owner::ServiceCentre, "AT+CSCA?"));
}

}  // namespace bsms
