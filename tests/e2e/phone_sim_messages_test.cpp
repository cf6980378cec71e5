// Messages stored on the simulated phone: reading, listing, deleting, memories, and the
// SMS-DELIVER PDUs it builds.
#include <gmock/gmock.h>

#include <regex>

#include "phone_sim_client.h"

namespace phonesim_test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// The PDU line of a +CMGR answer given without echo.
std::string PduOf(const std::string& answer) {
    std::smatch m;
    static const std::regex pdu("\r\n\\+CMGR: \\d,,\\d+\r\n([0-9A-F]+)\r\n\r\nOK\r\n");
    return std::regex_match(answer, m, pdu) ? m[1].str() : "no PDU in " + Line::Visible(answer);
}

TEST(PhoneSimMessages, DefaultContentHoldsTheUsualKinds) {
    PhoneSim sim;
    Line line(sim.link());
    EXPECT_EQ(
        line.Command("AT+CMGR=1"),
        Answer("AT+CMGR=1",
               {"+CMGR: 1,,23", "0791932143050000040C9193331332547600005021500151034004C374F80D"}));
    line.Command("ATE0");
    // Unread until read once.
    EXPECT_THAT(line.Command("AT+CMGR=3"), StartsWith("\r\n+CMGR: 0,,"));
    std::string ucs2 = PduOf(line.Command("AT+CMGR=3"));
    EXPECT_EQ(ucs2.substr(34, 4), "0008") << "UCS2 coding";
    // Two parts of one message, 8-bit reference 0x42, in neighbouring locations.
    std::string part1 = PduOf(line.Command("AT+CMGR=4"));
    std::string part2 = PduOf(line.Command("AT+CMGR=5"));
    EXPECT_EQ(part1.substr(16, 2), "44");
    EXPECT_EQ(part1.substr(52, 14), "A0050003420201");
    EXPECT_EQ(part2.substr(54, 12), "050003420202");
    // A national sender of seven digits: filler F in its last octet.
    EXPECT_THAT(PduOf(line.Command("AT+CMGR=6")), HasSubstr("040781602143F5"));
    EXPECT_EQ(line.Command("AT+CMGR=7"), "\r\nOK\r\n");
}

TEST(PhoneSimMessages, BuildsDeliverPdusByTheBook) {
    PhoneSim sim({}, R"(
message from=+393331234567 sc=+391234500000 time=05/12/05,10:15:30+04 text=Ciao stat=read
message from=+39 sc="" time=25/01/15,08:00:00-20 text="€"
message from=+39 sc=+391234500000 time=25/01/15,08:00:00+04 text="Ж"
message index=10 from=+39 sc="" time=25/01/15,08:00:00+04 ref=66 text=)" +
                         std::string(160, 'a') + R"(b
message from=Brenvik sc="" time=25/01/15,08:00:00+04 text=@
message from=+39 sc="" time=25/01/15,08:00:00+04 text="Ciao ^_^" coding=ucs2 flash=yes
)");
    Line line(sim.link());
    line.Command("ATE0");
    EXPECT_EQ(line.Command("AT+CMGR=1"),
              "\r\n+CMGR: 1,,23\r\n"
              "0791932143050000040C9193331332547600005021500151034004C374F80D\r\n\r\nOK\r\n");
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
    fs::path corpus = bsms::test::SharedDir() / "corpus" / "real-cmgr" / "ok";
    if (bsms::test::SharedDir().empty() || !fs::exists(corpus)) GTEST_SKIP() << "no corpus";
    struct Case {
        const char* file;
        const char* message;
    };
    const Case cases[] = {
        {"03.dump",
         "from=+919884280026 sc=+919884005444 time=07/05/03,07:04:40+22 text=\"Ok sir\""},
        {"07.dump", "from=+358456709855 sc=+358405202000 time=06/09/06,18:46:31+08 text=Test"},
        {"08.dump",
         "from=+32478746863 sc=+32475161616 time=02/01/07,21:08:33+04 text=\"TEST -@@-\""},
        {"10.dump",
         "from=+32478746863 sc=+32475161616 time=02/01/30,20:54:05+04 text=\"Tèätrc @ £.\""},
        {"12.dump",
         "from=+622291320408 sc=+622192600421 time=07/10/19,12:28:35+28 text=\"aa cakep deh\""},
        {"09.dump",
         "from=27838890001 from-type=200 sc=+27381000015 time=99/03/29,15:16:59+08 "
         "text=hellohello"},
    };
    std::string scenario;
    for (const auto& c : cases)
        scenario += std::string("message ") + c.message + "\n";
    PhoneSim sim({}, scenario);
    Line line(sim.link());
    line.Command("ATE0");
    int index = 0;
    for (const auto& c : cases) {
        std::string dump = ReadFile(corpus / c.file);
        std::smatch m;
        ASSERT_TRUE(std::regex_search(dump, m, std::regex("\\+CMGR:[^\n]*\n([0-9A-F]+)")));
        EXPECT_EQ(PduOf(line.Command("AT+CMGR=" + std::to_string(++index))), m[1].str()) << c.file;
    }
}

