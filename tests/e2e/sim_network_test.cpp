// The SIM and the network against the simulated phone: a locked SIM opened with its PIN, then
// its PUK; a SIM still starting up; the network panel; a send where there is no network.
#include <gtest/gtest.h>

#include "app/form1.h"
#include "link/dispatcher.h"
#include "link/network.h"
#include "link/reply_timer.h"
#include "program_on_sim.h"

namespace bsms {
namespace {

using test::ProgramOnSim;
using test::RunUntil;

std::string Panel(ProgramOnSim& rig) {
    rig.form1()["Timer1"].tick();  // the network is asked at the first tick
    EXPECT_TRUE(RunUntil([&] { return !rig.program->line.busy(); })) << rig.received();
    Status_Refresh(*rig.program);
    return rig.form1()["StatusBar1"].panel(kNetworkPanel);
}

TEST(SimOnSim, ALockedSimTakesItsPinAndAfterThreeWrongItsPukThenSends) {
    ProgramOnSim rig({"--profile", "pin-locked"});
    // Opened at start-up with no one at the window: the PIN was not given, and that was said.
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].text,
              "Without its PIN the SIM serves no SMS: open the port again to enter it.");
    EXPECT_EQ(Panel(rig), "SIM PIN");

    std::vector<std::string> notes;
    std::vector<std::pair<std::string, std::string>> codes = {
        {"0000", ""}, {"0000", ""}, {"0000", ""}, {"12345678", "4321"}};
    rig.host.duringModal = [&](Window& w) {
        notes.push_back(w["Label4"].text() + (w["Text2"].visible() ? " [PUK]" : ""));
        w["Text1"].userEdit(codes[notes.size() - 1].first);
        w["Text2"].userEdit(codes[notes.size() - 1].second);
        w["Command1"].click();
    };
    rig.form1().menu("Mn_Chiudi").click();
    Status_Refresh(*rig.program);
    rig.form1().menu("Mn_Apri").click();
    ASSERT_TRUE(RunUntil([&] {
        return rig.program->st.sim.step == SimStep::Ready && !rig.program->line.busy();
    })) << rig.received();
    EXPECT_EQ(notes, (std::vector<std::string>{"Attempts left: 3.", "Wrong PIN. Attempts left: 2.",
                                               "Wrong PIN. Attempts left: 1.",
                                               "Wrong PIN. Attempts left: 10. [PUK]"}));
    EXPECT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.received().find("1234"), std::string::npos);
    rig.compose("Aperto");
    EXPECT_TRUE(rig.send());
    EXPECT_EQ(rig.sentText(), "Aperto");
}

TEST(SimOnSim, ASimStillStartingUpIsAskedAgain) {
    ProgramOnSim rig({"--set", "sim-busy 2"});
    rig.form1()["Text2"].setText("");
    rig.form1()["Command3"].click();
    for (int k = 0; k < 2; ++k) {
        ASSERT_TRUE(RunUntil([&] { return rig.program->line.inFlight() == nullptr; }));
        for (int ms = 0; ms < kSimBusyWaitMs; ms += kReplyTimerMs)
            rig.form1()["Timer2"].tick();
    }
    ASSERT_TRUE(RunUntil([&] { return !rig.program->st.Csc_Query_Pending; })) << rig.received();
    EXPECT_EQ(rig.form1()["Text2"].text(), "391234500000");
    EXPECT_TRUE(rig.host.boxes.empty());
}

TEST(NetworkOnSim, ThePanelShowsOperatorAndSignalAndASendWithoutNetworkIsNamed) {
    {
        ProgramOnSim rig({"--profile", "weak-signal"});
        EXPECT_EQ(Panel(rig), "Brenvik Mobile \u00b7 Home network \u2582\u2581\u2581\u2581");
    }
    ProgramOnSim rig({"--profile", "no-network"});
    EXPECT_EQ(Panel(rig), "No network");
    rig.compose("Ciao");
    rig.host.answers = {MsgResult::Yes};
    rig.form1()["Command6"].click();
    ASSERT_TRUE(RunUntil([&] { return rig.host.boxes.size() == 2; })) << rig.received();
    EXPECT_EQ(rig.host.boxes[0].text, "The mobile is not registered on a network: send anyway?");
    EXPECT_EQ(rig.host.boxes[1].text,
              "Command didn't accept by mobile\r+CMS ERROR: 331\rThe mobile is not registered on "
              "a network (no network service).");
}

}  // namespace
}  // namespace bsms
