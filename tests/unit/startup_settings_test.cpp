// Start-up, the settings and counter files, the status refresh and the two ways of ending.
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/form1.h"
#include "app/startup.h"
#include "core/files.h"
#include "link/form2.h"
#include "link/settings_files.h"
#include "test_support.h"

namespace bsms {
namespace {

namespace fs = std::filesystem;
using test::Rig;

const std::string kElevenLines =
    " 3 \r\n115200,n,8,1\r\n 3 \r\n391234567890\r\nTrue\r\nFalse\r\nitaliano\r\n 150 \r\n 40 \r\n "
    "30 \r\nFalse\r\n";
// What a first start saves.
const std::string kDefaults =
    " 1 \r\n19200,n,8,1\r\n 0 \r\n\r\nTrue\r\nFalse\r\n\r\n 200 \r\n 50 \r\n 20 \r\nTrue\r\n";

// Each item of the files applies on its own: one missing or refused keeps its default. Saved, a
// settings file is written back as it was read.
TEST(Startup, AppliesEachItemOfTheFilesOnItsOwn) {
    const struct {
        std::optional<std::string> settings;
        std::string sent, saved;
        const char* status;  // flow and connection
        int count;
        const char* usedChars;  // in the language applied, else the design's Italian
    } rows[] = {
        // A first start: no files, the port closed.
        {std::nullopt, "", kDefaults, "Flusso: Nessuno|Status: Disconnesso", 0, "Caratteri usati:"},
        {kElevenLines, " 19 \r\n", kElevenLines, "Flusso: RTS Xon/Xoff|Status: Connesso", 19,
         "Caratteri usati:"},
        // Seven items: an empty language is English; only "True" is true; the notification, not
        // in the file, is on.
        {" 1 \r\n9600,n,8,1\r\n 0 \r\n\r\ntrue\r\nTrue\r\n\r\n", "",
         " 1 \r\n9600,n,8,1\r\n 0 \r\n\r\nFalse\r\nTrue\r\nenglish\r\n 200 \r\n 50 \r\n 20 "
         "\r\nTrue\r\n",
         "Flusso: Nessuno|Status: Connesso", 0, "Used chars:"},
        // A port, settings and flow the port refuses, a size of more digits than a number has
        // after a good one, a size of 0, an unknown language; a counter that is no number.
        {" 0 \r\n9600,x,8,1\r\n 7 \r\n123\r\nTrue\r\nFalse\r\nklingon\r\n 120 \r\n"
         "1234567890123456789\r\n 0 \r\n",
         "\xff\xfe garbage",
         " 1 \r\n19200,n,8,1\r\n 0 \r\n123\r\nTrue\r\nFalse\r\nklingon\r\n 120 \r\n 50 \r\n 20 "
         "\r\nTrue\r\n",
         "Flusso: Nessuno|Status: Connesso", 0, "Caratteri usati:"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.saved);
        Rig rig;
        if (row.settings) rig.dir.write("Setting.sms", *row.settings);
        if (!row.sent.empty()) rig.dir.write("Sent.txt", row.sent);
        Program& p = rig.start();
        Window& f = rig.form1();
        Status_Refresh(p);
        ASSERT_TRUE(Save_Settings(p));
        EXPECT_EQ(rig.dir.read("Setting.sms"), row.saved);
        EXPECT_EQ(f.menu("Mn_Avviso").checked(), row.saved.ends_with("True\r\n"));
        EXPECT_EQ(f["StatusBar1"].panel(3) + "|" + f["StatusBar1"].panel(4), row.status);
        EXPECT_EQ(f["Text6"].text(), std::to_string(row.count));
        EXPECT_EQ(f["Label7"].text(), row.usedChars);
        EXPECT_TRUE(rig.host.boxes.empty());
    }
}

// An installed program, whose folder its user cannot write, keeps its files in the user's data
// folder and says so the first time; a program in a folder of the user's keeps them beside it.
// Where nothing can be written, that is said once at the start, and a full disk keeps no trial.
TEST(Startup, FilesGoWhereTheUserCanWriteThem) {
    test::TempFolder tmp;
    const auto own = tmp.path() / "bin";
    tmp.write("bin", "a file where the folder would be: nothing can be made in it");
    const auto data = tmp.path() / "data";
    const struct {
        std::string xdg, home;
        fs::path folder;
    } rows[] = {
        {data.string(), "", data / "brenvik-sms"},
        {"relative/path", tmp.path().string(), tmp.path() / ".local/share/brenvik-sms"},
        {"", tmp.path().string(), tmp.path() / ".local/share/brenvik-sms"},
        {"", "", own},  // nowhere else: start-up then says the files cannot be kept
    };
    for (const auto& row : rows) {
        const ProgramFolder first = ChooseProgramFolder(own, row.xdg, row.home);
        EXPECT_EQ(first.folder, row.folder) << row.xdg;
        EXPECT_EQ(first.elsewhere, row.folder != own);
        EXPECT_FALSE(ChooseProgramFolder(own, row.xdg, row.home).madeNow);
    }
    EXPECT_TRUE(ChooseProgramFolder(own, (tmp.path() / "new").string(), "").madeNow);
    EXPECT_EQ(ChooseProgramFolder(tmp.path(), data.string(), "").folder, tmp.path());

    Rig rig;
    rig.start();  // a folder of the user's: nothing to say
    EXPECT_TRUE(rig.host.boxes.empty());
    rig.program->ownFolder = "/usr/local/bin";
    rig.program->folderNew = true;
    rig.program->Form1->onLoad();
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].text,
              "Non è possibile scrivere nella cartella del programma /usr/local/bin: "
              "impostazioni, contatore, log e rubrica sono conservati in " +
                  rig.dir.path().string() + ".");

