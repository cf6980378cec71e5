#include "compose/continuation.h"

#include "compose/sent_reports.h"

#include "core/program.h"
#include "link/dispatcher.h"

namespace bsms {

namespace {

constexpr char kCtrlZ = 26;

// One step of a send or store job; false when the job has no step to take. A step is taken only
// on the reply it waits for: the prompt for a PDU, the OK after one.
bool Advance(Program& p, JobState& job, const char* command, bool raisesConfirm,
             const std::string& reply) {
    if (!job.active || job.part < 1 || job.part > static_cast<int>(kMaxParts)) return false;
    if (!(job.step == JobStep::WaitPrompt ? HasPromptEnding(reply) : HasOkEnding(reply)))
        return false;
    const auto& parts = p.Pdu_Parts.parts;
    const int k = job.part;
    const auto finish = [&] {
        job.clear();
        if (raisesConfirm) p.st.Sent_Confirm_Pending = true;
    };
    if (job.step == JobStep::WaitPrompt) {
        Command pdu;
        pdu.owner = Owner::SendStore;
        pdu.bytes = parts[k - 1].Part_Pdu + kCtrlZ;
        pdu.limitMs = kPduReplyMs;
        p.Send(std::move(pdu));
        if (k == static_cast<int>(kMaxParts))
            finish();
        else
            job.step = JobStep::WaitOk;
        return true;
    }
    if (job.step == JobStep::WaitOk && k < static_cast<int>(kMaxParts)) {
        // The part just taken, and its reference for the delivery report it may bring.
        if (raisesConfirm && p.st.sending) {
            ++p.st.sending->taken;
            if (p.st.sending->statusReport)
                p.st.sending->references.push_back(LastMessageReference(reply));
        }
        if (parts[k].Part_User_Data.empty()) {
            finish();
        } else {
            p.Send(PartCommand(command, parts[k].Part_Length, false));
            job.step = JobStep::WaitPrompt;
            job.part = k + 1;
        }
        return true;
    }
    return false;
}

}  // namespace

Command PartCommand(const char* verb, int length, bool first) {
    Command c = CommandLine(Owner::SendStore, verb + std::to_string(length), 0, first);
    c.end = AnswerEnd::PromptOrFinal;
    return c;
}

std::optional<std::string> ServiceCentreFromReply(std::string_view reply) {
    constexpr std::string_view kTag = "+CSCA:";
    std::size_t at = reply.find(kTag);
    while (at != std::string_view::npos && at > 0 && reply[at - 1] != '\r' && reply[at - 1] != '\n')
        at = reply.find(kTag, at + 1);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view line = reply.substr(at, reply.find_first_of("\r\n", at) - at);
    const auto open = line.find('"');
    const auto close = open == std::string_view::npos ? open : line.find('"', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view number = line.substr(open + 1, close - open - 1);
    if (number.starts_with('+')) number.remove_prefix(1);
    // Only a number goes into the service-centre box, and from there into the settings file.
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::string(number);
}

void Continue_Send_Store(Program& p, const std::string& reply) {
    if (p.st.Csc_Query_Pending && HasOkEnding(reply)) {
        p.st.Csc_Query_Pending = false;
        if (auto number = ServiceCentreFromReply(reply)) {
            p.st.Csc_Number = *number;
            (*p.Form1)["Text2"].setText(*number);
        }
    }
    if (Advance(p, p.st.Store_Job, kStoreCommand, false, reply)) return;
    Advance(p, p.st.Send_Job, kSendCommand, true, reply);
}

}  // namespace bsms
