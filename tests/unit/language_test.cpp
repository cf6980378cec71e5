// Switching languages at run time: window texts, label positions, message texts, check marks.
#include <gtest/gtest.h>

#include "test_support.h"
#include "ui/language.h"
#include "ui/language_tables.h"

namespace bsms {
namespace {

TEST(Language, EachLanguageReachesControlsMenusAndMessages) {
    test::Rig rig;
    Program& p = rig.start();
    Window& f = rig.form1();
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        Choose_Language(p, std::string(kLanguageWords[lang]));
        for (const WindowTextRow& row : kWindowTexts) {
            const std::string window = row.window;
            if (window != "Form1" && window != "Form2") continue;
            Window& w = window == "Form1" ? *p.Form1 : *p.Form2;
            const std::string control = row.control;
            const std::string shown = control.empty()                  ? w.caption()
                                      : w.findMenu(control) != nullptr ? w.menu(control).caption()
                                                                       : w[control].text();
            EXPECT_EQ(shown, row.text[lang]) << window << "." << control << " in " << lang;
        }
        for (const MessageTextRow& row : kMessageTexts)
            EXPECT_EQ(p.texts[row.id], row.text[lang]) << row.name;
        EXPECT_EQ(p.texts[MsgId::Title_Error], p.texts[MsgId::Title_Port_Error]);
    }
    // Texts no language changes.
    EXPECT_EQ(f.caption(), "SMS - Brenvik");
    EXPECT_EQ(f["Command4"].text(), "Browse SMS");
    EXPECT_EQ(f.menu("Mn_Upload").caption(), "&Upload");
}

TEST(Language, SlovakAndMagyarBrowserTextsAreEnglish) {
    test::Rig rig;
    Program& p = rig.start();
    Choose_Language(p, "english");
    const std::string english = p.texts[MsgId::Ask_Delete_Message];
    const std::string sender = p.texts[MsgId::Caption_Sender_Column];
    for (const char* word : {"slovak", "magyar"}) {
        Choose_Language(p, word);
        EXPECT_EQ(p.texts[MsgId::Ask_Delete_Message], english);
        EXPECT_EQ(p.texts[MsgId::Caption_Sender_Column], sender);
        EXPECT_EQ(p.texts[MsgId::Caption_Centre_Column], "Service C. used");
        EXPECT_EQ(p.saveDialogTitle, "Save SMS as...");
    }
}

TEST(Language, OneItemTickedAndLabelPositions) {
    test::Rig rig;
    Program& p = rig.start();
    Window& f = rig.form1();
    Choose_Language(p, "magyar");
    EXPECT_EQ(f["Label12"].geometry().left, 4900);
    EXPECT_EQ(f["Label5"].geometry().left, 2100);
    Choose_Language(p, "english");
    EXPECT_EQ(f["Label12"].geometry().left, 2900);
    int ticked = 0;
    for (const char* item : {"Mn_Italiano", "Mn_English", "Mn_Slovak", "Mn_Hungarian", "Mn_polski"})
        ticked += f.menu(item).checked() ? 1 : 0;
    EXPECT_EQ(ticked, 1);
    EXPECT_TRUE(f.menu("Mn_English").checked());
    EXPECT_EQ(f.menu("Mn_Azzera").caption(), "Annul Sent");
}

TEST(Language, StartUpAppliesTheFileLanguageWithoutTicking) {
    test::Rig rig;
    rig.dir.write("Setting.sms", " 1 \r\n9600,n,8,1\r\n 0 \r\n\r\nTrue\r\nFalse\r\n\r\n");
    Program& p = rig.start();
    EXPECT_EQ(p.st.Current_Language, "english");
    EXPECT_EQ(rig.form1().menu("Mn_Azzera").caption(), "Annul Sent");
    for (const char* item : {"Mn_Italiano", "Mn_English", "Mn_Slovak", "Mn_Hungarian", "Mn_polski"})
        EXPECT_FALSE(rig.form1().menu(item).checked());
    // The port settings window takes the language when it opens.
    rig.host.duringModal = [](Window& w) {
        EXPECT_EQ(w.caption(), "Setting communications");
        EXPECT_EQ(w["Label5"].text(), "SIM capacity:");
    };
    rig.form1().menu("Mn_Comm").click();
}

}  // namespace
}  // namespace bsms
