// Running Qt's event loop in tests that have no window: the application object and a wait for
// a condition, whose deadline only guards against a hang.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace bsms::test {

inline QCoreApplication& QtApp() {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("bsms-tests"), nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                                : new QCoreApplication(argc, argv);
    return *app;
}

template <typename F>
bool RunUntil(F done, int ms = 10000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) {
        QtApp().processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return done();
}

}  // namespace bsms::test
