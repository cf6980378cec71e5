// The phonebook window against the simulated phone: entries added, changed and deleted on both
// books, read back, refused before anything is written when they do not fit, and moved through
// a vCard file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "phonebook/book_window.h"
#include "phonebook/form3.h"
#include "program_on_sim.h"

namespace bsms {
namespace {

using test::ProgramOnSim;
using test::RunUntil;

struct BookRig : ProgramOnSim {
    explicit BookRig(const std::vector<std::string>& simArgs = {}) : ProgramOnSim(simArgs) {
        EXPECT_TRUE(downloadPhonebook());
        host.keepModalOpen = true;
        form1().menu("Mn_Rub_Edit").click();
    }
    Window& f7() { return *program->Form7; }
    // Fills the boxes, presses the button and waits for the line; Label6 then says the outcome.
    std::string press(const char* button, int book, const std::string& location,
                      const std::string& name, const std::string& number) {
        f7()["Combo1"].setListIndex(book);
        f7()["Text4"].setText(location);
        f7()["Text2"].setText(name);
        f7()["Text3"].setText(number);
        f7()[button].click();
        EXPECT_TRUE(RunUntil([&] { return !program->line.busy(); }));
        return f7()["Label6"].text();
    }
    // Marks the grid's row of the entry with that name.
    void mark(const std::string& name) {
        Control& grid = f7()["Grid1"];
        for (int r = 1; r < grid.rows(); ++r)
            if (grid.cell(r, 2) == name) grid.setCurrent(r, 0);
        grid.click();
    }
    bool listed(const std::string& name, const std::string& number) {
        for (const BookEntry& e : PhonebookForm(*program).books)
            if (e.name == name && e.number == number) return true;
        return false;
    }
};

TEST(BookWindow, AddsEditsAndDeletesOnBothBooksReadBack) {
    BookRig rig;
    // The books' limits asked as the window opened: the phone has its own character set back.
    ASSERT_TRUE(RunUntil([&] { return !rig.program->line.busy(); }));
    rig.program->Send(CommandLine(Owner::Probe, "AT+CSCS?"));
    ASSERT_TRUE(rig.answered());
    EXPECT_THAT(rig.received(), ::testing::HasSubstr("+CSCS: \"GSM\""));
    // Searched by name or number, sorted by name.
    rig.f7()["Text1"].setText("333");
    EXPECT_EQ(rig.f7()["Grid1"].rows(), 3);  // Anna and the entry without a name
    rig.f7()["Text1"].setText("");
    rig.f7()["Combo2"].setListIndex(1);
    EXPECT_EQ(rig.f7()["Grid1"].cell(1, 2), "");
    EXPECT_EQ(rig.f7()["Grid1"].cell(2, 2), "Anna");
    EXPECT_THAT(rig.press("Command1", 0, "", "Żaneta", "+48 601 000 111"),
                ::testing::HasSubstr("now holds: Żaneta (+48601000111)"));
    EXPECT_TRUE(rig.listed("Żaneta", "+48601000111"));
    EXPECT_THAT(rig.form1()["Combo2"].items(), ::testing::Contains("Żaneta (+48601000111)"));
    EXPECT_THAT(test::ReadFile(rig.folder / "Rubrica.txt"), ::testing::HasSubstr("(+48601000111)"));

    rig.mark("Casa");
    rig.press("Command2", 1, "", "Casa al mare", "0298765432");
    EXPECT_TRUE(rig.listed("Casa al mare", "0298765432"));
    EXPECT_FALSE(rig.listed("Casa", "+390298765432"));

    rig.mark("Żaneta");
    EXPECT_THAT(rig.press("Command3", 0, "", "", ""), ::testing::HasSubstr("is now empty"));
    EXPECT_FALSE(rig.listed("Żaneta", "+48601000111"));
    EXPECT_TRUE(rig.host.boxes.empty()) << rig.host.boxes[0].text;
}

TEST(BookWindow, WhatDoesNotFitIsRefusedInWordsBeforeAnythingIsWritten) {
    // A SIM of four locations and names of 14 characters, in the GSM set alone.
    BookRig rig(
        {"--profile", "short-names", "--set", "phonebook-size SM 4", "--set", "charsets GSM IRA"});
    EXPECT_EQ(rig.press("Command1", 0, "", "Żaneta", "111"),
              "The mobile cannot store these characters of the name: \"Ż\"");
    rig.press("Command1", 0, "", "Ada", "111");
    EXPECT_TRUE(rig.listed("Ada", "111"));
    EXPECT_EQ(rig.press("Command1", 0, "", "Quindici lettere", "222"),
              "The name is too long: this book holds at most 14 characters.");
    rig.press("Command1", 0, "", "Bea", "333");
    // The SIM is full now: the phone's refusal, in words.
    rig.press("Command1", 0, "", "Cleo", "444");
    ASSERT_FALSE(rig.host.boxes.empty());
    EXPECT_THAT(rig.host.boxes.back().text, ::testing::HasSubstr("The phonebook is full."));
}

TEST(BookWindow, ContactsGoOutAndComeBackAsVCard) {
    BookRig rig;
    const std::string file = (rig.folder / "contacts.vcf").string();
    rig.host.saveAnswers.push_back(file);
    rig.f7()["Combo3"].setListIndex(2);  // the phone's book alone
    rig.f7()["Command4"].click();
    EXPECT_THAT(test::ReadFile(file), ::testing::HasSubstr("FN:Ольга"));
    EXPECT_THAT(test::ReadFile(file), ::testing::Not(::testing::HasSubstr("FN:Anna")));
    rig.mark("Ольга");
    rig.press("Command3", 1, "", "", "");
    EXPECT_FALSE(rig.listed("Ольга", "+74951234567"));
    rig.host.openAnswers.push_back(file);
    rig.f7()["Combo1"].setListIndex(1);
    rig.f7()["Command5"].click();
    ASSERT_TRUE(RunUntil([&] { return !rig.program->line.busy(); }, 60000));
    EXPECT_TRUE(rig.listed("Ольга", "+74951234567"));
}

}  // namespace
}  // namespace bsms