    test::FakeCommPort port;
    test::ScriptedHost host;
    MakeProgram(host, port, tmp.path() / "gone")->Form1->load();
    Rig full;
    const auto trial = full.dir.path() / (".bsms-write-test-" + std::to_string(::getpid()));
    fs::create_symlink("/dev/full", trial);
    full.start();
    for (const auto& [boxes, folder] : {std::pair{host.boxes, tmp.path() / "gone"},
                                        std::pair{full.host.boxes, full.dir.path()}}) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_TRUE(boxes[0].text.starts_with(
            "Non è possibile scrivere nella cartella del programma " + folder.string() +
            ": impostazioni, contatore, log e rubrica non"));
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(trial)));
}

// A file that cannot be written, on a full disk or because a folder stands in its place: the user
// is told, and the old file stays whole. Start-up still goes on with what it can read.
TEST(Settings, AFileThatCannotBeWrittenIsToldAndKeptWhole) {
    for (bool fullDisk : {true, false}) {
        Rig rig;
        const fs::path settings = rig.dir.path() / "Setting.sms";
        if (fullDisk) {
            rig.dir.write("Setting.sms", kElevenLines);
            rig.dir.write("Sent.txt", " 9 \r\n");
            for (const char* file : {"Setting.sms.new", "Sent.txt.new"})
                fs::create_symlink("/dev/full", rig.dir.path() / file);
        } else {
            fs::create_directory(settings);
        }
        Program& p = rig.start();
        EXPECT_TRUE(rig.host.boxes.empty());
        EXPECT_FALSE(Save_Settings(p));
        ASSERT_EQ(rig.host.boxes.size(), 1u);
        EXPECT_EQ(rig.host.boxes[0].text, "Impossibile scrivere il file:\r" + settings.string());
        EXPECT_TRUE(fullDisk ? rig.dir.read("Setting.sms") == kElevenLines
                             : fs::is_directory(settings));
        if (!fullDisk) continue;
        // The counter, after a send, likewise.
        p.st.Sent_Confirm_Pending = true;
        rig.form1()["Label14"].setText("1");
        p.Send(CommandLine(Owner::SendStore, "AT"));
        rig.port.arrive("AT\r\r\nOK\r\n");
        EXPECT_EQ(rig.host.boxes.back().text,
                  "Impossibile scrivere il file:\r" + (rig.dir.path() / "Sent.txt").string());
        EXPECT_EQ(rig.dir.read("Sent.txt"), " 9 \r\n");
    }
}

// The typed count is a leading number, halves to the even integer; a reset asks first (No by
// default) and removes the file, so that it outlives a restart.
TEST(SentCounter, TypedValueAndReset) {
    Rig rig;
    rig.dir.write("Sent.txt", " 7 \r\n");
    Program& p = rig.start();
    rig.form1()["Text6"].setText("41.5abc");
    EXPECT_EQ(p.st.Sent_Count, 42);
    rig.host.answers = {MsgResult::No, MsgResult::Yes};
    rig.form1().menu("Mn_Azzera").click();
    EXPECT_EQ(p.st.Sent_Count, 42);
    EXPECT_EQ(rig.host.boxes.back().defaultButton, 1);
    rig.form1().menu("Mn_Azzera").click();
    EXPECT_EQ(p.st.Sent_Count, 0);
    EXPECT_FALSE(rig.dir.exists("Sent.txt"));
}

