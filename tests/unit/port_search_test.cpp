// The search for the phone: which devices it tries, how it judges their answers within their
// ticks, and the link it makes.
#include <gtest/gtest.h>

#include <map>

#include "link/port_search.h"
#include "test_support.h"

namespace bsms {
namespace {

namespace fs = std::filesystem;
using test::FakeCommPort;
using test::TempFolder;

TEST(PortSearch, CandidatesByIdFirstThenUncoveredDevicesThenFolderLinks) {
    TempFolder t;
    const fs::path dev = t.path() / "dev", ids = dev / "serial" / "by-id", folder = t.path() / "p";
    fs::create_directories(ids);
    fs::create_directories(folder);
    for (const char* d :
         {"ttyUSB0", "ttyUSB1", "ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyUSBx"})
        t.write(std::string("dev/") + d, "");
    fs::create_symlink("../../ttyUSB1", ids / "usb-Modem-if02");
    fs::create_symlink("../../ttyACM0", ids / "usb-Phone-if00");
    fs::create_symlink("../../ttyUSB9", ids / "usb-Gone-if00");
    fs::create_symlink(dev / "ttyUSB0", folder / "com1");
    fs::create_symlink(dev / "ttyS0", folder / "com12");
    fs::create_symlink(dev / "ttyS1", folder / "com3");
    fs::create_symlink(ids / "usb-Phone-if00", folder / "com4");
    fs::create_symlink(dev / "ttyS0", folder / "com2");

    std::vector<std::pair<std::string, std::string>> got;
    for (const SearchCandidate& c : SearchCandidates(folder, dev))
        got.emplace_back(fs::path(c.device).lexically_relative(t.path()),
                         fs::path(c.stable).lexically_relative(t.path()));
    const std::vector<std::pair<std::string, std::string>> want = {
        {"dev/serial/by-id/usb-Modem-if02", "dev/serial/by-id/usb-Modem-if02"},
        {"dev/serial/by-id/usb-Phone-if00", "dev/serial/by-id/usb-Phone-if00"},
        {"dev/ttyUSB0", "dev/ttyUSB0"},
        {"dev/ttyUSB2", "dev/ttyUSB2"},
        {"dev/ttyUSB10", "dev/ttyUSB10"},
        {"p/com2", "dev/ttyS0"}};
    EXPECT_EQ(got, want);
}

// Devices that answer what is written at the next delivery, as a line does between two ticks.
struct Bench {
    struct Device {
        std::function<std::string(const std::string&)> answer;
        bool denied = false, gone = false;
        FakeCommPort* port = nullptr;  // while open
        std::string queued;
        int made = 0;
        int closed = 0;
    };
    std::map<std::string, Device> devices;
    std::vector<SearchCandidate> list;
    std::unique_ptr<PortSearch> search;
    int ticks = 0;

