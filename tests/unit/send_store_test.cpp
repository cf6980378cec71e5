// Sending and storing: the commands, the job driven by the phone's replies, the confirmation
// prompt, the sent log and the service-centre query.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "app/form1.h"
#include "compose/continuation.h"
#include "compose/send.h"
#include "compose/sent_log.h"
#include "test_support.h"

namespace bsms {
namespace {

const char* const kPrompt = "\r\n> ";
const char* const kPartOk = "\r\n+CMGS: 7\r\n\r\nOK\r\n";

struct SendRig : test::Rig {
    explicit SendRig(bool confirm = false) {
        dir.write("Setting.sms", " 1 \r\n19200,n,8,1\r\n 0 \r\n391234567890\r\n" +
                                     std::string(confirm ? "True" : "False") +
                                     "\r\nFalse\r\nenglish\r\n");
        start();
        Status_Refresh(*program);
    }
    void message(const std::string& text, const std::string& recipient = "+393331234567") {
        form1()["Text4"].setText(recipient);
        form1()["Text5"].setText(text);
    }
    std::string command(const char* verb, int k) {
        return verb + std::to_string(program->Pdu_Parts.parts[k - 1].Part_Length) + "\r";
    }
    // Whether clicking `name` wrote the first command of the message just built.
    bool opens(const char* name, const char* verb) {
        const std::string written = click(name);
        return written == command(verb, 1);
    }
    std::string pdu(int k) { return program->Pdu_Parts.parts[k - 1].Part_Pdu + "\x1a"; }
    // Sends the message in the main window and lets the phone take every part.
    void sendAccepted(const std::string& text, const std::string& recipient) {
        message(text, recipient);
        for (std::string next = click("Command6"); next.starts_with("AT+CMGS=");) {
            reply(kPrompt);
            next = reply(kPartOk);
        }
    }
};

// Each part goes out on its own prompt, the next command on the OK after it; none is awaited
// after the fifth. A send is told once and counted by its parts, a store says nothing.
TEST(SendAndStore, EachPartGoesOutOnItsPromptAndTheNextCommandOnItsOk) {
    const struct {
        int parts;
        bool send;  // else store
    } cases[] = {{1, true}, {5, true}, {3, false}, {5, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE((c.send ? "send of " : "store of ") + std::to_string(c.parts) + " parts");
        SendRig rig;
        const bool send = c.send;
        const char* verb = send ? "AT+CMGS=" : "AT+CMGW=";
        rig.message(std::string(c.parts == 1 ? 100 : 152 * (c.parts - 1) + 10, 'x'));
        rig.form1()["Text6"].setText("10");
        ASSERT_TRUE(rig.opens(send ? "Command6" : "Command7", verb));
        for (int k = 1; k <= c.parts; ++k) {
            EXPECT_EQ(rig.reply(kPrompt), rig.pdu(k)) << "part " << k;
            EXPECT_EQ(rig.reply(kPartOk), k < c.parts ? rig.command(verb, k + 1) : "");
        }
        EXPECT_FALSE(rig.program->st.Send_Job.active || rig.program->st.Store_Job.active ||
                     rig.program->st.Sent_Confirm_Pending);
        EXPECT_EQ(rig.host.boxes.size(), send ? 1u : 0u);
        // Counted at once, so that a send right behind it counts on from there.
        const std::string count = send ? std::to_string(10 + c.parts) : "10";
        EXPECT_EQ(rig.form1()["Text6"].text(), count);
        EXPECT_EQ(rig.dir.read("Sent.txt"), send ? " " + count + " \r\n" : "");
        EXPECT_EQ(rig.dir.exists("LogSMS.txt"), send);
    }
}

// The question, in the user's language (Italian before one is chosen), carries the message and
// each option chosen; Cancel is its default and sends nothing. A store keeps the one-shot flash
// option, a send clears it.
TEST(SendAndStore, TheQuestionCancelAndTheOneShotFlash) {
    const std::string ciao = "\r\r     \"Ciao\"\r\r";
    EXPECT_EQ(SendPrompt("english", "Ciao", "333", true, true),
              "Are you sure to send this SMS:" + ciao + "To: 333?\r\r- Flash SMS\r- Status report");
    EXPECT_EQ(SendPrompt("", "Ciao", "333", false, false),
              "Sei sicuro di volere inviare il messaggio:" + ciao + "Al numero: 333?\r");
    SendRig rig(true);
    Program& p = *rig.program;
    rig.message("Ciao");
    rig.form1()["Text1"].setText("earlier traffic");
    rig.form1().menu("Mn_Flash").click();
    EXPECT_EQ(rig.click("Command6"), "");
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].text, SendPrompt("english", "Ciao", "+393331234567", true, false));
    EXPECT_EQ(rig.form1()["Text1"].text(), "earlier traffic");

