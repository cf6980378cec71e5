#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "sms/alphabet.h"

namespace bsms {
namespace {

TEST(SmsAlphabet, TableHasTheProgramsOwnEntries) {
    Init_Alphabet();
    Init_Alphabet();
    const auto& t = Gsm_Alphabet();
    EXPECT_EQ(t[0x00], "@");
    EXPECT_EQ(t[0x09], "ç");
    EXPECT_EQ(t[0x0A], "\n");
    EXPECT_EQ(t[0x0D], "\r");
    EXPECT_EQ(t[0x10], "³");
    EXPECT_EQ(t[0x11], "_");
    for (int v = 0x12; v <= 0x1B; ++v)
        EXPECT_EQ(t[v], "") << v;
    EXPECT_EQ(t[0x24], "¤");
    EXPECT_EQ(t[0x40], "¡");
    EXPECT_EQ(t[0x41], "A");
    EXPECT_EQ(t[0x60], "¿");
    EXPECT_EQ(t[0x7F], "à");
}

TEST(SmsAlphabet, ReverseLookupAndUnencodable) {
    EXPECT_EQ(SeptetOf(U'ç'), 0x09);
    EXPECT_EQ(SeptetOf(U'Ç'), -1);
    EXPECT_EQ(SeptetOf(U'a'), 0x61);
    EXPECT_EQ(SeptetOf(U'$'), 0x02);
    EXPECT_EQ(SeptetOf(U'€'), -1);
    EXPECT_EQ(SeptetOf(U'`'), -1);
    for (int v = 0; v < 128; ++v) {
        const std::string& e = Gsm_Alphabet()[v];
        if (!e.empty()) {
            EXPECT_EQ(SeptetOf(Utf8ToU32(e).at(0)), v);
        }
    }
    EXPECT_EQ(UnencodableChars("a[b€\tá[€ok"), (std::vector<char32_t>{U'[', U'€', U'\t', U'á'}));
    EXPECT_TRUE(UnencodableChars("Ciao, come stai? àèìòù\r\n").empty());
    EXPECT_EQ(Gsm_Extension(0x65), "€");
    EXPECT_EQ(Gsm_Extension(0x3C), "[");
    EXPECT_EQ(Gsm_Extension(0x2F), "\\");
    EXPECT_EQ(Gsm_Extension(0x41), "");
}

TEST(SmsAlphabet, PacksSeptets) {
    EXPECT_EQ(Pack_Septets(""), "00");
    EXPECT_EQ(Pack_Septets("hellohello"), "0AE8329BFD4697D9EC37");
    EXPECT_EQ(Pack_Septets("abcdefgh"), "0861F1985C369FD1");
    EXPECT_EQ(Pack_Septets("@$"), "020001");
    EXPECT_EQ(Pack_Septets("¤"), "0124");
    EXPECT_EQ(Pack_Septets("¡"), "0140");
    EXPECT_EQ(Pack_Septets("ç"), "0109");
    EXPECT_EQ(Pack_Septets("\r\n"), "020D05");
    const std::string full = Pack_Septets(std::string(160, 'x'));
    EXPECT_EQ(full.substr(0, 2), "A0");
    EXPECT_EQ(full.size(), 2u + 140 * 2);
}

TEST(SmsAlphabet, HexHelpers) {
    EXPECT_EQ(Hex_To_Byte("7F"), 127);
    EXPECT_EQ(Hex_To_Byte("A0"), 160);
    EXPECT_EQ(Hex_To_Byte("a0"), 160);  // phones that send lower case
    EXPECT_EQ(Hex_To_Byte("fF"), 255);
    EXPECT_EQ(Hex_To_Byte("G1"), 1);
    EXPECT_EQ(Hex_To_Byte("1"), 16);
    EXPECT_EQ(Hex_To_Byte(""), 0);
    EXPECT_EQ(Septet_Bits("7F"), "1111111");
    EXPECT_EQ(Septet_Bits("41"), "1000001");
    EXPECT_EQ(Septet_Bits("5"), "0000101");
    EXPECT_EQ(Septet_Bits("FF"), "1111111");
    EXPECT_EQ(Bits_To_Hex("00000101"), "05");
    EXPECT_EQ(Bits_To_Hex("11101000"), "E8");
    EXPECT_EQ(Bits_To_Hex(""), "00");
    EXPECT_EQ(Bits_To_Hex("100000000"), "100");
}

}  // namespace
}  // namespace bsms
