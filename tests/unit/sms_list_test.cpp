// The listing alone: the parts of long messages joined, reports paired with the parts sent from
// here, records no longer on the phone.
#include <gtest/gtest.h>

#include "browser/sms_list.h"
#include "test_support.h"

// Records are built with designated initializers: the fields left out keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace bsms {
namespace {

constexpr std::int64_t kTen = 1796551200;  // 2026/12/06 10:00:00 UTC
constexpr std::int64_t kNoon = kTen + 7200;

// Part `part` of `total` (reference `ref`; -1: a message of one part) from +393471112223 at
// location `id`, stamped `time`; -1 for a stored SUBMIT, which has no stamp. Its text and its
// date are its name.
Sms_Record Part(int id, const char* name, int part, std::int64_t time, int total = 2,
                int ref = 0x24) {
    return {.Id = static_cast<std::int16_t>(id),
            .Date_Time = name,
            .Text = name,
            .Sender_Number = "+393471112223",
            .Kind = time < 0 ? SmsKind::Submit : SmsKind::Deliver,
            .concatRef = ref,
            .concatTotal = total,
            .concatPart = part,
            .serviceCentreTime = time};
}

// A report on reference `ref` to `number`, stamped `time`, at location `id` (0: not on the phone).
Sms_Record Report(int id, std::int64_t time, int status, int ref = 5,
                  const char* number = "+393331234567") {
    return {.Id = static_cast<std::int16_t>(id),
            .Text = "x",
            .Sender_Number = number,
            .Kind = SmsKind::StatusReport,
            .Delivery_Status = status,
            .reportRef = ref,
            .serviceCentreTime = time};
}

// Each row of the listing of `sorted`: its "Id" cell, text and date.
std::string Listed(std::vector<Sms_Record> sorted, const std::vector<SentPart>& sent = {}) {
    sorted.insert(sorted.begin(), Sms_Record{});  // position 0 is left out
    std::string out;
    for (const ListedMessage& m : Listing(sorted, sent, {"[?]", "Ok", "Wait", "Failed", "None"}))
        out += LocationsText(m.locations) + " " + m.record.Text + " @" + m.record.Date_Time + "\n";
    return out;
}

// A long message is one row where its first part read stands, its text in part order, a part
// not read marked, dated by its lowest part. Users of this program send every two-part message
// under reference 0x24: each part joins, in the order they were stored, the message lacking its
// number whose time stamps are nearest its own, so that two messages are not joined crosswise.
TEST(Listing, LongMessagesAreOneRowEachNeverJoinedCrosswise) {
    const struct {
        std::vector<Sms_Record> sorted;
        const char* listed;
    } rows[] = {
        {{Part(1, "B", 2, kTen, 3), Part(6, "Ciao", 0, kTen + 1, 0, -1),
          Part(2, "A", 1, kTen + 5, 3), Part(3, "C", 3, kTen + 9, 3)},
         "2,1,3 ABC @A\n6 Ciao @Ciao\n"},
        {{Part(4, "two", 2, kTen, 2, 0)}, "4 [?]two @two\n"},  // reference 0 is one too
        // B sent right after A, A's second part delayed: stored A1, B1, B2, A2.
        {{Part(1, "A1", 1, kTen), Part(2, "B1", 1, kTen + 60), Part(3, "B2", 2, kTen + 61),
          Part(4, "A2", 2, kTen + 900)},
         "1,4 A1A2 @A1\n2,3 B1B2 @B1\n"},
        // As near to one as to the other: the first in location order.
        {{Part(1, "A1", 1, kTen), Part(3, "X2", 2, kTen + 10), Part(2, "B1", 1, kTen + 20)},
         "1,3 A1X2 @A1\n2 B1[?] @B1\n"},
        // Stored SUBMITs bear no time: the first in location order, as they are stored together.
        {{Part(1, "A1", 1, -1), Part(2, "A2", 2, -1), Part(3, "B1", 1, -1), Part(4, "B2", 2, -1)},
         "1,2 A1A2 @A1\n3,4 B1B2 @B1\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Listed(row.sorted), row.listed);
}

// The reports on one sent message are one row: failed when any part failed, pending when any is.
// References wrap every 256 sends and some modems restart them at power-on: a report is on the
// part sent latest before it, allowing for the two clocks, never on one sent after it.
TEST(Listing, AReportIsTheOutcomeOfThePartSentLatestBeforeIt) {
    test::UseUtc();
    const std::vector<SentPart> sent = {{5, "+393331234567", "2026/12/06 10:00:00", "Old"},
                                        {5, "3331234567", "2026/12/06 12:00:00", "New"},
                                        {6, "3331234567", "2026/12/06 12:00:00", "New"}};
    const struct {
        std::vector<Sms_Record> sorted;
        const char* listed;
    } rows[] = {
        {{Report(1, kNoon, 0), Report(2, kNoon, 0x20, 6)}, "1,2 Wait: New @\n"},
        {{Report(1, kNoon, 0x41, 6), Report(3, kNoon, 0x20)}, "1,3 Failed: New @\n"},
        // A reference never given, or given for another number.
        {{Report(1, kNoon, 0, 9)}, "1 None (Ok) @\n"},
        {{Report(1, kNoon, 0, 5, "+393339999999")}, "1 None (Ok) @\n"},
        // An old failure and a new delivery are each their own message's outcome.
        {{Report(1, kTen + 30, 0x41), Report(2, kNoon + 30, 0)}, "1 Failed: Old @\n2 Ok: New @\n"},
        // The network's clock two minutes behind the computer's, and a second more.
        {{Report(1, kNoon - kClockSkewSeconds, 0)}, "1 Ok: New @\n"},
        {{Report(1, kNoon - kClockSkewSeconds - 1, 0)}, "1 Ok: Old @\n"},
        {{Report(1, kTen - kClockSkewSeconds - 1, 0)}, "1 None (Ok) @\n"},
        {{Report(1, -1, 0x20)}, "1 Wait: New @\n"},  // no time: the latest part
        // Reports the phone no longer holds join their message's row, adding no location.
        {{Report(0, kNoon, 0), Report(2, kNoon, 0x20)}, "2 Wait: New @\n"},
        {{Report(0, kNoon, 0)}, " Ok: New @\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Listed(row.sorted, sent), row.listed);
}

}  // namespace
}  // namespace bsms
