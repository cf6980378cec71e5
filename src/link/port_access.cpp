#include "link/port_access.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <functional>

#include "base/text.h"
#include "core/program.h"

namespace bsms {

namespace fs = std::filesystem;

namespace {

constexpr const char* kModemManager = "ModemManager";

// The device the user knows by a link is named by what the system calls it.
std::string Canonical(const std::string& device) {
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    return ec ? device : target.string();
}

// Calls `each` with the number and folder of every process procRoot lists, but this one.
void ForEachProcess(const fs::path& procRoot,
                    const std::function<void(int, const fs::path&)>& each) {
    const int self = static_cast<int>(::getpid());
    std::error_code ec;
    for (fs::directory_iterator it(procRoot, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        int pid = 0;
        const auto [last, err] = std::from_chars(name.data(), name.data() + name.size(), pid);
        if (err == std::errc() && last == name.data() + name.size() && pid != self)
            each(pid, it->path());
    }
}

// Its name, or empty when it cannot be read (the process may have ended meanwhile).
std::string ProcessName(const fs::path& folder) {
    std::ifstream in(folder / "comm");
    std::string name;
    std::getline(in, name);
    return name;
}

bool Holds(const fs::path& folder, const fs::path& target) {
    std::error_code ec;
    for (fs::directory_iterator it(folder / "fd", ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code link;
        if (fs::read_symlink(it->path(), link) == target && !link) return true;
    }
    return false;
}

bool Running(const fs::path& procRoot, const std::string& name) {
    bool found = false;
    ForEachProcess(procRoot, [&](int, const fs::path& folder) {
        found = found || ProcessName(folder) == name;
    });
    return found;
}

std::string BusyText(const CommError& e, const MessageTexts& t, const fs::path& procRoot) {
    const std::string device = Canonical(e.device());
    std::string names;
    bool manager = false, other = false;
    for (const PortHolder& h : e.holders()) {
        names += (names.empty() ? "" : ", ") + h.name + " (" + std::to_string(h.pid) + ")";
        (h.name == kModemManager ? manager : other) = true;
    }
    std::string text;
    if (names.empty()) {
        text = Filled(t[MsgId::Port_Busy], device);
        // Its descriptors are closed to a user, but its name is not: it is the usual holder.
        manager = Running(procRoot, kModemManager);
    } else {
        text = Filled(t[MsgId::Port_Busy_By], device, names);
        if (other) text += '\r' + t[MsgId::Port_Close_Holder];
    }
    if (manager) text += '\r' + t[MsgId::Port_Busy_ModemManager];
    return text;
}

std::string PermissionText(const CommError& e, const MessageTexts& t) {
    const std::string device = Canonical(e.device());
    // Joining a group that may not read and write the device, or joining root, is no advice.
    struct stat st {};
    constexpr auto groupRw = S_IRGRP | S_IWGRP;
    if (::stat(device.c_str(), &st) == 0 && (st.st_gid == 0 || (st.st_mode & groupRw) != groupRw))
        return Filled(t[MsgId::Port_Admin_Only], device);
    const std::string group = DeviceGroup(device);
    return Filled(t[MsgId::Port_No_Permission], device, group) + '\r' +
           Filled(t[MsgId::Port_Join_Group], group);
}

std::string NoDeviceText(const CommError& e, const MessageTexts& t) {
    std::error_code ec;
    const std::string& device = e.device();
    if (!device.empty() && fs::is_symlink(device, ec) && !fs::exists(device, ec))
        return Filled(t[MsgId::Port_Link_Nowhere], device, fs::read_symlink(device, ec).string());
    std::string paths = device;
    for (const std::string& path : e.lookedFor())
        paths += (paths.empty() ? "" : ", ") + path;
    return Filled(t[MsgId::Port_No_Device], paths);
}

}  // namespace

std::string DeviceGroup(const std::string& device) {
    struct stat st {};
    if (::stat(Canonical(device).c_str(), &st) != 0) return "dialout";
    if (const group* g = ::getgrgid(st.st_gid); g && g->gr_name && *g->gr_name) return g->gr_name;
    return "dialout";
}

bool MayReadWrite(const std::string& device) {
    return ::access(device.c_str(), R_OK | W_OK) == 0;
}

std::vector<PortHolder> DeviceHolders(const std::string& device, const fs::path& procRoot) {
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    std::vector<PortHolder> out;
    if (ec) return out;
    ForEachProcess(procRoot, [&](int pid, const fs::path& folder) {
        if (!Holds(folder, target)) return;
        if (std::string name = ProcessName(folder); !name.empty()) out.push_back({pid, name});
    });
    std::ranges::sort(out, {}, &PortHolder::pid);
    return out;
}

std::string PortTrouble(const CommError& e, const MessageTexts& texts, const fs::path& procRoot) {
    switch (e.kind()) {
        case CommError::Kind::Busy:
            return BusyText(e, texts, procRoot);
        case CommError::Kind::NoPermission:
            return PermissionText(e, texts);
        case CommError::Kind::NoDevice:
            return NoDeviceText(e, texts);
        default:
            return {};
    }
}

}  // namespace bsms
