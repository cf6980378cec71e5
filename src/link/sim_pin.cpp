#include "link/sim_pin.h"

#include <algorithm>

#include "base/text.h"
#include "core/comm_port.h"
#include "core/program.h"
#include "link/dispatcher.h"
#include "link/error_codes.h"
#include "link/phone_answers.h"

namespace bsms {

namespace {

enum Step { kAskState = 1, kAskTries, kAskVendorTries, kEnter };

class PinWindow : public Window {
  public:
    PinWindow() : Window("FormPin", "PIN", 4200, 2520) {
        using K = ControlKind;
        style = WindowStyle::Fixed;
        add(K::Label, "Label1", {240, 300, 1500, 255}, "PIN:");
        add(K::Label, "Label2", {240, 300, 1500, 255}, "PUK:");
        Control& code = add(K::TextBox, "Text1", {1800, 255, 1800, 315});
        add(K::Label, "Label3", {240, 720, 1500, 255}, "Nuovo PIN:");
        Control& pin = add(K::TextBox, "Text2", {1800, 675, 1800, 315});
        for (Control* c : {&code, &pin}) {
            c->password = true;
            c->maxLength = 8;
            c->fits = [](const std::string& t) {
                return std::all_of(t.begin(), t.end(),
                                   [](char ch) { return ch >= '0' && ch <= '9'; });
            };
        }
        add(K::Label, "Label4", {240, 1140, 3720, 480});
        add(K::Button, "Command1", {1080, 1800, 1200, 375}, "Ok").setEnabled(false);
        add(K::Button, "Command2", {2520, 1800, 1200, 375}, "Annulla");
    }
    bool given = false;  // the window closed with a code on its way
};

PinWindow& PinForm(Program& p) {
    return static_cast<PinWindow&>(*p.FormPin);
}

bool Puk(const Program& p) {
    return p.st.sim.step == SimStep::Puk;
}

void Ask(Program& p, const std::string& command, int step) {
    p.Send(CommandLine(Owner::Sim, command, step, false));
}

void AskState(Program& p) {
    p.st.sim.step = SimStep::Asking;
    Command ask = CommandLine(Owner::Sim, "AT+CPIN?", kAskState, false);
    ask.resultMayLack = true;
    p.Send(std::move(ask));
}

void AskCode(Program& p) {
    PinWindow& f = PinForm(p);
    const SimState& sim = p.st.sim;
    const bool puk = Puk(p);
    f["Label1"].setVisible(!puk);
    for (const char* name : {"Label2", "Label3", "Text2"})
        f[name].setVisible(puk);
    std::string note;
    if (sim.wrong) note = p.texts[sim.wrongPuk ? MsgId::Sim_Puk_Wrong : MsgId::Sim_Pin_Wrong];
    if (sim.triesLeft >= 0) {
        if (!note.empty()) note += ' ';
        note += Filled(p.texts[MsgId::Sim_Tries_Left], std::to_string(sim.triesLeft));
    }
    f["Label4"].setText(note);
    f["Text1"].setText("");
    f["Text2"].setText("");
    f.given = false;
    f["Text1"].setFocus();
    p.host.showModal(f);
}

void AskTries(Program& p) {
    if (p.st.sim.triesUnknown) {
        AskCode(p);
        return;
    }
    Ask(p, Puk(p) ? "AT+CPINR=\"SIM PUK\"" : "AT+CPINR=\"SIM PIN\"", kAskTries);
}

void Ready(Program& p) {
    p.st.sim.step = SimStep::Ready;
    p.st.sim.wrong = false;
    p.st.network.secondsSincePoll = -1;  // the network is asked at the next tick
}

// The SIM cannot serve: said in words. A phone that does not know AT+CPIN is taken as ready.
void Refused(Program& p, const std::string& answer) {
    const auto error = ErrorCode(ExtendedErrorLine(answer));
    const int code = error ? error->code : -1;
    const bool cms = error && error->kind == ErrorResult::Kind::Cms;
    MsgId text;
    if (code == (cms ? 310 : 10)) {
        p.st.sim.step = SimStep::Missing;
        text = MsgId::Sim_Missing;
    } else if (code == (cms ? 313 : 13)) {
        p.st.sim.step = SimStep::Failed;
        text = MsgId::Sim_Failure;
    } else if (code == (cms ? 314 : 14)) {
        p.st.sim.step = SimStep::Unknown;
        text = MsgId::Sim_Busy;
    } else {
        Ready(p);
        return;
    }
    p.Box(text, MsgId::Title_Sim, MsgIcon::Exclamation);
}

bool WellFormed(const std::string& code, std::size_t least, std::size_t most) {
    return code.size() >= least && code.size() <= most;
}

}  // namespace

std::unique_ptr<Window> MakeFormPin() {
    return std::make_unique<PinWindow>();
}

void Check_Sim(Program& p) {
    p.st.sim = SimState{};
    p.st.network = NetworkState{};
    AskState(p);
}

bool Sim_Answer(Program& p, const Command& c, const std::string& answer) {
    SimState& sim = p.st.sim;
    sim.answered = true;
    const bool error = HasErrorResult(answer);
    switch (c.tag) {
        case kAskState: {
            const SimStep step = error ? SimStep::Unknown : SimStepOf(answer);
            if (error) {
                Refused(p, answer);
            } else if (step == SimStep::Pin || step == SimStep::Puk) {
                sim.step = step;
                AskTries(p);
            } else {
                Ready(p);
            }
            break;
        }
        case kAskTries:
            if (error) {
                // Huawei's sticks tell the tries left their own way.
                Ask(p, "AT^CPIN?", kAskVendorTries);
                break;
            }
            [[fallthrough]];
        case kAskVendorTries:
            sim.triesUnknown = error;
            sim.triesLeft = PinTriesOf(answer, Puk(p)).value_or(-1);
            AskCode(p);
            break;
        case kEnter:
            sim.wrong = error;
            sim.wrongPuk = error && sim.step == SimStep::Puk;
            if (error)
                AskState(p);  // three wrong PINs and the SIM wants its PUK
            else
                Ready(p);
            break;
        default:
            break;
    }
    return true;
}

bool Sim_No_Answer(Program& p, const Command& c, bool cutOff) {
    SimState& sim = p.st.sim;
    if (cutOff) return true;
    // A phone may keep silent on a command it does not know.
    if (c.tag == kAskTries || c.tag == kAskVendorTries) return Sim_Answer(p, c, "\r\nERROR\r\n");
    sim.step = SimStep::Unknown;
    if (c.tag != kAskState || sim.answered) return false;
    // Not a word since the port opened: a serial port with no phone on it.
    p.st.network.phoneSilent = true;
    p.line.silenceTold = true;
    const std::string device = ResolvePortDevice(p.folder, p.Comm1.commPort());
    p.Box(Filled(p.texts[MsgId::No_Phone], device), p.texts[MsgId::Title_Port_Error],
          MsgIcon::Exclamation);
    return true;
}

void FormPin_Change(Program& p) {
    PinWindow& f = PinForm(p);
    const bool ok = Puk(p)
                        ? WellFormed(f["Text1"].text(), 8, 8) && WellFormed(f["Text2"].text(), 4, 8)
                        : WellFormed(f["Text1"].text(), 4, 8);
    f["Command1"].setEnabled(ok);
}

void FormPin_Ok(Program& p) {
    PinWindow& f = PinForm(p);
    FormPin_Change(p);
    if (!f["Command1"].enabled()) return;
    std::string command = "AT+CPIN=\"" + f["Text1"].text() + "\"";
    if (Puk(p)) command += ",\"" + f["Text2"].text() + "\"";
    // The codes leave the window at once.
    f["Text1"].setText("");
    f["Text2"].setText("");
    f.given = true;
    Ask(p, command, kEnter);
    f.unload();
}

void FormPin_Cancel(Program& p) {
    PinForm(p).unload();
}

void FormPin_Unload(Program& p) {
    PinWindow& f = PinForm(p);
    f["Text1"].setText("");
    f["Text2"].setText("");
    if (f.given) return;
    // The SIM still waits for its code; the port stays open.
    p.Box(MsgId::Sim_Declined, MsgId::Title_Sim, MsgIcon::Information);
}

std::string MaskedPins(std::string text) {
    constexpr std::string_view kTag = "+CPIN=";
    for (std::size_t at = text.find(kTag); at != std::string::npos; at = text.find(kTag, at)) {
        at += kTag.size();
        for (; at < text.size() &&
               std::string_view("\"0123456789,").find(text[at]) != std::string_view::npos;
             ++at)
            if (text[at] >= '0' && text[at] <= '9') text[at] = '*';
    }
    return text;
}

}  // namespace bsms
