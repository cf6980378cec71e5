#include "link/reply_timer.h"

#include <vector>

#include "core/program.h"
#include "link/dispatcher.h"

namespace bsms {

namespace {

// True when the owner took another way on by itself and the user is not to be told.
bool Tell(Program& p, const Command& command, bool cutOff) {
    const OwnerHandlers& h = p.handlers(command.owner);
    return h.noAnswer ? h.noAnswer(command, cutOff) : false;
}

}  // namespace

void Reply_Timer_Tick(Program& p) {
    if (p.dispatching || p.ending) return;
    if (!p.Comm1.portOpen()) {
        Line_Closed(p);
        return;
    }
    const int tick = (*p.Form1)["Timer2"].interval;
    p.line.idle(tick);  // a line out of step goes back once it has settled
    InFlight* f = p.line.inFlight();
    if (f == nullptr) return;
    f->quietMs += tick;
    Judge_Answer(p);  // an answer that ends once the line has settled
    f = p.line.inFlight();
    if (f != nullptr && f->quietMs >= f->command.limitMs) Time_Out(p);
}

void Time_Out(Program& p) {
    const InFlight late = p.line.expire();
    bool quiet = true;
    if (late.command.owner == Owner::Resync) {
        // A phone that answered with no echo has had it turned off: the next "AT" ends once
        // the line settles, or the line would never come back in step.
        if (EndOfAnswer(late.answer, 0) != std::string_view::npos) p.line.phoneEchoes = false;
        if (!HasResyncEcho(late.answer)) ++p.line.unechoedResyncs;
        // Not even "AT" was answered: nothing waiting can be, and none of it is written.
        for (const Command& c : p.line.takeQueued()) {
            Tell(p, c, true);
            quiet = false;
        }
    } else if (!late.dropped) {
        quiet = Tell(p, late.command, false);
    }
    p.line.release();
    if (quiet || p.line.silenceTold) return;
    p.line.silenceTold = true;
    // Answers that come meanwhile are judged once the user has read it.
    p.dispatching = true;
    p.Box(MsgId::No_Answer, MsgId::Title_Error, MsgIcon::Critical);
    p.dispatching = false;
    Judge_Answer(p);
}

void Line_Closed(Program& p) {
    p.unfinishedLine.clear();  // the rest of it will never come
    if (!p.line.busy()) return;
    std::vector<Command> cut, kept;
    if (p.line.inFlight() != nullptr) {
        const InFlight f = p.line.expire();
        if (!f.dropped) cut.push_back(f.command);
    }
    for (Command& c : p.line.takeQueued())
        (c.outlivesPort ? kept : cut).push_back(std::move(c));
    for (Command& c : kept)
        p.Send(std::move(c));
    for (const Command& c : cut)
        Tell(p, c, true);
    p.line.portClosed();
}

}  // namespace bsms
