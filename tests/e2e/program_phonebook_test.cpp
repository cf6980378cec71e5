// The program downloads both phonebooks of the simulated phone through the Qt serial port, on
// every profile of phone, and an entry chosen in the picker becomes the recipient of a send.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include <sstream>

#include "app/form1.h"
#include "app/startup.h"
#include "phone_sim_client.h"
#include "qt/qt_comm_port.h"
#include "qt_loop.h"
#include "test_support.h"

namespace bsms {
namespace {

class ProgramPhonebookOnProfile : public ::testing::TestWithParam<const char*> {};

TEST_P(ProgramPhonebookOnProfile, DownloadsBothBooksAndSendsToTheChosenEntry) {
    test::QtApp();
    // Names in the 8-bit set, one with a comma and one with parentheses; answers in pieces.
    phonesim_test::PhoneSim sim(
        {"--profile", GetParam(), "--set", "charset 8859-1", "--set",
         "contact book=SM index=9 number=+393401234567 name=\"Rossi, Mario\"", "--set",
         "contact book=ME index=3 number=0611 name=\"Bob (work)\"", "--chunk", "9", "--chunk-pause",
         "1"});
    const std::filesystem::path folder = sim.link().parent_path();
    {
        std::ofstream settings(folder / "Setting.sms", std::ios::binary);
        settings << " 1 \r\n115200,n,8,1\r\n 0 \r\n391234500000\r\nFalse\r\nFalse\r\nenglish\r\n";
    }
    test::ScriptedHost host;
    qt::QtCommPort port(folder);
    const auto owner = MakeProgram(host, port, folder);
    Program& program = *owner;
    program.Form1->load();
    ASSERT_TRUE(port.portOpen()) << (host.boxes.empty() ? "" : host.boxes[0].text);
    Status_Refresh(program);
    Window& f = *program.Form1;

    bool closed = false;
    host.duringModal = [&](Window& w) { closed = test::RunUntil([&] { return !w.shown(); }); };
    f.menu("Mn_Upload").click();
    ASSERT_TRUE(closed) << f["Text1"].text();
    EXPECT_EQ(f["Combo2"].items(),
              (std::vector<std::string>{"Anna (+393331234567)", "Bruno Rossi (3471112233)",
                                        "(+393337654321)", "Ufficio (0612345)",
                                        "Rossi, Mario (+393401234567)", "Casa (+390298765432)",
                                        "Zoë (+447700900123)", "Bob (work) (0611)"}));
    EXPECT_TRUE(host.boxes.empty()) << host.boxes[0].text;
    EXPECT_FALSE(host.busy);

    f["Combo2"].setListIndex(7);
    EXPECT_EQ(f["Text4"].text(), "0611");
    f["Combo2"].setListIndex(4);
    EXPECT_EQ(f["Text4"].text(), "+393401234567");

    // That recipient is the one the phone is given. (A hasty PDU is lost on the prompt-pause
    // phone: the send tests cover it.)
    if (std::string(GetParam()) == "prompt-pause") return;
    f["Text5"].setText("Ciao Mario");
    f["Command6"].click();
    ASSERT_TRUE(test::RunUntil([&] { return !host.boxes.empty(); })) << f["Text1"].text();
    EXPECT_EQ(host.boxes[0].text, "Messagge sent");
    std::istringstream sent(sim.sent());
    std::string length, pdu;
    ASSERT_TRUE(sent >> length >> pdu);
    // +393401234567 as a destination address: 12 digits, international, semi-octets swapped.
    EXPECT_NE(pdu.find("0C91934310325476"), std::string::npos) << pdu;
}

INSTANTIATE_TEST_SUITE_P(All, ProgramPhonebookOnProfile,
                         ::testing::Values("standard", "empty-error", "cpin-no-ok", "usb-modem",
                                           "prompt-pause"));

}  // namespace
}  // namespace bsms

#endif
