// The phonebook file Rubrica.txt and the recipient picker: load, save, and the number that
// choosing an entry puts into the recipient box.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "app/form1.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/picker.h"
#include "test_support.h"
#include "ui/language.h"

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

TEST(PhonebookFile, MenusLoadAndSaveItAndAFailedSaveKeepsTheOldFile) {
    test::Rig rig;
    rig.dir.write("Rubrica.txt", "Anna (111)\r\n");
    rig.start();  // without a settings file start-up leaves it unread
    Control& picker = rig.form1()["Combo2"];
    EXPECT_TRUE(picker.items().empty());
    Choose_Language(*rig.program, "english");
    rig.port.setPortOpen(true);  // the phonebook menu acts only then
    Status_Refresh(*rig.program);
    const auto click = [&rig](const char* item) { rig.form1().menu(item).click(); };
    // A missing file: the picker stays empty, disabled and grey, without a box.
    std::filesystem::remove(rig.dir.path() / "Rubrica.txt");
    picker.addItem("stale");
    click("Mn_Rub_Load");
    EXPECT_TRUE(picker.items().empty());
    EXPECT_FALSE(picker.enabled() || picker.windowBackground);
    // Saved as UTF-8 (a name needs it), loaded back into an enabled picker.
    const std::string utf8 = "\xEF\xBB\xBF\xC5\x81ukasz (48601)\r\nZo\xC3\xAB (1)\r\n";
    picker.addItems({"Łukasz (48601)", "Zoë (1)"});
    click("Mn_Rub_Save");
    EXPECT_EQ(rig.dir.read("Rubrica.txt"), utf8);
    picker.clearItems();
    click("Mn_Rub_Load");
    EXPECT_EQ(picker.items(), Entries({"Łukasz (48601)", "Zoë (1)"}));
    EXPECT_TRUE(picker.enabled() && picker.windowBackground);
    EXPECT_TRUE(rig.host.boxes.empty());
    // The temporary file cannot be made where a folder stands.
    std::filesystem::create_directory(rig.dir.path() / "Rubrica.txt.new");
    picker.addItem("New (2)");
    click("Mn_Rub_Save");
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].icon, MsgIcon::Critical);
    EXPECT_NE(rig.host.boxes[0].text.find("Rubrica.txt"), std::string::npos);
    EXPECT_EQ(rig.dir.read("Rubrica.txt"), utf8);

    test::Rig withSettings;  // start-up loads it when there are settings
    withSettings.dir.write("Rubrica.txt", "Anna (111)\r\n");
    withSettings.dir.write("Setting.sms", " 1 \r\n9600,n,8,1\r\n 0 \r\n\r\nTrue\r\n");
    withSettings.start();
    EXPECT_EQ(withSettings.form1()["Combo2"].items(), Entries{"Anna (111)"});
    EXPECT_TRUE(withSettings.form1()["Combo2"].enabled());
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
    test::Rig rig;
    rig.start();
    Control& picker = rig.form1()["Combo2"];
    Control& recipient = rig.form1()["Text4"];
    picker.addItems({"Anna (3331234567)", "(+39333)"});
    recipient.setText("old");
    picker.setText("Anna (12");  // typed, or set by other code: without a number nothing changes
    EXPECT_EQ(recipient.text(), "old");
    picker.setText("Bob (444)");
    EXPECT_EQ(recipient.text(), "444");
    picker.setListIndex(1);
    recipient.setText("typed over");
    picker.setListIndex(1);  // the same entry again: a click without a change
    EXPECT_EQ(recipient.text(), "+39333");
}

}  // namespace
}  // namespace bsms
