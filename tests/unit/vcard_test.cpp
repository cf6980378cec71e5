// vCard files in and out: what the program writes reads back whole, and cards as other phones and
// programs write them give their entries or the reason they were left out.

#include <gmock/gmock.h>

#include "core/program.h"
#include "phonebook/vcard.h"

namespace bsms {
namespace {

using ::testing::ElementsAre;
using E = VCardEntry;
using P = VCardProblem;

TEST(VCard, WrittenCardsReadBackFoldedOnCharacterBounds) {
    const std::vector<E> entries{
        {"Żaneta", "+48601234567"},
        {"Ольга", "+74951234567"},
        {"张伟", "8613800138000"},
        {"Rossi, Mario; \\ufficio\\\nseconda riga", "0612345"},
        {"", "*100#"},
        {std::string(30, 'x') + "Ωμέγα Ελληνικά και ακόμη πιο μακρύ όνομα", "+391234"},
    };
    const std::string text = VCardText(entries);
    EXPECT_THAT(text,
                ::testing::StartsWith("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Żaneta\r\nN:;Żaneta;;;"
                                      "\r\nTEL;TYPE=CELL:+48601234567\r\nEND:VCARD\r\n"));
    EXPECT_THAT(text, ::testing::HasSubstr("FN:Rossi\\, Mario\\; \\\\ufficio\\\\\\nseconda riga"));
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos;
         at = end + 2) {
        EXPECT_LE(end - at, 75u) << text.substr(at, end - at);
        if (text.compare(end, 3, "\r\n ") == 0) {
            EXPECT_NE(static_cast<unsigned char>(text[end + 3]) & 0xC0, 0x80) << "a cut character";
        }
    }
    const VCardRead read = ReadVCards(text);
    EXPECT_EQ(read.entries, entries);
    EXPECT_TRUE(read.problems.empty());
}

TEST(VCard, ReadsWhatOthersWrite) {
    const std::pair<std::string, std::vector<E>> cases[] = {
        // 2.1 from an old phone: quoted-printable with a soft break, Latin-1, a group, two numbers.
        {"\xEF\xBB\xBF"
         "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Sch=F6n;J=\n"
         "=FCrgen\nitem1.TEL;CELL:+49 (170) 123-45.67\ntel;home:030 1234\nEND:VCARD\n",
         {{"Jürgen Schön", "+491701234567"}, {"Jürgen Schön", "0301234"}}},
        // Bare QUOTED-PRINTABLE in UTF-8, FN before N; lower-case names and parameters.
        {"begin:vcard\r\nversion:2.1\r\nn:Kowalska;Anna\r\n"
         "fn;charset=utf-8;quoted-printable:=C5=BBaneta\r\ntel:601\r\nend:vcard\r\n",
         {{"Żaneta", "601"}}},
        // 3.0 folded with a tab and inside a character; escapes; N without a given name.
        {"BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ufficio\\, sede;;;;\r\nTEL;TYPE=WORK:\r\n 02\r\n\t12\r\n"
         "END:VCARD\r\nBEGIN:VCARD\r\nFN:Ол\xD1\r\n \x8Cга\r\nTEL:1\r\nEND:VCARD\r\n",
         {{"Ufficio, sede", "0212"}, {"Ольга", "1"}}},
        // 4.0 tel: URIs; Windows-1252.
        {"BEGIN:VCARD\nVERSION:4.0\nFN;CHARSET=WINDOWS-1252:\x80uro\n"
         "TEL;VALUE=uri;TYPE=cell:tel:+1-555-0100;ext=7\nEND:VCARD\n",
         {{"€uro", "+15550100"}}},
    };
    for (const auto& [text, entries] : cases) {
        const VCardRead read = ReadVCards(text);
        EXPECT_EQ(read.entries, entries) << text;
        EXPECT_TRUE(read.problems.empty()) << text;
    }
}

TEST(VCard, RefusesMalformedCardsSayingWhereAndWhy) {
    const std::pair<std::string, std::vector<P>> cases[] = {
        {"", {{1, VCardIssue::NotAVCard}}},
        {"Anna,333\nBruno,444\nBEGIN:VCARD\nTEL:1\nEND:VCARD\nEND:VCARD\n",
         {{1, VCardIssue::NotAVCard}, {6, VCardIssue::NotAVCard}}},
        {"BEGIN:VCARD\nFN:A\nTEL:1\nBEGIN:VCARD\nTEL:2\n",
         {{1, VCardIssue::Unterminated}, {4, VCardIssue::Unterminated}}},
        {"BEGIN:VCARD\nFN:A\nEMAIL:a@b\nTEL: - \nEND:VCARD\n", {{1, VCardIssue::NoNumber}}},
        {"BEGIN:VCARD\nFN:A\nTEL:1\nFN;ENCODING=QUOTED-PRINTABLE:=C3=4\nEND:VCARD\n"
         "BEGIN:VCARD\nFN;QUOTED-PRINTABLE:=G1\nTEL:2\nEND:VCARD\n",
         {{4, VCardIssue::BadEncoding}, {7, VCardIssue::BadEncoding}}},
    };
    for (const auto& [text, problems] : cases) {
        const VCardRead read = ReadVCards(text);
        EXPECT_EQ(read.problems, problems) << text;
        EXPECT_EQ(read.entries.size(), text.starts_with("Anna") ? 1u : 0u) << text;
    }
    MessageTexts texts;
    texts[MsgId::Vcard_No_Number] = "Line %1: no number";
    EXPECT_EQ(VCardProblemText(texts, {12, VCardIssue::NoNumber}), "Line 12: no number");
}

}  // namespace
}  // namespace bsms
