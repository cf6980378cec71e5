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
    const Sms_Record r = Decode_Sms_Deliver(Extract_Pdu(reply), {"Bea (555)", "Anna (3331234567)"});
    EXPECT_EQ(r.Kind, SmsKind::Deliver);
    EXPECT_EQ(r.Service_Centre, "+391234500000");
    EXPECT_EQ(r.Sender_Number, "+393331234567");
    EXPECT_EQ(r.Sender, "Anna (3331234567)");
    EXPECT_EQ(r.Date_Time, "05/12/05  10.15:30");
    EXPECT_DOUBLE_EQ(r.Date_Key, 5377.3693);
    EXPECT_EQ(r.Text, "Ciao");
    EXPECT_EQ(r.octetsMissing, 0u);
    EXPECT_EQ(Decode("").Kind, SmsKind::Empty);
}

TEST(SmsDecoder, ExtractsThePduLineAndNothingElse) {
    const std::pair<std::string, std::string> cases[] = {
        {"AT+CMGR=3\n+CMGR: 1,,25\n" + kCiao + "\nOK\n", kCiao},  // LF alone ends lines too
        {"+CMGR: 1,,25\r\n" + kCiao, kCiao},                      // no final OK yet
        {"AT+CMGR=3\r\r\nOK\r\n", ""},                            // an empty location
        {"AT+CMGR=3\r\n+CMGR: 0,,0\r\n\r\nOK\r\n", ""},
        {"\r\n+CMGR: 1,,25", ""},  // the header alone
        // A header followed by a result code, not a PDU: still an empty location.
        {"AT+CMGR=3\r\r\n+CMGR: 0,,0\r\nOK\r\n", ""},
        {"AT+CMGR=3\r\r\n+CMGR: 0,,0\r\n+CMS ERROR: 321\r\n", ""},
    };
    for (const auto& [reply, pdu] : cases)
        EXPECT_EQ(Extract_Pdu(reply), pdu) << reply;
}

TEST(SmsDecoder, BarePduInputSkipsEverythingThatIsNoPdu) {
    const std::pair<std::string, std::string> cases[] = {
        {"  " + kCiao + "  \n", kCiao},
        {"AT+CMGR=1\r\nOK\r\n", ""},
        {"+CMS ERROR: 321\r\n", ""},  // an error reply holds no PDU
        {"ERROR\r\n", ""},
        {"+CME ERROR: 10\r\n", ""},
        {"COMMAND NOT SUPPORT\r\n", ""},
        {"AT+CMGR=1\r\r\n+CMGR: 0,,23\r\n" + kCiao + "\r\nOK", kCiao},
    };
    for (const auto& [input, pdu] : cases)
        EXPECT_EQ(Pdu_From_Input(input), pdu) << input;
}

TEST(SmsDecoder, AddressesAndLookupAsThePhoneGivesThem) {
    // Types other than 91 have no "+": a national service centre (A1) and an unknown-type sender
    // (81) with an odd number of digits. First octet 04, no user data.
    const Sms_Record r = Decode("04A12143650405812143F500005021500151034000");
    EXPECT_EQ(r.Service_Centre, "123456");
    EXPECT_EQ(r.Sender_Number, "12345");
    EXPECT_EQ(r.Text, "");
    // Lower-case hexadecimal reads the same as upper case.
    const Sms_Record lower =
        Decode("0791932143050000040c9193331332547600005021500151034004c374f80d");
    EXPECT_EQ(lower.Text, "Ciao");
    EXPECT_EQ(lower.Sender_Number, "+393331234567");
    // No service centre at all, and an alphanumeric sender (type D0).
    EXPECT_EQ(Decode("000406D04F590400005021500151034000").Sender_Number, "O2_");

    const std::vector<std::string> picker = {"Bob (0124)", "x23y", "Carl (+3912)", "ABC (7)"};
    EXPECT_EQ(Find_Sender("+39123", picker), "x23y");
    EXPECT_EQ(Find_Sender("+3912", picker), "Carl (+3912)");
    EXPECT_EQ(Find_Sender("3331234567", picker), "3331234567");
    EXPECT_EQ(Find_Sender("abc", picker), "ABC (7)");
    EXPECT_EQ(Find_Sender("", picker), "");
    EXPECT_EQ(Find_Sender("+39123", {}), "+39123");
}

