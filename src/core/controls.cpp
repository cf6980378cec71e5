#include "core/controls.h"

#include <algorithm>
#include <stdexcept>

#include "base/text.h"

namespace bsms {

Control::Control(Window& owner, ControlKind kind, std::string name, Geometry geometry,
                 std::string text)
    : owner_(owner),
      kind_(kind),
      name_(std::move(name)),
      geometry_(geometry),
      text_(std::move(text)) {
    if (kind_ == ControlKind::Grid) setRows(1);
}

void Control::notify(Prop prop) {
    if (owner_.observer) owner_.observer(*this, prop);
}

bool Control::userEdit(std::string text) {
    // Only an edit that grows the text can overflow: one that shortens a longer text the program
    // put there is taken.
    const std::size_t n = CharCount(text);
    const bool grows = n > CharCount(text_);
    if (maxLength > 0 && n > maxLength && grows) return false;
    if (fits && !fits(text) && (grows || fits(text_))) return false;
    setText(std::move(text));
    return true;
}

void Control::setText(std::string text) {
    if (text == text_) return;
    text_ = std::move(text);
    const std::size_t n = CharCount(text_);
    if (selStart_ > n) selStart_ = n;
    if (selStart_ + selLength_ > n) selLength_ = n - selStart_;
    notify(Prop::Text);
    if ((kind_ == ControlKind::TextBox || kind_ == ControlKind::ComboBox) && onChange) onChange();
}

void Control::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    notify(Prop::Enabled);
    if (kind_ == ControlKind::Timer) notify(Prop::Timer);
}

void Control::setVisible(bool on) {
    if (on == visible_) return;
    visible_ = on;
    notify(Prop::Visible);
}

void Control::setLeft(int twips) {
    if (geometry_.left == twips) return;
    geometry_.left = twips;
    notify(Prop::Geometry);
}

void Control::setGeometry(Geometry g) {
    geometry_ = g;
    notify(Prop::Geometry);
}

void Control::setSelection(std::size_t start, std::size_t length) {
    const std::size_t n = CharCount(text_);
    selStart_ = std::min(start, n);
    selLength_ = std::min(length, n - selStart_);
    notify(Prop::Selection);
}

void Control::setFocus() {
    owner_.focusRequest = this;
    notify(Prop::Focus);
    gotFocus();
}

void Control::gotFocus() {
    if (onGotFocus) onGotFocus();
}

void Control::addItem(std::string item) {
    items_.push_back(std::move(item));
    notify(Prop::Items);
}

void Control::addItems(std::vector<std::string> items) {
    if (items.empty()) return;
    items_.insert(items_.end(), std::make_move_iterator(items.begin()),
                  std::make_move_iterator(items.end()));
    notify(Prop::Items);
}

void Control::clearItems() {
    items_.clear();
    listIndex_ = -1;
    notify(Prop::Items);
}

void Control::setListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
    listIndex_ = index;
    notify(Prop::ListIndex);
    if (index >= 0) setText(items_[index]);
    if (onClick) onClick();
}

void Control::setWindowBackground(bool on) {
    windowBackground = on;
    notify(Prop::Look);
}

void Control::setValue(int value) {
    if (value == value_) return;
    value_ = value;
    notify(Prop::Value);
}

void Control::setInterval(int ms) {
    interval = ms;
    notify(Prop::Timer);
}

void Control::setPanels(std::vector<std::string> panels) {
    panels_ = std::move(panels);
    notify(Prop::Panels);
}

void Control::setPanel(int index, std::string text) {
    if (index < 1 || index > static_cast<int>(panels_.size())) return;
    if (panels_[index - 1] == text) return;
    panels_[index - 1] = std::move(text);
    notify(Prop::Panels);
}

void Control::setRange(int min, int max) {
    min_ = min;
    max_ = max;
    notify(Prop::Progress);
}

void Control::setProgress(int value) {
    progress_ = value;
    notify(Prop::Progress);
}

void Control::setCols(int cols) {
    cols_ = std::max(cols, 0);
    colWidths.resize(cols_, 1000);
    for (auto& r : cells_)
        r.resize(cols_);
    notify(Prop::Grid);
}

void Control::setRows(int rows) {
    cells_.resize(std::max(rows, 0), std::vector<std::string>(cols_));
    row_ = std::min(row_, std::max(this->rows() - 1, 0));
    notify(Prop::Grid);
}

const std::string& Control::cell(int row, int col) const {
    static const std::string kEmpty;
    if (row < 0 || row >= rows() || col < 0 || col >= cols_) return kEmpty;
    return cells_[row][col];
}

void Control::setCell(int row, int col, std::string text) {
    if (row < 0 || row >= rows() || col < 0 || col >= cols_) return;
    cells_[row][col] = std::move(text);
    notify(Prop::Grid);
}

void Control::setColWidth(int col, int twips) {
    if (col < 0 || col >= cols_) return;
    colWidths[col] = twips;
    notify(Prop::Grid);
}

