// Extract_Pdu and Pdu_From_Input: the PDU line of what the phone answers to AT+CMGR, or of
// what a person pastes, apart from the decoding of the PDU itself.
#include <algorithm>
#include <string>

#include "sms/decoder.h"

namespace bsms {

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A PDU line begins with two hexadecimal digits: result codes ("OK", "ERROR", "+CMS ERROR: n")
// and echoed commands never do.
bool LooksLikePdu(std::string_view line) {
    return line.size() >= 2 && IsHexDigit(line[0]) && IsHexDigit(line[1]);
}

std::string_view TrimBlanks(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::string Extract_Pdu(std::string_view reply) {
    // The +CMGR header at the start of a line: the echoed "AT+CMGR=" never qualifies.
    std::size_t p = 0;
    for (;; ++p) {
        p = reply.find("+CMGR", p);
        if (p == std::string_view::npos) return {};
        if (p == 0 || reply[p - 1] == '\n' || reply[p - 1] == '\r') break;
    }
    std::size_t q = reply.find_first_of("\r\n", p + 5);
    if (q == std::string_view::npos) return {};
    while (q < reply.size() && reply[q] == '\r')
        ++q;
    if (q < reply.size() && reply[q] == '\n') ++q;
    const std::size_t end = std::min(reply.find_first_of("\r\n", q), reply.size());
    std::string_view line = reply.substr(q, end - q);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return LooksLikePdu(line) ? std::string(line) : std::string();
}

std::vector<ListedPdu> Extract_Listing(std::string_view reply) {
    std::vector<ListedPdu> out;
    constexpr std::string_view kTag = "+CMGL:";
    for (std::size_t p = reply.find(kTag); p != std::string_view::npos; p = reply.find(kTag, p)) {
        const bool lineStart = p == 0 || reply[p - 1] == '\n' || reply[p - 1] == '\r';
        p += kTag.size();
        if (!lineStart) continue;
        std::size_t i = reply.find_first_not_of(' ', p);
        int index = -1;
        for (; i < reply.size() && reply[i] >= '0' && reply[i] <= '9'; ++i)
            index = std::min((index < 0 ? 0 : index * 10) + (reply[i] - '0'), kMaxListedIndex + 1);
        if (index < 0 || index > kMaxListedIndex) continue;
        int status = -1;
        if (i + 1 < reply.size() && reply[i] == ',' && reply[i + 1] >= '0' && reply[i + 1] <= '3')
            status = reply[i + 1] - '0';
        // The PDU stands on the line after the header.
        std::size_t q = reply.find_first_of("\r\n", i);
        q = q == std::string_view::npos ? q : reply.find_first_not_of("\r\n", q);
        if (q == std::string_view::npos) break;
        const std::size_t end = std::min(reply.find_first_of("\r\n", q), reply.size());
        const std::string_view line = TrimBlanks(reply.substr(q, end - q));
        if (LooksLikePdu(line)) out.push_back({index, std::string(line), status});
    }
    return out;
}

int StoredStatusOf(std::string_view reply) {
    constexpr std::string_view kTag = "+CMGR:";
    const std::size_t at = reply.find(kTag);
    if (at == std::string_view::npos) return -1;
    const std::size_t digit = reply.find_first_not_of(' ', at + kTag.size());
    if (digit == std::string_view::npos || reply[digit] < '0' || reply[digit] > '3') return -1;
    const std::size_t after = digit + 1;
    return after == reply.size() || reply[after] == ',' ? reply[digit] - '0' : -1;
}

std::string Pdu_From_Input(std::string_view input) {
    if (input.find("+CMGR") != std::string_view::npos) return Extract_Pdu(input);
    while (!input.empty()) {
        const std::size_t end = std::min(input.find_first_of("\r\n"), input.size());
        const std::string_view line = TrimBlanks(input.substr(0, end));
        input.remove_prefix(std::min(end + 1, input.size()));
        if (LooksLikePdu(line)) return std::string(line);
    }
    return {};
}

}  // namespace bsms
