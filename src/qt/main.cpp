// Brenvik SMS: sends and reads SMS through a GSM phone on a serial port.
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QIcon>

#include "app/startup.h"
#include "core/files.h"
#include "qt/command_line_main.h"
#include "qt/qt_comm_port.h"
#include "qt/qt_host.h"

int main(int argc, char** argv) {
    if (bsms::qt::IsCommandLine(argc, argv)) return bsms::qt::RunCommandLine(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Brenvik SMS");
    QApplication::setDesktopFileName("brenvik-sms");
    QApplication::setWindowIcon(QIcon(":/brenvik-sms.png"));
    QApplication::setApplicationVersion(QString("%1.%2.%3")
                                            .arg(BSMS_VERSION_MAJOR)
                                            .arg(BSMS_VERSION_MINOR)
                                            .arg(BSMS_VERSION_PATCH));
    // The windows are laid out for a small sans-serif face of the classic desktop.
    QFont font;
    font.setFamilies({"Liberation Sans", "Arial", "Nimbus Sans", "DejaVu Sans"});
    font.setPointSize(8);
    QApplication::setFont(font);

    const std::filesystem::path own = QApplication::applicationDirPath().toStdString();
    const bsms::ProgramFolder place = bsms::ChooseProgramFolder(
        own, qEnvironmentVariable("XDG_DATA_HOME").toStdString(), QDir::homePath().toStdString());
    bsms::qt::QtCommPort port(place.folder);
    bsms::qt::QtHost host;
    const auto program = bsms::MakeProgram(host, port, place.folder);
    program->makePort = [](const std::string& device) -> std::unique_ptr<bsms::CommPort> {
        auto search = std::make_unique<bsms::qt::QtCommPort>(std::filesystem::path());
        search->setDevice(device);
        return search;
    };
    if (place.elsewhere) {
        program->ownFolder = own;
        program->folderNew = place.madeNow;
    }
    for (bsms::Window* w : program->allWindows())
        host.bind(*w);
    host.showMain(*program->Form1);
    return QApplication::exec();
}