void Control::addRow(std::vector<std::string> cells) {
    cells.resize(cols_);
    cells_.push_back(std::move(cells));
    notify(Prop::Grid);
}

void Control::addRows(std::vector<std::vector<std::string>> rows) {
    if (rows.empty()) return;
    for (auto& cells : rows) {
        cells.resize(cols_);
        cells_.push_back(std::move(cells));
    }
    notify(Prop::Grid);
}

void Control::removeRow(int row) {
    if (row < 0 || row >= rows()) return;
    cells_.erase(cells_.begin() + row);
    if (row_ >= rows()) row_ = std::max(rows() - 1, 0);
    notify(Prop::Grid);
}

void Control::setCurrent(int row, int col) {
    row_ = std::clamp(row, 0, std::max(rows() - 1, 0));
    col_ = std::clamp(col, 0, std::max(cols_ - 1, 0));
    notify(Prop::Grid);
}

void Control::moveCurrent(int row, int col) {
    const int before = row_;
    setCurrent(row, col);
    if (row_ != before && onChange) onChange();
}

void Control::click() {
    if (kind_ == ControlKind::CheckBox) setValue(value_ == 0 ? 1 : 0);
    if (onClick) onClick();
}

void Control::tick() {
    if (onTick) onTick();
}

void Control::mouseMove() {
    if (onMouseMove) onMouseMove();
}

MenuItem::MenuItem(Window& owner, std::string name, std::string caption, std::string shortcut)
    : owner_(owner),
      name_(std::move(name)),
      caption_(std::move(caption)),
      shortcut_(std::move(shortcut)) {}

void MenuItem::notify() {
    if (owner_.menuObserver) owner_.menuObserver(*this);
}

void MenuItem::setCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    notify();
}

void MenuItem::setChecked(bool on) {
    if (on == checked_) return;
    checked_ = on;
    notify();
}

void MenuItem::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    notify();
}

MenuItem& MenuItem::add(std::string name, std::string caption, std::string shortcut) {
    children_.push_back(std::make_unique<MenuItem>(owner_, std::move(name), std::move(caption),
                                                   std::move(shortcut)));
    return *children_.back();
}

void MenuItem::click() {
    if (enabled_ && onClick) onClick();
}

Window::Window(std::string name, std::string caption, int clientWidth, int clientHeight)
    : name_(std::move(name)),
      caption_(std::move(caption)),
      clientWidth_(clientWidth),
      clientHeight_(clientHeight) {}

void Window::setCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    if (windowObserver) windowObserver(*this, Prop::Caption);
}

void Window::setPosition(int left, int top) {
    movedTo(left, top);
    if (windowObserver) windowObserver(*this, Prop::Geometry);
}

void Window::movedTo(int left, int top) {
    left_ = left;
    top_ = top;
}

Control& Window::add(ControlKind kind, std::string name, Geometry geometry, std::string text) {
    controls_.push_back(
        std::make_unique<Control>(*this, kind, std::move(name), geometry, std::move(text)));
    return *controls_.back();
}

MenuItem& Window::addMenu(std::string name, std::string caption) {
    menus_.push_back(std::make_unique<MenuItem>(*this, std::move(name), std::move(caption), ""));
    return *menus_.back();
}

Control* Window::find(std::string_view name) const {
    for (const auto& c : controls_)
        if (c->name() == name) return c.get();
    return nullptr;
}

Control& Window::operator[](std::string_view name) const {
    if (Control* c = find(name)) return *c;
    throw std::out_of_range(name_ + " has no control " + std::string(name));
}

namespace {
MenuItem* FindIn(const std::vector<std::unique_ptr<MenuItem>>& items, std::string_view name) {
    for (const auto& m : items) {
        if (m->name() == name) return m.get();
        if (MenuItem* c = FindIn(m->children(), name)) return c;
    }
    return nullptr;
}
}  // namespace

MenuItem* Window::findMenu(std::string_view name) const {
    return FindIn(menus_, name);
}

MenuItem& Window::menu(std::string_view name) const {
    if (MenuItem* m = findMenu(name)) return *m;
    throw std::out_of_range(name_ + " has no menu item " + std::string(name));
}

void Window::load() {
    if (loaded_) return;
    loaded_ = true;
    if (onLoad) onLoad();
}

void Window::activate() {
    if (onActivate) onActivate();
}

void Window::setShown(bool on) {
    if (on == shown_) return;
    shown_ = on;
    if (windowObserver) windowObserver(*this, Prop::Visible);
}

bool Window::requestClose() {
    bool cancel = false;
    if (onQueryUnload) onQueryUnload(cancel);
    if (cancel) return false;
    unload();
    return true;
}

void Window::unload() {
    if (!loaded_ && !shown_) return;
    setShown(false);
    loaded_ = false;
    if (onUnload) onUnload();
}

}  // namespace bsms
