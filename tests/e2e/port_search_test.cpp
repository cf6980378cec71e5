// The search for the phone through real pseudo-terminals: the simulated phone among its silent
// and its noisy decoy, each behind a by-id link of a folder that plays /dev.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include "link/form6.h"
#include "program_on_sim.h"

namespace bsms {
namespace {

namespace fs = std::filesystem;
using test::ProgramOnSim;
using test::RunUntil;

TEST(PortSearchOnSim, FindsThePhoneAmongDecoysAndPointsItsPortThere) {
    test::TempFolder dev;
    const fs::path ids = dev.path() / "serial" / "by-id";
    fs::create_directories(ids);
    ProgramOnSim rig({"--model", "Brenvik Test 7", "--decoy", (ids / "usb-Modem-if00").string(),
                      "--noisy-decoy", (ids / "usb-Modem-if01").string()});
    Program& p = *rig.program;
    fs::create_symlink(rig.sim.device(), ids / "usb-Phone-if00");
    SearchForm(p).devRoot = dev.path();
    p.makePort = [](const std::string& device) -> std::unique_ptr<CommPort> {
        auto port = std::make_unique<qt::QtCommPort>(fs::path());
        port->setDevice(device);
        return port;
    };

    std::vector<std::vector<std::string>> rows;
    std::string shown;
    rig.host.duringModal = [&](Window& w) {
        if (w.name() == "Form2") {
            w["Text1"].setText("1");
            w["Command2"].click();
            shown = w["Device"].text();
            return;
        }
        EXPECT_FALSE(rig.port.portOpen());  // it might have been one of those tried
        const auto& search = SearchForm(p).search;
        // The timer's ticks, 100 ms apart as the window's own: 1.5 s for each decoy.
        for (int i = 0; i < 200 && search && search->running(); ++i) {
            RunUntil([] { return false; }, 100);
            w["Timer1"].tick();
        }
        const Control& grid = w["Grid1"];
        for (int r = 1; r < grid.rows(); ++r)
            rows.push_back({grid.cell(r, 0), grid.cell(r, 1), grid.cell(r, 2)});
        EXPECT_EQ(grid.row(), 1);
        EXPECT_EQ(w["Progress1"].progress(), 3);
        w["Command1"].click();
        EXPECT_FALSE(w.shown());
    };
    rig.form1().menu("Mn_Comm").click();

    const std::vector<std::vector<std::string>> want = {
        {"usb-Phone-if00", "Brenvik Test 7", "\u2713"}};
    EXPECT_EQ(rows, want);
    EXPECT_EQ(fs::read_symlink(rig.folder / "com1"), ids / "usb-Phone-if00");
    EXPECT_EQ(shown, "\u2192 " + (ids / "usb-Phone-if00").string());
    EXPECT_TRUE(rig.host.boxes.empty());
}

}  // namespace
}  // namespace bsms

#endif
