// What the fuzz targets share: a property check that stops the run, the input as text, a port
// and a desktop that answers every box and window at once from the input.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.h"
#include "test_support.h"

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

// The port and desktop of the unit tests; a box takes the answer a byte of the input names.
using Port = test::FakeCommPort;
using Desktop = test::ScriptedHost;

inline void Answer(Desktop& desktop, std::string_view bytes) {
    desktop.boxes.clear();
    desktop.answers.clear();
    for (char c : bytes)
        desktop.answers.push_back(static_cast<MsgResult>(static_cast<std::uint8_t>(c) % 4));
}

}  // namespace bsms::fuzz