    EXPECT_TRUE(rig.opens("Command7", "AT+CMGW="));
    EXPECT_EQ(p.Pdu_Parts.Pdu_Dcs, "F0");
    EXPECT_TRUE(p.st.Opt_Flash);
    EXPECT_EQ(rig.form1()["Text1"].text(), "");
    rig.settle();
    rig.form1().menu("Mn_Conferma").click();  // without the question nothing is asked
    EXPECT_TRUE(rig.opens("Command6", "AT+CMGS="));
    EXPECT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_FALSE(p.st.Opt_Flash || rig.form1().menu("Mn_Flash").checked());
}

// The log holds each message the phone took, in Windows-1252 below a header written once: not one
// it refused, which is told (the job then ends, and a late prompt writes nothing). Every send
// counts, one right after another. (Nothing unanswered is logged: the interleaving schedules.)
TEST(SentLog, HoldsEachMessageThePhoneTook) {
    SendRig rig;
    rig.message("refused");
    rig.click("Command6");
    rig.reply(kPrompt);
    EXPECT_EQ(rig.reply("\r\n+CMS ERROR: 38\r\n"), "");
    // A network's refusal is named in words.
    EXPECT_EQ(rig.host.boxes.at(0).text,
              "Command didn't accept by mobile\r+CMS ERROR: 38\rThe network is out of order.");
    EXPECT_EQ(rig.reply("\r\nOK\r\n> "), "");
    EXPECT_FALSE(rig.dir.exists("LogSMS.txt"));
    rig.sendAccepted("first line\r\nsecond line", "+39333");
    rig.sendAccepted(std::string(760, 'k'), "0612345");
    rig.sendAccepted("caffè", "1");
    EXPECT_EQ(rig.program->st.Sent_Count, 7);
    const std::regex log(
        LogHeaderText() +
        "Sms:        first line\r\nsecond line\r\nAl numero:  \\+39333\r\n"
        "Data e ora: [^\r\n]+ [^\r\n]+\r\nN\\.sms:  1\r\n\r\n"
        "Sms:        k{760}\r\nAl numero:  0612345\r\nData e ora: [^\r\n]+\r\nN\\.sms:  5\r\n\r\n"
        "Sms:        caff\xE8\r\nAl numero:  1\r\nData e ora: [^\r\n]+\r\nN\\.sms:  1\r\n\r\n");
    EXPECT_TRUE(std::regex_match(rig.dir.read("LogSMS.txt"), log)) << rig.dir.read("LogSMS.txt");
    EXPECT_EQ(RegionalDateTime(0).size(), std::string("01/01/70 00:00:00").size());
}

// The log is looked at and deleted in the program's folder, the deletion asked first (No by
// default).
TEST(SentLog, ViewAndDeleteActOnTheProgramsFolder) {
    SendRig rig;
    rig.form1().menu("Mn_Log").click();
    EXPECT_EQ(rig.host.documents,
              std::vector<std::string>{(rig.dir.path() / "LogSMS.txt").string()});
    // An empty log to look at, not an error.
    EXPECT_EQ(rig.dir.read("LogSMS.txt"), LogHeaderText());
    rig.host.answers = {MsgResult::No, MsgResult::Yes, MsgResult::Yes};
    rig.form1().menu("Mn_DeleteLog").click();
    EXPECT_TRUE(rig.dir.exists("LogSMS.txt"));
    EXPECT_EQ(rig.host.boxes[0].defaultButton, 1);
    rig.form1().menu("Mn_DeleteLog").click();
    EXPECT_FALSE(rig.dir.exists("LogSMS.txt"));
    rig.form1().menu("Mn_DeleteLog").click();  // nothing left to delete: no error
    EXPECT_EQ(rig.host.boxes.size(), 3u);
}

// With a report asked for, the references the phone gives the parts of a message it took are
// kept beside the log, and a report given whole is told as the outcome of that message.
TEST(SentReports, KeepTheReferencesOfEachPartTakenAndPairAReportGivenWhole) {
    SendRig rig;
    rig.form1().menu("Mn_Ricevuta").click();
    rig.message(std::string(760, 'r'));
    rig.click("Command6");
    for (int k = 1; k <= 5; ++k) {
        rig.reply(kPrompt);
        rig.reply("\r\n+CMGS: " + std::to_string(200 + k) + "\r\n\r\nOK\r\n");
    }
    const std::string file = rig.dir.read("Reports.txt");
    for (int k = 1; k <= 5; ++k)
        EXPECT_NE(file.find(std::to_string(200 + k) + ",+393331234567,"), std::string::npos) << k;
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 5);
    EXPECT_NE(file.find("," + std::string(40, 'r') + "\r\n"), std::string::npos);