    void add(const std::string& name, std::function<std::string(const std::string&)> answer = {}) {
        devices[name].answer = std::move(answer);
        list.push_back({name, "/stable/" + name});
    }
    void start(int stepTicks = 3) {
        search = std::make_unique<PortSearch>(
            list,
            [this](const std::string& name) {
                Device& d = devices.at(name);
                auto port = std::make_unique<FakeCommPort>();
                port->denyOpen = d.denied;
                port->failOpen = d.gone;
                port->onWrite = [&d](const std::string& bytes) {
                    if (d.answer) d.queued += d.answer(bytes);
                };
                port->onClose = [&d] {
                    d.port = nullptr;
                    ++d.closed;
                };
                d.port = d.denied || d.gone ? nullptr : port.get();
                ++d.made;
                return port;
            },
            "115200,n,8,1", stepTicks);
        search->start();
    }
    void deliver() {
        for (auto& [name, d] : devices)
            if (!d.queued.empty() && d.port) d.port->arrive(std::exchange(d.queued, {}));
    }
    // Ticks until the search is over; how many it took.
    int run(int limit = 200) {
        for (; search->running() && ticks < limit; ++ticks) {
            deliver();
            search->tick();
        }
        return ticks;
    }
};

std::string Phone(const std::string& cmd, const std::string& model, const std::string& cmgf) {
    const std::string echo = cmd;
    if (cmd == "AT\r") return echo + "\r\nOK\r\n";
    if (cmd == "AT+CGMM\r") return echo + "\r\n^RSSI:12\r\n" + model + "\r\n\r\nOK\r\n";
    return echo + "\r\n" + cmgf + "\r\n";
}

TEST(PortSearch, FindsTheAnsweringDeviceAmongSilentGarbledAndClosedOnes) {
    Bench b;
    b.add("silent");
    b.add("garbage", [](const std::string&) { return "\x7fOK~\r\nxOK\r\nOKAY\r\nERRORS\r\n"; });
    b.add("echo", [](const std::string& cmd) { return cmd; });
    b.add("busy");
    b.devices["busy"].denied = true;
    b.add("gone");
    b.devices["gone"].gone = true;
    b.add("refuses", [](const std::string& cmd) { return cmd + "\r\nERROR\r\n"; });
    b.add("phone", [](const std::string& c) { return Phone(c, "+CGMM: Nokia 6310i", "OK"); });
    b.add("old", [](const std::string& c) { return Phone(c, "ERROR", "+CME ERROR: 4"); });
    b.start();

    // Silent: its third tick ends its try and closes it; the next is open by then.
    ASSERT_EQ(b.search->current()->device, "silent");
    EXPECT_EQ(b.search->position(), 1u);
    b.search->tick();
    b.search->tick();
    EXPECT_EQ(b.search->current()->device, "silent");
    b.search->tick();
    EXPECT_EQ(b.search->current()->device, "garbage");
    EXPECT_EQ(b.devices["silent"].closed, 1);
    b.ticks = 3;
    // Garbage, echo: 3 ticks each, no step passed; refusal and the phones: a tick to move on.
    EXPECT_EQ(b.run(), 3 + 3 + 3 + 1 + 3 + 3);
    EXPECT_FALSE(b.search->running());
    EXPECT_EQ(b.search->position(), b.list.size());

    std::vector<std::tuple<std::string, SearchFinding::Outcome, std::string, bool>> got;
    for (const SearchFinding& f : b.search->findings())
        got.emplace_back(f.candidate.stable, f.outcome, f.model, f.pdu);
    using O = SearchFinding::Outcome;
    const decltype(got) want = {{"/stable/busy", O::NoAccess, "", false},
                                {"/stable/gone", O::NotOpened, "", false},
                                {"/stable/phone", O::Answered, "Nokia 6310i", true},
                                {"/stable/old", O::Answered, "", false}};
    EXPECT_EQ(got, want);
    for (const char* d : {"silent", "garbage", "echo", "refuses", "phone", "old"}) {
        EXPECT_EQ(b.devices[d].made, 1) << d;
        EXPECT_EQ(b.devices[d].closed, 1) << d;
    }
}

TEST(PortSearch, EachCommandHasItsOwnTicksAndCancelClosesAtOnce) {
    Bench b;
    // Answers AT, then nothing: listed after its second command's ticks, without a model.
    b.add("mute", [](const std::string& cmd) { return cmd == "AT\r" ? "\r\nOK\r\n" : ""; });
    b.add("silent");
    b.add("after");
    b.start(4);
    for (int i = 0; i < 3; ++i)
        b.search->tick();  // AT's answer is late, but within its four ticks
    b.run(3);              // it came: AT+CGMM has four ticks of its own
    EXPECT_EQ(b.search->current()->device, "mute");
    b.run(4);
    ASSERT_EQ(b.search->findings().size(), 1u);
    EXPECT_EQ(b.search->findings()[0].candidate.device, "mute");
    EXPECT_EQ(b.search->current()->device, "silent");

    b.search->cancel();
    EXPECT_FALSE(b.search->running());
    EXPECT_EQ(b.search->current(), nullptr);
    EXPECT_EQ(b.devices["silent"].closed, 1);
    for (int i = 0; i < 10; ++i)
        b.search->tick();
    EXPECT_EQ(b.devices["after"].made, 0);
    EXPECT_EQ(b.search->findings().size(), 1u);
}

TEST(PortSearch, PointsTheLinkReplacingALinkButNeverAFile) {
    TempFolder t;
    EXPECT_EQ(PointPortLink(t.path(), 1, "/dev/serial/by-id/usb-A"), LinkOutcome::Made);
    EXPECT_EQ(fs::read_symlink(t.path() / "com1"), "/dev/serial/by-id/usb-A");
    EXPECT_EQ(PointPortLink(t.path(), 1, "/dev/pts/7"), LinkOutcome::Made);
    EXPECT_EQ(fs::read_symlink(t.path() / "com1"), "/dev/pts/7");
    t.write("com2", "mine");
    EXPECT_EQ(PointPortLink(t.path(), 2, "/dev/pts/7"), LinkOutcome::NotALink);
    EXPECT_EQ(t.read("com2"), "mine");
    EXPECT_EQ(PointPortLink(t.path() / "none", 3, "/dev/pts/7"), LinkOutcome::Failed);
    EXPECT_EQ(std::distance(fs::directory_iterator(t.path()), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace bsms
