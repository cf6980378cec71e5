#include "core/program.h"

namespace bsms {

Program::Program(Host& h, CommPort& port, std::filesystem::path dir)
    : host(h), Comm1(port), folder(std::move(dir)) {
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

void Program::WriteCommand(const std::string& command) {
    Write(command + "\r", kCommandReplyMs);
}

void Program::Write(const std::string& bytes, int replyLimitMs) {
    commandMark = Form1 ? (*Form1)["Text1"].text().size() : 0;
    replyWait = {true, replyLimitMs, 0};
    Comm1.output(bytes);
}

std::string Program::StringParameter(const std::string& value) const {
    return quotedStrings ? "\"" + value + "\"" : value;
}

void Program::EndDialogues() {
    st.Reset_Dialogue_Flags();
    replyWait = {};
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
