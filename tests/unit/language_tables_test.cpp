#include "ui/language_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "base/text.h"

namespace bsms {
namespace {

// Every text of every table, by "window.control/language" or "name/language".
std::map<std::string, std::string> AllTexts() {
    std::map<std::string, std::string> all;
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        const auto add = [&](const std::string& where, const char* text) {
            all[where + "/" + std::string(kLanguageWords[lang])] = text ? text : "";
        };
        for (const auto& row : kWindowTexts)
            add(std::string(row.window) + "." + row.control, row.text[lang]);
        for (const auto& row : kMessageTexts)
            add(row.name, row.text[lang]);
        const auto& c = kSendConfirmTexts[lang];
        add("confirm.question", c.question);
        add("confirm.recipient", c.recipientLabel);
        add("confirm.flash", c.flashLine);
        add("confirm.report", c.statusReportLine);
    }
    return all;
}

TEST(LanguageTables, EveryTextIsWesternUtf8WithThePlaceholdersItsCodeFills) {
    const std::map<std::string, int> placeholders = {{"Msg_Port_No_Permission", 2},
                                                     {"Msg_Files_Elsewhere", 2},
                                                     {"Msg_Encoding_Per_Sms", 2},
                                                     {"Msg_Folder_Not_Writable", 1},
                                                     {"Msg_Unreadable_Locations", 1}};
    for (const auto& [where, text] : AllTexts()) {
        EXPECT_NE(text, "") << where;
        const std::u32string cps = Utf8ToU32(text);
        EXPECT_EQ(U32ToUtf8(cps), text) << where << " is not valid UTF-8";
        EXPECT_TRUE(std::ranges::all_of(cps, [](char32_t c) { return InCp1252(c); })) << where;
        const auto p = placeholders.find(where.substr(0, where.find('/')));
        const int filled = p == placeholders.end() ? 0 : p->second;
        EXPECT_EQ(text.find("%1") != std::string::npos, filled >= 1) << where;
        EXPECT_EQ(text.find("%2") != std::string::npos, filled >= 2) << where;
    }
}

// Oddities of the translations that must survive any tidying of the tables.
TEST(LanguageTables, KnownQuirksOfTheTranslationsSurvive) {
    auto all = AllTexts();
    EXPECT_EQ(all["Form1.Mn_Special/polski"], "Znaki specjalne\u2026");
    EXPECT_EQ(all["Form2.Label5/italiano"], "Capacit\u00e0 SIM:");
    EXPECT_EQ(all["confirm.recipient/italiano"], "Al numero: ");
}

TEST(LanguageTables, LanguageIndexTakesOnlyTheExactWord) {
    for (int i = 0; i < kLanguageCount; ++i)
        EXPECT_EQ(LanguageIndex(kLanguageWords[i]), i);
    for (const char* word : {"English", "", "polski "})
        EXPECT_EQ(LanguageIndex(word), -1) << word;
}

}  // namespace
}  // namespace bsms
