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

// The answer to what was last written to the phone: whether its final result (or prompt) is
// still awaited, how long the phone may stay quiet, and how long it has been quiet.
struct ReplyWait {
    bool pending = false;
    int limitMs = 0;
    int quietMs = 0;
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
    std::unique_ptr<Window> Form5;  // message browser
    // Title of the message browser's save dialog, set by the language.
    std::string saveDialogTitle = "Salva SMS con nome...";

    // Reply handlers of the dialogues; each does nothing until its subsystem sets it.
    std::function<void(const std::string&)> continueSendStore;
    // True when it took an error reply as its own, which is then not reported.
    std::function<bool(const std::string&)> phonebookReply;
    // A complete read reply while the browser reads.
    std::function<void(const std::string&)> browserReply;
    // The phone took the last part of the send job's message; its reply.
    std::function<void(const SentMessage&, const std::string&)> sendAccepted;
    // A line the phone sent of its own accord that the program acts on (+CMTI, +CDSI, or +CDS
    // with the report's line); it may not write to the phone.
    std::function<void(const std::string& line, const std::string& reportLine)> indication;
    // Every arrival judged: what waited for a quiet moment may go on.
    std::function<void()> afterArrival;
    // The phone left a command unanswered: the windows of a dialogue end theirs; true when one
    // takes another way on by itself, and the user is not told.
    std::function<bool()> noAnswer;
    // Start-up's load of the phonebook file.
    std::function<void()> loadPhonebook;

    // Every window made so far, in the order the language texts reach them.
    std::vector<Window*> allWindows() const;

    // Writes one command line (the text and a carriage return) and awaits its answer.
    void WriteCommand(const std::string& command);
    // Writes bytes to the phone and awaits their answer for at most `replyLimitMs` of quiet.
    void Write(const std::string& bytes, int replyLimitMs);
    // Ends every dialogue with the phone, and the wait for an answer, before another starts:
    // no dialogue ever takes the replies of another for its own.
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
    // How much of the receive box has been judged, so that a line the phone sends of its own
    // accord does not make a reply already handled be handled again; and whether the box is
    // being added to (rather than emptied or edited).
    std::size_t judgedEnd = 0;
    bool appending = false;
    // Where the answer to the last write begins in the receive box; what follows a final result
    // there answers nothing.
    std::size_t commandMark = 0;
    ReplyWait replyWait;
    // How far the receive box has been looked through for lines the phone sent of its own accord.
    std::size_t indicationsScanned = 0;
    // Set once the program is ending: no further handlers run.
    bool ending = false;
};

}  // namespace bsms
