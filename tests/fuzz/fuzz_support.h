// What the fuzz targets share: a property check that stops the run, the input as text, a port
// fed from the input, and a desktop that answers every box and window at once from the input.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/text.h"
#include "core/comm_port.h"
#include "core/host.h"

namespace bsms::fuzz {

inline void Check(bool ok, const char* property) {
    if (ok) return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

inline bool ValidUtf8(std::string_view s) {
    return U32ToUtf8(Utf8ToU32(s)) == s;
}

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number whose digits start at `at`, as far as they go, held at `most`; `at` moves past them.
inline long Number(std::string_view s, std::size_t& at, long most) {
    long value = 0;
    for (; at < s.size() && IsDigit(s[at]); ++at)
        value = std::min(value * 10 + (s[at] - '0'), most);
    return value;
}

// The text without the bytes `drop` names: a field as a file line can hold it.
inline std::string Without(std::string_view s, std::string_view drop) {
    std::string out;
    for (char c : s)
        if (drop.find(c) == std::string_view::npos) out += c;
    return out;
}

class Port : public CommPort {
  public:
    bool portOpen() const override { return open_; }
    void output(const std::string&) override {}
    std::string input() override { return std::exchange(pending_, {}); }
    void arrive(std::string_view bytes) {
        pending_ += bytes;
        raiseComm();
    }

  protected:
    void open() override { open_ = true; }
    void close() override { open_ = false; }

  private:
    bool open_ = false;
    std::string pending_;
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
