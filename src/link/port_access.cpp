#include "link/port_access.h"

#include <grp.h>
#include <sys/stat.h>

#include <filesystem>

namespace bsms {

std::string DeviceGroup(const std::string& device) {
    struct stat st {};
    std::error_code ec;
    const std::string target = std::filesystem::canonical(device, ec).string();
    if (ec || ::stat(target.c_str(), &st) != 0) return "dialout";
    if (const group* g = ::getgrgid(st.st_gid); g && g->gr_name && *g->gr_name) return g->gr_name;
    return "dialout";
}

std::string PermissionHint(const std::string& text, const std::string& device) {
    std::string out = text;
    const auto replace = [&out](const std::string& key, const std::string& value) {
        for (auto pos = out.find(key); pos != std::string::npos;
             pos = out.find(key, pos + value.size()))
            out.replace(pos, key.size(), value);
    };
    replace("%1", device);
    replace("%2", DeviceGroup(device));
    return out;
}

}  // namespace bsms
