// The message editor on the main window: counters, limit, clearing, focus and builds.
#include <gtest/gtest.h>

#include "base/text.h"
#include "compose/sent_log.h"
#include "sms/pdu_builder.h"
#include "test_support.h"
#include "ui/form4.h"
#include "ui/language.h"

namespace bsms {
namespace {

std::string Times(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

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

// The counters count in the units of the encoding the text needs (as SmsBuilder's tests count
// them), and the label names it with what one SMS holds.
TEST(Editor, CountersFollowTheEncoding) {
    EditorRig rig;
    const struct {
        std::string text;
        const char* counters;
        const char* label;
    } rows[] = {
        {"", "0/760/0", "GSM 7-bit: 160 per SMS"},
        {std::string(161, 'a'), "161/599/2", "GSM 7-bit: 152 per SMS"},
        {"Cześć €", "7/323/1", "UCS2: 70 per SMS"},  // "€" counts one here, two in 7-bit
        {Times("ł", 71), "71/259/2", "UCS2: 66 per SMS"},
    };
    for (const auto& row : rows) {
        rig.text5().setText(row.text);
        EXPECT_EQ(rig.counters(), row.counters) << row.text;
        EXPECT_EQ(rig.form1()["Label15"].text(), row.label);
    }
    Choose_Language(*rig.program, "slovak");
    EXPECT_EQ(rig.form1()["Label15"].text(), "UCS2: 66 na SMS");
}

// An edit goes in whole or not at all: only one that grows the text past five parts of the
// encoding it needs is refused. What the program sets is never cut, and may be shortened.
TEST(Editor, AUserEditThatWouldNotFitIsRefusedWhole) {
    EditorRig rig;
    const std::string full(kMaxMessageChars, 'a');
    const struct {
        std::string before, after;
        bool taken;
    } edits[] = {
        // One character typed in the middle of a full box: nothing may fall off the end.
        {full, std::string(380, 'a') + "X" + std::string(380, 'a'), false},
        // Enter at 759 characters would leave half a line break: the CR LF goes whole or not.
        {full.substr(1), full.substr(1) + "\r\n", false},
        {full.substr(2), full.substr(2) + "\r\n", true},
        {Times("ł", 330), Times("ł", 331), false},
        {std::string(400, 'a'), "ł" + std::string(399, 'a'), false},  // 400 UCS2 units
        {std::string(400, 'a'), "€" + std::string(399, 'a'), true},
        {std::string(900, 'b'), std::string(899, 'b'), true},
        {std::string(900, 'b'), std::string(901, 'b'), false},
    };
    for (const auto& e : edits) {
        rig.text5().setText(e.before);
        ASSERT_EQ(rig.text5().text(), e.before);
        EXPECT_EQ(rig.text5().userEdit(e.after), e.taken) << e.after.size();
        EXPECT_EQ(rig.text5().text(), e.taken ? e.after : e.before);
    }
    EXPECT_EQ(rig.counters(), "900/0/5");  // none left, not a count below zero

    // A special character counts like typing: a full box takes none, and nothing falls off.
    rig.text5().setText(full.substr(1));
    Form4_Row_Click(*rig.program, 0);
    const std::string once = rig.text5().text();
    EXPECT_TRUE(once.starts_with(full.substr(1)));
    EXPECT_EQ(CharCount(once), kMaxMessageChars);
    Form4_Row_Click(*rig.program, 0);
    EXPECT_EQ(rig.text5().text(), once);
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

// Clear empties the box and gives it the focus; the focus selects the whole text, unless it comes
// back from the special characters window.
TEST(Editor, ClearAndFocus) {
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

    rig.form1()["Text2"].setText("391234567890");
    // What groups the digits goes; anything else is still refused.
    rig.form1()["Text4"].setText("+39 (333) 123-45.67");
    rig.form1()["Command5"].click();
    EXPECT_EQ(rig.form1()["Text4"].text(), "+393331234567");
    rig.form1()["Text4"].setText("+39 333/1");
    rig.form1()["Command5"].click();
    EXPECT_NE(rig.host.boxes.back().text.find("\"/\""), std::string::npos);
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
