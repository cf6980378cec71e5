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
    parser.setApplicationDescription(
        "Sends and reads SMS through the phone on the serial port, as the window does.\n\n"
        "Commands:\n"
        "  send [--to NUMBER|NAME] [--flash] [--report] [TEXT|-]\n"
        "                  send TEXT (or standard input) to a number or a phonebook name\n"
        "  list [--json]   the phone's messages, long ones joined, reports paired\n"
        "  read ID [--json]\n"
        "                  one message in full (ID as list shows it: 4, or 4,5)\n"
        "  delete ID...    delete messages from the phone\n"
        "  phonebook [--json] [--save]\n"
        "                  read the SIM's and the phone's phonebooks\n"
        "  probe           the phone's model\n\n"
        "Exit status: 0 done, 1 the phone refused, 2 wrong usage, 3 no phone (port missing,\n"
        "busy or forbidden), 4 the phone did not answer in time.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("command", "send, list, read, delete, phonebook or probe.");
    parser.addPositionalArgument("arguments", "The text, or the message Ids.", "[arguments...]");
    const QCommandLineOption to("to", "The recipient: a number or a name in Rubrica.txt.",
                                "number");
    const QCommandLineOption flash("flash", "Send as a flash message.");
    const QCommandLineOption report("report", "Ask the network for a delivery report.");
    const QCommandLineOption json("json", "Write JSON.");
    const QCommandLineOption save("save", "Keep the phonebook read in Rubrica.txt.");
    const QCommandLineOption port("port", "Port number, or the device itself.", "N|device");
    const QCommandLineOption speed("speed", "Speed, such as 115200 or 115200,n,8,1.", "speed");
    const QCommandLineOption centre("centre", "The service centre's number.", "number");
    const QCommandLineOption folder("folder", "The folder of the settings and files.", "dir");
    parser.addOptions({to, flash, report, json, save, port, speed, centre, folder});
    if (!parser.parse(QCoreApplication::arguments())) {
        std::cerr << parser.errorText().toStdString() << '\n';
        return static_cast<int>(CliStatus::Usage);
    }
    if (parser.isSet("help")) parser.showHelp(0);
    if (parser.isSet("version")) parser.showVersion();
    QStringList words = parser.positionalArguments();
    if (words.isEmpty()) {
        std::cerr << parser.helpText().toStdString();
        return static_cast<int>(CliStatus::Usage);
    }

    CliRequest request;
    request.command = words.takeFirst().toStdString();
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
