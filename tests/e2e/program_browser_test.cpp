// The message browser reads the simulated phone through the real serial port: the messages in
// time order, named from the picker, then one saved, one answered and one deleted.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include "app/form1.h"
#include "app/startup.h"
#include "browser/form5.h"
#include "link/dispatcher.h"
#include "phone_sim_client.h"
#include "qt/qt_comm_port.h"
#include "qt_loop.h"
#include "test_support.h"

namespace bsms {
namespace {

// Three messages among five locations, stored out of time order.
const char* const kScenario =
    "message index=1 from=+393331234567 time=05/12/05,10:15:30+04 text=\"Ciao\"\n"
    "message index=3 from=+393471112223 time=05/11/30,23:59:59+04 text=\"Prima\"\n"
    "message index=4 from=+393401234567 time=05/12/24,18:00:00+04 text=\"Buon Natale è\"\n";

struct BrowserOnSim {
    phonesim_test::PhoneSim sim;
    std::filesystem::path folder = sim.link().parent_path();
    test::ScriptedHost host;
    qt::QtCommPort port{folder};
    std::unique_ptr<Program> program;

    explicit BrowserOnSim(const char* profile) : sim({"--profile", profile}, kScenario) {
        test::QtApp();
        std::ofstream(folder / "Setting.sms", std::ios::binary)
            << " 1 \r\n115200,n,8,1\r\n 0 \r\n391234500000\r\nTrue\r\nFalse\r\nenglish\r\n";
        // The picker, loaded at start-up, names two of the three senders.
        std::ofstream(folder / "Rubrica.txt", std::ios::binary)
            << "Anna (3331234567)\r\nRossi (3401234567)\r\n";
        program = MakeProgram(host, port, folder);
        program->Form1->load();
        EXPECT_TRUE(port.portOpen());
        Status_Refresh(*program);
        host.keepModalOpen = true;
        form1()["Command4"].click();
        f5()["Text3"].setText("5");
    }
    Window& form1() { return *program->Form1; }
    Window& f5() { return *program->Form5; }
    Control& grid() { return f5()["Grid1"]; }
    const std::string& received() { return form1()["Text1"].text(); }
    bool read() {
        f5()["Command1"].click();
        return test::RunUntil([&] { return f5()["Command7"].enabled(); });
    }
    void select(int row) {
        grid().setCurrent(row, 0);
        grid().click();
    }
};

class BrowserOnProfile : public ::testing::TestWithParam<const char*> {};

TEST_P(BrowserOnProfile, ListsSavesAnswersAndDeletes) {
    BrowserOnSim rig(GetParam());
    ASSERT_TRUE(rig.read()) << rig.received();
    EXPECT_TRUE(rig.host.boxes.empty());
    ASSERT_EQ(rig.grid().rows(), 4);
    const std::pair<const char*, const char*> expected[] = {
        {"3", "+393471112223"}, {"1", "Anna (3331234567)"}, {"4", "Rossi (3401234567)"}};
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(rig.grid().cell(row, 1), expected[row - 1].first) << row;
        EXPECT_EQ(rig.grid().cell(row, 2), expected[row - 1].second) << row;
    }

    rig.select(3);
    const auto file = rig.folder / "natale.txt";
    rig.host.saveAnswers = {file.string()};
    rig.f5()["Command5"].click();
    EXPECT_EQ(phonesim_test::ReadFile(file),
              "+393401234567 24/12/05  18.00:00\r\nBuon Natale \xE8\r\n");

    // Location 3 goes; the phone then has nothing there.
    rig.select(1);
    rig.host.answers = {MsgResult::Ok};
    rig.f5()["Command7"].click();
    ASSERT_TRUE(test::RunUntil([&] { return rig.received().ends_with("OK\r\n"); }));
    EXPECT_EQ(rig.grid().rows(), 3);
    rig.form1()["Text1"].setText("");
    rig.program->WriteCommand("AT+CMGR=3");
    ASSERT_TRUE(test::RunUntil(
        [&] { return HasOkEnding(rig.received()) || IsEmptyLocationAnswer(rig.received()); }));
    EXPECT_EQ(rig.received().find("+CMGR:"), std::string::npos) << rig.received();

    rig.select(1);
    rig.f5()["Command3"].click();
    EXPECT_FALSE(rig.f5().shown());
    EXPECT_EQ(rig.form1()["Combo2"].text(), "Anna (3331234567)");
    EXPECT_EQ(rig.form1()["Text4"].text(), "3331234567");
    EXPECT_EQ(rig.form1()["Text5"].text(), "Ciao");
}

INSTANTIATE_TEST_SUITE_P(All, BrowserOnProfile,
                         ::testing::Values("standard", "empty-error", "cpin-no-ok", "usb-modem",
                                           "prompt-pause"));

}  // namespace
}  // namespace bsms

#endif
