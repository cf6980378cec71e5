// The special characters window, the About window, and the order in which a language reaches
// the windows.
#include <gtest/gtest.h>

#include "test_support.h"
#include "ui/about.h"
#include "ui/form4.h"
#include "ui/language.h"

namespace bsms {
namespace {

std::string Row(int i) {
    return "Label1(" + std::to_string(i) + ")";
}

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
    WithForm4(rig, [](Window& f4) {
        EXPECT_EQ(f4[Row(7)].text(), "->  \u00DF");
        f4[Row(7)].click();
        EXPECT_FALSE(f4.shown());
    });
    EXPECT_EQ(text5.text(), "Stra\u00DF");
    EXPECT_EQ(rig.form1()["Label5"].text(), "5");  // counted like typing
    EXPECT_EQ(rig.form1().focusRequest, &text5);
    EXPECT_EQ(text5.selStart(), 5u);
    EXPECT_EQ(text5.selLength(), 0u);
    EXPECT_FALSE(rig.program->st.Special_Chars_Return);

    // First and last rows; the highlighted bar picks its row too.
    text5.setText("");
    WithForm4(rig, [](Window& f4) { f4[Row(0)].click(); });
    WithForm4(rig, [](Window& f4) { f4["Shape1(23)"].click(); });
    EXPECT_EQ(text5.text(), "\u00A5\u00F9");
}

TEST(SpecialChars, BarFollowsTheMouseAndCancelChangesNothing) {
    test::Rig rig;
    rig.start();
    rig.form1().setPosition(1000, 500);
    Control& text5 = rig.form1()["Text5"];
    text5.setText("Ciao");
    for (const char* cancel : {"Label2", "Shape2"}) {
        WithForm4(rig, [&](Window& f4) {
            EXPECT_EQ(f4.left(), 1400);
            EXPECT_EQ(f4.top(), 8500);
            f4[Row(3)].mouseMove();
            f4[Row(4)].mouseMove();
            for (int i = 0; i < kSpecialCharCount; ++i)
                EXPECT_EQ(f4["Shape1(" + std::to_string(i) + ")"].visible(), i == 4) << i;
            f4[cancel].click();
        });
        EXPECT_EQ(text5.text(), "Ciao");
        EXPECT_EQ(rig.form1().focusRequest, &text5);  // the focus comes back all the same
        EXPECT_EQ(text5.selStart(), 4u);
    }
}

TEST(SpecialChars, CancelLabelSpeaksTheLanguage) {
    test::Rig rig;
    rig.start();
    Choose_Language(*rig.program, "slovak");
    WithForm4(rig, [](Window& f4) { EXPECT_EQ(f4["Label2"].text(), "- Zruš -"); });
}

TEST(About, VersionWithoutLeadingZerosAndCreditByLanguage) {
    EXPECT_EQ(VersionLine(6, 1, 4), "Ver. 6.1.4");
    EXPECT_EQ(VersionLine(10, 0, 12), "Ver. 10.0.12");

    test::Rig rig;
    Program& p = rig.start();
    std::vector<std::tuple<std::string, bool, std::string, std::string>> seen;
    rig.host.duringModal = [&](Window& w) {
        seen.emplace_back(w.caption(), w["Label6"].visible(), w["Label6"].text(),
                          w["Label2"].text());
        w["Label5"].click();
    };
    for (const char* word : {"english", "polski", "italiano", "magyar", "slovak"}) {
        Choose_Language(p, word);
        rig.form1().menu("Mn_About").click();
    }
    const std::string version =
        VersionLine(BSMS_VERSION_MAJOR, BSMS_VERSION_MINOR, BSMS_VERSION_PATCH);
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], std::make_tuple("About Brenvik SMS", false, "Traduzione", version));
    EXPECT_EQ(std::get<0>(seen[1]), "O Brenvik SMS");
    EXPECT_TRUE(std::get<1>(seen[1]));
    EXPECT_EQ(std::get<2>(seen[1]), TranslatorCredit("polski"));
    EXPECT_FALSE(std::get<1>(seen[2]));  // the author's own language again
    EXPECT_EQ(std::get<0>(seen[3]), "Brenvik SMS-rol");
    EXPECT_EQ(std::get<2>(seen[4]), TranslatorCredit("slovak"));
    for (const char* word : {"slovak", "magyar", "polski"})
        EXPECT_NE(TranslatorCredit(word), "") << word;
    EXPECT_EQ(rig.host.urls, std::vector<std::string>(5, kAuthorPage));
}

TEST(Language, WindowsTakeTheirTextsInTheOrderOfTheTables) {
    test::Rig rig;
    Program& p = rig.start();
    std::vector<std::string> order;
    for (Window* w : p.allWindows())
        w->observer = [&order, w](Control& c, Prop prop) {
            if (prop == Prop::Text || prop == Prop::Geometry)
                order.push_back(w->name() + "." + c.name());
        };
    p.Form2->windowObserver = [&order](Window&, Prop) { order.push_back("Form2"); };
    rig.host.onBusy = [&order](bool on) { order.push_back(on ? "busy" : "arrow"); };
    Choose_Language(p, "magyar");
    const auto at = [&order](const std::string& what) {
        return std::find(order.begin(), order.end(), what) - order.begin();
    };
    // The counter labels move right after the main window's texts, before the port window's.
    EXPECT_LT(at("Form1.Command2"), at("Form1.Label12"));
    EXPECT_LT(at("Form1.Label12"), at("Form2"));
    // The pointer comes back right after the phonebook window's texts.
    EXPECT_LT(at("Form2.Label6"), at("arrow"));
    EXPECT_LT(at("arrow"), at("Form4.Label2"));
    EXPECT_EQ(std::count(order.begin(), order.end(), "arrow"), 1);
}

}  // namespace
}  // namespace bsms
