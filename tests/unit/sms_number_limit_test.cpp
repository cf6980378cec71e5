#include <gtest/gtest.h>

#include "core/message_texts.h"
#include "sms/tpdu.h"
#include "test_support.h"
#include "ui/language.h"

namespace bsms {
namespace {

TEST(Elabora, NumberOverTwentyDigitsIsRefusedWithABoxInEveryLanguage) {
    const std::string longest(tp::kMaxAddressDigits, '3');
    test::Rig rig;
    rig.start();
    Window& f = rig.form1();
    f["Text5"].setText("ciao");
    const auto build = [&](const std::string& sc, const std::string& to) {
        f["Text2"].setText(sc);
        f["Text4"].setText(to);
        rig.host.boxes.clear();
        f["Command5"].click();
        return rig.host.boxes;
    };
    EXPECT_TRUE(build(longest, "+" + longest).empty());  // twenty digits each still build
    EXPECT_EQ(rig.program->Pdu_Parts.partCount(), 1);
    for (const std::string_view language : kLanguageWords) {
        Choose_Language(*rig.program, std::string(language));
        // The box names the number that is too long, and the limit; no PDU is left.
        for (const auto& [sc, to, named] : {std::tuple{longest + "1", longest, longest + "1"},
                                            std::tuple{longest, longest + "*", longest + "*"}}) {
            const auto boxes = build(sc, to);
            ASSERT_EQ(boxes.size(), 1u) << language;
            EXPECT_TRUE(boxes[0].text.ends_with(" " + named)) << boxes[0].text;
            EXPECT_NE(boxes[0].text.find(std::to_string(tp::kMaxAddressDigits)), std::string::npos);
            EXPECT_EQ(rig.program->Pdu_Parts.partCount(), 0);
            EXPECT_EQ(f["Text3"].text(), "");
        }
    }
}

}  // namespace
}  // namespace bsms
