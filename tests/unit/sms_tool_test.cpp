#include <gtest/gtest.h>

#include <sys/wait.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "sms/pdu_tool.h"

namespace bsms {
namespace {

const std::string kCiaoReply =
    "AT+CMGR=1\r\r\n+CMGR: 0,,23\r\n"
    "0791932143050000040C9193331332547600005021500151034004C374F80D\r\n\r\nOK\r\n";

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun Tool(std::vector<std::string> args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = Run_Sms_Pdu(args, in, out, err);
    return {status, out.str(), err.str()};
}

TEST(SmsPduTool, Encodes) {
    ToolRun r =
        Tool({"encode", "--sc", "391234567890", "--to", "+391234567890", "--text", "hellohello"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "23 079193214365870911F30C919321436587090000FF0AE8329BFD4697D9EC37\n");
    r = Tool({"encode", "--flash", "--sc=+391234567890", "--to", "+391234567890", "--status-report",
              "--text", std::string(200, 'a')});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("154 079193214365870971F30C9193214365870900F0FFA006080400240201", 0), 0u);
    EXPECT_NE(r.out.find("\n63 079193214365870971F3"), std::string::npos);
}

TEST(SmsPduTool, RefusesAndRejects) {
    ToolRun r = Tool({"encode", "--sc", "39", "--to", "1", "--text", "5€ [x]"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("\"€\", \"[\", \"]\""), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    r = Tool({"encode", "--sc", "39", "--to", "33 1", "--text", "x"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("blank"), std::string::npos);
    EXPECT_EQ(Tool({"encode", "--sc", "", "--to", "1", "--text", "x"}).status, 1);
    EXPECT_EQ(Tool({"encode", "--sc", "1", "--to", "1", "--text", std::string(761, 'x')}).status,
              1);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{},
          {"encode", "--sc", "1", "--to", "1"},
          {"encode", "--to"},
          {"encode", "--sc", "1", "--to", "1", "--text", "x", "--bogus"},
          {"decode", "--xml"},
          {"transmit"}}) {
        r = Tool(bad);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("usage: sms-pdu"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    for (const char* command : {"encode", "decode"}) {
        r = Tool({command, "--help"});
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find(std::string("sms-pdu ") + command), std::string::npos);
    }
}

TEST(SmsPduTool, Decodes) {
    ToolRun r = Tool({"decode"}, kCiaoReply);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("+391234500000"), std::string::npos);
    EXPECT_NE(r.out.find("Date key:       5377.3693\n"), std::string::npos);
    EXPECT_NE(r.out.find("Text:           Ciao\n"), std::string::npos);
    r = Tool({"decode", "--json"},
             "07910000000000F0040B910000000000F0000850215001510340"
             "0A0022005C000A00E8D83D\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "{\"service_centre\": \"+00000000000\", \"sender_number\": \"+00000000000\", "
              "\"date_time\": \"05/12/05  10.15:30\", \"date_key\": 5377.3693, "
              "\"text\": \"\\\"\\\\\\nè\xEF\xBF\xBD\"}\n");
    r = Tool({"decode"}, "AT+CMGR=4\r\nOK\r\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
}

TEST(SmsPduTool, BinaryExitStatuses) {
    const std::filesystem::path bin = std::filesystem::path(BSMS_BIN_DIR) / "sms-pdu";
    if (!std::filesystem::exists(bin)) GTEST_SKIP() << "sms-pdu not built at " << bin;
    const auto dir =
        std::filesystem::temp_directory_path() / ("sms-pdu-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "reply") << kCiaoReply;
    auto run = [&](const std::string& args) {
        const std::string cmd = bin.string() + " " + args + " <" + (dir / "reply").string() + " >" +
                                (dir / "out").string() + " 2>/dev/null";
        const int raw = std::system(cmd.c_str());
        std::ifstream f(dir / "out");
        std::stringstream ss;
        ss << f.rdbuf();
        return std::make_pair(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ss.str());
    };
    EXPECT_EQ(run("encode --sc 39 --to 1 --text ok"),
              std::make_pair(0, std::string("11 02919311F30181F10000FF02EF35\n")));
    EXPECT_EQ(run("encode --sc 39 --to 1 --text '[x]'").first, 1);
    EXPECT_EQ(run("encode --sc 39").first, 2);
    const auto decoded = run("decode --json");
    EXPECT_EQ(decoded.first, 0);
    EXPECT_NE(decoded.second.find("\"text\": \"Ciao\""), std::string::npos);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace bsms
