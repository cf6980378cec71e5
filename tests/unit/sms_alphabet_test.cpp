#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "base/text.h"
#include "sms/alphabet.h"

namespace bsms {
namespace {

TEST(SmsAlphabet, TableAndReverseLookup) {
    Init_Alphabet();  // a second fill must change nothing
    Init_Alphabet();
    const auto& t = Gsm_Alphabet();
    // The program's own entries, and the standard ones next to them.
    const std::pair<int, const char*> entries[] = {
        {0x00, "@"}, {0x02, "$"}, {0x09, "ç"}, {0x0A, "\n"}, {0x0D, "\r"}, {0x10, "³"}, {0x11, "_"},
        {0x24, "¤"}, {0x40, "¡"}, {0x41, "A"}, {0x60, "¿"},  {0x61, "a"},  {0x7F, "à"}};
    for (const auto& [v, c] : entries)
        EXPECT_EQ(t[v], c) << v;
    for (int v = 0x12; v <= 0x1B; ++v)
        EXPECT_EQ(t[v], "") << v;
    // No character occurs twice, so each one leads back to its own value.
    for (int v = 0; v < 128; ++v)
        EXPECT_TRUE(t[v].empty() || SeptetOf(Utf8ToU32(t[v]).at(0)) == v) << v;
    for (char32_t c : {U'Ç', U'€', U'`'})
        EXPECT_EQ(SeptetOf(c), -1);
    // The extension table both ways: every character it has leads back to its septet.
    int extended = 0;
    for (int v = 0; v < 128; ++v) {
        const std::string c(Gsm_Extension(v));
        if (c.empty()) continue;
        ++extended;
        EXPECT_EQ(ExtensionSeptetOf(Utf8ToU32(c).at(0)), v) << v;
    }
    EXPECT_EQ(extended, 10);
    EXPECT_EQ(ExtensionSeptetOf(U'a'), -1);
}

TEST(SmsAlphabet, PacksSeptets) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "00"},
        {"hellohello", "0AE8329BFD4697D9EC37"},
        {"abcdefgh", "0861F1985C369FD1"},  // ends on an octet boundary: no zero octet
        {"@$", "020001"},
        {"ç", "0109"},
        {"\r\n", "020D05"}};  // a typed line break is two septets
    for (const auto& [text, packed] : cases)
        EXPECT_EQ(Pack_Septets(text), packed) << text;
    const std::string full = Pack_Septets(std::string(160, 'x'));
    EXPECT_EQ(full.substr(0, 2), "A0");
    EXPECT_EQ(full.size(), 2u + 140 * 2);
}

TEST(SmsAlphabet, HexHelpers) {
    // Lower case reads as upper case (some phones send it); other characters count 0.
    const std::pair<const char*, int> bytes[] = {{"7F", 127}, {"A0", 160}, {"a0", 160}, {"fF", 255},
                                                 {"G1", 1},   {"1", 16},   {"", 0}};
    for (const auto& [hex, value] : bytes)
        EXPECT_EQ(Hex_To_Byte(hex), value) << hex;
}

}  // namespace
}  // namespace bsms
