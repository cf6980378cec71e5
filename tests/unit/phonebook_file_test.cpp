// The phonebook file Rubrica.txt and the recipient picker: load, save, and the number that
// choosing an entry puts into the recipient box.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/form1.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/picker.h"
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
    void load() { form1().menu("Mn_Rub_Load").click(); }
    void save() { form1().menu("Mn_Rub_Save").click(); }
    void fill(const Entries& entries) {
        picker().clearItems();
        for (const auto& e : entries)
            picker().addItem(e);
    }
};

TEST(PhonebookFile, FieldsAreReadAsDelimitedText) {
    struct Row {
        std::string text;
        Entries fields;
    };
    const Row rows[] = {
        // Empty lines and lines of blanks are no entries; every line end counts.
        {"Anna (111)\r\n\r\n   \r\nBruno (222)\nCarlo (333)\rDora (444)",
         {"Anna (111)", "Bruno (222)", "Carlo (333)", "Dora (444)"}},
        // A comma splits an unquoted line; the blank after it is skipped.
        {"Rossi, Mario (333)\r\n", {"Rossi", "Mario (333)"}},
        // Quotes keep a comma; the text after the closing quote stays with its field.
        {"\"Rossi, Mario\" (333)\r\n\"Verdi, Ugo (444)\"\r\n",
         {"Rossi, Mario (333)", "Verdi, Ugo (444)"}},
        // An unclosed quote ends at the line end rather than swallowing the file.
        {"\"Anna (111)\r\nBruno (222)\r\n", {"Anna (111)", "Bruno (222)"}},
        // Blanks after the text are the entry's own.
        {"  Eva (555)  \r\n", {"Eva (555)  "}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ReadFields(row.text), row.fields) << row.text;
}

TEST(PhonebookFile, MissingFileLeavesThePickerEmptyAndAsItWas) {
    FileRig rig;
    rig.picker().addItem("stale");
    rig.load();
    EXPECT_TRUE(rig.picker().items().empty());
    EXPECT_FALSE(rig.picker().enabled());
    EXPECT_FALSE(rig.picker().windowBackground);
    EXPECT_TRUE(rig.host.boxes.empty());

    rig.dir.write("Rubrica.txt", "Anna (111)\r\n\r\nBruno (222)\r\n");
    rig.load();
    EXPECT_EQ(rig.picker().items(), (Entries{"Anna (111)", "Bruno (222)"}));
    EXPECT_TRUE(rig.picker().enabled());
    EXPECT_TRUE(rig.picker().windowBackground);
}

TEST(PhonebookFile, SaveWritesOneLineAnEntryAndReadsBackTheSame) {
    struct Row {
        Entries entries;
        std::string bytes;
    };
    const Row rows[] = {
        {{"A", "B"}, "A\r\nB\r\n"},
        // An empty picker empties the file.
        {{}, ""},
        // Accents are written in Windows-1252.
        {{"Nicolò (333)", "Zoë (+3912)"}, "Nicol\xF2 (333)\r\nZo\xEB (+3912)\r\n"},
        // An entry with a comma is quoted so that it stays one entry.
        {{"Rossi, Mario (333)"}, "\"Rossi, Mario (333)\"\r\n"},
        // A character Windows-1252 lacks makes the whole file UTF-8 instead of a lost "?".
        {{"Łukasz (48601)", "Zoë (1)"}, "\xC5\x81ukasz (48601)\r\nZo\xC3\xAB (1)\r\n"},
    };
    for (const Row& row : rows) {
        FileRig rig;
        rig.fill(row.entries);
        rig.save();
        EXPECT_EQ(rig.dir.read("Rubrica.txt"), row.bytes);
        rig.picker().clearItems();
        rig.load();
        EXPECT_EQ(rig.picker().items(), row.entries);
        EXPECT_TRUE(rig.host.boxes.empty());
    }
}

TEST(PhonebookFile, FileFromAUtf8EditorIsReadAsUtf8) {
    struct Row {
        std::string bytes;
        Entries entries;
    };
    const Row rows[] = {
        {"Zo\xC3\xAB (1)\r\nMi\xC5\x82osz (2)\r\n", {"Zoë (1)", "Miłosz (2)"}},
        // The byte-order mark some editors put first is not part of the first entry.
        {"\xEF\xBB\xBFZo\xC3\xAB (1)\n", {"Zoë (1)"}},
        // One byte that is no UTF-8 makes the whole file Windows-1252.
        {"Zo\xC3\xAB (1)\r\nNicol\xF2 (2)\r\n", {"ZoÃ« (1)", "Nicolò (2)"}},
    };
    for (const Row& row : rows) {
        FileRig rig;
        rig.dir.write("Rubrica.txt", row.bytes);
        rig.load();
        EXPECT_EQ(rig.picker().items(), row.entries);
    }
}

TEST(PhonebookFile, FailedSaveIsToldAndKeepsTheOldFile) {
    FileRig rig;
    rig.dir.write("Rubrica.txt", "Old (1)\r\n");
    // The temporary file cannot be made where a folder stands.
    std::filesystem::create_directory(rig.dir.path() / "Rubrica.txt.new");
    rig.fill({"New (2)"});
    rig.save();
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(rig.host.boxes[0].title, rig.program->texts[MsgId::Title_Error]);
    EXPECT_NE(rig.host.boxes[0].text.find("Rubrica.txt"), std::string::npos);
    EXPECT_EQ(rig.dir.read("Rubrica.txt"), "Old (1)\r\n");
}

TEST(PhonebookFile, StartUpLoadsTheFileOnlyWithASettingsFile) {
    for (bool settings : {false, true}) {
        test::Rig rig;
        rig.dir.write("Rubrica.txt", "Anna (111)\r\n");
        if (settings) rig.dir.write("Setting.sms", " 1 \r\n9600,n,8,1\r\n 0 \r\n\r\nTrue\r\n");
        rig.start();
        EXPECT_EQ(rig.form1()["Combo2"].items().size(), settings ? 1u : 0u);
        EXPECT_EQ(rig.form1()["Combo2"].enabled(), settings);
    }
}

TEST(Picker, ChoosingOrTypingAnEntryFillsTheRecipient) {
    struct Row {
        const char* text;
        const char* recipient;  // Text4 afterwards; it starts as "old"
    };
    const Row rows[] = {
        {"Anna (3331234567)", "3331234567"},
        {"(+39333)", "+39333"},
        {"Anna (12)", "12"},
        // No closing parenthesis, or none at all: the recipient stays.
        {"Anna (12", "old"},
        {"3331234567", "old"},
        // A name holding parentheses: the last pair is the number.
        {"Bob (work) (444)", "444"},
        // Text after the number (typed or edited by hand) is not part of it.
        {"Anna (12) mobile", "12"},
    };
    for (const Row& row : rows) {
        FileRig rig;
        rig.fill({"Anna (3331234567)", "(+39333)"});
        rig.form1()["Text4"].setText("old");
        rig.picker().setText(row.text);  // typed, or set by other code
        EXPECT_EQ(rig.form1()["Text4"].text(), row.recipient) << row.text;
    }
    FileRig rig;
    rig.fill({"Anna (3331234567)", "(+39333)"});
    rig.picker().setListIndex(1);  // chosen from the list
    EXPECT_EQ(rig.form1()["Text4"].text(), "+39333");
    rig.form1()["Text4"].setText("typed over");
    rig.picker().setListIndex(1);  // the same entry again: click without a change
    EXPECT_EQ(rig.form1()["Text4"].text(), "+39333");
}

}  // namespace
}  // namespace bsms
