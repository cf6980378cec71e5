// What the dialogue benchmarks share: the simulated phone, and a port that counts what crosses it.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "qt/qt_comm_port.h"

extern char** environ;

namespace bench {

// `messages` messages spread over `locations` (every other one when not said), time stamps out of
// order.
inline std::string Scenario(int locations, int messages = 0) {
    std::string s = "sms-capacity SM 255\n";
    char line[200];
    const int step = messages > 0 ? locations / messages : 2;
    for (int i = 1; i <= locations && (messages == 0 || i <= step * messages); i += step) {
        const int t = i * 37 % 256;
        std::snprintf(line, sizeof line,
                      "message index=%d from=+39333%07d time=24/%02d/%02d,%02d:%02d:00+04 "
                      "text=\"Messaggio %d: ci vediamo alle 10.30 in piazza\"\n",
                      i, i * 7919, t % 12 + 1, t % 28 + 1, t % 24, i % 60, i);
        s += line;
    }
    return s;
}

// The simulated phone on the "com1" link of a folder, for as long as the object lives.
class SimPhone {
  public:
    // `options` follow the link on phone-sim's command line.
    SimPhone(const std::filesystem::path& folder, const std::vector<std::string>& options) {
        std::vector<std::string> args{std::string(BSMS_BIN_DIR) + "/phone-sim", "--link",
                                      (folder / "com1").string()};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        char c;  // the device's name comes first, once the link is in place
        while (read(fds[0], &c, 1) == 1 && c != '\n') {
        }
        close(fds[0]);
    }
    ~SimPhone() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    SimPhone(const SimPhone&) = delete;
    SimPhone& operator=(const SimPhone&) = delete;
    bool running() const { return pid_ > 0; }

  private:
    pid_t pid_ = -1;
};

// The serial port, counting the characters that cross it.
class CountingPort : public bsms::qt::QtCommPort {
  public:
    using QtCommPort::QtCommPort;
    void output(const std::string& bytes) override {
        chars += bytes.size();
        QtCommPort::output(bytes);
    }
    std::string input() override {
        std::string s = QtCommPort::input();
        chars += s.size();
        received += s.size();
        return s;
    }
    std::size_t chars = 0;
    std::size_t received = 0;
};

}  // namespace bench
