// A device another process holds: the program opens nothing and names the holder; once it has
// the line, it keeps it for itself.
#ifdef BSMS_HAVE_QT

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "program_on_sim.h"

namespace bsms {
namespace {

TEST(PortTrouble, ADeviceHeldElsewhereIsNamedThenTakenForTheProgramAlone) {
    test::QtApp();
    phonesim_test::PhoneSim sim;
    const std::string device = sim.device(), script = "exec 3<>" + device + "; exec sleep 60";
    // Held as a shell redirection holds it: no lock file, no exclusive use.
    const pid_t holder = fork();
    if (holder == 0) {
        execl("/bin/sh", "sh", "-c", script.c_str(), nullptr);
        _exit(127);
    }
    const std::string proc = "/proc/" + std::to_string(holder);
    EXPECT_TRUE(test::RunUntil([&] {
        std::error_code ec;
        return std::filesystem::read_symlink(proc + "/fd/3", ec) == device &&
               test::ReadFile(proc + "/comm") == "sleep\n";
    }));

    test::ScriptedHost host;
    qt::QtCommPort port{sim.link().parent_path()};
    std::ofstream(sim.link().parent_path() / "Setting.sms")
        << " 1 \r\n115200,n,8,1\r\n 0 \r\n391234500000\r\nFalse\r\nFalse\r\nenglish\r\n";
    const auto program = MakeProgram(host, port, sim.link().parent_path());
    program->Form1->load();
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_FALSE(port.portOpen());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, "Unable to open the communication port\r" + device +
                                      " is in use by sleep (" + std::to_string(holder) +
                                      ").\rClose that program, then open the port again.");

    program->Form1->menu("Mn_Apri").click();
    ASSERT_TRUE(port.portOpen()) << host.boxes.back().text;
    // A second opener (here in this same process, so not named) is refused.
    qt::QtCommPort second{sim.link().parent_path()};
    try {
        second.setPortOpen(true);
        ADD_FAILURE() << "opened twice";
    } catch (const CommError& e) {
        EXPECT_EQ(e.kind(), CommError::Kind::Busy) << e.what();
    }
}

}  // namespace
}  // namespace bsms

#endif
