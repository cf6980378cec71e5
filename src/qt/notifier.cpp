#include "qt/notifier.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>

namespace bsms::qt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// The body may hold markup: a text's "<" or "&" must not be taken for it.
QString Escaped(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace('&', QStringLiteral("&amp;"));
    s.replace('<', QStringLiteral("&lt;"));
    s.replace('>', QStringLiteral("&gt;"));
    return s;
}

}  // namespace

Notifier::Notifier(const QDBusConnection& bus) : bus_(bus) {
    if (!bus_.isConnected()) return;
    bus_.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                 SLOT(actionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                 SLOT(closed(uint, uint)));
}

Notifier::~Notifier() = default;

void Notifier::show(const Notification& n) {
    if (!bus_.isConnected()) {
        showInTray(n);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    // "default" is the click on the notification itself, which needs no label.
    call << QCoreApplication::applicationName() << 0u << QStringLiteral("brenvik-sms")
         << QString::fromStdString(n.summary) << Escaped(n.body)
         << QStringList{QStringLiteral("default"), QString()}
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("brenvik-sms")}} << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, n](QDBusPendingCallWatcher* w) {
                const QDBusPendingReply<uint> reply = *w;
                w->deleteLater();
                // No service, or none that can be started: the tray tells it instead.
                if (reply.isError())
                    showInTray(n);
                else
                    shown_[reply.value()] = n;
            });
}

void Notifier::actionInvoked(uint id, const QString& action) {
    const auto at = shown_.find(id);
    if (at == shown_.end() || action != QStringLiteral("default")) return;
    const Notification n = std::move(at->second);
    shown_.erase(at);
    if (n.open) n.open(n.location);  // may run the browser's modal loop
}

void Notifier::closed(uint id, uint) {
    shown_.erase(id);
}

void Notifier::showInTray(const Notification& n) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    if (!tray_) {
        tray_ = std::make_unique<QSystemTrayIcon>(QGuiApplication::windowIcon());
        connect(tray_.get(), &QSystemTrayIcon::messageClicked, this, [this] {
            if (inTray_.open) inTray_.open(inTray_.location);
        });
        tray_->show();
    }
    inTray_ = n;
    tray_->showMessage(QString::fromStdString(n.summary), QString::fromStdString(n.body));
}

}  // namespace bsms::qt
