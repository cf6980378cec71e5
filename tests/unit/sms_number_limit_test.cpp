#include <gtest/gtest.h>

#include "core/message_texts.h"
#include "sms/tpdu.h"
#include "test_support.h"
#include "ui/language.h"

namespace bsms {
namespace {

// A number longer than an address holds is refused with a box that names it and the limit, in
// every language: the service centre in one, the recipient in the next. No PDU is left.
TEST(Elabora, NumberOverTwentyDigitsIsRefusedWithABoxInEveryLanguage) {
    const std::string longest(tp::kMaxAddressDigits, '3');
    test::Rig rig;
    rig.start();
    Window& f = rig.form1();
    f["Text5"].setText("ciao");
    f["Text2"].setText(longest);  // twenty digits each still build
    f["Text4"].setText("+" + longest);
    f["Command5"].click();
    EXPECT_EQ(rig.program->Pdu_Parts.partCount(), 1);
    for (std::size_t i = 0; i < std::size(kLanguageWords); ++i) {
        Choose_Language(*rig.program, std::string(kLanguageWords[i]));
        Control& tooLong = f[i % 2 == 0 ? "Text2" : "Text4"];
        tooLong.setText(longest + (i % 2 == 0 ? "1" : "*"));
        rig.host.boxes.clear();
        f["Command5"].click();
        ASSERT_EQ(rig.host.boxes.size(), 1u) << kLanguageWords[i];
        EXPECT_TRUE(rig.host.boxes[0].text.ends_with(" " + tooLong.text()))
            << rig.host.boxes[0].text;
        EXPECT_NE(rig.host.boxes[0].text.find(std::to_string(tp::kMaxAddressDigits)),
                  std::string::npos);
        EXPECT_EQ(rig.program->Pdu_Parts.partCount(), 0);
        EXPECT_EQ(f["Text3"].text(), "");
        tooLong.setText(longest);
    }
}

}  // namespace
}  // namespace bsms
