// The running program: its windows, the serial port, the dialogue state and the language texts.
// One instance owns everything for the whole run; tests build a fresh one each time.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/comm_port.h"
#include "core/command_queue.h"
#include "core/controls.h"
#include "core/dialogue_state.h"
#include "core/host.h"
#include "core/message_texts.h"
#include "sms/pdu_builder.h"

namespace bsms {

// The message and title texts of the current language; Italian until a language is applied.
struct MessageTexts {
    std::array<std::string, static_cast<int>(MsgId::Count)> text;
    const std::string& operator[](MsgId id) const { return text[static_cast<int>(id)]; }
    std::string& operator[](MsgId id) { return text[static_cast<int>(id)]; }
};

// What each owner of commands does with their answers.
// The tag of a send's PDU on its way when the send was ended.
inline constexpr int kEndedSendPart = -1;

struct OwnerHandlers {
    // The complete answer to one of its commands (up to its final result or prompt, without the
    // lines the phone sent of its own accord); true when it dealt with an error result itself,
    // which is then not reported.
    std::function<bool(const Command&, const std::string& answer)> answer;
    // The command went unanswered: its time ran out, or (`cutOff`) the port closed, or the phone
    // answered nothing at all before it was written. True when the owner takes another way on by
    // itself, and the user is not told.
    std::function<bool(const Command&, bool cutOff)> noAnswer;
    // Its dialogue was ended from outside (another started, an error reported) before it was
    // through.
    std::function<void()> ended;
};

class Program {
  public:
    // The windows are made and the handlers wired by the main window's start-up code.
    Program(Host& host, CommPort& port, std::filesystem::path folder);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    Host& host;
    CommPort& Comm1;
    // A port of its own on one device, for the search for the phone; none where ports cannot be
    // made. Such ports never carry the program's commands (Send and the line are Comm1's).
    std::function<std::unique_ptr<CommPort>(const std::string& device)> makePort;
    // The program's folder: settings, counter, log and phonebook files live here.
    const std::filesystem::path folder;
    // The executable's own folder when it could not be written and `folder` is the user's data
    // folder instead (empty otherwise); start-up says so when that folder is new.
    std::filesystem::path ownFolder;
    bool folderNew = false;

    DialogueState st;
    MessageTexts texts;

    // The PDUs of the last build, read by the send and store commands.
    PduBuild Pdu_Parts;

    // The windows, each made by its subsystem; a subsystem may subclass Window to keep the state
    // that belongs to its window instance.
    std::unique_ptr<Window> Form1;  // main window
    std::unique_ptr<Window> Form2;  // port settings
    std::unique_ptr<Window> Form3;  // phonebook download progress
    std::unique_ptr<Window> Form4;  // special characters
    std::unique_ptr<Window> About;
    std::unique_ptr<Window> Form5;    // message browser
    std::unique_ptr<Window> FormPin;  // the SIM's PIN or PUK
    std::unique_ptr<Window> Form6;    // search for the phone among the serial devices
    std::unique_ptr<Window> Form7;    // the phonebooks, edited
    // Title of the message browser's save dialog, set by the language.
    std::string saveDialogTitle = "Salva SMS con nome...";

    // The commands to the phone, and who takes their answers.
    CommandQueue line;
    std::array<OwnerHandlers, kOwnerCount> owners;
    OwnerHandlers& handlers(Owner owner) { return owners[static_cast<int>(owner)]; }
    // The phone took the last part of the send job's message; its reply.
    std::function<void(const SentMessage&, const std::string&)> sendAccepted;
    // A line the phone sent of its own accord that the program acts on (+CMTI, +CDSI, or +CDS
    // with the report's line).
    std::function<void(const std::string& line, const std::string& reportLine)> indication;
    // Start-up's load of the phonebook file.
    std::function<void()> loadPhonebook;

    // Every window made so far, in the order the language texts reach them.
    std::vector<Window*> allWindows() const;

    // Queues a command: written when the line is free, its answer to its owner.
    void Send(Command command) { line.submit(std::move(command)); }
    // Ends every dialogue the user starts (probe, service centre, send and store, phonebook)
    // before another starts: their queued commands go, the answer on its way goes to no one,
    // and no dialogue ever takes the replies of another for its own. But for a send's PDU on its
    // way: tagged kEndedSendPart, its answer settles the send ended (st.endingSend).
    void EndDialogues();
    // A string parameter as this phone takes it: bare, as phones have long taken it, or in
    // quotes once the phone refused it bare (quotedStrings).
    std::string StringParameter(const std::string& value) const;
    // Set, until the port is opened again, when the phone refused a string parameter without
    // quotes.
    bool quotedStrings = false;
    // Set, until the port is opened again, when the phone refused AT+CMGL (or left it
    // unanswered): its memory is then read location by location.
    bool listingRefused = false;
    // A message box with the texts of the current language.
    MsgResult Box(const std::string& text, const std::string& title, MsgIcon icon,
                  MsgButtons buttons = MsgButtons::Ok, int defaultButton = 0);
    MsgResult Box(MsgId text, MsgId title, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok,
                  int defaultButton = 0);

    // Set while the dispatcher runs, so that arrivals during its message boxes only append.
    bool dispatching = false;
    bool arrivedWhileDispatching = false;
    // Whether the receive box is being added to (rather than emptied or edited).
    bool appending = false;
    // What has come since the last line break: a line the phone is still sending, which the
    // answer to a command written now must see whole to know it for one of the phone's own.
    std::string unfinishedLine;
    // How far the receive box has been looked through for lines the phone sent of its own accord.
    std::size_t indicationsScanned = 0;
    // Set once the program is ending: no further handlers run.
    bool ending = false;

  private:
    // Writes a command the queue lets go, emptying the receive box first when it asks.
    void Put(const Command& command);
};

}  // namespace bsms
