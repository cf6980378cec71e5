// A pseudo-terminal standing in for a serial device: the test holds the phone's side (master),
// the program opens the other side by its path.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>
#include <QDeadlineTimer>

#include "qt_loop.h"

namespace bsms::test {

struct Pty {
    int master = -1;
    int slaveFd = -1;  // kept open only to look at the device's input queue
    std::string slave;
    Pty() {
        char name[256] = {};
        EXPECT_EQ(::openpty(&master, &slaveFd, name, nullptr, nullptr), 0);
        termios t{};
        ::tcgetattr(slaveFd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slaveFd, TCSANOW, &t);
        slave = name;
    }
    ~Pty() {
        if (master >= 0) ::close(master);
        if (slaveFd >= 0) ::close(slaveFd);
    }
    void send(const std::string& bytes) const {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Bytes sent to the device that nobody has read from it yet.
    int unread() const {
        int n = 0;
        ::ioctl(slaveFd, FIONREAD, &n);
        return n;
    }
    // What the program wrote, up to and including a CR, while Qt's events run.
    std::string readSome() {
        std::string out;
        pollfd p{master, POLLIN, 0};
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            QtApp().processEvents(QEventLoop::AllEvents, 10);
            if (::poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
                char buf[256];
                const ssize_t n = ::read(master, buf, sizeof buf);
                if (n > 0) out.append(buf, static_cast<std::size_t>(n));
                if (!out.empty() && out.back() == '\r') break;
            }
        }
        return out;
    }
};

}  // namespace bsms::test
