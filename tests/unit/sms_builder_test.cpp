#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/text.h"
#include "pdu.h"
#include "sms/address.h"
#include "sms/alphabet.h"
#include "sms/decoder.h"
#include "sms/pdu_builder.h"

namespace bsms {
namespace {

TEST(SmsAddress, EncodesNumbers) {
    // International with its "+" (every PDU below has one); national, odd with its filler, empty.
    EXPECT_EQ(Encode_Destination("3351234567"), "0A813315325476");
    EXPECT_EQ(Encode_Destination("12345"), "05812143F5");
    EXPECT_EQ(Encode_Destination(""), "0081");
    EXPECT_EQ(Encode_Destination("*21#"), "04812AB1");
    EXPECT_EQ(Encode_Service_Centre("12345"), "04912143F5");
}

PduBuild Build(const std::string& text) {
    return BuildSubmit({"391234567890", "+391234567890", text}).build;
}

TEST(SmsBuilder, BuildsOnePartMessage) {
    const PduBuild plain = Build("hellohello");
    EXPECT_EQ(plain.parts[0].Part_Pdu,
              "079193214365870911F30C919321436587090000FF0AE8329BFD4697D9EC37");
    EXPECT_EQ(plain.parts[0].Part_Length, 23);
    EXPECT_EQ(plain.Text3(), plain.parts[0].Part_Pdu + "\r\r\r\r");

    // Both options, and a service centre typed with its "+", which is dropped.
    const PduBuild both =
        BuildSubmit({"+391234567890", "+391234567890", "hellohello", true, true}).build;
    EXPECT_EQ(both.parts[0].Part_Pdu,
              "079193214365870931F30C9193214365870900F0FF0AE8329BFD4697D9EC37");
    EXPECT_EQ(both.parts[0].Part_Length, 23);

    // Neither an empty recipient nor an empty text is refused; the phone decides.
    EXPECT_EQ(BuildSubmit({"39", "", ""}).build.parts[0].Part_Pdu, "02919311F300810000FF00");
}

TEST(SmsBuilder, SplitBoundaries) {
    // Text length, parts, characters in the last part.
    const int cases[][3] = {{0, 1, 0},   {160, 1, 160}, {161, 2, 9},   {304, 2, 152}, {305, 3, 1},
                            {457, 4, 1}, {609, 5, 1},   {760, 5, 152}, {900, 5, 152}};
    // Concatenation header up to the part number; the reference depends on the part count alone.
    const std::string refs[] = {
        "", "", "0608040024020", "0608040029030", "0608040027040", "0608040026050"};
    for (const auto& [length, parts, last] : cases) {
        const PduBuild b = Build(std::string(length, 'z'));
        ASSERT_EQ(b.partCount(), parts) << length;
        EXPECT_EQ(b.Pdu_First_Octet, parts > 1 ? "51" : "11");
        EXPECT_EQ(SmsNeeded(length), length == 0 ? 0 : parts);
        for (int k = 1; k <= parts; ++k) {
            const std::string& ud = b.parts[k - 1].Part_User_Data;
            const int septets = (k < parts ? 152 : last) + (parts > 1 ? 8 : 0);
            EXPECT_EQ(std::stoi(ud.substr(0, 2), nullptr, 16), septets) << length << "/" << k;
            EXPECT_EQ(static_cast<int>(ud.size()), 2 + (septets * 7 + 7) / 8 * 2);
            const std::string head = parts > 1 ? refs[parts] + std::to_string(k) : "";
            EXPECT_EQ(ud.substr(2, head.size()), head);
        }
        for (int k = parts; k < 5; ++k)
            EXPECT_EQ(b.parts[k].Part_Pdu, "");
    }
    // Characters are counted, not bytes; a typed line break is two of them.
    EXPECT_EQ(Build(std::string(158, 'x') + "\r\n").partCount(), 1);
    EXPECT_EQ(Build(std::string(159, 'x') + "è").partCount(), 1);
    EXPECT_EQ(Build(std::string(159, 'x') + "èè").partCount(), 2);
}

TEST(SmsBuilder, RefusesWhatCannotBeSent) {
    using R = BuildRefusal;
    // Service centre, recipient, text; the refusal and what it names.
    const std::tuple<std::string, std::string, std::string, R, std::vector<char32_t>> cases[] = {
        {"", "1", "x", R::ServiceCentreMissing, {}},
        {"+", "1", "x", R::ServiceCentreMissing, {}},
        {"39*1", "1", "x", R::BadServiceCentre, {U'*'}},
        {"++39", "1", "x", R::BadServiceCentre, {U'+'}},
        {"39", "+39a", "x", R::BadRecipient, {U'a'}},
        {"39", "3+3", "x", R::BadRecipient, {U'+'}},
        // An address holds at most 20 digits; "*" and "#" count, the "+" does not.
        {std::string(21, '3'), "1", "x", R::ServiceCentreTooLong, {}},
        {"39", std::string(20, '3') + "#", "x", R::RecipientTooLong, {}},
        {"39", "+" + std::string(300, '3'), "x", R::RecipientTooLong, {}},
        {std::string(20, '1'), "+" + std::string(19, '2') + "*", "x", R::None, {}},
    };
    for (const auto& [sc, to, text, refusal, offending] : cases) {
        const BuildOutcome o = BuildSubmit({sc, to, text});
        EXPECT_EQ(o.refusal, refusal) << sc << " " << to;
        EXPECT_EQ(o.offending, offending);
        EXPECT_EQ(o.build.partCount(), refusal == R::None ? 1 : 0);
        EXPECT_EQ(o.build.Text3() == "\r\r\r\r", refusal != R::None);
    }
}

// Every text goes out in the encoding it needs, split where the units of that encoding say,
// never between an escape and its character or within a surrogate pair; each part reads back
// through the decoder and is taken by the simulated phone's own check.
TEST(SmsBuilder, EveryTextReadsBackInTheEncodingItNeeds) {
    std::string alphabet;  // every character of both tables
    for (const std::string& c : Gsm_Alphabet())
        alphabet += c;
    for (int v = 0; v < 128; ++v)
        alphabet += Gsm_Extension(v);
    const std::string a = "a", l = "ł", emoji = "\U0001F600";
    const auto times = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    };
    const struct {
        const char* why;
        std::string text;
        bool flash;
        Encoding encoding;
        std::size_t parts, units, firstPartUnits;
        const char* dcs;
    } rows[] = {
        {"the alphabet alone, as ever", times(a, 160), false, Encoding::Gsm7, 1, 160, 160, "00"},
        {"one over a single SMS", times(a, 161), false, Encoding::Gsm7, 2, 161, 152, "00"},
        {"every character of both tables", alphabet, false, Encoding::Gsm7Extended, 1, 138, 138,
         "00"},
        {"an escape at the last septet of a part moves on", times(a, 151) + "€" + times(a, 20),
         false, Encoding::Gsm7Extended, 2, 173, 151, "00"},
        {"an escaped character that ends a part stays", times(a, 150) + "€" + times(a, 20), true,
         Encoding::Gsm7Extended, 2, 172, 152, "F0"},
        {"seventy UCS2 units in one SMS", times(l, 70), false, Encoding::Ucs2, 1, 70, 70, "08"},
        {"just past the alphabet's flat look-up", "\u0100\u00FF\t", true, Encoding::Ucs2, 1, 3, 3,
         "18"},
        {"seventy-one in two", times(l, 71), false, Encoding::Ucs2, 2, 71, 66, "08"},
        {"two full parts of 66", times(l, 132), false, Encoding::Ucs2, 2, 132, 66, "08"},
        {"one more unit, a third part", times(l, 133), true, Encoding::Ucs2, 3, 133, 66, "18"},
        {"a surrogate pair is never split", times(l, 65) + emoji + times(l, 10), false,
         Encoding::Ucs2, 2, 77, 65, "08"},
        {"five parts of 66", times(l, 330), false, Encoding::Ucs2, 5, 330, 66, "08"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        const MessagePlan plan = PlanMessage(row.text);
        EXPECT_EQ(plan.encoding, row.encoding);
        EXPECT_EQ(plan.parts, row.parts);
        EXPECT_EQ(plan.units, row.units);
        EXPECT_TRUE(plan.fits());
        EXPECT_EQ(plan.keptChars, CharCount(row.text));
        const BuildOutcome o = BuildSubmit({"+4470", "+39333*1#", row.text, false, row.flash});
        ASSERT_EQ(o.build.partCount(), static_cast<int>(row.parts));
        EXPECT_EQ(o.build.Pdu_Dcs, row.dcs);
        EXPECT_EQ(o.build.Pdu_First_Octet, row.parts > 1 ? "51" : "11");
        std::string decoded;
        for (std::size_t k = 0; k < row.parts; ++k) {
            const PduPart& part = o.build.parts[k];
            EXPECT_EQ(phonesim::CheckSubmit(part.Part_Pdu, part.Part_Length), "") << k;
            const Sms_Record r = Decode_Sms_Deliver(part.Part_Pdu, {});
            // A whole stored SUBMIT: the recipient as typed, and no time.
            EXPECT_EQ(std::tuple(r.Kind, r.Service_Centre, r.Sender_Number, r.Date_Time, r.Date_Key,
                                 r.octetsMissing),
                      std::tuple(SmsKind::Submit, "+4470", "+39333*1#", "", 0.0, 0u));
            decoded += r.Text;
        }
        EXPECT_EQ(decoded, row.text);
        // TP-UDL of the first part: septets or octets, the header's included.
        const std::size_t header = row.parts > 1 ? (row.encoding == Encoding::Ucs2 ? 7 : 8) : 0;
        const std::size_t udl =
            header + row.firstPartUnits * (row.encoding == Encoding::Ucs2 ? 2 : 1);
        EXPECT_EQ(std::stoul(o.build.parts[0].Part_User_Data.substr(0, 2), nullptr, 16), udl);
    }
    // Past five parts the text does not fit, and what is sent stops at the fifth.
    const MessagePlan over = PlanMessage(times(l, 331));
    EXPECT_EQ(over.parts, 6u);
    EXPECT_FALSE(over.fits());
    EXPECT_EQ(over.keptChars, 330u);
    EXPECT_EQ(PlanMessage(times(a, 759) + "€").parts, 6u);
    EXPECT_EQ(BuildSubmit({"39", "1", times(l, 400)}).build.partCount(), 5);
    // Malformed UTF-8 goes as Utf8ToU32 reads it: a stray byte, an overlong form, an encoded
    // surrogate and a cut sequence as Windows-1252.
    for (const std::string bad : {"Ж\x80", "Ж\xF0\x80\x80\x80", "Ж\xED\xBF\xBF", "Ж\xC3"}) {
        const PduBuild b = BuildSubmit({"39", "1", bad}).build;
        EXPECT_EQ(Decode_Sms_Deliver(b.parts[0].Part_Pdu, {}).Text, U32ToUtf8(Utf8ToU32(bad)));
    }
}

}  // namespace
}  // namespace bsms
