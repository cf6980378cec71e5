#include "core/program.h"

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
    for (Window* w : {Form1.get(), Form2.get(), Form3.get(), Form4.get(), About.get(), Form5.get()})
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
    // A PDU on its way is the phone's to send: its answer still goes to the send or store, which
    // ends there, so that a part the phone took is told and counted.
    const InFlight* f = line.inFlight();
    const bool pduOnLine = f != nullptr && !f->dropped && f->command.owner == Owner::SendStore &&
                           !f->command.bytes.starts_with("AT");
    const auto ends = [pduOnLine](Owner o) {
        return IsDialogue(o) && !(pduOnLine && o == Owner::SendStore);
    };
    line.drop(ends);
    // Told while the flags still say where each stood.
    for (int k = 0; k < kOwnerCount; ++k)
        if (ends(static_cast<Owner>(k)) && owners[k].ended) owners[k].ended();
    const DialogueState before = st;
    st.Reset_Dialogue_Flags();
    if (!pduOnLine) return;
    st.Send_Job = before.Send_Job;
    st.Store_Job = before.Store_Job;
    st.Sent_Confirm_Pending = before.Sent_Confirm_Pending;
    st.sending = before.sending;
    st.Send_Job.endsWithThisPart = st.Send_Job.active;
    st.Store_Job.endsWithThisPart = st.Store_Job.active;
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
