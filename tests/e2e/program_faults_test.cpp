// Every dialogue of the program against a phone that misbehaves: replies cut at every byte, a
// phone that vanishes in the middle, one that never answers, unsolicited codes behind replies.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#include "link/reply_timer.h"
#include "program_on_sim.h"

namespace bsms {
namespace {

using test::ProgramOnSim;
using test::RunUntil;

std::string Text(std::size_t n) {
    std::string s;
    while (s.size() < n)
        s += "Ci vediamo alle 10.30 in piazza, porta l'ombrello! ";
    return s.substr(0, n);
}

// Sends, and waits until the phone confirmed it or refused it.
bool Send(ProgramOnSim& rig, std::size_t chars) {
    const std::size_t before = rig.host.boxes.size();
    rig.compose(Text(chars));
    rig.form1()["Command6"].click();
    return rig.boxes(before + 1) && rig.host.boxes.back().text == "Messagge sent";
}

// Opens the browser, reads `count` locations and leaves it open; the rows listed.
int Browse(ProgramOnSim& rig, int count, int waitMs = 10000) {
    rig.host.keepModalOpen = true;
    rig.form1()["Command4"].click();
    Window& f5 = *rig.program->Form5;
    f5["Text3"].setText(std::to_string(count));
    f5["Command1"].click();
    if (!RunUntil([&] { return f5["Command7"].enabled(); }, waitMs)) return -1;
    return f5["Grid1"].rows() - 1;
}

// The service centre, the phonebooks, sends of one and five parts, a store, a read of the phone's
// memory and a delete, each as if the line were sound.
void EveryDialogue(ProgramOnSim& rig) {
    Window& f = rig.form1();
    f["Text2"].setText("");
    f["Command3"].click();
    ASSERT_TRUE(RunUntil([&] { return !rig.program->st.Csc_Query_Pending; }));
    EXPECT_EQ(f["Text2"].text(), "391234500000");

    ASSERT_TRUE(rig.downloadPhonebook()) << rig.received();
    EXPECT_EQ(f["Combo2"].items().size(), 6u);

    EXPECT_TRUE(Send(rig, 100)) << rig.received();
    EXPECT_TRUE(Send(rig, 760)) << rig.received();
    EXPECT_EQ(rig.program->st.Sent_Count, 6);

    rig.compose(Text(400));
    f["Command7"].click();
    ASSERT_TRUE(RunUntil([&] {
        return !rig.program->st.Store_Job.active && rig.received().ends_with("OK\r\n");
    })) << rig.received();

    EXPECT_EQ(Browse(rig, 9), 9);  // the six of the phone and the three parts just stored
    Window& f5 = *rig.program->Form5;
    // The last part stored, read back whole from among the noise.
    EXPECT_EQ(Decode_Sms_Deliver(f5["Text1"].text(), {}).Text, Text(400).substr(304));
    rig.host.answers = {MsgResult::Ok};
    f5["Command7"].click();
    EXPECT_TRUE(RunUntil([&] { return rig.received().ends_with("OK\r\n"); }));
    EXPECT_EQ(f5["Grid1"].rows() - 1, 8);
    EXPECT_EQ(rig.host.boxes.size(), 3u);  // two sends and the delete question: no error
}

TEST(ProgramUnderFaults, EveryDialogueWithRepliesCutAtEveryByte) {
    ProgramOnSim rig({"--chunk", "1", "--chunk-pause", "1"}, false);
    EveryDialogue(rig);
}

TEST(ProgramUnderFaults, EveryDialogueWithLineNoiseBeforeEveryReply) {
    ProgramOnSim rig({"--set", "noise 24"}, false);
    EveryDialogue(rig);
}

// Each dialogue, started by the command its phone fails at.
struct Dialogue {
    const char* command;
    std::function<void(ProgramOnSim&)> start;
};
std::vector<Dialogue> Dialogues() {
    const auto store = [](ProgramOnSim& rig) {
        rig.compose(Text(200));
        rig.form1()["Command7"].click();
    };
    const auto phonebook = [](ProgramOnSim& rig) {
        rig.host.keepModalOpen = true;  // the progress window stays up
        rig.form1().menu("Mn_Upload").click();
    };
    const auto read = [](ProgramOnSim& rig) { Browse(rig, 3, 300); };
    const auto remove = [](ProgramOnSim& rig) {
        ASSERT_EQ(Browse(rig, 3), 3);
        rig.host.answers = {MsgResult::Ok};
        (*rig.program->Form5)["Command7"].click();
    };
    const auto send = [](ProgramOnSim& rig) {
        rig.compose(Text(400));
        rig.form1()["Command6"].click();
    };
    return {
        {"AT+CMGS=*", send},
        {"AT+CSCA?", [](ProgramOnSim& rig) { rig.form1()["Command3"].click(); }},
        {"AT+CPBR=*", phonebook},
        {"AT+CMGW=*", store},
        {"AT+CMGR=2", read},
        {"AT+CMGD=*", remove},
    };
}

// No dialogue is left over once the port is open again, and the phone answers as before.
void ExpectAFreshStart(ProgramOnSim& rig) {
    const DialogueState& st = rig.program->st;
    EXPECT_FALSE(st.Csc_Query_Pending || st.Phonebook_Download || st.Store_Job.active ||
                 st.Send_Job.active || st.Browser_Reading);
    Status_Refresh(*rig.program);
    rig.form1()["Text1"].setText("");
    rig.form1().menu("Mn_Test").click();
    EXPECT_TRUE(RunUntil([&] { return rig.received().ends_with("OK\r\n"); })) << rig.received();
}

// The phone gone at the dialogue's command: the port closes and says so, the files stay whole,
// and the same port opened on another phone finds no dialogue left over.
TEST(ProgramUnderFaults, APhoneThatVanishesEndsNoDialogueBadly) {
    for (const Dialogue& c : Dialogues()) {
        SCOPED_TRACE(c.command);
        ProgramOnSim rig({"--set", std::string("fault vanish ") + c.command}, false);
        std::ofstream(rig.folder / "Rubrica.txt", std::ios::binary) << "Anna (+393331234567)\r\n";
        const std::string settings = phonesim_test::ReadFile(rig.folder / "Setting.sms");
        c.start(rig);
        ASSERT_TRUE(RunUntil([&] { return !rig.port.portOpen(); }));
        if (rig.program->Form3->shown()) (*rig.program->Form3)["Command1"].click();
        Status_Refresh(*rig.program);
        EXPECT_EQ(rig.form1()["StatusBar1"].panel(4), "Status: Disconnesso");
        EXPECT_EQ(phonesim_test::ReadFile(rig.folder / "Setting.sms"), settings);
        EXPECT_EQ(phonesim_test::ReadFile(rig.folder / "Rubrica.txt"), "Anna (+393331234567)\r\n");
        EXPECT_FALSE(std::filesystem::exists(rig.folder / "Sent.txt"));  // nothing counted as sent
        if (rig.program->Form5->shown()) (*rig.program->Form5)["Command2"].click();

        phonesim_test::PhoneSim other;
        std::filesystem::create_symlink(other.device(), rig.folder / "com1");
        rig.form1().menu("Mn_Apri").click();
        ASSERT_TRUE(rig.port.portOpen());
        ExpectAFreshStart(rig);
        EXPECT_TRUE(Send(rig, 50)) << rig.received();
    }
}

// A phone that falls silent at the dialogue's command: once the time limit has passed (ticked
// here, not waited for), the dialogue ends with a word to the user, its window closed or usable,
// the port open, nothing counted or logged, and the next command is answered.
TEST(ProgramUnderFaults, APhoneThatFallsSilentEndsTheDialogueWithABox) {
    for (const Dialogue& c : Dialogues()) {
        SCOPED_TRACE(c.command);
        ProgramOnSim rig({"--set", std::string("fault silent ") + c.command}, false);
        c.start(rig);
        const std::string echo = std::string(c.command).substr(0, std::strlen(c.command) - 1);
        ASSERT_TRUE(RunUntil([&] { return rig.received().find(echo) != std::string::npos; }))
            << rig.received();
        const std::size_t before = rig.host.boxes.size();  // the delete question, for one
        for (int ms = 0; ms < kPduReplyMs; ms += kReplyTimerMs)
            rig.form1()["Timer2"].tick();
        ASSERT_EQ(rig.host.boxes.size(), before + 1);
        EXPECT_EQ(rig.host.boxes.back().text,
                  "The mobile does not answer: check the cable, the port and its speed.");
        EXPECT_TRUE(rig.port.portOpen());
        EXPECT_FALSE(rig.program->Form3->shown());
        EXPECT_FALSE(std::filesystem::exists(rig.folder / "Sent.txt") ||
                     std::filesystem::exists(rig.folder / "LogSMS.txt"));
        if (rig.program->Form5->shown()) (*rig.program->Form5)["Command2"].click();
        ExpectAFreshStart(rig);
    }
}

// Known codes and lines the program has never heard of (a network time, a modem's own notice),
// right behind the answers.
TEST(ProgramUnderFaults, UnsolicitedCodesBehindEveryReplyDerailNothing) {
    ProgramOnSim rig(
        {"--set", "urc AT+CPBR=* RING", "--set", "urc AT+CPBS=* \"+CREG: 1\"", "--set",
         "urc AT+CMGR=* \"+CMTI: \\\"SM\\\",9\"", "--set", "urc AT+CPMS=MT \"+CDSI: \\\"SR\\\",2\"",
         "--set", "urc AT+CSCA? \"+CTZE: \\\"+04\\\",0,\\\"2024/05/01,10:00:00\\\"\"", "--set",
         "urc AT+CMGS=* \"+QIND: SMS DONE\""},
        false);
    rig.form1()["Text2"].setText("");
    rig.form1()["Command3"].click();
    ASSERT_TRUE(RunUntil([&] { return !rig.program->st.Csc_Query_Pending; })) << rig.received();
    EXPECT_EQ(rig.form1()["Text2"].text(), "391234500000");
    EXPECT_TRUE(Send(rig, 200)) << rig.received();
    ASSERT_TRUE(rig.downloadPhonebook()) << rig.received();
    EXPECT_EQ(rig.form1()["Combo2"].items().size(), 6u);
    EXPECT_EQ(Browse(rig, 8), 6) << rig.received();
    EXPECT_EQ(rig.host.boxes.size(), 1u);  // the sent message
}

}  // namespace
}  // namespace bsms

#endif
