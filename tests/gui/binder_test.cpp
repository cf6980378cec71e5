// The Qt binding of the window models: widgets follow the model and user input reaches it, on
// the real desktop host.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTextCursor>
#include <QTimer>

#include "app/form1.h"
#include "app/startup.h"
#include "qt/qt_host.h"
#include "test_support.h"

namespace bsms {
namespace {

struct GuiRig {
    test::TempFolder dir;
    test::FakeCommPort port;
    qt::QtHost host;
    std::unique_ptr<Program> owner = MakeProgram(host, port, dir.path());
    Program& program = *owner;
    qt::BoundWindow& main;
    GuiRig() : main(host.bind(*program.Form1)) { host.showMain(*program.Form1); }
    template <typename W>
    W* widget(const char* name) {
        return qobject_cast<W*>(main.widgetFor(name));
    }
};

TEST(Binder, ModelAndWidgetsStayInStepBothWays) {
    GuiRig rig;
    Window& f = *rig.program.Form1;
    EXPECT_EQ(rig.main.actionFor("Mn_Apri")->shortcut(), QKeySequence("Shift+F1"));
    EXPECT_EQ(rig.main.actionFor("Mn_Flash")->shortcut(), QKeySequence("Ctrl+F"));

    auto* recipient = rig.widget<QLineEdit>("Text4");
    int changes = 0;
    f["Text4"].onChange = [&] { ++changes; };
    recipient->insert("+39333");  // as typed
    EXPECT_EQ(f["Text4"].text(), "+39333");
    EXPECT_EQ(changes, 1);
    f["Text4"].setText("12345");
    EXPECT_EQ(recipient->text(), "12345");
    EXPECT_EQ(changes, 2);

    // Menu check marks belong to the model, which the program's handler toggles.
    rig.main.actionFor("Mn_Conferma")->trigger();
    EXPECT_FALSE(f.menu("Mn_Conferma").checked());
    EXPECT_FALSE(rig.main.actionFor("Mn_Conferma")->isChecked());

    f["Label5"].setLeft(2100);
    EXPECT_EQ(rig.main.widgetFor("Label5")->x(), qt::Px(2100));
    f.setCaption("Other");
    EXPECT_EQ(rig.main.windowTitle(), "Other");
}

TEST(Binder, ProgramFilledBoxesShowTheirTopAndTheReceiveBoxItsEnd) {
    GuiRig rig;
    Window& f = *rig.program.Form1;
    f["Text2"].setText("391234567890");
    f["Text4"].setText("+393331234567");
    f["Text5"].setText(std::string(700, 'a'));
    f["Command5"].click();
    QApplication::processEvents();
    const QScrollBar* pdus = rig.widget<QPlainTextEdit>("Text3")->verticalScrollBar();
    ASSERT_GT(pdus->maximum(), 0) << "five PDUs fill more than the box";
    EXPECT_EQ(pdus->value(), 0);

    for (int i = 0; i < 40; ++i)
        rig.port.arrive("+CMTI: \"SM\"," + std::to_string(i) + "\r\n");
    QApplication::processEvents();
    const QScrollBar* received = rig.widget<QPlainTextEdit>("Text1")->verticalScrollBar();
    ASSERT_GT(received->maximum(), 0);
    EXPECT_EQ(received->value(), received->maximum());
}

// Types at the widget's caret, as a key press would.
void TypeAt(QPlainTextEdit* e, int position, const QString& typed) {
    QTextCursor cur = e->textCursor();
    cur.setPosition(position);
    e->setTextCursor(cur);
    e->textCursor().insertText(typed);
}

TEST(Binder, TypingThatDoesNotFitIsRefusedAndProgramTextIsNeverCut) {
    GuiRig rig;
    Window& f = *rig.program.Form1;
    auto* text5 = rig.widget<QPlainTextEdit>("Text5");
    const std::string full(760, 'a');
    // A character in the middle of a full box: refused, the caret stays where it was.
    f["Text5"].setText(full);
    TypeAt(text5, 380, "X");
    EXPECT_EQ(f["Text5"].text(), full);
    EXPECT_EQ(text5->toPlainText(), QString::fromStdString(full));
    EXPECT_EQ(text5->textCursor().position(), 380);
    // The program's own text is shown whole.
    f["Text5"].setText(std::string(900, 'b'));
    EXPECT_EQ(text5->toPlainText().size(), 900);

    // The port box takes one character from the user, yet shows port 12 whole.
    Control& port = (*rig.program.Form2)["Text1"];
    port.setText("12");
    auto* box = qobject_cast<QLineEdit*>(rig.host.bind(*rig.program.Form2).widgetFor("Text1"));
    EXPECT_EQ(box->text(), "12");
    box->end(false);
    box->insert("3");
    EXPECT_EQ(box->text(), "12");
    EXPECT_EQ(port.text(), "12");
}

TEST(Binder, AnEditInTheReceiveBoxKeepsThePhonesLineBreaks) {
    GuiRig rig;
    Control& text1 = (*rig.program.Form1)["Text1"];
    auto* box = rig.widget<QPlainTextEdit>("Text1");
    const std::string replies =
        "AT+CGMM\r\r\nNokia 6310i\r\n\r\nOK\r\nRING\r+CMTI\n\xC3\xA8\xF0\x9F\x98\x80z";
    text1.setText(replies);
    EXPECT_EQ(box->toPlainText(), "AT+CGMM\nNokia 6310i\n\nOK\nRING\n+CMTI\n\u00E8\U0001F600z");
    TypeAt(box, static_cast<int>(box->toPlainText().size()), "!");
    EXPECT_EQ(text1.text(), replies + "!");
    TypeAt(box, 4, "x");  // inside the echo
    EXPECT_EQ(text1.text(),
              "AT+CxGMM\r\r\nNokia 6310i\r\n\r\nOK\r\nRING\r+CMTI\n\xC3\xA8\xF0\x9F\x98\x80z!");
    // Deleting one line break takes the whole of its spelling.
    QTextCursor cur = box->textCursor();
    cur.setPosition(8);
    cur.deleteChar();
    EXPECT_EQ(text1.text(),
              "AT+CxGMMNokia 6310i\r\n\r\nOK\r\nRING\r+CMTI\n\xC3\xA8\xF0\x9F\x98\x80z!");
    // A line break typed after a lone CR stays a line break of its own.
    text1.setText("AT\r");
    TypeAt(box, 3, "\n");
    EXPECT_EQ(box->toPlainText(), "AT\n\n");
    EXPECT_EQ(box->toPlainText(), QString::fromStdString(text1.text()).replace("\r\n", "\n"));
}

// The boxes that hold a message or the phone's replies show them line by line.
TEST(Binder, MessageBoxesShowEveryLine) {
    GuiRig rig;
    const std::pair<Window*, const char*> boxes[] = {{rig.program.Form1.get(), "Text1"},
                                                     {rig.program.Form1.get(), "Text3"},
                                                     {rig.program.Form1.get(), "Text5"},
                                                     {rig.program.Form5.get(), "Text2"}};
    for (const auto& [window, name] : boxes) {
        (*window)[name].setText("Ciao\r\na domani");
        const auto* box = qobject_cast<QPlainTextEdit*>(rig.host.bind(*window).widgetFor(name));
        ASSERT_NE(box, nullptr) << name;
        EXPECT_EQ(box->toPlainText(), "Ciao\na domani") << name;
    }
}

TEST(Binder, WidgetsMayOutliveTheirWindowModels) {
    test::TempFolder dir;
    test::FakeCommPort port;
    qt::QtHost host;
    {
        const auto program = MakeProgram(host, port, dir.path());
        for (Window* w : program->allWindows())
            host.bind(*w);
        host.showMain(*program->Form1);
    }
    host.unbindAll();  // the models are gone: the widgets must leave them alone
}

TEST(Binder, TheGridsCurrentRowIsTheOneTheUserMarked) {
    qt::QtHost host;
    Window w("W", "Grid", 4000, 3000);
    Control& grid = w.add(ControlKind::Grid, "Grid1", {0, 0, 3800, 2800});
    grid.setCols(2);
    grid.colWidths = {3000, 3000};  // wider together than the grid
    grid.addRows({{"1", "a"}, {"2", "b"}, {"3", "c"}});
    int clicks = 0;
    grid.onClick = [&] { ++clicks; };
    qt::BoundWindow& bound = host.bind(w);
    bound.show();
    auto* table = qobject_cast<QTableWidget*>(bound.widgetFor("Grid1"));
    grid.setCurrent(1, 0);
    EXPECT_EQ(table->currentRow(), 0);
    table->setFocus();
    for (int i = 0; i < 2; ++i) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(table, &down);
    }
    EXPECT_EQ(grid.row(), 3);
    EXPECT_EQ(clicks, 0);  // a move is no click
    // The program marking a cell of the last column leaves the first column in view.
    grid.setCurrent(2, 1);
    EXPECT_EQ(table->currentColumn(), 1);
    EXPECT_EQ(table->horizontalScrollBar()->value(), 0);
    host.unbindAll();
}

// The close box asks the window's model, which may keep it open.
TEST(Binder, CloseBoxAsksTheModelWhichMayKeepTheWindow) {
    GuiRig rig;
    bool keep = true;
    rig.program.Form1->onQueryUnload = [&](bool& cancel) { cancel = keep; };
    rig.main.close();
    EXPECT_TRUE(rig.main.isVisible());
    keep = false;
    rig.main.close();
    EXPECT_FALSE(rig.main.isVisible());
}

// The borderless progress window's own loop keeps arrivals, its timer and the pointer going until
// Cancel ends a download the phone never answers; the picker shows a loaded file.
TEST(PhonebookWindow, SilentPhoneLeavesItOpenUntilCancel) {
    GuiRig rig;
    Program& p = rig.program;
    rig.dir.write("Rubrica.txt", "Anna (111)\r\nBob (work) (222)\r\n");
    rig.port.setPortOpen(true);
    Status_Refresh(p);
    p.Form1->menu("Mn_Rub_Load").click();
    auto* picker = rig.widget<QComboBox>("Combo2");
    ASSERT_TRUE(picker && picker->isEnabled() && picker->count() == 2);
    emit picker->activated(1);  // as the user's choice
    EXPECT_EQ((*p.Form1)["Text4"].text(), "222");

    const auto busy = [] { return QApplication::overrideCursor() != nullptr; };
    Window& f3 = *p.Form3;
    qt::BoundWindow& w = rig.host.bind(f3);
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(w.isVisible() && (w.windowFlags() & Qt::FramelessWindowHint));
        EXPECT_TRUE(busy());  // no language applied: the hourglass of loading stays
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(w.widgetFor("Command1"), &enter);
        EXPECT_FALSE(busy());
        QApplication::sendEvent(w.widgetFor("Frame1"), &enter);
        EXPECT_TRUE(busy());
        rig.port.arrive(rig.port.written + "\r\nOK\r\n");  // then the phone falls silent
    });
    int ticks = 0;
    const auto tick = f3["Timer1"].onTick;
    f3["Timer1"].onTick = [&] {
        tick();
        if (++ticks == 2) qobject_cast<QPushButton*>(w.widgetFor("Command1"))->click();
    };
    p.Form1->menu("Mn_Upload").click();  // returns when the window has closed

    EXPECT_EQ(rig.port.written, "AT+CSCS=?\rAT+CPBS=SM\r");
    EXPECT_FALSE(w.isVisible() || rig.port.portOpen() || busy());
}

}  // namespace
}  // namespace bsms
