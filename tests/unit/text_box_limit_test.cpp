// The length limit of a text box holds for what the user types, never for text the program sets.
#include <gtest/gtest.h>

#include "base/text.h"
#include "sms/pdu_builder.h"
#include "test_support.h"
#include "ui/form4.h"

namespace bsms {
namespace {

TEST(TextBoxLimit, UserEditThatDoesNotFitIsRefusedWhole) {
    test::Rig rig;
    rig.start();
    Control& text5 = rig.form1()["Text5"];
    const std::string full(kMaxMessageChars, 'a');
    int changes = 0;
    text5.setText(full);
    text5.onChange = [&] { ++changes; };
    // Before the edit, after it, whether it is taken, the text the box then holds.
    const struct {
        std::string before, after;
        bool taken;
    } cases[] = {
        // One character typed in the middle of a full box: nothing may fall off the end.
        {full, std::string(380, 'a') + "X" + std::string(380, 'a'), false},
        // Enter at 759 characters would leave half a line break: the CR LF goes whole or not.
        {full.substr(1), full.substr(1) + "\r\n", false},
        {full.substr(2), full.substr(2) + "\r\n", true},
        // A paste that does not fit is refused, not cut.
        {std::string(700, 'a'), std::string(700, 'a') + std::string(100, 'b'), false},
        // Replacing a selection by as many characters fits.
        {full, "Z" + full.substr(1), true},
        // Deleting always fits.
        {full, full.substr(10), true},
    };
    for (const auto& c : cases) {
        text5.setText(c.before);
        changes = 0;
        EXPECT_EQ(text5.userEdit(c.after), c.taken) << c.after.size();
        EXPECT_EQ(text5.text(), c.taken ? c.after : c.before);
        EXPECT_EQ(changes, c.taken ? 1 : 0);
    }
}

TEST(TextBoxLimit, SpecialCharacterCountsLikeTyping) {
    test::Rig rig;
    Program& p = rig.start();
    Control& text5 = rig.form1()["Text5"];
    text5.setText(std::string(kMaxMessageChars - 1, 'a'));
    Form4_Row_Click(p, 0);
    EXPECT_EQ(CharCount(text5.text()), kMaxMessageChars);
    Form4_Row_Click(p, 0);  // the box is full: nothing falls off, nothing is added
    EXPECT_EQ(CharCount(text5.text()), kMaxMessageChars);
}

TEST(TextBoxLimit, TextTheProgramSetsIsNeverCut) {
    test::Rig rig;
    rig.start();
    Control& text5 = rig.form1()["Text5"];
    text5.setText(std::string(900, 'b'));
    EXPECT_EQ(text5.text().size(), 900u);
    EXPECT_EQ(rig.form1()["Label12"].text(), "0");
    // Typing more is refused, deleting is not, even above the limit.
    EXPECT_FALSE(text5.userEdit(std::string(901, 'b')));
    EXPECT_TRUE(text5.userEdit(std::string(899, 'b')));

    // The port box takes one character from the user, but shows port 12 whole, and Ok keeps it.
    rig.port.setCommPort(12);
    rig.host.duringModal = [&](Window& w) {
        EXPECT_EQ(w["Text1"].text(), "12");
        EXPECT_FALSE(w["Text1"].userEdit("123"));
        w["Command1"].click();
    };
    rig.form1().menu("Mn_Comm").click();
    EXPECT_EQ(rig.port.commPort(), 12);
}

}  // namespace
}  // namespace bsms
