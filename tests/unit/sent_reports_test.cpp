// Reports.txt and what goes into it, read alone.
#include <gtest/gtest.h>

#include "compose/sent_reports.h"
#include "test_support.h"

namespace bsms {
namespace {

// A message reference is one octet: a longer number is no reference.
TEST(SentReports, TheLastReferenceTakenIsOneOctet) {
    const std::pair<const char*, int> rows[] = {
        {"\r\n+CMGS: 255\r\n\r\nOK\r\n", 255},
        {"\r\n+CMGS: 4\r\n+CMGS:7\r\nOK\r\n", 7},
        {"\r\n+CMGS: 256\r\n\r\nOK\r\n", -1},
        {"\r\n+CMGS: 4294967297\r\n\r\nOK\r\n", -1},
        {"\r\nOK\r\n", -1},
    };
    for (const auto& [reply, reference] : rows)
        EXPECT_EQ(LastMessageReference(reply), reference) << reply;
}

}  // namespace
}  // namespace bsms
