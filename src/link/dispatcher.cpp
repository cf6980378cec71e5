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

// Number of characters, counted only as far as the thresholds need.
std::size_t Length(std::string_view s) {
    return s.size() > 64 ? s.size() : CharCount(s);
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

bool IsEmptyLocationAnswer(std::string_view s) {
    if (HasErrorEnding(s)) return true;
    const auto error = ErrorCode(ExtendedErrorLine(s));
    return error == ErrorResult{ErrorResult::Kind::Cms, kCmsInvalidMemoryIndex};
}

namespace {

// Lines a phone sends of its own accord: a call, a message or report arriving, the network. They
// answer no command and are left out of the replies the dialogues read. ("^" starts the codes
// some USB modems add.)
constexpr std::string_view kUnsolicited[] = {
    "RING",  "+CRING:", "+CLIP:",  "+CMTI:",  "+CDSI:", "+CBMI:", "+CMT:", "+CDS:",
    "+CBM:", "+CREG:",  "+CGREG:", "+CEREG:", "+CUSD:", "+CIEV:", "^"};
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

std::string ReplyView(std::string_view buffer) {
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
            !line.empty() && (end == std::string_view::npos ? MayBeUnsolicited(line)
                                                            : StartsWithAny(line, kUnsolicited));
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

// The receive box as far as the dialogues judge it: to the end of the final result that answers
// the last write, when it has come. A prompt at the end is the answer, whatever came before it
// (a late answer to an earlier command, say).
std::string_view Judged(Program& p) {
    const std::string_view b = Buffer(p);
    if (HasPromptEnding(b)) return b;
    return b.substr(0, std::min(b.size(), EndOfAnswer(b, p.commandMark)));
}

// The reply buffer as the dialogues read it.
std::string View(Program& p) {
    return ReplyView(Judged(p));
}

// Where the oldest text of a box grown past its limit is cut: the newest three quarters are
// kept, from a line start, but never any of an answer still awaited while it is of a sane size.
std::size_t TrimPoint(const Program& p, const std::string& text) {
    if (text.size() <= kReceiveBoxLimit) return 0;
    std::size_t cut = text.size() - kReceiveBoxLimit * 3 / 4;
    const auto nl = text.find('\n', cut);
    if (nl != std::string::npos && nl + 1 < text.size())
        cut = nl + 1;
    else
        while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            ++cut;
    if (p.replyWait.pending && text.size() - p.commandMark <= kAwaitedAnswerLimit)
        cut = std::min(cut, p.commandMark);
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

// Anything from the phone shows it is alive; a final result or a prompt answers the last write.
void NoteArrival(Program& p) {
    ReplyWait& wait = p.replyWait;
    wait.quietMs = 0;
    if (!wait.pending) return;
    if (EndOfAnswer(Buffer(p), p.commandMark) != std::string_view::npos || HasPromptEnding(View(p)))
        wait.pending = false;
}

}  // namespace

void Append_Received(Program& p, const std::string& received) {
    if (received.empty()) return;
    Control& box = (*p.Form1)["Text1"];
    std::string text = box.text() + Cp1252ToUtf8(received);
    if (const std::size_t cut = TrimPoint(p, text); cut > 0) {
        text.erase(0, cut);
        for (std::size_t* at : {&p.judgedEnd, &p.commandMark, &p.indicationsScanned})
            *at -= std::min(*at, cut);
    }
    p.appending = true;
    box.setText(std::move(text));
    p.appending = false;
    NoteArrival(p);
    ScanIndications(p);
}

namespace {

// Whether nothing but unsolicited lines (or their beginnings) came in since the buffer was last
// judged: then its replies have all been handled once already. Lines are judged on their own, so
// comparing from a line start a little before that point is enough.
bool NothingNewToJudge(std::string_view buffer, std::size_t judgedEnd) {
    if (judgedEnd == 0 || judgedEnd > buffer.size()) return false;
    constexpr std::size_t kContext = 2048;  // a line and the message line that may follow it
    std::size_t from = 0;
    if (judgedEnd > kContext) {
        const auto lf = buffer.rfind('\n', judgedEnd - kContext);
        from = lf == std::string_view::npos ? 0 : lf + 1;
    }
    return ReplyView(buffer.substr(from, judgedEnd - from)) == ReplyView(buffer.substr(from));
}

// Qt raises no new arrival event while one is being handled, so what came in meanwhile (while a
// box was open, say) waits in the port until it is fetched here; it is then judged again.
void Gather(Program& p) {
    std::string more = p.Comm1.input();
    if (more.empty()) return;
    Append_Received(p, more);
    p.arrivedWhileDispatching = true;
}

void Dispatch(Program& p) {
    // Routing of complete replies and prompts; the phonebook download also takes its errors, and
    // may keep them from being reported.
    bool errorTaken = false;
    {
        const std::string s = View(p);
        const bool complete = Length(s) >= 7;
        const bool ending = HasOkEnding(s) || HasPromptEnding(s);
        if (complete && p.st.Phonebook_Download) {
            if ((ending || HasErrorResult(s)) && p.phonebookReply)
                errorTaken = p.phonebookReply(s) && HasErrorResult(s);
        } else if (complete && p.st.indications != IndicationsStep::None) {
            errorTaken = HasErrorResult(s);
            if (ending || errorTaken) Indications_Reply(p, s);
        } else if (complete && ending && p.continueSendStore) {
            p.continueSendStore(s);
        }
    }
    // Errors and the completion of a send.
    if (Length(View(p)) >= 7 && !p.st.Browser_Reading) {
        const std::string s = View(p);
        const std::string extended = ExtendedErrorLine(s);
        if ((HasErrorEnding(s) || !extended.empty()) && !errorTaken) {
            std::string text = p.texts[MsgId::Command_Refused];
            if (!extended.empty()) {
                text += '\r';
                text += extended;
            }
            p.Box(text, p.texts[MsgId::Title_Error], MsgIcon::Critical);
            Gather(p);
            p.st.Reset_Dialogue_Flags();
        }
        if (HasOkEnding(View(p)) && p.st.Sent_Confirm_Pending) {
            // The message as it was sent: the box may be edited while the phone works.
            const std::optional<SentMessage> sent = std::exchange(p.st.sending, std::nullopt);
            p.Box(MsgId::Message_Sent, MsgId::Title_Information, MsgIcon::Information);
            Gather(p);
            p.st.Sent_Confirm_Pending = false;
            const double parts =
                LeadingNumber(sent ? sent->smsNeeded : (*p.Form1)["Label14"].text());
            const double count = LeadingNumber((*p.Form1)["Text6"].text());
            p.st.Sent_Count = ClampInt16(RoundHalfEven(parts) + RoundHalfEven(count));
            // Shown at once, not at the next refresh: a send completed before it would add its
            // parts to the old figure.
            (*p.Form1)["Text6"].setText(std::to_string(p.st.Sent_Count));
            if (!Write_Sent_Count(p)) {
                Report_Save_Failed(p, p.folder / kSentFile);
                Gather(p);
            }
            if (sent && p.sendAccepted) p.sendAccepted(*sent, s);
        }
    }
    // The message browser's replies: any final result ends a step, so the loop never stalls.
    {
        const std::string s = View(p);
        if (Length(s) >= 6 && p.st.Browser_Reading && p.browserReply &&
            (HasOkEnding(s) || HasErrorResult(s)))
            p.browserReply(s);
    }
}

}  // namespace

void Comm1_OnComm(Program& p) {
    if (p.ending) return;
    Append_Received(p, p.Comm1.input());
    if (p.dispatching) {
        // A message box of the dispatcher is open: judge the whole buffer once it has closed.
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
        if (const std::string_view judged = Judged(p); !NothingNewToJudge(judged, p.judgedEnd)) {
            p.judgedEnd = judged.size();
            Dispatch(p);
        }
        Gather(p);
    } while (p.arrivedWhileDispatching && !p.ending);
    // Every reply judged: a window waiting for a quiet moment may ask its question now.
    if (p.afterArrival && !p.ending) p.afterArrival();
}

void Text1_Change(Program& p) {
    Control& box = (*p.Form1)["Text1"];
    // Emptied or edited rather than added to: nothing in it has been judged.
    if (!p.appending) {
        p.judgedEnd = 0;
        p.commandMark = std::min(p.commandMark, box.text().size());
        p.indicationsScanned = std::min(p.indicationsScanned, box.text().size());
    }
    box.setSelection(CharCount(box.text()), 0);
}

void Command2_Click(Program& p) {
    (*p.Form1)["Text1"].setText("");
}

}  // namespace bsms
