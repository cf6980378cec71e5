#include "link/dispatcher.h"

#include <optional>
#include <span>
#include <utility>

#include "base/text.h"
#include "core/files.h"
#include "core/program.h"
#include "link/error_codes.h"
#include "link/indications.h"
#include "link/settings_files.h"
#include "link/sim_pin.h"

namespace bsms {

namespace {

// The last characters of the buffer as code points; endings are judged on characters.
std::u32string Tail(std::string_view s, std::size_t bytes = 96) {
    if (s.size() <= bytes) return Utf8ToU32(s);
    std::size_t start = s.size() - bytes;
    while (start < s.size() && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80)
        ++start;
    return Utf8ToU32(s.substr(start));
}

bool TailMatches(std::string_view s, std::size_t fromEnd, std::u32string_view word) {
    const std::u32string t = Tail(s);
    if (t.size() < fromEnd) return false;
    return t.compare(t.size() - fromEnd, word.size(), word) == 0;
}

}  // namespace

bool HasOkEnding(std::string_view s) {
    return TailMatches(s, 4, U"OK");
}
bool HasPromptEnding(std::string_view s) {
    const std::size_t mark = s.find_last_not_of(" \r\n");
    return mark != std::string_view::npos && s[mark] == '>' &&
           (mark == 0 || s[mark - 1] == '\r' || s[mark - 1] == '\n');
}
bool HasErrorEnding(std::string_view s) {
    return TailMatches(s, 7, U"ERROR");
}

std::string ExtendedErrorLine(std::string_view s) {
    if (s.size() < 2 || s.substr(s.size() - 2) != "\r\n") return {};
    const std::string_view body = s.substr(0, s.size() - 2);
    const auto lineStart = body.find_last_of("\r\n");
    const std::string_view line =
        lineStart == std::string_view::npos ? body : body.substr(lineStart + 1);
    for (std::string_view prefix : {"+CMS ERROR:", "+CME ERROR:"}) {
        if (line.substr(0, prefix.size()) == prefix) return std::string(line);
    }
    return {};
}

bool IsFinalResultLine(std::string_view line) {
    return line == "OK" || line == "ERROR" || line.starts_with("+CMS ERROR:") ||
           line.starts_with("+CME ERROR:");
}

bool HasErrorResult(std::string_view s) {
    return HasErrorEnding(s) || !ExtendedErrorLine(s).empty();
}

bool HasResyncEcho(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t lineEnd = s.find_first_of("\r\n", i);
        if (lineEnd == std::string_view::npos) return false;
        if (s.substr(i, lineEnd - i).ends_with("AT")) return true;
        i = lineEnd + 1;
    }
    return false;
}

bool IsEmptyLocationAnswer(std::string_view s) {
    if (HasErrorEnding(s)) return true;
    const auto error = ErrorCode(ExtendedErrorLine(s));
    return error == ErrorResult{ErrorResult::Kind::Cms, kCmsInvalidMemoryIndex};
}

