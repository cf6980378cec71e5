#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/text.h"
#include "sms/alphabet.h"
#include "sms/decoder.h"
#include "sms/pdu_builder.h"

namespace bsms {
namespace {

const std::string kCiao = "0791932143050000040C9193331332547600005021500151034004C374F80D";

// A DELIVER without service centre, from +46708251358, time stamp 05/12/05 10.15:30.
std::string Deliver(const std::string& firstOctet, const std::string& dcs, const std::string& ud) {
    return "00" + firstOctet + "0B916407281553F800" + dcs + "50215001510340" + ud;
}

Sms_Record Decode(std::string_view pdu) {
    return Decode_Sms_Deliver(pdu, {});
}

TEST(SmsDecoder, WorkedExample) {
    const std::string reply = "AT+CMGR=1\r\r\n+CMGR: 0,,23\r\n" + kCiao + "\r\n\r\nOK\r\n";
    EXPECT_EQ(Extract_Pdu(reply), kCiao);
    const Sms_Record r = Decode_Sms_Deliver(Extract_Pdu(reply), {"Bea (555)", "Anna (3331234567)"});
    EXPECT_EQ(r.Kind, SmsKind::Deliver);
    EXPECT_EQ(r.Service_Centre, "+391234500000");
    EXPECT_EQ(r.Sender_Number, "+393331234567");
    EXPECT_EQ(r.Sender, "Anna (3331234567)");
    EXPECT_EQ(r.Date_Time, "05/12/05  10.15:30");
    EXPECT_DOUBLE_EQ(r.Date_Key, 5377.3693);
    EXPECT_EQ(r.Text, "Ciao");
    EXPECT_EQ(Decode(reply.substr(0, 0)).Kind, SmsKind::Empty);
}

TEST(SmsDecoder, ExtractsThePduLine) {
    EXPECT_EQ(Extract_Pdu("AT+CMGR=3\n+CMGR: 1,,25\n" + kCiao + "\nOK\n"), kCiao);
    EXPECT_EQ(Extract_Pdu("+CMGR: 1,,25\r\n" + kCiao), kCiao);
    EXPECT_EQ(Extract_Pdu("AT+CMGR=3\r\r\nOK\r\n"), "");
    EXPECT_EQ(Extract_Pdu("AT+CMGR=3\r\n+CMGR: 0,,0\r\n\r\nOK\r\n"), "");
    EXPECT_EQ(Extract_Pdu("\r\n+CMGR: 1,,25"), "");
    EXPECT_EQ(Pdu_From_Input("  " + kCiao + "  \n"), kCiao);
    EXPECT_EQ(Pdu_From_Input("AT+CMGR=1\r\nOK\r\n"), "");
}

TEST(SmsDecoder, AddressesAndLookupAsThePhoneGivesThem) {
    // Service centre of type 81 and a sender with an odd number of digits.
    Sms_Record r = Decode(
        "0481214365"
        "04"
        "05812143F5"
        "0000"
        "50215001510340"
        "00");
    EXPECT_EQ(r.Service_Centre, "123456");
    EXPECT_EQ(r.Sender_Number, "12345");
    EXPECT_EQ(r.Text, "");
    // Lower-case hexadecimal reads the same as upper case.
    std::string lower = kCiao;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(Decode(lower).Text, "Ciao");
    EXPECT_EQ(Decode(lower).Sender_Number, "+393331234567");
    // Alphanumeric sender.
    EXPECT_EQ(Decode("0004"
                     "06D04F5904"
                     "000050215001510340"
                     "00")
                  .Sender_Number,
              "O2_");

    const std::vector<std::string> picker = {"Bob (0124)", "x23y", "Carl (+3912)", "ABC (7)"};
    EXPECT_EQ(Find_Sender("+39123", picker), "x23y");
    EXPECT_EQ(Find_Sender("+3912", picker), "Carl (+3912)");
    EXPECT_EQ(Find_Sender("3331234567", picker), "3331234567");
    EXPECT_EQ(Find_Sender("abc", picker), "ABC (7)");
    EXPECT_EQ(Find_Sender("", picker), "");
    EXPECT_EQ(Find_Sender("+39123", {}), "+39123");
}

TEST(SmsDecoder, ReadsCodingSchemesHeadersAndExtensions) {
    // Escape pairs: euro, bracket, a pair the extension table lacks, a trailing escape.
    EXPECT_EQ(Decode(Deliver("04", "00",
                             Pack_User_Data({}, {0x1B, 0x65, 0x1B, 0x3C, 0x1B, 0x41, 0x61, 0x1B})))
                  .Text,
              "€[Aa");
    // UCS2 with a surrogate pair, then a lone surrogate.
    EXPECT_EQ(Decode(Deliver("04", "08", "0AD83DDE000041D8000042")).Text, "😀A\uFFFDB");
    // 8-bit data as Windows-1252.
    EXPECT_EQ(Decode(Deliver("04", "04", "03804165")).Text, "€Ae");
    EXPECT_EQ(Decode(Deliver("04", "F4", "024142")).Text, "AB");
    // A concatenation header before 7-bit text: six octets, then one fill bit.
    const std::string ud = Pack_User_Data({0x05, 0x00, 0x03, 0x07, 0x02, 0x01}, {0x48, 0x69});
    EXPECT_EQ(ud.substr(0, 2), "09");
    EXPECT_EQ(Decode(Deliver("44", "00", ud)).Text, "Hi");
    const std::string shown = Decode(Deliver("04", "00", ud)).Text;  // no flag: header shown
    EXPECT_GT(shown.size(), 2u);
    EXPECT_EQ(shown.substr(shown.size() - 2), "Hi");
    // A header before UCS2 text.
    EXPECT_EQ(Decode(Deliver("44", "08", "0A050003070201004F004B")).Text, "OK");
    // The header claims more than there is.
    EXPECT_EQ(Decode(Deliver("44", "00", "03FF4142")).Text, "");
}

TEST(SmsDecoder, StoredSubmitAndStatusReport) {
    const BuildOutcome built = BuildSubmit({"391234567890", "+39333*1#", "pronto?", true, true});
    const Sms_Record s = Decode(built.build.parts[0].Part_Pdu);
    EXPECT_EQ(s.Kind, SmsKind::Submit);
    EXPECT_EQ(s.Service_Centre, "+391234567890");
    EXPECT_EQ(s.Sender_Number, "+39333A1B");
    EXPECT_EQ(s.Date_Time, "");
    EXPECT_EQ(s.Date_Key, 0);
    EXPECT_EQ(s.Text, "pronto?");

    const std::string report =
        "00"
        "06"
        "2A"
        "0B916407281553F8"
        "50215001510340"
        "50215001020340";
    Sms_Record r = Decode(report + "00");
    EXPECT_EQ(r.Kind, SmsKind::StatusReport);
    EXPECT_EQ(r.Sender_Number, "+46708251358");
    EXPECT_EQ(r.Date_Time, "05/12/05  10.15:30");
    EXPECT_EQ(r.Delivery_Status, 0);
    EXPECT_EQ(r.Text, "Delivered 05/12/05  10.20:30");
    EXPECT_EQ(Decode(report + "41").Text.rfind("Not delivered", 0), 0u);
    EXPECT_EQ(Decode(report + "20FFFFFF").Text.rfind("Pending", 0), 0u);
    EXPECT_EQ(Decode(report + "0006"
                              "00"
                              "02C834")
                  .Text,
              "Delivered 05/12/05  10.20:30\r\nHi");
}

TEST(SmsDecoder, SurvivesBrokenInput) {
    // Missing user data reads as septet 0 ("@"), apart from the carry of the last octet.
    EXPECT_EQ(Decode(Deliver("04", "00", "04C374")).Text, "Ci£@");
    // Every truncation of a real PDU, and absurd lengths everywhere.
    for (std::size_t n = 0; n <= kCiao.size(); ++n)
        Decode(kCiao.substr(0, n));
    EXPECT_EQ(Decode("FF").Service_Centre, "");
    Decode(std::string(600, 'F'));
    Decode("07zz!!" + kCiao);
    std::mt19937 rng(42);
    const std::string chars = "0123456789ABCDEFabcdef +\r\n\"xyz";
    for (int i = 0; i < 2000; ++i) {
        std::string s(rng() % 400, ' ');
        for (char& c : s)
            c = chars[rng() % chars.size()];
        const Sms_Record r = Decode(s);
        EXPECT_EQ(U32ToUtf8(Utf8ToU32(r.Text)), r.Text);  // always valid UTF-8
        Extract_Pdu("\n+CMGR:\n" + s);
    }
}

TEST(SmsDecoder, RoundTripThroughTheBuilder) {
    std::mt19937 rng(7);
    std::u32string alphabet;
    for (const std::string& e : Gsm_Alphabet())
        if (!e.empty()) alphabet += Utf8ToU32(e);
    for (int i = 0; i < 200; ++i) {
        std::u32string text(rng() % 761, U' ');
        for (char32_t& c : text)
            c = alphabet[rng() % alphabet.size()];
        const std::string utf8 = U32ToUtf8(text);
        const BuildOutcome o = BuildSubmit({"+4470", "0712345", utf8, i % 2 == 0, i % 3 == 0});
        ASSERT_EQ(o.refusal, BuildRefusal::None);
        std::string decoded;
        for (int k = 0; k < o.build.partCount(); ++k) {
            const Sms_Record r = Decode(o.build.parts[k].Part_Pdu);
            EXPECT_EQ(r.Sender_Number, "0712345");
            EXPECT_EQ(r.Service_Centre, "+4470");
            decoded += r.Text;
        }
        EXPECT_EQ(decoded, utf8) << i;
    }
}

}  // namespace
}  // namespace bsms
