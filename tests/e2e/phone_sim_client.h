// Drives build/bin/phone-sim as a client would: starts it on a link in a temporary folder and
// talks to the pseudo-terminal. Every read waits for an expected ending; giving up after a long
// silence only guards against a hang.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

extern char** environ;

namespace phonesim_test {

namespace fs = std::filesystem;
using Done = std::function<bool(const std::string&)>;

// Reads from fd into `got` until `done(got)`: 1 when it is, 0 when the other side has gone, -1
// after ten seconds without a byte.
inline int ReadFor(int fd, std::string& got, const Done& done) {
    for (int quiet = 0; !done(got);) {
        pollfd p{fd, POLLIN, 0};
        char buf[4096];
        ssize_t n = -1;
        if (poll(&p, 1, 100) > 0)
            n = read(fd, buf, sizeof buf);
        else
            errno = EAGAIN;
        if (n > 0)
            got.append(buf, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EAGAIN)
            return 0;
        else if (++quiet == 100)
            return -1;
    }
    return 1;
}
inline const Done kNever = [](const std::string&) { return false; };

// Starts phone-sim; its standard output (and error, with `both`) comes out of the returned pipe.
inline int Spawn(const std::vector<std::string>& args, bool both, pid_t& pid) {
    std::string tool = std::string(BSMS_BIN_DIR) + "/phone-sim";
    std::vector<char*> argv{tool.data()};
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    if (both) posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc == 0) return fds[0];
    close(fds[0]);
    pid = -1;
    return -1;
}

// Reads the output to its end and returns the exit status (-1 when killed).
inline int Finish(pid_t pid, int fd, std::string& out) {
    if (ReadFor(fd, out, kNever) < 0) {
        ADD_FAILURE() << "phone-sim did not exit";
        kill(pid, SIGKILL);
    }
    close(fd);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs phone-sim to its end (for --help and --check): the exit status and both streams.
inline std::pair<int, std::string> RunTool(const std::vector<std::string>& args) {
    pid_t pid = -1;
    std::string out;
    int fd = Spawn(args, true, pid);
    return {fd < 0 ? -1 : Finish(pid, fd, out), out};
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One running simulator on DIR/com1, logging what it sends to DIR/sent.log. Extra arguments
// follow these.
class PhoneSim {
  public:
    explicit PhoneSim(const std::vector<std::string>& args = {}, const std::string& scenario = "") {
        std::vector<std::string> all{"--link", link().string(), "--sent-log", SentLog()};
        if (!scenario.empty()) {
            dir_.write("scenario.txt", scenario);
            all.insert(all.end(), {"--scenario", (dir_.path() / "scenario.txt").string()});
        }
        all.insert(all.end(), args.begin(), args.end());
        out_ = Spawn(all, false, pid_);
        if (out_ < 0 || ReadFor(out_, device_, [](auto& s) { return s.ends_with('\n'); }) != 1)
            ADD_FAILURE() << "phone-sim printed no device";
        device_ = device_.substr(0, device_.find('\n'));
    }
    ~PhoneSim() { Stop(); }

    const std::string& device() const { return device_; }
    fs::path link() const { return dir_.path() / "com1"; }
    pid_t pid() const { return pid_; }
    std::string sent() const { return ReadFile(SentLog()); }

    // Sends a signal (0: none) and waits for the exit; returns the exit status (-1 when killed).
    int Stop(int sig = SIGTERM) {
        if (pid_ > 0) {
            kill(pid_, sig);
            std::string rest;
            exit_ = Finish(pid_, out_, rest);
            pid_ = -1;
        }
        return exit_;
    }

  private:
    std::string SentLog() const { return (dir_.path() / "sent.log").string(); }

    bsms::test::TempFolder dir_;
    pid_t pid_ = -1;
    int out_ = -1;
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
        if (ReadFor(fd_, pending_, done) != 1)
            ADD_FAILURE() << "no complete answer, got " << ::testing::PrintToString(pending_);
        return std::exchange(pending_, {});
    }
    std::string ReadUntil(const std::string& ending) {
        return ReadUntil([&](const std::string& s) { return s.ends_with(ending); });
    }
    // Up to a final result code or the "> " prompt.
    std::string Reply() {
        static const std::regex final(
            "(\r\n(OK|ERROR)|\\+CM[ES] ERROR: [^\r\n]*|COMMAND NOT SUPPORT)\r\n$|\r\n> $");
        return ReadUntil([](const std::string& s) { return std::regex_search(s, final); });
    }
    // Sends a command line (CR added) and returns the answer.
    std::string Command(const std::string& command) {
        Send(command + "\r");
        return Reply();
    }
    // Waits until the other side has gone: true when it has.
    bool WaitGone() { return ReadFor(fd_, pending_, kNever) == 0; }

  private:
    int fd_;
    std::string pending_;
};

// What a phone answers to a command line with echo on: the echo, then the lines and the result.
inline std::string Answer(const std::string& command, const std::vector<std::string>& lines,
                          const std::string& final = "OK") {
    std::string s = command + "\r";
    for (const auto& line : lines)
        s += "\r\n" + line;
    if (!lines.empty()) s += "\r\n";
    return s + "\r\n" + final + "\r\n";
}

// A command line and what the phone is to answer to it with echo on.
struct Step {
    std::string command;
    std::vector<std::string> lines;
    std::string final = "OK";
};
inline void ExpectAnswers(Line& line, const std::vector<Step>& steps) {
    for (const auto& s : steps)
        EXPECT_EQ(line.Command(s.command), Answer(s.command, s.lines, s.final)) << s.command;
}

}  // namespace phonesim_test
