#include "qt/qt_host.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include "qt/notifier.h"

namespace bsms::qt {

QtHost::QtHost() = default;

QtHost::~QtHost() {
    unbindAll();
    if (busy_) QApplication::restoreOverrideCursor();
}

void QtHost::unbindAll() {
    main_ = nullptr;
    bound_.clear();
}

BoundWindow& QtHost::bind(Window& window) {
    auto& w = bound_[&window];
    if (!w) w = std::make_unique<BoundWindow>(window);
    return *w;
}

void QtHost::showMain(Window& window) {
    main_ = &bind(window);
    // Shown before start-up runs, so that its boxes stand over the window they concern.
    main_->show();
    window.setShown(true);
    window.load();
    window.activate();
}

QWidget* QtHost::activeParent() const {
    if (QWidget* w = QApplication::activeModalWidget()) return w;
    if (QWidget* w = QApplication::activeWindow()) return w;
    return main_;
}

MsgResult QtHost::msgBox(const MessageBoxSpec& box) {
    QMessageBox m(activeParent());
    QString text = QString::fromStdString(box.text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    m.setText(text);
    m.setWindowTitle(QString::fromStdString(box.title));
    switch (box.icon) {
        case MsgIcon::Critical:
            m.setIcon(QMessageBox::Critical);
            break;
        case MsgIcon::Question:
            m.setIcon(QMessageBox::Question);
            break;
        case MsgIcon::Exclamation:
            m.setIcon(QMessageBox::Warning);
            break;
        case MsgIcon::Information:
            m.setIcon(QMessageBox::Information);
            break;
        case MsgIcon::None:
            break;
    }
    std::vector<std::pair<QMessageBox::StandardButton, MsgResult>> buttons;
    switch (box.buttons) {
        case MsgButtons::Ok:
            buttons = {{QMessageBox::Ok, MsgResult::Ok}};
            break;
        case MsgButtons::OkCancel:
            buttons = {{QMessageBox::Ok, MsgResult::Ok}, {QMessageBox::Cancel, MsgResult::Cancel}};
            break;
        case MsgButtons::YesNo:
            buttons = {{QMessageBox::Yes, MsgResult::Yes}, {QMessageBox::No, MsgResult::No}};
            break;
        case MsgButtons::YesNoCancel:
            buttons = {{QMessageBox::Yes, MsgResult::Yes},
                       {QMessageBox::No, MsgResult::No},
                       {QMessageBox::Cancel, MsgResult::Cancel}};
            break;
    }
    for (const auto& [b, r] : buttons)
        m.addButton(b);
    const auto index = static_cast<std::size_t>(std::max(box.defaultButton, 0));
    if (index < buttons.size()) m.setDefaultButton(buttons[index].first);
    // The escape key gives Cancel where there is one, else the only button.
    m.setEscapeButton(buttons.back().first);
    m.exec();  // runs its own loop: serial arrivals and timers go on
    const auto* clicked = m.clickedButton();
    for (const auto& [b, r] : buttons)
        if (m.button(b) == clicked) return r;
    return buttons.back().second;
}

void QtHost::showModal(Window& window) {
    BoundWindow& w = bind(window);
    window.load();
    QWidget* parent = activeParent();
    if (parent && parent != &w) {
        // Over the middle of the window it concerns, unless the window places itself.
        w.adjustSize();
        w.move(parent->frameGeometry().center() - w.rect().center());
    }
    w.setWindowModality(Qt::ApplicationModal);
    window.setShown(true);
    w.show();
    w.raise();
    w.activateWindow();
    window.activate();
    if (!window.shown()) return;  // closed during its own activation
    QEventLoop loop;
    QObject::connect(&w, &BoundWindow::unloaded, &loop, &QEventLoop::quit);
    loop.exec();
    // The keyboard goes back to the window the modal one stood over.
    if (parent && parent != &w) parent->activateWindow();
}

std::optional<std::string> QtHost::saveFileDialog(const SaveDialogSpec& dialog) {
    QStringList filters;
    const QStringList parts = QString::fromStdString(dialog.filter).split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i];
    QFileDialog d(activeParent(), QString::fromStdString(dialog.title));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setNameFilters(filters);
    if (dialog.filterIndex >= 1 && dialog.filterIndex <= filters.size())
        d.selectNameFilter(filters[dialog.filterIndex - 1]);
    if (!dialog.overwritePrompt) d.setOption(QFileDialog::DontConfirmOverwrite);
    if (d.exec() != QDialog::Accepted || d.selectedFiles().isEmpty()) return std::nullopt;
    return d.selectedFiles().first().toStdString();
}

std::optional<std::string> QtHost::openFileDialog(const SaveDialogSpec& dialog) {
    const QStringList parts = QString::fromStdString(dialog.filter).split('|');
    const QString file = QFileDialog::getOpenFileName(
        activeParent(), QString::fromStdString(dialog.title), {}, parts.isEmpty() ? "" : parts[0]);
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

void QtHost::setBusyPointer(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtHost::startProgram(const std::string& program, const std::vector<std::string>& args) {
    QStringList list;
    for (const auto& a : args)
        list << QString::fromStdString(a);
    QProcess::startDetached(QString::fromStdString(program), list);
}

void QtHost::openUrl(const std::string& url) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void QtHost::openDocument(const std::string& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void QtHost::quit() {
    for (const auto& [model, w] : bound_)
        w->hide();
    QApplication::exit(0);
}

void QtHost::notify(const Notification& n) {
    if (main_ && main_->isActiveWindow()) return;  // the user is looking at it
    if (!notifier_) notifier_ = std::make_unique<Notifier>();
    notifier_->show(n);
}

}  // namespace bsms::qt
