#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "base/text.h"
#include "sms/alphabet.h"
#include "sms/decoder.h"
#include "sms/pdu_builder.h"

namespace bsms {
namespace {

const std::string kCiao = "0791932143050000040C9193331332547600005021500151034004C374F80D";
// A status report without service centre: reference 2A, recipient +46708251358, time stamp
// 05/12/05 10.15:30, discharge time 10.20:30; TP-ST and the optional fields follow.
const std::string kReport = "00062A0B916407281553F85021500151034050215001020340";

// A DELIVER without service centre, from +46708251358, time stamp 05/12/05 10.15:30.
std::string Deliver(const std::string& firstOctet, const std::string& dcs, const std::string& ud) {
    return "00" + firstOctet + "0B916407281553F800" + dcs + "50215001510340" + ud;
}

Sms_Record Decode(std::string_view pdu) {
    return Decode_Sms_Deliver(pdu, {});
}

TEST(SmsDecoder, DeliverGivesCentreSenderTimeAndText) {
    const std::string reply = "AT+CMGR=1\r\r\n+CMGR: 0,,23\r\n" + kCiao + "\r\n\r\nOK\r\n";
    const Sms_Record r = Decode_Sms_Deliver(Extract_Pdu(reply), {"Bea (555)", "Anna (3331234567)"});
    EXPECT_EQ(std::tuple(r.Kind, r.Service_Centre, r.Sender_Number, r.Sender, r.Date_Time, r.Text,
                         r.octetsMissing),
              std::tuple(SmsKind::Deliver, "+391234500000", "+393331234567", "Anna (3331234567)",
                         "05/12/05  10.15:30", "Ciao", 0u));
    EXPECT_DOUBLE_EQ(r.Date_Key, 5377.3693);
    EXPECT_EQ(Decode(" \r\n").Kind, SmsKind::Empty);
    // The sender is the first picker entry holding the number.
    const std::vector<std::string> picker = {"Bob (0124)", "x23y", "Carl (+3912)", "ABC (7)"};
    EXPECT_EQ(Find_Sender("+39123", picker), "x23y");         // without its first four characters
    EXPECT_EQ(Find_Sender("+3912", picker), "Carl (+3912)");  // too short to lose them
    EXPECT_EQ(Find_Sender("3331234567", picker), "3331234567");
    EXPECT_EQ(Find_Sender("abc", picker), "ABC (7)");
    EXPECT_EQ(Find_Sender("", picker), "");
    EXPECT_EQ(Find_Sender("+39123", {}), "+39123");
}

TEST(SmsDecoder, ReplyWithoutPduLineHoldsNoPdu) {
    // The input; what Extract_Pdu and what Pdu_From_Input find in it.
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"AT+CMGR=3\n+CMGR: 1,,25\n" + kCiao + "  \nOK\n", kCiao, kCiao},  // LF alone ends lines
        {"+CMGR: 1,,25\r\n" + kCiao, kCiao, kCiao},                        // no final OK yet
        {"AT+CMGR=3\r+CMGR: 1,,25\r" + kCiao + "\r\rOK\r", kCiao, kCiao},  // CR alone too
        {"+CMGR: 1,,25\r\n09" + kCiao.substr(2), "09" + kCiao.substr(2), "09" + kCiao.substr(2)},
        {"  " + kCiao + "  \n", "", kCiao},  // pasted by hand: no header needed
        {"AT+CMGR=3\r\r\nOK\r\n", "", ""},   // an empty location
        {"AT+CMGR=3\r\n+CMGR: 0,,0\r\n\r\nOK\r\n", "", ""},
        {"\r\n+CMGR: 1,,25", "", ""},  // the header alone
        // A result code where the PDU should stand, or alone: no PDU.
        {"AT+CMGR=3\r\r\n+CMGR: 0,,0\r\nOK\r\n", "", ""},
        {"AT+CMGR=3\r\r\n+CMGR: 0,,0\r\n+CMS ERROR: 321\r\n", "", ""},
        {"+CMS ERROR: 321\r\nERROR\r\n+CME ERROR: 10\r\nCOMMAND NOT SUPPORT\r\n", "", ""},
    };
    for (const auto& [input, extracted, pasted] : rows)
        EXPECT_EQ(std::pair(Extract_Pdu(input), Pdu_From_Input(input)),
                  std::pair(extracted, pasted))
            << input;
}

