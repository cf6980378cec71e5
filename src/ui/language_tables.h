// The five languages' window texts and label positions, as data. Texts are UTF-8, exactly as
// shown to the user.
#pragma once

#include <array>

#include "core/message_texts.h"

namespace bsms {

// One text that Apply_Language sets on a window. `control` names a control or menu item;
// "" means the window caption; "CommonDialog1" the title of the browser's save dialog.
struct WindowTextRow {
    const char* window;  // "Form1", "Form2", "Form3", "Form4", "About", "Form5", "Form6", ...
    const char* control;
    LanguageTexts text;
};
// In the order Apply_Language sets them.
extern const std::array<WindowTextRow, 84> kWindowTexts;

// Labels of the main window whose left edge (twips) depends on the language.
struct LabelPositionRow {
    const char* control;
    std::array<int, kLanguageCount> left;
};
extern const std::array<LabelPositionRow, 4> kLabelPositions;

}  // namespace bsms
