// The listing alone: reports paired with the parts sent from here.
#include <gtest/gtest.h>

#include "browser/sms_list.h"
#include "test_support.h"

// Records are built with designated initializers: the fields left out keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace bsms {
namespace {

constexpr std::int64_t kTen = 1796551200;  // 2026/12/06 10:00:00 UTC
constexpr std::int64_t kNoon = kTen + 7200;

// A report on reference 5 to +393331234567, stamped `time`, at location `id` (0: not on the phone).
Sms_Record Report(int id, std::int64_t time, int status) {
    return {.Id = static_cast<std::int16_t>(id),
            .Text = "x",
            .Sender_Number = "+393331234567",
            .Kind = SmsKind::StatusReport,
            .Delivery_Status = status,
            .reportRef = 5,
            .serviceCentreTime = time};
}

// Each row of the listing of `sorted`: its "Id" cell and text.
std::string Listed(std::vector<Sms_Record> sorted, const std::vector<SentPart>& sent = {}) {
    sorted.insert(sorted.begin(), Sms_Record{});  // position 0 is left out
    std::string out;
    for (const ListedMessage& m : Listing(sorted, sent, {"[?]", "Ok", "Wait", "Failed", "None"}))
        out += LocationsText(m.locations) + " " + m.record.Text + "\n";
    return out;
}

// References wrap every 256 sends and some modems restart them at power-on: a report is on the
// part sent latest before it, allowing for the two clocks, never on one sent after it.
TEST(Listing, AReportIsTheOutcomeOfThePartSentLatestBeforeIt) {
    test::UseUtc();
    const std::vector<SentPart> sent = {{5, "+393331234567", "2026/12/06 10:00:00", "Old"},
                                        {5, "3331234567", "2026/12/06 12:00:00", "New"}};
    const struct {
        std::vector<Sms_Record> sorted;
        const char* listed;
    } rows[] = {
        // An old failure and a new delivery are each their own message's outcome.
        {{Report(1, kTen + 30, 0x41), Report(2, kNoon + 30, 0)}, "1 Failed: Old\n2 Ok: New\n"},
        // The network's clock two minutes behind the computer's, and a second more.
        {{Report(1, kNoon - kClockSkewSeconds, 0)}, "1 Ok: New\n"},
        {{Report(1, kNoon - kClockSkewSeconds - 1, 0)}, "1 Ok: Old\n"},
        {{Report(1, kTen - kClockSkewSeconds - 1, 0)}, "1 None (Ok)\n"},
        {{Report(1, -1, 0x20)}, "1 Wait: New\n"},  // no time: the latest part
    };
    for (const auto& row : rows)
        EXPECT_EQ(Listed(row.sorted, sent), row.listed);
}

}  // namespace
}  // namespace bsms
