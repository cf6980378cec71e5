// Reading the phone through the real serial port: delivery reports paired with the message sent,
// and a message that arrives while the browser is open read in without a click.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include <csignal>

#include "browser/form5.h"
#include "compose/sent_reports.h"
#include "program_on_sim.h"

namespace bsms {
namespace {

using test::ProgramOnSim;
using test::RunUntil;

// Each row listed: its locations and text.
std::vector<std::string> Listed(ProgramOnSim& rig) {
    std::vector<std::string> rows;
    const Control& grid = rig.form5()["Grid1"];
    for (int row = 1; row < grid.rows(); ++row)
        rows.push_back(grid.cell(row, 1) + " " + Browser(*rig.program).entryOfRow(row).Text);
    return rows;
}

// Five parts sent with a report asked for: the network's reports, stored by the phone and
// stamped now, are read, kept in Reports.txt and deleted from the phone, and listed as one row
// (on no location) saying the message was delivered; a message arriving meanwhile (stamped later
// still, so listed last and shown) is read in, stored where the reports were.
TEST(ProgramReads, ReportsAreKeptOffThePhoneAndArrivalsComeIn) {
    ProgramOnSim rig(
        {"--set", "arrival from=+393400000001 time=99/02/01,09:00:00+04 text=\"Appena arrivato\""});
    rig.form1().menu("Mn_Ricevuta").click();
    rig.compose(test::Text(760));
    ASSERT_TRUE(rig.send()) << rig.received();
    const std::string told = "Delivery report: Delivered: " + test::Text(40);
    ASSERT_TRUE(RunUntil([&] {
        return rig.form1()["StatusBar1"].panel(6) == told && !rig.program->line.busy() &&
               ParseKeptReports(test::ReadFile(rig.folder / "Reports.txt")).size() == 5;
    })) << rig.received();
    ASSERT_EQ(rig.browse(12), 6);
    const std::vector<std::string> listed = Listed(rig);
    EXPECT_EQ(listed.back(), " Delivered: " + test::Text(40));
    EXPECT_EQ(listed.front().substr(0, 2), "1 ");

    kill(rig.sim.pid(), SIGUSR1);  // a message arrives: the open browser reads it in
    ASSERT_TRUE(RunUntil([&] { return rig.form5()["Grid1"].rows() == 8; })) << rig.received();
    EXPECT_EQ(rig.form5()["Text2"].text(), "Appena arrivato");
    EXPECT_EQ(rig.form1()["StatusBar1"].panel(6), "New message at location 7");
}

}  // namespace
}  // namespace bsms

#endif
