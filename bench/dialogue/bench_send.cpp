// A five-part send through the real serial port to the simulated phone, from the click to the
// "message sent" box, against the time the line itself needs. Also the click's own cost up to
// the first command, and resident memory over many sends.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/startup.h"
#include "dialogue_bench.h"
#include "qt/qt_comm_port.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "bsms-bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// The simulator on a "com1" link in a fresh folder, for as long as the object lives.
class Sim {
  public:
    explicit Sim(int baud) : folder_(MakeFolder()), phone_(folder_, Options(baud)) {}
    ~Sim() { fs::remove_all(folder_); }
    const fs::path& folder() const { return folder_; }

  private:
    static fs::path MakeFolder() {
        fs::path folder = fs::temp_directory_path() / ("bsms-bench-" + std::to_string(getpid()));
        fs::create_directories(folder);
        return folder;
    }
    static std::vector<std::string> Options(int baud) {
        if (baud > 0) return {"--baud", std::to_string(baud)};
        return {};
    }
    fs::path folder_;
    bench::SimPhone phone_;
};

// Answers every box at once and notes when the last one came.
class BenchHost : public bsms::Host {
  public:
    bsms::MsgResult msgBox(const bsms::MessageBoxSpec& box) override {
        ++boxes;
        last = box.text;
        return bsms::MsgResult::Ok;
    }
    // A modal window is shown, used by `duringModal`, and closed.
    void showModal(bsms::Window& w) override {
        w.load();
        w.setShown(true);
        w.activate();
        if (duringModal) duringModal(w);
        if (w.shown()) w.unload();
    }
    std::function<void(bsms::Window&)> duringModal;
    std::optional<std::string> saveFileDialog(const bsms::SaveDialogSpec&) override { return {}; }
    void setBusyPointer(bool) override {}
    void startProgram(const std::string&, const std::vector<std::string>&) override {}
    void openUrl(const std::string&) override {}
    void openDocument(const std::string&) override {}
    void quit() override {}
    int boxes = 0;
    std::string last;
};

// The program on the simulator's port, counting what crosses the line and the time spent in
// its own handlers.
struct Rig {
    Sim sim;
    BenchHost host;
    bsms::qt::QtCommPort port{sim.folder()};
    std::unique_ptr<bsms::Program> program;
    Clock::duration own{};
    std::size_t received = 0;

    explicit Rig(int baud) : sim(baud) {
        App();
        std::ofstream(sim.folder() / "Setting.sms", std::ios::binary)
            << " 1 \r\n115200,n,8,1\r\n 0 \r\n391234500000\r\nFalse\r\nFalse\r\nenglish\r\n";
        program = bsms::MakeProgram(host, port, sim.folder());
        program->Form1->load();
        auto dispatch = port.onComm;
        port.onComm = [this, dispatch] {
            const auto start = Clock::now();
            dispatch();
            own += Clock::now() - start;
        };
        auto& box = (*program->Form1)["Text1"];
        box.onChange = [this, &box, inner = box.onChange] {
            received = std::max(received, box.text().size());
            if (inner) inner();
        };
        (*program->Form1)["Text4"].setText("+393331234567");
        (*program->Form1)["Text5"].setText(std::string(760, 'x'));
    }
    // One send; the time from the click to the box, and the click's own share.
    Clock::duration send(Clock::duration& click) {
        const int before = host.boxes;
        received = 0;
        const auto start = Clock::now();
        (*program->Form1)["Command6"].click();
        click = Clock::now() - start;
        own += click;
        QDeadlineTimer deadline(60000);
        while (host.boxes == before && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return Clock::now() - start;
    }
    std::size_t written() const {
        std::size_t n = 0;
        for (const auto& part : program->Pdu_Parts.parts) {
            if (part.Part_User_Data.empty()) continue;
            n += std::string("AT+CMGS=").size() + std::to_string(part.Part_Length).size() + 1;
            n += part.Part_Pdu.size() + 1;
        }
        return n;
    }
};

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_FivePartSend(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    Rig rig(baud);
    double lineTime = 0;
    double clickTime = 0;
    rig.own = {};
    for (auto _ : state) {
        Clock::duration click{};
        const auto elapsed = rig.send(click);
        state.SetIterationTime(Seconds(elapsed));
        clickTime += Seconds(click);
        lineTime += static_cast<double>(rig.written() + rig.received) * 10.0 / baud;
        if (rig.host.last != "Messagge sent") state.SkipWithError(rig.host.last.c_str());
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["line_s"] = lineTime / n;
    state.counters["own_s"] = Seconds(rig.own) / n;
    state.counters["own_share_of_line_pct"] = 100.0 * Seconds(rig.own) / lineTime;
    state.counters["click_to_first_command_us"] = 1e6 * clickTime / n;
}
BENCHMARK(BM_FivePartSend)
    ->Arg(115200)
    ->Arg(9600)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

void BM_ResidentMemoryOverSends(benchmark::State& state) {
    Rig rig(0);
    long after10 = 0;
    for (auto _ : state) {
        for (int i = 1; i <= 100; ++i) {
            Clock::duration click{};
            rig.send(click);
            if (rig.host.last != "Messagge sent") state.SkipWithError(rig.host.last.c_str());
            if (i == 10) after10 = ResidentKb();
        }
    }
    state.counters["sends"] = rig.host.boxes;
    state.counters["rss_after_10_kb"] = static_cast<double>(after10);
    state.counters["rss_after_100_kb"] = static_cast<double>(ResidentKb());
}
BENCHMARK(BM_ResidentMemoryOverSends)->Iterations(1)->Unit(benchmark::kSecond);

// A long run: 500 five-part sends and, after every tenth, the browser reading 20 locations. The
// resident memory at the start and the end, the largest the receive box grew, and what was left
// unfinished.
void BM_Soak(benchmark::State& state) {
    Rig rig(0);
    bsms::Program& p = *rig.program;
    int reads = 0;
    rig.host.duringModal = [&](bsms::Window& w) {
        if (w.name() != "Form5") return;
        w["Command1"].click();
        QDeadlineTimer deadline(60000);
        while (!w["Command7"].enabled() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        reads += w["Command7"].enabled() ? 1 : 0;
    };
    std::size_t largestBox = 0;
    long rssStart = 0;
    int sent = 0;
    for (auto _ : state) {
        for (int i = 1; i <= 500; ++i) {
            Clock::duration click{};
            rig.send(click);
            sent += rig.host.last == "Messagge sent" ? 1 : 0;
            largestBox = std::max(largestBox, (*p.Form1)["Text1"].text().size());
            if (i == 10) rssStart = ResidentKb();
            if (i % 10 == 0) (*p.Form1)["Command4"].click();
        }
    }
    const bsms::DialogueState& st = p.st;
    const bool stuck = st.Send_Job.active || st.Store_Job.active || st.Sent_Confirm_Pending ||
                       st.Browser_Reading || st.Csc_Query_Pending || st.Phonebook_Download;
    state.counters["sends_confirmed"] = sent;
    state.counters["browser_reads_completed"] = reads;
    state.counters["rss_after_10_sends_kb"] = static_cast<double>(rssStart);
    state.counters["rss_at_end_kb"] = static_cast<double>(ResidentKb());
    state.counters["largest_receive_box_bytes"] = static_cast<double>(largestBox);
    state.counters["dialogue_left_open"] = stuck ? 1 : 0;
}
BENCHMARK(BM_Soak)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
