#include "compose/send.h"

#include "compose/continuation.h"
#include "compose/editor.h"
#include "compose/sent_log.h"
#include "compose/sent_reports.h"
#include "core/program.h"

namespace bsms {

namespace {

// Builds the message; false when the build refused it (its box has been shown).
bool Build(Program& p) {
    Elabora(p);
    return !p.Pdu_Parts.parts[0].Part_Pdu.empty();
}

// A new job takes over the dialogue: a job or a completion left waiting by a silent phone must
// never take the new job's replies for its own.
void StartJob(Program& p, JobState& job) {
    p.EndDialogues();
    (*p.Form1)["Text1"].setText("");
    job.start();
}

void WriteFirstCommand(Program& p, const char* command) {
    p.WriteCommand(command + std::to_string(p.Pdu_Parts.parts[0].Part_Length));
}

}  // namespace

std::string SendPrompt(const std::string& language, const std::string& text,
                       const std::string& recipient, bool flash, bool statusReport) {
    const int lang = LanguageIndex(language);
    const SendConfirmTexts& t = kSendConfirmTexts[lang < 0 ? 0 : lang];
    std::string s = std::string(t.question) + "\r\r     \"" + text + "\"\r\r" + t.recipientLabel +
                    recipient + "?\r";
    if (flash) s += std::string("\r") + t.flashLine;
    if (statusReport) s += std::string("\r") + t.statusReportLine;
    return s;
}

void Command6_Click(Program& p) {
    if (!Build(p)) return;
    Window& f = *p.Form1;
    if (p.st.Opt_Confirm_Send) {
        const std::string prompt =
            SendPrompt(p.st.Current_Language, f["Text5"].text(), f["Text4"].text(), p.st.Opt_Flash,
                       p.st.Opt_Status_Report);
        const MsgResult answer =
            p.Box(prompt, kSendConfirmTitle, MsgIcon::Question, MsgButtons::OkCancel, 1);
        if (answer != MsgResult::Ok) return;
    }
    p.st.Opt_Flash = false;
    f.menu("Mn_Flash").setChecked(false);
    StartJob(p, p.st.Send_Job);
    // Logged once the phone has taken it, as it is now.
    p.st.sending = SentMessage{f["Text5"].text(),      f["Text4"].text(),       f["Label14"].text(),
                               p.st.Opt_Status_Report, p.Pdu_Parts.partCount(), {}};
    WriteFirstCommand(p, kSendCommand);
}

void Command7_Click(Program& p) {
    if (!Build(p)) return;
    StartJob(p, p.st.Store_Job);
    WriteFirstCommand(p, kStoreCommand);
}

}  // namespace bsms

namespace bsms {

void Send_Accepted(Program& p, SentMessage sent, const std::string& reply) {
    // The last part of five is taken by the reply that completes the send.
    if (sent.statusReport && static_cast<int>(sent.references.size()) + 1 == sent.parts)
        sent.references.push_back(LastMessageReference(reply));
    const std::time_t now = std::time(nullptr);
    Record_Sent_Parts(p, sent, now);
    Append_Log_Entry(p, sent);
}

}  // namespace bsms
