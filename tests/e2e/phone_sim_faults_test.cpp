// Faults, unsolicited codes, profiles and scenario files on the simulated phone.
#include <gmock/gmock.h>

#include "phone_sim_client.h"

namespace phonesim_test {
namespace {

using ::testing::HasSubstr;

// Paced answers are the unpaced ones, byte for byte.
TEST(PhoneSimFaults, PiecesAndLineSpeedKeepEveryByteInOrder) {
    PhoneSim plain;
    const std::string listing = Line(plain.link()).Command("AT+CPBR=1,250");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--chunk", "3", "--chunk-pause", "5"},
                                               {"--baud", "9600"},
                                               {"--chunk", "7", "--baud", "19200"}}) {
        PhoneSim sim(args);
        Line line(sim.link());
        EXPECT_EQ(line.Command("AT+CPBR=1,250"), listing) << args[0];
        EXPECT_EQ(line.Command("AT+CGMM"), Answer("AT+CGMM", {"BX-1 Simulated Phone"})) << args[0];
    }
}

TEST(PhoneSimFaults, SilenceAndErrorsOnDemand) {
    PhoneSim sim({}, R"(default-content
fault error AT+CSCA?
fault cms AT+CMGS=* 500 once
fault cme at+cpbs=me 10
fault silent AT+CGMM
)");
    Line line(sim.link());
    line.Send("AT+CGMM\r");
    // Whatever the silent command had said would come before this answer; it was only echoed.
    EXPECT_EQ(line.Command("AT"), "AT+CGMM\rAT\r\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT+CSCA?"), Answer("AT+CSCA?", {}, "ERROR"));
    EXPECT_EQ(line.Command("AT+CSCA?"), Answer("AT+CSCA?", {}, "ERROR"));
    EXPECT_EQ(line.Command("AT+CMGS=23"), Answer("AT+CMGS=23", {}, "+CMS ERROR: 500"));
    EXPECT_EQ(line.Command("AT+CMGS=23"), "AT+CMGS=23\r\r\n> ") << "a fault for once is spent";
    line.Send("\x1b");
    EXPECT_EQ(line.Reply(), "\r\nOK\r\n");
    // Given verbatim, whatever AT+CMEE says.
    line.Command("AT+CMEE=0");
    EXPECT_EQ(line.Command("AT+CPBS=ME"), Answer("AT+CPBS=ME", {}, "+CME ERROR: 10"));
    EXPECT_EQ(line.Command("AT+CPBS=SM"), Answer("AT+CPBS=SM", {}));
}

TEST(PhoneSimFaults, DeviceVanishesAfterTheAnswer) {
    PhoneSim sim({"--set", "fault vanish AT+CGMM"});
    Line line(sim.link());
    EXPECT_EQ(line.Command("AT+CGMM"), Answer("AT+CGMM", {"BX-1 Simulated Phone"}));
    EXPECT_TRUE(line.WaitGone());
    EXPECT_EQ(sim.Stop(0), 0);  // it has gone by itself
    EXPECT_FALSE(fs::exists(fs::symlink_status(sim.link())));
}

TEST(PhoneSimFaults, UnsolicitedCodesAndArrivalsFollowTheirCommand) {
    PhoneSim sim({}, R"(default-content
urc AT+CSQ RING
urc AT+CMGS=* "+CDSI: \"SM\",3"
arrival after=AT+CGMI from=+393330000001 text="Dopo il comando"
arrival from=+393330000002 text="Su richiesta"
arrival after=AT+CGMR from=+393330000003 text="Non annunciato"
)");
    Line line(sim.link());
    line.Send("AT+CSQ\r");
    EXPECT_EQ(line.ReadUntil("RING\r\n"), Answer("AT+CSQ", {"+CSQ: 20,99"}) + "\r\nRING\r\n");
    // After a send the code waits for the final OK, not the prompt.
    EXPECT_EQ(line.Command("AT+CMGS=23"), "AT+CMGS=23\r\r\n> ");
    line.Send("079193214365870911F30C919321436587090000FF0AE8329BFD4697D9EC37\x1a");
    EXPECT_THAT(line.ReadUntil("\r\n+CDSI: \"SM\",3\r\n"),
                HasSubstr("\r\n+CMGS: 0\r\n\r\nOK\r\n\r\n+CDSI"));

    line.Send("AT+CGMI\r");
    EXPECT_EQ(line.ReadUntil("\r\n+CMTI: \"SM\",7\r\n"),
              Answer("AT+CGMI", {"Brenvik"}) + "\r\n+CMTI: \"SM\",7\r\n");
    EXPECT_THAT(line.Command("AT+CMGR=7"), HasSubstr("\r\n+CMGR: 0,,"));
    kill(sim.pid(), SIGUSR1);
    EXPECT_EQ(line.ReadUntil("\r\n"), "\r\n+CMTI: \"SM\",8\r\n");
    EXPECT_THAT(line.Command("AT+CMGR=8"), HasSubstr("0C919333030000200000"));
    // With new-message indications off the message is stored quietly.
    line.Command("AT+CNMI=2,0");
    EXPECT_EQ(line.Command("AT+CGMR"), Answer("AT+CGMR", {"1.0.0"}));
    EXPECT_THAT(line.Command("AT+CMGR=9"), HasSubstr("\r\n+CMGR: 0,,"));
}

