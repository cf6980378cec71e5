// Sending and storing: the commands, the job driven by the phone's replies, the confirmation
// prompt, the sent log and the service-centre query.
#include <gtest/gtest.h>

#include <regex>

#include "app/form1.h"
#include "compose/continuation.h"
#include "compose/send.h"
#include "compose/sent_log.h"
#include "test_support.h"

namespace bsms {
namespace {

struct SendRig : test::Rig {
    explicit SendRig(const std::string& language = "english") {
        dir.write("Setting.sms", " 1 \r\n19200,n,8,1\r\n 0 \r\n391234567890\r\nTrue\r\nFalse\r\n" +
                                     language + "\r\n");
        start();
        EXPECT_TRUE(port.portOpen());
        Status_Refresh(*program);
    }
    void message(const std::string& text, const std::string& recipient = "+393331234567") {
        form1()["Text4"].setText(recipient);
        form1()["Text5"].setText(text);
    }
    // The phone answers, after echoing the command line it was given; what the program wrote
    // back.
    std::string reply(const std::string& bytes) {
        const std::string echo = port.written.ends_with('\r') ? port.written : "";
        port.written.clear();
        port.arrive(echo + bytes);
        return port.written;
    }
    // A button or a menu item of the main window; what it wrote.
    std::string click(const char* name) {
        port.written.clear();
        if (MenuItem* item = form1().findMenu(name))
            item->click();
        else
            form1()[name].click();
        return port.written;
    }
    std::string firstCommand(const char* command) {
        return command + std::to_string(part(1).Part_Length) + "\r";
    }
    const PduPart& part(int k) { return program->Pdu_Parts.parts[k - 1]; }
    std::string log() { return dir.read("LogSMS.txt"); }
    // Sends the message in the main window and lets the phone take every part.
    void sendAccepted(const std::string& text, const std::string& recipient) {
        message(text, recipient);
        click("Command6");
        for (std::string next = port.written; next.starts_with("AT+CMGS=");) {
            reply("\r\n> ");
            next = reply("\r\n+CMGS: 7\r\n\r\nOK\r\n");
        }
    }
};

const char* const kPrompt = "\r\n> ";
const char* const kPartOk = "\r\n+CMGS: 7\r\n\r\nOK\r\n";

TEST(SendAndStore, EachPartGoesOutOnItsPromptAndTheNextCommandOnItsOk) {
    struct Case {
        int parts;
        const char* button;
        const char* command;
    };
    for (const Case c : {Case{1, "Command6", "AT+CMGS="}, Case{3, "Command6", "AT+CMGS="},
                         Case{5, "Command6", "AT+CMGS="}, Case{1, "Command7", "AT+CMGW="},
                         Case{3, "Command7", "AT+CMGW="}, Case{5, "Command7", "AT+CMGW="}}) {
        SCOPED_TRACE(std::string(c.button) + " of " + std::to_string(c.parts) + " parts");
        SendRig rig;
        const bool send = std::string(c.button) == "Command6";
        rig.message(std::string(c.parts == 1 ? 100 : 152 * (c.parts - 1) + 10, 'x'));
        rig.form1()["Text6"].setText("10");
        rig.host.answers = {MsgResult::Ok};
        const std::string first = rig.click(c.button);
        ASSERT_EQ(first, rig.firstCommand(c.command));
        for (int k = 1; k <= c.parts; ++k) {
            EXPECT_EQ(rig.reply(kPrompt), rig.part(k).Part_Pdu + "\x1a") << "part " << k;
            if (k == 5) break;  // no OK is awaited after the fifth part
            const std::string next =
                k < c.parts ? c.command + std::to_string(rig.part(k + 1).Part_Length) + "\r" : "";
            EXPECT_EQ(rig.reply(kPartOk), next) << "part " << k;
        }
        if (c.parts == 5) {
            EXPECT_EQ(rig.reply(kPartOk), "");
        }
        EXPECT_FALSE(rig.program->st.Send_Job.active || rig.program->st.Store_Job.active);
        EXPECT_FALSE(rig.program->st.Sent_Confirm_Pending);
        // A send is reported once and counted by its parts; a store says nothing.
        const auto& boxes = rig.host.boxes;
        ASSERT_EQ(boxes.size(), send ? 2u : 0u);
        if (send) {
            EXPECT_EQ(boxes[1].text, "Messagge sent");
            EXPECT_EQ(rig.program->st.Sent_Count, 10 + c.parts);
            EXPECT_EQ(rig.dir.read("Sent.txt"), " " + std::to_string(10 + c.parts) + " \r\n");
        }
        EXPECT_EQ(rig.dir.exists("LogSMS.txt"), send);
    }
}

TEST(SendAndStore, PromptInEachLanguageWithItsOptions) {
    const std::string ciao = "\r\r     \"Ciao\"\r\r";
    const struct {
        const char* language;
        bool flash, report;
        std::string expected;
    } cases[] = {
        {"italiano", false, false,
         "Sei sicuro di volere inviare il messaggio:" + ciao + "Al numero: 333?\r"},
        // Both options: an empty line, then one line each.
        {"english", true, true,
         "Are you sure to send this SMS:" + ciao + "To: 333?\r\r- Flash SMS\r- Status report"},
        {"slovak", false, true,
         "Naozaj chcete odoslat túto SMS:" + ciao + "Pre: 333?\r\r- Výpis o dorucení"},
        {"magyar", true, false,
         "Biztos, hogy el akarja küldeni ezt az SMS-t?:" + ciao + "Fogadó: 333?\r\r- Flash SMS"},
        {"polski", false, true,
         "Czy na pewno chcesz wyslac ten SMS:" + ciao + "Do: 333?\r\r- Stan raportu"},
        // No language chosen yet: Italian, like the windows, rather than an empty question.
        {"", false, false,
         "Sei sicuro di volere inviare il messaggio:" + ciao + "Al numero: 333?\r"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SendPrompt(c.language, "Ciao", "333", c.flash, c.report), c.expected)
            << c.language;

    SendRig rig("magyar");
    rig.message("Ciao", "333");
    rig.form1().menu("Mn_Flash").click();
    rig.host.answers = {MsgResult::Ok};
    rig.click("Command6");
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    const MessageBoxSpec& box = rig.host.boxes[0];
    EXPECT_EQ(box.text, SendPrompt("magyar", "Ciao", "333", true, false));
    EXPECT_EQ(box.title, "Conferma di invio");
    EXPECT_EQ(box.icon, MsgIcon::Question);
    EXPECT_EQ(box.buttons, MsgButtons::OkCancel);
    EXPECT_EQ(box.defaultButton, 1);  // Cancel
}

TEST(SendAndStore, CancelRefusalAndTheOneShotFlash) {
    SendRig rig;
    Program& p = *rig.program;
    rig.message("Ciao");
    rig.form1()["Text1"].setText("earlier traffic");
    rig.form1().menu("Mn_Flash").click();
    rig.host.answers = {MsgResult::Cancel};
    EXPECT_EQ(rig.click("Command6"), "");
    EXPECT_FALSE(rig.dir.exists("LogSMS.txt"));
    EXPECT_TRUE(p.st.Opt_Flash);  // options stay as they were
    EXPECT_EQ(rig.form1()["Text1"].text(), "earlier traffic");

    // Storing keeps the flash option; the build carries it.
    EXPECT_NE(rig.click("Command7"), "");
    EXPECT_EQ(p.Pdu_Parts.Pdu_Dcs, "F0");
    EXPECT_TRUE(p.st.Opt_Flash);
    EXPECT_EQ(rig.form1()["Text1"].text(), "");

    // Sending clears it, for the next message; without the question nothing is asked.
    rig.form1().menu("Mn_Conferma").click();
    rig.host.boxes.clear();
    EXPECT_NE(rig.click("Command6"), "");
    EXPECT_TRUE(rig.host.boxes.empty());
    EXPECT_FALSE(p.st.Opt_Flash);
    EXPECT_FALSE(rig.form1().menu("Mn_Flash").checked());

    // A refused build writes, asks and logs nothing.
    rig.dir.write("LogSMS.txt", "kept");
    rig.form1()["Text2"].setText("");
    EXPECT_EQ(rig.click("Command6"), "");
    EXPECT_EQ(rig.click("Command7"), "");
    EXPECT_EQ(rig.log(), "kept");
    ASSERT_EQ(rig.host.boxes.size(), 2u);
    EXPECT_EQ(rig.host.boxes[0].text, "Insert service centre !!!");
}

TEST(SendAndStore, ANewJobIsNeverAnsweredByAStaleOne) {
    SendRig rig;
    rig.form1().menu("Mn_Conferma").click();
    rig.message(std::string(400, 's'));
    rig.click("Command7");  // the phone never answers this store
    rig.message("short one");
    rig.click("Command6");
    EXPECT_EQ(rig.reply(kPrompt), rig.part(1).Part_Pdu + "\x1a");
    EXPECT_EQ(rig.reply(kPartOk), "");
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.program->st.Sent_Count, 1);
}

// A job waits for its own replies only: an OK it did not ask for, or the replies of a dialogue
// started meanwhile, never write a PDU without a prompt or report a message as sent.
TEST(SendAndStore, AWaitingJobMovesOnlyOnItsOwnReplies) {
    SendRig rig;
    rig.form1().menu("Mn_Conferma").click();
    rig.message("Ciao");
    rig.click("Command6");
    EXPECT_EQ(rig.reply("\r\nOK\r\n"), "");  // a late answer to an earlier command
    EXPECT_EQ(rig.click("Mn_Test"), "AT+CGMM\r");
    EXPECT_EQ(rig.reply("\r\nBX-1\r\n\r\nOK\r\n"), "");
    rig.click("Mn_Test");
    rig.reply("\r\nBX-1\r\n\r\nOK\r\n");

    rig.message(std::string(200, 'x'));
    rig.click("Command6");  // two parts, the phone silent again
    rig.host.keepModalOpen = true;
    EXPECT_EQ(rig.click("Command4"), "AT+CPMS=MT\r");
    EXPECT_EQ(rig.reply("\r\n+CPMS: 0,30,0,30,0,30\r\n\r\nOK\r\n"), "");
    rig.port.written.clear();
    (*rig.program->Form5)["Command1"].click();
    EXPECT_EQ(rig.port.written, "AT+CMGR=1\r");
    EXPECT_EQ(rig.reply("\r\nOK\r\n"), "AT+CMGR=2\r");
    EXPECT_TRUE(rig.host.boxes.empty());
    EXPECT_EQ(rig.program->st.Sent_Count, 0);
    EXPECT_FALSE(rig.dir.exists("Sent.txt") || rig.dir.exists("LogSMS.txt"));
}

TEST(SendAndStore, PhoneErrorEndsTheJobAndNothingMoreIsWritten) {
    SendRig rig;
    rig.message(std::string(200, 'e'));
    rig.click("Command6");
    rig.reply(kPrompt);
    EXPECT_EQ(rig.reply("\r\n+CMS ERROR: 500\r\n"), "");
    ASSERT_EQ(rig.host.boxes.size(), 2u);
    EXPECT_EQ(rig.host.boxes[1].text, "Command didn't accept by mobile\r+CMS ERROR: 500");
    EXPECT_EQ(rig.reply("\r\nOK\r\n> "), "");
    EXPECT_EQ(rig.program->st.Sent_Count, 0);
}

TEST(SentLog, HeaderOnceThenFiveLinesPerMessage) {
    SendRig rig;
    rig.form1().menu("Mn_Conferma").click();
    rig.sendAccepted("first line\r\nsecond line", "+39333");
    rig.sendAccepted(std::string(300, 'z'), "0612345");
    const std::string log = rig.log();
    const std::string header = LogHeaderText();
    ASSERT_EQ(log.substr(0, header.size()), header);
    EXPECT_EQ(header, "BrenvikSMS By Orvantelliq\r\nLog degli SMS inviati.\r\n" +
                          std::string(44, '-') + "\r\n\r\n\r\n");
    const std::regex entries(
        "Sms:        first line\r\nsecond line\r\nAl numero:  \\+39333\r\n"
        "Data e ora: [^\r\n]+ [^\r\n]+\r\nN\\.sms:  1\r\n\r\n"
        "Sms:        z{300}\r\nAl numero:  0612345\r\nData e ora: [^\r\n]+\r\nN\\.sms:  2\r\n\r\n");
    EXPECT_TRUE(std::regex_match(log.substr(header.size()), entries)) << log;

    // Windows-1252 in the file; the regional date and time in the C locale.
    EXPECT_EQ(LogEntryText("caffè", "1", "1", "d t").substr(0, 18), "Sms:        caffè");
    rig.sendAccepted("caffè", "1");
    EXPECT_NE(rig.log().find("Sms:        caff\xE8\r\n"), std::string::npos);
    EXPECT_EQ(RegionalDateTime(0).size(), std::string("01/01/70 00:00:00").size());
}

// The entry is written once the phone has taken the last part, never for a message it refused
// or that never reached it.
TEST(SentLog, HoldsOnlyMessagesThePhoneTook) {
    SendRig rig;
    rig.form1().menu("Mn_Conferma").click();
    rig.message("refused");
    rig.click("Command6");
    rig.reply(kPrompt);
    rig.reply("\r\n+CMS ERROR: 38\r\n");
    rig.message("unanswered");
    rig.click("Command6");
    EXPECT_FALSE(rig.dir.exists("LogSMS.txt"));
    rig.sendAccepted(std::string(760, 'k'), "+39333");  // five parts: after the OK to the last
    EXPECT_EQ(rig.log().find("refused"), std::string::npos);
    EXPECT_NE(rig.log().find("N.sms:  5\r\n"), std::string::npos);
    EXPECT_EQ(rig.program->st.Sent_Count, 5);
}

TEST(SentLog, AnUnwritableLogNeverStopsASend) {
    SendRig rig;
    rig.form1().menu("Mn_Conferma").click();
    std::filesystem::create_directory(rig.dir.path() / "LogSMS.txt");
    rig.message("Ciao");
    const std::string written = rig.click("Command6");
    EXPECT_EQ(written, rig.firstCommand("AT+CMGS="));
}

TEST(SentLog, ViewAndDeleteActOnTheProgramsFolder) {
    SendRig rig;
    const std::string path = (rig.dir.path() / "LogSMS.txt").string();
    rig.form1().menu("Mn_Log").click();
    EXPECT_EQ(rig.host.documents, std::vector<std::string>{path});
    EXPECT_EQ(rig.log(), LogHeaderText());  // an empty log to look at, not an error

    rig.host.answers = {MsgResult::No, MsgResult::Yes, MsgResult::Yes};
    rig.form1().menu("Mn_DeleteLog").click();
    EXPECT_TRUE(rig.dir.exists("LogSMS.txt"));
    const MessageBoxSpec& ask = rig.host.boxes[0];
    EXPECT_EQ(ask.text, "Are you sure to delete SMS Sent log file ?");
    EXPECT_EQ(ask.title, "Confirm deleting SMS Sent log file.");
    EXPECT_EQ(ask.buttons, MsgButtons::YesNo);
    EXPECT_EQ(ask.defaultButton, 1);
    rig.form1().menu("Mn_DeleteLog").click();
    EXPECT_FALSE(rig.dir.exists("LogSMS.txt"));
    rig.form1().menu("Mn_DeleteLog").click();  // nothing left to delete: no error
    EXPECT_EQ(rig.host.boxes.size(), 3u);
}

TEST(ServiceCentre, NumberIsTakenFromBetweenTheQuotes) {
    const struct {
        const char* reply;
        std::optional<std::string> number;
    } cases[] = {
        {"AT+CSCA?\r\r\n+CSCA: \"+391234567890\",145\r\n\r\nOK\r\n", "391234567890"},
        // A national number is kept whole, not cut by its first digit.
        {"\r\n+CSCA: \"0391234567\",129\r\n\r\nOK\r\n", "0391234567"},
        // A phone without a stored centre: nothing to take.
        {"\r\n+CSCA: \"\",129\r\n\r\nOK\r\n", std::nullopt},
        {"\r\n+CSCA: \"+\",145\r\n\r\nOK\r\n", std::nullopt},
        {"\r\n+CSCA: ,129\r\n\r\nOK\r\n", std::nullopt},
        {"\r\n+CSCA: \"+39123\r\n\r\nOK\r\n", std::nullopt},
        // Only the answer's own line counts, and only a number is taken from it.
        {"\r\n+CSCA: \"+391234500000\",145\r\n\r\nOK\r\n+CTZE: \"+04\",0,\"2024/05/01\"\r\n",
         "391234500000"},
        {"\r\n+CTZE: \"+04\",0\r\n+CSCA: \"+391234500000\",145\r\n\r\nOK\r\n", "391234500000"},
        {"\r\n+CSCA: \"+39 123\",145\r\n\r\nOK\r\n", std::nullopt},
        {"\r\n+CSCA: \"SMSC\",145\r\n\r\nOK\r\n", std::nullopt},
        {"\r\nOK\r\n", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ServiceCentreFromReply(c.reply), c.number) << c.reply;
}

TEST(ServiceCentre, QueryFillsText2OrLeavesIt) {
    SendRig rig;
    Program& p = *rig.program;
    rig.form1()["Text1"].setText("old");
    EXPECT_EQ(rig.click("Command3"), "AT+CSCA?\r");
    EXPECT_EQ(rig.form1()["Text1"].text(), "");
    EXPECT_TRUE(p.st.Csc_Query_Pending);
    rig.reply("\r\n+CSCA: \"+391234500000\",145\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.form1()["Text2"].text(), "391234500000");
    EXPECT_FALSE(p.st.Csc_Query_Pending);

    rig.port.written.clear();
    rig.form1().menu("Mn_CSC").click();
    EXPECT_EQ(rig.port.written, "AT+CSCA?\r");
    rig.reply("\r\n+CSCA: \"\",129\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.form1()["Text2"].text(), "391234500000");
    EXPECT_FALSE(p.st.Csc_Query_Pending);
    EXPECT_TRUE(rig.host.boxes.empty());
}

// A line the phone adds of its own accord right behind the answer neither hides the answer nor
// reaches the settings.
TEST(ServiceCentre, UnknownLinesBehindTheAnswerChangeNothing) {
    for (const char* line : {"+CTZE: \"+04\",0,\"2024/05/01,10:00:00\"", "NO CARRIER", "+CTZV: 32",
                             "+QIND: SMS DONE", "*PSUTTZ: 24,5,1", "^RSSI: 12"}) {
        SCOPED_TRACE(line);
        SendRig rig;
        rig.form1()["Text2"].setText("1");
        rig.click("Command3");
        rig.reply("\r\n+CSCA: \"+391234500000\",145\r\n\r\nOK\r\n" + std::string(line) + "\r\n");
        EXPECT_EQ(rig.form1()["Text2"].text(), "391234500000");
        EXPECT_FALSE(rig.program->st.Csc_Query_Pending);
        rig.form1().menu("Mn_Salva_Imp").click();
        test::Rig again;
        again.dir.write("Setting.sms", rig.dir.read("Setting.sms"));
        again.start();
        EXPECT_EQ(again.form1()["Text2"].text(), "391234500000");
        EXPECT_EQ(again.program->st.Current_Language, "english");
        EXPECT_TRUE(again.program->st.Opt_Confirm_Send);
    }
}

}  // namespace
}  // namespace bsms
