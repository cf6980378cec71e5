// Reports.txt read alone: the times of the parts sent, the reports kept, the references taken.
#include <gtest/gtest.h>

#include "compose/sent_reports.h"
#include "test_support.h"

namespace bsms {
namespace {

TEST(SentTime, IsTheLocalTimeOfARealDateOrMinusOne) {
    test::UseUtc();
    const std::pair<const char*, std::int64_t> rows[] = {
        {"2026/12/06 10:00:00", 1796551200}, {"2024/02/29 23:59:59", 1709251199},  // a leap day
        {"2026/02/29 10:00:00", -1},  // none: mktime would make it March 1
        {"2026/12/06 24:00:00", -1},         {"2026/00/06 10:00:00", -1},
        {"2026/12/06 10:00:60", -1},         {"2026/12/6 10:00:00", -1},  // a digit short
        {"2026-12-06 10:00:00", -1},
    };
    for (const auto& [when, seconds] : rows)
        EXPECT_EQ(SentTime(when), seconds) << when;
}

// Kept reports share the file with the part lines, which older versions skip: their first field
// is not digits.
TEST(KeptReports, ReadBackBesideThePartLinesAndMalformedOnesAreSkipped) {
    const KeptReport kept{5, "+393331234567", "2026/12/06 10:00:00", "0006050C9193331332"};
    EXPECT_EQ(KeptReportLine(kept), "D,5,+393331234567,2026/12/06 10:00:00,0006050C9193331332\r\n");
    const SentPart part{5, "+393331234567", "2026/12/06 10:00:00", "Ciao, a te"};
    const std::string file =
        "\xEF\xBB\xBF" + KeptReportLine(kept) + SentPartLine(part) +
        "D,x,+39,2026,00\r\nD,5,+39,2026\r\nD,5,+39,2026,\r\nD,5,+39,2026,0G\n";
    EXPECT_EQ(ParseKeptReports(file), std::vector<KeptReport>{kept});
    EXPECT_EQ(ParseSentParts(file), std::vector<SentPart>{part});
}

// A message reference is one octet: a longer number is no reference.
TEST(SentReports, TheLastReferenceTakenIsOneOctet) {
    const std::pair<const char*, int> rows[] = {
        {"\r\n+CMGS: 4\r\n+CMGS:255\r\nOK\r\n", 255},  // the last one given
        {"\r\n+CMGS: 256\r\n\r\nOK\r\n", -1},
        {"\r\n+CMGS: 4294967297\r\n\r\nOK\r\n", -1},  // not read as the int it overflows to
    };
    for (const auto& [reply, reference] : rows)
        EXPECT_EQ(LastMessageReference(reply), reference) << reply;
}

}  // namespace
}  // namespace bsms
