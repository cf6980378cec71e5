// The five languages: their tables, and switching at run time (window texts, label positions,
// message texts, check marks).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "app/form1.h"
#include "base/text.h"
#include "test_support.h"
#include "ui/about.h"
#include "ui/language.h"
#include "ui/language_tables.h"

namespace bsms {
namespace {

const char* const kItems[] = {"Mn_Italiano", "Mn_English", "Mn_Slovak", "Mn_Hungarian",
                              "Mn_polski"};

// Texts as users read them, quoted rather than taken from the tables that set them: two languages,
// the last column and one that follows a credit, enough to catch a wrong column or window. Each
// window is looked at while it is open; the About window also shows the version and opens its link.
TEST(Language, EveryWindowSpeaksEachLanguageWhenOpened) {
    const std::pair<std::string, const char*> looked[] = {
        {"Form1", "Mn_Azzera"}, {"Form1", "Command7"}, {"Form2", ""},       {"Form3", "Command1"},
        {"Form4", "Label2"},    {"About", "Label3"},   {"About", "Label6"}, {"Form5", "Check1"}};
    // "": the caption; the About window's Label6 credits the translator, shown only for some.
    // Each row: the language, the texts looked at, a message text, the save dialog's title, the
    // browser's sender column, and the counter's left edge (a longer caption pushes it right).
    const std::vector<std::string> rows[] = {
        {"polski", "Anuluj wyslanie", "Zachowaj", "Ustawienia polaczenia", "Kasuj", "- Kasuj -",
         "Autor:", "Tlumaczenie: Anna Kowalska", "Skasuj SMS po wyslaniu", "Wiadomosc wyslana",
         "Zachowaj SMS jako...", "Nadawca", "3000"},
        // After a credit the author's own language hides it again.
        {"english", "Annul Sent", "Store", "Setting communications", "Cancel", "- Cancel -",
         "Developed by:", "", "Delete SMS after saving", "Messagge sent", "Save SMS as...",
         "Sender", "2900"},
    };
    test::Rig rig;
    rig.dir.write("Setting.sms", " 1 \r\n9600,n,8,1\r\n 0 \r\n\r\nTrue\r\nFalse\r\nitaliano\r\n");
    Program& p = rig.start();
    Window& f = rig.form1();
    Status_Refresh(p);               // the port is open: its menu items are too
    for (const char* item : kItems)  // the file's language is applied but not ticked
        EXPECT_FALSE(f.menu(item).checked());
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        Choose_Language(p, row[0]);
        std::vector<std::string> shown(std::size(looked) + 1, row[0]), sender;
        const auto look = [&](Window& w) {
            for (std::size_t i = 0; i < std::size(looked); ++i) {
                const auto& [window, control] = looked[i];
                if (w.name() != window) continue;
                shown[i + 1] = !*control              ? w.caption()
                               : w.findMenu(control)  ? w.menu(control).caption()
                               : w[control].visible() ? w[control].text()
                                                      : "";
            }
            if (w.name() == "About") {  // with the version, and a link to the author's page
                EXPECT_EQ(w["Label2"].text(),
                          VersionLine(BSMS_VERSION_MAJOR, BSMS_VERSION_MINOR, BSMS_VERSION_PATCH));
                w["Label5"].click();
            }
            if (w.name() == "Form5") sender.push_back(w["Grid1"].cell(0, 2));
        };
        look(f);
        rig.host.duringModal = look;
        for (const char* item : {"Mn_Comm", "Mn_Upload", "Mn_Special", "Mn_About"})
            f.menu(item).click();
        p.st.Reset_Dialogue_Flags();  // the download that opened Form3 is not the point here
        f["Command4"].click();        // the message browser
        shown.insert(shown.end(), {p.texts[MsgId::Message_Sent], p.saveDialogTitle});
        shown.insert(shown.end(), sender.begin(), sender.end());
        shown.push_back(std::to_string(f["Label12"].geometry().left));
        EXPECT_EQ(shown, row);
    }
    // Each language ticks its own item alone.
    for (const std::string_view word : kLanguageWords) {
        Choose_Language(p, std::string(word));
        for (std::size_t i = 0; i < std::size(kItems); ++i)
            EXPECT_EQ(f.menu(kItems[i]).checked(), kLanguageWords[i] == word) << word << kItems[i];
    }
    EXPECT_EQ(rig.host.urls, std::vector<std::string>(std::size(rows), kAuthorPage));
    EXPECT_EQ(VersionLine(10, 0, 12), "Ver. 10.0.12");
    // Texts of no language stay.
    EXPECT_EQ(f.caption(), "SMS - Brenvik");
    EXPECT_EQ(f["Label3"].text(), "PDU:");
}

// Every text of every language is Western UTF-8 and holds the placeholders its code fills: %1
// (and %2) in the message texts that are completed, in no other.
TEST(LanguageTables, EveryTextIsWesternUtf8WithThePlaceholdersItsCodeFills) {
    const auto check = [](std::string_view name, int lang, const char* text, int filled) {
        SCOPED_TRACE(std::string(name) + "/" + std::string(kLanguageWords[lang]));
        ASSERT_NE(text, nullptr);
        const std::u32string cps = Utf8ToU32(text);
        EXPECT_TRUE(!cps.empty() && U32ToUtf8(cps) == text);
        EXPECT_TRUE(std::ranges::all_of(cps, [](char32_t c) { return InCp1252(c); }));
        EXPECT_EQ(std::string_view(text).find("%1") != std::string_view::npos, filled >= 1);
        EXPECT_EQ(std::string_view(text).find("%2") != std::string_view::npos, filled >= 2);
    };
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        for (const auto& row : kWindowTexts)
            check(std::string(row.window) + "." + row.control, lang, row.text[lang], 0);
        for (const auto& row : kMessageTexts) {
            const std::string n = row.name;
            const bool two = n == "Msg_Port_No_Permission" || n == "Msg_Files_Elsewhere" ||
                             n == "Msg_Encoding_Per_Sms" || n == "Msg_Parts_Taken" ||
                             n == "Msg_Progress_Send" || n == "Msg_Progress_Store" ||
                             n == "Msg_Progress_Phonebook" || n == "Msg_Port_Busy_By" ||
                             n == "Msg_Port_Link_Nowhere" || n == "Msg_Book_Location_Empty" ||
                             n == "Msg_Book_Location_Holds" || n == "Msg_Book_Import_Will" ||
                             n == "Msg_Book_Bad_Location";
            const bool one = n == "Msg_Folder_Not_Writable" || n == "Msg_Book_Number_Too_Long" ||
                             n == "Msg_Book_Name_Too_Long" || n == "Msg_Book_Name_Lacks" ||
                             n == "Msg_Unreadable_Locations" || n == "Msg_New_Message_At" ||
                             n == "Msg_Report_Arrived" || n == "Msg_Reply_Cut" ||
                             n == "Msg_Sim_Tries_Left" || n == "Msg_No_Phone" ||
                             n == "Msg_Port_Busy" || n == "Msg_Port_Join_Group" ||
                             n == "Msg_Port_Admin_Only" || n == "Msg_Port_No_Device" ||
                             n == "Msg_New_Message_From" || n == "Msg_Cli_Unknown_Command" ||
                             n == "Msg_Cli_Unknown_Name" || n == "Msg_Cli_No_Message" ||
                             n.starts_with("Msg_Vcard_");
            check(n, lang, row.text[lang], two ? 2 : one ? 1 : 0);
        }
        const auto& c = kSendConfirmTexts[lang];
        for (const char* t : {c.question, c.recipientLabel, c.flashLine, c.statusReportLine})
            check("confirm", lang, t, 0);
    }
}

}  // namespace
}  // namespace bsms
