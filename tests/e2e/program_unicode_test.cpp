// Texts beyond the 7-bit alphabet, end to end: sent and stored through the real serial port in
// the encoding they need, read back, answered.
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

}  // namespace
}  // namespace bsms

#endif
