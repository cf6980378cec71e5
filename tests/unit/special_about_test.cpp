// The special characters window and the About window.
#include <gtest/gtest.h>

#include "test_support.h"
#include "ui/about.h"
#include "ui/form4.h"
#include "ui/language.h"

namespace bsms {
namespace {

// Opens the special characters window and does `inside` while it is shown.
void WithForm4(test::Rig& rig, const std::function<void(Window&)>& inside) {
    rig.host.duringModal = [&](Window& w) {
        if (w.name() == "Form4") inside(w);
    };
    rig.form1().menu("Mn_Special").click();
    rig.host.duringModal = nullptr;
}

TEST(SpecialChars, AClickedRowEndsTheMessageAndTheCaretFollows) {
    test::Rig rig;
    rig.start();
    Control& text5 = rig.form1()["Text5"];
    text5.setText("Stra");
    text5.setSelection(1, 2);  // wherever the caret was, the character goes at the end
    // A row's label; the first row; the last row's highlighted bar.
    const std::pair<const char*, const char*> rows[] = {{"Label1(7)", "Stra\u00DF"},
                                                        {"Label1(0)", "Stra\u00DF\u00A5"},
                                                        {"Shape1(23)", "Stra\u00DF\u00A5\u00F9"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        rig.form1().focusRequest = nullptr;
        WithForm4(rig, [&](Window& f4) {
            EXPECT_EQ(f4["Label1(7)"].text(), "->  \u00DF");
            f4[rows[i].first].click();
            EXPECT_FALSE(f4.shown());
        });
        EXPECT_EQ(text5.text(), rows[i].second);
        EXPECT_EQ(rig.form1()["Label5"].text(), std::to_string(5 + i));  // counted like typing
        EXPECT_EQ(rig.form1().focusRequest, &text5);
        EXPECT_EQ(text5.selStart(), 5 + i);
        EXPECT_EQ(text5.selLength(), 0u);
        EXPECT_FALSE(rig.program->st.Special_Chars_Return);
    }
}

TEST(SpecialChars, BarFollowsTheMouseAndCancelChangesNothing) {
    test::Rig rig;
    rig.start();
    rig.form1().setPosition(1000, 500);
    Control& text5 = rig.form1()["Text5"];
    text5.setText("Ciao");
    for (const char* cancel : {"Label2", "Shape2"}) {
        rig.form1().focusRequest = nullptr;
        WithForm4(rig, [&](Window& f4) {
            EXPECT_EQ(f4.left(), 1400);  // below the main window's message box
            EXPECT_EQ(f4.top(), 8500);
            f4["Label1(3)"].mouseMove();
            f4["Label1(4)"].mouseMove();
            for (int i = 0; i < kSpecialCharCount; ++i)
                EXPECT_EQ(f4["Shape1(" + std::to_string(i) + ")"].visible(), i == 4) << i;
            f4[cancel].click();
            EXPECT_FALSE(f4.shown());
        });
        EXPECT_EQ(text5.text(), "Ciao");
        EXPECT_EQ(rig.form1().focusRequest, &text5);  // the focus comes back all the same
        EXPECT_EQ(text5.selStart(), 4u);
    }
}

TEST(About, ShowsVersionAndTheTranslatorOfTheLanguage) {
    EXPECT_EQ(VersionLine(6, 1, 4), "Ver. 6.1.4");
    EXPECT_EQ(VersionLine(10, 0, 12), "Ver. 10.0.12");
    const std::pair<const char*, const char*> rows[] = {
        {"english", ""},  // the author's own languages credit no one
        {"polski", "Tlumaczenie: Anna Kowalska"},
        {"italiano", ""},  // hidden again after a credit
        {"magyar", "Magyar fordítás: Kovács Eszter"},
        {"slovak", "Slovenský preklad: Martin Horák"},
    };
    test::Rig rig;
    Program& p = rig.start();
    for (const auto& [word, credit] : rows) {
        Choose_Language(p, word);
        rig.host.duringModal = [&](Window& w) {
            EXPECT_EQ(w["Label6"].visible() ? w["Label6"].text() : "", credit) << word;
            EXPECT_EQ(w["Label2"].text(),
                      VersionLine(BSMS_VERSION_MAJOR, BSMS_VERSION_MINOR, BSMS_VERSION_PATCH));
            w["Label5"].click();
        };
        rig.form1().menu("Mn_About").click();
    }
    EXPECT_EQ(rig.host.urls, std::vector<std::string>(5, kAuthorPage));
}

}  // namespace
}  // namespace bsms
