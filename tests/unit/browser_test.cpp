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
           swapped(from) + "0000" + swapped(stamp) +
           Byte_To_Hex(static_cast<unsigned>(text.size())) + Pack_Septets(text);
}
// The worked example: "Ciao" from +393331234567 on 05/12/05 at 10.15:30.
const std::string kCiao = Deliver("393331234567", "051205101530", "Ciao");
const std::string kOlder = Deliver("393471112223", "051130235959", "Prima");
// kOlder read at location 3 and kCiao at 1, listed oldest first; the picker names Ciao's sender.
const std::string kOlderRow = "1|3|+393471112223|30/11/05  23.59:59|+391234500000\n";
const std::string kCiaoRow = "2|1|Anna (3331234567)|05/12/05  10.15:30|+391234500000\n";
const std::string kListed = kOlderRow + kCiaoRow;
const std::string kCpmsOk = "\r\n+CPMS: 6,30,6,30,6,30\r\n\r\nOK\r\n";

std::string Read(const std::string& pdu) {
    return "\r\n+CMGR: 1,,23\r\n" + pdu + "\r\n\r\nOK\r\n";
}

// The browser on a phone that reads its memory location by location (one that refuses AT+CMGL),
// unless `lists`.
struct BrowserRig : test::Rig {
    explicit BrowserRig(bool lists = false) {
        dir.write("Setting.sms",
                  " 1 \r\n19200,n,8,1\r\n 0 \r\n391234500000\r\nTrue\r\nFalse\r\n"
                  "italiano\r\n 200 \r\n 50 \r\n 3 \r\n");
        start();
        program->listingRefused = !lists;
        form1()["Combo2"].addItem("Anna (3331234567)");
        open();
    }
    // Opens the browser anew; the phone then answers its memory choice.
    void open(bool answered = true) {
        f5()["Command2"].click();
        settle();
        host.keepModalOpen = true;
        opening = Rig::click("Command4");
        if (answered) reply(kCpmsOk);
    }
    std::string opening;
    Window& f5() { return *program->Form5; }
    Control& grid() { return f5()["Grid1"]; }
    std::string click(const char* button) { return Rig::click(button, &f5()); }
    // Reads three locations: the later message at 1, nothing at 2, the older one at 3.
    void readThree() {
        click("Command1");
        reply(Read(kCiao));
        reply("\r\nOK\r\n");
        reply(Read(kOlder));
    }
    // The grid's rows from `from` on, a line each, the cells joined by '|'.
    std::string rows(int from = 1) {
        std::string out;
        for (int r = from; r < grid().rows(); ++r)
            for (int c = 0; c < grid().cols(); ++c)
                out += grid().cell(r, c) + (c + 1 < grid().cols() ? "|" : "\n");
        return out;
    }
    // Sender, date and text of the message shown below the grid.
    std::string shown() {
        return f5()["Label5"].text() + "|" + f5()["Label6"].text() + "|" + f5()["Text2"].text();
    }
    void select(int r) {
        grid().setCurrent(r, 2);
        grid().click();
    }
};