// The window shows the port's settings, a two-digit port too. One refused value restores all three;
// a speed picked replaces the speed alone (all of a speed with no comma in its first seven
// characters); Ok applies all, the port closed until it is opened again, the sizes held to 16 bits.
TEST(PortSettingsWindow, ShowsRefusesAndApplies) {
    Rig rig;
    rig.dir.write("Setting.sms", kElevenLines);
    Program& p = rig.start();
    rig.port.setPortOpen(false);
    rig.port.setCommPort(12);  // more than the one character the box takes from the user
    rig.host.duringModal = [&](Window& w) {
        EXPECT_EQ(w["Text1"].text() + "|" + w["Text2"].text() + "|" + w["Combo2"].text() + "|" +
                      std::to_string(w["Combo1"].listIndex()) + "|" + w["Text3"].text(),
                  "12|115200,n,8,1|115200|3|150");
        EXPECT_FALSE(w["Text1"].userEdit("123"));
        w["Text1"].setText("0");
        w["Text2"].setText("4800,e,7,1");
        w["Combo1"].setListIndex(0);
        w["Command1"].click();
    };
    rig.form1().menu("Mn_Comm").click();
    EXPECT_EQ(Settings_Text(p), " 12" + kElevenLines.substr(2));
    EXPECT_TRUE(rig.host.boxes.empty());
    rig.host.duringModal = [&](Window& w) {
        w["Text2"].setText("1200000,n,8,1");
        w["Combo2"].setListIndex(4);
        EXPECT_EQ(w["Text2"].text(), "115200,n,8,1");
        w["Combo2"].setListIndex(2);
        EXPECT_EQ(w["Text2"].text(), "38400,n,8,1");
        w["Text1"].setText("2");
        w["Combo1"].setListIndex(1);
        w["Text3"].setText("120");
        w["Text4"].setText("70000");
        w["Command1"].click();
    };
    rig.port.setPortOpen(true);
    rig.form1().menu("Mn_Comm").click();
    EXPECT_EQ(Settings_Text(p),
              " 2 \r\n38400,n,8,1\r\n 1 \r\n391234567890\r\nTrue\r\nFalse\r\nitaliano\r\n 120 \r\n "
              "32767 \r\n 30 \r\nFalse\r\n");
    EXPECT_FALSE(rig.port.portOpen() || p.Form2->shown());
}

// Both ways of ending ask whether to save, in Italian before a language is chosen: Yes saves, No
// does not, Cancel goes on. The button leaves the port open on Cancel, the close box never.
TEST(Exit, EachAnswerToTheSaveQuestion) {
    for (MsgResult answer : {MsgResult::Yes, MsgResult::No, MsgResult::Cancel}) {
        for (bool button : {true, false}) {
            Rig rig;
            Program& p = rig.start();
            rig.port.setPortOpen(true);
            rig.host.answers = {answer};
            if (button) rig.form1()["Command8"].click();
            const bool ends = button ? rig.host.quitCalled : p.Form1->requestClose();
            ASSERT_EQ(rig.host.boxes.size(), 1u);
            const MessageBoxSpec& box = rig.host.boxes[0];
            EXPECT_EQ(box.text + "|" + box.title,
                      "Vuoi salvare le impostazioni ?|Salvataggio automatico.");
            EXPECT_EQ(rig.dir.read("Setting.sms"), answer == MsgResult::Yes ? kDefaults : "");
            EXPECT_EQ(ends, answer != MsgResult::Cancel);
            EXPECT_EQ(rig.port.portOpen(), button && answer == MsgResult::Cancel);
        }
    }
}

TEST(CommSettings, ParsingBoundsAndDeviceLookup) {
    for (const char* good :
         {"9600,n,8,1", "115200,E,7,1.5", "300,s,5,2", "50,o,8,1", "4000000,m,6,1"})
        EXPECT_TRUE(ParseCommSettings(good)) << good;
    for (const char* bad :
         {"", "9600", "9600,n,8", "9600,x,8,1", "9600,n,9,1", "9600,n,8,3", "fast,n,8,1",
          "9600,n,8,1,1", "9600,nn,8,1", "49,n,8,1", "4000001,n,8,1", "9600,n,4,1"})
        EXPECT_FALSE(ParseCommSettings(bad)) << bad;
    test::FakeCommPort port;  // ports 1 to 16, flow 0 to 3
    EXPECT_NO_THROW({
        port.setCommPort(1);
        port.setCommPort(16);
        port.setHandshaking(0);
        port.setHandshaking(3);
    });
    EXPECT_THROW(port.setCommPort(17), CommError);
    EXPECT_THROW(port.setHandshaking(4), CommError);

    test::TempFolder dir;
    fs::create_directories(dir.path() / "dev");
    dir.write("dev/ttyS1", "");
    dir.write("dev/ttyACM1", "");
    EXPECT_EQ(ResolvePortDevice(dir.path(), 2, dir.path() / "dev"),
              (dir.path() / "dev/ttyACM1").string());
    fs::create_symlink("/nonexistent/by-id/usb-phone", dir.path() / "com2");
    EXPECT_EQ(ResolvePortDevice(dir.path(), 2, dir.path() / "dev"), (dir.path() / "com2").string());
    EXPECT_EQ(ResolvePortDevice(dir.path(), 3, dir.path() / "dev"), "");
}

}  // namespace
}  // namespace bsms
