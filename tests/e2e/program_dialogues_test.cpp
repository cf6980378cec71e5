// The real serial port: a device it cannot open, and what arrives while the dispatcher's box is up
// (Qt raises no second arrival while one is handled, so the dispatcher must fetch it when the box
// closes).
#ifdef BSMS_HAVE_QT

#include <fcntl.h>
#include <sys/ioctl.h>

#include <gtest/gtest.h>
#include <QThread>

#include "program_on_sim.h"

namespace bsms {
namespace {

using test::ProgramOnSim;
using test::RunUntil;

TEST(DispatcherOnPort, WhatArrivesDuringABoxIsJudgedWhenItCloses) {
    ProgramOnSim rig({"--set", "arrival from=+393330000002 text=Ciao"});
    // The device's input queue: what the phone sent that the port has not read yet.
    const int tty = open(rig.sim.device().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    const auto unread = [&] {
        int n = 0;
        ioctl(tty, FIONREAD, &n);
        return n;
    };
    // The message arrives while the box is up; the box runs its own event loop, as a real one
    // does, until the port has taken it in. No byte follows, so only the dispatcher itself can
    // then bring it into the receive box.
    rig.host.duringBox = [&](const MessageBoxSpec&) {
        kill(rig.sim.pid(), SIGUSR1);
        for (QDeadlineTimer wait(10000); unread() == 0 && !wait.hasExpired();)
            QThread::msleep(1);
        EXPECT_TRUE(RunUntil([&] { return unread() == 0; }));
    };
    rig.program->Send(CommandLine(Owner::Probe, "AT+XYZZY"));
    ASSERT_TRUE(RunUntil([&] { return !rig.host.boxes.empty(); }));
    EXPECT_EQ(rig.host.boxes[0].text, "Command didn't accept by mobile");
    // Judged, it is read for its notification.
    EXPECT_TRUE(RunUntil([&] { return !rig.host.notices.empty(); })) << rig.received();
    EXPECT_TRUE(rig.received().starts_with(
        "AT+XYZZY\r\r\nERROR\r\n\r\n+CMTI: \"SM\",7\r\nAT+CMGR=7\r\r\n+CMGR:"));
    EXPECT_EQ(rig.host.boxes.size(), 1u);
    close(tty);
}

}  // namespace
}  // namespace bsms

#endif
