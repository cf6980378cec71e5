#include "ui/form4.h"

#include "base/text.h"
#include "core/program.h"
#include "ui/language.h"

namespace bsms {

namespace {

constexpr char32_t kChars[kSpecialCharCount] = {
    U'\u00A5', U'\u00D8', U'\u00F8', U'\u00C5', U'\u00E5', U'\u00C6', U'\u00E6', U'\u00DF',
    U'\u00C9', U'\u00A1', U'\u00C4', U'\u00D6', U'\u00D1', U'\u00DC', U'\u00BF', U'\u00E4',
    U'\u00F6', U'\u00F1', U'\u00FC', U'\u00E0', U'\u00E8', U'\u00EC', U'\u00F2', U'\u00F9'};
constexpr int kRowTop[kSpecialCharCount] = {150,  390,  630,  840,  1080, 1320, 1590, 1830,
                                            2070, 2280, 2520, 2760, 3030, 3270, 3510, 3720,
                                            3960, 4200, 4470, 4710, 4950, 5190, 5430, 5670};

std::string Indexed(const char* name, int i) {
    return std::string(name) + "(" + std::to_string(i) + ")";
}

}  // namespace

const std::array<std::string, kSpecialCharCount>& SpecialChars() {
    static const auto table = [] {
        std::array<std::string, kSpecialCharCount> t;
        for (int i = 0; i < kSpecialCharCount; ++i)
            t[i] = "->  " + CodePointToUtf8(kChars[i]);
        return t;
    }();
    return table;
}

std::unique_ptr<Window> MakeForm4() {
    using K = ControlKind;
    auto w = std::make_unique<Window>("Form4", "", 855, 6255);
    w->style = WindowStyle::Borderless;
    w->add(K::Shape, "Shape2", {0, 0, 855, 6255});
    for (int i = 0; i < kSpecialCharCount; ++i) {
        Control& bar = w->add(K::Shape, Indexed("Shape1", i), {0, kRowTop[i] - 30, 1095, 255});
        bar.highlightColour = true;
        bar.setVisible(false);
    }
    for (int i = 0; i < kSpecialCharCount; ++i)
        w->add(K::Label, Indexed("Label1", i), {45, kRowTop[i], 750, 195}, "->");
    w->add(K::Label, "Label2", {60, 6000, 750, 195}, "- Annulla -");
    return w;
}

void Mn_Special_Click(Program& p) {
    p.host.showModal(*p.Form4);
    // The flag goes first: the focus event it is meant for may come at once.
    p.st.Special_Chars_Return = true;
    (*p.Form1)["Text5"].setFocus();
}

void Form4_Activate(Program& p) {
    Apply_Language(p);
    Window& f = *p.Form4;
    f.setPosition(p.Form1->left() + 400, p.Form1->top() + 8000);
    for (int i = 0; i < kSpecialCharCount; ++i)
        f[Indexed("Label1", i)].setText(SpecialChars()[i]);
}

void Form4_Row_MouseMove(Program& p, int row) {
    for (int i = 0; i < kSpecialCharCount; ++i)
        (*p.Form4)[Indexed("Shape1", i)].setVisible(i == row);
}

void Form4_Row_Click(Program& p, int row) {
    p.Form4->unload();
    if (row < 0 || row >= kSpecialCharCount) return;
    // The character counts like typing: it does not go into a full box.
    Control& text = (*p.Form1)["Text5"];
    text.userEdit(text.text() + CodePointToUtf8(kChars[row]));
}

void Form4_Cancel(Program& p) {
    p.Form4->unload();
}

}  // namespace bsms
