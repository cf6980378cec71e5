// Drives build/bin/phone-sim as a client would: started on a link in a temporary folder, talked to
// through its pseudo-terminal. Every read waits for an expected ending; giving up after ten seconds
// without a byte only guards against a hang.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>

#include "test_support.h"

namespace phonesim_test {

namespace fs = std::filesystem;
using Done = std::function<bool(const std::string&)>;

// Runs phone-sim to its end (--check, a refused start): the exit status and both streams.
inline std::pair<int, std::string> RunTool(const std::string& args) {
    FILE* p = popen((BSMS_BIN_DIR "/phone-sim " + args + " 2>&1").c_str(), "r");
    std::string out;
    char buf[4096];
    while (const std::size_t n = fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    const int status = pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// One running simulator on DIR/com1, logging what it sends to DIR/sent.log; the arguments come
// after these (a later --link wins).
class PhoneSim {
  public:
    explicit PhoneSim(const std::vector<std::string>& args = {}) {
        // The shell's pid is the simulator's once it is replaced by it; then the device's path.
        std::string command = "echo $$; exec " BSMS_BIN_DIR "/phone-sim --link " + link().string() +
                              " --sent-log " + (dir_.path() / "sent.log").string();
        for (const std::string& a : args)
            command += " '" + std::regex_replace(a, std::regex("'"), "'\\''") + "'";
        out_ = popen(command.c_str(), "r");
        char device[256] = {};
        if (fscanf(out_, "%d %255s", &pid_, device) != 2)
            ADD_FAILURE() << "phone-sim did not start";
        device_ = device;
    }
    ~PhoneSim() { Stop(); }

    const std::string& device() const { return device_; }
    fs::path link() const { return dir_.path() / "com1"; }
    int pid() const { return pid_; }
    std::string sent() const { return dir_.read("sent.log"); }

    // Sends a signal (0: none) and waits for the exit; the exit status, -1 when killed.
    int Stop(int sig = SIGTERM) {
        if (out_ != nullptr) {
            if (pid_ > 0) kill(pid_, sig);
            const int status = pclose(std::exchange(out_, nullptr));
            exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return exit_;
    }

  private:
    bsms::test::TempFolder dir_;
    FILE* out_ = nullptr;
    int pid_ = -1;
    int exit_ = 0;
    std::string device_;
};

// An open connection to the device, raw as a serial port is.
class Line {
  public:
    explicit Line(const fs::path& device)
        : fd_(open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        EXPECT_GE(fd_, 0) << "cannot open " << device;
        termios t{};
        if (tcgetattr(fd_, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~Line() { close(fd_); }

    // A pseudo-terminal takes these few bytes at once.
    void Send(const std::string& bytes) {
        ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads until what arrived since the last read satisfies `done`; returns all of it.
    std::string ReadUntil(const Done& done) {
        for (int quiet = 0; !done(pending_);) {
            pollfd p{fd_, POLLIN, 0};
            char buf[4096];
            const ssize_t n = poll(&p, 1, 100) > 0 ? read(fd_, buf, sizeof buf) : 0;
            if (n > 0) {
                pending_.append(buf, static_cast<std::size_t>(n));
            } else if (n < 0 || ++quiet == 100) {
                ADD_FAILURE() << "no complete answer, got " << ::testing::PrintToString(pending_);
                break;
            }
        }
        return std::exchange(pending_, {});
    }
    // Sends a command line (CR added) and returns the answer: up to a final result code or the
    // "> " prompt.
    std::string Command(const std::string& command) {
        static const std::regex final("(\r\n(OK|ERROR)|\\+CM[ES] ERROR: [^\r\n]*)\r\n$|\r\n> $");
        Send(command + "\r");
        return ReadUntil([](const std::string& s) { return std::regex_search(s, final); });
    }

  private:
    int fd_;
    std::string pending_;
};

// Answers with echo off: the information lines and OK, or a final result alone.
inline std::string Ok(const std::vector<std::string>& lines = {}) {
    std::string s;
    for (const std::string& line : lines)
        s += "\r\n" + line;
    return s + (lines.empty() ? "" : "\r\n") + "\r\nOK\r\n";
}
inline std::string Fail(const std::string& result) {
    return "\r\n" + result + "\r\n";
}

// A command line (or PDU) and what the phone answers to it.
struct Step {
    std::string command;
    ::testing::Matcher<const std::string&> answer;
};
inline void ExpectAnswers(Line& line, const std::vector<Step>& steps) {
    for (const Step& s : steps)
        EXPECT_THAT(line.Command(s.command), s.answer) << ::testing::PrintToString(s.command);
}

}  // namespace phonesim_test
