// The simulated phone's start, stop and command families, seen through its pseudo-terminal.
#include <gmock/gmock.h>

#include "phone_sim_client.h"

namespace phonesim_test {
namespace {

using ::testing::HasSubstr;

TEST(PhoneSimStart, ReplacesAStaleLinkAndRemovesItWhenStopped) {
    for (int sig : {SIGTERM, SIGINT}) {
        bsms::test::TempFolder dir;
        fs::path link = dir.path() / "port";
        fs::create_symlink("/dev/pts/nothing-here", link);
        PhoneSim sim({"--link", link.string()});  // the later --link wins
        EXPECT_THAT(sim.device(), HasSubstr("/dev/pts/"));
        EXPECT_EQ(fs::read_symlink(link).string(), sim.device());
        EXPECT_EQ(Line(link).Command("AT"), "AT\r\r\nOK\r\n");
        EXPECT_EQ(sim.Stop(sig), 0) << sig;
        EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << sig;
    }
}

TEST(PhoneSimStart, RefusesBadStartsAndExplainsItself) {
    bsms::test::TempFolder dir;
    dir.write("file", "keep me");
    auto [status, out] = RunTool({"--link", (dir.path() / "file").string()});
    EXPECT_EQ(status, 2);
    EXPECT_THAT(out, HasSubstr("not a symbolic link"));
    EXPECT_EQ(dir.read("file"), "keep me");
    EXPECT_EQ(RunTool({"--link", (dir.path() / "x").string(), "--profile", "nope"}).first, 2);
    EXPECT_EQ(RunTool({"--bogus"}).first, 2);

    auto [helpStatus, help] = RunTool({"--help"});
    EXPECT_EQ(helpStatus, 0);
    for (const char* word : {"--link", "--scenario", "--sent-log", "--set", "usb-modem"})
        EXPECT_THAT(help, HasSubstr(word));
}

TEST(PhoneSimCommands, EchoFollowsAteAndAtzAndOutlivesAReopen) {
    PhoneSim sim;
    {
        Line line(sim.link());
        EXPECT_EQ(line.Command("ATE1E0"), "ATE1E0\r\r\nOK\r\n");  // on by default, the last E wins
        EXPECT_EQ(line.Command("at+cgmm"), "\r\nBX-1 Simulated Phone\r\n\r\nOK\r\n");
        EXPECT_EQ(line.Command("ATZ"), "\r\nOK\r\n");
        // NUL bytes are dropped, an LF after the CR is no part of the next line.
        line.Send(std::string("A\0T\0\r\n", 6));
        EXPECT_EQ(line.Reply(), "AT\r\r\nOK\r\n");
        EXPECT_EQ(line.Command("ATE0"), "ATE0\r\r\nOK\r\n");
    }
    for (int i = 0; i < 2; ++i)  // a client that reopens the device finds the phone as it was
        EXPECT_EQ(Line(sim.link()).Command("AT+CGMM"), "\r\nBX-1 Simulated Phone\r\n\r\nOK\r\n");
}

// One phone through the families in turn: what is set early must show later.
TEST(PhoneSimCommands, IdentitySettingsAndErrors) {
    PhoneSim sim({"--model", "Nokia 6310i"});
    Line line(sim.link());
    ExpectAnswers(line, {{"AT+CGMM", {"Nokia 6310i"}},
                         // Several commands on one line answer in turn.
                         {"AT+CGSN;+CIMI", {"350000000000006\r\n\r\n222019876543210"}},
                         {"AT+CPIN?", {"+CPIN: READY"}},
                         {"AT+CFUN=1", {}},
                         {"AT+CMGF?", {"+CMGF: 0"}},
                         {"AT+CMGF=0", {}},
                         {"AT+CMGF=1", {}, "+CMS ERROR: 303"},
                         {"AT+CSCS=?", {"+CSCS: (\"GSM\",\"IRA\",\"8859-1\",\"UCS2\")"}},
                         {"AT+CSCS=\"IRA\"", {}},
                         {"AT+CSCS?", {"+CSCS: \"IRA\""}},
                         {"AT+CSMS=0", {"+CSMS: 1,1,1"}},
                         {"AT+CNMI=1,1,0,0,0", {}},
                         {"AT+CNMI?", {"+CNMI: 1,1,0,0,0"}},
                         {"AT+CSCA?", {"+CSCA: \"+391234500000\",145"}},
                         {"AT+CSCA=\"0612\"", {}},
                         {"AT+CSCA?", {"+CSCA: \"0612\",129"}},
                         {"AT+CSCA=\"+4412\",145", {}},
                         {"AT+CSCA?", {"+CSCA: \"+4412\",145"}},
                         // CME errors follow AT+CMEE; CMS errors do not (TS 27.005); what the phone
                         // does not know is a plain ERROR.
                         {"AT+CMEE?", {"+CMEE: 1"}},
                         {"AT+CPBR=0", {}, "+CME ERROR: 21"},
                         {"AT+CMGR=99", {}, "+CMS ERROR: 321"},
                         {"AT+CMEE=0", {}},
                         {"AT+CPBR=0", {}, "ERROR"},
                         {"AT+CMGR=99", {}, "+CMS ERROR: 321"},
                         {"AT+CMEE=2", {}},
                         {"AT+CPBR=0", {}, "+CME ERROR: invalid index"},
                         {"AT+CMGR=99", {}, "+CMS ERROR: 321"},
                         {"AT+XYZZY", {}, "ERROR"},
                         {"HELLO", {}, "ERROR"}});
}

// A command written wrong is a syntax error, answered ERROR; a well-formed one the phone cannot
// carry out gets its +CMS ERROR, whatever AT+CMEE says.
TEST(PhoneSimCommands, SyntaxErrorsAreErrorAndSmsFailuresKeepTheirCode) {
    const std::vector<Step> steps = {
        {"AT+CMGR", {}, "ERROR"},  // no location
        {"AT+CMGR=", {}, "ERROR"},
        {"AT+CMGR=1,0", {}, "ERROR"},  // one parameter too many
        {"AT+CMGR=x", {}, "ERROR"},    // not a number
        {"AT+CMGR=0", {}, "+CMS ERROR: 321"},
        {"AT+CMGD=1,2,3", {}, "ERROR"},
        {"AT+CMGS=23,1", {}, "ERROR"},
        {"AT+CMGS=0", {}, "+CMS ERROR: 304"},
        {"AT+CMGL?", {}, "ERROR"},
        {"AT+CPMS=\"XX\"", {}, "+CMS ERROR: 302"},
        {"AT+CMGF=1", {}, "+CMS ERROR: 303"},
        {"AT+CNMI=x", {}, "ERROR"},
    };
    for (const char* cmee : {"0", "1", "2"}) {
        PhoneSim sim({"--cmee", cmee});
        Line line(sim.link());
        ExpectAnswers(line, steps);
    }
}

TEST(PhoneSimPhonebook, ListsTheUsedLocationsOfBothBooks) {
    PhoneSim sim;
    Line line(sim.link());
    const std::string bruno = "+CPBR: 2,\"3471112233\",129,\"Bruno Rossi\"";
    const std::string nameless = "+CPBR: 4,\"+393337654321\",145,\"\"";
    ExpectAnswers(
        line,
        {{"AT+CPBS=?", {"+CPBS: (\"SM\",\"ME\")"}},
         {"AT+CPBS=SM", {}},
         {"AT+CPBS?", {"+CPBS: \"SM\",4,250"}},
         {"AT+CPBR=?", {"+CPBR: (1-250),40,18"}},
         {"AT+CPBR=1,200",
          {"+CPBR: 1,\"+393331234567\",145,\"Anna\"", bruno, nameless,
           "+CPBR: 5,\"0612345\",129,\"Ufficio\""}},
         {"AT+CPBR=2,4", {bruno, nameless}},
         {"AT+CPBS=FD", {}, "+CME ERROR: 4"},
         {"AT+CPBS=\"ME\"", {}},
         {"AT+CPBR=1,50",
          {"+CPBR: 1,\"+390298765432\",145,\"Casa\"", "+CPBR: 2,\"+447700900123\",145,\"Zo?\""}}});
    // Names come in the character set the client chose.
    line.Command("AT+CSCS=\"8859-1\"");
    EXPECT_THAT(line.Command("AT+CPBR=2"), HasSubstr("\"Zo\xEB\""));
    line.Command("AT+CSCS=\"UCS2\"");
    EXPECT_THAT(line.Command("AT+CPBR=2"), HasSubstr(",145,\"005A006F00EB\""));
}

}  // namespace
}  // namespace phonesim_test
