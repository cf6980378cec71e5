// The program downloads both phonebooks of the simulated phone through the Qt serial port, and an
// entry chosen in the picker becomes the recipient of a send. (Every kind of phone downloads in
// the test of every dialogue.)
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include <sstream>

#include "program_on_sim.h"

namespace bsms {
namespace {

TEST(ProgramPhonebook, DownloadsBothBooksAndSendsToTheChosenEntry) {
    // Names in the 8-bit set, one with a comma and one with parentheses; answers in pieces.
    test::ProgramOnSim rig({"--set", "charset 8859-1", "--set",
                            "contact book=SM index=9 number=+393401234567 name=\"Rossi, Mario\"",
                            "--set", "contact book=ME index=3 number=0611 name=\"Bob (work)\"",
                            "--chunk", "9", "--chunk-pause", "1"},
                           false);
    test::ScriptedHost& host = rig.host;
    Program& program = *rig.program;
    Window& f = *program.Form1;

    ASSERT_TRUE(rig.downloadPhonebook()) << f["Text1"].text();
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

    // That recipient is the one the phone is given.
    f["Text5"].setText("Ciao Mario");
    f["Command6"].click();
    ASSERT_TRUE(test::RunUntil([&] { return !host.boxes.empty(); })) << f["Text1"].text();
    EXPECT_EQ(host.boxes[0].text, "Messagge sent");
    std::istringstream sent(rig.sim.sent());
    std::string length, pdu;
    ASSERT_TRUE(sent >> length >> pdu);
    // +393401234567 as a destination address: 12 digits, international, semi-octets swapped.
    EXPECT_NE(pdu.find("0C91934310325476"), std::string::npos) << pdu;
}

}  // namespace
}  // namespace bsms

#endif
