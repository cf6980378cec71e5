// The program's dialogues run from a command line: the same windows' models, the same command
// queue and files, with no window shown and no one to ask.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/host.h"

namespace bsms {

class Program;
struct ListedMessage;

// A run's exit status.
enum class CliStatus {
    Done = 0,
    Refused = 1,  // the phone refused, or the SIM waits for its code
    Usage = 2,
    NoPhone = 3,  // the port is missing, busy or forbidden
    Silent = 4    // the phone did not answer in time
};

struct CliRequest {
    std::string command;  // send, list, read, delete, phonebook, probe; "--help" for the usage
    std::vector<std::string> operands;
    std::string to;
    bool flash = false;
    bool report = false;
    bool json = false;
    bool save = false;  // the phonebook read goes into Rubrica.txt
    // What Setting.sms says otherwise: a port number (0: the file's), a speed ("115200" or
    // "115200,n,8,1"), a service centre.
    int port = 0;
    std::string speed;
    std::optional<std::string> centre;
    // The language of the words on standard error when Setting.sms names none.
    std::string language = "english";
};

// The desktop of a run with no one at it: every box is kept for the run to judge, a question
// takes its first button (the one that goes on), and a window loads and stays shown without a
// wait, but the SIM's code window, which no one can fill.
class CliHost : public Host {
  public:
    std::vector<MessageBoxSpec> boxes;

    MsgResult msgBox(const MessageBoxSpec& box) override;
    void showModal(Window& window) override;
    std::optional<std::string> saveFileDialog(const SaveDialogSpec&) override {
        return std::nullopt;
    }
    void setBusyPointer(bool) override {}
    void startProgram(const std::string&, const std::vector<std::string>&) override {}
    void openUrl(const std::string&) override {}
    void openDocument(const std::string&) override {}
    void quit() override {}
};

// Runs the serial arrivals and the reply timer until `done` holds; false when the run's own
// limit passed first.
using CliWait = std::function<bool(const std::function<bool()>& done)>;

// Starts the program as the window does (settings, phonebook file, the port opened and the SIM
// asked), then runs the request; the result goes to `out`, the words on what went wrong to
// `err`. `in` gives the text of "send -" or of a send without one.
CliStatus Run_Command_Line(Program& p, CliHost& host, const CliRequest& request,
                           const CliWait& wait, std::istream& in, std::ostream& out,
                           std::ostream& err);

// One listed message as a line of JSON with the keys id, locations, status, kind, number,
// name, time, text, parts, encoding and report.
std::string MessageJson(const ListedMessage& message);
// A service-centre time with its own offset, as ISO 8601 ("2026-12-07T18:05:09+01:00"); empty
// for an unknown time.
std::string IsoTime(long long epochSeconds, int zoneMinutes);

}  // namespace bsms
