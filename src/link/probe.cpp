#include "link/probe.h"

#include "core/program.h"

namespace bsms {

void Probe_Phone(Program& p) {
    p.EndDialogues();
    (*p.Form1)["Text1"].setText("");
    p.WriteCommand("AT+CGMM");
}

void Query_Service_Centre(Program& p) {
    p.EndDialogues();
    (*p.Form1)["Text1"].setText("");
    p.st.Csc_Query_Pending = true;
    p.WriteCommand("AT+CSCA?");
}

}  // namespace bsms
