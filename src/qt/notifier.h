// Desktop notifications: the freedesktop notification service on the session bus, or the
// system tray's balloon where no such service answers.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QSystemTrayIcon>
#include <map>
#include <memory>

#include "core/host.h"

namespace bsms::qt {

class Notifier : public QObject {
    Q_OBJECT

  public:
    explicit Notifier(const QDBusConnection& bus = QDBusConnection::sessionBus());
    ~Notifier() override;

    // Does not wait for the service: a click is taken whenever it comes.
    void show(const Notification& n);

  private Q_SLOTS:
    void actionInvoked(uint id, const QString& action);
    void closed(uint id, uint reason);

  private:
    void showInTray(const Notification& n);

    QDBusConnection bus_;
    // The notifications still on the screen, by the service's id.
    std::map<uint, Notification> shown_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    Notification inTray_;
};

}  // namespace bsms::qt
