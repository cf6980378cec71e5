// The codes of the phone's final error results, given as numbers or, under AT+CMEE=2, in words.
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace bsms {

// A "+CMS ERROR:" (TS 27.005, 3.2.5) or "+CME ERROR:" (TS 27.007, 9.2) line.
struct ErrorResult {
    enum class Kind { Cms, Cme };
    Kind kind;
    int code;
    bool operator==(const ErrorResult&) const = default;
};

inline constexpr int kCmsInvalidMemoryIndex = 321;
inline constexpr int kCmeNotFound = 22;

// Codes run from 0 to this; manufacturers' own begin at 512.
inline constexpr int kMaxErrorCode = 65535;

// The kind and code of an extended error line, its number or its words read alike (any case,
// blanks, hyphens and underscores aside: "invalid memory index" is 321). Nothing for any other
// line, for words neither table holds, or for a number outside 0 to kMaxErrorCode.
std::optional<ErrorResult> ErrorCode(std::string_view line);
// The words ErrorCode reads for each code of a kind, as the standards and some phones write them.
std::span<const std::pair<int, std::string_view>> ErrorWords(ErrorResult::Kind kind);

}  // namespace bsms
