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
    Comm1.output(command + "\r");
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
