// The message editor on the main window: counters, limit, clearing, focus, options and builds.
#include <gtest/gtest.h>

#include "compose/sent_log.h"
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

// The counters count in the units of the encoding the text needs, the label names it with what
// one SMS holds, and an edit that would not fit five parts of that encoding is refused whole.
TEST(Editor, CountersAndLimitFollowTheEncoding) {
    EditorRig rig;
    const auto l = [](int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += "ł";
        return s;
    };
    const struct {
        std::string text;
        const char* counters;
        const char* label;
    } rows[] = {
        {"", "0/760/0", "GSM 7-bit: 160 per SMS"},
        {std::string(160, 'a'), "160/600/1", "GSM 7-bit: 160 per SMS"},
        {std::string(161, 'a'), "161/599/2", "GSM 7-bit: 152 per SMS"},
        {std::string(609, 'a'), "609/151/5", "GSM 7-bit: 152 per SMS"},
        {std::string(760, 'a'), "760/0/5", "GSM 7-bit: 152 per SMS"},
        {"ab\r\nè", "5/755/1", "GSM 7-bit: 160 per SMS"},  // a line break counts two, "è" one
        {"€[x]", "7/753/1", "GSM 7-bit: 160 per SMS"},     // each escaped character counts two
        {"Cześć €", "7/323/1", "UCS2: 70 per SMS"},
        {"\U0001F600", "2/328/1", "UCS2: 70 per SMS"},  // beyond 16 bits: a surrogate pair
        {l(71), "71/259/2", "UCS2: 66 per SMS"},
    };
    for (const auto& row : rows) {
        rig.text5().setText(row.text);
        EXPECT_EQ(rig.counters(), row.counters) << row.text;
        EXPECT_EQ(rig.form1()["Label15"].text(), row.label);
    }
    rig.text5().setText(l(330));
    EXPECT_EQ(rig.counters(), "330/0/5");
    EXPECT_FALSE(rig.text5().userEdit(l(331)));
    rig.text5().setText(std::string(400, 'a'));
    EXPECT_FALSE(rig.text5().userEdit("ł" + std::string(399, 'a')));  // 400 UCS2 units
    EXPECT_TRUE(rig.text5().userEdit("€" + std::string(399, 'a')));
    EXPECT_EQ(rig.counters(), "401/359/3");
    rig.text5().setText(l(400));  // set by the program, as an answer is: kept, and shortened
    EXPECT_TRUE(rig.text5().userEdit(l(399)));
    EXPECT_FALSE(rig.text5().userEdit(l(399) + "a"));
    Choose_Language(*rig.program, "slovak");
    EXPECT_EQ(rig.form1()["Label15"].text(), "UCS2: 66 na SMS");
}

// The log stays Windows-1252 until a message holds a character that code page lacks; from then on
// it is UTF-8 behind a byte-order mark, the entries before converted with it.
TEST(SentLog, BecomesUtf8ForATextWindows1252Lacks) {
    EditorRig rig;
    Program& p = *rig.program;
    const auto entry = [](const char* text) {
        SentMessage m;
        m.text = text;
        m.recipient = m.smsNeeded = "1";
        return m;
    };
    Append_Log_Entry(p, entry("caffè"));
    EXPECT_NE(rig.dir.read("LogSMS.txt").find("Sms:        caff\xE8\r\n"), std::string::npos);
    Append_Log_Entry(p, entry("Cześć"));
    Append_Log_Entry(p, entry("più"));
    const std::string log = rig.dir.read("LogSMS.txt");
    EXPECT_TRUE(log.starts_with("\xEF\xBB\xBF" + LogHeaderText()));
    for (const char* entry :
         {"Sms:        caffè\r\n", "Sms:        Cześć\r\n", "Sms:        più\r\n"})
        EXPECT_NE(log.find(entry), std::string::npos) << entry;
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

    // Any text is sent: one the 7-bit alphabet cannot carry goes in UCS2.
    rig.form1()["Text2"].setText("391234567890");
    rig.text5().setText("a[b\xE2\x82\xAC\tc\xC3\xA1");
    rig.form1()["Command5"].click();
    EXPECT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(p.Pdu_Parts.Pdu_Dcs, "08");

    rig.text5().setText("fine");
    rig.form1()["Text4"].setText("+39 333");
    rig.form1()["Command5"].click();
    EXPECT_NE(rig.host.boxes.back().text.find("blank"), std::string::npos);
    rig.form1()["Text4"].setText("333");
    rig.form1()["Text2"].setText("39A1");
    rig.form1()["Command5"].click();
    EXPECT_NE(rig.host.boxes.back().text.find("\"A\""), std::string::npos);
    // A number longer than an address holds: the box names the limit and the number.
    for (const char* box : {"Text2", "Text4"}) {
        rig.form1()[box].setText(std::string(21, '3'));
        rig.form1()["Command5"].click();
        EXPECT_EQ(
            rig.host.boxes.back().text,
            "A telephone number may hold at most 20 digits. Too long: " + std::string(21, '3'));
        rig.form1()[box].setText("39");
    }
    EXPECT_TRUE(rig.port.written.empty());
}

}  // namespace
}  // namespace bsms
