#include "ui/language.h"

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

}  // namespace

void Apply_Language(Program& p) {
    const int lang = LanguageIndex(p.st.Current_Language);
    if (lang < 0) return;
    for (const WindowTextRow& row : kWindowTexts) {
        const std::string control = row.control;
        const char* text = row.text[lang];
        if (control == "CommonDialog1") {
            p.saveDialogTitle = text;
            continue;
        }
        Window* w = WindowNamed(p, row.window);
        if (!w) continue;
        if (control.empty()) {
            w->setCaption(text);
        } else if (MenuItem* m = w->findMenu(control)) {
            m->setCaption(text);
        } else if (Control* c = w->find(control)) {
            c->setText(text);
        }
    }
    for (const LabelPositionRow& row : kLabelPositions)
        (*p.Form1)[row.control].setLeft(row.left[lang]);
    p.host.setBusyPointer(false);
    for (const MessageTextRow& row : kMessageTexts)
        p.texts[row.id] = row.text[lang];
}

void Choose_Language(Program& p, const std::string& word) {
    p.st.Current_Language = word;
    Apply_Language(p);
    for (int i = 0; i < kLanguageCount; ++i)
        p.Form1->menu(kLanguageItems[i]).setChecked(kLanguageWords[i] == word);
}

}  // namespace bsms
