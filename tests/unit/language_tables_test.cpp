#include "ui/language_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/text.h"

namespace bsms {
namespace {

// Every text of every language is Western UTF-8 and holds the placeholders its code fills: %1
// (and %2) in the message texts that are completed, in no other.
TEST(LanguageTables, EveryTextIsWesternUtf8WithThePlaceholdersItsCodeFills) {
    const auto check = [](std::string_view name, int lang, const char* text, int filled) {
        SCOPED_TRACE(std::string(name) + "/" + std::string(kLanguageWords[lang]));
        ASSERT_NE(text, nullptr);
        const std::u32string cps = Utf8ToU32(text);
        EXPECT_TRUE(!cps.empty() && U32ToUtf8(cps) == text);
        EXPECT_TRUE(std::ranges::all_of(cps, [](char32_t c) { return InCp1252(c); }));
        EXPECT_EQ(std::string_view(text).find("%1") != std::string_view::npos, filled >= 1);
        EXPECT_EQ(std::string_view(text).find("%2") != std::string_view::npos, filled >= 2);
    };
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        for (const auto& row : kWindowTexts)
            check(std::string(row.window) + "." + row.control, lang, row.text[lang], 0);
        for (const auto& row : kMessageTexts) {
            const std::string n = row.name;
            const bool two = n == "Msg_Port_No_Permission" || n == "Msg_Files_Elsewhere" ||
                             n == "Msg_Encoding_Per_Sms";
            const bool one = n == "Msg_Folder_Not_Writable" || n == "Msg_Unreadable_Locations";
            check(n, lang, row.text[lang], two ? 2 : one ? 1 : 0);
        }
        const auto& c = kSendConfirmTexts[lang];
        for (const char* t : {c.question, c.recipientLabel, c.flashLine, c.statusReportLine})
            check("confirm", lang, t, 0);
    }
}

TEST(LanguageTables, LanguageIndexTakesOnlyTheExactWord) {
    for (int i = 0; i < kLanguageCount; ++i)
        EXPECT_EQ(LanguageIndex(kLanguageWords[i]), i);
    for (const char* word : {"English", "", "polski "})
        EXPECT_EQ(LanguageIndex(word), -1) << word;
}

}  // namespace
}  // namespace bsms