// Every final result ends a read step. The answers phones give for an empty location read as
// empty; any other error counts the location as unreadable, and the count is told at the end.
TEST(Browser, EveryAnswerEndsItsReadAndErrorsAreCounted) {
    const std::pair<const char*, bool> cases[] = {
        {"\r\nOK\r\n", false},               // the bare OK most phones give
        {"\r\n+CMS ERROR: 321\r\n", false},  // "invalid memory index"
        {"\r\nERROR\r\n", false},            // without extended error codes
        {nullptr, false},                    // a message without text: not listed
        {"\r\n+CMS ERROR: 500\r\n", true},   // what a Huawei stick answers
        {"\r\n+CME ERROR: SIM failure\r\n", true},
    };
    for (const auto& [answer, unreadable] : cases) {
        SCOPED_TRACE(answer ? answer : "empty text");
        BrowserRig rig;
        EXPECT_EQ(rig.click("Command1"), "AT+CMGR=1\r");
        EXPECT_EQ(rig.reply(Read(kCiao)), "AT+CMGR=2\r");
        EXPECT_EQ(rig.reply(answer ? answer : Read(Deliver("393331234567", "051231000000", ""))),
                  "AT+CMGR=3\r");
        EXPECT_EQ(rig.reply(Read(kOlder)), "");
        std::string told;
        for (const MessageBoxSpec& box : rig.host.boxes)
            told += box.text;
        EXPECT_EQ(told, unreadable
                            ? "Posizioni della memoria che il telefonino non ha potuto leggere: 1."
                            : "");
        // "Progr." is the sorted position, "Id" the location; the newest is marked and shown.
        EXPECT_EQ(rig.rows(), kListed);
        EXPECT_EQ(rig.shown(), "Anna (3331234567)|05/12/05  10.15:30|Ciao");
        EXPECT_TRUE(rig.f5()["Command7"].enabled() && rig.f5()["Command3"].enabled());
    }
}

// A phone that refuses the memory choice is asked once more with the name in quotes, and from
// then on in quotes; one that refuses that too is read in the memory it has.
TEST(Browser, ARefusedMemoryChoiceIsQuotedOnceThenLeft) {
    BrowserRig rig;
    EXPECT_EQ(rig.opening, "AT+CPMS=MT\r");
    rig.open(false);
    EXPECT_EQ(rig.click("Command1"), "");
    EXPECT_EQ(rig.reply("\r\nERROR\r\n"), "AT+CPMS=\"MT\"\r");
    EXPECT_EQ(rig.reply("\r\n+CMS ERROR: 302\r\n"), "AT+CMGR=1\r");
    EXPECT_TRUE(rig.host.boxes.empty());
    rig.open(false);
    EXPECT_EQ(rig.opening, "AT+CPMS=\"MT\"\r");
    Close_Port(*rig.program);
    Open_Port(*rig.program);  // perhaps another phone now
    rig.form1()["Timer1"].tick();
    rig.open(false);
    EXPECT_EQ(rig.opening, "AT+CPMS=MT\r");
}

// Reading a complete read again lists the same rows; reopened, the window starts from its design
// and lists only what it reads then; "Aggiorna" starts over from an empty list.
TEST(Browser, ReopeningStartsFromDesignAndListsOnlyWhatItReads) {
    BrowserRig rig;
    rig.readThree();
    rig.select(2);
    EXPECT_EQ(rig.shown(), "Anna (3331234567)|05/12/05  10.15:30|Ciao");
    EXPECT_EQ(rig.grid().col(), 0);
    EXPECT_EQ(rig.click("Command1"), "");
    EXPECT_EQ(rig.rows(), kListed);

    rig.f5()["Check1"].click();
    rig.program->st.Browser_Slot_Count = 1;
    rig.open();
    EXPECT_EQ(rig.rows(0), "Progr.|Id|Mittente|Data e ora|C.Servizi usato\n");
    EXPECT_EQ(rig.f5()["Text3"].text() + " " + std::to_string(rig.f5()["ProgressBar1"].max()),
              "1 1");
    EXPECT_EQ(rig.shown(), "||");
    EXPECT_FALSE(rig.f5()["Check1"].value() || rig.f5()["Command3"].enabled());
    rig.click("Command1");
    rig.reply(Read(kCiao));
    EXPECT_EQ(rig.rows(), "1|1|Anna (3331234567)|05/12/05  10.15:30|+391234500000\n");

    EXPECT_EQ(rig.click("Command4"), "AT+CMGR=1\r");
    EXPECT_EQ(rig.rows() + rig.shown(), "||");
}