TEST(PhoneSimMessages, EmptyLocationAnswersAsConfigured) {
    PhoneSim plain;
    Line a(plain.link());
    EXPECT_EQ(a.Command("AT+CMGR=20"), "AT+CMGR=20\r\r\nOK\r\n");
    EXPECT_EQ(a.Command("AT+CMGR=31"), "AT+CMGR=31\r\r\n+CMS ERROR: 321\r\n");  // beyond the SIM

    PhoneSim strict({"--empty-read", "error"});
    Line b(strict.link());
    EXPECT_EQ(b.Command("AT+CMGR=20"), "AT+CMGR=20\r\r\n+CMS ERROR: 321\r\n");

    PhoneSim profiled({"--profile", "empty-error"});
    Line c(profiled.link());
    EXPECT_EQ(c.Command("AT+CMGR=20"), "AT+CMGR=20\r\r\n+CMS ERROR: 321\r\n");
    EXPECT_THAT(c.Command("AT+CMGR=1"), HasSubstr("+CMGR: 1,,23"));
}

TEST(PhoneSimMessages, ListDeleteAndMemories) {
    PhoneSim sim;
    Line line(sim.link());
    line.Command("ATE0");
    auto count = [](const std::string& s, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(line.Command("AT+CMGL=?"), "\r\n+CMGL: (0-4)\r\n\r\nOK\r\n");
    std::string unread = line.Command("AT+CMGL=0");
    EXPECT_EQ(count(unread, "+CMGL: "), 3u);
    EXPECT_THAT(unread, HasSubstr("\r\n+CMGL: 3,0,,"));
    EXPECT_EQ(line.Command("AT+CMGL=0"), "\r\nOK\r\n") << "listing marks them read";
    std::string all = line.Command("AT+CMGL=4");
    EXPECT_EQ(count(all, "+CMGL: "), 6u);
    EXPECT_THAT(all, StartsWith("\r\n+CMGL: 1,1,,23\r\n0791932143050000040C91933313325476"));

    EXPECT_EQ(line.Command("AT+CMGD=1"), "\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT+CMGR=1"), "\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT+CMGD=?"), "\r\n+CMGD: (2,3,4,5,6),(0-4)\r\n\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT+CMGD=0"), "\r\n+CMS ERROR: 321\r\n");
    EXPECT_EQ(line.Command("AT+CPMS?"),
              "\r\n+CPMS: \"SM\",5,30,\"SM\",5,30,\"SM\",5,30\r\n\r\nOK\r\n");

    EXPECT_EQ(line.Command("AT+CPMS=?"),
              "\r\n+CPMS: "
              "(\"SM\",\"ME\",\"MT\"),(\"SM\",\"ME\",\"MT\"),(\"SM\",\"ME\",\"MT\")\r\n\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT+CPMS=\"ME\""), "\r\n+CPMS: 0,100,5,30,5,30\r\n\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT+CMGR=2"), "\r\nOK\r\n");
    // MT as the program writes it, unquoted: the SIM's locations, then the phone's.
    EXPECT_EQ(line.Command("AT+CPMS=MT,MT,MT"), "\r\n+CPMS: 5,130,5,130,5,130\r\n\r\nOK\r\n");
    EXPECT_THAT(line.Command("AT+CMGR=2"), StartsWith("\r\n+CMGR: 1,,70\r\n"));
    EXPECT_EQ(line.Command("AT+CMGR=131"), "\r\n+CMS ERROR: 321\r\n");
    EXPECT_EQ(line.Command("AT+CPMS=\"XX\""), "\r\n+CMS ERROR: 302\r\n");

    // Delete flag 4 empties the memory.
    EXPECT_EQ(line.Command("AT+CMGD=1,4"), "\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT+CMGL=4"), "\r\nOK\r\n");
}

}  // namespace
}  // namespace phonesim_test
