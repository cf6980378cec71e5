#include "qt/command_line_main.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocale>
#include <QTimer>
#include <chrono>
#include <cstring>
#include <iostream>

#include "app/command_line.h"
#include "app/startup.h"
#include "core/files.h"
#include "qt/qt_comm_port.h"

namespace bsms::qt {

namespace {

// The longest a run waits for one step: far beyond the phone's own time limits, which end a
// dialogue first.
constexpr std::chrono::minutes kRunLimit{15};

// The language of the words on standard error for a folder without settings: the system's.
std::string SystemLanguage() {
    const QString name = QLocale::system().name();
    for (const auto& [prefix, word] : {std::pair{"it", "italiano"}, std::pair{"sk", "slovak"},
                                       std::pair{"hu", "magyar"}, std::pair{"pl", "polski"}})
        if (name.startsWith(prefix)) return word;
    return "english";
}

}  // namespace

bool IsCommandLine(int argc, char** argv) {
    if (argc < 2) return false;
    // Qt's own options (-platform, -style) are the window's.
    if (argv[1][0] != '-') return true;
    for (int i = 1; i < argc; ++i)
        for (const char* word : {"send", "list", "read", "delete", "phonebook", "probe", "--help",
                                 "-h", "--version", "-v"})
            if (std::strcmp(argv[i], word) == 0) return true;
    return false;
}

int RunCommandLine(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("brenvik-sms");
    QCoreApplication::setApplicationVersion(QString("%1.%2.%3")
                                                .arg(BSMS_VERSION_MAJOR)
                                                .arg(BSMS_VERSION_MINOR)
                                                .arg(BSMS_VERSION_PATCH));
    QCommandLineParser parser;
    // The usage is the core's, in the user's language: the options need no words here.
    const QCommandLineOption help(QStringList{"h", "help"}), version(QStringList{"v", "version"});
    const QCommandLineOption to("to", {}, "number"), flash("flash"), report("report"), json("json"),
        save("save"), port("port", {}, "port"), speed("speed", {}, "speed"),
        centre("centre", {}, "number"), folder("folder", {}, "dir");
    parser.addOptions({help, version, to, flash, report, json, save, port, speed, centre, folder});
    if (!parser.parse(QCoreApplication::arguments())) {
        std::cerr << parser.errorText().toStdString() << '\n';
        return static_cast<int>(CliStatus::Usage);
    }
    if (parser.isSet(version)) {
        std::cout << "brenvik-sms " << QCoreApplication::applicationVersion().toStdString() << '\n';
        return 0;
    }
    QStringList words = parser.positionalArguments();
    CliRequest request;
    request.command =
        parser.isSet(help) || words.isEmpty() ? "--help" : words.takeFirst().toStdString();
    for (const QString& w : words)
        request.operands.push_back(w.toStdString());
    request.to = parser.value(to).toStdString();
    request.flash = parser.isSet(flash);
    request.report = parser.isSet(report);
    request.json = parser.isSet(json);
    request.save = parser.isSet(save);
    request.speed = parser.value(speed).toStdString();
    if (parser.isSet(centre)) request.centre = parser.value(centre).toStdString();
    request.language = SystemLanguage();

    const std::filesystem::path own = QCoreApplication::applicationDirPath().toStdString();
    const std::filesystem::path place =
        parser.isSet(folder)
            ? std::filesystem::path(parser.value(folder).toStdString())
            : ChooseProgramFolder(own, qEnvironmentVariable("XDG_DATA_HOME").toStdString(),
                                  QDir::homePath().toStdString())
                  .folder;
    QtCommPort serial(place);
    if (parser.isSet(port)) {
        bool number = false;
        const int n = parser.value(port).toInt(&number);
        if (number)
            request.port = n;
        else
            serial.setDevice(parser.value(port).toStdString());
    }
    CliHost host;
    const auto program = MakeProgram(host, serial, place);
    // The reply timer runs as the window's binding runs it.
    Control& replyTimer = (*program->Form1)["Timer2"];
    QTimer ticks;
    ticks.callOnTimeout([&replyTimer] { replyTimer.tick(); });
    ticks.start(replyTimer.interval);
    const CliWait wait = [](const std::function<bool()>& done) {
        const QDeadlineTimer limit(kRunLimit);
        while (!done()) {
            if (limit.hasExpired()) return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return true;
    };
    const CliStatus status =
        Run_Command_Line(*program, host, request, wait, std::cin, std::cout, std::cerr);
    std::cout.flush();
    program->ending = true;
    if (serial.portOpen()) serial.setPortOpen(false);
    return static_cast<int>(status);
}

}  // namespace bsms::qt
