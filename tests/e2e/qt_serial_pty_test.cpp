// The Qt serial port against a real pseudo-terminal: bytes both ways, the arrival event on the
// window thread, port numbers through the "comN" link, and an unplugged device.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include "pty.h"
#include "qt/qt_comm_port.h"
#include "test_support.h"

namespace bsms {
namespace {

using test::Pty;

TEST(QtSerialPort, BytesBothWaysThroughTheComLinkAndUnplug) {
    test::QtApp();
    test::TempFolder dir;
    Pty pty;
    std::filesystem::create_symlink(pty.slave, dir.path() / "com3");

    qt::QtCommPort port(dir.path());
    port.setCommPort(3);
    port.setSettings("115200,n,8,1");
    EXPECT_EQ(port.device(), (dir.path() / "com3").string());
    std::string received;
    int events = 0;
    port.onComm = [&] {
        ++events;
        received += port.input();
    };
    port.setPortOpen(true);
    ASSERT_TRUE(port.portOpen());

    port.output("AT+CGMM\r");
    EXPECT_EQ(pty.readSome(), "AT+CGMM\r");

    const std::string reply = "AT+CGMM\r\r\nSIM900 \xE8\r\n\r\nOK\r\n";
    ASSERT_EQ(::write(pty.master, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
    ASSERT_TRUE(test::RunUntil([&] { return received.size() >= reply.size(); }));
    EXPECT_EQ(received, reply);
    EXPECT_GE(events, 1);

    // The other side goes away: the port closes itself instead of spinning on read errors.
    ::close(pty.master);
    pty.master = -1;
    EXPECT_TRUE(test::RunUntil([&] { return !port.portOpen(); }));
    port.setPortOpen(false);  // closing a closed port is harmless
}

TEST(QtSerialPort, OpenFailuresAreCommErrors) {
    test::QtApp();
    test::TempFolder dir;
    qt::QtCommPort port(dir.path());
    port.setCommPort(9);
    std::filesystem::create_symlink(dir.path() / "missing-device", dir.path() / "com9");
    EXPECT_THROW(port.setPortOpen(true), CommError);
    EXPECT_FALSE(port.portOpen());
    EXPECT_THROW(port.setSettings("9600,q,8,1"), CommError);
    EXPECT_THROW(port.setHandshaking(4), CommError);
}

}  // namespace
}  // namespace bsms

#endif
