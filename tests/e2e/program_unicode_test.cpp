// Texts beyond the 7-bit alphabet, end to end: sent and stored through the real serial port in
// the encoding they need, read back, answered; phonebook names in any script.
#ifdef BSMS_HAVE_QT

#include <gtest/gtest.h>

#include <sstream>

#include "browser/form5.h"
#include "program_on_sim.h"

namespace bsms {
namespace {

using test::ProgramOnSim;
using test::RunUntil;

// The texts of the PDUs the phone was given to send, joined.
std::string SentText(const std::string& log) {
    std::istringstream sent(log);
    std::string text;
    for (std::string length, pdu; sent >> length >> pdu;)
        text += Decode_Sms_Deliver(pdu, {}).Text;
    return text;
}

TEST(ProgramSendsAnyText, EachEncodingReachesThePhoneWhole) {
    const std::string texts[] = {
        "Dziękuję, Łukasz! \U0001F600 Do zobaczenia jutro.",  // UCS2, a surrogate pair
        "Prezzo: 5€ [scontato] {ok} ~ ^ | \\",                // the extension table
        std::string(60, 'x') + "Ж" + std::string(100, 'y'),   // UCS2 in three parts
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        ProgramOnSim rig({}, false);
        rig.compose(text);
        rig.form1()["Command6"].click();
        ASSERT_TRUE(rig.boxes(1)) << rig.received();
        EXPECT_EQ(rig.host.boxes[0].text, "Messagge sent");
        EXPECT_EQ(SentText(rig.sim.sent()), text);
        EXPECT_EQ(rig.program->st.Sent_Count, static_cast<int>(PlanMessage(text).parts));
    }
}

// Stored, read back by the browser, answered: the answer builds and goes out with the same text.
TEST(ProgramSendsAnyText, AStoredMessageReadsBackAndIsAnswered) {
    ProgramOnSim rig({"--set", "sms-capacity SM 8"}, false);
    const std::string text = "Cześć € — ¿qué tal? Привет";
    rig.compose(text);
    rig.form1()["Command7"].click();
    ASSERT_TRUE(RunUntil([&] {
        return !rig.program->st.Store_Job.active && rig.received().ends_with("OK\r\n");
    })) << rig.received();

    rig.host.keepModalOpen = true;
    rig.form1()["Command4"].click();
    Window& f5 = *rig.program->Form5;
    f5["Text3"].setText("7");
    f5["Command1"].click();
    ASSERT_TRUE(RunUntil([&] { return f5["Command7"].enabled(); })) << rig.received();
    int row = 0;
    for (int r = 1; r < f5["Grid1"].rows(); ++r)
        if (f5["Grid1"].cell(r, 1) == "7") row = r;
    ASSERT_NE(row, 0);
    f5["Grid1"].setCurrent(row, 0);
    f5["Grid1"].click();
    EXPECT_EQ(f5["Text2"].text(), text);
    f5["Command3"].click();
    EXPECT_EQ(rig.form1()["Text5"].text(), text);
    rig.form1()["Command6"].click();
    ASSERT_TRUE(rig.boxes(1)) << rig.received();
    EXPECT_EQ(SentText(rig.sim.sent()), text);
}

// Names in any script where the phone offers UCS2; the phone's own set otherwise, as ever.
TEST(ProgramSendsAnyText, PhonebookNamesInAnyScript) {
    const char* const contacts[] = {"--set", "contact book=ME number=+48601 name=Łukasz", "--set",
                                    "contact book=ME number=+7495 name=Ольга"};
    for (const bool ucs2 : {true, false}) {
        std::vector<std::string> args(std::begin(contacts), std::end(contacts));
        if (!ucs2) args.insert(args.end(), {"--set", "charsets GSM IRA"});
        ProgramOnSim rig(args, false);
        ASSERT_TRUE(rig.downloadPhonebook()) << rig.received();
        const auto& items = rig.form1()["Combo2"].items();
        ASSERT_GE(items.size(), 3u);
        const std::vector<std::string> last(items.end() - 3, items.end());
        const std::vector<std::string> expected =
            ucs2 ? std::vector<std::string>{"Zoë (+447700900123)", "Łukasz (+48601)",
                                            "Ольга (+7495)"}
                 : std::vector<std::string>{"Zo? (+447700900123)", "?ukasz (+48601)",
                                            "????? (+7495)"};
        EXPECT_EQ(last, expected);
        // The phone's own set again afterwards.
        rig.form1()["Text1"].setText("");
        rig.program->WriteCommand("AT+CSCS?");
        ASSERT_TRUE(RunUntil([&] {
            return rig.received().find("+CSCS:") != std::string::npos &&
                   rig.received().ends_with("OK\r\n");
        }));
        EXPECT_NE(rig.received().find("+CSCS: \"GSM\""), std::string::npos) << rig.received();
    }
}

}  // namespace
}  // namespace bsms

#endif
