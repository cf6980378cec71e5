// The desktop services on Qt: message boxes, modal windows, the save dialog, the pointer,
// notifications.
#pragma once

#include <QWidget>
#include <memory>
#include <unordered_map>

#include "core/host.h"
#include "qt/window_binder.h"

namespace bsms::qt {

class Notifier;

class QtHost : public Host {
  public:
    QtHost();
    ~QtHost() override;

    // The widgets of a window model, made on first use.
    BoundWindow& bind(Window& window);
    // Drops every window's widgets; call it before the window models go.
    void unbindAll();
    // The main window: shown without a modal loop.
    void showMain(Window& window);

    MsgResult msgBox(const MessageBoxSpec& box) override;
    void showModal(Window& window) override;
    std::optional<std::string> saveFileDialog(const SaveDialogSpec& dialog) override;
    std::optional<std::string> openFileDialog(const SaveDialogSpec& dialog) override;
    void setBusyPointer(bool busy) override;
    void startProgram(const std::string& program, const std::vector<std::string>& args) override;
    void openUrl(const std::string& url) override;
    void openDocument(const std::string& path) override;
    void quit() override;
    void notify(const Notification& n) override;

  private:
    QWidget* activeParent() const;

    std::unordered_map<const Window*, std::unique_ptr<BoundWindow>> bound_;
    BoundWindow* main_ = nullptr;  // one of bound_
    bool busy_ = false;
    std::unique_ptr<Notifier> notifier_;  // made with the first notification
};

}  // namespace bsms::qt
