// A number longer than an address can hold is refused in the main window, in every language.
#include <gtest/gtest.h>

#include "core/message_texts.h"
#include "sms/tpdu.h"
#include "test_support.h"
#include "ui/language.h"

namespace bsms {
namespace {

TEST(ElaboraNumberLimit, NumberOverTwentyDigitsIsRefusedWithABoxInEveryLanguage) {
    const std::string longest(tp::kMaxAddressDigits, '3');
    for (const std::string_view language : kLanguageWords) {
        test::Rig rig;
        rig.start();
        Choose_Language(*rig.program, std::string(language));
        Window& f = rig.form1();
        f["Text5"].setText("ciao");
        // Service centre, recipient: the box names the one that is too long.
        for (const auto& [sc, to] : {std::pair{longest + "1", "+39333" + std::string()},
                                     std::pair{std::string("391234"), longest + "*"}}) {
            f["Text2"].setText(sc);
            f["Text4"].setText(to);
            rig.host.boxes.clear();
            f["Command5"].click();
            ASSERT_EQ(rig.host.boxes.size(), 1u) << language;
            const std::string& text = rig.host.boxes[0].text;
            EXPECT_TRUE(text.ends_with(" " + (sc.size() > longest.size() ? sc : to))) << text;
            EXPECT_NE(text.find(std::to_string(tp::kMaxAddressDigits)), std::string::npos);
            EXPECT_EQ(rig.program->Pdu_Parts.partCount(), 0);
        }
        // Twenty digits each still build.
        f["Text2"].setText(longest);
        f["Text4"].setText("+" + longest);
        rig.host.boxes.clear();
        f["Command5"].click();
        EXPECT_TRUE(rig.host.boxes.empty());
    }
}

}  // namespace
}  // namespace bsms
