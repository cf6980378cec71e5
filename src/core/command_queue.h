// Every command to the phone goes through one queue: at most one is on the line at a time, its
// record names the owner its answer goes to and what ends that answer, and the others wait their
// turn. After a time-out the line is put back in step ("AT" and its own final result) before the
// next command, so that a late answer never reaches another command.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace bsms {

// How long the phone may stay quiet before a command is given up. An ordinary command is
// answered at once, but a SIM may take seconds before its first entry or message; a message's
// PDU waits for the network, which peers give a minute.
inline constexpr int kCommandReplyMs = 10000;
inline constexpr int kPduReplyMs = 60000;
// How long the line must stay quiet before it is taken to have settled: an answer to "AT" from a
// phone that does not echo is then complete.
inline constexpr int kSettleMs = 1000;

// Who writes a command and takes its answer.
enum class Owner {
    Probe,             // Mn_Test: the model, read by the user in the receive box
    ServiceCentre,     // the service-centre query
    SendStore,         // the send and store jobs: each part's command line, then its PDU
    Phonebook,         // the steps of the phonebook download
    PhonebookRestore,  // the phone's character set given back after a download cut short
    Indications,       // new-message indications set up as the port opens
    Reports,           // a delivery report the phone stored: read, kept, deleted
    BrowserMemory,     // the message browser's choice of memory
    BrowserRead,       // the listing of the whole memory, or one location of the scan
    BrowserArrival,    // a new message read into an open browser
    BrowserDelete,     // one location of a row the user deleted
    Notify,            // a new message read for its desktop notification
    BookEdit,          // a phonebook entry written, deleted and read back
    Sim,               // the SIM's state as the port opens, its PIN or PUK
    Network,           // registration, operator and signal, asked now and then
    Resync,            // "AT" after a time-out
    Count
};
inline constexpr int kOwnerCount = static_cast<int>(Owner::Count);

// What ends the answer to a command: a final result, or else the prompt for a PDU.
enum class AnswerEnd { FinalResult, PromptOrFinal };

struct Command {
    Owner owner = Owner::Probe;
    std::string bytes;  // as written; a command line ends with a carriage return
    AnswerEnd end = AnswerEnd::FinalResult;
    int limitMs = kCommandReplyMs;  // quiet time allowed before the answer is given up
    int tag = 0;                    // its owner's own: the location a read or delete names
    // The receive box is emptied as it is written, so that the user sees its answer alone.
    bool emptiesBox = false;
    // Waits for the port to be opened again rather than going with the closed port.
    bool outlivesPort = false;
    // Its information line ends the answer once the line has settled, for a phone that leaves
    // out the final result after it.
    bool resultMayLack = false;
    // Times it went again because the SIM was still starting up.
    int retries = 0;
    // At the head of the queue, how long it still waits before it is written (nothing else is
    // written meanwhile).
    int waitMs = 0;
};

// A command line of `owner`: the text and a carriage return, answered by a final result.
Command CommandLine(Owner owner, std::string text, int tag = 0, bool emptiesBox = true);

// The command on the line and what has come back since it was written.
struct InFlight {
    Command command;
    std::string answer;
    // How far the answer has been looked through for its end (whole lines only).
    std::size_t judged = 0;
    int quietMs = 0;
    // Its dialogue has ended: the answer, when it comes, goes to no one.
    bool dropped = false;
};

class CommandQueue {
  public:
    // `put` writes a command; `open` says whether there is a line to write to.
    CommandQueue(std::function<void(const Command&)> put, std::function<bool()> open);

    // Writes the command when the line is free, or queues it. The owner taking an answer
    // (between finish() and release()) goes first with its next step: a PDU must follow its
    // prompt, and no other command may come between the steps of one dialogue.
    void submit(Command command);
    // The command on the line, or null.
    InFlight* inFlight() { return inFlight_ ? &*inFlight_ : nullptr; }
    const InFlight* inFlight() const { return inFlight_ ? &*inFlight_ : nullptr; }
    // Its answer is complete: the command leaves the line, held by its owner until release().
    InFlight finish();
    // Its time ran out: it leaves the line, which is out of step until an "AT" is answered.
    InFlight expire();
    // The owner has taken its answer: the next command goes.
    void release();
    // Something came from the phone; or `ms` passed (a line out of step may go back in step).
    void heard() { idleMs_ = 0; }
    void idle(int ms);
    // A prompt for a PDU came that no one answers (its dialogue ended meanwhile): the phone is
    // taking a PDU, which Escape ends, and the line goes back in step before the next command.
    void abandonPrompt();
    // Writes the next command if the line is free (once the port has been opened, say).
    void pump();

    // The queued commands of the owners `which` names go; the one on the line, if theirs,
    // answers to no one.
    void drop(const std::function<bool(Owner)>& which);
    // Every queued command, taken off the queue (for a line that has gone silent or closed).
    std::deque<Command> takeQueued();
    // Whether a command of `owner` (with `tag`, when given) is on the line, its answer still
    // wanted, or waiting.
    bool has(Owner owner, std::optional<int> tag = std::nullopt) const;
    // Whether anything is on the line or waiting.
    bool busy() const { return inFlight_.has_value() || !queue_.empty(); }
    bool outOfStep() const { return outOfStep_; }
    // A closed port: nothing more comes of what was on the line; a stale answer may still be
    // on its way when the port opens again, so the line starts out of step.
    void portClosed();
    // Forgets everything: a line as at the start.
    void reset();

    // Whether the user has been told, since the phone last answered, that it does not.
    bool silenceTold = false;
    // Whether the phone echoes what it is sent, as its last answer to a command line showed
    // (phones do unless told not to).
    bool phoneEchoes = true;
    // "AT"s given up before their echo came: the phone still owes each its echo and result,
    // which come before those of the "AT" on the line.
    int unechoedResyncs = 0;

  private:
    void write(Command command);

    std::function<void(const Command&)> put_;
    std::function<bool()> open_;
    std::optional<InFlight> inFlight_;
    std::deque<Command> queue_;
    std::optional<Owner> holder_;
    bool outOfStep_ = false;
    bool resyncDue_ = false;
    int idleMs_ = 0;
    // The command given up waited for a prompt: the phone may be taking a PDU, which Escape ends.
    bool escapeFirst_ = false;
};

}  // namespace bsms
