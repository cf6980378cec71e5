// The simulated phone through its pseudo-terminal, as a client meets it: its start and stop, a
// real phone's line discipline, what it answers and keeps, and what its settings make it do.
// (What the program relies on runs through it in every end-to-end test of the program.)

#include "phone_sim_client.h"

namespace phonesim_test {
namespace {

using ::testing::HasSubstr;
using ::testing::Pair;
using ::testing::StartsWith;

constexpr char kCtrlZ = 26;
constexpr char kEscape = 27;
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

// One phone with the default content, a contact and a message more, and a few faults and quirks
// from its settings, through what a client asks and sets; each row shows what the rows before it
// did.
TEST(PhoneSim, AnswersAsAPhoneAndAsItsSettingsSay) {
    PhoneSim sim({"--echo", "off", "--cmee", "2", "--set", "contact book=ME number=+3955", "--set",
                  "message store=ME pdu=" + kCiao, "--set", "fault error AT+CSQ", "--set",
                  "fault cms AT+CREG? 500 once", "--set", "fault cme AT+CBC 10", "--set",
                  "unsupported AT+COPS*", "--set", "cpin-ok no"});
    Line line(sim.link());
    ExpectAnswers(
        line,
        {{"AT+CGMI;+CGMR", Ok({"Brenvik\r\n\r\n1.0.0"})},  // several commands answer in turn
         {"AT+CSCA=\"0612\"", Ok()},
         {"AT+CSCA?", Ok({"+CSCA: \"0612\",129"})},  // no "+": a national number
         // Phonebooks: used locations only; names in the character set the client chose.
         {"AT+CPBR=2,4", Ok({"+CPBR: 2,\"3471112233\",129,\"Bruno Rossi\"",
                             "+CPBR: 4,\"+393337654321\",145,\"\""})},
         {"AT+CPBR=3", Fail("+CME ERROR: not found")},  // one empty location
         {"AT+CPBS=\"ME\"", Ok()},
         {"AT+CPBR=5", Ok({"+CPBR: 5,\"+3955\",145,\"\""})},  // the next free, by its "+"
         {"AT+CSCS=\"ucs2\"", Ok()},
         {"AT+CPBR=2", Ok({"+CPBR: 2,\"+447700900123\",145,\"005A006F00EB\""})},
         // CME errors follow AT+CMEE, CMS errors do not, and a command written wrong or unknown
         // is a plain ERROR.
         {"AT+CPBR=0", Fail("+CME ERROR: invalid index")},
         {"AT+CMEE=0", Ok()},
         {"AT+CPBR=0", Fail("ERROR")},
         {"AT+CMGR=0", Fail("+CMS ERROR: 321")},
         {"AT+CMGF=1", Fail("+CMS ERROR: 303")},  // PDU mode only
         {"AT+CMGR=1,0", Fail("ERROR")},          // one parameter too many
         {"AT+XYZZY", Fail("ERROR")},
         // Faults and quirks from its settings.
         {"AT+CBC", Fail("+CME ERROR: 10")},  // as given, whatever AT+CMEE says
         {"AT+CSQ", Fail("ERROR")},
         {"AT+CREG?", Fail("+CMS ERROR: 500")},  // once, then spent
         {"AT+CREG?", Ok({"+CREG: 0,1"})},
         {"AT+COPS?", Fail("ERROR")},  // what the phone is told it lacks
         {"AT+CPIN?\rAT+CGMI", Ok({"+CPIN: READY\r\n\r\nBrenvik"})},  // no OK after READY
         // A line too long to hold runs none of it: cut at the limit, this would delete message 1.
         {"AT+CMGD=1" + std::string(1100, ' ') + ",4", Fail("ERROR")},
         {"AT" + std::string(1000, ' '), Ok()},  // the next line is one of its own again
         // Messages: an unread one is read once read; one stored goes to the next free location.
         {"AT+CMGR=3", StartsWith("\r\n+CMGR: 0,,")},
         {"AT+CMGR=3", StartsWith("\r\n+CMGR: 1,,")},
         {"AT+CMGS=23", "\r\n> "},
         {kHello + kCtrlZ, Ok({"+CMGS: 0"})},
         {"AT+CMGW=23,3", "\r\n> "},
         {kHello + kCtrlZ, Ok({"+CMGW: 7"})},
         {"AT+CMGR=7", Ok({"+CMGR: 3,,23", kHello})},  // stored as sent
         // MT as the program writes it, unquoted: the SIM's locations, then the phone's.
         {"AT+CPMS=MT,MT,MT", Ok({"+CPMS: 8,130,8,130,8,130"})},
         {"AT+CMGR=31", Ok({"+CMGR: 0,,23", kCiao})},  // the phone's first
         {"AT+CMGD=0,4", Ok()},                        // flag 4: every message, read or not
         {"AT+CPMS?", Ok({"+CPMS: \"MT\",0,130,\"MT\",0,130,\"MT\",0,130"})}});

    // A PDU that is not a complete SMS-SUBMIT of the length given is refused, and the phone is
    // back in command mode for the next.
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

TEST(PhoneSim, EchoesEachCharacterAsItArrivesUntilTurnedOff) {
    PhoneSim sim({"--echo", "on"});
    {
        Line line(sim.link());
        // A terminal shows what is typed before the line ends.
        line.Send("AT+CG");
        EXPECT_EQ(line.ReadUntil([](const std::string& s) { return s.size() >= 5; }), "AT+CG");
        line.Send("MX\bM\r");  // a backspace is echoed as it comes and edits the line
        EXPECT_EQ(line.Reply(), "MX\bM\r\r\nBX-1 Simulated Phone\r\n\r\nOK\r\n");
        // NUL bytes are dropped; an LF after the CR is no part of the next line.
        line.Send(std::string("A\0T\0\r\n", 6));
        EXPECT_EQ(line.Reply(), "AT\r\r\nOK\r\n");
        // A PDU is echoed too, until Escape cancels it.
        EXPECT_EQ(line.Command("AT+CMGS=23"), "AT+CMGS=23\r\r\n> ");
        line.Send(kHello.substr(0, 10) + kEscape);
        EXPECT_EQ(line.Reply(), kHello.substr(0, 10) + "\r\nOK\r\n");
        EXPECT_EQ(line.Command("ATE1E0"), "ATE1E0\r\r\nOK\r\n");  // the last E wins
        EXPECT_EQ(line.Command("ATZ"), "\r\nOK\r\n");
        EXPECT_EQ(line.Command("ATE0"), "ATE0\r\r\nOK\r\n");  // the reset turned it on again
    }
    // A client that reopens the device finds the phone as it left it.
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(Line(sim.link()).Command("AT"), "\r\nOK\r\n");
}

// A locked SIM, as the pin-locked and huawei profiles the program runs on have it: it refuses
// what needs it, counts the tries of its PIN and then of its PUK, and is busy for a counted number
// of commands after an unlock; the network is still there meanwhile.
TEST(PhoneSim, SimAsksForItsCodesCountingTries) {
    const std::string wrongPuk = "AT+CPIN=\"87654321\",\"1111\"";
    const std::vector<std::pair<std::vector<std::string>, std::vector<Step>>> phones{
        {{"--profile", "pin-locked", "--set", "sim-busy 2"},
         {{"AT+CPIN?", Ok({"+CPIN: SIM PIN"})},
          {"AT+CPBR=1", Fail("+CME ERROR: 11")},
          {"AT+CSCA?", Fail("+CMS ERROR: 311")},
          {"AT+CREG?", Ok({"+CREG: 0,1"})},
          {"AT+CPIN=\"4321\"", Fail("+CME ERROR: 16")},
          {"AT+CPINR=\"SIM PIN\"", Ok({"+CPINR: SIM PIN,2,3"})},
          {"AT+CPIN=\"1234\"", Ok()},
          {"AT+CSCA?", Fail("+CMS ERROR: 314")},
          {"AT+CPBS?", Fail("+CME ERROR: 14")},
          {"AT+CPBS?", Ok({"+CPBS: \"SM\",4,250"})},
          {"AT+CPINR", Ok({"+CPINR: SIM PIN,3,3", "+CPINR: SIM PUK,10,10"})},
          {"AT+CPIN=\"0000\"", Ok()}}},  // taken when nothing is asked for
        {{"--set", "pin-state pin", "--set", "pin 2468", "--profile", "huawei"},
         {{"AT+CPINR", Fail("ERROR")},
          {"AT+CPIN=\"1234\"", Fail("+CME ERROR: 16")},
          {"AT+CPIN=\"1234\"", Fail("+CME ERROR: 16")},
          {"AT^CPIN?", Ok({"^CPIN: SIM PIN,1,10,1,10,3"})},
          {"AT+CPIN=\"1234\"", Fail("+CME ERROR: 16")},
          {"AT+CPIN?", Ok({"+CPIN: SIM PUK"})},
          {"AT+CMGL=4", Fail("+CMS ERROR: 312")},
          {"AT+CPIN=\"2468\"", Fail("+CME ERROR: 12")},
          {wrongPuk, Fail("+CME ERROR: 16")},
          {"AT^CPIN?", Ok({"^CPIN: SIM PUK,9,9,0,10,3"})},
          {"AT+CPIN=\"12345678\",\"1111\"", Ok()},
          {"AT^CPIN?", Ok({"^CPIN: READY,,10,3,10,3"})},
          {"AT+CMGD=9", Ok()}}},
    };
    for (const auto& [args, steps] : phones) {
        PhoneSim sim(args);
        Line line(sim.link());
        line.Command("ATE0");
        ExpectAnswers(line, steps);
    }
}

// Decoys beside the phone, as a port search meets them: one never answers, one answers noise
// and never a result code; each on its own device, gone with the phone.
TEST(PhoneSim, DecoysNeverAnswerAsAPhone) {
    bsms::test::TempFolder dir;
    const fs::path silent = dir.path() / "diag", noisy = dir.path() / "noisy";
    PhoneSim sim({"--decoy", silent.string(), "--noisy-decoy", noisy.string()});
    EXPECT_NE(fs::read_symlink(silent), fs::read_symlink(noisy));
    EXPECT_NE(fs::read_symlink(silent).string(), sim.device());

    Line phone(sim.link());  // a decoy is heard while the phone is in use and idle too
    EXPECT_EQ(phone.Command("ATE0"), "ATE0\r\r\nOK\r\n");
    Line noise(noisy);
    noise.Send("AT\r");
    const std::string got = noise.ReadUntil([](const std::string& s) { return s.size() >= 5; });
    EXPECT_EQ(got.size(), 5u);
    EXPECT_TRUE(std::all_of(got.begin(), got.end(), [](char c) { return c & 0x80; })) << got;

    const int fd = open(silent.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(write(fd, "AT\r", 3), 3);
    EXPECT_EQ(phone.Command("AT"), Ok());  // by now it would have answered
    char c;
    EXPECT_EQ(read(fd, &c, 1), -1);
    close(fd);
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(silent)) || fs::exists(fs::symlink_status(noisy)));
}

}  // namespace
}  // namespace phonesim_test