namespace {

// Lines a phone sends of its own accord: a call, a message or report arriving, the network, its
// time zone. They answer no command and are left out of the replies the dialogues read. ("^"
// starts the codes some USB modems add; +QIND and *PSUTTZ are Quectel's and SIMCom's.)
constexpr std::string_view kUnsolicited[] = {
    "RING",   "+CRING:", "+CLIP:",  "+CMTI:",  "+CDSI:",   "+CBMI:", "+CMT:",
    "+CDS:",  "+CBM:",   "+CREG:",  "+CGREG:", "+CEREG:",  "+CUSD:", "+CIEV:",
    "+CTZV:", "+CTZE:",  "+CTZEU:", "+QIND:",  "*PSUTTZ:", "^"};
// These bring the message itself on the next line.
constexpr std::string_view kWithPduLine[] = {"+CMT:", "+CDS:", "+CBM:"};

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

bool StartsWithAny(std::string_view line, std::span<const std::string_view> prefixes) {
    for (std::string_view u : prefixes)
        if (line.starts_with(u)) return true;
    return false;
}

// A line that answers the command whose own tag is `own` ("+CREG:" for "AT+CREG?"). The
// registration codes also come unasked, but then without the setting the answer starts with
// ("+CREG: 1" or "+CREG: 1,"00C3",..." rather than "+CREG: 0,1").
bool Answers(std::string_view line, std::string_view own) {
    if (own.empty() || !line.starts_with(own)) return false;
    if (own != "+CREG:" && own != "+CGREG:" && own != "+CEREG:") return true;
    const std::size_t comma = line.find(',');
    return comma != std::string_view::npos && comma + 1 < line.size() && line[comma + 1] != '"';
}

// A line not yet ended that may still turn out to be unsolicited.
bool MayBeUnsolicited(std::string_view partial) {
    for (std::string_view u : kUnsolicited)
        if (u.starts_with(partial) || partial.starts_with(u)) return true;
    return false;
}

// Past the line break at i: CR LF, or a single CR or LF.
std::size_t PastBreak(std::string_view s, std::size_t i) {
    if (i < s.size() && s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') return i + 2;
    return std::min(i + 1, s.size());
}

// The end of the line starting at i (its first break), or npos when it has not ended yet.
std::size_t LineEnd(std::string_view s, std::size_t i) {
    while (i < s.size() && !IsBreak(s[i]))
        ++i;
    return i < s.size() ? i : std::string_view::npos;
}

}  // namespace

std::size_t EndOfAnswer(std::string_view s, std::size_t from) {
    std::size_t end = std::string_view::npos;
    for (std::size_t i = std::min(from, s.size()); i < s.size();) {
        const std::size_t lineEnd = LineEnd(s, i);
        if (lineEnd == std::string_view::npos) break;
        if (IsFinalResultLine(s.substr(i, lineEnd - i))) end = PastBreak(s, lineEnd);
        i = PastBreak(s, lineEnd);
    }
    return end;
}

std::string ReplyView(std::string_view buffer, std::string_view own) {
    std::string out;
    std::size_t i = 0;
    while (i < buffer.size()) {
        std::size_t start = i;  // the breaks before the line, then the line
        while (start < buffer.size() && IsBreak(buffer[start]))
            ++start;
        const std::size_t end = LineEnd(buffer, start);
        const std::string_view line =
            buffer.substr(start, end == std::string_view::npos ? end : end - start);
        const bool unsolicited =
            !line.empty() && (end == std::string_view::npos
                                  ? MayBeUnsolicited(line)
                                  : StartsWithAny(line, kUnsolicited) && !Answers(line, own));
        if (!unsolicited) {
            out.append(buffer.substr(i, start - i)).append(line);
            i = start + line.size();
            continue;
        }
        // The line goes with the breaks that opened it, but the one that ended the line before
        // stays (a prompt has none); a line still on its way is held back until it is known.
        if (i > 0 && start > i && !out.ends_with("> "))
            out.append(buffer.substr(i, PastBreak(buffer, i) - i));
        if (end == std::string_view::npos) break;
        i = PastBreak(buffer, end);
        if (StartsWithAny(line, kWithPduLine)) {
            const std::size_t pduEnd = LineEnd(buffer, i);
            if (pduEnd == std::string_view::npos) break;
            i = PastBreak(buffer, pduEnd);
        }
    }
    // An empty line at the end only opens the next one: it is judged when that one is known.
    std::size_t run = out.size();
    while (run > 0 && IsBreak(out[run - 1]))
        --run;
    if (std::string_view(out).substr(0, run).ends_with("> ")) {
        out.resize(run);
    } else if (const auto lf = out.find('\n', run); lf != std::string::npos) {
        out.resize(lf + 1);
    }
    return out;
}

namespace {

const std::string& Buffer(Program& p) {
    return (*p.Form1)["Text1"].text();
}

// Where the oldest text of a box grown past its limit is cut: the newest three quarters are
// kept, from a line start.
std::size_t TrimPoint(const std::string& text) {
    if (text.size() <= kReceiveBoxLimit) return 0;
    std::size_t cut = text.size() - kReceiveBoxLimit * 3 / 4;
    const auto nl = text.find('\n', cut);
    if (nl != std::string::npos && nl + 1 < text.size()) return nl + 1;
    while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        ++cut;
    return cut;
}

// The lines the phone sends of its own accord that the program acts on: a message or report
// stored (+CMTI, +CDSI), a report given whole (+CDS and the report's line). Each complete one is
// handed on once, as it arrives, before any handler empties the box.
void ScanIndications(Program& p) {
    const std::string& b = Buffer(p);
    std::size_t i = std::min(p.indicationsScanned, b.size());
    while (i < b.size()) {
        std::size_t start = i;
        while (start < b.size() && IsBreak(b[start]))
            ++start;
        const std::size_t end = LineEnd(b, start);
        if (end == std::string_view::npos) break;
        const std::string_view line = std::string_view(b).substr(start, end - start);
        std::size_t next = PastBreak(b, end);
        std::string_view pdu;
        if (line.starts_with("+CDS:")) {
            std::size_t pduStart = next;
            while (pduStart < b.size() && IsBreak(b[pduStart]))
                ++pduStart;
            const std::size_t pduEnd = LineEnd(b, pduStart);
            if (pduEnd == std::string_view::npos) break;  // the report is still on its way
            pdu = std::string_view(b).substr(pduStart, pduEnd - pduStart);
            next = PastBreak(b, pduEnd);
        }
        const bool acted = line.starts_with("+CMTI:") || line.starts_with("+CDSI:") || !pdu.empty();
        p.indicationsScanned = next;
        if (acted && p.indication) p.indication(std::string(line), std::string(pdu));
        i = std::min(p.indicationsScanned, Buffer(p).size());
    }
    p.indicationsScanned = i;
}

// The end of the first final result line from `from` on, past its line break; npos for none,
// with `from` moved to the start of the line not yet ended.
std::size_t EndOfFirstResult(std::string_view s, std::size_t& from) {
    for (std::size_t i = from; i < s.size();) {
        const std::size_t lineEnd = LineEnd(s, i);
        if (lineEnd == std::string_view::npos) break;
        if (IsFinalResultLine(s.substr(i, lineEnd - i))) return PastBreak(s, lineEnd);
        i = PastBreak(s, lineEnd);
        from = i;
    }
    return std::string_view::npos;
}

// The answer to the "AT" that puts the line back in step comes after whatever the phone still
// owed the command given up: it is the final result after its own echo, or, from a phone that
// does not echo, the last one once the line has settled.
std::size_t EndOfResync(const InFlight& f, bool phoneEchoes, int unechoed) {
    const std::string_view s = f.answer;
    std::size_t echoEnd = std::string_view::npos;
    int echoes = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t lineEnd = LineEnd(s, i);
        if (lineEnd == std::string_view::npos) break;
        if (s.substr(i, lineEnd - i).ends_with("AT")) {
            ++echoes;
            echoEnd = PastBreak(s, lineEnd);
        }
        i = PastBreak(s, lineEnd);
    }
    // An earlier "AT" given up before even its echo came is answered first, unless the phone
    // never heard it: then the line settles after the one echo there is.
    if (echoEnd != std::string_view::npos && (echoes > unechoed || f.quietMs >= kSettleMs))
        return EndOfFirstResult(s, echoEnd);
    if (phoneEchoes || echoEnd != std::string_view::npos) return std::string_view::npos;
    return f.quietMs >= kSettleMs ? EndOfAnswer(s, 0) : std::string_view::npos;
}

// The tag of the information line that answers a command: "+CREG:" for "AT+CREG?".
std::string OwnTag(const std::string& command) {
    if (!command.starts_with("AT") || command.size() < 4 ||
        (command[2] != '+' && command[2] != '^'))
        return {};
    return command.substr(2, command.find_first_of("?=\r") - 2) + ":";
}

// Past the first whole line of `s` that begins with `tag`, or npos.
std::size_t EndOfLineTagged(std::string_view s, std::string_view tag) {
    for (std::size_t i = 0; i < s.size();) {
        while (i < s.size() && IsBreak(s[i]))
            ++i;
        const std::size_t lineEnd = LineEnd(s, i);
        if (lineEnd == std::string_view::npos) break;
        if (s.substr(i, lineEnd - i).starts_with(tag)) return PastBreak(s, lineEnd);
        i = lineEnd;
    }
    return std::string_view::npos;
}

// The answer as its owner reads it: without the lines the phone sent of its own accord, its
// final result ending in CR LF whatever break the phone put after it.
std::string OwnersView(std::string_view answer, const std::string& command) {
    // "AT+CREG?" is answered by a "+CREG:" line, which may also come unasked.
    std::string view = ReplyView(answer, OwnTag(command));
    if (HasPromptEnding(view)) return view;
    while (!view.empty() && IsBreak(view.back()))
        view.pop_back();
    return view + "\r\n";
}

// Qt raises no new arrival event while one is being handled, so what came in meanwhile (while a
// box was open, say) waits in the port until it is fetched here; it is then judged again.
void Gather(Program& p) {
    std::string more = p.Comm1.input();
    if (more.empty()) return;
    Append_Received(p, more);
    p.arrivedWhileDispatching = true;
}

// What an error the user can act on means, in words: the SIM, the network, a full memory.
std::optional<MsgId> Meaning(const std::optional<ErrorResult>& error) {
    if (!error) return std::nullopt;
    static constexpr std::pair<int, MsgId> kCme[] = {
        {10, MsgId::Sim_Missing},   {11, MsgId::Sim_Pin_Required},  {12, MsgId::Sim_Puk_Required},
        {13, MsgId::Sim_Failure},   {14, MsgId::Sim_Busy},          {30, MsgId::No_Network_Service},
        {20, MsgId::Book_Full},     {21, MsgId::Book_Bad_Index},    {24, MsgId::Book_Text_Too_Long},
        {25, MsgId::Book_Bad_Text}, {26, MsgId::Book_Dial_Too_Long}};
    static constexpr std::pair<int, MsgId> kCms[] = {
        {38, MsgId::Network_Out_Of_Order}, {42, MsgId::Network_Congestion},
        {310, MsgId::Sim_Missing},         {311, MsgId::Sim_Pin_Required},
        {313, MsgId::Sim_Failure},         {314, MsgId::Sim_Busy},
        {316, MsgId::Sim_Puk_Required},    {322, MsgId::Memory_Full},
        {330, MsgId::Centre_Unknown},      {331, MsgId::No_Network_Service},
        {332, MsgId::Network_Timeout}};
    const bool cms = error->kind == ErrorResult::Kind::Cms;
    using Table = std::span<const std::pair<int, MsgId>>;
    for (const auto& [code, id] : cms ? Table(kCms) : Table(kCme))
        if (code == error->code) return id;
    return std::nullopt;
}

// A SIM still starting up refuses for some seconds after power-on or its PIN.
bool SimBusy(const std::string& answer) {
    const auto error = ErrorCode(ExtendedErrorLine(answer));
    return error && error->code == (error->kind == ErrorResult::Kind::Cms ? 314 : 14);
}

// The phone refused a command: the user is told, with its own words when it gave any.
void ReportRefusal(Program& p, const std::string& answer) {
    std::string text = p.texts[MsgId::Command_Refused];
    if (const std::string extended = ExtendedErrorLine(answer); !extended.empty()) {
        text += '\r';
        text += extended;
        if (const auto meaning = Meaning(ErrorCode(extended))) text += "\r" + p.texts[*meaning];
    }
    p.Box(text, p.texts[MsgId::Title_Error], MsgIcon::Critical);
}

// The phone took the last part of the message being sent: the user is told, and it is counted.
void CompleteSend(Program& p, const std::string& answer) {
    // The message as it was sent: the box may be edited while the phone works.
    const std::optional<SentMessage> sent = std::exchange(p.st.sending, std::nullopt);
    p.Box(MsgId::Message_Sent, MsgId::Title_Information, MsgIcon::Information);
    p.st.Sent_Confirm_Pending = false;
    const std::string parts = sent ? sent->smsNeeded : (*p.Form1)["Label14"].text();
    Add_Sent(p, RoundHalfEven(LeadingNumber(parts)));
    if (sent && p.sendAccepted) p.sendAccepted(*sent, answer);
}

// A complete answer to its owner; an error it does not take is reported and ends every dialogue.
void Deliver(Program& p, const InFlight& done, const std::string& answer) {
    const Owner owner = done.command.owner;
    if (owner == Owner::Resync) return;
    if (SimBusy(answer) && done.command.retries < kSimBusyRetries &&
        done.command.bytes.starts_with("AT")) {
        Command again = done.command;
        ++again.retries;
        again.waitMs = kSimBusyWaitMs;
        p.Send(std::move(again));  // its owner's next step: it goes first, when its time comes
        return;
    }
    const OwnerHandlers& h = p.handlers(owner);
    const bool taken = h.answer && h.answer(done.command, answer);
    if (HasErrorResult(answer) && !taken) {
        ReportRefusal(p, answer);
        p.EndDialogues();
    }
    if (owner == Owner::SendStore && HasOkEnding(answer) && p.st.Sent_Confirm_Pending)
        CompleteSend(p, answer);
}

// Every answer on the line that is complete goes to its owner, and the next command goes.
void JudgeLine(Program& p) {
    while (InFlight* f = p.line.inFlight()) {
        const std::size_t end = EndOfAnswerTo(*f, p.line.phoneEchoes, p.line.unechoedResyncs);
        if (end == std::string_view::npos) return;
        const InFlight done = p.line.finish();
        if (done.command.owner == Owner::Resync) p.line.unechoedResyncs = 0;
        const std::string& sent = done.command.bytes;
        if (sent.ends_with('\r') && done.command.owner != Owner::Resync)
            p.line.phoneEchoes = done.answer.find(sent.substr(0, sent.size() - 1)) < end;
        // Only what follows the answer may be a line still on its way (not a prompt, say).
        const std::string_view rest = std::string_view(done.answer).substr(end);
        const std::size_t lastBreak = rest.find_last_of("\r\n");
        p.unfinishedLine = rest.substr(lastBreak == std::string_view::npos ? 0 : lastBreak + 1);
        const std::string answer = OwnersView(std::string_view(done.answer).substr(0, end), sent);
        if (!done.dropped) Deliver(p, done, answer);
        // A prompt its owner wrote no PDU for leaves the phone taking one.
        if (HasPromptEnding(answer) && p.line.inFlight() == nullptr) p.line.abandonPrompt();
        p.line.release();
        if (p.ending) return;
    }
}

}  // namespace

