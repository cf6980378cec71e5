// The phonebook file Rubrica.txt and the recipient picker: load, save, and the number that
// choosing an entry puts into the recipient box.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/form1.h"
#include "phonebook/phonebook_file.h"
#include "test_support.h"
#include "ui/language.h"

namespace bsms {
namespace {

using Entries = std::vector<std::string>;

struct FileRig : test::Rig {
    FileRig() {
        start();
        Choose_Language(*program, "english");
        port.setPortOpen(true);  // the phonebook menu acts only then
        Status_Refresh(*program);
    }
    Control& picker() { return form1()["Combo2"]; }
    const Entries& load() {
        form1().menu("Mn_Rub_Load").click();
        return picker().items();
    }
    void save(const Entries& entries) {
        picker().clearItems();
        picker().addItems(entries);
        form1().menu("Mn_Rub_Save").click();
    }
};

TEST(PhonebookFile, LoadReadsDelimitedFields) {
    const std::pair<std::string, Entries> rows[] = {
        // Empty lines and lines of blanks are no entries; every kind of line end counts.
        {"Anna (111)\r\n\r\n   \r\nBruno (222)\nCarlo (333)\rDora (444)",
         {"Anna (111)", "Bruno (222)", "Carlo (333)", "Dora (444)"}},
        // A comma splits an unquoted line; the blank after it is skipped.
        {"Rossi, Mario (333)\r\n", {"Rossi", "Mario (333)"}},
        // Quotes keep a comma; the text after the closing quote stays with its field.
        {"\"Rossi, Mario\" (333)\r\n\"Verdi, Ugo (444)\"\r\n",
         {"Rossi, Mario (333)", "Verdi, Ugo (444)"}},
        // An unclosed quote ends at the line end rather than swallowing the file.
        {"\"Anna (111)\r\nBruno (222)\r\n", {"Anna (111)", "Bruno (222)"}},
        // A text editor's UTF-8, with or without its byte-order mark.
        {"\xEF\xBB\xBFZo\xC3\xAB (1)\r\nMi\xC5\x82osz (2)\r\n", {"Zoë (1)", "Miłosz (2)"}},
        // One byte that is no UTF-8 makes the whole file Windows-1252.
        {"Zo\xC3\xAB (1)\r\nNicol\xF2 (2)\r\n", {"ZoÃ« (1)", "Nicolò (2)"}},
    };
    for (const auto& [bytes, entries] : rows) {
        FileRig rig;
        rig.dir.write("Rubrica.txt", bytes);
        EXPECT_EQ(rig.load(), entries) << bytes;
        EXPECT_TRUE(rig.picker().enabled() && rig.picker().windowBackground);
    }
}

TEST(PhonebookFile, SaveWritesOneLineAnEntryAndLoadGivesThemBack) {
    const std::pair<Entries, std::string> rows[] = {
        {{"A", "B"}, "A\r\nB\r\n"},
        {{}, ""},  // an empty picker empties the file
        {{"Nicolò (333)", "Zoë (+3912)"}, "Nicol\xF2 (333)\r\nZo\xEB (+3912)\r\n"},
        // An entry with a comma is quoted so that it stays one entry.
        {{"Rossi, Mario (333)"}, "\"Rossi, Mario (333)\"\r\n"},
        // A character Windows-1252 lacks makes the whole file UTF-8, marked as such, rather
        // than a lost "?".
        {{"Łukasz (48601)", "Zoë (1)"}, "\xEF\xBB\xBF\xC5\x81ukasz (48601)\r\nZo\xC3\xAB (1)\r\n"},
        // Leading blanks, a leading quote and a quote after the comma keep their place.
        {{" Casa (1)", "\"Bo\" (2)", "Rossi, \"Mario\" (3)"},
         "\" Casa (1)\"\r\n\"\"\"Bo\" (2)\r\n\"Rossi, \"\"Mario\" (3)\r\n"},
    };
    for (const auto& [entries, bytes] : rows) {
        FileRig rig;
        rig.save(entries);
        EXPECT_EQ(rig.dir.read("Rubrica.txt"), bytes);
        EXPECT_EQ(rig.load(), entries);
        EXPECT_TRUE(rig.host.boxes.empty());
    }
}

TEST(PhonebookFile, FailedSaveIsToldAndKeepsTheOldFile) {
    FileRig rig;
    rig.dir.write("Rubrica.txt", "Old (1)\r\n");
    // The temporary file cannot be made where a folder stands.
    std::filesystem::create_directory(rig.dir.path() / "Rubrica.txt.new");
    rig.save({"New (2)"});
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].icon, MsgIcon::Critical);
    EXPECT_NE(rig.host.boxes[0].text.find("Rubrica.txt"), std::string::npos);
    EXPECT_EQ(rig.dir.read("Rubrica.txt"), "Old (1)\r\n");
}

TEST(PhonebookFile, StartUpLoadsItOnlyWithASettingsFile) {
    for (bool settings : {false, true}) {
        test::Rig rig;
        rig.dir.write("Rubrica.txt", "Anna (111)\r\n");
        if (settings) rig.dir.write("Setting.sms", " 1 \r\n9600,n,8,1\r\n 0 \r\n\r\nTrue\r\n");
        rig.start();
        EXPECT_EQ(rig.form1()["Combo2"].items().size(), settings ? 1u : 0u);
        EXPECT_EQ(rig.form1()["Combo2"].enabled(), settings);
    }
    FileRig rig;  // a missing file: the picker stays empty, disabled and grey, without a box
    rig.picker().addItem("stale");
    EXPECT_TRUE(rig.load().empty());
    EXPECT_FALSE(rig.picker().enabled() || rig.picker().windowBackground);
    EXPECT_TRUE(rig.host.boxes.empty());
}

TEST(Picker, ChoosingOrTypingAnEntryFillsTheRecipient) {
    const std::pair<const char*, const char*> rows[] = {
        {"Anna (3331234567)", "3331234567"},
        {"(+39333)", "+39333"},
        {"Anna (12", "old"},          // no closing parenthesis: the recipient stays
        {"3331234567", "old"},        // a bare number: the same
        {"Bob (work) (444)", "444"},  // a name holding parentheses: the last pair is the number
        {"Anna (12) mobile", "12"},   // text after the number is not part of it
    };
    for (const auto& [text, recipient] : rows) {
        FileRig rig;
        rig.form1()["Text4"].setText("old");
        rig.picker().setText(text);  // typed, or set by other code
        EXPECT_EQ(rig.form1()["Text4"].text(), recipient) << text;
    }
    FileRig rig;
    rig.picker().addItems({"Anna (3331234567)", "(+39333)"});
    rig.picker().setListIndex(1);
    rig.form1()["Text4"].setText("typed over");
    rig.picker().setListIndex(1);  // the same entry again: a click without a change
    EXPECT_EQ(rig.form1()["Text4"].text(), "+39333");
}

}  // namespace
}  // namespace bsms
