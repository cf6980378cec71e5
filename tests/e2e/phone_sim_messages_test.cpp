// Messages stored on the simulated phone: reading, listing, deleting, memories, and the
// SMS-DELIVER PDUs it builds.
#include <gmock/gmock.h>

#include <regex>

#include "phone_sim_client.h"

namespace phonesim_test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// "Ciao" from +393331234567, the textbook example.
const std::string kCiao = "0791932143050000040C9193331332547600005021500151034004C374F80D";

// The PDU line of a +CMGR answer given without echo.
std::string PduOf(const std::string& answer) {
    std::smatch m;
    static const std::regex pdu("\r\n\\+CMGR: \\d,,\\d+\r\n([0-9A-F]+)\r\n\r\nOK\r\n");
    return std::regex_match(answer, m, pdu) ? m[1].str() : "no PDU in " + answer;
}

TEST(PhoneSimMessages, DefaultContentHoldsTheUsualKinds) {
    PhoneSim sim({"--echo", "off"});
    Line line(sim.link());
    // Unread until read once.
    EXPECT_THAT(line.Command("AT+CMGR=3"), StartsWith("\r\n+CMGR: 0,,"));
    EXPECT_EQ(PduOf(line.Command("AT+CMGR=3")).substr(34, 4), "0008") << "UCS2 coding";
    // Two parts of one message, 8-bit reference 0x42, in neighbouring locations.
    EXPECT_EQ(PduOf(line.Command("AT+CMGR=4")).substr(52, 14), "A0050003420201");
    EXPECT_EQ(PduOf(line.Command("AT+CMGR=5")).substr(54, 12), "050003420202");
    // A national sender of seven digits: filler F in its last octet.
    EXPECT_THAT(PduOf(line.Command("AT+CMGR=6")), HasSubstr("040781602143F5"));
}

TEST(PhoneSimMessages, BuildsDeliverPdusByTheBook) {
    PhoneSim sim({"--echo", "off"}, R"(
message from=+393331234567 sc=+391234500000 time=05/12/05,10:15:30+04 text=Ciao stat=read
message from=+39 sc="" time=25/01/15,08:00:00-20 text="€"
message from=+39 sc=+391234500000 time=25/01/15,08:00:00+04 text="Ж"
message index=10 from=+39 sc="" time=25/01/15,08:00:00+04 ref=66 text=)" +
                                        std::string(160, 'a') + R"(b
message from=Brenvik sc="" time=25/01/15,08:00:00+04 text=@
message from=+39 sc="" time=25/01/15,08:00:00+04 text="Ciao ^_^" coding=ucs2 flash=yes
)");
    Line line(sim.link());
    EXPECT_EQ(line.Command("AT+CMGR=1"), "\r\n+CMGR: 1,,23\r\n" + kCiao + "\r\n\r\nOK\r\n");
    // Escape pair 1B 65; time zone -5 h (20 quarters, sign bit set).
    EXPECT_EQ(PduOf(line.Command("AT+CMGR=2")), "000402919300005210518000000A029B32");
    EXPECT_EQ(PduOf(line.Command("AT+CMGR=3")), "079193214305000004029193000852105180000040020416");
    // 161 characters: parts of 153 and 8 septets behind a 6-octet header and one fill bit.
    std::string first = PduOf(line.Command("AT+CMGR=10"));
    EXPECT_THAT(first, StartsWith("0044029193000052105180000040A0050003420201C2"));
    EXPECT_EQ(first.size(), 28u + 2 + 280);
    EXPECT_EQ(PduOf(line.Command("AT+CMGR=11")),
              "00440291930000521051800000400F050003420202C2E170381C0E8B01");
    // An alphanumeric sender is packed septets, its length counted in semi-octets.
    EXPECT_EQ(PduOf(line.Command("AT+CMGR=4")), "00040DD04279D96D4FAF010000521051800000400100");
    EXPECT_EQ(PduOf(line.Command("AT+CMGR=5")),
              "000402919300185210518000004010004300690061006F0020005E005F005E");
}

