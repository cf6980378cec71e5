// A number longer than an address can hold is refused in the main window, in every language.
#include <gtest/gtest.h>

#include "core/message_texts.h"
#include "sms/tpdu.h"
#include "test_support.h"
#include "ui/language.h"

namespace bsms {
namespace {

TEST(ElaboraNumberLimit, NumberOverTwentyDigitsIsRefusedWithABoxInEveryLanguage) {
    const std::string limit = std::to_string(tp::kMaxAddressDigits);
    const std::string longest = std::string(tp::kMaxAddressDigits, '3');
    for (const std::string_view language : kLanguageWords) {
        test::Rig rig;
        rig.start();
        Choose_Language(*rig.program, std::string(language));
        Window& f = rig.form1();
        f["Text5"].setText("ciao");
        // Service centre, recipient: the number the box names.
        const std::pair<std::string, std::string> cases[] = {
            {longest + "1", "+39333"},
            {"391234", "+" + longest + "1"},
            {"391234", longest + "*"},
        };
        for (const auto& [sc, to] : cases) {
            f["Text2"].setText(sc);
            f["Text4"].setText(to);
            rig.host.boxes.clear();
            f["Command5"].click();
            ASSERT_EQ(rig.host.boxes.size(), 1u) << language;
            const MessageBoxSpec& box = rig.host.boxes[0];
            const std::string& named = sc.size() > tp::kMaxAddressDigits ? sc : to;
            EXPECT_TRUE(box.text.ends_with(" " + named)) << box.text;
            EXPECT_NE(box.text.find(limit), std::string::npos) << box.text;
            EXPECT_EQ(box.icon, MsgIcon::Critical);
            EXPECT_EQ(rig.program->Pdu_Parts.partCount(), 0);
            EXPECT_EQ(f["Text3"].text(), "");
        }
        // Twenty digits each still build.
        f["Text2"].setText(longest);
        f["Text4"].setText("+" + longest);
        rig.host.boxes.clear();
        f["Command5"].click();
        EXPECT_TRUE(rig.host.boxes.empty());
        EXPECT_EQ(rig.program->Pdu_Parts.partCount(), 1);
    }
}

}  // namespace
}  // namespace bsms
