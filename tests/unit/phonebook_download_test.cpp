// The phonebook download: the dialogue with the phone and the parse of its listings. (Cancel on a
// silent phone, in the progress window: the gui test.)
#include <gtest/gtest.h>

#include "app/form1.h"
#include "link/reply_timer.h"
#include "link/settings_files.h"
#include "phonebook/book_window.h"
#include "phonebook/download.h"
#include "test_support.h"
#include "ui/language.h"

namespace bsms {
namespace {

using Entries = std::vector<std::string>;

// A program on an open port; the test plays the phone while Form3 is shown.
struct DownloadRig : test::Rig {
    DownloadRig() {
        start();
        Choose_Language(*program, "english");
        port.setPortOpen(true);
        Status_Refresh(*program);
    }
    Window& form3() { return *program->Form3; }
    const Entries& picker() { return form1()["Combo2"].items(); }
    // The phone echoes the command just written and answers it; the buffer was emptied for it.
    void answer(const std::string& lines = "") {
        EXPECT_EQ(form1()["Text1"].text(), "");
        port.arrive(written() + "\r\n" + lines + (lines.empty() ? "" : "\r\n") + "\r\nOK\r\n");
    }
};

// The whole download against phones that answer in turn: what the program asks, what the picker
// ends with, and whether a failure is told. Character sets first: where the phone offers UCS2 the
// names come in it and the phone gets its own set back; a phonebook refused by name is asked for
// in quotes from then on; "not found" is an empty listing; a phone without a phonebook of its own
// keeps the SIM's entries; a failed download leaves the picker as it was.
TEST(PhonebookDownload, AsksInTurnAndFillsThePickerOrLeavesItAsItWas) {
    const std::string gsm = "+CSCS: (\"GSM\",\"IRA\")",
                      anna = "+CPBR: 1,\"3331234567\",129,\"Anna\"";
    const std::string sizes = "AT+CSCS=?\rAT+CPBS=SM\rAT+CPBR=1,200\rAT+CPBS=ME\rAT+CPBR=1,50\r";
    const struct {
        const char* why;
        std::vector<std::string> answers;  // to each command in turn; "" is a bare OK
        std::string written;
        Entries picker;
    } rows[] = {
        {"an empty text shows the number alone; 8-bit names read as Windows-1252",
         {gsm, "", anna + "\r\n+CPBR: 2,\"+39333\",145,\"\"", "",
          "+CPBR: 1,\"061\",129,\"Zo\xEB\""},
         sizes,
         {"Anna (3331234567)", "(+39333)", "Zoë (061)"}},
        {"names in UCS2, numbers too where they read as one",
         {"+CSCS: (\"GSM\",\"UCS2\")", "+CSCS: \"GSM\"", "", "",
          "+CPBR: 1,\"+393331234567\",145,\"005A006F00EB\"\r\n"
          "+CPBR: 2,\"0033003300330031\",129,\"041E043B044C04330430\"\r\n"
          "+CPBR: 3,\"33312345\",129,\"01410075006B00610073007AD83DDE00\"",
          "", "", ""},
         "AT+CSCS=?\rAT+CSCS?\rAT+CSCS=\"UCS2\"\rAT+CPBS=SM\rAT+CPBR=1,200\rAT+CPBS=ME\r"
         "AT+CPBR=1,50\rAT+CSCS=\"GSM\"\r",
         {"Zoë (+393331234567)", "Ольга (3331)", "Łukasz\U0001F600 (33312345)"}},
        {"a strict parser",
         {"ERROR", "ERROR", "", anna, "", ""},
         "AT+CSCS=?\rAT+CPBS=SM\rAT+CPBS=\"SM\"\rAT+CPBR=1,200\rAT+CPBS=\"ME\"\rAT+CPBR=1,50\r",
         {"Anna (3331234567)"}},
        {"an empty phone book",
         {gsm, "", anna, "", "+CME ERROR: not found"},
         sizes,
         {"Anna (3331234567)"}},
        {"an empty SIM",
         {gsm, "", "+CME ERROR: not found", "", anna},
         sizes,
         {"Anna (3331234567)"}},
        {"no phone book of its own",
         {gsm, "", anna, "+CME ERROR: 3", "+CME ERROR: 3"},
         "AT+CSCS=?\rAT+CPBS=SM\rAT+CPBR=1,200\rAT+CPBS=ME\rAT+CPBS=\"ME\"\r",
         {"Anna (3331234567)"}},
        {"the phone silent when given its own set back: the names read are kept, and it is said",
         {"+CSCS: (\"GSM\",\"UCS2\")", "+CSCS: \"GSM\"", "", "", "+CPBR: 1,\"061\",129,\"0041\"",
          "", "", "silent"},
         "AT+CSCS=?\rAT+CSCS?\rAT+CSCS=\"UCS2\"\rAT+CPBS=SM\rAT+CPBR=1,200\rAT+CPBS=ME\rAT+CPBR=1,"
         "50\r"
         "AT+CSCS=\"GSM\"\r",
         {"A (061)"}},
        {"the SIM refused, and said",
         {gsm, "", "+CME ERROR: 10"},
         "AT+CSCS=?\rAT+CPBS=SM\rAT+CPBR=1,200\r",
         {"Old (1)"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        DownloadRig rig;
        rig.form1()["Combo2"].addItem("Old (1)");
        rig.form1()["Combo2"].setEnabled(false);
        std::string written;
        rig.host.duringModal = [&](Window&) {
            for (const std::string& answer : row.answers) {
                written += rig.port.written;
                if (answer == "silent") {
                    for (int ms = 0; ms < kCommandReplyMs; ms += kReplyTimerMs)
                        rig.form1()["Timer2"].tick();
                    rig.written();
                } else if (answer.starts_with("ERROR") || answer.starts_with("+CM"))
                    rig.port.arrive(rig.written() + "\r\n" + answer + "\r\n");
                else
                    rig.answer(answer);
            }
            written += rig.port.written;
        };
        rig.form1().menu("Mn_Upload").click();
        const bool restored = row.picker == Entries{"Old (1)"};
        EXPECT_EQ(written, row.written);
        EXPECT_EQ(rig.picker(), row.picker);
        EXPECT_EQ(rig.form1()["Combo2"].enabled(), !restored);
        EXPECT_EQ(rig.host.boxes.size(), restored || row.answers.back() == "silent" ? 1u : 0u);
        EXPECT_FALSE(rig.form3().shown() || rig.program->st.Phonebook_Download || rig.host.busy);
        EXPECT_TRUE(rig.port.portOpen());
    }
    EXPECT_EQ(Ucs2HexText("D83D"), "\uFFFD");  // half a pair
    EXPECT_EQ(Ucs2HexText("ABC"), std::nullopt);
    EXPECT_EQ(Ucs2HexText("00G1"), std::nullopt);
}

TEST(PhonebookListing, GivesOneEntryPerUsableLine) {
    const std::pair<std::string, Entries> rows[] = {
        // The echo, blank lines and the final OK hold no quotes and are passed over.
        {"AT+CPBR=1,200\r\r\n+CPBR: 1,\"3331234567\",129,\"Anna\"\r\n\r\nOK\r\n",
         {"Anna (3331234567)"}},
        // Commas and parentheses stay inside the text.
        {"+CPBR: 7,\"+3934\",145,\"Rossi, Mario\"\r\n+CPBR: 8,\"444\",129,\"Bob (work)\"",
         {"Rossi, Mario (+3934)", "Bob (work) (444)"}},
        // An empty number adds nothing and the next line is read as usual.
        {"+CPBR: 3,\"\",129,\"Nobody\"\r\n+CPBR: 4,\"555\",129,\"Eva\"", {"Eva (555)"}},
        // Fields after the text (hidden flag, group) are not a second entry.
        {"+CPBR: 5,\"666\",129,\"\",0,\"Family\"", {"(666)"}},
        // A line without its text field, or with it unclosed, gives nothing.
        {"+CPBR: 6,\"777\",129\r\n+CPBR: 9,\"888\",129,\"Ugo\r\n+CPBR: 10,\"999\",129,\"Ida\"",
         {"Ida (999)"}},
    };
    for (const auto& [reply, entries] : rows)
        EXPECT_EQ(ParseListing(reply), entries) << reply;
    EXPECT_EQ(ParseEntries(rows[1].first, "SM")[1], (BookEntry{"SM", 8, "444", "Bob (work)"}));
}

// What a book takes: its locations, the digits of a number and the characters of a name.
TEST(PhonebookListing, LimitsAsTheWriteCommandTellsThem) {
    const auto limits = [](std::string_view answer) {
        const auto l = BookLimitsOf(answer);
        return l ? std::tuple(l->first, l->last, l->numberLength, l->nameLength)
                 : std::tuple(-1, -1, -1, -1);
    };
    EXPECT_EQ(limits("+CPBW: (1-250),40,(129,145),14\r\nOK"), std::tuple(1, 250, 40, 14));
    EXPECT_EQ(limits("\r\n+CPBW: (1),20,(129),18"), std::tuple(1, 1, 20, 18));
    EXPECT_EQ(limits("+CPBW: (1-9),20"), std::tuple(-1, -1, -1, -1));
    EXPECT_EQ(limits("OK"), std::tuple(-1, -1, -1, -1));
}

}  // namespace
}  // namespace bsms
