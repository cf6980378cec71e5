// The program's core against the simulated phone, through the Qt serial port and the "com1" link.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include "program_on_sim.h"

namespace bsms {
namespace {

TEST(ProgramWithPhone, OpensPortOneThroughTheLinkAndProbes) {
    test::ProgramOnSim rig({"--model", "Brenvik Test Phone"});
    ASSERT_TRUE(rig.port.portOpen());
    EXPECT_EQ(rig.form1()["StatusBar1"].panel(4), "Status: Connesso");

    rig.form1().menu("Mn_Test").click();
    ASSERT_TRUE(test::RunUntil([&] { return rig.received().find("OK\r\n") != std::string::npos; }))
        << rig.received();
    EXPECT_EQ(rig.received(), "AT+CGMM\r\r\nBrenvik Test Phone\r\n\r\nOK\r\n");
    EXPECT_TRUE(rig.host.boxes.empty());

    // A command the phone refuses is reported with the phone's own error line.
    rig.form1()["Text1"].setText("");
    rig.program->WriteCommand("AT+CPBS=XX");
    ASSERT_TRUE(rig.boxes(1)) << rig.received();
    EXPECT_EQ(rig.host.boxes[0].text.substr(0, rig.host.boxes[0].text.find('\r')),
              "Command didn't accept by mobile");

    // The phone goes away: the port closes and the next refresh shows it.
    rig.sim.Stop();
    ASSERT_TRUE(test::RunUntil([&] { return !rig.port.portOpen(); }));
    Status_Refresh(*rig.program);
    EXPECT_EQ(rig.form1()["StatusBar1"].panel(4), "Status: Disconnesso");
}

}  // namespace
}  // namespace bsms

#endif
