// Draws any window model as real widgets and keeps the two in step both ways: model changes
// update the widgets at once, and user input reaches the model's setters and events.
#pragma once

#include <QHash>
#include <QPointer>
#include <QWidget>

#include "core/controls.h"

class QAction;
class QMenu;
class QMenuBar;
class QTimer;

namespace bsms::qt {

// Twips to device-independent pixels. Slightly larger than 96 per inch, since the faces at hand
// are wider than the classic desktop font the layouts were made for; high-DPI scaling does the
// rest.
int Px(int twips);
int Twips(int px);

class BoundWindow : public QWidget {
    Q_OBJECT
  public:
    explicit BoundWindow(Window& model, QWidget* parent = nullptr);
    ~BoundWindow() override;

    Window& model() const { return model_; }
    QWidget* widgetFor(const std::string& control) const;
    QAction* actionFor(const std::string& menuItem) const;

  signals:
    // The model unloaded the window.
    void unloaded();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    QWidget* makeWidget(Control& c, QWidget* parent);
    void buildMenu(MenuItem& item, QMenu* menu, QMenuBar* bar);
    void sync(Control& c, Prop prop);
    void syncAll(Control& c);
    void syncMenu(MenuItem& item);
    void syncWindow(Prop prop);
    // Moves the window to the model's position, kept on the screen.
    void place();

    Window& model_;
    std::weak_ptr<const void> modelLife_;  // the model may go first
    QWidget* client_ = nullptr;
    QHash<const Control*, QWidget*> widgets_;
    QHash<QWidget*, Control*> controls_;
    QHash<const Control*, QTimer*> timers_;
    QHash<const MenuItem*, QAction*> actions_;
    int syncing_ = 0;  // > 0 while the binder itself writes to widgets
    bool closingFromModel_ = false;
};

}  // namespace bsms::qt
