// The message browser reads the simulated phone through the real serial port: the messages in
// time order, named from the downloaded phonebook, then one saved, one deleted and one answered.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include "browser/form5.h"
#include "link/dispatcher.h"
#include "program_on_sim.h"

namespace bsms {
namespace {

// The phone's default content and one message older than all of it, at location 7.
const char* const kOldest =
    "message index=7 from=+390298765432 time=04/01/01,00:00:00+04 text=\"Vecchio\"";

// The program on the simulated phone, its phonebooks downloaded into the picker, the browser
// open for eight locations.
struct BrowserOnSim : test::ProgramOnSim {
    BrowserOnSim() : ProgramOnSim({"--set", "charset 8859-1", "--set", kOldest}) {
        EXPECT_TRUE(downloadPhonebook()) << received();
        EXPECT_EQ(form1()["Combo2"].items().size(), 6u) << received();
        host.keepModalOpen = true;
        form1()["Command4"].click();
        f5()["Text3"].setText("8");
    }
    Window& f5() { return *program->Form5; }
    Control& grid() { return f5()["Grid1"]; }
    bool read() {
        f5()["Command1"].click();
        return test::RunUntil([&] { return f5()["Command7"].enabled(); });
    }
    void select(int row) {
        grid().setCurrent(row, 0);
        grid().click();
    }
};

TEST(BrowserOnSim, ListsSavesAnswersAndDeletes) {
    BrowserOnSim rig;
    ASSERT_TRUE(rig.read()) << rig.received();
    EXPECT_TRUE(rig.host.boxes.empty());
    const std::pair<const char*, const char*> expected[] = {
        {"7", "Casa (+390298765432)"},     {"1", "Anna (+393331234567)"},
        {"2", "Bruno Rossi (3471112233)"}, {"3", "Zoë (+447700900123)"},
        {"4", "(+393337654321)"},          {"5", "(+393337654321)"},
        {"6", "Ufficio (0612345)"}};
    ASSERT_EQ(rig.grid().rows(), 8);
    EXPECT_EQ(rig.grid().cell(0, 2) + ", " + rig.f5()["Command1"].text(), "Sender, Read SMS");
    for (int row = 1; row <= 7; ++row) {
        EXPECT_EQ(rig.grid().cell(row, 1), expected[row - 1].first) << row;
        EXPECT_EQ(rig.grid().cell(row, 2), expected[row - 1].second) << row;
    }

    // The UCS2 message keeps its characters in the file.
    rig.select(4);
    const auto file = rig.folder / "zoe.txt";
    rig.host.saveAnswers = {file.string()};
    rig.f5()["Command5"].click();
    EXPECT_EQ(phonesim_test::ReadFile(file), "\xEF\xBB\xBF+447700900123 11/06/24  07.05:59\r\n" +
                                                 rig.f5()["Text2"].text() + "\r\n");

    // Location 7 goes; the phone then has nothing there.
    rig.select(1);
    rig.host.answers = {MsgResult::Ok};
    rig.f5()["Command7"].click();
    ASSERT_TRUE(test::RunUntil([&] { return rig.received().ends_with("OK\r\n"); }));
    EXPECT_EQ(rig.grid().rows(), 7);
    rig.form1()["Text1"].setText("");
    rig.program->WriteCommand("AT+CMGR=7");
    ASSERT_TRUE(test::RunUntil(
        [&] { return HasOkEnding(rig.received()) || IsEmptyLocationAnswer(rig.received()); }));
    EXPECT_EQ(rig.received().find("+CMGR:"), std::string::npos) << rig.received();

    rig.select(1);
    rig.f5()["Command3"].click();
    EXPECT_FALSE(rig.f5().shown());
    EXPECT_EQ(rig.form1()["Combo2"].text(), "Anna (+393331234567)");
    EXPECT_EQ(rig.form1()["Text4"].text(), "+393331234567");
    EXPECT_EQ(rig.form1()["Text5"].text(), "Ciao");
}

// "Leggi SMS" clicked again while an answer comes in pieces: one read at a time, and every
// message listed at the location that holds it.
TEST(BrowserOnSlowLine, ASecondClickMidAnswerListsEveryMessageAtItsLocation) {
    test::ProgramOnSim rig({"--chunk", "8", "--chunk-pause", "30"});
    rig.host.keepModalOpen = true;
    rig.form1()["Command4"].click();
    Window& f5 = *rig.program->Form5;
    f5["Text3"].setText("4");
    f5["Command1"].click();
    ASSERT_TRUE(test::RunUntil([&] { return rig.received().find("+CMGR:") != std::string::npos; }));
    f5["Command1"].click();
    ASSERT_TRUE(test::RunUntil([&] { return f5["Command7"].enabled(); })) << rig.received();
    const Control& grid = f5["Grid1"];
    ASSERT_EQ(grid.rows(), 5);
    std::vector<std::pair<int, std::string>> listed;
    for (int row = 1; row < grid.rows(); ++row)
        listed.emplace_back(std::stoi(grid.cell(row, 1)),
                            Browser(*rig.program).entryOfRow(row).Text);
    f5["Command2"].click();
    for (const auto& [location, text] : listed)
        EXPECT_EQ(rig.readBack(location), text) << location;
}

}  // namespace
}  // namespace bsms

#endif
