// The Qt serial port on its own: what it refuses, and the dispatcher on a real pseudo-terminal,
// where Qt raises no second arrival while one is handled, so what the phone sends while a box of
// the dispatcher is open must be fetched when it closes. (Bytes both ways, the comN link and an
// unplugged phone: every end-to-end test of the program.)
#ifdef BSMS_HAVE_QT

#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDeadlineTimer>

#include "app/startup.h"
#include "qt/qt_comm_port.h"
#include "qt_loop.h"
#include "test_support.h"

namespace bsms {
namespace {

TEST(QtSerialPort, OpenFailuresAreCommErrors) {
    test::QtApp();
    test::TempFolder dir;
    qt::QtCommPort port(dir.path());
    port.setCommPort(9);
    std::filesystem::create_symlink(dir.path() / "missing-device", dir.path() / "com9");
    EXPECT_EQ(port.device(), (dir.path() / "com9").string());
    EXPECT_THROW(port.setPortOpen(true), CommError);
    EXPECT_FALSE(port.portOpen());
    EXPECT_THROW(port.setSettings("9600,q,8,1"), CommError);
    EXPECT_THROW(port.setHandshaking(4), CommError);
}

// A pseudo-terminal standing in for the phone: the test writes the phone's side, the program
// opens the other by its path.
struct Pty {
    int master = -1;
    int slave = -1;  // kept open only to look at its input queue
    char name[256] = {};
    Pty() {
        EXPECT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
    }
    ~Pty() {
        close(master);
        close(slave);
    }
    void send(const std::string& bytes) const {
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Bytes sent to the program that it has not read yet.
    int unread() const {
        int n = 0;
        ioctl(slave, FIONREAD, &n);
        return n;
    }
};

TEST(DispatcherOnPort, WhatArrivesDuringABoxIsJudgedWhenItCloses) {
    test::QtApp();
    test::TempFolder dir;
    Pty pty;
    std::filesystem::create_symlink(pty.name, dir.path() / "com1");
    // Each box runs its own event loop, as a real box does, until the port has taken in what the
    // phone sent while it was open.
    test::ScriptedHost host;
    host.duringBox = [&](const MessageBoxSpec&) {
        if (host.boxes.size() == 1) pty.send("RING\r\n");
        QDeadlineTimer deadline(10000);
        while (pty.unread() > 0 && !deadline.hasExpired())
            test::QtApp().processEvents(QEventLoop::AllEvents, 10);
        test::QtApp().processEvents();
    };
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
