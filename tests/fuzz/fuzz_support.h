// A port and a desktop for the fuzz targets: the port keeps what is written, the desktop answers
// every box and window at once with answers taken from the input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "core/comm_port.h"
#include "core/host.h"

namespace bsms::fuzz {

class Port : public CommPort {
  public:
    bool portOpen() const override { return open_; }
    void output(const std::string& bytes) override {
        written += bytes;
        if (written.size() > 1 << 16) written.erase(0, written.size() / 2);
    }
    std::string input() override { return std::exchange(pending, {}); }
    void arrive(std::string_view bytes) {
        pending += bytes;
        raiseComm();
    }
    std::string pending;
    std::string written;

  protected:
    void open() override { open_ = true; }
    void close() override { open_ = false; }

  private:
    bool open_ = false;
};

class Desktop : public Host {
  public:
    // Answers come from these bytes in turn; OK once they run out.
    std::string_view answers;
    MsgResult msgBox(const MessageBoxSpec&) override {
        if (answers.empty()) return MsgResult::Ok;
        const auto a = static_cast<std::uint8_t>(answers.front());
        answers.remove_prefix(1);
        return static_cast<MsgResult>(a % 4);
    }
    void showModal(Window& window) override {
        window.load();
        window.setShown(true);
        window.activate();
        if (window.shown()) window.unload();
    }
    std::optional<std::string> saveFileDialog(const SaveDialogSpec&) override { return {}; }
    void setBusyPointer(bool) override {}
    void startProgram(const std::string&, const std::vector<std::string>&) override {}
    void openUrl(const std::string&) override {}
    void openDocument(const std::string&) override {}
    void quit() override {}
};

}  // namespace bsms::fuzz