// A location past what a record holds, or past an int, is no entry: the phone's number is
// never read cut to a smaller one.
TEST(SmsDecoder, ListingLeavesOutLocationsNoRecordHolds) {
    const std::vector<ListedPdu> entries = Extract_Listing(
        "+CMGL: 32767,1,,23\r\n07\r\n+CMGL: 32768,1,,23\r\n07\r\n+CMGL: 4294967297,1,,0\r\n07");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].index, 32767);
    EXPECT_EQ(entries[0].status, 1);
    // The stored status, as the listing and a read give it: unread, or not told.
    EXPECT_EQ(Extract_Listing("+CMGL: 2,0,,23\r\n07\r\n+CMGL: 3,,,23\r\n07")[0].status, 0);
    EXPECT_EQ(Extract_Listing("+CMGL: 3,,,23\r\n07")[0].status, -1);
    EXPECT_EQ(StoredStatusOf("AT+CMGR=4\r\r\n+CMGR: 3,,23\r\n07"), 3);
    EXPECT_EQ(StoredStatusOf("+CMGR: 12,,23"), -1);
    EXPECT_EQ(StoredStatusOf("+CMGR: 0"), 0);
    EXPECT_EQ(StoredStatusOf("+CMS ERROR: 321"), -1);
}

TEST(SmsDecoder, AddressesHoldExactlyTheDigitsTheirLengthSays) {
    const std::string digits = "0B916407281553";  // 11 digits +46708251358, filler half-octet next
    const std::tuple<std::string, std::string, std::string> rows[] = {
        // PDU, centre, number
        // National centre (A1) and an unknown-type sender (81) of an odd digit count: no "+".
        {"04A12143650405812143F500005021500151034000", "123456", "12345"},
        {"0791932143050000040c9193331332547600005021500151034004c374f80d", "+391234500000",
         "+393331234567"},                                  // lower-case hexadecimal
        {"000406D04F590400005021500151034000", "", "O2_"},  // alphanumeric sender
        // One network fills with "0", not "F": sender, stored SUBMIT's recipient, report's.
        {"0004" + digits + "0800005021500151034000", "", "+46708251358"},
        {"0011F3" + digits + "080000FF00", "", "+46708251358"},
        {"00062A" + digits + "0850215001510340502150010203400000", "", "+46708251358"},
        // Semi-octets A to E are "*", "#", "a", "b", "c", in numbers and in the centre.
        {"0011F304812AB10000FF00", "", "*21#"},
        {"00040481C1ED00005021500151034000", "", "1abc"},
        {"03912A1B04" + digits + "F800005021500151034000", "+*2#1", "+46708251358"},
    };
    for (const auto& [pdu, centre, number] : rows) {
        const Sms_Record r = Decode(pdu);
        EXPECT_EQ(std::pair(r.Service_Centre, r.Sender_Number), std::pair(centre, number)) << pdu;
    }
}

