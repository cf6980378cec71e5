// The phonebook file Rubrica.txt and the recipient picker: load, save, and the number that
// choosing an entry puts into the recipient box.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "app/form1.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/picker.h"
#include "test_support.h"

namespace bsms {
namespace {

using Entries = std::vector<std::string>;

TEST(PhonebookFile, ReadsDelimitedFieldsInEitherEncoding) {
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
    for (const auto& [bytes, entries] : rows)
        EXPECT_EQ(ReadFields(DecodeFileText(bytes)), entries) << bytes;
}

TEST(PhonebookFile, WritesOneLineAnEntryThatReadsBack) {
    const std::pair<Entries, std::string> rows[] = {
        {{"A", "B"}, "A\r\nB\r\n"},
        {{}, ""},
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
        EXPECT_EQ(PhonebookFileBytes(entries), bytes);
        EXPECT_EQ(ReadFields(DecodeFileText(bytes)), entries) << bytes;
    }
}

// Start-up loads the file only when there are settings. Through the menus a missing file
// leaves the picker empty and disabled without a box, a save loads back, and a failed save is
// told and keeps the old file.
TEST(PhonebookFile, MenusLoadAndSaveItAndAFailedSaveKeepsTheOldFile) {
    for (bool settings : {false, true}) {
        test::Rig rig;
        rig.dir.write("Rubrica.txt", "Anna (111)\r\n");
        if (settings) rig.dir.write("Setting.sms", " 1 \r\n9600,n,8,1\r\n 0 \r\n\r\nTrue\r\n");
        rig.start();
        EXPECT_EQ(rig.form1()["Combo2"].items().size(), settings ? 1u : 0u);
    }
    test::Rig rig;
    rig.start();
    rig.port.setPortOpen(true);  // the phonebook menu acts only then
    Status_Refresh(*rig.program);
    Control& picker = rig.form1()["Combo2"];
    const auto click = [&rig](const char* item) { rig.form1().menu(item).click(); };
    picker.addItem("stale");
    click("Mn_Rub_Load");
    EXPECT_TRUE(picker.items().empty());
    EXPECT_FALSE(picker.enabled() || picker.windowBackground);
    const Entries entries = {"Łukasz (48601)", "Zoë (1)"};  // a UTF-8 file
    picker.addItems(entries);
    click("Mn_Rub_Save");
    picker.clearItems();
    click("Mn_Rub_Load");
    EXPECT_EQ(picker.items(), entries);
    EXPECT_TRUE(picker.enabled() && picker.windowBackground);
    const std::string saved = rig.dir.read("Rubrica.txt");
    std::filesystem::create_directory(rig.dir.path() / "Rubrica.txt.new");  // blocks the save
    picker.addItem("New (2)");
    click("Mn_Rub_Save");
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_NE(rig.host.boxes[0].text.find("Rubrica.txt"), std::string::npos);
    EXPECT_EQ(rig.dir.read("Rubrica.txt"), saved);
}

TEST(Picker, ChoosingOrTypingAnEntryFillsTheRecipient) {
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"Anna (3331234567)", "3331234567"}, {"(+39333)", "+39333"},
        {"Anna (12", std::nullopt},    // no closing parenthesis
        {"3331234567", std::nullopt},  // a bare number
        {"Bob (work) (444)", "444"},   // a name holding parentheses: the last pair is the number
        {"Anna (12) mobile", "12"},    // text after the number is not part of it
    };
    for (const auto& [entry, number] : rows)
        EXPECT_EQ(PickerNumber(entry), number) << entry;
    test::Rig rig;  // typed, or set by other code; chosen, again after the box was typed over
    rig.start();
    Control& picker = rig.form1()["Combo2"];
    Control& recipient = rig.form1()["Text4"];
    picker.addItems({"Anna (3331234567)", "(+39333)"});
    picker.setText("Bob (444)");
    EXPECT_EQ(recipient.text(), "444");
    picker.setListIndex(1);
    recipient.setText("typed over");
    picker.setListIndex(1);
    EXPECT_EQ(recipient.text(), "+39333");
    picker.setListIndex(2);  // past the last entry: none chosen
    EXPECT_EQ(picker.listIndex(), -1);
}

}  // namespace
}  // namespace bsms
