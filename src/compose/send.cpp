#include "compose/send.h"

#include <utility>

#include "compose/continuation.h"
#include "compose/editor.h"
#include "compose/sent_log.h"
#include "compose/sent_reports.h"
#include "core/program.h"
#include "link/dispatcher.h"
#include "link/settings_files.h"

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
    job.start();
}

void WriteFirstCommand(Program& p, const char* command) {
    p.Send(PartCommand(command, p.Pdu_Parts.parts[0].Part_Length, true));
}

// A send ended before the phone took its last part: the parts that went are counted and their
// references kept, so that the user neither counts nor sends them twice, and a box says how many
// of how many went; the log keeps whole messages only.
bool TellPartsTaken(Program& p, const SentMessage& sent, bool unanswered) {
    if (sent.taken == 0) return false;
    std::string text = p.texts[MsgId::Parts_Taken];
    text.replace(text.find("%1"), 2, std::to_string(sent.taken));
    text.replace(text.find("%2"), 2, std::to_string(sent.parts));
    Add_Sent(p, sent.taken);
    Record_Sent_Parts(p, sent, std::time(nullptr));
    if (unanswered) {
        text = p.texts[MsgId::No_Answer] + "\r" + text;
        p.line.silenceTold = true;
    }
    p.Box(text, p.texts[MsgId::Title_Error], MsgIcon::Critical);
    return true;
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
    // The network would refuse it only after its own time, in a code.
    const Registration network = p.st.network.registration;
    if (network != Registration::Unknown && !Registered(network) &&
        p.Box(p.texts[MsgId::Ask_Send_Unregistered], kSendConfirmTitle, MsgIcon::Question,
              MsgButtons::YesNo, 1) != MsgResult::Yes)
        return;
    p.st.Opt_Flash = false;
    f.menu("Mn_Flash").setChecked(false);
    StartJob(p, p.st.Send_Job);
    // Logged once the phone has taken it, as it is now.
    SentMessage sending;
    sending.text = f["Text5"].text();
    sending.recipient = f["Text4"].text();
    sending.smsNeeded = f["Label14"].text();
    sending.statusReport = p.st.Opt_Status_Report;
    sending.parts = p.Pdu_Parts.partCount();
    p.st.sending = std::move(sending);
    WriteFirstCommand(p, kSendCommand);
}

bool Send_Cut_Off(Program& p, bool unanswered) {
    if (!p.st.sending || !(p.st.Send_Job.active || p.st.Sent_Confirm_Pending)) return false;
    return TellPartsTaken(p, *std::exchange(p.st.sending, std::nullopt), unanswered);
}

bool Ended_Send_Answered(Program& p, const std::optional<std::string>& answer, bool unanswered) {
    std::optional<SentMessage> sent = std::exchange(p.st.endingSend, std::nullopt);
    if (!sent) return false;
    if (answer && HasOkEnding(*answer) && !HasErrorResult(*answer)) {
        ++sent->taken;
        if (sent->statusReport) sent->references.push_back(LastMessageReference(*answer));
    }
    if (sent->taken < sent->parts) return TellPartsTaken(p, *sent, unanswered);
    p.Box(MsgId::Message_Sent, MsgId::Title_Information, MsgIcon::Information);
    Add_Sent(p, sent->parts);
    if (p.sendAccepted) p.sendAccepted(*sent, *answer);
    return true;
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