TEST(SmsDecoder, AddressesHoldExactlyTheDigitsTheirLengthSays) {
    // 11 digits +46708251358; the filler half-octet of the last pair is "F" or, on one network,
    // "0".
    const std::string digits = "6407281553";
    const std::pair<std::string, std::string> cases[] = {
        // Sender of a DELIVER, filler 0.
        {"00040B91" + digits + "0800005021500151034000", "+46708251358"},
        // Recipient of a stored SUBMIT, filler 0.
        {"0011F30B91" + digits + "080000FF00", "+46708251358"},
        // Recipient of a status report, filler 0.
        {"00062A0B91" + digits + "0850215001510340502150010203400000", "+46708251358"},
        // Semi-octets A to E are "*", "#", "a", "b", "c" (recipient *21#, sender 1abc).
        {"0011F30481" + std::string("2AB1") + "0000FF00", "*21#"},
        {"00040481C1ED00005021500151034000", "1abc"},
    };
    for (const auto& [pdu, number] : cases)
        EXPECT_EQ(Decode(pdu).Sender_Number, number) << pdu;
    // A service centre's digits fill its octets; A and B read as "*" and "#" there too.
    EXPECT_EQ(Decode("03912A1B040B91" + digits + "F800005021500151034000").Service_Centre, "+*2#1");
}

// Septets of text as a message of the default alphabet would carry them.
std::string Packed(const std::string& text) {
    std::vector<std::uint8_t> septets;
    for (char32_t c : Utf8ToU32(text))
        septets.push_back(static_cast<std::uint8_t>(SeptetOf(c)));
    return Pack_User_Data({}, septets);
}

