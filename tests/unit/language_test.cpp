// Switching languages at run time: window texts, label positions, message texts, check marks.
#include <gtest/gtest.h>

#include <array>
#include <map>

#include "app/form1.h"
#include "test_support.h"
#include "ui/language.h"
#include "ui/language_tables.h"

namespace bsms {
namespace {

// Texts as users read them, a few per window and language, quoted rather than taken from the
// tables that set them. Each window is looked at while it is open.
TEST(Language, EveryWindowSpeaksEachLanguageWhenOpened) {
    struct Sample {
        const char* window;
        const char* control;  // "" for the window caption
        std::array<const char*, 5> text;
    };
    const Sample samples[] = {
        {"Form1",
         "Mn_Azzera",
         {"Azzera inviati", "Annul Sent", "Zruš odoslanie", "Annul küldés", "Anuluj wyslanie"}},
        {"Form1",
         "Label9",
         {"SMS inviati:", "SMS sents:", "SMS odoslaná:", "Küldött SMS-ek:", "Wyslanych SMS:"}},
        {"Form1", "Command7", {"Salva", "Store", "Ulož", "Mentés", "Zachowaj"}},
        {"Form2",
         "",
         {"Impostazioni porta di comunicazione", "Setting communications", "Nastavenie komunikácie",
          "Kapcsolati beállítások", "Ustawienia polaczenia"}},
        {"Form2", "Label4", {"Velocità", "Speed", "Rýchlost", "Sebesség", "Predkosc"}},
        {"Form3",
         "Label1",
         {"Attendere lo scaricamento della rubrica", "Please wait the upload of phonebook",
          "Prosím cakajte, nahráva sa telefónny zoznam", "Kérem várjon, a feltöltés folyamatban",
          "Czekaj. Trwa zapisywanie ksiazki."}},
        {"Form3", "Command1", {"Annulla", "Cancel", "Zruš", "Mégsem", "Kasuj"}},
        {"Form4", "Label2", {"- Annulla -", "- Cancel -", "- Zruš -", "- Mégsem -", "- Kasuj -"}},
        {"About",
         "",
         {"Informazioni su Brenvik SMS", "About Brenvik SMS", "O Brenvik SMS", "Brenvik SMS-rol",
          "O Brenvik SMS"}},
        {"About",
         "Label3",
         {"Programma ideato e realizzato da:", "Developed by:", "Autor:", "Fejlesztette:",
          "Autor:"}},
        {"Form5", "", {"Browser SMS", "Browser SMS", "Browser SMS", "Browser SMS", "Browser SMS"}},
        {"Form5", "Command1", {"Leggi SMS", "Read SMS", "Read SMS", "Read SMS", "Czytaj SMS"}},
        {"Form5",
         "Label4",
         {"Data e Ora:", "Date and Time: (DD/MM/YY)", "Date and Time: (DD/MM/YY)",
          "Date and Time: (DD/MM/YY)", "Data i czas: (DD/MM/YY)"}},
        {"Form5",
         "Check1",
         {"Elimina messaggio dopo il salvataggio", "Delete SMS after saving",
          "Delete SMS after saving", "Delete SMS after saving", "Skasuj SMS po wyslaniu"}},
    };
    const char* const saveTitle[] = {"Salva SMS con nome...", "Save SMS as...", "Save SMS as...",
                                     "Save SMS as...", "Zachowaj SMS jako..."};
    const char* const senderColumn[] = {"Mittente", "Sender", "Sender", "Sender", "Nadawca"};
    const char* const sent[] = {"Messaggio inviato", "Messagge sent", "Správa odoslaná",
                                "Üzenet elküldve", "Wiadomosc wyslana"};
    const int label12[] = {3600, 2900, 3300, 4900, 3000};
    const char* const words[] = {"italiano", "english", "slovak", "magyar", "polski"};
    const char* const opener[][2] = {{"Form2", "Mn_Comm"},
                                     {"Form3", "Mn_Upload"},
                                     {"Form4", "Mn_Special"},
                                     {"About", "Mn_About"}};
    std::string shownSender;

    test::Rig rig;
    rig.dir.write("Setting.sms", " 1 \r\n9600,n,8,1\r\n 0 \r\n\r\nTrue\r\nFalse\r\nitaliano\r\n");
    Program& p = rig.start();
    Status_Refresh(p);  // the port is open: its menu items are too
    for (int lang = 0; lang < 5; ++lang) {
        SCOPED_TRACE(words[lang]);
        Choose_Language(p, words[lang]);
        std::map<std::string, std::vector<std::string>> shown;
        const auto look = [&](Window& w) {
            for (const Sample& s : samples)
                if (w.name() == s.window)
                    shown[s.window].push_back(!*s.control             ? w.caption()
                                              : w.findMenu(s.control) ? w.menu(s.control).caption()
                                                                      : w[s.control].text());
        };
        look(*p.Form1);
        rig.host.duringModal = [&](Window& w) {
            look(w);
            if (w.name() == "Form5") shownSender = w["Grid1"].cell(0, 2);
            w.unload();
        };
        for (const auto& [window, item] : opener)
            p.Form1->menu(item).click();
        p.st.Reset_Dialogue_Flags();  // the download that opened Form3 is not the point here
        p.Form1->operator[]("Command4").click();  // the message browser
        std::map<std::string, std::vector<std::string>> expected;
        for (const Sample& s : samples)
            expected[s.window].push_back(s.text[lang]);
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(p.texts[MsgId::Message_Sent], sent[lang]);
        EXPECT_EQ(p.saveDialogTitle, saveTitle[lang]);
        EXPECT_EQ(shownSender, senderColumn[lang]);
        EXPECT_EQ(p.texts[MsgId::Title_Error], p.texts[MsgId::Title_Port_Error]);
        EXPECT_EQ(p.Form1->operator[]("Label12").geometry().left, label12[lang]);
    }
    // Texts no language changes.
    Window& f = rig.form1();
    EXPECT_EQ(f.caption(), "SMS - Brenvik");
    EXPECT_EQ(f["Command4"].text(), "Browse SMS");
    EXPECT_EQ(f["Label3"].text(), "PDU:");
    EXPECT_EQ(f.menu("Mn_Upload").caption(), "&Upload");
    EXPECT_EQ((*p.Form2)["Command1"].text(), "Ok");
    EXPECT_EQ((*p.About)["Label4"].text(), "Orvantelliq");
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
