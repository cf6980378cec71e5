// The program's core against the simulated phone, through the Qt serial port and the "com1" link.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>
#include <QDeadlineTimer>

#include "app/form1.h"
#include "app/startup.h"
#include "phone_sim_client.h"
#include "qt/qt_comm_port.h"
#include "qt_loop.h"
#include "test_support.h"
#include "ui/language.h"

namespace bsms {
namespace {

TEST(ProgramWithPhone, OpensPortOneThroughTheLinkAndProbes) {
    test::QtApp();
    phonesim_test::PhoneSim sim({"--model", "Brenvik Test Phone"});
    const std::filesystem::path folder = sim.link().parent_path();
    test::ScriptedHost host;
    qt::QtCommPort port(folder);
    {
        std::ofstream settings(folder / "Setting.sms", std::ios::binary);
        settings << " 1 \r\n115200,n,8,1\r\n 0 \r\n\r\nTrue\r\nFalse\r\nenglish\r\n";
    }
    const auto owner = MakeProgram(host, port, folder);
    Program& program = *owner;
    program.Form1->load();
    ASSERT_TRUE(port.portOpen()) << (host.boxes.empty() ? "" : host.boxes[0].text);
    Status_Refresh(program);
    EXPECT_EQ((*program.Form1)["StatusBar1"].panel(4), "Status: Connesso");

    program.Form1->menu("Mn_Test").click();
    const Control& box = (*program.Form1)["Text1"];
    ASSERT_TRUE(test::RunUntil([&] { return box.text().find("OK\r\n") != std::string::npos; }))
        << box.text();
    EXPECT_EQ(box.text(), "AT+CGMM\r\r\nBrenvik Test Phone\r\n\r\nOK\r\n");
    EXPECT_TRUE(host.boxes.empty());

    // A command the phone refuses is reported with the phone's own error line.
    program.Form1->operator[]("Text1").setText("");
    program.WriteCommand("AT+CPBS=XX");
    ASSERT_TRUE(test::RunUntil([&] { return !host.boxes.empty(); })) << box.text();
    EXPECT_EQ(host.boxes[0].text.substr(0, host.boxes[0].text.find('\r')),
              "Command didn't accept by mobile");

    // The phone goes away: the port closes and the next refresh shows it.
    sim.Stop();
    ASSERT_TRUE(test::RunUntil([&] { return !port.portOpen(); }));
    Status_Refresh(program);
    EXPECT_EQ((*program.Form1)["StatusBar1"].panel(4), "Status: Disconnesso");
}

}  // namespace
}  // namespace bsms

#endif
