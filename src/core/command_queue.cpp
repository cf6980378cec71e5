#include "core/command_queue.h"

#include <algorithm>
#include <utility>

namespace bsms {

namespace {

constexpr char kEscape = 27;

}  // namespace

Command CommandLine(Owner owner, std::string text, int tag, bool emptiesBox) {
    Command c;
    c.owner = owner;
    c.bytes = std::move(text) + "\r";
    c.tag = tag;
    c.emptiesBox = emptiesBox;
    return c;
}

CommandQueue::CommandQueue(std::function<void(const Command&)> put, std::function<bool()> open)
    : put_(std::move(put)), open_(std::move(open)) {}

void CommandQueue::submit(Command command) {
    if (holder_ == command.owner && !inFlight_)
        queue_.push_front(std::move(command));
    else
        queue_.push_back(std::move(command));
    pump();
}

void CommandQueue::pump() {
    if (inFlight_ || !open_()) return;
    // At once after a time-out, so that a late answer is thrown away before anyone waits for
    // the line; after an "AT" left unanswered, once something is to be written and the line has
    // been quiet for as long as a command is given: an "AT" written while the phone still sends
    // what it owed would be taken for answered by that.
    const bool resync = outOfStep_ && (std::exchange(resyncDue_, false) ||
                                       (!queue_.empty() && idleMs_ >= kCommandReplyMs));
    if (outOfStep_ && !resync) return;
    if (!resync && (queue_.empty() || queue_.front().waitMs > 0)) return;
    // The owner taking an answer may still write its next step.
    if (!resync && holder_ && queue_.front().owner != *holder_) return;
    if (resync) {
        // Whatever the phone still owes the command given up comes before the next answer.
        Command at = CommandLine(Owner::Resync, "AT", 0, false);
        if (std::exchange(escapeFirst_, false)) at.bytes.insert(at.bytes.begin(), kEscape);
        write(std::move(at));
        return;
    }
    Command next = std::move(queue_.front());
    queue_.pop_front();
    write(std::move(next));
}

void CommandQueue::write(Command command) {
    inFlight_ = InFlight{std::move(command), {}, 0, 0, false};
    put_(inFlight_->command);
}

InFlight CommandQueue::finish() {
    InFlight done = std::move(*inFlight_);
    inFlight_.reset();
    silenceTold = false;
    if (done.command.owner == Owner::Resync) outOfStep_ = false;
    holder_ = done.command.owner;
    return done;
}

InFlight CommandQueue::expire() {
    InFlight late = std::move(*inFlight_);
    inFlight_.reset();
    outOfStep_ = true;
    resyncDue_ = late.command.owner != Owner::Resync;
    escapeFirst_ = late.command.end == AnswerEnd::PromptOrFinal;
    holder_ = late.command.owner;
    return late;
}

void CommandQueue::abandonPrompt() {
    outOfStep_ = resyncDue_ = escapeFirst_ = true;
}

void CommandQueue::release() {
    holder_.reset();
    pump();
}

void CommandQueue::drop(const std::function<bool(Owner)>& which) {
    std::erase_if(queue_, [&](const Command& c) { return which(c.owner); });
    if (inFlight_ && which(inFlight_->command.owner)) inFlight_->dropped = true;
}

std::deque<Command> CommandQueue::takeQueued() {
    return std::exchange(queue_, {});
}

bool CommandQueue::has(Owner owner, std::optional<int> tag) const {
    const auto mine = [&](const Command& c) { return c.owner == owner && (!tag || c.tag == *tag); };
    if (inFlight_ && !inFlight_->dropped && mine(inFlight_->command)) return true;
    return std::any_of(queue_.begin(), queue_.end(), mine);
}

void CommandQueue::idle(int ms) {
    idleMs_ += ms;
    if (!queue_.empty()) queue_.front().waitMs = std::max(0, queue_.front().waitMs - ms);
    pump();
}

void CommandQueue::portClosed() {
    // A stale answer may still come once the port is open again.
    if (inFlight_) outOfStep_ = resyncDue_ = true;
    inFlight_.reset();
    holder_.reset();
    std::erase_if(queue_, [](const Command& c) { return !c.outlivesPort; });
}

void CommandQueue::reset() {
    inFlight_.reset();
    queue_.clear();
    holder_.reset();
    outOfStep_ = resyncDue_ = escapeFirst_ = silenceTold = false;
    idleMs_ = unechoedResyncs = 0;
    phoneEchoes = true;
}

}  // namespace bsms