// Save, Delete and Reply act on the marked row's own message, also right after a read, after the
// arrow keys moved the mark and after a delete, which shows the row then marked. A file that
// cannot be written is told and deletes nothing. Reply answers the sender's own number.
TEST(Browser, SaveDeleteAndReplyTakeTheMarkedRowsOwnMessage) {
    BrowserRig rig;
    rig.readThree();  // the last row, "Ciao", is marked
    const auto file = (rig.dir.path() / "read.txt").string();
    rig.host.saveAnswers = {file, file};
    EXPECT_EQ(rig.click("Command5"), "");
    EXPECT_EQ(rig.dir.read("read.txt"), "+393331234567 05/12/05  10.15:30\r\nCiao\r\n");
    EXPECT_TRUE(rig.host.saveDialogs.at(0).overwritePrompt);  // a file is replaced only if asked

    rig.grid().moveCurrent(1, 0);
    EXPECT_EQ(rig.shown(), "+393471112223|30/11/05  23.59:59|Prima");
    rig.f5()["Check1"].click();
    rig.host.answers = {MsgResult::Ok};
    EXPECT_EQ(rig.click("Command5"), "AT+CMGD=3\r");
    EXPECT_EQ(rig.dir.read("read.txt"), "+393471112223 30/11/05  23.59:59\r\nPrima\r\n");
    const MessageBoxSpec& ask = rig.host.boxes.at(0);
    EXPECT_EQ(ask.text, "Sei sicuro di voler cancellare il messaggio:\r   - Prima");
    EXPECT_EQ(ask.icon, MsgIcon::Exclamation);
    EXPECT_EQ(ask.defaultButton, 1);
    EXPECT_EQ(rig.rows() + rig.shown(), kCiaoRow + "Anna (3331234567)|05/12/05  10.15:30|Ciao");
    rig.reply("\r\nOK\r\n");

    for (const std::string& bad : {file + "/no/such.txt", std::string("/dev/full")}) {
        rig.host.saveAnswers = {bad};
        EXPECT_EQ(rig.click("Command5"), "") << bad;
        EXPECT_EQ(rig.host.boxes.back().icon, MsgIcon::Critical) << bad;
        EXPECT_NE(rig.host.boxes.back().text.find(bad), std::string::npos);
    }
    rig.click("Command3");
    EXPECT_EQ(rig.form1()["Combo2"].text() + "|" + rig.form1()["Text4"].text() + "|" +
                  rig.form1()["Text5"].text(),
              "Anna (3331234567)|+393331234567|Ciao");
    EXPECT_FALSE(rig.f5().shown() || rig.program->st.Browser_Reading);
}

// A report the phone stores is read, kept in Reports.txt and deleted there, never told as a new
// message; what else is stored is left alone, and a report given whole is kept alike. The
// listing shows what the file keeps, on no location; deleting that row forgets it.
TEST(Browser, ReportsAreKeptOffThePhoneAndListedFromTheFile) {
    test::UseUtc();
    BrowserRig rig(true);
    const std::string part = "5,+393331234567,2026/12/06 12:00:00,Ci vediamo alle 10\r\n";
    rig.dir.write("Reports.txt", part);
    const std::string report =
        "079193214305000006050C919333133254766221602100030062216021000300"
        "00";
    EXPECT_EQ(rig.reply("\r\n+CDSI: \"SM\",2\r\n"), "AT+CMGR=2\r");
    EXPECT_EQ(rig.reply(Read(report)), "AT+CMGD=2\r");
    const std::string kept = part + "D,5,+393331234567,2026/12/06 12:00:00," + report + "\r\n";
    EXPECT_EQ(rig.dir.read("Reports.txt"), kept);
    EXPECT_EQ(rig.form1()["StatusBar1"].panel(6),
              "Rapporto di consegna: Consegnato: Ci vediamo alle 10");
    EXPECT_EQ(rig.reply("\r\nOK\r\n"), "");
    EXPECT_EQ(rig.reply("\r\n+CDSI: \"SM\",3\r\n"), "AT+CMGR=3\r");
    EXPECT_EQ(rig.reply(Read(kCiao)), "");
    rig.reply("\r\n+CDS: 25\r\n" + report + "\r\n");  // the same report, given whole
    EXPECT_EQ(rig.dir.read("Reports.txt"), kept);
    EXPECT_EQ(rig.form1()["StatusBar1"].panel(6).find("Nuovo"), std::string::npos);

    rig.click("Command1");
    rig.reply("\r\n+CMGL: 3,1,,23\r\n" + kCiao + "\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.grid().cell(2, 1) + " " + Browser(*rig.program).entryOfRow(2).Text,
              " Consegnato: Ci vediamo alle 10");
    rig.select(2);
    rig.host.answers = {MsgResult::Ok};
    EXPECT_EQ(rig.click("Command7"), "");
    EXPECT_EQ(rig.dir.read("Reports.txt"), part);
    EXPECT_EQ(rig.rows(), "1|3|Anna (3331234567)|05/12/05  10.15:30|+391234500000\n");
}

