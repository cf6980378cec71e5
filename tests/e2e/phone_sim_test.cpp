// The simulated phone through its pseudo-terminal: its start and stop, what its options and
// settings make it do, and what the program's tests rely on without checking it themselves. (What
// the program asks of a phone runs through it in the program's end-to-end tests, on every profile.)

#include "phone_sim_client.h"

namespace phonesim_test {
namespace {

using ::testing::HasSubstr;
using ::testing::Pair;

constexpr char kCtrlZ = 26;
// "Ciao" from +393331234567: the textbook example, and the default content's first message.
const std::string kCiao = "0791932143050000040C9193331332547600005021500151034004C374F80D";
// To +391234567890, "hellohello": 23 octets after the service-centre field.
const std::string kHello = "079193214365870911F30C919321436587090000FF0AE8329BFD4697D9EC37";

// It starts on a link of its own, replacing a stale one and leaving any other file alone, and
// refuses what it cannot serve saying why; stopped, it removes its link.
TEST(PhoneSim, StartsOnlyWhereItCanAndRemovesItsLinkWhenStopped) {
    bsms::test::TempFolder dir;
    dir.write("file", "keep me");
    dir.write("bad.txt", "echo on\n\nbogus 1\n");
    const std::string at = dir.path().string() + "/";
    const std::pair<std::string, std::string> starts[] = {
        {"--link " + at + "file", "file exists and is not a symbolic link"},
        {"--set \"cmee 7\"", "cmee 7: \"7\" is not a number from 0 to 2"},
        {"--check --scenario " + at + "bad.txt", "bad.txt:3: unknown keyword"},  // by its line
        {"--set \"pin 12a4\"", "\"12a4\" is not 4 to 8 digits"},
        {"--set \"registration away\"", "is not home, roaming, searching, denied or none"},
        {"--link " + at + "p --decoy " + at + "q --noisy-decoy " + at + "p", "p is given twice"},
    };
    for (const auto& [args, why] : starts)
        EXPECT_THAT(RunTool(args), Pair(2, HasSubstr(why))) << args;
    EXPECT_EQ(dir.read("file"), "keep me");

    for (int sig : {SIGTERM, SIGINT}) {
        const fs::path link = dir.path() / "port";
        fs::create_symlink("/dev/pts/nothing-here", link);
        PhoneSim sim({"--link", link.string()});
        EXPECT_EQ(fs::read_symlink(link).string(), sim.device());
        EXPECT_EQ(Line(link).Command("AT"), "AT\r\r\nOK\r\n");
        EXPECT_EQ(sim.Stop(sig), 0) << sig;
        EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << sig;
    }
}

// One phone started with options and settings: echo off, errors in words, a contact and a message
// more, a few faults and quirks; each row shows what the rows before it did.
TEST(PhoneSim, AnswersAsItsOptionsAndSettingsSay) {
    PhoneSim sim({"--echo", "off", "--cmee", "2", "--set", "contact book=ME number=+3955", "--set",
                  "message store=ME pdu=" + kCiao, "--set", "fault error AT+CSQ", "--set",
                  "fault cms AT+CREG? 500 once", "--set", "fault cme AT+CBC 10", "--set",
                  "unsupported AT+COPS*", "--set", "cpin-ok no"});
    Line line(sim.link());
    ExpectAnswers(line,
                  {{"AT+CPBS=\"ME\"", Ok()},
                   {"AT+CPBR=5", Ok({"+CPBR: 5,\"+3955\",145,\"\""})},  // the next free, by its "+"
                   {"AT+CPBR=0", Fail("+CME ERROR: invalid index")},  // in words, as --cmee 2 asks
                   {"AT+CMGR=0", Fail("+CMS ERROR: 321")},            // CMS errors stay numbers
                   {"AT+CBC", Fail("+CME ERROR: 10")},  // as given, whatever AT+CMEE says
                   {"AT+CSQ", Fail("ERROR")},
                   {"AT+CREG?", Fail("+CMS ERROR: 500")},  // once, then spent
                   {"AT+CREG?", Ok({"+CREG: 0,1"})},
                   {"AT+COPS?", Fail("ERROR")},  // what the phone is told it lacks
                   {"AT+CPIN?\rAT+CGMI", Ok({"+CPIN: READY\r\n\r\nBrenvik"})},  // no OK after READY
                   // MT as the program writes it, unquoted: the SIM's locations, then the phone's.
                   {"AT+CPMS=MT,MT,MT", Ok({"+CPMS: 7,130,7,130,7,130"})},
                   {"AT+CMGR=31", Ok({"+CMGR: 0,,23", kCiao})},
                   {"AT+CMGS=23", "\r\n> "},
                   {kHello + kCtrlZ, Ok({"+CMGS: 0"})}});

    // A PDU that is not a complete SMS-SUBMIT of the length given is refused (the program's builder
    // tests rely on that check), and the phone is back in command mode for the next.
    const std::pair<int, std::string> malformed[] = {
        {22, kHello},                                           // length one short
        {23, kHello.substr(0, 60) + "XY"},                      // not hexadecimal
        {23, kHello + "7"},                                     // an odd number of digits
        {23, kHello.substr(0, 16) + "04" + kHello.substr(18)},  // an SMS-DELIVER
        {22, kHello.substr(0, kHello.size() - 2)},              // user data cut short
        {24, kHello + "00"},                                    // user data longer than told
        {23, kHello.substr(0, 16) + "51" + kHello.substr(18)},  // a header flag, no room for it
        {1, ""},
    };
    for (const auto& [length, pdu] : malformed) {
        EXPECT_EQ(line.Command("AT+CMGS=" + std::to_string(length)), "\r\n> ");
        EXPECT_EQ(line.Command(pdu + kCtrlZ), Fail("+CMS ERROR: 304")) << pdu;
    }
    EXPECT_EQ(sim.sent(), "23 " + kHello + "\n");  // no stored or refused one
}

// A locked SIM, as the pin-locked and huawei profiles the program runs on have it: it refuses
// what needs it, counts the tries of its PIN (the PUK's, the program's own tests count), and is
// busy for a counted number of commands after an unlock.
TEST(PhoneSim, SimAsksForItsCodesCountingTries) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<Step>>> phones{
        {{"--profile", "pin-locked", "--set", "sim-busy 2"},
         {{"AT+CPIN?", Ok({"+CPIN: SIM PIN"})},
          {"AT+CPBR=1", Fail("+CME ERROR: 11")},
          {"AT+CPBW=1", Fail("+CME ERROR: 11")},
          {"AT+CSCA?", Fail("+CMS ERROR: 311")},
          {"AT+CPIN=\"1234\"", Ok()},
          {"AT+CSCA?", Fail("+CMS ERROR: 314")},
          {"AT+CPBS?", Fail("+CME ERROR: 14")},
          {"AT+CPBS?", Ok({"+CPBS: \"SM\",4,250"})}}},
        // Huawei's tries, in its own form; its PUK goes as pin-locked's does.
        {{"--set", "pin-state pin", "--set", "pin 2468", "--profile", "huawei"},
         {{"AT+CPINR", Fail("ERROR")},
          {"AT+CPIN=\"1234\"", Fail("+CME ERROR: 16")},
          {"AT^CPIN?", Ok({"^CPIN: SIM PIN,2,10,2,10,3"})},
          {"AT+CPIN=\"2468\"", Ok()},
          {"AT^CPIN?", Ok({"^CPIN: READY,,10,3,10,3"})}}},
    };
    for (const auto& [args, steps] : phones) {
        PhoneSim sim(args);
        Line line(sim.link());
        line.Command("ATE0");
        ExpectAnswers(line, steps);
    }
}

// The phonebooks written with AT+CPBW, on a SIM of six locations (1, 2, 4 and 5 taken) and short
// names: at a location, at the first free one, deleted, a name in UCS2, and each refusal.
TEST(PhoneSim, WritesItsPhonebooks) {
    PhoneSim sim({"--echo", "off", "--profile", "short-names", "--set", "phonebook-size SM 6",
                  "--set", "phonebook-name-length ME 5"});
    Line line(sim.link());
    ExpectAnswers(line,
                  {{"AT+CPBW=?", Ok({"+CPBW: (1-6),40,(129,145),14"})},
                   {"AT+CPBR=?", Ok({"+CPBR: (1-6),40,14"})},
                   {"AT+CPBW=,\"0612\",,\"ABCDEFGHIJKLMN\"", Ok()},
                   {"AT+CPBW=6,\"+39333\",145,\"Anna Maria\"", Ok()},
                   {"AT+CPBW=,\"1\"", Fail("+CME ERROR: 20")},
                   {"AT+CPBW=5", Ok()},
                   {"AT+CPBR=3,6", Ok({"+CPBR: 3,\"0612\",129,\"ABCDEFGHIJKLMN\"",
                                       "+CPBR: 4,\"+393337654321\",145,\"\"",
                                       "+CPBR: 6,\"+39333\",145,\"Anna Maria\""})},
                   {"AT+CPBW=1,\"1\",129,\"ABCDEFGHIJKLMNO\"", Fail("+CME ERROR: 24")},
                   {"AT+CPBW=1,\"" + std::string(41, '1') + "\"", Fail("+CME ERROR: 26")},
                   {"AT+CPBW=7,\"1\"", Fail("+CME ERROR: 21")},
                   {"AT+CPBW=0", Fail("+CME ERROR: 21")},
                   {"AT+CPBW=a", Fail("ERROR")},
                   {"AT+CSCS=\"UCS2\"", Ok()},
                   {"AT+CPBW=1,\"1\",129,\"04\"", Fail("+CME ERROR: 25")},
                   {"AT+CPBW=5,\"+7495\",145,\"005A006F00EB0020005A\"", Ok()},  // five characters
                   {"AT+CSCS=\"8859-1\";+CPBR=5", Ok({"+CPBR: 5,\"+7495\",145,\"Zo\xEB Z\""})},
                   {"AT+CPBS=\"ME\";+CPBW=?", Ok({"+CPBW: (1-100),40,(129,145),5"})}});
}

}  // namespace
}  // namespace phonesim_test
