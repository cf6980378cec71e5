#include <gtest/gtest.h>

#include <string>

#include "sms/address.h"
#include "sms/pdu_builder.h"

namespace bsms {
namespace {

TEST(SmsAddress, EncodesNumbers) {
    EXPECT_EQ(Encode_Destination("+391234567890"), "0C91932143658709");
    EXPECT_EQ(Encode_Destination("3351234567"), "0A813315325476");
    EXPECT_EQ(Encode_Destination("+12345"), "05912143F5");
    EXPECT_EQ(Encode_Destination("12345"), "05812143F5");
    EXPECT_EQ(Encode_Destination(""), "0081");
    EXPECT_EQ(Encode_Destination("+"), "0091");
    EXPECT_EQ(Encode_Destination("*21#"), "04812AB1");
    EXPECT_EQ(Encode_Service_Centre("391234567890"), "0791932143658709");
    EXPECT_EQ(Encode_Service_Centre("12345"), "04912143F5");
}

TEST(SmsAddress, ValidatesNumbers) {
    EXPECT_FALSE(BadRecipientChar("+39333*12#"));
    EXPECT_FALSE(BadRecipientChar(""));
    EXPECT_EQ(BadRecipientChar("333 123"), U' ');
    EXPECT_EQ(BadRecipientChar("3+3"), U'+');
    EXPECT_EQ(BadRecipientChar("33a"), U'a');
    EXPECT_EQ(BadRecipientChar("33\x07"), U'\x07');
    EXPECT_FALSE(BadServiceCentreChar("+391234"));
    EXPECT_EQ(BadServiceCentreChar("39*1"), U'*');
    EXPECT_EQ(BadServiceCentreChar("++39"), U'+');
    EXPECT_EQ(ServiceCentreDigits("+391234"), "391234");
    EXPECT_EQ(ServiceCentreDigits("391234"), "391234");
}

SubmitRequest Hello() {
    return {"391234567890", "+391234567890", "hellohello"};
}

TEST(SmsBuilder, BuildsOnePartMessage) {
    BuildOutcome o = BuildSubmit(Hello());
    ASSERT_EQ(o.refusal, BuildRefusal::None);
    EXPECT_EQ(o.build.partCount(), 1);
    EXPECT_EQ(o.build.parts[0].Part_Pdu,
              "079193214365870911F30C919321436587090000FF0AE8329BFD4697D9EC37");
    EXPECT_EQ(o.build.parts[0].Part_Length, 23);
    EXPECT_EQ(o.build.Text3(), o.build.parts[0].Part_Pdu + "\r\r\r\r");

    SubmitRequest both = Hello();
    both.statusReport = both.flash = true;
    both.serviceCentre = "+391234567890";  // the plus is dropped
    o = BuildSubmit(both);
    EXPECT_EQ(o.build.parts[0].Part_Pdu,
              "079193214365870931F30C9193214365870900F0FF0AE8329BFD4697D9EC37");
    EXPECT_EQ(o.build.parts[0].Part_Length, 23);
}

TEST(SmsBuilder, SplitsLongTextBehindConcatenationHeaders) {
    SubmitRequest r = Hello();
    r.text = std::string(200, 'a');
    const BuildOutcome o = BuildSubmit(r);
    ASSERT_EQ(o.build.partCount(), 2);
    EXPECT_EQ(o.build.Pdu_First_Octet, "51");
    EXPECT_EQ(o.build.parts[0].Part_User_Data.substr(0, 20),
              "A0060804002402"
              "01E170");
    EXPECT_EQ(o.build.parts[0].Part_Length, 154);
    EXPECT_EQ(o.build.parts[1].Part_User_Data.substr(0, 20), "3806080400240202E170");
    EXPECT_EQ(o.build.parts[1].Part_User_Data.size(), 2u + 49 * 2);
    EXPECT_EQ(o.build.parts[1].Part_Length, 63);
    r.statusReport = true;
    EXPECT_EQ(BuildSubmit(r).build.Pdu_First_Octet, "71");
}

TEST(SmsBuilder, SplitBoundaries) {
    struct Case {
        std::size_t length;
        int parts;
        std::size_t lastPartChars;
    };
    const Case cases[] = {{0, 1, 0},   {160, 1, 160}, {161, 2, 9},  {304, 2, 152},
                          {305, 3, 1}, {456, 3, 152}, {457, 4, 1},  {608, 4, 152},
                          {609, 5, 1}, {760, 5, 152}, {900, 5, 152}};
    const std::uint8_t refs[] = {0, 0, 0x24, 0x29, 0x27, 0x26};
    for (const Case& c : cases) {
        SubmitRequest r = Hello();
        r.text = std::string(c.length, 'z');
        const PduBuild b = BuildSubmit(r).build;
        ASSERT_EQ(b.partCount(), c.parts) << c.length;
        EXPECT_EQ(b.Pdu_First_Octet, c.parts > 1 ? "51" : "11");
        EXPECT_EQ(SmsNeeded(c.length), c.length == 0 ? 0 : c.parts);
        for (int k = 1; k <= c.parts; ++k) {
            const std::string& ud = b.parts[k - 1].Part_User_Data;
            const std::size_t chars = k < c.parts ? (c.parts > 1 ? 152 : 0) : c.lastPartChars;
            const std::size_t septets = chars + (c.parts > 1 ? 8 : 0);
            EXPECT_EQ(std::stoul(ud.substr(0, 2), nullptr, 16), septets) << c.length << "/" << k;
            EXPECT_EQ(ud.size(), 2 + (septets * 7 + 7) / 8 * 2);
            if (c.parts > 1) {
                char header[32];
                std::snprintf(header, sizeof header, "06080400%02X%02X%02X", refs[c.parts], c.parts,
                              k);
                EXPECT_EQ(ud.substr(2, 14), header);
            }
        }
        for (int k = c.parts; k < 5; ++k)
            EXPECT_EQ(b.parts[k].Part_Pdu, "");
    }
}

TEST(SmsBuilder, CountsCharactersNotBytes) {
    SubmitRequest r = Hello();
    r.text = std::string(158, 'x') + "\r\n";  // a typed line break is two characters
    EXPECT_EQ(BuildSubmit(r).build.partCount(), 1);
    r.text = std::string(159, 'x') + "è";  // two bytes, one character
    EXPECT_EQ(BuildSubmit(r).build.partCount(), 1);
    r.text += "è";
    EXPECT_EQ(BuildSubmit(r).build.partCount(), 2);
}

TEST(SmsBuilder, RefusesWhatCannotBeSent) {
    auto refusal = [](SubmitRequest r, BuildRefusal expected, std::vector<char32_t> chars) {
        const BuildOutcome o = BuildSubmit(r);
        EXPECT_EQ(o.refusal, expected);
        EXPECT_EQ(o.offending, chars);
        EXPECT_EQ(o.build.Text3(), "\r\r\r\r");
        EXPECT_EQ(o.build.partCount(), 0);
    };
    SubmitRequest r = Hello();
    r.serviceCentre = "";
    refusal(r, BuildRefusal::ServiceCentreMissing, {});
    r.serviceCentre = "+";
    refusal(r, BuildRefusal::ServiceCentreMissing, {});
    r.serviceCentre = "39 12";
    refusal(r, BuildRefusal::BadServiceCentre, {U' '});
    r = Hello();
    r.recipient = "+39a";
    refusal(r, BuildRefusal::BadRecipient, {U'a'});
    r = Hello();
    r.text = "prezzo 5€ [sconto]\tá€";
    refusal(r, BuildRefusal::UnencodableText, {U'€', U'[', U']', U'\t', U'á'});
}

}  // namespace
}  // namespace bsms