// A new message is read and told on the desktop by its sender's phonebook name and the start of
// its text: once, by an open browser when it reads it in. The click opens the browser with that
// message marked. Turned off, nothing is read or told for it.
TEST(Notification, ANewMessageIsToldUnlessTurnedOffAndItsClickMarksIt) {
    BrowserRig rig(true);
    const std::string kNew = Deliver("393331234567", "051201101530", test::Text(90));
    rig.click("Command2");
    EXPECT_EQ(rig.reply("\r\n+CMTI: \"SM\",2\r\n"), "AT+CMGR=2\r");
    EXPECT_EQ(rig.reply("\r\n+CMTI: \"SM\",3\r\n"), "");
    EXPECT_EQ(rig.reply(Read(kNew)), "AT+CMGR=3\r");
    rig.reply("\r\n+CMS ERROR: 321\r\n");  // gone before it was read
    ASSERT_EQ(rig.host.notices.size(), 1u);
    const Notification n = rig.host.notices[0];
    EXPECT_EQ(n.summary + "|" + n.body,
              "Nuovo messaggio da Anna (3331234567)|" + test::Text(80) + "...");
    rig.program->About->setShown(true);  // not over another window
    n.open(n.location);
    EXPECT_FALSE(rig.f5().shown());
    rig.program->About->setShown(false);
    n.open(n.location);
    EXPECT_EQ(rig.reply(kCpmsOk), "AT+CMGL=4\r");
    rig.reply("\r\n+CMGL: 1,1,,23\r\n" + kCiao + "\r\n+CMGL: 2,1,,23\r\n" + kNew +
              "\r\n+CMGL: 5,1,,23\r\n" + kOlder + "\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.grid().row(), 2);
    EXPECT_EQ(rig.shown(), "Anna (3331234567)|01/12/05  10.15:30|" + test::Text(90));
    EXPECT_EQ(rig.reply("\r\n+CMTI: \"SM\",3\r\n"), "AT+CMGR=3\r");
    EXPECT_EQ(rig.reply(Read(kOlder)), "");
    EXPECT_EQ(rig.host.notices.at(1).summary + rig.host.notices.at(1).body,
              "Nuovo messaggio da +393471112223Prima");

    rig.click("Command2");
    rig.form1().menu("Mn_Avviso").click();
    EXPECT_EQ(rig.reply("\r\n+CMTI: \"SM\",4\r\n"), "");
    EXPECT_EQ(rig.host.notices.size(), 2u);
    EXPECT_TRUE(rig.host.boxes.empty());
}

TEST(Browser, SavedFileKeepsEveryCharacterOfTheText) {
    EXPECT_EQ(SavedMessageBytes("+39", "d", "Caffè 5€"), "+39 d\r\nCaff\xE8 5\x80\r\n");
    EXPECT_EQ(SavedMessageBytes("+7", "d", "Привет"), "\xEF\xBB\xBF+7 d\r\nПривет\r\n");
}

}  // namespace
}  // namespace bsms
