// The model of windows, controls and menus. All program logic reads and writes these models;
// a toolkit binding (src/qt) draws them and feeds user input back through the same setters.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bsms {

enum class ControlKind {
    TextBox,
    Label,
    Button,
    CheckBox,
    ComboBox,
    Shape,
    Frame,
    Line,
    Timer,
    StatusBar,
    ProgressBar,
    Grid,
};

// Twips: 1440 to the inch.
struct Geometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Which property changed, for the binding.
enum class Prop {
    Text,
    Enabled,
    Visible,
    Geometry,
    Items,
    ListIndex,
    Value,
    Selection,
    Focus,
    Timer,
    Panels,
    Progress,
    Grid,
    Look,
    Caption,  // window caption
};

struct Font {
    bool bold = false;
    bool underline = false;
    int points = 0;  // 0: the window's font
};

class Window;

class Control {
  public:
    Control(Window& owner, ControlKind kind, std::string name, Geometry geometry, std::string text);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    Window& owner() const { return owner_; }

    // Text of a text box or drop-down list, caption of a label, button, check box or frame.
    // Setting a different text of a text box or list raises the change event, also from code.
    // Text the program sets is kept whole: maxLength limits what the user types (userEdit).
    const std::string& text() const { return text_; }
    void setText(std::string text);
    // The whole text after the user typed, pasted or deleted, from the binding. An edit that
    // makes the text longer than maxLength, or that `fits` refuses, is refused whole: false,
    // and nothing changes (a text the program set may be shortened all the same).
    bool userEdit(std::string text);

    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    bool visible() const { return visible_; }
    void setVisible(bool on);

    const Geometry& geometry() const { return geometry_; }
    void setLeft(int twips);
    void setGeometry(Geometry g);

    // Text box.
    std::size_t maxLength = 0;  // characters the user may type; 0 is no limit
    // Whether a text is one the box may hold, beyond its length (none: every text).
    std::function<bool(const std::string&)> fits;
    bool multiLine = false;
    bool readOnly = false;
    bool password = false;  // shown as dots
    std::size_t selStart() const { return selStart_; }
    std::size_t selLength() const { return selLength_; }
    void setSelection(std::size_t start, std::size_t length);  // characters
    void setFocus();
    // Called by the binding when the user puts the focus here.
    void gotFocus();

    // Drop-down list.
    const std::vector<std::string>& items() const { return items_; }
    void addItem(std::string item);
    // Appends several entries at once: the binding redraws the list once, not once an entry.
    void addItems(std::vector<std::string> items);
    void clearItems();
    int listIndex() const { return listIndex_; }
    void setListIndex(int index);  // also sets the text and raises click
    bool windowBackground = true;  // false: grey, as a disabled list at design time
    void setWindowBackground(bool on);

    // Check box: 0 unticked, 1 ticked.
    int value() const { return value_; }
    void setValue(int value);

    // Timer.
    int interval = 0;  // milliseconds; enabled() starts and stops it
    void setInterval(int ms);

    // Status bar panels, 1-based as the program counts them.
    const std::vector<std::string>& panels() const { return panels_; }
    const std::string& panel(int index) const { return panels_.at(index - 1); }
    void setPanels(std::vector<std::string> panels);
    void setPanel(int index, std::string text);

    // Progress bar.
    int min() const { return min_; }
    int max() const { return max_; }
    int progress() const { return progress_; }
    void setRange(int min, int max);
    void setProgress(int value);

    // Grid: row 0 is the fixed header row; every cell is centred.
    int rows() const { return static_cast<int>(cells_.size()); }
    int cols() const { return cols_; }
    void setCols(int cols);
    void setRows(int rows);
    const std::string& cell(int row, int col) const;
    void setCell(int row, int col, std::string text);
    std::vector<int> colWidths;  // twips
    void setColWidth(int col, int twips);
    void addRow(std::vector<std::string> cells);
    // Appends several rows at once: the binding redraws the grid once, not once a row.
    void addRows(std::vector<std::vector<std::string>> rows);
    void removeRow(int row);
    int row() const { return row_; }
    int col() const { return col_; }
    void setCurrent(int row, int col);
    // The user moved the current cell without a click (the arrow keys), from the binding: a new
    // row raises the change event.
    void moveCurrent(int row, int col);

    // Look.
    Font font;
    bool highlightColour = false;  // system highlight colour (shapes, link labels)

