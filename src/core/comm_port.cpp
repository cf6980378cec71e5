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

std::string ResolvePortDevice(const std::filesystem::path& folder, int n,
                              const std::filesystem::path& devRoot) {
    namespace fs = std::filesystem;
    if (n < 1) return {};
    std::error_code ec;
    const fs::path link = folder / ("com" + std::to_string(n));
    if (fs::is_symlink(link, ec) || fs::exists(link, ec)) return link.string();
    for (const char* stem : {"ttyUSB", "ttyACM", "ttyS"}) {
        const fs::path dev = devRoot / (stem + std::to_string(n - 1));
        if (fs::exists(dev, ec)) return dev.string();
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
