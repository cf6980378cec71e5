// The time limit on the phone's answers, with time driven by ticks of the main window's Timer2:
// every dialogue a silent phone leaves waiting ends with a word to the user, the port open.
#include <gtest/gtest.h>

#include "app/form1.h"
#include "browser/form5.h"
#include "link/reply_timer.h"
#include "test_support.h"

namespace bsms {
namespace {

struct TimerRig : test::Rig {
    TimerRig() {
        dir.write("Setting.sms",
                  " 1 \r\n19200,n,8,1\r\n 0 \r\n391234567890\r\nFalse\r\nFalse\r\nenglish\r\n");
        start();
        Status_Refresh(*program);
        program->listingRefused = true;  // the browser reads location by location
        host.keepModalOpen = true;
        form1()["Text4"].setText("+393331234567");
        form1()["Text5"].setText(std::string(200, 'w'));
    }
    Window& f5() { return *program->Form5; }
};

// Each dialogue is started, taken on to the step named by the phone's answer and the browser's
// button, then left unanswered.
TEST(ReplyTimer, EveryDialogueLeftUnansweredEndsWithABox) {
    const struct {
        const char *dialogue, *start, *answer, *browserButton;
        int limitMs;
    } cases[] = {
        {"probe", "Mn_Test", nullptr, nullptr, kCommandReplyMs},
        {"service centre", "Command3", nullptr, nullptr, kCommandReplyMs},
        {"send", "Command6", nullptr, nullptr, kCommandReplyMs},
        // The phone may take its time to pass a message on.
        {"send after its PDU", "Command6", "\r\n> ", nullptr, kPduReplyMs},
        {"store", "Command7", nullptr, nullptr, kCommandReplyMs},
        {"phonebook", "Mn_Upload", nullptr, nullptr, kCommandReplyMs},
        {"browser", "Command4", nullptr, nullptr, kCommandReplyMs},
        {"browser read", "Command4", "\r\nOK\r\n", "Command1", kCommandReplyMs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dialogue);
        TimerRig rig;
        rig.click(c.start);
        if (c.answer) rig.reply(c.answer);
        if (c.browserButton) rig.f5()[c.browserButton].click();
        rig.quiet(c.limitMs - kReplyTimerMs);
        EXPECT_TRUE(rig.host.boxes.empty());
        rig.quiet(kReplyTimerMs);  // the limit's last tick
        ASSERT_EQ(rig.host.boxes.size(), 1u);
        EXPECT_EQ(rig.host.boxes[0].text,
                  "The mobile does not answer: check the cable, the port and its speed.");
        const DialogueState& st = rig.program->st;
        EXPECT_FALSE(st.Csc_Query_Pending || st.Phonebook_Download || st.Send_Job.active ||
                     st.Store_Job.active || st.Sent_Confirm_Pending || st.Browser_Reading);
        EXPECT_TRUE(rig.port.portOpen());
        EXPECT_FALSE(rig.program->Form3->shown() || rig.host.busy);
        EXPECT_FALSE(rig.dir.exists("Sent.txt") || rig.dir.exists("LogSMS.txt"));
        // The line is put back in step at once; the phone, silent still, is not told of twice.
        EXPECT_TRUE(rig.port.written.ends_with("AT\r"));
        rig.quiet(kPduReplyMs);
        EXPECT_EQ(rig.host.boxes.size(), 1u);
        // The browser stays, and reading goes on after the location the phone left unanswered,
        // once the phone answers again.
        if (rig.f5().shown()) {
            const int next = Browser(*rig.program).Read_Index + 1;
            EXPECT_EQ(rig.click("Command1", &rig.f5()), "AT\r");
            // One "AT" answered of two written: the first is awaited until the line settles.
            EXPECT_EQ(rig.reply("\r\nOK\r\n"), "");
            rig.quiet(kSettleMs);
            EXPECT_EQ(rig.written(), "AT+CMGR=" + std::to_string(next) + "\r");
        }
    }
}

// A send that waits for the prompt may leave the phone taking a PDU: Escape ends that before the
// AT. A phone that answers nothing at all is told of once, and whatever waited is given up.
TEST(ReplyTimer, APhoneSilentToTheATGivesUpWhatWaits) {
    TimerRig rig;
    EXPECT_TRUE(rig.click("Command6").starts_with("AT+CMGS="));
    rig.click("Mn_Test");
    rig.quiet(kCommandReplyMs);
    EXPECT_EQ(rig.written(),
              "\x1b"
              "AT\r");
    rig.quiet(kCommandReplyMs);
    EXPECT_EQ(rig.written(), "");
    EXPECT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_FALSE(rig.program->line.busy());
    EXPECT_EQ(rig.click("Command3"), "AT\r");  // not in step yet
    rig.reply("\r\nOK\r\n");
    rig.quiet(kSettleMs);
    EXPECT_EQ(rig.written(), "AT+CSCA?\r");
}

// Time counts only while the phone is quiet: an answer still arriving, however slowly, is not
// cut short, and an answered command or a port the user closed is not waited for.
TEST(ReplyTimer, OnlyQuietTimeCounts) {
    TimerRig rig;
    rig.form1().menu("Mn_Test").click();
    rig.quiet(kCommandReplyMs - kReplyTimerMs);
    rig.port.arrive("AT+CGMM\r");
    rig.quiet(kCommandReplyMs - kReplyTimerMs);
    rig.port.arrive("\r\nBX-1\r\n\r\nOK\r\n");
    rig.quiet(kPduReplyMs);
    rig.form1().menu("Mn_Test").click();
    rig.port.setPortOpen(false);
    rig.quiet(kPduReplyMs);
    EXPECT_TRUE(rig.host.boxes.empty());
}

}  // namespace
}  // namespace bsms
