// The desktop notification on a private session bus, where a stand-in plays the notification
// service: what the service is told, and which of its clicks reach the program.
#include <gtest/gtest.h>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QStandardPaths>

#include "qt/notifier.h"
#include "qt_loop.h"

namespace bsms {
namespace {

const QString kName = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// Keeps summary, body and actions of each Notify, and numbers them from 42.
class StandIn : public QDBusVirtualObject {
  public:
    QStringList told;
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        const QVariantList a = m.arguments();
        if (m.member() != QStringLiteral("Notify") || a.size() != 8) return false;
        told << a[3].toString() + "|" + a[4].toString() + "|" + a[5].toStringList().join(',');
        return bus.send(m.createReply(QVariant::fromValue(41u + static_cast<uint>(told.size()))));
    }
};

TEST(Notifier, TellsTheServiceAndTakesTheClickOnANotificationStillShown) {
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed: no bus to try it on";
    QProcess bus;
    bus.start(daemon, {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(test::RunUntil([&] { return bus.canReadLine(); }, 30000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    StandIn standIn;
    QDBusConnection service = QDBusConnection::connectToBus(address, QStringLiteral("service"));
    ASSERT_TRUE(service.registerVirtualObject(kPath, &standIn));
    ASSERT_TRUE(service.registerService(kName));
    std::vector<int> clicked;
    const auto open = [&](int at) { clicked.push_back(at); };
    qt::Notifier notifier(QDBusConnection::connectToBus(address, QStringLiteral("program")));
    notifier.show({"Nuovo messaggio da Anna", "<b>10 & lode</b>", 7, open});
    notifier.show({"Nuovo messaggio da Bruno", "Ciao", 8, open});
    ASSERT_TRUE(test::RunUntil([&] { return standIn.told.size() == 2; }, 30000));
    EXPECT_EQ(standIn.told[0], "Nuovo messaggio da Anna|&lt;b&gt;10 &amp; lode&lt;/b&gt;|default,");
    // The first is clicked elsewhere than on itself, then closed: only the second opens.
    const auto signal = [&](const char* name, uint id, const QVariant& more) {
        service.send(QDBusMessage::createSignal(kPath, kName, name) << id << more);
    };
    signal("ActionInvoked", 42, QStringLiteral("other"));
    signal("NotificationClosed", 42, 1u);
    signal("ActionInvoked", 42, QStringLiteral("default"));
    signal("ActionInvoked", 43, QStringLiteral("default"));
    ASSERT_TRUE(test::RunUntil([&] { return !clicked.empty(); }, 30000));
    EXPECT_EQ(clicked, std::vector<int>{8});
}

}  // namespace
}  // namespace bsms
