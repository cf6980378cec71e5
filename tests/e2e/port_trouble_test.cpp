// The port when another process holds the device: the program opens nothing, names the holder,
// and once it has the line keeps it for itself.
#ifdef BSMS_HAVE_QT

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/port_access.h"
#include "program_on_sim.h"

namespace bsms {
namespace {

namespace fs = std::filesystem;
using test::RunUntil;

// A process holding the device as a shell redirection does: no lock, no exclusive use.
struct Holder {
    explicit Holder(const std::string& device) {
        const std::string script = "exec 3<>" + device + "; exec sleep 60";
        pid = fork();
        if (pid == 0) {
            execl("/bin/sh", "sh", "-c", script.c_str(), nullptr);
            _exit(127);
        }
    }
    ~Holder() { stop(); }
    void stop() {
        if (pid <= 0) return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    pid_t pid = -1;
};

TEST(PortTrouble, ADeviceHeldElsewhereIsNamedThenTakenForTheProgramAlone) {
    test::QtApp();
    phonesim_test::PhoneSim sim;
    const std::string device = sim.device();
    const fs::path folder = sim.link().parent_path();
    Holder holder(device);
    const std::string proc = "/proc/" + std::to_string(holder.pid);
    ASSERT_TRUE(RunUntil([&] {
        std::error_code ec;
        return fs::read_symlink(proc + "/fd/3", ec) == device &&
               test::ReadFile(proc + "/comm") == "sleep\n";
    }));

    test::ScriptedHost host;
    qt::QtCommPort port{folder};
    std::ofstream(folder / "Setting.sms", std::ios::binary)
        << " 1 \r\n115200,n,8,1\r\n 0 \r\n391234500000\r\nFalse\r\nFalse\r\nenglish\r\n";
    const auto program = MakeProgram(host, port, folder);
    program->Form1->load();
    EXPECT_FALSE(port.portOpen());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "Unable to open the communication port\r" + device +
                                      " is in use by sleep (" + std::to_string(holder.pid) +
                                      ").\rClose that program, then open the port again.");

    holder.stop();
    program->Form1->menu("Mn_Apri").click();
    ASSERT_TRUE(port.portOpen()) << host.boxes.back().text;
    // Exclusive use: others are refused, but root, which passes it.
    if (const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK); fd >= 0) {
        int exclusive = 0;
        EXPECT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 1);
        close(fd);
    } else {
        EXPECT_EQ(errno, EBUSY);
    }
    // A second opener in this same process cannot be named, but is refused all the same.
    qt::QtCommPort second{folder};
    try {
        second.setPortOpen(true);
        ADD_FAILURE() << "opened twice";
    } catch (const CommError& e) {
        EXPECT_EQ(e.kind(), CommError::Kind::Busy) << e.what();
        EXPECT_THAT(PortTrouble(e, program->texts),
                    testing::StartsWith(device + " is in use by another program"));
    }

    // A link that points nowhere is a missing device, not a bare failure.
    fs::remove(sim.link());
    fs::create_symlink(folder / "unplugged", sim.link());
    port.setPortOpen(false);
    try {
        port.setPortOpen(true);
        ADD_FAILURE() << "opened a missing device";
    } catch (const CommError& e) {
        EXPECT_EQ(e.kind(), CommError::Kind::NoDevice);
        EXPECT_EQ(e.device(), sim.link().string());
    }
}

}  // namespace
}  // namespace bsms

#endif
