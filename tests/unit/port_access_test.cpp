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

const std::string kModemManagerAdvice =
    "\rModemManager takes every new modem for itself: keep it off this device with a udev rule "
    "that sets ENV{ID_MM_DEVICE_IGNORE}=\"1\" (see Ports in the README), or stop it: sudo "
    "systemctl stop ModemManager";
const std::string kClose = "\rClose that program, then open the port again.";

// A fake process list: each process with its name (none: unreadable) and what its descriptors
// point to.
void AddProcess(const fs::path& proc, const std::string& pid, const char* name,
                const std::vector<fs::path>& open) {
    fs::create_directories(proc / pid / "fd");
    if (name) std::ofstream(proc / pid / "comm") << name << '\n';
    for (std::size_t fd = 0; fd < open.size(); ++fd)
        fs::create_symlink(open[fd], proc / pid / "fd" / std::to_string(fd));
}

// Holders are found through a link to the device, by the device's own path; this process, names
// that are no number, and processes whose name or descriptors cannot be read are left out.
TEST(PortAccess, HoldersOfADeviceAreNamedByProcess) {
    test::TempFolder dir;
    dir.write("ttyUSB0", "");
    dir.write("other", "");
    const fs::path dev = fs::canonical(dir.path() / "ttyUSB0"), other = dir.path() / "other";
    fs::create_symlink(dev, dir.path() / "com1");
    const fs::path proc = dir.path() / "proc";
    AddProcess(proc, "200", "minicom", {other, dev});
    AddProcess(proc, "100", "ModemManager", {dev});
    AddProcess(proc, std::to_string(getpid()), "brenvik-sms", {dev});
    AddProcess(proc, "self", "brenvik-sms", {dev});
    AddProcess(proc, "300", nullptr, {dev});
    AddProcess(proc, "400", "cat", {other});
    fs::create_directories(proc / "500");
    std::ofstream(proc / "500" / "comm") << "gone\n";

    std::string found;
    for (const PortHolder& h : DeviceHolders((dir.path() / "com1").string(), proc))
        found += h.name + "/" + std::to_string(h.pid) + " ";
    EXPECT_EQ(found, "ModemManager/100 minicom/200 ");
    EXPECT_TRUE(DeviceHolders((dir.path() / "missing").string(), proc).empty());
    EXPECT_TRUE(MayReadWrite(dev.string()));
    EXPECT_FALSE(MayReadWrite((dir.path() / "missing").string()));
}

// Busy: who holds the device and what to do; ModemManager gets its own advice, also when it
// runs but the holder cannot be told.
TEST(PortAccess, ABusyDeviceSaysWhoHoldsItAndWhatToDo) {
    test::TempFolder dir;
    const fs::path quiet = dir.path() / "quiet", managed = dir.path() / "managed";
    fs::create_directories(quiet);
    AddProcess(managed, "7", "ModemManager", {});
    const struct {
        std::vector<PortHolder> holders;
        fs::path proc;
        std::string expected;
    } rows[] = {
        {{{100, "ModemManager"}},
         quiet,
         "D is in use by ModemManager (100)." + kModemManagerAdvice},
        {{{200, "minicom"}}, managed, "D is in use by minicom (200)." + kClose},
        {{{100, "ModemManager"}, {200, "minicom"}},
         quiet,
         "D is in use by ModemManager (100), minicom (200)." + kClose + kModemManagerAdvice},
        {{},
         managed,
         "D is in use by another program: close it, then open the port again." +
             kModemManagerAdvice},
        {{}, quiet, "D is in use by another program: close it, then open the port again."},
    };
    for (const auto& r : rows)
        EXPECT_EQ(PortTrouble(CommError(Kind::Busy, "", "D", r.holders), English(), r.proc),
                  r.expected);
}

// No permission: the device's group and the command that joins it, unless that group may not
// read and write it or is root; then only the administrator may. A missing device or a link that
// points nowhere says what was looked for.
TEST(PortAccess, ARefusedOrMissingDeviceIsToldInWords) {
    if (getuid() != 0) GTEST_SKIP() << "giving a file another group needs root";
    const group* dialout = getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    const gid_t g = dialout->gr_gid;
    test::TempFolder dir;
    const fs::path base = fs::canonical(dir.path());
    const auto device = [&](const char* name, mode_t mode, gid_t gid) {
        dir.write(name, "");
        EXPECT_EQ(chmod((base / name).c_str(), mode), 0);
        EXPECT_EQ(chown((base / name).c_str(), getuid(), gid), 0);
        return (base / name).string();
    };
    fs::create_symlink(device("ttyUSB0", 0660, g), base / "com1");
    fs::create_symlink("/nonexistent/by-id/usb-phone", base / "com2");
    const std::string admin =
        ": choose another port, or point a link comN in the program's folder "
        "at the phone's device.";
    const struct {
        CommError error;
        std::string expected;
    } rows[] = {
        {CommError(Kind::NoPermission, "", (base / "com1").string()),
         "No permission to open " + (base / "ttyUSB0").string() +
             ": add your user to the group dialout and log in "
             "again.\rIn a terminal: sudo adduser $USER dialout"},
        {CommError(Kind::NoPermission, "", device("ttyS0", 0600, g)),
         "Only the system administrator may open " + (base / "ttyS0").string() + admin},
        {CommError(Kind::NoPermission, "", device("ttyS1", 0660, 0)),
         "Only the system administrator may open " + (base / "ttyS1").string() + admin},
        {CommError(Kind::NoDevice, "", {}, {}, PortDeviceCandidates("/opt/b", 3, "/d")),
         "There is no device for this port. Looked for: /opt/b/com3, /d/ttyUSB2, /d/ttyACM2, "
         "/d/ttyS2"},
        {CommError(Kind::NoDevice, "", "/d/ttyUSB5"),
         "There is no device for this port. Looked for: /d/ttyUSB5"},
        {CommError(Kind::NoDevice, "", (base / "com2").string()),
         (base / "com2").string() + " points to /nonexistent/by-id/usb-phone, which does not "
                                    "exist: connect the phone, or point the link at its device."},
        {CommError(Kind::OpenFailed, "", (base / "com1").string()), ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(PortTrouble(r.error, English()), r.expected);
}

}  // namespace
}  // namespace bsms
