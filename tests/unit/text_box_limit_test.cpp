// The length limit of a text box holds for what the user types, never for text the program sets.
#include <gtest/gtest.h>

#include "base/text.h"
#include "sms/pdu_builder.h"
#include "test_support.h"
#include "ui/form4.h"

namespace bsms {
namespace {

// An edit goes in whole or not at all: only one that grows the text past the limit is refused.
TEST(TextBoxLimit, AUserEditGoesInWholeOrNotAtAll) {
    test::Rig rig;
    rig.start();
    Control& text5 = rig.form1()["Text5"];
    const std::string full(kMaxMessageChars, 'a');
    const struct {
        std::string before, after;
        bool taken;
    } cases[] = {
        // One character typed in the middle of a full box: nothing may fall off the end.
        {full, std::string(380, 'a') + "X" + std::string(380, 'a'), false},
        // Enter at 759 characters would leave half a line break: the CR LF goes whole or not.
        {full.substr(1), full.substr(1) + "\r\n", false},
        {full.substr(2), full.substr(2) + "\r\n", true},
        // Text the program set above the limit: shortened, never lengthened by the user.
        {std::string(900, 'b'), std::string(899, 'b'), true},
        {std::string(900, 'b'), std::string(901, 'b'), false},
    };
    for (const auto& c : cases) {
        text5.setText(c.before);
        ASSERT_EQ(text5.text(), c.before);  // what the program sets is never cut
        EXPECT_EQ(text5.userEdit(c.after), c.taken) << c.after.size();
        EXPECT_EQ(text5.text(), c.taken ? c.after : c.before);
    }
    EXPECT_EQ(rig.form1()["Label12"].text(), "0");  // none left, not a count below zero

    // A special character counts like typing: a full box takes none, and nothing falls off.
    text5.setText(full.substr(1));
    Form4_Row_Click(*rig.program, 0);
    const std::string once = text5.text();
    EXPECT_TRUE(once.starts_with(full.substr(1)));
    EXPECT_EQ(CharCount(once), kMaxMessageChars);
    Form4_Row_Click(*rig.program, 0);
    EXPECT_EQ(text5.text(), once);
}

}  // namespace
}  // namespace bsms