TEST(PhoneSimProfiles, QuirksOfRealDevices) {
    PhoneSim cpin({"--profile", "cpin-no-ok"});
    Line a(cpin.link());
    a.Send("AT+CPIN?\r");
    EXPECT_EQ(a.ReadUntil("READY\r\n"), "AT+CPIN?\r\r\n+CPIN: READY\r\n");
    EXPECT_EQ(a.Command("AT"), "AT\r\r\nOK\r\n") << "no OK was still to come";

    PhoneSim modem({"--profile", "usb-modem"});
    EXPECT_EQ(Line(modem.link()).Command("AT^FOO"), "AT^FOO\r\r\nCOMMAND NOT SUPPORT\r\n");

    PhoneSim limited({"--set", "unsupported AT+CPBS*"});
    EXPECT_EQ(Line(limited.link()).Command("AT+CPBS=ME"), Answer("AT+CPBS=ME", {}, "ERROR"));
}

TEST(PhoneSimProfiles, PromptPauseLosesAHastyPdu) {
    const std::string pdu = "079193214365870911F30C919321436587090000FF0AE8329BFD4697D9EC37";
    PhoneSim sim({"--profile", "prompt-pause", "--echo", "off"});
    Line line(sim.link());
    // Command and PDU in one write: the text arrives before the phone is ready for it.
    line.Send("AT+CMGS=23\r" + pdu + "\x1a");
    EXPECT_EQ(line.ReadUntil(" ERROR: 304\r\n"), "\r\n> \r\n+CMS ERROR: 304\r\n");
    // A client that waits after the prompt gets through.
    EXPECT_EQ(line.Command("AT+CMGS=23"), "\r\n> ");
    usleep(400 * 1000);  // longer than the profile's 200 ms
    line.Send(pdu + "\x1a");
    EXPECT_EQ(line.Reply(), "\r\n+CMGS: 0\r\n\r\nOK\r\n");
}

TEST(PhoneSimScenario, CheckedByLineAndServed) {
    const std::string good = R"sc(# comment
model Test Phone 2
phonebook-size SM 10
contact book=SM index=3 number=+391111 name="Rossi, Mario (ufficio)"
contact book=ME number=5551234
message from=+39 text="a b"
message store=ME index=5 pdu=0791932143050000040C9193331332547600005021500151034004C374F80D
fault silent AT
urc AT RING
)sc";
    bsms::test::TempFolder dir;
    dir.write("good.txt", good);
    auto [status, out] = RunTool({"--scenario", (dir.path() / "good.txt").string(), "--check"});
    EXPECT_EQ(status, 0) << out;
    for (const char* summary :
         {"model: Test Phone 2", "messages SM: 1/30", "messages ME: 1/100", "phonebook SM: 1/10",
          "phonebook ME: 1/100", "faults: 1, unsolicited: 1"})
        EXPECT_THAT(out, HasSubstr(summary));

    PhoneSim sim({"--echo", "off"}, good);
    Line line(sim.link());
    EXPECT_EQ(line.Command("AT+CPBR=?"), "\r\n+CPBR: (1-10),40,18\r\n\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT+CPBR=1,200"),
              "\r\n+CPBR: 3,\"+391111\",145,\"Rossi, Mario (ufficio)\"\r\n\r\nOK\r\n");
    line.Command("AT+CPBS=ME");
    EXPECT_EQ(line.Command("AT+CPBR=1,50"), "\r\n+CPBR: 1,\"5551234\",129,\"\"\r\n\r\nOK\r\n");

    const std::pair<const char*, const char*> bad[] = {
        {"echo on\nbogus 1\n", ":2: unknown keyword"},
        {"\n\nmessage from=+39\n", ":3: a message needs"},
        {"message from=+39 text=x time=yesterday\n", ":1: time must look like"},
        {"message from=+39 text=\"open\n", ":1: unclosed double quote"},
        {"message from=+39 text=Ж coding=7bit\n", ":1: character"},
        {"message pdu=0G\n", ":1: pdu= is not"},
        {"fault explode AT\n", ":1: fault must be"},
        {"sms-capacity SM 1\nmessage from=1 text=a\nmessage from=1 text=b\n",
         ":3: message store is full"},
        {"cmee 7\n", ":1: \"7\" is not a number from 0 to 2"},
        {"profile nope\n", ":1: unknown profile"},
    };
    for (const auto& [text, message] : bad) {
        dir.write("bad.txt", text);
        auto [code, err] = RunTool({"--scenario", (dir.path() / "bad.txt").string(), "--check"});
        EXPECT_EQ(code, 2) << text;
        EXPECT_THAT(err, HasSubstr(std::string("bad.txt") + message)) << text;
    }
}

}  // namespace
}  // namespace phonesim_test
