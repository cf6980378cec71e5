// The phonebook on the real desktop host: the picker's widget shows a loaded file, and the
// borderless progress window's own loop keeps arrivals and its timer going until Cancel ends a
// download the phone never answers.
#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include "app/form1.h"
#include "app/startup.h"
#include "qt/qt_host.h"
#include "test_support.h"

namespace bsms {
namespace {

bool Busy() {
    return QApplication::overrideCursor() != nullptr;
}

TEST(PhonebookWindow, SilentPhoneLeavesItOpenUntilCancel) {
    test::TempFolder dir;
    dir.write("Rubrica.txt", "Anna (111)\r\nBob (work) (222)\r\n");
    test::FakeCommPort port;
    qt::QtHost host;
    const auto owner = MakeProgram(host, port, dir.path());
    Program& p = *owner;
    qt::BoundWindow& main = host.bind(*p.Form1);
    host.showMain(*p.Form1);
    port.setPortOpen(true);
    Status_Refresh(p);
    p.Form1->menu("Mn_Rub_Load").click();
    auto* picker = qobject_cast<QComboBox*>(main.widgetFor("Combo2"));
    ASSERT_TRUE(picker && picker->isEnabled() && picker->count() == 2);
    emit picker->activated(1);  // as the user's choice
    EXPECT_EQ((*p.Form1)["Text4"].text(), "222");

    Window& f3 = *p.Form3;
    qt::BoundWindow& w = host.bind(f3);
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(w.isVisible() && (w.windowFlags() & Qt::FramelessWindowHint));
        EXPECT_TRUE(Busy());  // no language applied: the hourglass of loading stays
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(w.widgetFor("Command1"), &enter);
        EXPECT_FALSE(Busy());
        QApplication::sendEvent(w.widgetFor("Frame1"), &enter);
        EXPECT_TRUE(Busy());
        port.arrive(port.written + "\r\nOK\r\n");  // then the phone falls silent
    });
    int ticks = 0;
    const auto tick = f3["Timer1"].onTick;
    f3["Timer1"].onTick = [&] {
        tick();
        if (++ticks == 2) qobject_cast<QPushButton*>(w.widgetFor("Command1"))->click();
    };
    p.Form1->menu("Mn_Upload").click();  // returns when the window has closed

    EXPECT_EQ(port.written, "AT+CSCS=?\rAT+CPBS=SM\r");
    EXPECT_FALSE(w.isVisible() || port.portOpen() || Busy());
}

}  // namespace
}  // namespace bsms
