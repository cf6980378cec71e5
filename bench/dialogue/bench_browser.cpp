// The message browser reading 50 and 255 locations, every other one empty, from the simulated
// phone through the real serial port, timed from the "Leggi SMS" click to the last row listed,
// against the time the characters exchanged take on the line (10 bits a character). Also the
// sort and listing of 255 messages alone. Each also with the windows drawn (offscreen).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/form1.h"
#include "app/startup.h"
#include "browser/form5.h"
#include "dialogue_bench.h"
#include "qt/qt_comm_port.h"
#include "qt/qt_host.h"
#include "sms/decoder.h"

namespace {

using namespace bsms;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

QApplication& App() {
    static int argc = 1;
    static char name[] = "bsms-bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// phone-sim on the "com1" link of a fresh folder, paced at `baud`, answering each command after
// `latencyMs`; stopped at the end.
class Sim {
  public:
    Sim(int locations, int baud, int messages = 0, int latencyMs = 0)
        : folder_(MakeFolder(locations, messages)), phone_(folder_, Options(baud, latencyMs)) {}
    ~Sim() { fs::remove_all(folder_); }
    const fs::path& folder() const { return folder_; }

  private:
    static fs::path MakeFolder(int locations, int messages) {
        fs::path folder =
            fs::temp_directory_path() / ("bsms-bench-browser-" + std::to_string(getpid()));
        fs::create_directories(folder);
        std::ofstream(folder / "scenario.txt") << bench::Scenario(locations, messages);
        return folder;
    }
    std::vector<std::string> Options(int baud, int latencyMs) const {
        return {"--scenario", (folder_ / "scenario.txt").string(),
                "--baud",     std::to_string(baud),
                "--latency",  std::to_string(latencyMs)};
    }
    fs::path folder_;
    bench::SimPhone phone_;
};

using bench::CountingPort;

// The Qt desktop, but a modal window is shown without a loop of its own, so that the benchmark
// keeps control; `drawn` false binds no window at all.
class BenchHost : public qt::QtHost {
  public:
    explicit BenchHost(bool drawn) : drawn_(drawn) {}
    MsgResult msgBox(const MessageBoxSpec&) override {
        ++boxes;
        return MsgResult::Ok;
    }
    void showModal(Window& window) override {
        window.load();
        window.setShown(true);
        if (drawn_) bind(window).show();
        window.activate();
    }
    int boxes = 0;

  private:
    bool drawn_;
};

bool RunUntil(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

// What the read loop took over all iterations.
struct Totals {
    double seconds = 0;
    double ownSeconds = 0;  // in the program's own handlers
    std::size_t chars = 0;
    std::size_t received = 0;
    void report(benchmark::State& state, int baud) const {
        if (chars == 0) return;
        const double n = static_cast<double>(state.iterations());
        const double limit = static_cast<double>(chars) * 10 / baud;
        state.counters["chars"] = static_cast<double>(chars) / n;
        state.counters["line_s"] = limit / n;
        state.counters["ratio"] = seconds / limit;
        // The pseudo-terminal passes the commands at once: against the phone's answers alone the
        // turnaround of each exchange shows.
        state.counters["ratio_to_answers"] = seconds / (static_cast<double>(received) * 10 / baud);
        state.counters["own_ms"] = 1000 * ownSeconds / n;
    }
};

// Opens the browser, reads `locations` (by the scan when `scan`) and closes it again; false when
// the read did not end with `messages` listed.
bool ReadOnce(Program& p, CountingPort& port, int locations, int messages, bool scan,
              Clock::duration& own, Totals& totals, benchmark::State& state) {
    Window& f5 = *p.Form5;
    (*p.Form1)["Command4"].click();
    RunUntil([&] { return !p.line.busy(); }, 5000);
    f5["Text3"].setText(std::to_string(locations));
    p.listingRefused = scan;
    port.chars = 0;
    port.received = 0;
    own = {};
    const auto start = Clock::now();
    f5["Command1"].click();
    const bool done = RunUntil([&] { return f5["Command7"].enabled(); }, 120000);
    QCoreApplication::processEvents();  // the rows drawn
    const std::chrono::duration<double> took = Clock::now() - start;
    state.SetIterationTime(took.count());
    f5["Command2"].click();
    if (!done || f5["Grid1"].rows() != messages + 1) return false;
    totals.seconds += took.count();
    totals.ownSeconds += std::chrono::duration<double>(own).count();
    totals.chars += port.chars;
    totals.received += port.received;
    return true;
}

void Read(benchmark::State& state, bool drawn, bool scan = false) {
    App();
    const int locations = static_cast<int>(state.range(0));
    const int baud = static_cast<int>(state.range(1));
    const int messages =
        state.range(2) > 0 ? static_cast<int>(state.range(2)) : (locations + 1) / 2;
    Sim sim(locations, baud, static_cast<int>(state.range(2)), static_cast<int>(state.range(3)));
    BenchHost host(drawn);
    CountingPort port(sim.folder());
    std::ofstream(sim.folder() / "Setting.sms", std::ios::binary)
        << " 1 \r\n115200,n,8,1\r\n 0 \r\n391234500000\r\nTrue\r\nFalse\r\nitaliano\r\n";
    const auto program = MakeProgram(host, port, sim.folder());
    Program& p = *program;
    if (drawn)
        host.showMain(*p.Form1);
    else
        p.Form1->load();
    Status_Refresh(p);
    RunUntil([&] { return !p.line.busy(); }, 5000);  // the phone's indications set up
    Clock::duration own{};
    port.onComm = [&own, dispatch = port.onComm] {
        const auto start = Clock::now();
        dispatch();
        own += Clock::now() - start;
    };
    Totals totals;
    for (auto _ : state) {
        if (!port.portOpen() || !ReadOnce(p, port, locations, messages, scan, own, totals, state) ||
            host.boxes != 0) {
            state.SkipWithError("the read did not end with every message listed");
            break;
        }
    }
    host.unbindAll();
    totals.report(state, baud);
}

// The memory read with AT+CMGL=4 (where the phone answers it, as the simulated one does).
void BM_ReadLocations(benchmark::State& state) {
    Read(state, false);
}
void BM_ReadLocationsDrawn(benchmark::State& state) {
    Read(state, true);
}
// The same memory read location by location, as for a phone that refuses AT+CMGL.
void BM_ScanLocations(benchmark::State& state) {
    Read(state, false, true);
}

void Speeds(benchmark::internal::Benchmark* b) {
    b->ArgNames({"locations", "baud", "messages", "latency_ms"})
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_ReadLocations)->Args({50, 115200, 0, 0})->Iterations(5)->Apply(Speeds);
BENCHMARK(BM_ReadLocations)->Args({255, 115200, 0, 0})->Iterations(3)->Apply(Speeds);
BENCHMARK(BM_ReadLocations)->Args({255, 9600, 0, 0})->Iterations(1)->Apply(Speeds);
BENCHMARK(BM_ReadLocationsDrawn)->Args({255, 115200, 0, 0})->Iterations(3)->Apply(Speeds);
// A phone that takes 20 ms to answer each command, 50 messages among 255 locations: the listing
// against the line time, and the scan it spares.
BENCHMARK(BM_ReadLocations)->Args({255, 115200, 50, 20})->Iterations(3)->Apply(Speeds);
BENCHMARK(BM_ScanLocations)->Args({255, 115200, 50, 20})->Iterations(1)->Apply(Speeds);
BENCHMARK(BM_ScanLocations)->Args({50, 115200, 0, 0})->Iterations(3)->Apply(Speeds);
BENCHMARK(BM_ScanLocations)->Args({50, 9600, 0, 0})->Iterations(1)->Apply(Speeds);

// A port that is never opened: the listing needs none.
class NoPort : public CommPort {
  public:
    bool portOpen() const override { return false; }
    void output(const std::string&) override {}
    std::string input() override { return {}; }

  protected:
    void open() override {}
    void close() override {}
};

// 255 read messages, in location order, time stamps out of order.
std::vector<Sms_Record> ReadList() {
    std::vector<Sms_Record> list(256);
    for (int i = 1; i <= 255; ++i) {
        Sms_Record& r = list[static_cast<std::size_t>(i)];
        const int t = i * 37 % 256;
        r.Id = static_cast<std::int16_t>(i);
        r.Sender = r.Sender_Number = "+39333" + std::to_string(1000000 + i * 7919);
        r.Service_Centre = "+391234500000";
        r.Date_Time =
            std::to_string(t % 28 + 1) + "/" + std::to_string(t % 12 + 1) + "/24  10.00:00";
        r.Date_Key = 24000 + (t % 12 + 1) * 31 + t % 28 + 1 + (t % 24) / 100.0;
        r.Text = "Messaggio " + std::to_string(i) + ": ci vediamo alle 10.30 in piazza";
    }
    return list;
}

// The completion step alone: sort, enable, list 255 rows.
void SortAndList(benchmark::State& state, bool drawn) {
    App();
    BenchHost host(drawn);
    NoPort port;
    const fs::path folder = fs::temp_directory_path();
    const auto program = MakeProgram(host, port, folder);
    Program& p = *program;
    (*p.Form1)["Command4"].click();
    BrowserWindow& w = Browser(p);
    w["Text3"].setText("255");
    const std::vector<Sms_Record> unsorted = ReadList();
    for (auto _ : state) {
        w.Sms_List = unsorted;
        w["Grid1"].setRows(1);
        w.Read_Index = 255;
        QCoreApplication::processEvents();
        const auto start = Clock::now();
        w["Command1"].click();
        QCoreApplication::processEvents();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (w["Grid1"].rows() != 256) state.SkipWithError("not every message listed");
    }
    host.unbindAll();
}

void BM_SortAndList255(benchmark::State& state) {
    SortAndList(state, false);
}
void BM_SortAndList255Drawn(benchmark::State& state) {
    SortAndList(state, true);
}
BENCHMARK(BM_SortAndList255)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortAndList255Drawn)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
