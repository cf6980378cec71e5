// Drives build/bin/phone-sim as a client would: starts it on a link in a temporary folder and
// talks to the pseudo-terminal. Every read waits for an expected ending with a generous deadline,
// which only guards against a hang.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

extern char** environ;

namespace phonesim_test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(10);

inline int MsLeft(Clock::time_point end) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// One running simulator. Extra arguments follow "--link DIR/com1"; "{dir}" in them stands for
// the simulator's temporary folder.
class PhoneSim {
  public:
    explicit PhoneSim(const std::vector<std::string>& args = {}, const std::string& scenario = "") {
        if (!scenario.empty()) {
            dir_.write("scenario.txt", scenario);
            Start(Args({"--scenario", (dir_.path() / "scenario.txt").string()}, args));
        } else {
            Start(Args({}, args));
        }
    }
    ~PhoneSim() {
        if (pid_ > 0) Stop();
        if (out_ >= 0) close(out_);
    }

    const std::string& device() const { return device_; }
    fs::path link() const { return dir_.path() / "com1"; }
    fs::path file(const std::string& name) const { return dir_.path() / name; }
    pid_t pid() const { return pid_; }

    // Sends a signal and waits for the exit; returns the exit status (-1 when killed).
    int Stop(int sig = SIGTERM) {
        if (pid_ <= 0) return exit_;
        kill(pid_, sig);
        return Wait();
    }
    // Waits for the process to end by itself (within the deadline).
    int Wait() {
        auto end = Clock::now() + kDeadline;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (MsLeft(end) == 0) {
                ADD_FAILURE() << "phone-sim did not exit";
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            usleep(10000);
        }
        pid_ = -1;
        exit_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return exit_;
    }

  private:
    std::vector<std::string> Args(std::vector<std::string> first,
                                  const std::vector<std::string>& more) {
        std::vector<std::string> all{std::string(BSMS_BIN_DIR) + "/phone-sim", "--link",
                                     link().string()};
        all.insert(all.end(), first.begin(), first.end());
        for (std::string a : more) {
            if (auto at = a.find("{dir}"); at != std::string::npos)
                a.replace(at, 5, dir_.path().string());
            all.push_back(a);
        }
        return all;
    }

    void Start(const std::vector<std::string>& args) {
        int pipefd[2];
        ASSERT_EQ(pipe(pipefd), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipefd[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipefd[0]);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipefd[1]);
        out_ = pipefd[0];
        ASSERT_EQ(rc, 0) << "cannot start " << argv[0];
        // The first line is the device.
        auto end = Clock::now() + kDeadline;
        std::string line;
        while (line.find('\n') == std::string::npos && MsLeft(end) > 0) {
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, MsLeft(end)) <= 0) continue;
            char buf[256];
            ssize_t n = read(out_, buf, sizeof buf);
            if (n <= 0) break;
            line.append(buf, static_cast<std::size_t>(n));
        }
        ASSERT_NE(line.find('\n'), std::string::npos) << "phone-sim printed no device";
        device_ = line.substr(0, line.find('\n'));
    }

    bsms::test::TempFolder dir_;
    pid_t pid_ = -1;
    int out_ = -1;
    int exit_ = 0;
    std::string device_;
};

