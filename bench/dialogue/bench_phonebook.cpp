// The phonebook download from the simulated phone over a pseudo-terminal paced at the line's
// speed: 250 SIM and 100 phone entries, timed from the menu click to the closing of the progress
// window, against the time the characters exchanged take on the line (10 bits a character).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fstream>

#include "app/form1.h"
#include "app/startup.h"
#include "dialogue_bench.h"
#include "qt/qt_comm_port.h"
#include "qt/qt_host.h"
#include "test_support.h"

namespace {

using namespace bsms;

constexpr int kSimEntries = 250;
constexpr int kPhoneEntries = 100;

using bench::CountingPort;

std::string Scenario() {
    std::string s;
    char line[160];
    for (int i = 1; i <= kSimEntries + kPhoneEntries; ++i) {
        const bool sim = i <= kSimEntries;
        std::snprintf(line, sizeof line,
                      "contact book=%s number=+39333%07d name=\"Nome Cognome %d\"\n",
                      sim ? "SM" : "ME", i * 7919, i);
        s += line;
    }
    return s;
}

// phone-sim on the "com1" link of a folder, paced at `baud`; stopped at the end.
bench::SimPhone StartSim(const std::filesystem::path& dir, int baud) {
    std::ofstream(dir / "scenario.txt") << Scenario();
    return bench::SimPhone(
        dir, {"--scenario", (dir / "scenario.txt").string(), "--baud", std::to_string(baud)});
}

QApplication& App() {
    static int argc = 1;
    static char name[] = "bsms-bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// Downloads until the state is done, on the desktop host given: the scripted one runs the
// progress window's loop itself, the Qt one draws every window as the program does.
void Download(benchmark::State& state, Host& host, const test::TempFolder& dir,
              CountingPort& port) {
    const int baud = static_cast<int>(state.range(0));
    const auto owner = MakeProgram(host, port, dir.path());
    Program& p = *owner;
    if (auto* qtHost = dynamic_cast<qt::QtHost*>(&host)) {
        for (Window* w : p.allWindows())
            qtHost->bind(*w);
        qtHost->showMain(*p.Form1);
    } else {
        p.Form1->load();
    }
    port.setSettings(std::to_string(baud) + ",n,8,1");
    try {
        port.setPortOpen(true);
    } catch (const CommError& e) {
        state.SkipWithError(e.what());
        return;
    }
    Status_Refresh(p);
    p.st.Sim_Phonebook_Size = kSimEntries;
    p.st.Phone_Phonebook_Size = kPhoneEntries;
    Window& form3 = *p.Form3;
    // A download that never ends is cancelled rather than hanging the run.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { form3["Command1"].click(); });

    double seconds = 0;
    std::size_t chars = 0;
    for (auto _ : state) {
        port.chars = 0;
        guard.start(std::chrono::minutes(2));
        const auto start = std::chrono::steady_clock::now();
        p.Form1->menu("Mn_Upload").click();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        if ((*p.Form1)["Combo2"].items().size() != kSimEntries + kPhoneEntries) {
            state.SkipWithError("the download did not end with every entry");
            break;
        }
        seconds += took.count();
        chars += port.chars;
    }
    if (auto* qtHost = dynamic_cast<qt::QtHost*>(&host)) qtHost->unbindAll();
    if (chars == 0) return;
    const double limit = static_cast<double>(chars) * 10 / baud;
    state.counters["chars"] = static_cast<double>(chars) / static_cast<double>(state.iterations());
    state.counters["line_s"] = limit / static_cast<double>(state.iterations());
    state.counters["ratio"] = seconds / limit;
}

// The core on the Qt serial port, no windows drawn.
void BM_PhonebookDownload(benchmark::State& state) {
    App();
    test::TempFolder dir;
    const bench::SimPhone sim = StartSim(dir.path(), static_cast<int>(state.range(0)));
    test::ScriptedHost host;
    host.duringModal = [](Window& w) {
        QEventLoop loop;
        const auto unload = w.onUnload;
        w.onUnload = [&] {
            unload();
            loop.quit();
        };
        loop.exec();
        w.onUnload = unload;
    };
    CountingPort port(dir.path());
    Download(state, host, dir, port);
}

// The whole program: every window drawn (offscreen), the receive box and the picker included.
void BM_PhonebookDownloadDrawn(benchmark::State& state) {
    App();
    test::TempFolder dir;
    const bench::SimPhone sim = StartSim(dir.path(), static_cast<int>(state.range(0)));
    qt::QtHost host;
    CountingPort port(dir.path());
    Download(state, host, dir, port);
}

void Speeds(benchmark::internal::Benchmark* b) {
    b->UseManualTime()->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_PhonebookDownload)->Arg(115200)->Iterations(5)->Apply(Speeds);
BENCHMARK(BM_PhonebookDownload)->Arg(9600)->Iterations(1)->Apply(Speeds);
BENCHMARK(BM_PhonebookDownloadDrawn)->Arg(115200)->Iterations(5)->Apply(Speeds);
BENCHMARK(BM_PhonebookDownloadDrawn)->Arg(9600)->Iterations(1)->Apply(Speeds);

}  // namespace
