// Test doubles: a serial port that records what is written and delivers scripted arrivals, a
// desktop host that answers message boxes from a script, and a temporary program folder.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/comm_port.h"
#include "core/host.h"
#include "core/program.h"

namespace bsms::test {

class FakeCommPort : public CommPort {
  public:
    bool portOpen() const override { return open_; }
    void output(const std::string& bytes) override {
        if (!onWrite) written += bytes;
        if (onWrite && open_) onWrite(bytes);
    }
    std::string input() override { return std::exchange(pending_, {}); }
    // Characters arrive and the arrival event runs, as on the window thread. As with Qt Serial
    // Port, no second event is raised while one is being handled: the bytes only wait.
    void arrive(const std::string& bytes) {
        pending_ += bytes;
        if (inEvent_) return;
        inEvent_ = true;
        raiseComm();
        inEvent_ = false;
    }

    std::string written;
    // Set, writes go to a simulated phone instead, and closing tells it.
    std::function<void(const std::string&)> onWrite;
    std::function<void()> onClose;
    bool failOpen = false;
    bool denyOpen = false;

  protected:
    void open() override {
        if (denyOpen)
            throw CommError(CommError::Kind::NoPermission, "Permission denied", "/dev/ttyUSB0");
        if (failOpen) throw CommError(CommError::Kind::OpenFailed, "No such device");
        open_ = true;
    }
    void close() override {
        open_ = false;
        if (onClose) onClose();
    }

  private:
    bool open_ = false;
    bool inEvent_ = false;
    std::string pending_;
};

class ScriptedHost : public Host {
  public:
    // Answers given to message boxes in turn; Ok (or the default button) when the script is empty.
    std::deque<MsgResult> answers;
    std::vector<MessageBoxSpec> boxes;
    // Runs while a box is open (to deliver arrivals during it, say).
    std::function<void(const MessageBoxSpec&)> duringBox;
    // Runs while a modal window is shown; the window is unloaded afterwards unless already.
    std::function<void(Window&)> duringModal;
    std::vector<std::pair<std::string, std::vector<std::string>>> started;
    std::vector<std::string> urls;
    std::vector<std::string> documents;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::optional<std::string>> openAnswers;
    std::vector<SaveDialogSpec> saveDialogs;
    bool busy = false;
    bool quitCalled = false;
    bool keepModalOpen = false;  // showModal returns with the window still shown

    MsgResult msgBox(const MessageBoxSpec& box) override;
    void showModal(Window& window) override;
    std::optional<std::string> saveFileDialog(const SaveDialogSpec& dialog) override;
    std::optional<std::string> openFileDialog(const SaveDialogSpec&) override {
        if (openAnswers.empty()) return std::nullopt;
        auto r = openAnswers.front();
        openAnswers.pop_front();
        return r;
    }
    void setBusyPointer(bool on) override { busy = on; }
    void startProgram(const std::string& program, const std::vector<std::string>& args) override {
        started.emplace_back(program, args);
    }
    void openUrl(const std::string& url) override { urls.push_back(url); }
    void openDocument(const std::string& path) override { documents.push_back(path); }
    void quit() override { quitCalled = true; }
    void notify(const Notification& n) override { notices.push_back(n); }
    std::vector<Notification> notices;
};

// A text of n characters the alphabet carries, no part of it like its neighbour.
inline std::string Text(std::size_t n) {
    std::string s;
    for (int i = 0; s.size() < n; ++i)
        s += "Part " + std::to_string(i) + ": ci vediamo alle 10.30 in piazza! ";
    return s.substr(0, n);
}

// Local time is UTC from here on, for the tests that read local times.
void UseUtc();

// A fresh folder under the system's temporary folder, removed at the end.
// The whole of a file, empty when there is none.
std::string ReadFile(const std::filesystem::path& file);

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path& path() const { return path_; }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

// A program on a fake port and a scripted host in a temporary folder.
struct Rig {
    TempFolder dir;
    FakeCommPort port;
    ScriptedHost host;
    std::unique_ptr<Program> program;
    // Builds the program (after files have been written into dir) and runs start-up; a port
    // opened there finds a SIM that wants no PIN, and is asked to announce new messages, which this
    // phone does not offer, unless `offersIndications` (the question is then left for the test to
    // answer).
    Program& start(bool offersIndications = false);
    Window& form1() { return *program->Form1; }
    // What the program wrote since the last look.
    std::string written() { return std::exchange(port.written, {}); }
    // The phone echoes the command line just written and sends `bytes`; what the program wrote
    // back, kept for the next reply's echo.
    std::string reply(const std::string& bytes);
    // The phone echoes whatever is on the line and answers OK, until nothing is.
    void settle();
    // The phone stays quiet for `ms`: the main window's Timer2 ticks that long.
    void quiet(int ms);
    // Clicks the menu item or control `name` of `w`, the main window if none; what that wrote,
    // kept likewise.
    std::string click(const char* name, Window* w = nullptr);
};

}  // namespace bsms::test
