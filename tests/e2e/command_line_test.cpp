// The command line against the simulated phone through its pseudo-terminal: the program itself
// run as a script runs it, its exit status, its output and the files it leaves.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "browser/form5.h"
#include "browser/sms_list.h"
#include "link/settings_files.h"
#include "program_on_sim.h"

namespace bsms {
namespace {

using test::ProgramOnSim;
using test::ReadFile;

struct Result {
    int status = -1;
    std::string out, err;
};

// Runs the program with `args` in the simulated phone's folder, `in` on its standard input.
Result Cli(const std::filesystem::path& folder, const std::string& args,
           const std::string& in = "") {
    std::ofstream(folder / "in.txt", std::ios::binary) << in;
    const std::string command = "cd '" + folder.string() + "' && " BSMS_BIN_DIR "/brenvik-sms " +
                                args + " --folder . <in.txt >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(folder / "out.txt"),
            ReadFile(folder / "err.txt")};
}

// The texts of the messages the phone sent, long ones joined, in order.
std::vector<std::string> SentTexts(const std::string& log) {
    std::vector<std::string> texts;
    std::istringstream lines(log);
    for (std::string length, pdu; lines >> length >> pdu;) {
        const Sms_Record r = Decode_Sms_Deliver(pdu, {});
        if (r.concatPart <= 1) texts.emplace_back();
        texts.back() += r.Text;
    }
    return texts;
}

class CommandLine : public ::testing::Test {
  protected:
    // The settings the window's rig writes: port 1 at 115200 baud, the service centre, English.
    explicit CommandLine(const std::vector<std::string>& simArgs = {}) : rig_(simArgs) {
        Close_Port(*rig_.program);
    }
    Result run(const std::string& args, const std::string& in = "") {
        return Cli(rig_.folder, args, in);
    }
    ProgramOnSim rig_;
};

TEST_F(CommandLine, SendsAsTheWindowSendsAndLogsAndCounts) {
    std::ofstream(rig_.folder / "Rubrica.txt", std::ios::binary) << "Anna (+393331112222)\r\n";
    const std::string five = test::Text(700);
    EXPECT_EQ(run("send --to '+39 333 123-4567' 'Ciao dal terminale'").status, 0);
    EXPECT_EQ(run("send --to +393331234567 '" + five + "'").status, 0);
    EXPECT_EQ(run("send --to anna 'Привет, Łukasz ✓'").status, 0);
    const Result piped = run("send --to 3331234567 -", "dalla pipe\n");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out + piped.err, "");
    EXPECT_THAT(
        SentTexts(rig_.sim.sent()),
        ::testing::ElementsAre("Ciao dal terminale", five, "Привет, Łukasz ✓", "dalla pipe"));
    EXPECT_EQ(ReadFile(rig_.folder / "Sent.txt"), " 8 \r\n");
    const std::string log = ReadFile(rig_.folder / "LogSMS.txt");
    EXPECT_NE(log.find("+393331112222"), std::string::npos);
    EXPECT_NE(log.find("+393331234567"), std::string::npos);
}

TEST_F(CommandLine, ListsWhatTheBrowserListsAndDeletesAJoinedMessage) {
    Open_Port(*rig_.program);
    ASSERT_EQ(rig_.browse(20), 5);
    const std::vector<ListedMessage> shown = Browser(*rig_.program).listed;
    rig_.program->Form5->unload();
    Close_Port(*rig_.program);

    std::ofstream(rig_.folder / "Rubrica.txt", std::ios::binary) << "Anna (3331234567)\r\n";
    const Result listed = run("list --json");
    ASSERT_EQ(listed.status, 0) << listed.err;
    const auto rows = nlohmann::json::parse(listed.out);
    ASSERT_EQ(rows.size(), shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(rows[i]["id"], LocationsText(shown[i].locations));
        EXPECT_EQ(rows[i]["number"], shown[i].record.Sender_Number);
        EXPECT_EQ(rows[i]["text"], shown[i].record.Text);
    }
    const auto& joined = rows[3];
    EXPECT_EQ(joined["locations"], nlohmann::json({4, 5}));
    EXPECT_EQ(joined["parts"], 2);
    EXPECT_EQ(joined["time"], "2024-09-30T21:12:44+02:00");
    EXPECT_EQ(rows[2]["encoding"], "ucs2");
    EXPECT_EQ(rows[0]["name"], "Anna");
    EXPECT_EQ(rows[1]["name"], nullptr);
    EXPECT_EQ(rows[4]["time"], "2025-01-15T08:00:00-05:00");

    EXPECT_EQ(run("read 4,5").out,
              "+393337654321\n2024-09-30T21:12:44+02:00\n\n" + shown[3].record.Text + "\n");
    EXPECT_EQ(run("delete 4,5").status, 0);
    const Result after = run("list");
    EXPECT_EQ(after.status, 0);
    EXPECT_EQ(after.out.find("4,5\t"), std::string::npos);
    EXPECT_EQ(std::ranges::count(after.out, '\n'), 4);
    EXPECT_THAT(after.out,
                ::testing::StartsWith("1\t2005-12-05T10:15:30+01:00\t+393331234567\tAnna\tCiao\n"));
    EXPECT_EQ(run("delete 4,5").status, 2);
}

TEST_F(CommandLine, EachTroubleHasItsExitStatusAndWords) {
    EXPECT_EQ(run("probe").out, "BX-1 Simulated Phone\n");
    EXPECT_THAT(run("--help").out, ::testing::StartsWith("Usage: brenvik-sms COMMAND"));
    EXPECT_THAT(run("phonebook --json").out, ::testing::HasSubstr(R"({"name":"Zoë","number")"));
    for (const char* usage : {"send hello", "sned", "send --to Nobody hello", "read",
                              "--bogus list", "send --to 333 --speed fast hi"}) {
        const Result r = run(usage);
        EXPECT_EQ(r.status, 2) << usage;
        EXPECT_FALSE(r.err.empty()) << usage;
        EXPECT_EQ(r.out, "") << usage;
    }
    const Result missing = run("probe --port 9");
    EXPECT_EQ(missing.status, 3);
    EXPECT_THAT(missing.err, ::testing::HasSubstr("Unable to open the communication port"));
    // The port in use by the window: refused whole, never mixed with its commands.
    Open_Port(*rig_.program);
    const Result busy = run("probe");
    EXPECT_EQ(busy.status, 3);
    EXPECT_THAT(busy.err, ::testing::HasSubstr("is in use by"));
}

TEST(CommandLineTrouble, APhoneThatRefusesOrSaysNothing) {
    ProgramOnSim unregistered({"--profile", "no-network"});
    Close_Port(*unregistered.program);
    const Result refused = Cli(unregistered.folder, "send --to 3331234567 hi");
    EXPECT_EQ(refused.status, 1);
    EXPECT_THAT(refused.err, ::testing::HasSubstr("+CMS ERROR: 331"));

    const test::TempFolder elsewhere;
    const std::string decoy = (elsewhere.path() / "diag").string();
    ProgramOnSim rig({"--decoy", decoy});
    Close_Port(*rig.program);
    const Result silent = Cli(rig.folder, "probe --port " + decoy);
    EXPECT_EQ(silent.status, 4);
    EXPECT_THAT(silent.err, ::testing::HasSubstr("no mobile answers there"));
}

}  // namespace
}  // namespace bsms