TEST(SmsDecoder, ReadsCodingSchemesHeadersAndNationalTables) {
    using P = std::vector<std::uint8_t>;
    const auto ud = [](const P& header, const P& septets) {
        return Pack_User_Data(header, septets);
    };
    const std::string hi = ud({0x05, 0x00, 0x03, 0x07, 0x02, 0x01}, {0x48, 0x69});
    // First octet, coding scheme, user data, text.
    const std::tuple<const char*, const char*, std::string, const char*> rows[] = {
        // Escape pairs: euro, bracket, one the extension table lacks, a trailing escape.
        {"04", "00", ud({}, {0x1B, 0x65, 0x1B, 0x3C, 0x1B, 0x41, 0x61, 0x1B}), "€[Aa"},
        {"04", "08", "0AD83DDE000041D8000042", "😀A\uFFFDB"},  // UCS2, then a lone surrogate
        {"04", "04", "03804165", "€Ae"},                      // 8-bit data as Windows-1252
        {"04", "F4", "024142", "AB"},
        {"44", "00", hi, "Hi"},         // a concatenation header, then one fill bit
        {"04", "00", hi, "é@ø8  @Hi"},  // the same without the flag: the header shows as text
        {"44", "08", "0A050003070201004F004B", "OK"},
        {"44", "00", "03FF4142", ""},  // the header claims more than there is
        // Missing user data reads as septet 0 ("@"), apart from the carry of the last octet.
        {"04", "00", "04C374", "Ci£@"},
        // Ordinary 7-bit texts padded with zero octets to UCS2's length: never taken for UCS2.
        {"04", "00", "0CE374F80D0A83E8753A3D0D00", "ciao a tutti"},
        {"04", "00", "1AC334C85E26A7C3ED3788FC6E87DD695098CD2E8362B010000000",
         "Ci vediamo domani alle 10!"},
        // UCS2 stored under a 7-bit coding scheme, TP-UDL counting its octets (a real phone's).
        {"04", "00", "12042204350441044200200054006500730074", "Тест Test"},
        {"04", "F1", "0C004800650079002100210021", "Hey!!!"},
        {"04", "00", "09000000000000000000", "@@@@@@@@@"},  // an odd length is never UCS2
        // National tables (0x24 single shift, 0x25 locking): Turkish locking shift.
        {"44", "00", ud({3, 0x25, 1, 1}, {0x07, 0x40, 0x1C, 0x60, 0x04}), "ıİŞç€"},
        // Turkish single shift over the default table: G breve by escape, plain ì without.
        {"44", "00", ud({3, 0x24, 1, 1}, {0x1B, 0x47, 0x1B, 0x67, 0x1B, 0x65, 0x07}), "Ğğ€ì"},
        // Spanish single shift; a pair it lacks shows the second septet, as phones do.
        {"44", "00", ud({3, 0x24, 1, 2}, {0x1B, 0x41, 0x1B, 0x69, 0x1B, 0x3C, 0x1B, 0x07}), "Áí[ì"},
        {"44", "00", ud({3, 0x25, 1, 2}, {0x07, 0x7D}), "ìñ"},  // no Spanish locking table
        // Portuguese both ways, behind a concatenation header.
        {"44", "00",
         ud({0x0B, 0, 3, 0x42, 2, 1, 0x24, 1, 3, 0x25, 1, 3},
            {0x12, 0x60, 0x7D, 0x1B, 0x5B, 0x1B, 0x0C}),
         "ª~`Ãô"},
        {"44", "00", ud({6, 0x24, 1, 13, 0x25, 1, 13}, {0x07, 0x1B, 0x3C}), "ì["},  // Urdu: lacking
        {"44", "00", ud({3, 0x25, 5, 1}, {0x07}), "ì"},  // an element past the header is none
    };
    for (const auto& [firstOctet, dcs, ud, text] : rows)
        EXPECT_EQ(Decode(Deliver(firstOctet, dcs, ud)).Text, text) << ud;
    // The coding as read: UCS2 under a 7-bit scheme counts as UCS2.
    for (const auto& [dcs, ud, coding] :
         {std::tuple("00", "0141", SmsCoding::Gsm7), std::tuple("04", "0141", SmsCoding::Eight),
          std::tuple("F4", "0141", SmsCoding::Eight), std::tuple("08", "020041", SmsCoding::Ucs2),
          std::tuple("00", "0C004800650079002100210021", SmsCoding::Ucs2)})
        EXPECT_EQ(Decode(Deliver("04", dcs, ud)).coding, coding) << dcs << ud;
    // Only the concatenation elements, 8-bit and 16-bit, name a long message's reference, total
    // and part: not a text-formatting element of the same length.
    const auto concat = [&](const P& header) {
        const Sms_Record r = Decode(Deliver("44", "00", ud(header, {0x41})));
        return std::tuple(r.concatRef, r.concatTotal, r.concatPart);
    };
    EXPECT_EQ(concat({5, 0, 3, 7, 2, 1}), std::tuple(7, 2, 1));
    EXPECT_EQ(concat({6, 8, 4, 1, 2, 3, 2}), std::tuple(0x102, 3, 2));
    EXPECT_EQ(concat({5, 0x0A, 3, 0, 2, 1}), std::tuple(-1, 0, 0));
    EXPECT_EQ(concat({6, 0x0A, 4, 0, 1, 2, 1}), std::tuple(-1, 0, 0));
}

