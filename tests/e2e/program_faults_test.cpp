// Every dialogue of the program against every kind of phone and a phone that misbehaves: replies
// cut at every byte, line noise, unsolicited codes behind replies, a phone that vanishes in the
// middle. (A silent one is the reply timer's unit test.)
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "browser/form5.h"
#include "program_on_sim.h"
#include "scenario.h"

namespace phonesim {
void PrintTo(const Profile& profile, std::ostream* out) {
    *out << profile.name;
}
}  // namespace phonesim

namespace bsms {
namespace {

using test::ProgramOnSim;
using test::ReadFile;
using test::RunUntil;
using test::Text;

// Every dialogue of the program, each as if the line were sound: the probe, the service centre,
// the phonebooks, sends of one and five parts, a store of three, a read of the phone's memory
// (one location past the messages, so an empty one too) and a delete.
void EveryDialogue(ProgramOnSim& rig, const std::string& profile = "standard") {
    Window& f = rig.form1();
    f.menu("Mn_Test").click();
    ASSERT_TRUE(rig.answered()) << rig.received();
    EXPECT_TRUE(rig.received().ends_with("\r\nBX-1 Simulated Phone\r\n\r\nOK\r\n"));

    f["Text2"].setText("");
    f["Command3"].click();
    ASSERT_TRUE(RunUntil([&] { return !rig.program->st.Csc_Query_Pending; }));
    EXPECT_EQ(f["Text2"].text(), "391234500000");

    ASSERT_TRUE(rig.downloadPhonebook()) << rig.received();
    EXPECT_EQ(f["Combo2"].items().size(), 8u);

    // A phone that loses what comes right after its prompt takes no message, and says so.
    const bool takesMessages = profile != "prompt-pause";
    rig.compose(Text(100));
    EXPECT_EQ(rig.send(), takesMessages) << rig.received();
    rig.compose(Text(760));
    EXPECT_EQ(rig.send(), takesMessages) << rig.received();
    EXPECT_EQ(rig.program->st.Sent_Count, takesMessages ? 6 : 0);
    EXPECT_EQ(std::filesystem::exists(rig.folder / "LogSMS.txt"), takesMessages);

    rig.compose(Text(400));
    f["Command7"].click();
    ASSERT_TRUE(RunUntil([&] { return !rig.program->st.Store_Job.active; })) << rig.received();
    // What reached the phone reads back as the texts sent; the store sent nothing.
    EXPECT_EQ(rig.sentText(), takesMessages ? Text(100) + Text(760) : "");

    // The phone's six (two of them the parts of one message) and the three parts stored, as one
    // row each message; the stored one, without a time, last. It goes whole.
    const int rows = takesMessages ? 6 : 5;
    ASSERT_EQ(rig.browse(10), rows);
    Control& grid = rig.form5()["Grid1"];
    EXPECT_EQ(grid.cell(rows, 1), takesMessages ? "7,8,9" : "6");
    if (takesMessages) {
        EXPECT_EQ(Browser(*rig.program).entryOfRow(rows).Text, Text(400));
    }
    rig.host.answers = {MsgResult::Ok};
    rig.form5()["Command7"].click();
    EXPECT_TRUE(RunUntil([&] { return grid.rows() == rows && !rig.program->line.busy(); }))
        << rig.received();
    EXPECT_EQ(rig.browse(10), rows - 1);

    // Boxes: a send's "sent" or its refusal each, the store's refusal, the delete question.
    std::vector<std::string> texts;
    for (const MessageBoxSpec& b : rig.host.boxes)
        texts.push_back(b.text.substr(0, b.text.find('\r')));
    std::vector<std::string> expected(
        2, takesMessages ? "Messagge sent" : "Command didn't accept by mobile");
    if (!takesMessages) expected.push_back("Command didn't accept by mobile");
    expected.push_back("Are you sure to delete the message:");
    EXPECT_EQ(texts, expected);
}

// Every kind of phone the simulator knows, so that a new one joins by itself.
class ProgramOnEveryPhone : public ::testing::TestWithParam<phonesim::Profile> {};

TEST_P(ProgramOnEveryPhone, EveryDialogueGoesThrough) {
    ProgramOnSim rig({"--profile", GetParam().name});
    EveryDialogue(rig, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(All, ProgramOnEveryPhone, ::testing::ValuesIn(phonesim::Profiles()),
                         [](const auto& info) {
                             return std::regex_replace(info.param.name, std::regex("-"), "_");
                         });

TEST(ProgramUnderFaults, EveryDialogueWithRepliesCutAtEveryByte) {
    ProgramOnSim rig({"--chunk", "1", "--chunk-pause", "1"});
    EveryDialogue(rig);
}

TEST(ProgramUnderFaults, EveryDialogueWithLineNoiseBeforeEveryReply) {
    ProgramOnSim rig({"--set", "noise 24"});
    EveryDialogue(rig);
}

// Each dialogue, started by the command its phone fails at (a phone of the given profile).
struct Dialogue {
    const char* command;
    std::function<void(ProgramOnSim&)> start;
    const char* profile = "standard";
};
std::vector<Dialogue> Dialogues() {
    const auto click = [](const char* button, std::size_t chars) {
        return [=](ProgramOnSim& rig) {
            rig.compose(Text(chars));
            rig.form1()[button].click();
        };
    };
    const auto phonebook = [](ProgramOnSim& rig) {
        rig.host.keepModalOpen = true;  // the progress window stays up
        rig.form1().menu("Mn_Upload").click();
    };
    const auto remove = [](ProgramOnSim& rig) {
        ASSERT_GT(rig.browse(3), 0);  // every message listed, whatever the count
        rig.host.answers = {MsgResult::Ok};
        rig.form5()["Command7"].click();
    };
    return {
        {"AT+CMGS=*", click("Command6", 400)},
        {"AT+CSCA?", click("Command3", 0)},
        {"AT+CPBR=*", phonebook},
        {"AT+CMGW=*", click("Command7", 200)},
        {"AT+CMGL=*", [](ProgramOnSim& rig) { rig.browse(3, 300); }},
        {"AT+CMGR=2", [](ProgramOnSim& rig) { rig.browse(3, 300); }, "no-cmgl"},
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
    EXPECT_TRUE(rig.answered()) << rig.received();
}

// The phone gone at the dialogue's command: the port closes and says so, the files stay whole,
// and the same port opened on another phone finds no dialogue left over.
TEST(ProgramUnderFaults, APhoneThatVanishesEndsNoDialogueBadly) {
    for (const Dialogue& c : Dialogues()) {
        SCOPED_TRACE(c.command);
        ProgramOnSim rig(
            {"--profile", c.profile, "--set", std::string("fault vanish ") + c.command});
        std::ofstream(rig.folder / "Rubrica.txt", std::ios::binary) << "Anna (+393331234567)\r\n";
        const std::string settings = ReadFile(rig.folder / "Setting.sms");
        c.start(rig);
        ASSERT_TRUE(RunUntil([&] { return !rig.port.portOpen(); }));
        if (rig.program->Form3->shown()) (*rig.program->Form3)["Command1"].click();
        Status_Refresh(*rig.program);
        EXPECT_EQ(rig.form1()["StatusBar1"].panel(4), "Status: Disconnesso");
        EXPECT_EQ(ReadFile(rig.folder / "Setting.sms"), settings);
        EXPECT_EQ(ReadFile(rig.folder / "Rubrica.txt"), "Anna (+393331234567)\r\n");
        EXPECT_FALSE(std::filesystem::exists(rig.folder / "Sent.txt"));  // nothing counted as sent
        if (rig.form5().shown()) rig.form5()["Command2"].click();

        phonesim_test::PhoneSim other;
        std::filesystem::create_symlink(other.device(), rig.folder / "com1");
        rig.form1().menu("Mn_Apri").click();
        ASSERT_TRUE(rig.port.portOpen());
        ExpectAFreshStart(rig);
        rig.compose(Text(50));
        EXPECT_TRUE(rig.send()) << rig.received();
    }
}

}  // namespace
}  // namespace bsms

#endif
