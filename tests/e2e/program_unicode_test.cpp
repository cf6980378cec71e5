// Texts beyond the 7-bit alphabet, end to end: sent and stored through the real serial port in
// the encoding they need, read back, answered; phonebook names in any script.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include "program_on_sim.h"

namespace bsms {
namespace {

using test::ProgramOnSim;
using test::RunUntil;

// Stored, read back by the browser, answered: the answer builds and goes out with the same text.
TEST(ProgramSendsAnyText, AStoredMessageReadsBackAndIsAnswered) {
    ProgramOnSim rig({"--set", "sms-capacity SM 8"});
    const std::string text = "Cześć € — ¿qué tal? Привет";
    rig.compose(text);
    rig.form1()["Command7"].click();
    ASSERT_TRUE(RunUntil([&] { return !rig.program->st.Store_Job.active; }) && rig.answered());
    ASSERT_GT(rig.browse(7), 0);
    Control& grid = rig.form5()["Grid1"];
    for (int row = 1; row < grid.rows(); ++row)
        if (grid.cell(row, 1) == "7") grid.setCurrent(row, 0);
    grid.click();
    EXPECT_EQ(rig.form5()["Text2"].text(), text);
    rig.form5()["Command3"].click();
    EXPECT_EQ(rig.form1()["Text5"].text(), text);
    EXPECT_TRUE(rig.send()) << rig.received();
    EXPECT_EQ(rig.sentText(), text);
}

// Names in any script where the phone offers UCS2; read in its own set otherwise, as ever.
TEST(ProgramSendsAnyText, PhonebookNamesInAnyScript) {
    for (const bool ucs2 : {true, false}) {
        ProgramOnSim rig(ucs2 ? std::vector<std::string>{}
                              : std::vector<std::string>{"--set", "charsets GSM IRA"});
        ASSERT_TRUE(rig.downloadPhonebook()) << rig.received();
        const auto& items = rig.form1()["Combo2"].items();
        ASSERT_GE(items.size(), 3u);
        const std::vector<std::string> last(items.end() - 3, items.end());
        const std::vector<std::string> inUcs2{"Zoë (+447700900123)", "Łukasz (+48601234567)",
                                              "Ольга (+74951234567)"};
        const std::vector<std::string> inGsm{"Zo? (+447700900123)", "?ukasz (+48601234567)",
                                             "????? (+74951234567)"};
        EXPECT_EQ(last, ucs2 ? inUcs2 : inGsm);
        // The phone's own set again afterwards.
        rig.form1()["Text1"].setText("");
        rig.program->Send(CommandLine(Owner::Probe, "AT+CSCS?"));
        ASSERT_TRUE(RunUntil([&] { return rig.received().find("+CSCS:") != std::string::npos; }));
        EXPECT_NE(rig.received().find("+CSCS: \"GSM\""), std::string::npos) << rig.received();
    }
}

}  // namespace
}  // namespace bsms

#endif
