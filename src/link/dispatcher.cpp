#include "link/dispatcher.h"

#include "base/text.h"
#include "core/files.h"
#include "core/program.h"
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
    return TailMatches(s, 2, U"> ");
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

bool IsEmptyLocationAnswer(std::string_view s) {
    if (HasErrorEnding(s)) return true;
    constexpr std::string_view kPrefix = "+CMS ERROR:";
    const std::string line = ExtendedErrorLine(s);
    if (line.rfind(kPrefix, 0) != 0) return false;
    std::string_view code = std::string_view(line).substr(kPrefix.size());
    while (!code.empty() && code.front() == ' ')
        code.remove_prefix(1);
    return code == "321";
}

void Append_Received(Program& p, const std::string& received) {
    if (received.empty()) return;
    Control& box = (*p.Form1)["Text1"];
    std::string text = box.text() + Cp1252ToUtf8(received);
    if (text.size() > kReceiveBoxLimit) {
        // Keep the newest three quarters, starting at a line.
        std::size_t cut = text.size() - kReceiveBoxLimit * 3 / 4;
        const auto nl = text.find('\n', cut);
        if (nl != std::string::npos && nl + 1 < text.size())
            cut = nl + 1;
        else
            while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
                ++cut;
        text.erase(0, cut);
    }
    box.setText(std::move(text));
}

namespace {

const std::string& Buffer(Program& p) {
    return (*p.Form1)["Text1"].text();
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
    // Routing of complete replies and prompts.
    {
        const std::string s = Buffer(p);
        if (Length(s) >= 7 && (HasOkEnding(s) || HasPromptEnding(s))) {
            if (p.st.Phonebook_Download) {
                if (p.phonebookReply) p.phonebookReply(s);
            } else if (p.continueSendStore) {
                p.continueSendStore(s);
            }
        }
    }
    // Errors and the completion of a send.
    if (Length(Buffer(p)) >= 7 && !p.st.Browser_Reading) {
        const std::string s = Buffer(p);
        const std::string extended = ExtendedErrorLine(s);
        if (HasErrorEnding(s) || !extended.empty()) {
            std::string text = p.texts[MsgId::Command_Refused];
            if (!extended.empty()) {
                text += '\r';
                text += extended;
            }
            p.Box(text, p.texts[MsgId::Title_Error], MsgIcon::Critical);
            Gather(p);
            p.st.Reset_Dialogue_Flags();
        }
        if (HasOkEnding(Buffer(p)) && p.st.Sent_Confirm_Pending) {
            p.Box(MsgId::Message_Sent, MsgId::Title_Information, MsgIcon::Information);
            Gather(p);
            p.st.Sent_Confirm_Pending = false;
            const double parts = LeadingNumber((*p.Form1)["Label14"].text());
            const double count = LeadingNumber((*p.Form1)["Text6"].text());
            p.st.Sent_Count = ClampInt16(RoundHalfEven(parts) + RoundHalfEven(count));
            if (!Write_Sent_Count(p)) {
                Report_Save_Failed(p, p.folder / kSentFile);
                Gather(p);
            }
        }
    }
    // The message browser's read replies; an empty location may be answered with an error, which
    // then ends that read like a bare OK, so the loop never stalls on it.
    {
        const std::string s = Buffer(p);
        if (Length(s) >= 6 && p.st.Browser_Reading && p.browserReply &&
            (HasOkEnding(s) || IsEmptyLocationAnswer(s)))
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
        Dispatch(p);
        Gather(p);
    } while (p.arrivedWhileDispatching && !p.ending);
}

void Text1_Change(Program& p) {
    Control& box = (*p.Form1)["Text1"];
    box.setSelection(CharCount(box.text()), 0);
}

void Command2_Click(Program& p) {
    (*p.Form1)["Text1"].setText("");
}

}  // namespace bsms
