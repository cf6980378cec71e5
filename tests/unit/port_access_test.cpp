// Who holds a device, and what the box says when a port cannot be opened.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "core/program.h"
#include "link/port_access.h"
#include "test_support.h"

namespace bsms {
namespace {

namespace fs = std::filesystem;
using Kind = CommError::Kind;

MessageTexts English() {
    MessageTexts t;
    for (const auto& row : kMessageTexts)
        t[row.id] = row.text[1];
    return t;
}

// A fake process: its name (none: unreadable) and what its descriptors point to.
void AddProcess(const fs::path& proc, const std::string& pid, const char* name,
                const std::vector<fs::path>& open) {
    fs::create_directories(proc / pid / "fd");
    if (name) std::ofstream(proc / pid / "comm") << name << '\n';
    for (std::size_t fd = 0; fd < open.size(); ++fd)
        fs::create_symlink(open[fd], proc / pid / "fd" / std::to_string(fd));
}

// Holders are found through a link to the device, and named; this process, entries that are no
// process, and processes whose name cannot be read are left out. The box says who holds it and
// what to do, ModemManager also when it runs but the holder cannot be told.
TEST(PortAccess, ABusyDeviceSaysWhoHoldsItAndWhatToDo) {
    test::TempFolder dir;
    dir.write("ttyUSB0", "");
    const fs::path dev = fs::canonical(dir.path() / "ttyUSB0"), proc = dir.path() / "proc";
    fs::create_symlink(dev, dir.path() / "com1");
    AddProcess(proc, "200", "minicom", {dir.path() / "Setting.sms", dev});
    AddProcess(proc, "100", "ModemManager", {dev});
    for (const std::string& other : {std::to_string(getpid()), std::string("self")})
        AddProcess(proc, other, "brenvik-sms", {dev});
    AddProcess(proc, "300", nullptr, {dev});
    for (const fs::path& root : {proc, dir.path() / "quiet"})
        AddProcess(root, "400", "cat", {dir.path() / "Setting.sms"});
    const auto holders = DeviceHolders((dir.path() / "com1").string(), proc);
    ASSERT_EQ(holders.size(), 2u);

    const MessageTexts t = English();
    const std::string manager = '\r' + t[MsgId::Port_Busy_ModemManager];
    const std::string close = "\rClose that program, then open the port again.";
    const std::string unknown =
        "D is in use by another program: close it, then open the port again.";
    const struct {
        std::vector<PortHolder> holders;
        fs::path proc;
        std::string expected;
    } rows[] = {
        {holders, dir.path(),
         "D is in use by ModemManager (100), minicom (200)." + close + manager},
        {{holders[0]}, dir.path(), "D is in use by ModemManager (100)." + manager},
        {{holders[1]}, proc, "D is in use by minicom (200)." + close},
        {{}, proc, unknown + manager},
        {{}, dir.path() / "quiet", unknown},
    };
    for (const auto& r : rows)
        EXPECT_EQ(PortTrouble(CommError(Kind::Busy, "", "D", r.holders), t, r.proc), r.expected);
}

// No permission: the device's group and the command that joins it, unless that group may not
// read and write it or is root. A missing device, or a link to one, says what was looked for.
TEST(PortAccess, ARefusedOrMissingDeviceIsToldInWords) {
    if (getuid() != 0) GTEST_SKIP() << "giving a file another group needs root";
    test::TempFolder dir;
    const fs::path base = fs::canonical(dir.path());
    const auto device = [&](const char* name, mode_t mode, gid_t gid) {
        dir.write(name, "");
        EXPECT_EQ(chmod((base / name).c_str(), mode) | chown((base / name).c_str(), 0, gid), 0);
        return (base / name).string();
    };
    const gid_t dialout = getgrnam("dialout")->gr_gid;
    fs::create_symlink(device("ttyUSB0", 0660, dialout), base / "com1");
    fs::create_symlink("/nonexistent/usb-phone", base / "com2");
    const std::string admin =
        ": choose another port, or point a link comN in the program's "
        "folder at the phone's device.";
    const struct {
        CommError error;
        std::string expected;
    } rows[] = {
        {CommError(Kind::NoPermission, "", (base / "com1").string()),
         "No permission to open " + (base / "ttyUSB0").string() +
             ": add your user to the group dialout and log in again.\rIn a terminal: sudo "
             "adduser $USER dialout"},
        {CommError(Kind::NoPermission, "", device("ttyS0", 0600, dialout)),
         "Only the system administrator may open " + (base / "ttyS0").string() + admin},
        {CommError(Kind::NoPermission, "", device("ttyS1", 0660, 0)),
         "Only the system administrator may open " + (base / "ttyS1").string() + admin},
        {CommError(Kind::NoDevice, "", {}, {}, PortDeviceCandidates("/opt/b", 3, "/d")),
         "There is no device for this port. Looked for: /opt/b/com3, /d/ttyUSB2, /d/ttyACM2, "
         "/d/ttyS2"},
        {CommError(Kind::NoDevice, "", (base / "com2").string()),
         (base / "com2").string() + " points to /nonexistent/usb-phone, which does not exist: "
                                    "connect the phone, or point the link at its device."},
        {CommError(Kind::OpenFailed, "", (base / "com1").string()), ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(PortTrouble(r.error, English()), r.expected);
}

}  // namespace
}  // namespace bsms
