// Start-up to a drawn main window: the program made, every window bound to its widgets, the
// main window shown and start-up run, until the main window has been painted once. A first start
// with no files, and one with settings and a phonebook of 250 entries.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/startup.h"
#include "qt/qt_comm_port.h"
#include "qt/qt_host.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

QApplication& App() {
    static int argc = 1;
    static char name[] = "bsms-bench-startup";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

// Notes the first paint of the widget it watches.
class PaintWatch : public QObject {
  public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
};

fs::path Folder(bool withFiles) {
    const fs::path folder =
        fs::temp_directory_path() /
        ("bsms-bench-startup-" + std::to_string(getpid()) + (withFiles ? "-files" : "-empty"));
    fs::create_directories(folder);
    if (withFiles) {
        // Port 9 leads nowhere: the open fails quietly into the box the host answers.
        std::ofstream(folder / "Setting.sms", std::ios::binary)
            << " 1 \r\n115200,n,8,1\r\n 0 \r\n391234500000\r\nTrue\r\nFalse\r\nitaliano\r\n";
        std::ofstream book(folder / "Rubrica.txt", std::ios::binary);
        for (int i = 0; i < 250; ++i)
            book << "Contatto " << i << " (+39333" << 1000000 + i << ")\r\n";
    }
    return folder;
}

// Answers every box at once, so that a failing port open does not wait for a user.
class QuietHost : public bsms::qt::QtHost {
  public:
    bsms::MsgResult msgBox(const bsms::MessageBoxSpec&) override { return bsms::MsgResult::Ok; }
};

void BM_StartupToDrawnMainWindow(benchmark::State& state) {
    App();
    const fs::path folder = Folder(state.range(0) != 0);
    for (auto _ : state) {
        const auto start = Clock::now();
        bsms::qt::QtCommPort port(folder);
        QuietHost host;
        const auto program = bsms::MakeProgram(host, port, folder);
        for (bsms::Window* w : program->allWindows())
            host.bind(*w);
        PaintWatch watch;
        host.bind(*program->Form1).installEventFilter(&watch);
        host.showMain(*program->Form1);
        QDeadlineTimer deadline(10000);
        while (!watch.painted && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        host.bind(*program->Form1).removeEventFilter(&watch);
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_StartupToDrawnMainWindow)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