    rig.message("not taken");
    rig.click("Command6");
    rig.reply(kPrompt);
    rig.reply("\r\n+CMS ERROR: 38\r\n");
    EXPECT_EQ(rig.dir.read("Reports.txt"), file);

    rig.port.arrive(  // stamped in 2099: after the send, whenever the test runs
        "\r\n+CDS: 25\r\n0791932143050000"
        "06CB"
        "0C91933313325476"
        "9921133295950099211332959500"
        "00\r\n");
    EXPECT_EQ(rig.form1()["StatusBar1"].panel(6),
              "Delivery report: Delivered: " + std::string(40, 'r'));
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
        {"\r\n+CSCA: \"+39123\r\n\r\nOK\r\n", std::nullopt},
        // Only the answer's own line counts, and only a number is taken from it.
        {"\r\n+CSCA: \"+391234500000\",145\r\n\r\nOK\r\n+CTZE: \"+04\",0,\"2024/05/01\"\r\n",
         "391234500000"},
        {"\r\n+CSCA: \"+39 123\",145\r\n\r\nOK\r\n", std::nullopt},
        {"\r\nOK\r\n", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ServiceCentreFromReply(c.reply), c.number) << c.reply;
}

// Either button asks; the answer fills Text2 with the phone's centre, or leaves it when the phone
// has none, also with a line the phone adds of its own accord right behind the answer.
TEST(ServiceCentre, QueryFillsText2OrLeavesIt) {
    for (const char* line : {"", "+CTZE: \"+04\",0,\"2024/05/01,10:00:00\"", "NO CARRIER",
                             "+CTZV: 32", "+QIND: SMS DONE", "*PSUTTZ: 24,5,1", "^RSSI: 12"}) {
        SCOPED_TRACE(line);
        SendRig rig;
        rig.form1()["Text1"].setText("old");
        EXPECT_EQ(rig.click("Command3"), "AT+CSCA?\r");
        EXPECT_EQ(rig.form1()["Text1"].text(), "");
        rig.reply("\r\n+CSCA: \"+391234500000\",145\r\n\r\nOK\r\n" + std::string(line) + "\r\n");
        EXPECT_EQ(rig.form1()["Text2"].text(), "391234500000");
        EXPECT_FALSE(rig.program->st.Csc_Query_Pending);
        EXPECT_EQ(rig.click("Mn_CSC"), "AT+CSCA?\r");
        rig.reply("\r\n+CSCA: \"\",129\r\n\r\nOK\r\n" + std::string(line) + "\r\n");
        EXPECT_EQ(rig.form1()["Text2"].text(), "391234500000");
        EXPECT_FALSE(rig.program->st.Csc_Query_Pending);
        EXPECT_TRUE(rig.host.boxes.empty());
    }
}

}  // namespace
}  // namespace bsms
