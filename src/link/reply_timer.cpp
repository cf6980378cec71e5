#include "link/reply_timer.h"

#include "core/program.h"

namespace bsms {

void Reply_Timer_Tick(Program& p) {
    ReplyWait& wait = p.replyWait;
    if (!wait.pending || p.dispatching || p.ending) return;
    if (!p.Comm1.portOpen()) {
        wait = {};
        return;
    }
    wait.quietMs += (*p.Form1)["Timer2"].interval;
    if (wait.quietMs < wait.limitMs) return;
    // While the dialogue flags still tell where it stood.
    if (p.noAnswer && p.noAnswer()) return;
    p.EndDialogues();
    p.Box(MsgId::No_Answer, MsgId::Title_Error, MsgIcon::Critical);
}

}  // namespace bsms
