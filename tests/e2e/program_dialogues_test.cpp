// The program's dialogues through the real serial port where the values matter: names from the
// phonebooks, the messages the browser lists and what it saves, deletes and answers, the number
// a send goes to, the phone's refusal, and a read asked for twice on a slow line.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include <sstream>

#include "browser/form5.h"
#include "program_on_sim.h"

namespace bsms {
namespace {

using test::ProgramOnSim;
using test::RunUntil;

const char* const kLong =
    "Questo è un messaggio lungo, spedito in due parti: il telefono le riceve una per volta e le "
    "tiene in due posizioni vicine. Chi legge deve rimetterle insieme con l'intestazione di "
    "concatenazione che apre ogni parte. Fine.";

// Names in the 8-bit set, one with a comma and one with parentheses; a message older than the
// phone's own at location 7; answers in pieces.
TEST(BrowserOnSim, ListsSavesDeletesAndAnswersByNamesFromThePhonebooks) {
    ProgramOnSim rig({"--set", "charset 8859-1", "--set",
                      "contact book=SM index=9 number=+393401234567 name=\"Rossi, Mario\"", "--set",
                      "contact book=ME index=3 number=0611 name=\"Bob (work)\"", "--set",
                      "message index=7 from=+390298765432 time=04/01/01,00:00:00+04 text=Vecchio",
                      "--chunk", "9", "--chunk-pause", "1"});
    Window& f = rig.form1();
    ASSERT_TRUE(rig.downloadPhonebook()) << rig.received();
    EXPECT_EQ(f["Combo2"].items(),
              (std::vector<std::string>{"Anna (+393331234567)", "Bruno Rossi (3471112233)",
                                        "(+393337654321)", "Ufficio (0612345)",
                                        "Rossi, Mario (+393401234567)", "Casa (+390298765432)",
                                        "Zoë (+447700900123)", "Bob (work) (0611)"}));
    EXPECT_TRUE(rig.host.boxes.empty());
    EXPECT_FALSE(rig.host.busy);

    // The messages oldest first, each at its location, named and whole (the two parts of the
    // long one at neighbouring locations).
    ASSERT_EQ(rig.browse(8), 7) << rig.received();
    const struct {
        const char *location, *sender, *text;
    } rows[] = {
        {"7", "Casa (+390298765432)", "Vecchio"},
        {"1", "Anna (+393331234567)", "Ciao"},
        {"2", "Bruno Rossi (3471112233)", "Prezzo: 10€ [sconto] {fino a ~ domani} ^_^ | a\\b"},
        {"3", "Zoë (+447700900123)", "Привет! Καλημέρα 你好"},
        {"4", "(+393337654321)", nullptr},  // the parts, below
        {"5", "(+393337654321)", nullptr},
        {"6", "Ufficio (0612345)", "Chiamami appena puoi."},
    };
    Control& grid = rig.form5()["Grid1"];
    EXPECT_EQ(grid.cell(0, 2) + ", " + rig.form5()["Command1"].text(), "Sender, Read SMS");
    for (int row = 1; row <= 7; ++row) {
        EXPECT_EQ(grid.cell(row, 1), rows[row - 1].location) << row;
        EXPECT_EQ(grid.cell(row, 2), rows[row - 1].sender) << row;
        if (rows[row - 1].text) {
            EXPECT_EQ(Browser(*rig.program).entryOfRow(row).Text, rows[row - 1].text) << row;
        }
    }
    EXPECT_EQ(Browser(*rig.program).entryOfRow(5).Text + Browser(*rig.program).entryOfRow(6).Text,
              kLong);

    // The UCS2 message keeps its characters in the file.
    grid.setCurrent(4, 0);
    grid.click();
    const auto file = rig.folder / "zoe.txt";
    rig.host.saveAnswers = {file.string()};
    rig.form5()["Command5"].click();
    EXPECT_EQ(phonesim_test::ReadFile(file),
              "\xEF\xBB\xBF+447700900123 11/06/24  07.05:59\r\nПривет! Καλημέρα 你好\r\n");

    // Location 7 goes; the phone then has nothing there.
    grid.setCurrent(1, 0);
    grid.click();
    rig.host.answers = {MsgResult::Ok};
    rig.form5()["Command7"].click();
    ASSERT_TRUE(rig.answered());
    EXPECT_EQ(grid.rows(), 7);
    EXPECT_EQ(rig.readBack(7), "");

    // An answer goes to the sender of the marked row.
    grid.setCurrent(1, 0);
    grid.click();
    rig.form5()["Command3"].click();
    EXPECT_FALSE(rig.form5().shown());
    EXPECT_EQ(f["Combo2"].text(), "Anna (+393331234567)");
    EXPECT_EQ(f["Text4"].text(), "+393331234567");
    EXPECT_EQ(f["Text5"].text(), "Ciao");

    // An entry chosen in the picker is the number the phone is given.
    f["Combo2"].setListIndex(7);
    EXPECT_EQ(f["Text4"].text(), "0611");
    f["Combo2"].setListIndex(4);
    EXPECT_EQ(f["Text4"].text(), "+393401234567");
    f["Text5"].setText("Ciao Mario");
    ASSERT_TRUE(rig.send()) << rig.received();
    // +393401234567 as a destination address: 12 digits, international, semi-octets swapped.
    EXPECT_NE(rig.sim.sent().find("0C91934310325476"), std::string::npos) << rig.sim.sent();
}

TEST(ProgramSends, AnErrorFromThePhoneEndsTheSend) {
    ProgramOnSim rig({"--set", "fault cms AT+CMGS=* 500"});
    rig.compose(test::Text(300));
    EXPECT_FALSE(rig.send());
    EXPECT_EQ(rig.host.boxes.back().text, "Command didn't accept by mobile\r+CMS ERROR: 500");
    EXPECT_FALSE(rig.program->st.Send_Job.active);
    EXPECT_EQ(rig.program->st.Sent_Count, 0);
    // The phone heard the first command only: the receive box ends with its refusal.
    EXPECT_TRUE(rig.received().ends_with("+CMS ERROR: 500\r\n")) << rig.received();
    EXPECT_EQ(rig.sim.sent(), "");
}

// "Leggi SMS" clicked again while an answer comes in pieces: one read at a time, and every
// message listed at the location that holds it.
TEST(BrowserOnSlowLine, ASecondClickMidAnswerListsEveryMessageAtItsLocation) {
    ProgramOnSim rig({"--chunk", "8", "--chunk-pause", "30"});
    rig.host.keepModalOpen = true;
    rig.form1()["Command4"].click();
    Window& f5 = rig.form5();
    f5["Text3"].setText("4");
    f5["Command1"].click();
    ASSERT_TRUE(RunUntil([&] { return rig.received().find("+CMGR:") != std::string::npos; }));
    f5["Command1"].click();
    ASSERT_TRUE(RunUntil([&] { return f5["Command7"].enabled(); })) << rig.received();
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
