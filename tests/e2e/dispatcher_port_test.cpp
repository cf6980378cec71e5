// The dispatcher on the real serial port: Qt raises no second arrival while one is handled, so
// what the phone sends while a box of the dispatcher is open must be fetched when it closes.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>
#include <QEventLoop>

#include "app/startup.h"
#include "pty.h"
#include "qt/qt_comm_port.h"
#include "test_support.h"

namespace bsms {
namespace {

// Answers every box after running its own event loop, as a real box does, until the port has
// taken in everything the phone sent while it was open.
class LoopingHost : public test::ScriptedHost {
  public:
    explicit LoopingHost(const test::Pty& pty) : pty_(pty) {}
    MsgResult msgBox(const MessageBoxSpec& box) override {
        if (boxes.empty()) pty_.send("RING\r\n");
        QDeadlineTimer deadline(10000);
        while (pty_.unread() > 0 && !deadline.hasExpired())
            test::QtApp().processEvents(QEventLoop::AllEvents, 10);
        test::QtApp().processEvents();
        return ScriptedHost::msgBox(box);
    }

  private:
    const test::Pty& pty_;
};

TEST(DispatcherOnPort, WhatArrivesDuringABoxIsJudgedWhenItCloses) {
    test::QtApp();
    test::TempFolder dir;
    test::Pty pty;
    std::filesystem::create_symlink(pty.slave, dir.path() / "com1");
    LoopingHost host(pty);
    qt::QtCommPort port(dir.path());
    const auto program = MakeProgram(host, port, dir.path());
    program->Form1->load();
    program->Form1->menu("Mn_Apri").click();
    ASSERT_TRUE(port.portOpen());

    pty.send("AT\r\r\nERROR\r\n");
    const Control& box = (*program->Form1)["Text1"];
    ASSERT_TRUE(test::RunUntil([&] { return !host.boxes.empty(); }));
    EXPECT_EQ(host.boxes[0].text, "Comando non accettato dal telefonino");
    // No byte follows the RING, so nothing but the dispatcher itself can bring it in.
    EXPECT_TRUE(test::RunUntil([&] { return box.text().ends_with("RING\r\n"); })) << box.text();
    EXPECT_EQ(box.text(), "AT\r\r\nERROR\r\nRING\r\n");
    EXPECT_EQ(host.boxes.size(), 1u);
}

}  // namespace
}  // namespace bsms

#endif