std::size_t EndOfAnswerTo(InFlight& f, bool phoneEchoes, int unechoedResyncs) {
    if (f.command.owner == Owner::Resync) return EndOfResync(f, phoneEchoes, unechoedResyncs);
    if (f.command.end == AnswerEnd::PromptOrFinal && HasPromptEnding(ReplyView(f.answer))) {
        // A line of the phone's own may already follow the prompt: it is no part of the answer.
        std::size_t mark = f.answer.size();
        while ((mark = f.answer.rfind('>', mark - 1)) > 0 && !IsBreak(f.answer[mark - 1])) {
        }
        return std::min(f.answer.size(), mark + (f.answer.compare(mark, 2, "> ") == 0 ? 2 : 1));
    }
    const std::size_t end = EndOfFirstResult(f.answer, f.judged);
    // Some phones leave out the final result after "+CPIN: READY".
    if (end == std::string_view::npos && f.command.resultMayLack && f.quietMs >= kSettleMs)
        return EndOfLineTagged(f.answer, OwnTag(f.command.bytes));
    return end;
}

void Append_Received(Program& p, const std::string& received) {
    if (received.empty()) return;
    const std::string text = Cp1252ToUtf8(received);
    p.line.heard();
    std::string& unfinished = p.unfinishedLine;
    if (const auto lastBreak = text.find_last_of("\r\n"); lastBreak != std::string::npos)
        unfinished = text.substr(lastBreak + 1);
    else if (unfinished.size() < kUnfinishedLineLimit)
        unfinished += text;
    if (InFlight* f = p.line.inFlight()) {
        f->answer += text;
        f->quietMs = 0;
        // An answer beyond all reason keeps its end, where its final result is.
        if (f->answer.size() > kAwaitedAnswerLimit) {
            const std::size_t cut = f->answer.size() - kAwaitedAnswerLimit / 2;
            f->answer.erase(0, cut);
            f->judged -= std::min(f->judged, cut);
        }
    }
    Control& box = (*p.Form1)["Text1"];
    std::string shown = box.text() + text;
    if (const std::size_t cut = TrimPoint(shown); cut > 0) {
        shown.erase(0, cut);
        p.indicationsScanned -= std::min(p.indicationsScanned, cut);
    }
    p.appending = true;
    box.setText(MaskedPins(std::move(shown)));
    p.appending = false;
    ScanIndications(p);
}

void Judge_Answer(Program& p) {
    if (p.ending) return;
    if (p.dispatching) {
        // A message box of a handler is open: judge once it has closed.
        p.arrivedWhileDispatching = true;
        return;
    }
    p.dispatching = true;
    struct Guard {
        Program& p;
        ~Guard() { p.dispatching = false; }
    } guard{p};
    do {
        p.arrivedWhileDispatching = false;
        JudgeLine(p);
        Gather(p);
    } while (p.arrivedWhileDispatching && !p.ending);
}

void Comm1_OnComm(Program& p) {
    if (p.ending) return;
    Append_Received(p, p.Comm1.input());
    Judge_Answer(p);
}

void Text1_Change(Program& p) {
    Control& box = (*p.Form1)["Text1"];
    // Emptied or edited rather than added to: what was looked through may be gone.
    if (!p.appending) p.indicationsScanned = std::min(p.indicationsScanned, box.text().size());
    box.setSelection(CharCount(box.text()), 0);
}

void Command2_Click(Program& p) {
    (*p.Form1)["Text1"].setText("");
}

}  // namespace bsms
