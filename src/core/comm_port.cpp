#include "core/comm_port.h"

#include <charconv>
#include <vector>

namespace bsms {

namespace {

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> out(1);
    for (char c : text) {
        if (c == ',')
            out.emplace_back();
        else if (c != ' ')
            out.back().push_back(c);
    }
    return out;
}

bool ToInt(const std::string& s, int& v) {
    if (s.empty()) return false;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && p == s.data() + s.size();
}

}  // namespace

std::optional<CommSettings> ParseCommSettings(const std::string& text) {
    const auto items = SplitCommas(text);
    if (items.size() != 4) return std::nullopt;
    CommSettings s;
    if (!ToInt(items[0], s.baud) || s.baud < 50 || s.baud > 4000000) return std::nullopt;
    if (items[1].size() != 1) return std::nullopt;
    const char p = static_cast<char>(std::tolower(static_cast<unsigned char>(items[1][0])));
    if (p != 'n' && p != 'e' && p != 'o' && p != 'm' && p != 's') return std::nullopt;
    s.parity = p;
    if (!ToInt(items[2], s.dataBits) || s.dataBits < 5 || s.dataBits > 8) return std::nullopt;
    if (items[3] == "1")
        s.stopBits10 = 10;
    else if (items[3] == "1.5")
        s.stopBits10 = 15;
    else if (items[3] == "2")
        s.stopBits10 = 20;
    else
        return std::nullopt;
    return s;
}

std::vector<std::string> PortDeviceCandidates(const std::filesystem::path& folder, int n,
                                              const std::filesystem::path& devRoot) {
    if (n < 1) return {};
    std::vector<std::string> out{(folder / ("com" + std::to_string(n))).string()};
    for (const char* stem : {"ttyUSB", "ttyACM", "ttyS"})
        out.push_back((devRoot / (stem + std::to_string(n - 1))).string());
    return out;
}

std::string ResolvePortDevice(const std::filesystem::path& folder, int n,
                              const std::filesystem::path& devRoot) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto candidates = PortDeviceCandidates(folder, n, devRoot);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if ((i == 0 && fs::is_symlink(candidates[i], ec)) || fs::exists(candidates[i], ec))
            return candidates[i];
    }
    return {};
}

void CommPort::setCommPort(int n) {
    if (portOpen()) throw CommError(CommError::Kind::PortOpen, "Port already open");
    if (n < 1 || n > 16) throw CommError(CommError::Kind::BadPortNumber, "Invalid port number");
    port_ = n;
}

void CommPort::setSettings(const std::string& text) {
    if (!ParseCommSettings(text))
        throw CommError(CommError::Kind::BadSettings, "Invalid property value");
    settings_ = text;
    if (portOpen()) reconfigure();
}

void CommPort::setHandshaking(int mode) {
    if (mode < 0 || mode > 3)
        throw CommError(CommError::Kind::BadHandshaking, "Invalid property value");
    handshaking_ = mode;
    if (portOpen()) reconfigure();
}

void CommPort::setPortOpen(bool open) {
    if (open == portOpen()) {
        if (open) throw CommError(CommError::Kind::PortOpen, "Port already open");
        return;
    }
    if (open)
        this->open();
    else
        close();
}

}  // namespace bsms
