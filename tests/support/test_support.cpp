#include "test_support.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "app/startup.h"

namespace bsms::test {

MsgResult ScriptedHost::msgBox(const MessageBoxSpec& box) {
    boxes.push_back(box);
    if (duringBox) duringBox(box);
    if (!answers.empty()) {
        const MsgResult r = answers.front();
        answers.pop_front();
        return r;
    }
    // The default button, the first when out of range.
    static const std::vector<MsgResult> kButtons[] = {
        {MsgResult::Ok},
        {MsgResult::Ok, MsgResult::Cancel},
        {MsgResult::Yes, MsgResult::No},
        {MsgResult::Yes, MsgResult::No, MsgResult::Cancel}};
    const std::vector<MsgResult>& buttons = kButtons[static_cast<int>(box.buttons)];
    const auto d = static_cast<std::size_t>(box.defaultButton);
    return d < buttons.size() ? buttons[d] : buttons[0];
}

void ScriptedHost::showModal(Window& window) {
    window.load();
    window.setShown(true);
    window.activate();
    if (duringModal) duringModal(window);
    if (!keepModalOpen && window.shown()) window.unload();
}

std::optional<std::string> ScriptedHost::saveFileDialog(const SaveDialogSpec& dialog) {
    saveDialogs.push_back(dialog);
    if (saveAnswers.empty()) return std::nullopt;
    auto r = saveAnswers.front();
    saveAnswers.pop_front();
    return r;
}

TempFolder::TempFolder() {
    std::string name = (std::filesystem::temp_directory_path() / "bsms-test-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("no temporary folder");
    path_ = name;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempFolder::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
}

void UseUtc() {
    setenv("TZ", "UTC", 1);
    tzset();
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string TempFolder::read(const std::string& name) const {
    return ReadFile(path_ / name);
}

bool TempFolder::exists(const std::string& name) const {
    return std::filesystem::exists(path_ / name);
}

Program& Rig::start(bool offersIndications) {
    program = MakeProgram(host, port, dir.path());
    program->Form1->load();
    if (port.written == "AT+CPIN?\r") reply("\r\n+CPIN: READY\r\n\r\nOK\r\n");
    if (!offersIndications && port.written == "AT+CNMI=?\r") {
        reply("\r\nOK\r\n");
        port.written.clear();
    }
    return *program;
}

std::string Rig::reply(const std::string& bytes) {
    const std::string echo = port.written.ends_with('\r') ? port.written : "";
    port.written.clear();
    port.arrive(echo + bytes);
    return port.written;
}

void Rig::settle() {
    for (int n = 0; n < 1000 && program->line.inFlight() != nullptr; ++n) {
        port.written.clear();
        port.arrive(program->line.inFlight()->command.bytes + "\r\nOK\r\n");
    }
    port.written.clear();
}

void Rig::quiet(int ms) {
    Control& timer = form1()["Timer2"];
    for (int t = 0; t < ms; t += timer.interval)
        timer.tick();
}

std::string Rig::click(const char* name, Window* w) {
    Window& window = w != nullptr ? *w : form1();
    port.written.clear();
    if (MenuItem* item = window.findMenu(name))
        item->click();
    else
        window[name].click();
    return port.written;
}

}  // namespace bsms::test
