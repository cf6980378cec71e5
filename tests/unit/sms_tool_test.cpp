#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "sms/pdu_tool.h"

namespace bsms {
namespace {

const std::string kCiao = "0791932143050000040C9193331332547600005021500151034004C374F80D";

struct ToolRun {
    int status;
    std::string out, err;
};

// Runs the tool in-process on a command line split at blanks.
ToolRun Tool(const std::string& line, const std::string& input = "") {
    std::istringstream words(line), in(input);
    std::ostringstream out, err;
    const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    const int status = Run_Sms_Pdu(args, in, out, err);
    return {status, out.str(), err.str()};
}

TEST(SmsPduTool, EncodesOneLinePerPart) {
    ToolRun r = Tool("encode --sc 391234567890 --to +391234567890 --text hellohello");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "23 079193214365870911F30C919321436587090000FF0AE8329BFD4697D9EC37\n");
    r = Tool("encode --flash --sc=+391234567890 --to +391234567890 --status-report --text " +
             std::string(200, 'a'));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("154 079193214365870971F30C9193214365870900F0FFA006080400240201", 0), 0u);
    EXPECT_NE(r.out.find("\n63 079193214365870971F3"), std::string::npos);
}

TEST(SmsPduTool, RefusesWithStatusOneAndRejectsWithTwo) {
    // Status 1: one line saying why, nothing on standard output.
    const std::pair<std::string, std::string> refused[] = {
        {"encode --sc 39 --to 3a3 --text x", "\"a\""},
        {"encode --sc 3*9 --to 1 --text x", "\"*\""},
        {"encode --sc= --to 1 --text x", "empty"},
        {"encode --sc 1 --to 1 --text " + std::string(761, 'x'), "needs 6 SMS"},
        {"encode --sc 39 --to +" + std::string(21, '3') + " --text x", "20 digits"},
        {"encode --sc " + std::string(21, '3') + " --to 1 --text x", "20 digits"},
    };
    for (const auto& [line, why] : refused) {
        const ToolRun r = Tool(line);
        EXPECT_EQ(r.status, 1) << line;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    }
    // Status 2: the usage.
    for (const char* bad : {"", "encode --sc 1 --to 1", "encode --to", "decode --xml", "transmit",
                            "encode --sc 1 --to 1 --text x --bogus"}) {
        const ToolRun r = Tool(bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("usage: sms-pdu"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    for (const std::string command : {"encode", "decode"}) {
        const ToolRun r = Tool(command + " --help");
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("sms-pdu " + command), std::string::npos);
    }
}

TEST(SmsPduTool, DecodesRepliesAndBarePdus) {
    ToolRun r = Tool("decode", "AT+CMGR=1\r\r\n+CMGR: 0,,23\r\n" + kCiao + "\r\n\r\nOK\r\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Date key:       5377.3693\n"), std::string::npos);
    EXPECT_NE(r.out.find("Text:           Ciao\n"), std::string::npos);
    r = Tool("decode --json",
             "07910000000000F0040B910000000000F0000850215001510340"
             "0A0022005C000A00E8D83D\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "{\"service_centre\": \"+00000000000\", \"sender_number\": \"+00000000000\", "
              "\"date_time\": \"05/12/05  10.15:30\", \"date_key\": 5377.3693, "
              "\"text\": \"\\\"\\\\\\nè\xEF\xBF\xBD\"}\n");
    // A cut PDU is shown as far as it goes, with a warning.
    r = Tool("decode", kCiao.substr(0, kCiao.size() - 4));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Text:           Ci"), std::string::npos);
    EXPECT_NE(r.err.find("2 octets"), std::string::npos) << r.err;
}

TEST(SmsPduTool, ReplyWithoutPduIsNoMessage) {
    for (const char* reply : {"AT+CMGR=4\r\nOK\r\n", "+CMS ERROR: 321\r\n", "ERROR\r\n",
                              "AT+CMGR=4\r\r\n+CMGR: 0,,0\r\nOK\r\n"}) {
        const ToolRun r = Tool("decode --json", reply);
        EXPECT_EQ(r.status, 1) << reply;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("no PDU"), std::string::npos);
    }
}

TEST(SmsPduTool, BinaryExitStatuses) {
    const std::string bin = std::string(BSMS_BIN_DIR) + "/sms-pdu";
    if (!std::filesystem::exists(bin)) GTEST_SKIP() << "sms-pdu not built at " << bin;
    auto run = [&bin](const std::string& args) {
        const std::string cmd = "echo " + kCiao + " | " + bin + " " + args + " 2>/dev/null";
        FILE* p = popen(cmd.c_str(), "r");
        char buf[4096];
        const std::string out(buf, std::fread(buf, 1, sizeof buf, p));
        const int raw = pclose(p);
        return std::make_pair(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out);
    };
    EXPECT_EQ(run("encode --sc 39 --to 1 --text ok"),
              std::make_pair(0, std::string("11 02919311F30181F10000FF02EF35\n")));
    // The text is UTF-8 on the command line; this one goes in UCS2.
    EXPECT_EQ(run("encode --sc 39 --to 1 --text 'Cześć'"),
              std::make_pair(0, std::string("19 02919311F30181F10008FF0A0043007A0065015B0107\n")));
    EXPECT_EQ(run("encode --sc 39 --to 1 --text " + std::string(761, 'x')).first, 1);
    EXPECT_EQ(run("encode --sc 39").first, 2);
    EXPECT_EQ(run("decode").first, 0);  // reads standard input
}

}  // namespace
}  // namespace bsms
