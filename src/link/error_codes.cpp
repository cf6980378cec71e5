#include "link/error_codes.h"

#include <array>
#include <cctype>
#include <charconv>
#include <string>
#include <utility>

namespace bsms {

namespace {

using Entry = std::pair<int, std::string_view>;

// TS 27.005, 3.2.5: the errors of the phone itself (network causes below 300 have no words).
constexpr std::array<Entry, 27> kCmsTexts = {{
    {300, "ME failure"},
    {301, "SMS service of ME reserved"},
    {302, "operation not allowed"},
    {303, "operation not supported"},
    {304, "invalid PDU mode parameter"},
    {305, "invalid text mode parameter"},
    {310, "SIM not inserted"},
    {311, "SIM PIN required"},
    {312, "PH-SIM PIN required"},
    {313, "SIM failure"},
    {314, "SIM busy"},
    {315, "SIM wrong"},
    {316, "SIM PUK required"},
    {317, "SIM PIN2 required"},
    {318, "SIM PUK2 required"},
    {320, "memory failure"},
    {321, "invalid memory index"},
    {322, "memory full"},
    {330, "SMSC address unknown"},
    {331, "no network service"},
    {332, "network timeout"},
    {340, "no +CNMA acknowledgement expected"},
    {500, "unknown error"},
    // Words some phones use for the same codes.
    {321, "invalid index"},
    {322, "SIM memory full"},
    {331, "no network"},
    {500, "unknown"},
}};

// TS 27.007, 9.2.
constexpr std::array<Entry, 40> kCmeTexts = {{
    {0, "phone failure"},
    {1, "no connection to phone"},
    {2, "phone-adaptor link reserved"},
    {3, "operation not allowed"},
    {4, "operation not supported"},
    {5, "PH-SIM PIN required"},
    {6, "PH-FSIM PIN required"},
    {7, "PH-FSIM PUK required"},
    {10, "SIM not inserted"},
    {11, "SIM PIN required"},
    {12, "SIM PUK required"},
    {13, "SIM failure"},
    {14, "SIM busy"},
    {15, "SIM wrong"},
    {16, "incorrect password"},
    {17, "SIM PIN2 required"},
    {18, "SIM PUK2 required"},
    {20, "memory full"},
    {21, "invalid index"},
    {22, "not found"},
    {23, "memory failure"},
    {24, "text string too long"},
    {25, "invalid characters in text string"},
    {26, "dial string too long"},
    {27, "invalid characters in dial string"},
    {30, "no network service"},
    {31, "network timeout"},
    {32, "network not allowed - emergency calls only"},
    {40, "network personalization PIN required"},
    {41, "network personalization PUK required"},
    {42, "network subset personalization PIN required"},
    {43, "network subset personalization PUK required"},
    {44, "service provider personalization PIN required"},
    {45, "service provider personalization PUK required"},
    {46, "corporate personalization PIN required"},
    {47, "corporate personalization PUK required"},
    {48, "PH-SIM PUK required"},
    {100, "unknown"},
    // Words some phones use for the same codes.
    {2, "phone adapter link reserved"},
    {100, "unknown error"},
}};

// Letters and digits only, in lower case: phones differ in case, blanks and hyphens.
std::string Folded(std::string_view words) {
    std::string out;
    for (char c : words)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::optional<int> FromWords(std::span<const Entry> table, std::string_view words) {
    const std::string folded = Folded(words);
    for (const auto& [code, text] : table)
        if (Folded(text) == folded) return code;
    return std::nullopt;
}

}  // namespace

std::optional<ErrorResult> ErrorCode(std::string_view line) {
    ErrorResult::Kind kind;
    if (line.starts_with("+CMS ERROR:"))
        kind = ErrorResult::Kind::Cms;
    else if (line.starts_with("+CME ERROR:"))
        kind = ErrorResult::Kind::Cme;
    else
        return std::nullopt;
    std::string_view rest = line.substr(11);
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '"'))
        rest.remove_prefix(1);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '"' || rest.back() == '\r'))
        rest.remove_suffix(1);
    int code = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), code);
    if (ec == std::errc() && end == rest.data() + rest.size()) {
        if (code < 0 || code > kMaxErrorCode) return std::nullopt;
        return ErrorResult{kind, code};
    }
    const auto fromWords = FromWords(ErrorWords(kind), rest);
    if (!fromWords) return std::nullopt;
    return ErrorResult{kind, *fromWords};
}

std::span<const std::pair<int, std::string_view>> ErrorWords(ErrorResult::Kind kind) {
    if (kind == ErrorResult::Kind::Cms) return kCmsTexts;
    return kCmeTexts;
}

}  // namespace bsms
