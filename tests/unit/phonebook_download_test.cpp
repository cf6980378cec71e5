// The phonebook download: the dialogue with the phone, the parse of its listings, the progress
// window and its Cancel.
#include <gtest/gtest.h>

#include "app/form1.h"
#include "link/settings_files.h"
#include "phonebook/download.h"
#include "test_support.h"
#include "ui/language.h"

namespace bsms {
namespace {

const std::string kOk = "\r\nOK\r\n";

// A program on an open port; the test plays the phone while Form3 is shown.
struct DownloadRig : test::Rig {
    explicit DownloadRig(const char* language = "english") {
        start();
        if (*language) Choose_Language(*program, language);
        port.setPortOpen(true);
        Status_Refresh(*program);
    }
    Window& form3() { return *program->Form3; }
    const std::vector<std::string>& picker() { return form1()["Combo2"].items(); }
    // The command written last, taken off the line.
    std::string command() {
        std::string c;
        c.swap(port.written);
        return c;
    }
    // The phone echoes the command and answers it; the buffer was emptied for the answer.
    void answer(const std::string& command, const std::string& lines = "") {
        EXPECT_EQ(form1()["Text1"].text(), "") << "before the answer to " << command;
        port.arrive(command + "\r\n" + lines + (lines.empty() ? "" : "\r\n") + kOk);
    }
    bool showing(const char* label) { return form3()[label].visible(); }
};

TEST(PhonebookDownload, ReadsTheSimThenThePhoneAndClosesTheWindow) {
    struct Row {
        std::int16_t simSize, phoneSize;
        const char* simRead;
        const char* phoneRead;
        std::string simListing, phoneListing;
        std::vector<std::string> entries;
    };
    const Row rows[] = {
        // The default sizes; an entry without a text shows its number alone.
        {200,
         50,
         "AT+CPBR=1,200\r",
         "AT+CPBR=1,50\r",
         "+CPBR: 1,\"3331234567\",129,\"Anna\"\r\n+CPBR: 2,\"+39333\",145,\"\"",
         "+CPBR: 1,\"0612345\",129,\"Casa\"",
         {"Anna (3331234567)", "(+39333)", "Casa (0612345)"}},
        // Sizes from the settings; an empty SIM still moves on to the phone's memory.
        {250,
         7,
         "AT+CPBR=1,250\r",
         "AT+CPBR=1,7\r",
         "",
         "+CPBR: 7,\"112\",129,\"SOS\"",
         {"SOS (112)"}},
    };
    for (const Row& row : rows) {
        DownloadRig rig;
        rig.program->st.Sim_Phonebook_Size = row.simSize;
        rig.program->st.Phone_Phonebook_Size = row.phoneSize;
        rig.form1()["Combo2"].addItem("from an earlier download");
        std::vector<std::string> commands;
        rig.host.duringModal = [&](Window& w) {
            ASSERT_EQ(w.name(), "Form3");
            Control& timer = w["Timer1"];
            EXPECT_TRUE(timer.enabled());
            commands.push_back(rig.command());
            timer.tick();
            EXPECT_TRUE(rig.showing("Label3"));
            EXPECT_FALSE(rig.showing("Label2"));
            rig.answer(commands.back());
            commands.push_back(rig.command());
            timer.tick();  // reading the SIM: the label stays
            EXPECT_TRUE(rig.showing("Label3"));
            rig.answer(commands.back(), row.simListing);
            commands.push_back(rig.command());
            rig.answer(commands.back());
            commands.push_back(rig.command());
            timer.tick();  // the phone's memory was selected between two ticks
            EXPECT_TRUE(rig.showing("Label2"));
            EXPECT_FALSE(rig.showing("Label3"));
            EXPECT_TRUE(w.shown());
            rig.answer(commands.back(), row.phoneListing);
            EXPECT_FALSE(w.shown());
        };
        rig.form1().menu("Mn_Upload").click();
        EXPECT_EQ(commands, (std::vector<std::string>{"AT+CPBS=SM\r", row.simRead, "AT+CPBS=ME\r",
                                                      row.phoneRead}));
        EXPECT_EQ(rig.picker(), row.entries);
        EXPECT_TRUE(rig.form1()["Combo2"].enabled());
        EXPECT_TRUE(rig.form1()["Combo2"].windowBackground);
        EXPECT_FALSE(rig.host.busy);
        EXPECT_FALSE(rig.form3()["Timer1"].enabled());
        EXPECT_EQ(rig.port.written, "");
        const DialogueState& st = rig.program->st;
        EXPECT_FALSE(st.Phonebook_Download || st.Phonebook_Ask_Sim || st.Phonebook_Reading_Sim ||
                     st.Phonebook_Ask_Me || st.Phonebook_Reading_Me);
        EXPECT_TRUE(rig.host.boxes.empty());
    }
}

TEST(PhonebookListing, GivesOneEntryPerUsableLine) {
    struct Row {
        std::string reply;
        std::vector<std::string> entries;
    };
    const Row rows[] = {
        // The echo, blank lines and the final OK hold no quotes and are passed over.
        {"AT+CPBR=1,200\r\r\n+CPBR: 1,\"3331234567\",129,\"Anna\"\r\n\r\nOK\r\n",
         {"Anna (3331234567)"}},
        // Commas and parentheses stay inside the text.
        {"+CPBR: 7,\"+393401234567\",145,\"Rossi, Mario\"\r\n+CPBR: 8,\"444\",129,\"Bob (work)\"",
         {"Rossi, Mario (+393401234567)", "Bob (work) (444)"}},
        // An empty number adds nothing and the next line is read as usual.
        {"+CPBR: 3,\"\",129,\"Nobody\"\r\n+CPBR: 4,\"555\",129,\"Eva\"", {"Eva (555)"}},
        // Fields after the text (hidden flag, group) are not a second entry.
        {"+CPBR: 5,\"666\",129,\"\",0,\"Family\"", {"(666)"}},
        // A line without its text field, or with it unclosed, gives nothing.
        {"+CPBR: 6,\"777\",129\r\n+CPBR: 9,\"888\",129,\"Ugo\r\n+CPBR: 10,\"999\",129,\"Ida\"",
         {"Ida (999)"}},
        // The index and type are not kept; the number is taken as written.
        {"+CPBR: 12,\"*31#0612\",128,\"Hidden\"", {"Hidden (*31#0612)"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ParseListing(row.reply), row.entries) << row.reply;
}

TEST(PhonebookDownload, ListingCutAfterOkOrPromptInANameIsAwaited) {
    DownloadRig rig;
    rig.host.duringModal = [&](Window&) {
        rig.answer(rig.command());
        const std::string read = rig.command();
        // A slow line delivers the listing in pieces; two of them end like a final result.
        rig.port.arrive(read + "\r\n+CPBR: 1,\"111\",129,\"TOOK\"\r");
        rig.port.arrive("\n+CPBR: 2,\"222\",129,\"a> ");
        EXPECT_EQ(rig.port.written, "");
        rig.port.arrive("b\"\r\n" + kOk);
        EXPECT_EQ(rig.command(), "AT+CPBS=ME\r");
        rig.program->Form3->unload();
    };
    rig.form1().menu("Mn_Upload").click();
    EXPECT_EQ(rig.picker(), (std::vector<std::string>{"TOOK (111)", "a> b (222)"}));
}

TEST(PhonebookDownload, AccentedNamesSurviveTheRoundTripThroughTheFile) {
    DownloadRig rig;
    rig.host.duringModal = [&](Window&) {
        rig.answer(rig.command());
        // The phone's 8-bit character set, read as Windows-1252.
        rig.answer(rig.command(), "+CPBR: 1,\"333\",129,\"Nicol\xF2\"");
        rig.answer(rig.command());
        rig.answer(rig.command(), "+CPBR: 1,\"444\",129,\"Fran\xE7ois\"");
    };
    rig.form1().menu("Mn_Upload").click();
    const std::vector<std::string> entries{"Nicolò (333)", "François (444)"};
    EXPECT_EQ(rig.picker(), entries);
    rig.form1().menu("Mn_Rub_Save").click();
    EXPECT_EQ(rig.dir.read("Rubrica.txt"), "Nicol\xF2 (333)\r\nFran\xE7ois (444)\r\n");
    rig.form1().menu("Mn_Rub_Load").click();
    EXPECT_EQ(rig.picker(), entries);
}

TEST(PhonebookDownload, CancelWhileReadingClosesThePortAndKeepsTheSimEntries) {
    DownloadRig rig;
    rig.host.duringModal = [&](Window& w) {
        rig.answer(rig.command());
        rig.answer(rig.command(), "+CPBR: 1,\"3331234567\",129,\"Anna\"");
        rig.answer(rig.command());
        EXPECT_EQ(rig.command(), "AT+CPBR=1,50\r");
        // The phone stays silent: the window waits, its timer goes on, Cancel works.
        for (int i = 0; i < 3; ++i)
            w["Timer1"].tick();
        EXPECT_TRUE(w.shown());
        w["Command1"].click();
    };
    rig.form1().menu("Mn_Upload").click();
    EXPECT_FALSE(rig.port.portOpen());
    EXPECT_FALSE(rig.form3().shown());
    EXPECT_FALSE(rig.host.busy);
    EXPECT_EQ(rig.picker(), (std::vector<std::string>{"Anna (3331234567)"}));
    EXPECT_TRUE(rig.program->st.Phonebook_Reading_Me);  // until the port is opened again
    Open_Port(*rig.program);
    EXPECT_FALSE(rig.program->st.Phonebook_Download || rig.program->st.Phonebook_Reading_Me);
}

TEST(PhonebookDownload, ErrorEndsTheDialogueAndLeavesTheWindowToCancel) {
    DownloadRig rig;
    rig.host.duringModal = [&](Window& w) {
        rig.answer(rig.command());
        rig.port.arrive(rig.command() + "\r\nERROR\r\n");
        ASSERT_EQ(rig.host.boxes.size(), 1u);
        EXPECT_EQ(rig.host.boxes[0].text, "Command didn't accept by mobile");
        EXPECT_EQ(rig.host.boxes[0].icon, MsgIcon::Critical);
        EXPECT_FALSE(rig.program->st.Phonebook_Download);
        w["Timer1"].tick();
        EXPECT_TRUE(w.shown());
        EXPECT_EQ(rig.port.written, "");
        w["Command1"].click();
    };
    rig.form1().menu("Mn_Upload").click();
    EXPECT_FALSE(rig.form3().shown());
    EXPECT_FALSE(rig.port.portOpen());
}

TEST(PhonebookDownload, PointerIsBusyOverTheWindowAndNormalOverCancel) {
    for (const char* language : {"", "english"}) {
        DownloadRig rig(language);
        rig.host.duringModal = [&](Window& w) {
            // Loading sets the hourglass; the language applied on activation resets it.
            EXPECT_EQ(rig.host.busy, !*language) << language;
            w["Frame1"].mouseMove();
            EXPECT_TRUE(rig.host.busy);
            w["Command1"].mouseMove();
            EXPECT_FALSE(rig.host.busy);
            w["Frame1"].mouseMove();
            w["Command1"].click();
        };
        rig.form1().menu("Mn_Upload").click();
        EXPECT_FALSE(rig.host.busy);
    }
}

TEST(PhonebookDownload, WindowOpensAsDesignedEachTime) {
    DownloadRig rig;
    rig.host.duringModal = [&](Window& w) {
        EXPECT_TRUE(rig.showing("Label3"));
        EXPECT_FALSE(rig.showing("Label2"));
        rig.program->st.Phonebook_Ask_Sim = false;
        rig.program->st.Phonebook_Ask_Me = true;
        w["Timer1"].tick();
        EXPECT_TRUE(rig.showing("Label2"));
        w["Command1"].click();
    };
    rig.form1().menu("Mn_Upload").click();
    rig.port.setPortOpen(true);
    rig.form1().menu("Mn_Upload").click();
    EXPECT_EQ(rig.host.modals, (std::vector<std::string>{"Form3", "Form3"}));
}

}  // namespace
}  // namespace bsms
