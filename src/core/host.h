// What the program needs from the desktop beyond drawing its windows: modal message boxes and
// windows, the save dialog, the mouse pointer, starting other programs, desktop notifications and
// ending the run.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/controls.h"

namespace bsms {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

struct MessageBoxSpec {
    std::string text;  // CR (code 13) breaks lines
    std::string title;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    int defaultButton = 0;  // index among the buttons, first is 0
};

struct SaveDialogSpec {
    std::string title;
    std::string filter;   // "Name|pattern|Name|pattern"
    int filterIndex = 1;  // 1-based preselected filter
    bool overwritePrompt = true;
};

// A message that arrived, told on the desktop while the user is elsewhere.
struct Notification {
    std::string summary;  // who sent it
    std::string body;     // the start of its text
    int location = 0;     // where the phone keeps it
    // The user clicked the notification: the browser opens on that message.
    std::function<void(int location)> open;
};

class Host {
  public:
    virtual ~Host() = default;
    // Modal: returns the button pressed. Serial arrivals and timers keep running meanwhile.
    virtual MsgResult msgBox(const MessageBoxSpec& box) = 0;
    // Loads, shows and activates the window; returns when it has been unloaded.
    virtual void showModal(Window& window) = 0;
    // The chosen file name, or nothing when the user cancelled.
    virtual std::optional<std::string> saveFileDialog(const SaveDialogSpec& dialog) = 0;
    // The file chosen to be read, or nothing when the user cancelled.
    virtual std::optional<std::string> openFileDialog(const SaveDialogSpec&) {
        return std::nullopt;
    }
    virtual void setBusyPointer(bool busy) = 0;
    virtual void startProgram(const std::string& program, const std::vector<std::string>& args) = 0;
    virtual void openUrl(const std::string& url) = 0;
    // Opens a file with the desktop's default program for its kind; does not wait.
    virtual void openDocument(const std::string& path) = 0;
    // Ends the program at once: no further window events run.
    virtual void quit() = 0;
    // Shown only when the main window is not the active one: the host knows which is.
    virtual void notify(const Notification&) {}
};

}  // namespace bsms
