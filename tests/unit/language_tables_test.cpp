#include "ui/language_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/text.h"

namespace bsms {
namespace {

constexpr int kEnglish = 1;

const WindowTextRow& FindRow(std::string_view window, std::string_view control) {
    for (const auto& row : kWindowTexts) {
        if (row.window == window && row.control == control) return row;
    }
    ADD_FAILURE() << window << "." << control << " missing";
    return kWindowTexts[0];
}

const LanguageTexts& Msg(MsgId id) {
    return kMessageTexts[static_cast<int>(id)].text;
}

// Every text of every table with a label for failure messages.
std::vector<std::pair<std::string, const char*>> AllTexts() {
    std::vector<std::pair<std::string, const char*>> all;
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        const std::string suffix = "/" + std::string(kLanguageWords[lang]);
        for (const auto& row : kWindowTexts)
            all.emplace_back(std::string(row.window) + "." + row.control + suffix, row.text[lang]);
        for (const auto& row : kMessageTexts)
            all.emplace_back(row.name + suffix, row.text[lang]);
        const auto& c = kSendConfirmTexts[lang];
        for (const char* t : {c.question, c.recipientLabel, c.flashLine, c.statusReportLine})
            all.emplace_back("confirm" + suffix, t);
    }
    return all;
}

TEST(LanguageTables, EveryTextIsPresentValidUtf8AndWesternCodePage) {
    for (const auto& [where, text] : AllTexts()) {
        ASSERT_NE(text, nullptr) << where;
        EXPECT_NE(text[0], '\0') << where;
        const std::u32string cps = Utf8ToU32(text);
        EXPECT_EQ(U32ToUtf8(cps), text) << where << " is not valid UTF-8";
        for (char32_t cp : cps)
            EXPECT_TRUE(InCp1252(cp)) << where << " U+" << std::hex << +cp;
    }
}

TEST(LanguageTables, PlaceholdersOnlyWhereTheCodeFillsThem) {
    for (const auto& [where, text] : AllTexts()) {
        const bool isPortPermission = where.starts_with("Msg_Port_No_Permission/") ||
                                      where.starts_with("Msg_Files_Elsewhere/") ||
                                      where.starts_with("Msg_Encoding_Per_Sms/");
        const bool isFolder = where.starts_with("Msg_Folder_Not_Writable/") ||
                              where.starts_with("Msg_Unreadable_Locations/");
        const std::string_view t = text;
        EXPECT_EQ(t.find("%1") != t.npos, isPortPermission || isFolder) << where;
        EXPECT_EQ(t.find("%2") != t.npos, isPortPermission) << where;
    }
}

// Oddities of the translations that must survive any tidying of the tables.
TEST(LanguageTables, KnownQuirksOfTheTranslations) {
    EXPECT_STREQ(FindRow("Form1", "Mn_Special").text[4], "Znaki specjalne\u2026");
    EXPECT_STREQ(FindRow("Form2", "Label5").text[0], "Capacit\u00e0 SIM:");
    EXPECT_STREQ(Msg(MsgId::Message_Sent)[kEnglish], "Messagge sent");
    EXPECT_STREQ(kSendConfirmTexts[0].recipientLabel, "Al numero: ");
}

TEST(LanguageTables, LanguageIndexIsExact) {
    for (int i = 0; i < kLanguageCount; ++i)
        EXPECT_EQ(LanguageIndex(kLanguageWords[i]), i);
    EXPECT_EQ(LanguageIndex("English"), -1);
    EXPECT_EQ(LanguageIndex(""), -1);
    EXPECT_EQ(LanguageIndex("polski "), -1);
}

}  // namespace
}  // namespace bsms