TEST(SmsDecoder, ReadsCodingSchemesHeadersAndExtensions) {
    const std::string hi = Pack_User_Data({0x05, 0x00, 0x03, 0x07, 0x02, 0x01}, {0x48, 0x69});
    const struct {
        const char *firstOctet, *dcs;
        std::string ud;
        const char* text;
    } cases[] = {
        // Escape pairs: euro, bracket, one the extension table lacks, a trailing escape.
        {"04", "00", Pack_User_Data({}, {0x1B, 0x65, 0x1B, 0x3C, 0x1B, 0x41, 0x61, 0x1B}), "€[Aa"},
        {"04", "08", "0AD83DDE000041D8000042", "😀A\uFFFDB"},  // UCS2, then a lone surrogate
        {"04", "04", "03804165", "€Ae"},                      // 8-bit data as Windows-1252
        {"04", "F4", "024142", "AB"},
        {"44", "00", hi, "Hi"},         // a concatenation header, then one fill bit
        {"04", "00", hi, "é@ø8  @Hi"},  // the same without the flag: the header shows as text
        {"44", "08", "0A050003070201004F004B", "OK"},
        {"44", "00", "03FF4142", ""},  // the header claims more than there is
        // Missing user data reads as septet 0 ("@"), apart from the carry of the last octet.
        {"04", "00", "04C374", "Ci£@"},
        // Ordinary 7-bit texts whose last octet is padding: never taken for UCS2.
        {"04", "00", Packed("ciao a tutti") + "00", "ciao a tutti"},
        {"04", "00", Packed("see you at 8") + "00", "see you at 8"},
        {"04", "00", Packed("call me back") + "00", "call me back"},
        {"04", "00", Packed("Ci vediamo domani alle 10!") + "000000", "Ci vediamo domani alle 10!"},
        // UCS2 stored under a 7-bit coding scheme, TP-UDL counting its octets (a real phone's).
        {"04", "00", "12042204350441044200200054006500730074", "Тест Test"},
        {"04", "F1", "0C004800650079002100210021", "Hey!!!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(Deliver(c.firstOctet, c.dcs, c.ud)).Text, c.text) << c.ud;
}

TEST(SmsDecoder, NationalLanguageTablesOfTheHeaderApply) {
    // User data header: one or two information elements, 0x24 single shift, 0x25 locking shift;
    // languages 1 Turkish, 2 Spanish, 3 Portuguese.
    using H = std::vector<std::uint8_t>;
    const struct {
        H header;
        std::vector<std::uint8_t> septets;
        const char* text;
    } cases[] = {
        // Turkish locking shift: dotless and dotted i, S cedilla, c cedilla, the euro at 0x04.
        {{0x03, 0x25, 0x01, 0x01}, {0x07, 0x40, 0x1C, 0x60, 0x04}, "ıİŞç€"},
        // Turkish single shift over the default table: G breve by escape, plain ì without.
        {{0x03, 0x24, 0x01, 0x01}, {0x1B, 0x47, 0x1B, 0x67, 0x1B, 0x65, 0x07}, "Ğğ€ì"},
        // Spanish single shift; a pair it lacks shows the second septet, as phones do.
        {{0x03, 0x24, 0x01, 0x02}, {0x1B, 0x41, 0x1B, 0x69, 0x1B, 0x3C, 0x1B, 0x07}, "Áí[ì"},
        // Spanish has no locking shift table: the default one stands.
        {{0x03, 0x25, 0x01, 0x02}, {0x07, 0x7D}, "ìñ"},
        // Portuguese both ways, behind a concatenation header.
        {{0x0B, 0x00, 0x03, 0x42, 0x02, 0x01, 0x24, 0x01, 0x03, 0x25, 0x01, 0x03},
         {0x12, 0x60, 0x7D, 0x1B, 0x5B, 0x1B, 0x0C},
         "ª~`Ãô"},
        // A language this program lacks (Urdu, 13): the default tables.
        {{0x06, 0x24, 0x01, 0x0D, 0x25, 0x01, 0x0D}, {0x07, 0x1B, 0x3C}, "ì["},
        // An element that runs past the header is no element.
        {{0x03, 0x25, 0x05, 0x01}, {0x07}, "ì"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Decode(Deliver("44", "00", Pack_User_Data(c.header, c.septets))).Text, c.text)
            << c.text;
}

TEST(SmsDecoder, StatusReportTellsDeliveryAndItsText) {
    // No service centre, first octet 06, message reference 2A, recipient, service-centre time
    // stamp, discharge time; TP-ST and the optional fields follow.
    const std::string report = "00062A0B916407281553F85021500151034050215001020340";
    const Sms_Record r = Decode(report + "00");
    EXPECT_EQ(r.Kind, SmsKind::StatusReport);
    EXPECT_EQ(r.Sender_Number, "+46708251358");
    EXPECT_EQ(r.Date_Time, "05/12/05  10.15:30");
    EXPECT_EQ(r.Delivery_Status, 0);
    EXPECT_EQ(r.Text, "Delivered 05/12/05  10.20:30");
    EXPECT_EQ(Decode(report + "41").Text.rfind("Not delivered", 0), 0u);
    EXPECT_EQ(Decode(report + "20FFFFFF").Text.rfind("Pending", 0), 0u);
    // Parameter indicator: coding scheme and user data present.
    EXPECT_EQ(Decode(report + "00060002C834").Text, "Delivered 05/12/05  10.20:30\r\nHi");
}

TEST(SmsDecoder, CutStatusReportNeverClaimsDelivery) {
    const std::string report = "00062A0B916407281553F85021500151034050215001020340";
    // Cut before the status, or inside the discharge time: the status is unknown.
    for (const std::string& cut : {report, report.substr(0, report.size() - 6)}) {
        const Sms_Record r = Decode(cut);
        EXPECT_EQ(r.Kind, SmsKind::StatusReport);
        EXPECT_EQ(r.Delivery_Status, -1) << cut;
        EXPECT_EQ(r.Text.rfind("Status unknown", 0), 0u) << r.Text;
        EXPECT_GT(r.octetsMissing, 0u);
    }
    EXPECT_EQ(Delivery_Status_Text(-1), "Status unknown");
}

TEST(SmsDecoder, CutPduIsFlagged) {
    // Every cut of a real PDU is flagged, the whole one is not; nor is a whole one with text after.
    for (std::size_t n = 2; n < kCiao.size(); ++n)
        EXPECT_GT(Decode(kCiao.substr(0, n)).octetsMissing, 0u) << n;
    EXPECT_EQ(Decode(kCiao).octetsMissing, 0u);
    EXPECT_EQ(Decode(kCiao + "FF").octetsMissing, 0u);
    // Six septets take six octets, of which three are there.
    EXPECT_EQ(Decode(Deliver("04", "00", "06C374F8")).octetsMissing, 3u);
}

TEST(SmsDecoder, SurvivesBrokenInput) {
    // Every truncation of a real PDU, and absurd lengths everywhere.
    for (std::size_t n = 0; n <= kCiao.size(); ++n)
        Decode(kCiao.substr(0, n));
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
        const BuildOutcome o = BuildSubmit({"+4470", "+39333*1#", utf8, i % 2 == 0, i % 3 == 0});
        ASSERT_EQ(o.refusal, BuildRefusal::None);
        std::string decoded;
        for (int k = 0; k < o.build.partCount(); ++k) {
            const Sms_Record r = Decode(o.build.parts[k].Part_Pdu);
            // Read back as a stored SUBMIT: the recipient as typed, and no time.
            EXPECT_EQ(r.Kind, SmsKind::Submit);
            EXPECT_EQ(r.Service_Centre, "+4470");
            EXPECT_EQ(r.Sender_Number, "+39333*1#");
            EXPECT_TRUE(r.Date_Time.empty() && r.Date_Key == 0);
            EXPECT_EQ(r.octetsMissing, 0u);
            decoded += r.Text;
        }
        EXPECT_EQ(decoded, utf8) << i;
    }
}

}  // namespace
}  // namespace bsms
