#include "test_support.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

#include <unistd.h>

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
    switch (box.buttons) {
        case MsgButtons::Ok:
            return MsgResult::Ok;
        case MsgButtons::OkCancel:
            return box.defaultButton == 1 ? MsgResult::Cancel : MsgResult::Ok;
        case MsgButtons::YesNo:
            return box.defaultButton == 1 ? MsgResult::No : MsgResult::Yes;
        case MsgButtons::YesNoCancel:
            return box.defaultButton == 2   ? MsgResult::Cancel
                   : box.defaultButton == 1 ? MsgResult::No
                                            : MsgResult::Yes;
    }
    return MsgResult::Ok;
}

void ScriptedHost::showModal(Window& window) {
    modals.push_back(window.name());
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
    static std::atomic<int> counter{0};
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("bsms-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
             std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempFolder::write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path_ / name, std::ios::binary);
    out << bytes;
}

std::string TempFolder::read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempFolder::exists(const std::string& name) const {
    return std::filesystem::exists(path_ / name);
}

Program& Rig::start() {
    program = MakeProgram(host, port, dir.path());
    program->Form1->load();
    return *program;
}

std::filesystem::path SharedDir() {
    const std::filesystem::path p = BSMS_SHARED_DIR;
    std::error_code ec;
    return std::filesystem::is_directory(p / "corpus", ec) ? p : std::filesystem::path();
}

}  // namespace bsms::test
