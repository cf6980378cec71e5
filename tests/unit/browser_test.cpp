// The message browser on a fake port: the read loop driven by the phone's replies, the listing,
// and saving, deleting and answering a listed message.
#include <gtest/gtest.h>

#include "browser/form5.h"
#include "browser/sms_list.h"
#include "link/settings_files.h"
#include "sms/alphabet.h"
#include "test_support.h"

namespace bsms {
namespace {

// An SMS-DELIVER through +391234500000 from the international number `from` (12 digits), time
// stamp "YYMMDDhhmmss".
std::string Deliver(const std::string& from, const std::string& stamp, const std::string& text) {
    const auto swapped = [](const std::string& digits) {
        std::string s;
        for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
            s += {digits[i + 1], digits[i]};
        return s;
    };
    return "079193214305000004" + Byte_To_Hex(static_cast<unsigned>(from.size())) + "91" +
           swapped(from) + "0000" + swapped(stamp) + "40" + Pack_Septets(text);
}
// The worked example: "Ciao" from +393331234567 on 05/12/05 at 10.15:30.
const std::string kCiao = Deliver("393331234567", "051205101530", "Ciao");
const std::string kOlder = Deliver("393471112223", "051130235959", "Prima");

std::string Read(const std::string& pdu) {
    return "\r\n+CMGR: 1,,23\r\n" + pdu + "\r\n\r\nOK\r\n";
}

struct BrowserRig : test::Rig {
    explicit BrowserRig(int count = 3) {
        dir.write("Setting.sms",
                  " 1 \r\n19200,n,8,1\r\n 0 \r\n391234500000\r\nTrue\r\nFalse\r\n"
                  "italiano\r\n 200 \r\n 50 \r\n " +
                      std::to_string(count) + " \r\n");
        start();
        form1()["Combo2"].addItem("Anna (3331234567)");
        open();
    }
    // Opens the browser; the phone then answers its memory choice.
    void open(bool answered = true) {
        host.keepModalOpen = true;
        port.written.clear();
        form1()["Command4"].click();
        opening = port.written;
        if (answered) {
            EXPECT_EQ(reply("\r\n+CPMS: 6,30,6,30,6,30\r\n\r\nOK\r\n"), "");
        }
    }
    std::string opening;
    Window& f5() { return *program->Form5; }
    Control& grid() { return f5()["Grid1"]; }
    // The phone answers the last command after echoing it; what the program wrote back.
    std::string reply(const std::string& bytes) {
        const std::string echo = port.written;
        port.written.clear();
        port.arrive(echo + bytes);
        return port.written;
    }
    std::string click(const char* button) {
        port.written.clear();
        f5()[button].click();
        return port.written;
    }
    // Reads three locations: the later message at 1, nothing at 2, the older one at 3.
    void readThree() {
        click("Command1");
        reply(Read(kCiao));
        reply("\r\nOK\r\n");
        reply(Read(kOlder));
    }
    std::vector<std::string> row(int r) {
        std::vector<std::string> cells;
        for (int c = 0; c < grid().cols(); ++c)
            cells.push_back(grid().cell(r, c));
        return cells;
    }
    void select(int r) {
        grid().setCurrent(r, 2);
        grid().click();
    }
};

TEST(Browser, OpeningAsksForTheWholeMemoryAndLaysOutTheGrid) {
    BrowserRig rig;
    EXPECT_EQ(rig.opening, "AT+CPMS=MT\r");
    EXPECT_EQ(rig.row(0), (std::vector<std::string>{"Progr.", "Id", "Mittente", "Data e ora",
                                                    "C.Servizi usato"}));
    EXPECT_EQ(rig.grid().colWidths, (std::vector<int>{700, 700, 2800, 2800, 1800}));
    EXPECT_EQ(rig.f5()["Text3"].text() + " " + std::to_string(rig.f5()["ProgressBar1"].max()),
              "3 3");
}

// Replies belong to the command they answer: the memory choice's to the opening, an answer to a
// skipped location to that location, so no message is ever listed under another's location.
TEST(Browser, EveryReplyGoesToItsOwnCommand) {
    BrowserRig rig;
    rig.host.keepModalOpen = true;
    rig.f5().unload();
    rig.open(false);
    EXPECT_EQ(rig.click("Command1"), "");  // "Leggi SMS" waits for the memory choice
    EXPECT_EQ(rig.reply("\r\n+CPMS: 6,30,6,30,6,30\r\n\r\nOK\r\n"), "AT+CMGR=1\r");

    // A second click while location 1 is being answered asks for nothing more.
    EXPECT_EQ(rig.click("Command1"), "");
    rig.port.written.clear();
    rig.port.arrive("AT+CMGR=1\r" + Read(kCiao));
    EXPECT_EQ(rig.port.written, "AT+CMGR=2\r");
    // "Aggiorna" while location 2 is being answered: that answer is let go, and the read
    // starts over once it is in.
    EXPECT_EQ(rig.click("Command4"), "");
    EXPECT_EQ(rig.grid().rows(), 1);
    rig.port.arrive("AT+CMGR=2\r" + Read(kOlder));
    EXPECT_EQ(rig.port.written, "AT+CMGR=1\r");
    rig.reply(Read(kCiao));
    rig.reply("\r\nOK\r\n");
    rig.reply(Read(kOlder));
    ASSERT_EQ(rig.grid().rows(), 3);
    EXPECT_EQ(rig.row(1)[1] + rig.row(2)[1], "31");  // each message where it was read
}

// Every final result ends a read step. The answers phones give for an empty location read as
// empty; any other error counts the location as unreadable, and the count is told at the end.
TEST(Browser, EveryAnswerEndsItsReadAndErrorsAreCounted) {
    struct Case {
        const char* answer;
        bool unreadable;
    };
    const Case cases[] = {
        {"\r\nOK\r\n", false},                                // the bare OK most phones give
        {"\r\n+CMS ERROR: 321\r\n", false},                   // "invalid memory index"
        {"\r\n+CMS ERROR: Invalid Memory Index\r\n", false},  // the same in words
        {"\r\nERROR\r\n", false},                             // without extended error codes
        {nullptr, false},                                     // a message without text: not listed
        {"\r\n+CMS ERROR: 500\r\n", true},                    // what a Huawei stick answers
        {"\r\n+CME ERROR: SIM busy\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer ? c.answer : "empty text");
        BrowserRig rig;
        EXPECT_EQ(rig.click("Command1"), "AT+CMGR=1\r");
        EXPECT_EQ(rig.reply(Read(kCiao)), "AT+CMGR=2\r");
        const std::string next =
            rig.reply(c.answer ? c.answer : Read(Deliver("393331234567", "051231000000", "")));
        EXPECT_EQ(next, "AT+CMGR=3\r");
        EXPECT_EQ(rig.reply(Read(kOlder)), "");
        ASSERT_EQ(rig.host.boxes.size(), c.unreadable ? 1u : 0u);
        if (c.unreadable) {
            EXPECT_EQ(rig.host.boxes[0].text,
                      "Posizioni della memoria che il telefonino non ha potuto leggere: 1.");
            EXPECT_EQ(rig.host.boxes[0].icon, MsgIcon::Exclamation);
        }
        // Oldest first; "Progr." is the sorted position, "Id" the location.
        ASSERT_EQ(rig.grid().rows(), 3);
        EXPECT_EQ(rig.row(1), (std::vector<std::string>{"1", "3", "+393471112223",
                                                        "30/11/05  23.59:59", "+391234500000"}));
        EXPECT_EQ(rig.row(2), (std::vector<std::string>{"2", "1", "Anna (3331234567)",
                                                        "05/12/05  10.15:30", "+391234500000"}));
        EXPECT_EQ(rig.grid().row(), 2);
        EXPECT_EQ(rig.grid().col(), 4);
        EXPECT_TRUE(rig.f5()["Command7"].enabled() && rig.f5()["Command3"].enabled());
    }
}

// A phone that refuses the memory choice is asked once more with the name in quotes, and from
// then on in quotes; one that refuses that too is read in the memory it has.
TEST(Browser, ARefusedMemoryChoiceIsQuotedOnceThenLeft) {
    BrowserRig rig;
    rig.f5().unload();
    rig.open(false);
    EXPECT_EQ(rig.click("Command1"), "");
    EXPECT_EQ(rig.reply("\r\nERROR\r\n"), "AT+CPMS=\"MT\"\r");
    EXPECT_EQ(rig.reply("\r\n+CMS ERROR: 302\r\n"), "AT+CMGR=1\r");
    EXPECT_TRUE(rig.host.boxes.empty());
    rig.f5().unload();
    rig.open(false);
    EXPECT_EQ(rig.opening, "AT+CPMS=\"MT\"\r");
    Open_Port(*rig.program);  // perhaps another phone now
    rig.f5().unload();
    rig.open(false);
    EXPECT_EQ(rig.opening, "AT+CPMS=MT\r");
}

TEST(Browser, ReadingAgainListsTheSameRowsAndUpdateStartsOver) {
    BrowserRig rig;
    rig.readThree();
    rig.select(2);
    EXPECT_EQ(rig.f5()["Text2"].text(), "Ciao");
    EXPECT_EQ(rig.f5()["Label6"].text(), "05/12/05  10.15:30");
    EXPECT_EQ(rig.grid().col(), 0);
    EXPECT_EQ(rig.click("Command1"), "");
    EXPECT_EQ(rig.grid().rows(), 3);

    EXPECT_EQ(rig.click("Command4"), "AT+CMGR=1\r");
    EXPECT_EQ(rig.grid().rows(), 1);
    EXPECT_EQ(rig.f5()["Text2"].text() + rig.f5()["Label5"].text(), "");
}

TEST(Browser, ReopeningStartsFromDesignAndListsOnlyWhatItReads) {
    BrowserRig rig;
    rig.readThree();
    rig.select(1);
    rig.f5()["Check1"].click();
    rig.f5()["Command2"].click();
    rig.program->st.Browser_Slot_Count = 1;
    rig.open();
    EXPECT_EQ(rig.grid().rows(), 1);
    EXPECT_EQ(rig.f5()["Text2"].text(), "");
    EXPECT_EQ(rig.f5()["Check1"].value(), 0);
    EXPECT_FALSE(rig.f5()["Command3"].enabled());
    rig.click("Command1");
    rig.reply(Read(kCiao));
    // Location 1 read anew; what the first opening read above it is not listed again.
    ASSERT_EQ(rig.grid().rows(), 2);
    EXPECT_EQ(rig.grid().cell(1, 1), "1");
}

// Every row stands for the message at its location: a deleted one stays gone, and a list sorted
// again under the rows is listed again.
TEST(Browser, RowsAlwaysPointAtTheMessageTheyShow) {
    BrowserRig rig;
    rig.readThree();
    rig.select(2);  // "Ciao", location 1
    rig.host.answers = {MsgResult::Ok};
    EXPECT_EQ(rig.click("Command7"), "AT+CMGD=1\r");
    rig.reply("\r\nOK\r\n");
    rig.click("Command1");  // the completion once more
    ASSERT_EQ(rig.grid().rows(), 2);
    EXPECT_EQ(rig.row(1)[1], "3");

    // One location more, holding the oldest message: the rows are made anew in time order.
    rig.f5()["Text3"].setText("4");
    EXPECT_EQ(rig.click("Command1"), "AT+CMGR=4\r");
    rig.reply(Read(Deliver("393471112223", "041130235959", "Vecchio")));
    ASSERT_EQ(rig.grid().rows(), 3);
    EXPECT_EQ(rig.row(1)[1] + rig.row(2)[1], "43");
    rig.select(2);
    rig.host.answers = {MsgResult::Ok};
    EXPECT_EQ(rig.click("Command7"), "AT+CMGD=3\r");
    EXPECT_EQ(rig.host.boxes.back().text,
              "Sei sicuro di voler cancellare il messaggio:\r   - Prima");
}

// Save and Reply act on the marked row's own message, also right after a read or after the arrow
// keys moved the mark, and Reply answers the sender's number, not a picker entry that merely
// holds it.
TEST(Browser, SaveAndReplyTakeTheMarkedRowsOwnMessage) {
    BrowserRig rig;
    rig.readThree();  // the last row, "Ciao", is marked
    EXPECT_EQ(rig.f5()["Text2"].text(), "Ciao");
    const auto file = (rig.dir.path() / "read.txt").string();
    rig.host.saveAnswers = {file, file};
    rig.click("Command5");
    EXPECT_EQ(rig.dir.read("read.txt"), "+393331234567 05/12/05  10.15:30\r\nCiao\r\n");

    rig.grid().moveCurrent(1, 0);
    EXPECT_EQ(rig.f5()["Label5"].text() + " " + rig.f5()["Text2"].text(), "+393471112223 Prima");
    rig.f5()["Check1"].click();
    rig.host.answers = {MsgResult::Ok};
    EXPECT_EQ(rig.click("Command5"), "AT+CMGD=3\r");
    EXPECT_EQ(rig.dir.read("read.txt"), "+393471112223 30/11/05  23.59:59\r\nPrima\r\n");
    rig.reply("\r\nOK\r\n");
    rig.click("Command3");
    EXPECT_EQ(rig.form1()["Text4"].text(), "+393331234567");
    EXPECT_EQ(rig.form1()["Text5"].text(), "Ciao");
}

TEST(Browser, CountIsHeldToOneThroughTwoHundredFiftyFive) {
    struct Case {
        const char* typed;
        int count;
        const char* shown;
    };
    const Case cases[] = {
        {"0", 1, "0"},         // nothing to read would leave an empty progress range
        {"-7", 1, "-7"},       // negative: as little as possible, the box is not fought over
        {"12.5", 12, "12.5"},  // halves go to the even number
        {"300", 255, "255"},   // above the range: held, and the box says so
        {"x", 1, "x"},         // no number
    };
    for (const Case& c : cases) {
        BrowserRig rig;
        rig.f5()["Text3"].setText(c.typed);
        EXPECT_EQ(rig.program->st.Browser_Slot_Count, c.count) << c.typed;
        EXPECT_EQ(rig.f5()["Text3"].text(), c.shown);
        EXPECT_EQ(rig.f5()["ProgressBar1"].max(), c.count);
    }
    // Every one of 255 locations is read and stored, and no more.
    BrowserRig rig(1000);
    EXPECT_EQ(rig.f5()["Text3"].text(), "255");
    rig.click("Command1");
    std::string last;
    for (int i = 1; i <= 255; ++i)
        last = rig.reply(Read(Deliver("393331234567", "0512051015" + std::to_string(10 + i % 50),
                                      "n" + std::to_string(i))));
    EXPECT_EQ(last, "");
    EXPECT_EQ(rig.grid().rows(), 256);
    EXPECT_EQ(Browser(*rig.program).Sms_List.size(), 256u);
}

TEST(Browser, SaveWritesTheTwoLinesThenDeletesWhenTicked) {
    BrowserRig rig;
    rig.readThree();
    rig.select(2);
    const auto file = (rig.dir.path() / "ciao.smi").string();
    rig.host.saveAnswers = {file};
    rig.f5()["Check1"].click();
    rig.host.answers = {MsgResult::Ok};
    EXPECT_EQ(rig.click("Command5"), "AT+CMGD=1\r");
    EXPECT_EQ(rig.dir.read("ciao.smi"), "+393331234567 05/12/05  10.15:30\r\nCiao\r\n");
    const SaveDialogSpec& d = rig.host.saveDialogs.at(0);
    EXPECT_EQ(d.title, "Salva SMS con nome...");
    EXPECT_EQ(d.filter,
              "Tutti i file (*.*)|*.*|File di testo (*.txt)|*.txt|File di messaggi (*.smi)|*.smi");
    EXPECT_EQ(d.filterIndex, 2);
    const MessageBoxSpec& box = rig.host.boxes.at(0);
    EXPECT_EQ(box.text, "Sei sicuro di voler cancellare il messaggio:\r   - Ciao");
    EXPECT_EQ(box.title, "Attenzione");
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(box.defaultButton, 1);
    EXPECT_EQ(rig.grid().rows(), 2);
    EXPECT_EQ(rig.f5()["Text2"].text(), "Prima");  // the row now current, not the deleted one

    // A file that cannot be made, or a full disk, is reported, and nothing is deleted.
    for (const std::string& bad :
         {(rig.dir.path() / "no" / "such.txt").string(), std::string("/dev/full")}) {
        rig.host.saveAnswers = {bad};
        EXPECT_EQ(rig.click("Command5"), "") << bad;
        EXPECT_EQ(rig.host.boxes.back().icon, MsgIcon::Critical) << bad;
        EXPECT_NE(rig.host.boxes.back().text.find(bad), std::string::npos);
    }
}

TEST(Browser, SavedFileKeepsEveryCharacterOfTheText) {
    EXPECT_EQ(SavedMessageBytes("+39", "d", "Caffè 5€"), "+39 d\r\nCaff\xE8 5\x80\r\n");
    EXPECT_EQ(SavedMessageBytes("+7", "d", "Привет"), "\xEF\xBB\xBF+7 d\r\nПривет\r\n");
}

TEST(Browser, ReplyGivesTheMainWindowTheSenderAndText) {
    BrowserRig rig;
    rig.readThree();
    rig.form1()["Text4"].setText("+390000000");
    rig.select(1);  // a sender the picker does not know
    rig.click("Command3");
    EXPECT_EQ(rig.form1()["Combo2"].text(), "+393471112223");
    EXPECT_EQ(rig.form1()["Text4"].text(), "+393471112223");
    EXPECT_EQ(rig.form1()["Text5"].text(), "Prima");
    EXPECT_FALSE(rig.f5().shown());
    EXPECT_FALSE(rig.program->st.Browser_Reading);
}

TEST(Browser, HeaderRowAloneIsNeverSavedAnsweredOrDeleted) {
    BrowserRig rig;
    rig.readThree();
    rig.select(1);
    rig.host.answers = {MsgResult::Cancel, MsgResult::Ok, MsgResult::Ok};
    EXPECT_EQ(rig.click("Command7"), "");
    EXPECT_EQ(rig.click("Command7"), "AT+CMGD=3\r");
    EXPECT_EQ(rig.click("Command7"), "");  // not before the phone has answered
    rig.reply("\r\nOK\r\n");
    EXPECT_EQ(rig.click("Command7"), "AT+CMGD=1\r");  // the only row left
    ASSERT_EQ(rig.grid().rows(), 1);
    EXPECT_EQ(rig.f5()["Text2"].text(), "");
    rig.click("Command5");
    rig.click("Command3");
    EXPECT_EQ(rig.click("Command7"), "");
    EXPECT_TRUE(rig.host.saveDialogs.empty());
    EXPECT_EQ(rig.form1()["Text5"].text(), "");
    EXPECT_EQ(rig.grid().rows(), 1);
}

TEST(Browser, SortPutsEmptyLocationsLastAndKeepsEqualKeysInOrder) {
    std::vector<Sms_Record> list;
    for (double key : {0.0, 5377.5, 0.0, 12.25, 12.25, 99403.9}) {
        list.emplace_back().Date_Key = key;
        list.back().Id = static_cast<std::int16_t>(list.size() - 1);
    }
    Bouble_Sort(list);
    std::vector<int> ids;
    for (const auto& r : list)
        ids.push_back(r.Id);
    EXPECT_EQ(ids, (std::vector<int>{0, 3, 4, 1, 5, 2}));  // position 0 stays where it is
}

}  // namespace
}  // namespace bsms
