// The simulated phone's line discipline as a real phone's: echo as the characters come, a line
// too long to hold refused, and a phone that waits quietly while the client does not read.
#include <gmock/gmock.h>

#include <fstream>
#include <thread>

#include "phone_sim_client.h"

namespace phonesim_test {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

TEST(PhoneSimLine, EchoesEachCharacterAsItArrives) {
    PhoneSim sim;
    Line line(sim.link());
    // A terminal shows what is typed before the line ends.
    line.Send("AT+CG");
    EXPECT_EQ(line.ReadUntil("AT+CG"), "AT+CG");
    line.Send("MM");
    EXPECT_EQ(line.ReadUntil("MM"), "MM");
    line.Send("\r");
    EXPECT_EQ(line.Reply(), "\r\r\nBX-1 Simulated Phone\r\n\r\nOK\r\n");
    // A backspace is echoed as it comes and edits the line.
    line.Send("AT+CGMX\bM\r");
    EXPECT_EQ(line.Reply(), "AT+CGMX\bM\r\r\nBX-1 Simulated Phone\r\n\r\nOK\r\n");
    // With echo off nothing comes back but the answer.
    line.Command("ATE0");
    line.Send("AT");
    line.Send("\r");
    EXPECT_EQ(line.Reply(), "\r\nOK\r\n");
}

TEST(PhoneSimLine, RefusesALineTooLongToHoldAndRunsNothingOfIt) {
    PhoneSim sim({"--echo", "off"});
    Line line(sim.link());
    // Cut at the phone's limit, this would still delete message 1.
    EXPECT_EQ(line.Command("AT+CMGD=1" + std::string(1100, ' ') + ",4"), "\r\nERROR\r\n");
    EXPECT_THAT(line.Command("AT+CMGR=1"), HasSubstr("\r\n+CMGR: 1,,23\r\n"));
    // The next line is a line of its own again.
    EXPECT_EQ(line.Command("AT"), "\r\nOK\r\n");
    EXPECT_EQ(line.Command("AT" + std::string(1000, ' ')), "\r\nOK\r\n");
}

// Read and write system calls the process has made so far; -1 when the system does not say.
long long SystemCalls(pid_t pid) {
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    long long value = 0, total = 0;
    int found = 0;
    while (io >> key >> value) {
        if (key != "syscr:" && key != "syscw:") continue;
        total += value;
        ++found;
    }
    return found == 2 ? total : -1;
}

TEST(PhoneSimLine, WaitsQuietlyWhileTheClientDoesNotRead) {
    PhoneSim sim({"--echo", "off"});
    if (SystemCalls(sim.pid()) < 0) GTEST_SKIP() << "no /proc/PID/io here";
    Line line(sim.link());
    // Far more answer than the pseudo-terminal holds, none of it read yet.
    const std::string listing = line.Command("AT+CPBR=1,250");
    const std::size_t commands = 400;
    for (std::size_t i = 0; i < commands; ++i)
        line.Send("AT+CPBR=1,250\r");
    // Once the line is full the phone has nothing to do but wait: a phone that polls instead
    // makes thousands of calls in the meantime.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const long long before = SystemCalls(sim.pid());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LT(SystemCalls(sim.pid()) - before, 50);
    // Nothing was lost while it waited.
    const std::string all =
        line.ReadUntil([&](const std::string& s) { return s.size() >= listing.size() * commands; });
    EXPECT_EQ(all.size(), listing.size() * commands);
    EXPECT_THAT(all, EndsWith(listing));
}

}  // namespace
}  // namespace phonesim_test
