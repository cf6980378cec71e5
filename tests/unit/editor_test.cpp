// The message editor on the main window: counters, limit, clearing, focus, options and builds.
#include <gtest/gtest.h>

#include "test_support.h"
#include "ui/language.h"

namespace bsms {
namespace {

struct EditorRig : test::Rig {
    EditorRig() {
        start();
        Choose_Language(*program, "english");
    }
    Control& text5() { return form1()["Text5"]; }
    std::string counters() {
        return form1()["Label5"].text() + "/" + form1()["Label12"].text() + "/" +
               form1()["Label14"].text();
    }
};

TEST(Editor, CountersFollowEveryChange) {
    EditorRig rig;
    EXPECT_EQ(rig.counters(), "0/760/0");
    const std::pair<std::size_t, const char*> cases[] = {
        {1, "1/759/1"},     {160, "160/600/1"}, {161, "161/599/2"}, {304, "304/456/2"},
        {305, "305/455/3"}, {608, "608/152/4"}, {609, "609/151/5"}, {760, "760/0/5"}};
    for (const auto& [n, expected] : cases) {
        rig.text5().setText(std::string(n, 'a'));
        EXPECT_EQ(rig.counters(), expected);
    }
    rig.text5().setText("ab\r\n\xC3\xA8");  // a line break counts two, "è" one
    EXPECT_EQ(rig.counters(), "5/755/1");
    rig.text5().setText(std::string(760, 'b'));
    EXPECT_FALSE(rig.text5().userEdit(std::string(900, 'b')));  // typing beyond 760 adds nothing
    EXPECT_EQ(rig.counters(), "760/0/5");
}

TEST(Editor, ClearFocusAndOptions) {
    EditorRig rig;
    Program& p = *rig.program;
    rig.text5().setText(std::string(300, 'x'));
    rig.form1()["Command1"].click();
    EXPECT_EQ(rig.counters(), "0/760/0");
    EXPECT_EQ(rig.form1().focusRequest, &rig.text5());

    rig.text5().setText("hello");
    rig.text5().gotFocus();
    EXPECT_EQ(rig.text5().selStart(), 0u);
    EXPECT_EQ(rig.text5().selLength(), 5u);
    p.st.Special_Chars_Return = true;
    rig.text5().gotFocus();
    EXPECT_EQ(rig.text5().selStart(), 5u);
    EXPECT_EQ(rig.text5().selLength(), 0u);
    EXPECT_FALSE(p.st.Special_Chars_Return);

    MenuItem& flash = rig.form1().menu("Mn_Flash");
    flash.click();
    EXPECT_TRUE(p.st.Opt_Flash);
    flash.click();
    EXPECT_FALSE(p.st.Opt_Flash);
    EXPECT_FALSE(flash.checked());
    rig.form1().menu("Mn_Conferma").click();
    EXPECT_FALSE(p.st.Opt_Confirm_Send);
    rig.form1().menu("Mn_Ricevuta").click();
    EXPECT_TRUE(p.st.Opt_Status_Report);
}

TEST(Elabora, BuildsIntoTheMainWindow) {
    EditorRig rig;
    Program& p = *rig.program;
    rig.form1()["Text2"].setText("391234567890");
    rig.form1()["Text4"].setText("+391234567890");
    rig.text5().setText(std::string(320, 'a'));
    rig.form1().menu("Mn_Elabora").click();
    EXPECT_EQ(p.Pdu_Parts.partCount(), 3);

    rig.text5().setText("hellohello");
    rig.form1()["Command5"].click();
    const std::string pdu = "079193214365870911F30C919321436587090000FF0AE8329BFD4697D9EC37";
    EXPECT_EQ(rig.form1()["Text3"].text(), pdu + "\r\r\r\r");
    EXPECT_EQ(p.Pdu_Parts.parts[0].Part_Length, 23);
    EXPECT_TRUE(p.Pdu_Parts.parts[1].Part_Pdu.empty());
    EXPECT_TRUE(p.Pdu_Parts.parts[2].Part_User_Data.empty());

    p.st.Opt_Flash = p.st.Opt_Status_Report = true;
    rig.form1()["Command5"].click();
    EXPECT_EQ(p.Pdu_Parts.parts[0].Part_Pdu.substr(16, 2), "31");
    EXPECT_EQ(p.Pdu_Parts.Pdu_Dcs, "F0");
    EXPECT_TRUE(rig.host.boxes.empty());
}

TEST(Elabora, RefusesWhatCannotBeSentBeforeAnythingIsWritten) {
    EditorRig rig;
    Program& p = *rig.program;
    rig.form1()["Text4"].setText("+391234567890");
    rig.text5().setText("hello");
    rig.form1()["Command5"].click();
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].text, "Insert service centre !!!");
    EXPECT_EQ(rig.host.boxes[0].title, "Impossible to sent message.");
    EXPECT_EQ(rig.host.boxes[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(p.Pdu_Parts.parts[0].Part_Pdu.empty());

    rig.form1()["Text2"].setText("391234567890");
    rig.text5().setText("a[b\xE2\x82\xAC\tc\xC3\xA1");
    rig.form1()["Text3"].setText("old");
    rig.form1()["Command5"].click();
    ASSERT_EQ(rig.host.boxes.size(), 2u);
    const std::string& text = rig.host.boxes[1].text;
    for (const char* shown : {"\"[\"", "\"\xE2\x82\xAC\"", "tab", "\"\xC3\xA1\""})
        EXPECT_NE(text.find(shown), std::string::npos) << shown << " in " << text;
    EXPECT_EQ(rig.form1()["Text3"].text(), "");
    EXPECT_TRUE(p.Pdu_Parts.parts[0].Part_Pdu.empty());

    rig.text5().setText("fine");
    rig.form1()["Text4"].setText("+39 333");
    rig.form1()["Command5"].click();
    EXPECT_NE(rig.host.boxes.back().text.find("blank"), std::string::npos);
    rig.form1()["Text4"].setText("333");
    rig.form1()["Text2"].setText("39A1");
    rig.form1()["Command5"].click();
    EXPECT_NE(rig.host.boxes.back().text.find("\"A\""), std::string::npos);
    EXPECT_TRUE(rig.port.written.empty());
}

}  // namespace
}  // namespace bsms
