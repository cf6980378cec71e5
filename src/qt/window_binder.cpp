#include "qt/window_binder.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "base/text.h"

namespace bsms::qt {

int Px(int twips) {
    return (twips * 2 + 13) / 27;
}

int Twips(int px) {
    return px * 27 / 2;
}

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string S(const QString& s) {
    return s.toStdString();
}

// Text boxes hold CR LF line breaks, and the receive box whatever the phone sent: CR CR LF (an
// echo's CR before the reply's CR LF), a lone CR or LF. The widgets show each as one LF.
std::size_t LineBreakAt(const std::string& s, std::size_t i) {
    if (s.compare(i, 3, "\r\r\n") == 0) return 3;
    if (s.compare(i, 2, "\r\n") == 0) return 2;
    return s[i] == '\r' || s[i] == '\n' ? 1 : 0;
}
QString ToWidgetText(const std::string& model) {
    QString t;
    std::size_t start = 0;
    for (std::size_t i = 0; i < model.size();) {
        if (const std::size_t n = LineBreakAt(model, i)) {
            t += QString::fromUtf8(model.data() + start, static_cast<qsizetype>(i - start));
            t += QChar('\n');
            i += n;
            start = i;
        } else {
            ++i;
        }
    }
    t += QString::fromUtf8(model.data() + start, static_cast<qsizetype>(model.size() - start));
    return t;
}
std::string FromWidgetText(const QString& widget) {
    QString t = widget;
    t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return S(t);
}
// The offset in the model's bytes where its widget text reaches `pos` UTF-16 units.
std::size_t ModelOffset(const std::string& model, qsizetype pos) {
    std::size_t i = 0;
    for (qsizetype units = 0; i < model.size() && units < pos; ++units) {
        if (const std::size_t n = LineBreakAt(model, i)) {
            i += n;
            continue;
        }
        const auto lead = static_cast<unsigned char>(model[i]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (length == 4) ++units;  // a surrogate pair
        i += length;
    }
    return std::min(i, model.size());
}
// The user's edit, from what the widget showed to what it shows now, applied to the model's text
// as a replacement of the part that changed: the line breaks around it keep their spelling.
std::string EditedModel(const std::string& model, const QString& before, const QString& after) {
    const qsizetype most = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < most && before[head] == after[head])
        ++head;
    if (head > 0 && before[head - 1].isHighSurrogate()) --head;
    qsizetype tail = 0;
    while (tail < most - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    if (tail > 0 && before[before.size() - tail].isLowSurrogate()) --tail;
    std::string edited = model.substr(0, ModelOffset(model, head));
    edited += FromWidgetText(after.mid(head, after.size() - head - tail));
    edited += model.substr(ModelOffset(model, before.size() - tail));
    // A CR left just before a typed line break would join it into one: spell it all anew.
    if (ToWidgetText(edited) != after) return FromWidgetText(after);
    return edited;
}
// A character position of the model as a position in the widget's text.
int WidgetPos(const std::string& model, std::size_t chars) {
    return static_cast<int>(ToWidgetText(CharPrefix(model, chars)).size());
}
// A position in the widget's text as a character position of the model.
std::size_t ModelPos(const std::string& model, int pos) {
    return CharCount(std::string_view(model).substr(0, ModelOffset(model, pos)));
}

class Guard {
  public:
    explicit Guard(int& n) : n_(n) { ++n_; }
    ~Guard() { --n_; }

  private:
    int& n_;
};

QFont ControlFont(const Control& c, const QFont& base) {
    QFont f = base;
    if (c.font.bold) f.setBold(true);
    if (c.font.underline) f.setUnderline(true);
    if (c.font.points > 0) f.setPointSize(c.font.points);
    return f;
}

}  // namespace

BoundWindow::BoundWindow(Window& model, QWidget* parent)
    : QWidget(parent), model_(model), modelLife_(model.lifetime()) {
    build();
    model_.observer = [this](Control& c, Prop p) { sync(c, p); };
    model_.menuObserver = [this](MenuItem& m) { syncMenu(m); };
    model_.windowObserver = [this](Window&, Prop p) { syncWindow(p); };
}

BoundWindow::~BoundWindow() {
    for (QTimer* t : timers_)
        t->stop();
    if (modelLife_.expired()) return;
    model_.observer = nullptr;
    model_.menuObserver = nullptr;
    model_.windowObserver = nullptr;
}

QWidget* BoundWindow::widgetFor(const std::string& control) const {
    const Control* c = model_.find(control);
    return c ? widgets_.value(c) : nullptr;
}

QAction* BoundWindow::actionFor(const std::string& menuItem) const {
    const MenuItem* m = model_.findMenu(menuItem);
    return m ? actions_.value(m) : nullptr;
}

void BoundWindow::build() {
    switch (model_.style) {
        case WindowStyle::Borderless:
            setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
            break;
        case WindowStyle::ToolWindow:
            setWindowFlags(Qt::Tool | Qt::WindowCloseButtonHint);
            break;
        default:
            setWindowFlags(Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
            break;
    }
    setWindowTitle(Q(model_.caption()));
    setObjectName(Q(model_.name()));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (!model_.menus().empty()) {
        auto* bar = new QMenuBar(this);
        for (const auto& top : model_.menus())
            buildMenu(*top, nullptr, bar);
        layout->setMenuBar(bar);
    }
    client_ = new QWidget(this);
    client_->setFixedSize(Px(model_.clientWidth()), Px(model_.clientHeight()));
    layout->addWidget(client_);
    if (model_.style != WindowStyle::ToolWindow) layout->setSizeConstraint(QLayout::SetFixedSize);

    for (const auto& c : model_.controls()) {
        if (c->kind() == ControlKind::Timer) {
            auto* timer = new QTimer(this);
            Control* control = c.get();
            connect(timer, &QTimer::timeout, this, [control] { control->tick(); });
            timers_.insert(control, timer);
            sync(*control, Prop::Timer);
            continue;
        }
        QWidget* w = makeWidget(*c, client_);
        widgets_.insert(c.get(), w);
        controls_.insert(w, c.get());
        w->setObjectName(Q(c->name()));
        syncAll(*c);
    }
    // Shapes and lines are drawn behind everything else.
    for (const auto& c : model_.controls())
        if (c->kind() == ControlKind::Shape || c->kind() == ControlKind::Line)
            if (QWidget* w = widgets_.value(c.get())) w->lower();
}

QWidget* BoundWindow::makeWidget(Control& c, QWidget* parent) {
    Control* control = &c;
    switch (c.kind()) {
        case ControlKind::TextBox: {
            if (c.multiLine) {
                auto* e = new QPlainTextEdit(parent);
                e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
                e->setReadOnly(c.readOnly);
                connect(e, &QPlainTextEdit::textChanged, this, [this, e, control] {
                    if (syncing_) return;
                    const QString shown = e->toPlainText();
                    std::string text =
                        EditedModel(control->text(), ToWidgetText(control->text()), shown);
                    const std::size_t pos = ModelPos(text, e->textCursor().position());
                    const std::size_t grown = CharCount(text) - CharCount(control->text());
                    if (control->userEdit(std::move(text))) return;
                    // Refused whole (the length limit): back to the text and caret before it.
                    Guard g(syncing_);
                    e->setPlainText(ToWidgetText(control->text()));
                    QTextCursor cur = e->textCursor();
                    cur.setPosition(WidgetPos(
                        control->text(),
                        std::min(pos - std::min(pos, grown), CharCount(control->text()))));
                    e->setTextCursor(cur);
                });
                e->installEventFilter(this);
                return e;
            }
            // No maxLength on the widget: Qt would cut the text the program sets as well.
            auto* e = new QLineEdit(parent);
            e->setReadOnly(c.readOnly);
            if (c.password) e->setEchoMode(QLineEdit::Password);
            connect(e, &QLineEdit::textEdited, this, [this, e, control](const QString& t) {
                if (syncing_) return;
                if (control->userEdit(S(t))) return;
                // Refused whole (the length limit): back to the text and caret before it.
                Guard g(syncing_);
                const QString kept = Q(control->text());
                const auto grown = t.size() - kept.size();
                const auto pos = e->cursorPosition();
                e->setText(kept);
                e->setCursorPosition(
                    static_cast<int>(std::clamp<qsizetype>(pos - grown, 0, kept.size())));
            });
            e->installEventFilter(this);
            return e;
        }
        case ControlKind::Label: {
            auto* l = new QLabel(parent);
            l->setTextFormat(Qt::PlainText);
            l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            l->installEventFilter(this);
            l->setMouseTracking(true);
            return l;
        }
        case ControlKind::Button: {
            auto* b = new QPushButton(parent);
            connect(b, &QPushButton::clicked, this, [control] { control->click(); });
            b->installEventFilter(this);  // mouse moves
            return b;
        }
        case ControlKind::CheckBox: {
            auto* b = new QCheckBox(parent);
            connect(b, &QCheckBox::clicked, this, [this, control] {
                if (!syncing_) control->click();
            });
            return b;
        }
        case ControlKind::ComboBox: {
            auto* b = new QComboBox(parent);
            b->setEditable(!c.readOnly);
            b->setInsertPolicy(QComboBox::NoInsert);
            connect(b, &QComboBox::activated, this, [this, control](int i) {
                if (!syncing_) control->setListIndex(i);
            });
            if (b->isEditable()) {
                connect(b->lineEdit(), &QLineEdit::textEdited, this,
                        [this, control](const QString& t) {
                            if (!syncing_) control->setText(S(t));
                        });
            }
            return b;
        }
        case ControlKind::Frame: {
            auto* f = new QFrame(parent);
            f->setFrameShape(QFrame::Box);
            f->setFrameShadow(QFrame::Sunken);
            f->installEventFilter(this);  // mouse moves
            f->setMouseTracking(true);
            return f;
        }
        case ControlKind::Shape: {
            auto* f = new QFrame(parent);
            // A filled bar, or else a frame that lets what lies behind it show through.
            f->setFrameShape(c.highlightColour ? QFrame::NoFrame : QFrame::Box);
            f->setAutoFillBackground(c.highlightColour);
            f->installEventFilter(this);
            return f;
        }
        case ControlKind::Line: {
            auto* f = new QFrame(parent);
            f->setFrameShape(QFrame::HLine);
            f->setFrameShadow(QFrame::Sunken);
            return f;
        }
        case ControlKind::StatusBar: {
            auto* bar = new QFrame(parent);
            auto* row = new QHBoxLayout(bar);
            row->setContentsMargins(2, 2, 2, 2);
            row->setSpacing(3);
            return bar;
        }
        case ControlKind::ProgressBar: {
            auto* p = new QProgressBar(parent);
            p->setTextVisible(false);
            return p;
        }
        case ControlKind::Grid: {
            auto* t = new QTableWidget(parent);
            t->setEditTriggers(QAbstractItemView::NoEditTriggers);
            t->setSelectionBehavior(QAbstractItemView::SelectRows);
            t->setSelectionMode(QAbstractItemView::SingleSelection);
            t->verticalHeader()->setVisible(false);
            // The rows of the grid the windows were laid out for: 240 twips.
            t->verticalHeader()->setMinimumSectionSize(1);
            t->verticalHeader()->setDefaultSectionSize(Px(240));
            t->horizontalHeader()->setHighlightSections(false);
            connect(t, &QTableWidget::cellClicked, this, [this, control](int row, int col) {
                if (syncing_) return;
                control->setCurrent(row + 1, col);
                control->click();
            });
            // The arrow keys move the current row without a click, as in the grid the browser was
            // made for: what Delete and Save act on is the row the user sees marked, and the
            // model shows it as a click would.
            connect(t, &QTableWidget::currentCellChanged, this, [this, control](int row, int col) {
                if (syncing_ || row < 0) return;
                control->moveCurrent(row + 1, col);
            });
            return t;
        }
        case ControlKind::Timer:
            break;
    }
    return new QWidget(parent);
}

void BoundWindow::buildMenu(MenuItem& item, QMenu* menu, QMenuBar* bar) {
    MenuItem* model = &item;
    if (!item.children().empty()) {
        QMenu* sub = bar ? bar->addMenu(Q(item.caption())) : menu->addMenu(Q(item.caption()));
        actions_.insert(model, sub->menuAction());
        for (const auto& child : item.children())
            buildMenu(*child, sub, nullptr);
        syncMenu(item);
        return;
    }
    if (item.separator()) {
        actions_.insert(model, menu->addSeparator());
        return;
    }
    QAction* a = bar ? bar->addAction(Q(item.caption())) : menu->addAction(Q(item.caption()));
    if (!item.shortcut().empty()) a->setShortcut(QKeySequence(Q(item.shortcut())));
    connect(a, &QAction::triggered, this, [this, model] {
        model->click();
        syncMenu(*model);  // the model's check mark is the one that counts
    });
    actions_.insert(model, a);
    syncMenu(item);
}

void BoundWindow::syncMenu(MenuItem& item) {
    QAction* a = actions_.value(&item);
    if (!a) return;
    Guard g(syncing_);
    if (!item.separator()) a->setText(Q(item.caption()));
    a->setEnabled(item.enabled());
    if (item.children().empty() && !item.separator()) {
        if (item.checked()) a->setCheckable(true);
        a->setChecked(item.checked());
        if (!item.checked()) a->setCheckable(false);
    }
}

void BoundWindow::place() {
    QPoint at(Px(model_.left()), Px(model_.top()));
    if (const QScreen* s = screen()) {
        const QRect room = s->availableGeometry();
        const QSize size = frameGeometry().size();
        at.setX(
            std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - size.width())));
        at.setY(
            std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - size.height())));
    }
    move(at);
}

void BoundWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    model_.movedTo(Twips(pos().x()), Twips(pos().y()));
}

void BoundWindow::syncWindow(Prop prop) {
    if (prop == Prop::Geometry) {
        place();
    } else if (prop == Prop::Caption) {
        setWindowTitle(Q(model_.caption()));
    } else if (prop == Prop::Visible && !model_.shown() && isVisible()) {
        closingFromModel_ = true;
        hide();
        closingFromModel_ = false;
        emit unloaded();
    }
}

void BoundWindow::syncAll(Control& c) {
    for (Prop p :
         {Prop::Geometry, Prop::Text, Prop::Items, Prop::ListIndex, Prop::Enabled, Prop::Visible,
          Prop::Value, Prop::Panels, Prop::Progress, Prop::Grid, Prop::Look})
        sync(c, p);
}

void BoundWindow::sync(Control& c, Prop prop) {
    if (prop == Prop::Timer) {
        if (QTimer* t = timers_.value(&c)) {
            t->setInterval(c.interval);
            if (c.enabled() && c.interval > 0)
                t->start();
            else
                t->stop();
        }
        return;
    }
    QWidget* w = widgets_.value(&c);
    if (!w) return;
    Guard g(syncing_);
    switch (prop) {
        case Prop::Geometry: {
            const Geometry& r = c.geometry();
            int height = Px(r.height);
            if (c.kind() == ControlKind::Line) height = 2;
            if (c.kind() == ControlKind::Label && height == 0) height = Px(255);
            int width = Px(r.width);
            if (c.kind() == ControlKind::Label && width == 0) width = Px(1500);
            w->setGeometry(Px(r.left), Px(r.top), width, height);
            break;
        }
        case Prop::Enabled:
            w->setEnabled(c.enabled());
            break;
        case Prop::Visible:
            w->setVisible(c.visible());
            break;
        case Prop::Text: {
            const QString text = Q(c.text());
            if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
                const QString shown = ToWidgetText(c.text());
                // Shown from the top, as a text box shows what the program puts in it; the
                // receive box follows its end through its caret.
                const QString now = e->toPlainText();
                if (shown.size() > now.size() && shown.startsWith(now)) {
                    // The receive box grows by what arrives: add that, not the whole text again.
                    QTextCursor end(e->document());
                    end.movePosition(QTextCursor::End);
                    end.insertText(shown.mid(now.size()));
                } else if (now != shown) {
                    e->setPlainText(shown);
                }
            } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
                if (e->text() != text) e->setText(text);
            } else if (auto* l = qobject_cast<QLabel*>(w)) {
                l->setText(text);
            } else if (auto* b = qobject_cast<QPushButton*>(w)) {
                b->setText(text);
            } else if (auto* b = qobject_cast<QCheckBox*>(w)) {
                b->setText(text);
            } else if (auto* b = qobject_cast<QComboBox*>(w)) {
                if (b->isEditable()) {
                    if (b->currentText() != text) b->setEditText(text);
                } else {
                    b->setCurrentIndex(b->findText(text));
                }
            }
            break;
        }
        case Prop::Items:
            if (auto* b = qobject_cast<QComboBox*>(w)) {
                b->clear();
                QStringList items;
                items.reserve(static_cast<qsizetype>(c.items().size()));
                for (const auto& item : c.items())
                    items << Q(item);
                b->addItems(items);
                if (b->isEditable()) b->setEditText(Q(c.text()));
                b->setCurrentIndex(c.listIndex());
                if (b->isEditable()) b->setEditText(Q(c.text()));
            }
            break;
        case Prop::ListIndex:
            if (auto* b = qobject_cast<QComboBox*>(w)) {
                b->setCurrentIndex(c.listIndex());
                if (b->isEditable()) b->setEditText(Q(c.text()));
            }
            break;
        case Prop::Value:
            if (auto* b = qobject_cast<QCheckBox*>(w)) b->setChecked(c.value() != 0);
            break;
        case Prop::Selection:
            if (auto* e = qobject_cast<QPlainTextEdit*>(w)) {
                QTextCursor cur = e->textCursor();
                cur.setPosition(WidgetPos(c.text(), c.selStart()));
                cur.setPosition(WidgetPos(c.text(), c.selStart() + c.selLength()),
                                QTextCursor::KeepAnchor);
                e->setTextCursor(cur);
                e->ensureCursorVisible();
            } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
                e->setSelection(
                    WidgetPos(c.text(), c.selStart()),
                    WidgetPos(CharSubstr(c.text(), c.selStart(), c.selLength()), c.selLength()));
            }
            break;
        case Prop::Focus:
            w->setFocus(Qt::OtherFocusReason);
            break;
        case Prop::Panels: {
            auto* layout = w->layout();
            if (c.kind() != ControlKind::StatusBar || !layout) break;
            while (layout->count() < static_cast<int>(c.panels().size())) {
                auto* l = new QLabel(w);
                l->setFrameShape(QFrame::Panel);
                l->setFrameShadow(QFrame::Sunken);
                l->setIndent(4);
                static_cast<QHBoxLayout*>(layout)->addWidget(l, layout->count() == 1 ? 2 : 1);
            }
            for (int i = 0; i < static_cast<int>(c.panels().size()); ++i)
                static_cast<QLabel*>(layout->itemAt(i)->widget())->setText(Q(c.panels()[i]));
            break;
        }
        case Prop::Progress:
            if (auto* p = qobject_cast<QProgressBar*>(w)) {
                p->setRange(c.min(), std::max(c.min(), c.max()));
                p->setValue(std::clamp(c.progress(), c.min(), std::max(c.min(), c.max())));
            }
            break;
        case Prop::Grid:
            if (auto* t = qobject_cast<QTableWidget*>(w)) {
                t->setColumnCount(c.cols());
                t->setRowCount(std::max(c.rows() - 1, 0));
                QStringList headers;
                for (int col = 0; col < c.cols(); ++col)
                    headers << Q(c.cell(0, col));
                t->setHorizontalHeaderLabels(headers);
                for (int col = 0; col < c.cols(); ++col)
                    t->setColumnWidth(col, Px(c.colWidths[static_cast<std::size_t>(col)]));
                for (int row = 1; row < c.rows(); ++row) {
                    for (int col = 0; col < c.cols(); ++col) {
                        auto* item = t->item(row - 1, col);
                        if (!item) {
                            item = new QTableWidgetItem;
                            item->setTextAlignment(Qt::AlignCenter);
                            t->setItem(row - 1, col, item);
                        }
                        item->setText(Q(c.cell(row, col)));
                    }
                }
                if (c.row() >= 1) {
                    // Marking a cell brings its row into view but leaves the columns where the
                    // user has them: the first columns say which message a row is.
                    QScrollBar* across = t->horizontalScrollBar();
                    const int left = across->value();
                    t->setCurrentCell(c.row() - 1, c.col());
                    across->setValue(left);
                }
            }
            break;
        case Prop::Look: {
            w->setFont(ControlFont(c, font()));
            QPalette pal = w->palette();
            if (c.kind() == ControlKind::ComboBox) {
                pal.setColor(QPalette::Base, c.windowBackground
                                                 ? palette().color(QPalette::Base)
                                                 : palette().color(QPalette::Window));
            }
            if (c.highlightColour) {
                pal.setColor(QPalette::Window, palette().color(QPalette::Highlight));
                pal.setColor(QPalette::WindowText,
                             c.kind() == ControlKind::Label
                                 ? palette().color(QPalette::Highlight)
                                 : palette().color(QPalette::HighlightedText));
            }
            w->setPalette(pal);
            break;
        }
        case Prop::Caption:
        case Prop::Timer:
            break;
    }
}

bool BoundWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    Control* c = w ? controls_.value(w) : nullptr;
    if (c) {
        if (event->type() == QEvent::FocusIn && !syncing_) {
            // A focus the model asked for has had its event already; the window system's own
            // comes later, when the window is activated again.
            if (model_.focusRequest == c)
                model_.focusRequest = nullptr;
            else
                c->gotFocus();
        } else if (event->type() == QEvent::FocusOut && model_.focusRequest == c) {
            model_.focusRequest = nullptr;
        } else if (event->type() == QEvent::MouseButtonRelease &&
                   (c->kind() == ControlKind::Label || c->kind() == ControlKind::Shape)) {
            c->click();
            return true;
        } else if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
            c->mouseMove();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void BoundWindow::closeEvent(QCloseEvent* event) {
    if (closingFromModel_ || !model_.shown()) {
        event->accept();
        return;
    }
    if (model_.requestClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace bsms::qt