    // Events.
    std::function<void()> onClick;
    std::function<void()> onChange;
    std::function<void()> onGotFocus;
    std::function<void()> onTick;
    std::function<void()> onMouseMove;

    // User input from the binding.
    void click();
    void tick();
    void mouseMove();

  private:
    void notify(Prop prop);

    Window& owner_;
    ControlKind kind_;
    std::string name_;
    Geometry geometry_;
    std::string text_;
    bool enabled_ = true;
    bool visible_ = true;
    std::size_t selStart_ = 0;
    std::size_t selLength_ = 0;
    std::vector<std::string> items_;
    int listIndex_ = -1;
    int value_ = 0;
    std::vector<std::string> panels_;
    int min_ = 0;
    int max_ = 100;
    int progress_ = 0;
    int cols_ = 0;
    std::vector<std::vector<std::string>> cells_;
    int row_ = 0;
    int col_ = 0;
};

class MenuItem {
  public:
    MenuItem(Window& owner, std::string name, std::string caption, std::string shortcut);
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    const std::string& name() const { return name_; }
    // "&" marks the access key; "-" is a separator.
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    bool checked() const { return checked_; }
    void setChecked(bool on);
    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    // "Shift+F1", "Ctrl+F" or empty.
    const std::string& shortcut() const { return shortcut_; }
    bool separator() const { return caption_ == "-"; }

    MenuItem& add(std::string name, std::string caption, std::string shortcut = {});
    const std::vector<std::unique_ptr<MenuItem>>& children() const { return children_; }

    std::function<void()> onClick;
    void click();

  private:
    void notify();

    Window& owner_;
    std::string name_;
    std::string caption_;
    std::string shortcut_;
    bool checked_ = false;
    bool enabled_ = true;
    std::vector<std::unique_ptr<MenuItem>> children_;
};

enum class WindowStyle { Normal, Fixed, Borderless, ToolWindow };

class Window {
  public:
    Window(std::string name, std::string caption, int clientWidth, int clientHeight);
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window() = default;

    const std::string& name() const { return name_; }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    WindowStyle style = WindowStyle::Fixed;
    std::string fontName = "MS Sans Serif";
    // Position of the window's outer top-left corner on the screen, in twips.
    int left() const { return left_; }
    int top() const { return top_; }
    // Moves the window; the desktop keeps it on the screen.
    void setPosition(int left, int top);
    // Called by the binding when the user has moved the window.
    void movedTo(int left, int top);

    Control& add(ControlKind kind, std::string name, Geometry geometry, std::string text = {});
    MenuItem& addMenu(std::string name, std::string caption);

    // Lookup by name; an unknown name is a programming error and throws std::out_of_range.
    Control& operator[](std::string_view name) const;
    Control* find(std::string_view name) const;
    MenuItem& menu(std::string_view name) const;
    MenuItem* findMenu(std::string_view name) const;

    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    const std::vector<std::unique_ptr<MenuItem>>& menus() const { return menus_; }

    // Lifecycle. A window is loaded on first use (load event once), shown, activated, and asked
    // before it closes (query-unload may cancel); unloading resets it to its design state.
    bool loaded() const { return loaded_; }
    bool shown() const { return shown_; }
    void load();
    void activate();
    void setShown(bool on);
    // A close asked for by the user or the system; false when query-unload cancelled it.
    bool requestClose();
    void unload();

    std::function<void()> onLoad;
    std::function<void()> onActivate;
    std::function<void(bool& cancel)> onQueryUnload;
    std::function<void()> onUnload;

    // Expires when the window is destroyed, so that a binding that outlives it leaves it alone.
    std::weak_ptr<const void> lifetime() const { return lifetime_; }

    // The binding's view of changes.
    std::function<void(Control&, Prop)> observer;
    std::function<void(MenuItem&)> menuObserver;
    std::function<void(Window&, Prop)> windowObserver;
    // The control the binding should focus; set by Control::setFocus.
    Control* focusRequest = nullptr;

  private:
    friend class Control;
    friend class MenuItem;

    std::string name_;
    std::string caption_;
    int clientWidth_;
    int clientHeight_;
    int left_ = 0;
    int top_ = 0;
    std::shared_ptr<const void> lifetime_ = std::make_shared<int>(0);
    bool loaded_ = false;
    bool shown_ = false;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::unique_ptr<MenuItem>> menus_;
};

}  // namespace bsms
