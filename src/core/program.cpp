#include "core/program.h"

#include <utility>

namespace bsms {

namespace {

// The dialogues the user starts: starting one ends another, and an error ends them all.
bool IsDialogue(Owner owner) {
    return owner == Owner::Probe || owner == Owner::ServiceCentre || owner == Owner::SendStore ||
           owner == Owner::Phonebook;
}

}  // namespace

Program::Program(Host& h, CommPort& port, std::filesystem::path dir)
    : host(h),
      Comm1(port),
      folder(std::move(dir)),
      line([this](const Command& c) { Put(c); }, [this] { return Comm1.portOpen(); }) {
    // Until a language is applied the boxes speak Italian, like the windows' own texts.
    for (const MessageTextRow& row : kMessageTexts)
        texts[row.id] = row.text[0];
}

Program::~Program() {
    Comm1.onComm = nullptr;
}

std::vector<Window*> Program::allWindows() const {
    std::vector<Window*> all;
    for (Window* w : {Form1.get(), Form2.get(), Form3.get(), Form4.get(), About.get(), Form5.get(),
                      FormPin.get(), Form6.get(), Form7.get()})
        if (w) all.push_back(w);
    return all;
}

void Program::Put(const Command& command) {
    // A prompt no command asked for is stale; it must not answer this one.
    if (unfinishedLine.starts_with('>')) unfinishedLine.clear();
    if (command.emptiesBox && Form1) {
        (*Form1)["Text1"].setText(unfinishedLine);
        indicationsScanned = 0;
    }
    if (InFlight* f = line.inFlight()) f->answer = unfinishedLine;
    Comm1.output(command.bytes);
}

std::string Program::StringParameter(const std::string& value) const {
    return quotedStrings ? "\"" + value + "\"" : value;
}

void Program::EndDialogues() {
    // A PDU on its way is the phone's to send: its answer still settles the send, so that a part
    // the phone took is told and counted.
    InFlight* f = line.inFlight();
    const bool pduOnLine = f != nullptr && !f->dropped && f->command.owner == Owner::SendStore &&
                           !f->command.bytes.starts_with("AT");
    if (pduOnLine && st.sending && f->command.tag != kEndedSendPart) {
        st.endingSend = std::exchange(st.sending, std::nullopt);
        f->command.tag = kEndedSendPart;
    }
    line.drop(IsDialogue);
    if (pduOnLine && f->command.tag == kEndedSendPart) f->dropped = false;
    // Told while the flags still say where each stood.
    for (int k = 0; k < kOwnerCount; ++k)
        if (IsDialogue(static_cast<Owner>(k)) && owners[k].ended) owners[k].ended();
    st.Reset_Dialogue_Flags();
}

MsgResult Program::Box(const std::string& text, const std::string& title, MsgIcon icon,
                       MsgButtons buttons, int defaultButton) {
    return host.msgBox({text, title, icon, buttons, defaultButton});
}

MsgResult Program::Box(MsgId text, MsgId title, MsgIcon icon, MsgButtons buttons,
                       int defaultButton) {
    return Box(texts[text], texts[title], icon, buttons, defaultButton);
}

}  // namespace bsms