TEST(SmsDecoder, CutStatusReportNeverClaimsDelivery) {
    // The report, its status, its text, whether it is flagged as cut.
    const std::tuple<std::string, int, const char*, bool> rows[] = {
        {kReport + "00", 0, "Delivered 05/12/05  10.20:30", false},
        {kReport + "41", 0x41, "Not delivered 05/12/05  10.20:30", false},
        // FF where the parameter indicator stands is some phones' padding.
        {kReport + "20FFFFFF", 0x20, "Pending 05/12/05  10.20:30", false},
        // The indicator promises fields that are not there, or holds coding and user data.
        {kReport + "0007", 0, "Delivered 05/12/05  10.20:30", true},
        {kReport + "00060002C834", 0, "Delivered 05/12/05  10.20:30\r\nHi", false},
        // Cut before the status, or inside the discharge time: the status is unknown.
        {kReport, -1, "Status unknown 05/12/05  10.20:30", true},
        {kReport.substr(0, kReport.size() - 6), -1, "Status unknown 05/12/05  10.00:00", true},
    };
    for (const auto& [pdu, status, text, cut] : rows) {
        const Sms_Record r = Decode(pdu);
        EXPECT_EQ(std::tuple(r.Kind, r.Sender_Number, r.Date_Time, r.serviceCentreTime,
                             r.Delivery_Status, r.Text, r.octetsMissing > 0),
                  std::tuple(SmsKind::StatusReport, "+46708251358", "05/12/05  10.15:30",
                             1133774130, status, text, cut))
            << pdu;
    }
}

TEST(SmsDecoder, ServiceCentreTimeIsUtcOrMinusOne) {
    const std::pair<const char*, std::int64_t> rows[] = {
        {"50215001510340", 1133774130},  // 05/12/05 10.15:30 an hour east: 09.15:30 UTC
        {"5021500151030A", 1133795730},  // five hours west
        {"00209200000000", 951782400},   // 2000 is a leap year
        {"42301000000000", 1709251200},  // so is 2024, before March
        {"99211332959500", 4102444799},  // the last second of 2099
        {"10209200000000", -1},          // 2001 is none
        {"50111300000000", -1},          // November 31
        {"50310100000000", -1},          // month 13
        {"50215042000000", -1},          // hour 24
        {"50215001510F40", -1},          // a semi-octet above 9
        {"502150015103A0", -1},          // in the time zone too
    };
    const std::string head = "00040B916407281553F80000";
    for (const auto& [stamp, seconds] : rows)
        EXPECT_EQ(Decode(head + stamp + "00").serviceCentreTime, seconds) << stamp;
    // Its own zone is kept, for times shown with their offset.
    EXPECT_EQ(Decode(head + "5021500151030A00").zoneMinutes, -300);
    EXPECT_EQ(Decode(head + "5021500151034000").zoneMinutes, 60);
    EXPECT_EQ(Decode(head + "502150015103").serviceCentreTime, -1);  // cut before the zone
}

TEST(SmsDecoder, CutPduIsFlagged) {
    // Every cut of a real PDU is flagged, the whole one is not; nor is a whole one with text after.
    for (std::size_t n = 1; n < kCiao.size(); ++n)
        EXPECT_GT(Decode(kCiao.substr(0, n)).octetsMissing, 0u) << n;
    EXPECT_EQ(Decode(kCiao + "FF").octetsMissing, 0u);
    // Six septets take six octets, of which three are there.
    EXPECT_EQ(Decode(Deliver("04", "00", "06C374F8")).octetsMissing, 3u);
}

}  // namespace
}  // namespace bsms
