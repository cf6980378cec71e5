#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "sms/pdu_tool.h"

namespace bsms {
namespace {

const std::string kCiao = "0791932143050000040C9193331332547600005021500151034004C374F80D";
// UCS2 text of a quote, a backslash, LF, è, CR, tab, U+0001, DEL and a lone surrogate.
constexpr const char* kControls =
    "07910000000000F0110000810008FF120022005C000A00E8000D00090001007FD83D";

TEST(SmsPduTool, ExitStatusOutputAndMessagesAsDocumented) {
    const std::string x761(761, 'x'), d21(21, '3');
    const struct {
        std::string line, input;
        int status;
        const char *out, *err;  // parts of what is written; no err: none is written
        long outLines;          // -1: not counted
    } rows[] = {
        {"encode --sc 391234567890 --to +391234567890 --text hellohello", "", 0,
         "23 079193214365870911F30C919321436587090000FF0AE8329BFD4697D9EC37\n", "", 1},
        // Flash and status report; two parts, the value after "=" too.
        {"encode --flash --sc=+391234567890 --to +391234567890 --status-report --text " +
             std::string(200, 'a'),
         "", 0, "154 079193214365870971F30C9193214365870900F0FFA006080400240201", "", 2},
        // Status 1: one line saying why, nothing on standard output.
        {"encode --sc 39 --to 3a3 --text x", "", 1, "", "\"a\"\n", 0},
        {"encode --sc 3*9 --to 1 --text x", "", 1, "", "\"*\"\n", 0},
        {"encode --sc= --to 1 --text x", "", 1, "", "empty\n", 0},
        {"encode --sc 1 --to 1 --text " + x761, "", 1, "", "needs 6 SMS", 0},
        {"encode --sc 39 --to +" + d21 + " --text x", "", 1, "", "recipient number has more", 0},
        {"encode --sc " + d21 + " --to 1 --text x", "", 1, "", "centre number has more", 0},
        // Status 2: the usage, for a missing or unknown command, argument or value.
        {"", "", 2, "", "usage: sms-pdu", 0},
        {"encode --sc 1 --to 1", "", 2, "", "usage: sms-pdu", 0},
        {"encode --sc 1 --to 1 --text x --bogus", "", 2, "", "usage: sms-pdu", 0},
        {"--help", "", 0, "usage: sms-pdu", "", -1},
        {"encode -h", "", 0, "sms-pdu encode", "", -1},
        {"decode --help", "", 0, "sms-pdu decode", "", -1},
        // A reply or a bare PDU; a date key without trailing zeros.
        {"decode", "AT+CMGR=1\r\r\n+CMGR: 0,,23\r\n" + kCiao + "\r\n\r\nOK\r\n", 0,
         "Date key:       5377.3693\nText:           Ciao\n", "", 5},
        {"decode --json", std::string(kControls) + "\n", 0, "", "", 1},
        // A cut PDU is shown as far as it goes, with a warning.
        {"decode", kCiao.substr(0, kCiao.size() - 4), 0, "Text:           Ci", "lacks 2 octets;",
         5},
        {"decode", kCiao.substr(0, kCiao.size() - 2), 0, "Ci", "lacks 1 octet;", 5},
        // A reply without a PDU line holds no message.
        {"decode --json", "AT+CMGR=4\r\r\n+CMGR: 0,,0\r\n+CMS ERROR: 321\r\n", 1, "", "no PDU", 0},
    };
    for (const auto& row : rows) {
        std::istringstream words(row.line), in(row.input);
        std::ostringstream out, err;
        const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
        EXPECT_EQ(Run_Sms_Pdu(args, in, out, err), row.status) << row.line;
        EXPECT_NE(out.str().find(row.out), std::string::npos) << out.str();
        EXPECT_NE(err.str().find(row.err), std::string::npos) << err.str();
        EXPECT_EQ(err.str().empty(), *row.err == '\0') << row.line;
        EXPECT_EQ(row.outLines < 0 ? -1 : std::ranges::count(out.str(), '\n'), row.outLines);
        EXPECT_EQ(row.status == 1 ? std::ranges::count(err.str(), '\n') : 1, 1);
    }
    // JSON reads back whole: every character escaped as needed, a lone surrogate U+FFFD, no time
    // key 0.
    std::istringstream in(kControls);
    std::ostringstream out, err;
    ASSERT_EQ(Run_Sms_Pdu({"decode", "--json"}, in, out, err), 0);
    const auto j = nlohmann::json::parse(out.str());
    EXPECT_EQ(j["text"], "\"\\\nè\r\t\x01\x7F\xEF\xBF\xBD");
    EXPECT_EQ(j["service_centre"], "+00000000000");
    EXPECT_EQ(j["sender_number"], "");
    EXPECT_EQ(j["date_key"], 0);
}

}  // namespace
}  // namespace bsms
