// The program sends, stores and asks for the service centre through the real serial port, with
// the simulated phone on port 1.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "program_on_sim.h"

namespace bsms {
namespace {

using test::ProgramOnSim;

// A text of n characters the alphabet carries, none of them the same as its neighbour's part.
std::string Text(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; s.size() < n; ++i)
        s += "Part " + std::to_string(i) + ": ci vediamo alle 10.30 in piazza! ";
    return s.substr(0, n);
}

TEST(ProgramSends, FivePartsReachThePhoneAndDecodeBackToTheText) {
    ProgramOnSim rig;
    const std::string text = Text(760);
    rig.compose(text);
    rig.host.answers = {MsgResult::Ok};
    rig.form1()["Command6"].click();
    ASSERT_TRUE(rig.boxes(2)) << rig.received();
    EXPECT_EQ(rig.host.boxes[1].text, "Messagge sent");
    EXPECT_EQ(rig.program->st.Sent_Count, 5);

    std::istringstream sent(rig.sim.sent());
    std::string decoded;
    int parts = 0;
    for (std::string length, pdu; sent >> length >> pdu; ++parts)
        decoded += Decode_Sms_Deliver(pdu, {}).Text;  // the PDU as given, service centre first
    EXPECT_EQ(parts, 5);
    EXPECT_EQ(decoded, text);
    EXPECT_TRUE(std::filesystem::exists(rig.folder / "LogSMS.txt"));
}

TEST(ProgramSends, StoredPartsReadBackAsTheText) {
    ProgramOnSim rig;
    const std::string text = Text(400);
    rig.compose(text);
    rig.form1()["Command7"].click();
    ASSERT_TRUE(test::RunUntil([&] {
        return !rig.program->st.Store_Job.active && rig.received().ends_with("OK\r\n");
    })) << rig.received();
    EXPECT_TRUE(rig.host.boxes.empty());
    EXPECT_EQ(rig.sim.sent(), "");  // stored, not sent

    std::vector<int> locations;
    const std::regex stored("\\+CMGW: (\\d+)");
    const std::string log = rig.received();
    for (std::sregex_iterator m(log.begin(), log.end(), stored), end; m != end; ++m)
        locations.push_back(std::stoi((*m)[1]));
    ASSERT_EQ(locations.size(), 3u) << log;
    std::string readBack;
    for (int index : locations)
        readBack += rig.readBack(index);
    EXPECT_EQ(readBack, text);
}

TEST(ProgramSends, ServiceCentreComesFromThePhone) {
    ProgramOnSim rig;
    rig.form1()["Text2"].setText("");
    rig.form1()["Command3"].click();
    ASSERT_TRUE(test::RunUntil([&] { return !rig.program->st.Csc_Query_Pending; }));
    EXPECT_EQ(rig.form1()["Text2"].text(), "391234500000");
}

TEST(ProgramSends, AnErrorFromThePhoneEndsTheSend) {
    ProgramOnSim rig({"--set", "fault cms AT+CMGS=* 500"});
    rig.compose(Text(300));
    rig.host.answers = {MsgResult::Ok};
    rig.form1()["Command6"].click();
    ASSERT_TRUE(rig.boxes(2)) << rig.received();
    EXPECT_EQ(rig.host.boxes[1].text, "Command didn't accept by mobile\r+CMS ERROR: 500");
    EXPECT_FALSE(rig.program->st.Send_Job.active);
    EXPECT_EQ(rig.program->st.Sent_Count, 0);
    // The phone heard the first command only: the receive box ends with its refusal.
    EXPECT_TRUE(rig.received().ends_with("+CMS ERROR: 500\r\n")) << rig.received();
    EXPECT_EQ(rig.sim.sent(), "");
}

// Unsolicited codes right behind the replies: the dialogue goes on as if they were not there.
TEST(ProgramSends, UnsolicitedCodesNeverDerailADialogue) {
    ProgramOnSim rig({"--set", "urc AT+CMGS=* RING", "--set",
                      "urc AT+CSCA? \"+CMTI: \\\"SM\\\",3\"", "--set",
                      "urc AT+CMGW=* \"+CDSI: \\\"SR\\\",1\""});
    rig.form1()["Text2"].setText("");
    rig.form1()["Command3"].click();
    ASSERT_TRUE(test::RunUntil([&] { return !rig.program->st.Csc_Query_Pending; }));
    EXPECT_EQ(rig.form1()["Text2"].text(), "391234500000");

    rig.compose(Text(400));
    rig.host.answers = {MsgResult::Ok};
    rig.form1()["Command6"].click();
    ASSERT_TRUE(rig.boxes(2)) << rig.received();
    EXPECT_EQ(rig.host.boxes[1].text, "Messagge sent");
    EXPECT_EQ(rig.program->st.Sent_Count, 3);

    rig.form1()["Command7"].click();
    ASSERT_TRUE(test::RunUntil([&] {
        return !rig.program->st.Store_Job.active &&
               rig.received().find("+CDSI") != std::string::npos;
    })) << rig.received();
    EXPECT_EQ(rig.host.boxes.size(), 2u);
}

}  // namespace
}  // namespace bsms

#endif
