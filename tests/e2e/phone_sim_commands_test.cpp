// The simulated phone's start, stop and command families, seen through its pseudo-terminal.
#include <gmock/gmock.h>

#include "phone_sim_client.h"

namespace phonesim_test {
namespace {

using ::testing::HasSubstr;

TEST(PhoneSimStart, LinkPointsAtThePrintedDeviceUntilTerminated) {
    PhoneSim sim;
    ASSERT_TRUE(fs::is_symlink(sim.link()));
    EXPECT_EQ(fs::read_symlink(sim.link()).string(), sim.device());
    EXPECT_THAT(sim.device(), HasSubstr("/dev/pts/"));
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(sim.link())));
}

TEST(PhoneSimStart, ReplacesAStaleLinkAndStopsOnInterrupt) {
    bsms::test::TempFolder dir;
    fs::path link = dir.path() / "port";
    fs::create_symlink("/dev/pts/nothing-here", link);
    PhoneSim sim({"--link", link.string()});  // the later --link wins
    EXPECT_EQ(fs::read_symlink(link).string(), sim.device());
    Line line(link);
    EXPECT_EQ(line.Command("AT"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(sim.Stop(SIGINT), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
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
    for (const char* word : {"--link", "--scenario", "--sent-log", "--profile", "--chunk", "--baud",
                             "--set", "empty-error", "cpin-no-ok", "usb-modem", "prompt-pause"})
        EXPECT_THAT(help, HasSubstr(word));
}

TEST(PhoneSimCommands, EchoIsOnByDefaultAndFollowsAteAndAtz) {
    PhoneSim sim;
    Line line(sim.link());
    EXPECT_EQ(line.Command("AT"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(line.Command("ATE0"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT"), "\r\nOK\r\n");
    EXPECT_EQ(line.Command("at+cgmm"), "\r\nBX-1 Simulated Phone\r\n\r\nOK\r\n");
    EXPECT_EQ(line.Command("ATZ"), "\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT"), "AT\r\r\nOK\r\n");
    // NUL bytes are dropped, an LF after the CR is no part of the next line.
    line.Send(std::string("A\0T\0\r\n", 6));
    EXPECT_EQ(line.Reply(), "AT\r\r\nOK\r\n");
    EXPECT_EQ(line.Command("ATE0E1"), "ATE0E1\r\r\nOK\r\n");

    PhoneSim quiet({"--echo", "off"});
    Line q(quiet.link());
    EXPECT_EQ(q.Command("AT+CGMI"), "\r\nBrenvik\r\n\r\nOK\r\n");
}

TEST(PhoneSimCommands, IdentityStatusAndSettings) {
    PhoneSim sim({"--model", "Nokia 6310i"});
    Line line(sim.link());
    EXPECT_EQ(line.Command("AT+CGMI"), Answer("AT+CGMI", {"Brenvik"}));
    EXPECT_EQ(line.Command("AT+CGMM"), Answer("AT+CGMM", {"Nokia 6310i"}));
    EXPECT_EQ(line.Command("AT+CGMR"), Answer("AT+CGMR", {"1.0.0"}));
    EXPECT_EQ(line.Command("AT+CGSN"), Answer("AT+CGSN", {"350000000000006"}));
    EXPECT_EQ(line.Command("AT+CIMI"), Answer("AT+CIMI", {"222019876543210"}));
    EXPECT_EQ(line.Command("AT+CPIN?"), Answer("AT+CPIN?", {"+CPIN: READY"}));
    EXPECT_EQ(line.Command("AT+CSQ"), Answer("AT+CSQ", {"+CSQ: 20,99"}));
    EXPECT_EQ(line.Command("AT+CFUN=1"), Answer("AT+CFUN=1", {}));
    EXPECT_EQ(line.Command("AT+CMGF?"), Answer("AT+CMGF?", {"+CMGF: 0"}));
    EXPECT_EQ(line.Command("AT+CMGF=0"), Answer("AT+CMGF=0", {}));
    EXPECT_EQ(line.Command("AT+CMGF=1"), Answer("AT+CMGF=1", {}, "+CMS ERROR: 303"));
    EXPECT_EQ(line.Command("AT+CSCS=?"),
              Answer("AT+CSCS=?", {"+CSCS: (\"GSM\",\"IRA\",\"8859-1\",\"UCS2\")"}));
    EXPECT_EQ(line.Command("AT+CSCS=\"IRA\""), Answer("AT+CSCS=\"IRA\"", {}));
    EXPECT_EQ(line.Command("AT+CSCS?"), Answer("AT+CSCS?", {"+CSCS: \"IRA\""}));
    EXPECT_EQ(line.Command("AT+CSMS=0"), Answer("AT+CSMS=0", {"+CSMS: 1,1,1"}));
    EXPECT_EQ(line.Command("AT+CNMI=1,1,0,0,0"), Answer("AT+CNMI=1,1,0,0,0", {}));
    EXPECT_EQ(line.Command("AT+CNMI?"), Answer("AT+CNMI?", {"+CNMI: 1,1,0,0,0"}));
    // Several commands on one line answer in turn.
    EXPECT_EQ(line.Command("AT+CGMI;+CSQ"), Answer("AT+CGMI;+CSQ", {"Brenvik\r\n\r\n+CSQ: 20,99"}));
    // What the phone does not know is a plain ERROR, whatever AT+CMEE says.
    EXPECT_EQ(line.Command("AT+CMEE=2"), Answer("AT+CMEE=2", {}));
    EXPECT_EQ(line.Command("AT+XYZZY"), Answer("AT+XYZZY", {}, "ERROR"));
    EXPECT_EQ(line.Command("HELLO"), Answer("HELLO", {}, "ERROR"));
}

TEST(PhoneSimCommands, ErrorResultsFollowCmee) {
    PhoneSim sim;
    Line line(sim.link());
    line.Command("ATE0");
    EXPECT_EQ(line.Command("AT+CMEE?"), "\r\n+CMEE: 1\r\n\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT+CPBR=0"), "\r\n+CME ERROR: 21\r\n");
    EXPECT_EQ(line.Command("AT+CMGR=99"), "\r\n+CMS ERROR: 321\r\n");
    line.Command("AT+CMEE=0");
    EXPECT_EQ(line.Command("AT+CPBR=0"), "\r\nERROR\r\n");
    EXPECT_EQ(line.Command("AT+CMGR=99"), "\r\nERROR\r\n");
    line.Command("AT+CMEE=2");
    EXPECT_EQ(line.Command("AT+CPBR=0"), "\r\n+CME ERROR: invalid index\r\n");
    EXPECT_EQ(line.Command("AT+CMGR=99"), "\r\n+CMS ERROR: 321\r\n");
}

TEST(PhoneSimCommands, ServiceCentreIsReadAndSet) {
    PhoneSim sim;
    Line line(sim.link());
    EXPECT_EQ(line.Command("AT+CSCA?"), Answer("AT+CSCA?", {"+CSCA: \"+391234500000\",145"}));
    EXPECT_EQ(line.Command("AT+CSCA=\"0612\""), Answer("AT+CSCA=\"0612\"", {}));
    EXPECT_EQ(line.Command("AT+CSCA?"), Answer("AT+CSCA?", {"+CSCA: \"0612\",129"}));
    EXPECT_EQ(line.Command("AT+CSCA=\"+4412\",145"), Answer("AT+CSCA=\"+4412\",145", {}));
    EXPECT_EQ(line.Command("AT+CSCA?"), Answer("AT+CSCA?", {"+CSCA: \"+4412\",145"}));
}

TEST(PhoneSimPhonebook, ListsTheUsedLocationsOfBothBooks) {
    PhoneSim sim;
    Line line(sim.link());
    EXPECT_EQ(line.Command("AT+CPBS=?"), Answer("AT+CPBS=?", {"+CPBS: (\"SM\",\"ME\")"}));
    EXPECT_EQ(line.Command("AT+CPBS=SM"), Answer("AT+CPBS=SM", {}));
    EXPECT_EQ(line.Command("AT+CPBS?"), Answer("AT+CPBS?", {"+CPBS: \"SM\",4,250"}));
    EXPECT_EQ(line.Command("AT+CPBR=?"), Answer("AT+CPBR=?", {"+CPBR: (1-250),40,18"}));
    EXPECT_EQ(line.Command("AT+CPBR=1,200"),
              Answer("AT+CPBR=1,200", {"+CPBR: 1,\"+393331234567\",145,\"Anna\"",
                                       "+CPBR: 2,\"3471112233\",129,\"Bruno Rossi\"",
                                       "+CPBR: 4,\"+393337654321\",145,\"\"",
                                       "+CPBR: 5,\"0612345\",129,\"Ufficio\""}));
    EXPECT_EQ(line.Command("AT+CPBR=2,4"),
              Answer("AT+CPBR=2,4", {"+CPBR: 2,\"3471112233\",129,\"Bruno Rossi\"",
                                     "+CPBR: 4,\"+393337654321\",145,\"\""}));
    EXPECT_EQ(line.Command("AT+CPBR=0,5"), Answer("AT+CPBR=0,5", {}, "+CME ERROR: 21"));

    EXPECT_EQ(line.Command("AT+CPBS=\"ME\""), Answer("AT+CPBS=\"ME\"", {}));
    EXPECT_EQ(line.Command("AT+CPBR=1,50"),
              Answer("AT+CPBR=1,50", {"+CPBR: 1,\"+390298765432\",145,\"Casa\"",
                                      "+CPBR: 2,\"+447700900123\",145,\"Zo?\""}));
    // Names come in the character set the client chose.
    line.Command("AT+CSCS=\"8859-1\"");
    EXPECT_THAT(line.Command("AT+CPBR=2"), HasSubstr("\"Zo\xEB\""));
    line.Command("AT+CSCS=\"UCS2\"");
    EXPECT_THAT(line.Command("AT+CPBR=2"), HasSubstr(",145,\"005A006F00EB\""));
    EXPECT_EQ(line.Command("AT+CPBS=FD"), Answer("AT+CPBS=FD", {}, "+CME ERROR: 4"));
}

TEST(PhoneSimPhonebook, ScenarioSetsEntriesAndSizes) {
    PhoneSim sim({}, R"sc(# two books of our own
phonebook-size SM 10
contact book=SM index=3 number=+391111 name="Rossi, Mario (ufficio)"
contact book=ME number=5551234
)sc");
    Line line(sim.link());
    line.Command("ATE0");
    EXPECT_EQ(line.Command("AT+CPBR=?"), "\r\n+CPBR: (1-10),40,18\r\n\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT+CPBR=1,200"),
              "\r\n+CPBR: 3,\"+391111\",145,\"Rossi, Mario (ufficio)\"\r\n\r\nOK\r\n");
    line.Command("AT+CPBS=ME");
    EXPECT_EQ(line.Command("AT+CPBR=1,50"), "\r\n+CPBR: 1,\"5551234\",129,\"\"\r\n\r\nOK\r\n");
}

}  // namespace
}  // namespace phonesim_test
