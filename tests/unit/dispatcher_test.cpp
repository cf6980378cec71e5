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

// A program on an open port whose owners record the answers they are given.
struct DispatchRig : test::Rig {
    std::vector<std::pair<Owner, std::string>> answers;
    DispatchRig() {
        start();
        Choose_Language(*program, "english");
        port.setPortOpen(true);
        for (int k = 0; k < kOwnerCount; ++k) {
            const auto owner = static_cast<Owner>(k);
            program->handlers(owner).answer = [this, owner](const Command&, const std::string& a) {
                answers.emplace_back(owner, a);
                return false;
            };
        }
    }
    std::string buffer() { return form1()["Text1"].text(); }
    // A command of `owner`, answered by a final result or else by a prompt with `prompt`; what
    // the program wrote.
    std::string send(Owner owner, const std::string& text, bool prompt = false) {
        Command c = CommandLine(owner, text);
        if (prompt) c.end = AnswerEnd::PromptOrFinal;
        program->Send(c);
        return written();
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
    rig.start(true);
    EXPECT_EQ(rig.written(), "AT+CNMI=?\r");
    rig.port.arrive("AT+CNMI=?\r\r\n+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.written(), "AT+CNMI=2,1,0,2,0\r");
    rig.port.arrive("AT+CNMI=2,1,0,2,0\r\r\n+CME ERROR: 3\r\n");
    EXPECT_TRUE(rig.host.boxes.empty() && rig.port.written.empty());
    EXPECT_EQ(rig.program->st.indications, IndicationsStep::None);
}

// An answer ends where its command says: at the first final result line, or, for a command
// that awaits the prompt for a PDU, at that prompt. It goes to its owner once, whole, without
// the lines the phone sends of its own accord, its final result ending in CR LF.
TEST(Dispatcher, EachAnswerEndsWhereItsCommandSaysAndGoesToItsOwnerOnce) {
    const struct {
        const char* why;
        bool prompt;
        std::vector<std::string> pieces;
        std::optional<std::string> answer;
    } rows[] = {
        {"echo, information, OK",
         false,
         {"AT+CGMM\r\r\nSIM900\r\n\r\nOK\r\n"},
         "AT+CGMM\r\r\nSIM900\r\n\r\nOK\r\n"},
        {"a phone that does not echo", false, {"\r\nOK\r\n"}, "\r\nOK\r\n"},
        {"cut in the final result", false, {"\r\nO", "K", "\r\n"}, "\r\nOK\r\n"},
        {"a lone CR after the final result", false, {"\r\nOK\r"}, "\r\nOK\r\n"},
        {"codes of the phone's own inside and behind",
         false,
         {"\r\nRING\r\n\r\n+CSCA: \"+39\",145\r\n\r\n+CMTI: \"SM\",3\r\n\r\nOK\r\n\r\nRING\r\n"},
         "\r\n+CSCA: \"+39\",145\r\n\r\nOK\r\n"},
        {"an error in words",
         false,
         {"\r\n+CME ERROR: SIM failure\r\n"},
         "\r\n+CME ERROR: SIM failure\r\n"},
        {"OK inside a line is no final result",
         false,
         {"\r\n+CPBR: 1,\"1\",129,\"OK\"\r\n"},
         std::nullopt},
        {"a prompt answers no ordinary command",
         false,
         {"\r\n+CPBR: 1,\"2\",129,\"a> "},
         std::nullopt},
        {"the prompt for a PDU", true, {"AT+CMGS=23\r\r\n> "}, "AT+CMGS=23\r\r\n> "},
        {"the prompt of SIMCom modules", true, {"\r\n>\r\n"}, "\r\n>"},
        {"a line of the phone's own after the prompt",
         true,
         {"\r\n> \r\n+CMTI: \"S", "M\",9\r\n"},
         "\r\n> "},
        {"a prompt followed by more is none", true, {"\r\n> 0"}, std::nullopt},
        {"a refusal instead of the prompt",
         true,
         {"\r\n+CMS ERROR: 304\r\n"},
         "\r\n+CMS ERROR: 304\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        DispatchRig rig;
        rig.host.answers = {MsgResult::Ok};
        EXPECT_EQ(rig.send(Owner::Probe, "AT+X", row.prompt), "AT+X\r");
        rig.program->Send(CommandLine(Owner::Reports, "AT+Y"));
        EXPECT_EQ(rig.written(), "");  // one command on the line at a time
        for (const std::string& piece : row.pieces)
            rig.port.arrive(piece);
        if (!row.answer) {
            EXPECT_TRUE(rig.answers.empty());
            continue;
        }
        ASSERT_EQ(rig.answers.size(), 1u);
        EXPECT_EQ(rig.answers[0], std::make_pair(Owner::Probe, *row.answer));
        // The next goes once the answer is in; a prompt no one wrote a PDU for is ended first.
        const bool prompt = row.answer->find('>') != std::string::npos;
        EXPECT_EQ(rig.written(), prompt ? "\x1B"
                                          "AT\r"
                                        : "AT+Y\r");
        rig.port.arrive("\r\nRING\r\n");
        EXPECT_EQ(rig.answers.size(), 1u);
    }
}

// An error the owner does not take ends every dialogue and shows the phone's line; the answer of
// a dialogue ended meanwhile goes to no one.
TEST(Dispatcher, AnErrorEndsEveryDialogueAndShowsThePhonesLine) {
    const std::pair<const char*, const char*> rows[] = {
        {"AT+CSCA?\r\r\nERROR\r\n", "Command didn't accept by mobile"},
        {"AT+CMGS=23\r\r\n+CMS ERROR: 304\r\n", "Command didn't accept by mobile\r+CMS ERROR: 304"},
        {"\r\n+CMS ERROR: 322\r\n",
         "Command didn't accept by mobile\r+CMS ERROR: 322\rThe mobile's message memory is full: "
         "delete some messages to receive new ones."},
    };
    for (const auto& [reply, text] : rows) {
        DispatchRig rig;
        DialogueState& st = rig.program->st;
        st.Csc_Query_Pending = st.Phonebook_Download = st.Sent_Confirm_Pending = true;
        st.Send_Job.start();
        st.Store_Job.start();
        rig.send(Owner::SendStore, "AT+CMGS=23", true);
        rig.port.arrive(reply);
        ASSERT_EQ(rig.host.boxes.size(), 1u);
        EXPECT_EQ(rig.host.boxes[0].text, text);
        EXPECT_EQ(rig.host.boxes[0].icon, MsgIcon::Critical);
        EXPECT_FALSE(st.Csc_Query_Pending || st.Phonebook_Download || st.Sent_Confirm_Pending ||
                     st.Send_Job.active || st.Store_Job.active);
    }
    DispatchRig rig;
    rig.send(Owner::Probe, "AT+CGMM");
    rig.program->EndDialogues();
    rig.port.arrive("\r\nERROR\r\n");
    EXPECT_TRUE(rig.host.boxes.empty() && rig.answers.empty());
}

TEST(ReplyView, LeavesOutWhatThePhoneSendsOfItsOwnAccord) {
    const std::pair<const char*, const char*> rows[] = {
        // Between the echo and the reply: its quotes must not reach the service-centre scan.
        {"AT+CSCA?\r\r\n+CMTI: \"SM\",3\r\n\r\n+CSCA: \"+39123\",145\r\n\r\nOK\r\n",
         "AT+CSCA?\r\r\n+CSCA: \"+39123\",145\r\n\r\nOK\r\n"},
        // A message delivered on the spot brings its PDU line along; both go.
        {"AT+CMGR=2\r\r\n+CMT: ,23\r\n07911326040000F0\r\n\r\n+CMGR: 0,,5\r\n0011\r\n\r\nOK\r\n",
         "AT+CMGR=2\r\r\n+CMGR: 0,,5\r\n0011\r\n\r\nOK\r\n"},
        // A line on its way that may still be one is held back, and so is an empty line.
        {"\r\nOK\r\n\r\nRI", "\r\nOK\r\n"},
        {"\r\n> \r\n", "\r\n> "},
        // Replies stay whole, an unfinished one too.
        {"\r\n+CPBR: 1,\"+3912\",145,\"RINGO\"\r\n", "\r\n+CPBR: 1,\"+3912\",145,\"RINGO\"\r\n"},
        {"\r\nOK\r\n\r\n+CPB", "\r\nOK\r\n\r\n+CPB"},
        // Codes with no breaks between them (found by fuzzing).
        {"RING\n+", ""},
    };
    for (const auto& [buffer, view] : rows)
        EXPECT_EQ(ReplyView(buffer), view) << ::testing::PrintToString(std::string(buffer));
}

// The box shows the newest traffic, bounded; an answer longer than it shows, or emptied by the
// user on its way, still reaches its owner whole.
TEST(ReceiveBox, KeepsTheCaretAtTheEndAndStaysBounded) {
    DispatchRig rig;
    Control& box = rig.form1()["Text1"];
    rig.port.arrive("+CMTI: \"SM\",1\r\n");
    EXPECT_EQ(box.selStart(), box.text().size());
    rig.send(Owner::Probe, "AT+CPBR=1,700");
    const std::string line = std::string(99, 'x') + "\n";
    for (int i = 0; i < 700; ++i) {
        rig.port.arrive(line);
        if (i == 10) rig.form1()["Command2"].click();
    }
    EXPECT_LE(box.text().size(), kReceiveBoxLimit);
    EXPECT_EQ(box.text().substr(0, 100), line);  // cut at a line boundary
    rig.port.arrive("OK\r\n");
    ASSERT_EQ(rig.answers.size(), 1u);
    EXPECT_EQ(rig.answers[0].second.size(), 700 * line.size() + 4);
}

}  // namespace
}  // namespace bsms
