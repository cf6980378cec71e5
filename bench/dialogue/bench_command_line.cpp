// The command line against the simulated phone at 115200 bit/s, timed from the program's start
// to its exit: a five-part send against the line time plus the program's own start-up (a probe's
// run less its line time), and the listing of 50 messages against the window's, from the
// browser's opening to the last row listed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/command_line.h"
#include "app/form1.h"
#include "app/startup.h"
#include "dialogue_bench.h"
#include "link/settings_files.h"
#include "sms/pdu_builder.h"

namespace {

using namespace bsms;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr int kBaud = 115200;

// phone-sim at kBaud on the "com1" link of a fresh folder with the settings of port 1.
class Sim {
  public:
    Sim()
        : folder_(MakeFolder()),
          phone_(folder_, {"--scenario", (folder_ / "scenario.txt").string(), "--baud",
                           std::to_string(kBaud)}) {}
    ~Sim() { fs::remove_all(folder_); }
    const fs::path& folder() const { return folder_; }

  private:
    static fs::path MakeFolder() {
        fs::path folder =
            fs::temp_directory_path() / ("bsms-bench-cli-" + std::to_string(getpid()));
        fs::create_directories(folder);
        std::ofstream(folder / "scenario.txt") << bench::Scenario(50, 50);
        std::ofstream(folder / "Setting.sms", std::ios::binary)
            << " 1 \r\n115200,n,8,1\r\n 0 \r\n391234500000\r\nFalse\r\nFalse\r\nenglish\r\n";
        return folder;
    }
    fs::path folder_;
    bench::SimPhone phone_;
};

// One run of the program with `args`, output thrown away; its time, or a negative one when it
// failed.
double Run(const fs::path& folder, std::vector<std::string> args) {
    args.insert(args.begin(), {std::string(BSMS_BIN_DIR) + "/brenvik-sms"});
    args.insert(args.end(), {"--folder", folder.string()});
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = -1;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? took : -1;
}

// The characters of a send of `text` on the line, both ways, at 10 bits each.
double LineSeconds(const std::string& text) {
    SubmitRequest request;
    request.serviceCentre = "391234500000";
    request.recipient = "+393331234567";
    request.text = text;
    const PduBuild build = BuildSubmit(request).build;
    std::size_t chars = 0;
    for (const PduPart& part : build.parts) {
        if (part.Part_Pdu.empty()) continue;
        // The command and its echo, the prompt, the PDU and its echo, "+CMGS: n" and OK.
        const std::size_t command = 9 + std::to_string(part.Part_Length).size();
        chars += 2 * command + 4 + 2 * (part.Part_Pdu.size() + 1) + 14 + 6;
    }
    return static_cast<double>(chars) * 10 / kBaud;
}

void BM_CommandLineFivePartSend(benchmark::State& state) {
    Sim sim;
    const std::string text(760, 'x');
    const double line = LineSeconds(text);
    double startup = 0, total = 0;
    for (auto _ : state) {
        // The probe's own exchange ("AT+CGMM", its echo, the model and OK) is small beside it.
        const double probe = Run(sim.folder(), {"probe"});
        const double send = Run(sim.folder(), {"send", "--to", "+393331234567", text});
        if (probe < 0 || send < 0) {
            state.SkipWithError("a run failed");
            break;
        }
        state.SetIterationTime(send);
        startup += probe;
        total += send;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["line_ms"] = 1000 * line;
    state.counters["startup_ms"] = 1000 * startup / n;
    state.counters["budget_ms"] = 1000 * (line + startup / n + 0.1);
    state.counters["within_budget"] = total / n <= line + startup / n + 0.1 ? 1 : 0;
}
BENCHMARK(BM_CommandLineFivePartSend)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The window's listing of the same phone, from the browser's opening to the last row listed.
double WindowListing(const fs::path& folder) {
    static int argc = 1;
    static char name[] = "bsms-bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    CliHost host;  // windows shown without a loop of their own, boxes answered at once
    qt::QtCommPort port(folder);
    const auto program = MakeProgram(host, port, folder);
    Program& p = *program;
    p.Form1->load();
    const auto until = [](const std::function<bool()>& done) {
        QDeadlineTimer deadline(30000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return done();
    };
    until([&] { return !p.line.busy(); });
    const auto start = Clock::now();
    (*p.Form1)["Command4"].click();
    (*p.Form5)["Command1"].click();
    const bool listed = until([&] { return (*p.Form5)["Command7"].enabled(); });
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    Close_Port(p);
    return listed && (*p.Form5)["Grid1"].rows() == 51 ? took : -1;
}

void BM_CommandLineList50(benchmark::State& state) {
    Sim sim;
    double window = 0, total = 0;
    for (auto _ : state) {
        const double w = WindowListing(sim.folder());
        const double list = Run(sim.folder(), {"list", "--json"});
        if (w < 0 || list < 0) {
            state.SkipWithError("a listing failed");
            break;
        }
        state.SetIterationTime(list);
        window += w;
        total += list;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["window_ms"] = 1000 * window / n;
    state.counters["ratio_to_window"] = total / window;
}
BENCHMARK(BM_CommandLineList50)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