// An open connection to the device, raw as a serial port is.
class Line {
  public:
    explicit Line(const fs::path& device) {
        fd_ = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_GE(fd_, 0) << "cannot open " << device;
        termios t{};
        if (fd_ >= 0 && tcgetattr(fd_, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~Line() { Close(); }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    void Send(const std::string& bytes) {
        std::size_t done = 0;
        auto end = Clock::now() + kDeadline;
        while (done < bytes.size() && MsLeft(end) > 0) {
            ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else
                usleep(1000);
        }
        ASSERT_EQ(done, bytes.size());
    }

    // Reads until what arrived since the last read satisfies `complete`; returns all of it.
    std::string ReadUntil(const std::function<bool(const std::string&)>& complete) {
        auto end = Clock::now() + kDeadline;
        while (!complete(pending_)) {
            pollfd p{fd_, POLLIN, 0};
            if (MsLeft(end) == 0) {
                ADD_FAILURE() << "no complete answer, got \"" << Visible(pending_) << "\"";
                break;
            }
            if (poll(&p, 1, MsLeft(end)) <= 0) continue;
            char buf[4096];
            ssize_t n = read(fd_, buf, sizeof buf);
            if (n > 0)
                pending_.append(buf, static_cast<std::size_t>(n));
            else if (n == 0 || errno != EAGAIN) {
                ADD_FAILURE() << "device gone while reading, got \"" << Visible(pending_) << "\"";
                break;
            }
        }
        std::string out;
        out.swap(pending_);
        return out;
    }
    std::string ReadUntil(const std::string& ending) {
        return ReadUntil([&](const std::string& s) {
            return s.size() >= ending.size() &&
                   s.compare(s.size() - ending.size(), ending.size(), ending) == 0;
        });
    }
    // Up to a final result code or the "> " prompt.
    std::string Reply() {
        return ReadUntil([](const std::string& s) {
            auto ends = [&](const std::string& e) {
                return s.size() >= e.size() && s.compare(s.size() - e.size(), e.size(), e) == 0;
            };
            if (ends("\r\nOK\r\n") || ends("\r\nERROR\r\n") || ends("\r\n> ") ||
                ends("COMMAND NOT SUPPORT\r\n"))
                return true;
            // An extended error: the last line starts with "+CMS ERROR: " or "+CME ERROR: ".
            if (!ends("\r\n") || s.size() < 4) return false;
            std::size_t start = s.rfind("\r\n", s.size() - 3);
            std::string last = s.substr(start == std::string::npos ? 0 : start + 2);
            return last.rfind("+CMS ERROR: ", 0) == 0 || last.rfind("+CME ERROR: ", 0) == 0;
        });
    }
    // Sends a command line (CR added) and returns the answer.
    std::string Command(const std::string& command) {
        Send(command + "\r");
        return Reply();
    }

    // Waits until the other side has gone: true when it has.
    bool WaitGone() {
        auto end = Clock::now() + kDeadline;
        while (MsLeft(end) > 0) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, MsLeft(end)) <= 0) continue;
            if (p.revents & (POLLHUP | POLLERR)) return true;
            char buf[256];
            ssize_t n = read(fd_, buf, sizeof buf);
            if (n == 0 || (n < 0 && errno != EAGAIN)) return true;
        }
        return false;
    }

    static std::string Visible(const std::string& s) {
        std::string v;
        for (unsigned char c : s) {
            if (c == '\r')
                v += "\\r";
            else if (c == '\n')
                v += "\\n";
            else if (c < 32)
                v +=
                    "\\x" + std::string(1, "0123456789ABCDEF"[c >> 4]) + "0123456789ABCDEF"[c & 15];
            else
                v += static_cast<char>(c);
        }
        return v;
    }

  private:
    int fd_ = -1;
    std::string pending_;
};

// What a phone answers to a command line with echo on: the echo, then the lines and OK.
inline std::string Answer(const std::string& command, const std::vector<std::string>& lines,
                          const std::string& final = "OK") {
    std::string s = command + "\r";
    if (!lines.empty()) {
        s += "\r\n";
        for (std::size_t i = 0; i < lines.size(); ++i)
            s += (i ? "\r\n" : "") + lines[i];
        s += "\r\n";
    }
    return s + "\r\n" + final + "\r\n";
}

// Runs phone-sim to its end (for --help and --check); returns the exit status and the output of
// both streams.
inline std::pair<int, std::string> RunTool(const std::vector<std::string>& args) {
    std::vector<std::string> all{std::string(BSMS_BIN_DIR) + "/phone-sim"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (const auto& a : all)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipefd[2];
    if (pipe(pipefd) != 0) return {-1, ""};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipefd[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipefd[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipefd[0]);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipefd[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while (rc == 0 && (n = read(pipefd[0], buf, sizeof buf)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    close(pipefd[0]);
    int status = 0;
    if (rc != 0 || waitpid(pid, &status, 0) != pid) return {-1, out};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace phonesim_test
