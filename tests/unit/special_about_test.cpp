// The special characters window.
#include <gtest/gtest.h>

#include "base/text.h"
#include "test_support.h"
#include "ui/form4.h"

namespace bsms {
namespace {

// Each row is clicked in the open window: a character's label or bar ends the message with it,
// wherever the caret was; the cancel label or the background leave it alone. Either way the
// window closes and the message box gets the focus back with the caret at the end.
TEST(SpecialChars, AClickedRowEndsTheMessageAndCancelChangesNothing) {
    test::Rig rig;
    rig.start();
    rig.form1().setPosition(1000, 500);
    Control& text5 = rig.form1()["Text5"];
    text5.setText("Stra");
    const std::pair<const char*, const char*> rows[] = {{"Label1(7)", "Straß"},
                                                        {"Label2", "Straß"},
                                                        {"Label1(0)", "Straß¥"},
                                                        {"Shape2", "Straß¥"},
                                                        {"Shape1(23)", "Straß¥ù"}};
    for (const auto& [clickedName, text] : rows) {
        const std::string clicked = clickedName;
        text5.setSelection(1, 2);
        rig.form1().focusRequest = nullptr;
        rig.host.duringModal = [&](Window& f4) {
            EXPECT_EQ(std::pair(f4.left(), f4.top()), std::pair(1400, 8500));  // below the box
            EXPECT_EQ(f4["Label1(7)"].text(), "->  ß");
            f4["Label1(3)"].mouseMove();
            f4["Label1(4)"].mouseMove();  // the bar follows the mouse
            for (int i = 0; i < kSpecialCharCount; ++i)
                EXPECT_EQ(f4["Shape1(" + std::to_string(i) + ")"].visible(), i == 4) << i;
            f4[clicked].click();
            EXPECT_FALSE(f4.shown());
        };
        rig.form1().menu("Mn_Special").click();
        EXPECT_EQ(text5.text(), text) << clicked;
        const std::size_t length = Utf8ToU32(text).size();
        EXPECT_EQ(rig.form1()["Label5"].text(), std::to_string(length));  // counted like typing
        EXPECT_EQ(rig.form1().focusRequest, &text5);
        EXPECT_EQ(std::pair(text5.selStart(), text5.selLength()),
                  std::pair(length, std::size_t{0}));
        EXPECT_FALSE(rig.program->st.Special_Chars_Return);
    }
}

}  // namespace
}  // namespace bsms