// Real phones' messages (the shared corpus): the same fields must give the same PDU.
TEST(PhoneSimMessages, ReproducesRealPhonesDeliverPdus) {
    if (bsms::test::SharedDir().empty()) GTEST_SKIP() << "no corpus";
    const fs::path corpus = bsms::test::SharedDir() / "corpus" / "real-cmgr" / "ok";
    PhoneSim sim({"--echo", "off"}, R"(
message from=+919884280026 sc=+919884005444 time=07/05/03,07:04:40+22 text="Ok sir"
message from=+358456709855 sc=+358405202000 time=06/09/06,18:46:31+08 text=Test
message from=+32478746863 sc=+32475161616 time=02/01/07,21:08:33+04 text="TEST -@@-"
message from=+32478746863 sc=+32475161616 time=02/01/30,20:54:05+04 text="Tèätrc @ £."
message from=+622291320408 sc=+622192600421 time=07/10/19,12:28:35+28 text="aa cakep deh"
message from=27838890001 from-type=200 sc=+27381000015 time=99/03/29,15:16:59+08 text=hellohello
)");
    Line line(sim.link());
    int index = 0;
    for (const char* file : {"03", "07", "08", "10", "12", "09"}) {  // the dumps, in turn
        std::string dump = ReadFile(corpus / (file + std::string(".dump")));
        std::smatch m;
        ASSERT_TRUE(std::regex_search(dump, m, std::regex("\\+CMGR:[^\n]*\n([0-9A-F]+)")));
        EXPECT_EQ(PduOf(line.Command("AT+CMGR=" + std::to_string(++index))), m[1].str()) << file;
    }
}

TEST(PhoneSimMessages, EmptyLocationAnswersAsConfigured) {
    for (const auto& [args, empty] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{}, "OK"},
             {{"--empty-read", "error"}, "+CMS ERROR: 321"},
             {{"--profile", "empty-error"}, "+CMS ERROR: 321"}}) {
        PhoneSim sim(args);
        Line line(sim.link());
        ExpectAnswers(line, {{"AT+CMGR=20", {}, empty}, {"AT+CMGR=31", {}, "+CMS ERROR: 321"}});
        EXPECT_THAT(line.Command("AT+CMGR=1"), HasSubstr("\r\n+CMGR: 1,,23\r\n"));
    }
}

TEST(PhoneSimMessages, ListDeleteAndMemories) {
    PhoneSim sim;
    Line line(sim.link());
    auto listed = [&](const std::string& command) {  // the locations listed
        std::string out = line.Command(command), at;
        static const std::regex entry("\\+CMGL: (\\d+),");
        for (std::sregex_iterator i(out.begin(), out.end(), entry), end; i != end; ++i)
            at += (at.empty() ? "" : " ") + (*i)[1].str();
        return at;
    };
    EXPECT_EQ(listed("AT+CMGL=0"), "3 4 5");
    EXPECT_EQ(listed("AT+CMGL=0"), "") << "listing marks them read";
    EXPECT_EQ(listed("AT+CMGL=4"), "1 2 3 4 5 6");
    EXPECT_THAT(line.Command("AT+CMGL=1"), HasSubstr("\r\n+CMGL: 1,1,,23\r\n" + kCiao + "\r\n"));
    ExpectAnswers(
        line, {{"AT+CMGL=?", {"+CMGL: (0-4)"}},
               {"AT+CMGD=1", {}},
               {"AT+CMGR=1", {}},
               {"AT+CMGD=?", {"+CMGD: (2,3,4,5,6),(0-4)"}},
               {"AT+CMGD=0", {}, "+CMS ERROR: 321"},
               {"AT+CPMS?", {"+CPMS: \"SM\",5,30,\"SM\",5,30,\"SM\",5,30"}},
               {"AT+CPMS=?",
                {"+CPMS: (\"SM\",\"ME\",\"MT\"),(\"SM\",\"ME\",\"MT\"),(\"SM\",\"ME\",\"MT\")"}},
               {"AT+CPMS=\"ME\"", {"+CPMS: 0,100,5,30,5,30"}},
               {"AT+CMGR=2", {}},
               // MT as the program writes it, unquoted: the SIM's locations, then the phone's.
               {"AT+CPMS=MT,MT,MT", {"+CPMS: 5,130,5,130,5,130"}}});
    EXPECT_THAT(line.Command("AT+CMGR=2"), HasSubstr("\r\n+CMGR: 1,,70\r\n"));
    ExpectAnswers(line, {{"AT+CMGR=131", {}, "+CMS ERROR: 321"},
                         {"AT+CPMS=\"XX\"", {}, "+CMS ERROR: 302"},
                         {"AT+CMGD=1,4", {}},  // flag 4 empties the memory
                         {"AT+CMGL=4", {}}});
}

}  // namespace
}  // namespace phonesim_test
