#include "compose/continuation.h"

#include "core/program.h"

namespace bsms {

namespace {

constexpr char kCtrlZ = 26;

// One step of a send or store job; false when the job has no step to take.
bool Advance(Program& p, JobState& job, const char* command, bool raisesConfirm) {
    if (!job.active || job.part < 1 || job.part > static_cast<int>(kMaxParts)) return false;
    const auto& parts = p.Pdu_Parts.parts;
    const int k = job.part;
    const auto finish = [&] {
        job.clear();
        if (raisesConfirm) p.st.Sent_Confirm_Pending = true;
    };
    if (job.step == JobStep::WaitPrompt) {
        p.Comm1.output(parts[k - 1].Part_Pdu + kCtrlZ);
        if (k == static_cast<int>(kMaxParts))
            finish();
        else
            job.step = JobStep::WaitOk;
        return true;
    }
    if (job.step == JobStep::WaitOk && k < static_cast<int>(kMaxParts)) {
        if (parts[k].Part_User_Data.empty()) {
            finish();
        } else {
            p.WriteCommand(command + std::to_string(parts[k].Part_Length));
            job.step = JobStep::WaitPrompt;
            job.part = k + 1;
        }
        return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> ServiceCentreFromReply(std::string_view reply) {
    const auto first = reply.find('"');
    const auto last = reply.rfind('"');
    if (first == std::string_view::npos || last <= first + 1) return std::nullopt;
    std::string_view number = reply.substr(first + 1, last - first - 1);
    if (number.starts_with('+')) number.remove_prefix(1);
    if (number.empty()) return std::nullopt;
    return std::string(number);
}

void Continue_Send_Store(Program& p, const std::string& reply) {
    if (p.st.Csc_Query_Pending) {
        p.st.Csc_Query_Pending = false;
        if (auto number = ServiceCentreFromReply(reply)) {
            p.st.Csc_Number = *number;
            (*p.Form1)["Text2"].setText(*number);
        }
    }
    if (Advance(p, p.st.Store_Job, kStoreCommand, false)) return;
    Advance(p, p.st.Send_Job, kSendCommand, true);
}

}  // namespace bsms
