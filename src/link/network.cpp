#include "link/network.h"

#include "base/text.h"
#include "core/program.h"
#include "link/dispatcher.h"
#include "link/phone_answers.h"

namespace bsms {

namespace {

enum Question { kCreg = 1, kCereg, kNameFormat, kCops, kCsq };

void Ask(Program& p, const char* command, Question q) {
    p.Send(CommandLine(Owner::Network, command, q, false));
}

bool DialogueRuns(const DialogueState& st) {
    return st.Send_Job.active || st.Store_Job.active || st.Phonebook_Download ||
           st.Csc_Query_Pending || st.Browser_Reading || st.sending.has_value();
}

std::string Bars(int rssi) {
    const int bars = SignalBars(rssi);
    if (bars < 0) return {};
    static const char* const kBar[] = {"\u2582", "\u2584", "\u2586", "\u2588"};
    std::string out;
    for (int i = 0; i < 4; ++i)
        out += i < bars ? kBar[i] : "\u2581";
    return out;
}

}  // namespace

void Network_Tick(Program& p) {
    NetworkState& n = p.st.network;
    if (!p.Comm1.portOpen() || p.st.sim.step != SimStep::Ready) return;
    if (n.secondsSincePoll >= 0 && ++n.secondsSincePoll < kNetworkPollSeconds) return;
    if (p.line.busy() || DialogueRuns(p.st)) return;
    n.secondsSincePoll = 0;
    Ask(p, "AT+CREG?", kCreg);
    if (!n.lteRefused) Ask(p, "AT+CEREG?", kCereg);
    // Names rather than numbers, asked once: the phone keeps the setting.
    if (!n.nameFormatSet) Ask(p, "AT+COPS=3,0", kNameFormat);
    Ask(p, "AT+COPS?", kCops);
    Ask(p, "AT+CSQ", kCsq);
}

bool Network_Answer(Program& p, const Command& c, const std::string& answer) {
    NetworkState& n = p.st.network;
    const bool error = HasErrorResult(answer);
    switch (c.tag) {
        case kCreg:
            n.registration = error ? Registration::Unknown : RegistrationOf(answer, "+CREG:");
            break;
        case kCereg: {
            n.lteRefused = error;
            // Registered on either the older networks or LTE is registered.
            const Registration lte =
                error ? Registration::Unknown : RegistrationOf(answer, "+CEREG:");
            if (Registered(lte) && !Registered(n.registration)) n.registration = lte;
            if (n.registration == Registration::Unknown) n.registration = lte;
            break;
        }
        case kNameFormat:
            n.nameFormatSet = true;
            break;
        case kCops:
            n.operatorName = error ? std::string() : OperatorOf(answer);
            break;
        case kCsq:
            n.rssi = error ? 99 : SignalOf(answer).value_or(99);
            break;
        default:
            break;
    }
    return true;
}

bool Network_No_Answer(Program& p, const Command& c) {
    if (c.tag == kCereg) p.st.network.lteRefused = true;
    return true;
}

std::string Network_Panel(const Program& p) {
    const NetworkState& n = p.st.network;
    if (!p.Comm1.portOpen()) return {};
    if (n.phoneSilent) {
        return Filled(p.texts[MsgId::No_Phone], ResolvePortDevice(p.folder, p.Comm1.commPort()));
    }
    switch (p.st.sim.step) {
        case SimStep::Pin:
            return "SIM PIN";
        case SimStep::Puk:
            return "SIM PUK";
        case SimStep::Missing:
        case SimStep::Failed:
            return "SIM -";
        default:
            break;
    }
    MsgId words;
    switch (n.registration) {
        case Registration::Unknown:
            return {};
        case Registration::Home:
            words = MsgId::Network_Home;
            break;
        case Registration::Roaming:
            words = MsgId::Network_Roaming;
            break;
        case Registration::Searching:
            words = MsgId::Network_Searching;
            break;
        case Registration::Denied:
            words = MsgId::Network_Denied;
            break;
        default:
            words = MsgId::Network_None;
            break;
    }
    std::string text;
    if (Registered(n.registration) && !n.operatorName.empty()) text = n.operatorName + " \u00b7 ";
    text += p.texts[words];
    if (const std::string bars = Bars(n.rssi); !bars.empty()) text += " " + bars;
    return text;
}

}  // namespace bsms
