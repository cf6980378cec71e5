// The receive dispatcher: endings, error codes, routing, errors, re-entrance, the reply view and
// the receive box.
#include <gtest/gtest.h>

#include "app/form1.h"
#include "link/dispatcher.h"
#include "link/error_codes.h"
#include "link/indications.h"
#include "test_support.h"
#include "ui/language.h"

namespace bsms {
namespace {

struct DispatchRig : test::Rig {
    std::vector<std::string> toContinuation, toPhonebook, toBrowser;
    DispatchRig() {
        start();
        program->continueSendStore = [this](const std::string& s) { toContinuation.push_back(s); };
        program->phonebookReply = [this](const std::string& s) {
            toPhonebook.push_back(s);
            return false;
        };
        program->browserReply = [this](const std::string& s) { toBrowser.push_back(s); };
        Choose_Language(*program, "english");
    }
    std::string buffer() { return form1()["Text1"].text(); }
    // The receive box emptied, as each dialogue does, then the phone sends `bytes`.
    void fresh(const std::string& bytes) {
        form1()["Text1"].setText("");
        port.arrive(bytes);
    }
};

TEST(Endings, AreJudgedAtTheirExactPositions) {
    EXPECT_TRUE(HasOkEnding("\r\nOK\r\n"));
    EXPECT_TRUE(HasOkEnding("OKxx"));
    EXPECT_FALSE(HasOkEnding("\r\nOK\r"));
    EXPECT_FALSE(HasOkEnding("ok\r\n"));
    // The prompt: ">" opening a line, then only blanks and line ends, as phones send it.
    for (const char* prompt : {"\r\n> ", "AT+CM\r> ", "\r\n>\r\n", "\r\n>", "> ", "\n>  \r\n"})
        EXPECT_TRUE(HasPromptEnding(prompt)) << prompt;
    for (const char* other : {"\r\n> 0", "\r\nx> ", "a>\r\n", "\r\n>>x", "\r\n"})
        EXPECT_FALSE(HasPromptEnding(other)) << other;
    EXPECT_TRUE(HasErrorEnding("\r\nERROR\r\n"));
    EXPECT_FALSE(HasErrorEnding("\r\nERROR\r"));
    EXPECT_EQ(ExtendedErrorLine("AT+CMGS=23\r\r\n+CMS ERROR: 304\r\n"), "+CMS ERROR: 304");
    EXPECT_EQ(ExtendedErrorLine("\r\n+CME ERROR: 10\r\n"), "+CME ERROR: 10");
    EXPECT_EQ(ExtendedErrorLine("\r\n+CMS ERROR: 304\r\nRING\r\n"), "");
    EXPECT_EQ(ExtendedErrorLine("\r\nOK\r\n"), "");
}

// Error results in numbers or in the words of TS 27.005 and TS 27.007, as phones write them.
TEST(ErrorCodes, WordsReadLikeTheirNumbers) {
    using K = ErrorResult::Kind;
    const std::pair<const char*, std::optional<ErrorResult>> rows[] = {
        {"+CMS ERROR: 321", ErrorResult{K::Cms, 321}},
        {"+CMS ERROR: invalid memory index", ErrorResult{K::Cms, 321}},
        {"+CMS ERROR: Invalid Memory Index", ErrorResult{K::Cms, 321}},
        {"+CMS ERROR: unknown error", ErrorResult{K::Cms, 500}},
        {"+CMS ERROR: operation not allowed", ErrorResult{K::Cms, 302}},
        {"+CME ERROR: not found", ErrorResult{K::Cme, 22}},
        {"+CME ERROR: PH_SIM PIN required", ErrorResult{K::Cme, 5}},
        {"+CME ERROR: network not allowed, emergency calls only", ErrorResult{K::Cme, 32}},
        {"+CME ERROR:10", ErrorResult{K::Cme, 10}},
        {"+CMS ERROR: the cat sat on the SIM", std::nullopt},  // words no table holds
        {"+CMS ERROR: 32x", std::nullopt},
        {"+CMS ERROR: -5", std::nullopt},  // no code is negative
        {"ERROR", std::nullopt},
    };
    for (const auto& [line, code] : rows)
        EXPECT_EQ(ErrorCode(line), code) << line;
    EXPECT_TRUE(IsEmptyLocationAnswer("\r\n+CMS ERROR: invalid memory index\r\n"));
    EXPECT_FALSE(IsEmptyLocationAnswer("\r\n+CME ERROR: 321\r\n"));
    EXPECT_FALSE(IsEmptyLocationAnswer("\r\n+CMS ERROR: 500\r\n"));
}

// The probe (offered only while the port is open) empties the box and asks for the model; a
// complete reply goes to the dialogue the flags name, and the browser takes even a bare OK.
// New messages are announced where the phone offers it: what AT+CNMI=? lists decides the
// setting; a phone that refuses keeps its own, and nothing is said.
TEST(Indications, AreAskedForAsThePhoneOffersThem) {
    const std::pair<const char*, const char*> offers[] = {
        {"+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)", "2,1,0,2,0"},
        {"+CNMI: (0,1,2),(0,1),(0),(0,1),(0)", "2,1,0,1,0"},  // reports only given whole
        {"+CNMI: (0,1),(0-3),(0),(0)", "1,1,0,0"},            // four values, no reports
        {"+CNMI: (0-2),(0-9),(0),(1-9),(0)", "2,1,0,2,0"},    // ranges up to the last digit
        {"+CNMI: (0-2),(0),(0),(0),(0)", ""},                 // no announced messages
        {"+CNMI: (2),(4294967297),(0)", ""},  // a number too long for an int offers nothing
        {"OK", ""},
    };
    for (const auto& [offered, setting] : offers)
        EXPECT_EQ(ChooseIndications(offered), setting) << offered;

    test::Rig rig;
    rig.dir.write("Setting.sms", " 1 \r\n19200,n,8,1\r\n 0 \r\n39\r\nTrue\r\nFalse\r\nenglish\r\n");
    rig.start();
    EXPECT_EQ(rig.written(), "AT+CNMI=?\r");
    rig.port.arrive("AT+CNMI=?\r\r\n+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.written(), "AT+CNMI=2,1,0,2,0\r");
    rig.port.arrive("AT+CNMI=2,1,0,2,0\r\r\n+CME ERROR: 3\r\n");
    EXPECT_TRUE(rig.host.boxes.empty() && rig.port.written.empty());
    EXPECT_EQ(rig.program->st.indications, IndicationsStep::None);
}

TEST(Dispatcher, RoutesOkAndPromptEndingsByTheFlags) {
    DispatchRig rig;
    rig.form1()["Text1"].setText("old traffic");
    rig.form1().menu("Mn_Test").click();
    EXPECT_EQ(rig.port.written, "");
    rig.port.setPortOpen(true);
    Status_Refresh(*rig.program);
    rig.form1().menu("Mn_Test").click();
    EXPECT_EQ(rig.port.written + rig.buffer(), "AT+CGMM\r");
    rig.port.arrive("AT+CGMM\r\r\nSIM900\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.toContinuation, std::vector<std::string>{"AT+CGMM\r\r\nSIM900\r\n\r\nOK\r\n"});
    rig.fresh("\r\nOK\r\n");  // six characters: no reply of a dialogue
    rig.program->st.Browser_Reading = true;
    rig.fresh("\r\nOK\r\n");
    EXPECT_EQ(rig.toBrowser.size(), 1u);
    rig.program->st.Browser_Reading = false;
    // Seven characters with the prompt; then a prompt followed by more is no prompt.
    rig.fresh("AT+C\r> ");
    rig.port.arrive("x");
    EXPECT_EQ(rig.toContinuation.size(), 2u);
    rig.program->st.Phonebook_Download = true;
    rig.fresh("AT+CPBS=SM\r\r\nOK\r\n");
    EXPECT_EQ(rig.toPhonebook.size(), 1u);
    EXPECT_EQ(rig.toContinuation.size(), 2u);
    EXPECT_TRUE(rig.host.boxes.empty());
}

// An error result, bare or with the phone's line, ends every dialogue and shows that line. (While
// the browser reads, an error is the answer to its read: the browser's tests have that.)
TEST(Dispatcher, AnErrorEndsEveryDialogueAndShowsThePhonesLine) {
    const std::pair<const char*, const char*> rows[] = {
        {"AT+CSCA?\r\r\nERROR\r\n", "Command didn't accept by mobile"},
        {"AT+CMGS=23\r\r\n> 0011\x1a\r\n+CMS ERROR: 304\r\n",
         "Command didn't accept by mobile\r+CMS ERROR: 304"},
    };
    for (const auto& [reply, text] : rows) {
        DispatchRig rig;
        DialogueState& st = rig.program->st;
        st.Csc_Query_Pending = st.Phonebook_Download = st.Sent_Confirm_Pending = true;
        st.Send_Job.start();
        st.Store_Job.start();
        rig.port.arrive(reply);
        ASSERT_EQ(rig.host.boxes.size(), 1u);
        EXPECT_EQ(rig.host.boxes[0].text, text);
        EXPECT_EQ(rig.host.boxes[0].icon, MsgIcon::Critical);
        EXPECT_FALSE(st.Csc_Query_Pending || st.Phonebook_Download || st.Sent_Confirm_Pending ||
                     st.Send_Job.active || st.Store_Job.active);
    }
}

TEST(Dispatcher, ArrivalsDuringAMessageBoxAreAppendedAndJudgedAfterwards) {
    DispatchRig rig;
    int boxesOpen = 0;
    rig.host.duringBox = [&](const MessageBoxSpec&) {
        ++boxesOpen;
        EXPECT_EQ(boxesOpen, 1) << "dispatcher re-entered";
        if (rig.host.boxes.size() == 1) rig.port.arrive("RING\r\nAT\r\r\nOK\r\n");
        Comm1_OnComm(*rig.program);  // as a port that raises its event even during one
        --boxesOpen;
    };
    rig.program->st.Sent_Confirm_Pending = true;
    rig.port.arrive("AT\r\r\nERROR\r\n");
    // The error box, then the whole buffer judged again: the OK reached the continuation, but the
    // pending send was cleared by the error and shows no box.
    EXPECT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.buffer(), "AT\r\r\nERROR\r\nRING\r\nAT\r\r\nOK\r\n");
    EXPECT_EQ(rig.toContinuation.size(), 1u);
}

TEST(ReplyView, LeavesOutWhatThePhoneSendsOfItsOwnAccord) {
    const std::pair<const char*, const char*> rows[] = {
        // A code right behind the final result, in the same piece.
        {"AT\r\r\nOK\r\n\r\nRING\r\n", "AT\r\r\nOK\r\n"},
        // Between the echo and the reply: its quotes must not reach the service-centre scan.
        {"AT+CSCA?\r\r\n+CMTI: \"SM\",3\r\n\r\n+CSCA: \"+39123\",145\r\n\r\nOK\r\n",
         "AT+CSCA?\r\r\n+CSCA: \"+39123\",145\r\n\r\nOK\r\n"},
        // A message delivered on the spot brings its PDU line along; both go.
        {"AT+CMGR=2\r\r\n+CMT: ,23\r\n07911326040000F0\r\n\r\n+CMGR: 0,,5\r\n0011\r\n\r\nOK\r\n",
         "AT+CMGR=2\r\r\n+CMGR: 0,,5\r\n0011\r\n\r\nOK\r\n"},
        // After a prompt: the prompt stays the ending.
        {"AT+CMGS=23\r\r\n> \r\nRING\r\n", "AT+CMGS=23\r\r\n> "},
        // A line on its way that may still be one is held back, and so is an empty line.
        {"\r\nOK\r\n\r\nRI", "\r\nOK\r\n"},
        {"\r\n> \r\n", "\r\n> "},
        // Replies stay whole, an unfinished one too.
        {"AT+CGMM\r\r\nSIM900\r\n\r\nOK\r\n", "AT+CGMM\r\r\nSIM900\r\n\r\nOK\r\n"},
        {"\r\n+CPBR: 1,\"+3912\",145,\"RINGO\"\r\n", "\r\n+CPBR: 1,\"+3912\",145,\"RINGO\"\r\n"},
        {"\r\nOK\r\n\r\n+CPB", "\r\nOK\r\n\r\n+CPB"},
        // Codes with no breaks between them (found by fuzzing).
        {"RING\n+", ""},
    };
    for (const auto& [buffer, view] : rows)
        EXPECT_EQ(ReplyView(buffer), view) << ::testing::PrintToString(std::string(buffer));
}

TEST(Dispatcher, UnsolicitedLinesNeverMakeAReplyCountTwice) {
    DispatchRig rig;
    rig.port.arrive("AT+CMGS=23\r\r\n> ");
    ASSERT_EQ(rig.toContinuation.size(), 1u);
    // Each piece of a code on its own, then the code whole: the prompt was answered already.
    for (const char* piece : {"\r\n", "RI", "NG\r\n", "\r\n+CMTI: \"SM\",4\r\n"})
        rig.port.arrive(piece);
    EXPECT_EQ(rig.toContinuation.size(), 1u);
    rig.port.arrive("0011\x1a\r\n+CMGS: 7\r\n\r\nOK\r\n\r\nRING\r\n");
    ASSERT_EQ(rig.toContinuation.size(), 2u);
    EXPECT_TRUE(rig.toContinuation[1].ends_with("+CMGS: 7\r\n\r\nOK\r\n"));
    rig.port.arrive("\r\nRING\r\n");
    EXPECT_EQ(rig.toContinuation.size(), 2u);

    // The same reply once more after the box was emptied is a new reply.
    for (int i = 0; i < 2; ++i)
        rig.fresh("AT+CSCA?\r\r\n+CSCA: \"+39123\",145\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.toContinuation.size(), 4u);
}

TEST(ReceiveBox, KeepsTheCaretAtTheEndAndStaysBounded) {
    DispatchRig rig;
    Control& box = rig.form1()["Text1"];
    rig.port.arrive("+CMTI: \"SM\",1\r\n");
    EXPECT_EQ(box.selStart(), box.text().size());
    const std::string line = std::string(99, 'x') + "\n";
    for (int i = 0; i < 700; ++i)
        rig.port.arrive(line);
    const std::string reply = "AT+CSCA?\r\r\n+CSCA: \"+39123\",145\r\n\r\nOK\r\n";
    rig.port.arrive(reply);
    EXPECT_LE(box.text().size(), kReceiveBoxLimit);
    EXPECT_EQ(box.text().substr(0, 100), line);  // cut at a line boundary
    const std::string& judged = rig.toContinuation.back();
    EXPECT_EQ(judged.substr(judged.size() - reply.size()), reply);
    rig.form1()["Command2"].click();
    EXPECT_EQ(box.text(), "");
}

}  // namespace
}  // namespace bsms
