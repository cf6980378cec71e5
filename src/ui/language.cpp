#include "ui/language.h"

#include "compose/editor.h"
#include "core/program.h"
#include "ui/language_tables.h"

namespace bsms {

namespace {

constexpr const char* kLanguageItems[kLanguageCount] = {"Mn_Italiano", "Mn_English", "Mn_Slovak",
                                                        "Mn_Hungarian", "Mn_polski"};

// The window a row of the table names, or nothing when the program has no such window yet.
Window* WindowNamed(const Program& p, std::string_view name) {
    for (Window* w : p.allWindows())
        if (w->name() == name) return w;
    return nullptr;
}

void ApplyWindowText(Program& p, const WindowTextRow& row, const char* text) {
    const std::string_view control = row.control;
    if (control == "CommonDialog1") {
        p.saveDialogTitle = text;
        return;
    }
    Window* w = WindowNamed(p, row.window);
    if (!w) return;
    if (control.empty()) {
        w->setCaption(text);
    } else if (MenuItem* m = w->findMenu(control)) {
        m->setCaption(text);
    } else if (Control* c = w->find(control)) {
        c->setText(text);
    }
}

}  // namespace

void Apply_Language(Program& p) {
    const int lang = LanguageIndex(p.st.Current_Language);
    if (lang < 0) return;
    for (std::size_t i = 0; i < kWindowTexts.size(); ++i) {
        const WindowTextRow& row = kWindowTexts[i];
        ApplyWindowText(p, row, row.text[lang]);
        const bool lastOfWindow = i + 1 == kWindowTexts.size() ||
                                  std::string_view(kWindowTexts[i + 1].window) != row.window;
        if (!lastOfWindow) continue;
        // Right after their window's texts, as the languages have always done it.
        if (std::string_view(row.window) == "Form1") {
            for (const LabelPositionRow& pos : kLabelPositions)
                (*p.Form1)[pos.control].setLeft(pos.left[lang]);
        } else if (std::string_view(row.window) == "Form3") {
            p.host.setBusyPointer(false);
        }
    }
    for (const MessageTextRow& row : kMessageTexts)
        p.texts[row.id] = row.text[lang];
    // The encoding label is made from a text of the language.
    if (p.Form1) Text5_Change(p);
}

void Choose_Language(Program& p, const std::string& word) {
    p.st.Current_Language = word;
    Apply_Language(p);
    for (int i = 0; i < kLanguageCount; ++i)
        p.Form1->menu(kLanguageItems[i]).setChecked(kLanguageWords[i] == word);
}

}  // namespace bsms
