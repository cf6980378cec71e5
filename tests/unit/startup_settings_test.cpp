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

using test::Rig;

const char* const kTenLines =
    " 3 \r\n115200,n,8,1\r\n 2 \r\n391234567890\r\nTrue\r\nFalse\r\nitaliano\r\n 150 \r\n 40 \r\n "
    "30 \r\n";

TEST(Startup, FirstStartWithoutFiles) {
    Rig rig;
    Program& p = rig.start();
    Window& f = rig.form1();
    EXPECT_EQ(p.st.Sent_Count, 0);
    EXPECT_EQ(f["Text6"].text(), "0");
    EXPECT_EQ(f["Label7"].text(), "Caratteri usati:");  // design-time Italian
    EXPECT_EQ(p.st.Current_Language, "");
    EXPECT_EQ(f["StatusBar1"].panel(4), "Status: Disconnesso");
    for (const char* b : {"Command6", "Command7", "Command4", "Command3"})
        EXPECT_FALSE(f[b].enabled());
    EXPECT_TRUE(f.menu("Mn_Apri").enabled());
    EXPECT_FALSE(f.menu("Mn_Rubrica").enabled());
    EXPECT_FALSE(rig.port.portOpen());
    EXPECT_TRUE(rig.host.boxes.empty());
    EXPECT_TRUE(p.st.Opt_Confirm_Send);
    EXPECT_TRUE(f.menu("Mn_Conferma").checked());

    // A new user's first question is asked in Italian, like the windows, never blank.
    rig.host.answers = {MsgResult::Cancel};
    f["Command8"].click();
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].text, "Vuoi salvare le impostazioni ?");
    EXPECT_EQ(rig.host.boxes[0].title, "Salvataggio automatico.");
}

// An installed program, whose folder its user cannot write, keeps its files in the user's data
// folder and says so the first time; a program in a folder of the user's keeps them beside it.
TEST(Startup, FilesGoWhereTheUserCanWriteThem) {
    test::TempFolder tmp;
    const auto own = tmp.path() / "bin";
    tmp.write("bin", "a file where the folder would be: nothing can be made in it");
    const auto data = tmp.path() / "data";
    const struct {
        std::string xdg, home;
        std::filesystem::path folder;
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
}

TEST(Startup, SettingsFileAppliesEverythingAndOpensThePort) {
    Rig rig;
    rig.dir.write("Setting.sms", kTenLines);
    rig.dir.write("Sent.txt", " 12 \r\n");
    Program& p = rig.start();
    Window& f = rig.form1();
    EXPECT_EQ(rig.port.commPort(), 3);
    EXPECT_EQ(rig.port.settings(), "115200,n,8,1");
    EXPECT_EQ(rig.port.handshaking(), 2);
    EXPECT_EQ(f["Text2"].text(), "391234567890");
    EXPECT_TRUE(p.st.Opt_Confirm_Send);
    EXPECT_FALSE(p.st.Opt_Status_Report);
    EXPECT_EQ(p.st.Current_Language, "italiano");
    EXPECT_EQ(p.st.Sim_Phonebook_Size, 150);
    EXPECT_EQ(p.st.Phone_Phonebook_Size, 40);
    EXPECT_EQ(p.st.Browser_Slot_Count, 30);
    EXPECT_EQ(p.st.Sent_Count, 12);
    EXPECT_TRUE(rig.port.portOpen());
    EXPECT_EQ(p.texts[MsgId::Title_Error], "Errore.");

    Status_Refresh(p);
    EXPECT_EQ(f["StatusBar1"].panel(1), "Comm: 3");
    EXPECT_EQ(f["StatusBar1"].panel(2), "Settings: 115200,n,8,1");
    EXPECT_EQ(f["StatusBar1"].panel(3), "Flusso: RTS");
    EXPECT_EQ(f["StatusBar1"].panel(4), "Status: Connesso");
    for (const char* b : {"Command6", "Command7", "Command4", "Command3"})
        EXPECT_TRUE(f[b].enabled());
    EXPECT_FALSE(f.menu("Mn_Apri").enabled());
    for (const char* m : {"Mn_Chiudi", "Mn_Test", "Mn_Rubrica", "Mn_Invia", "Mn_Salva"})
        EXPECT_TRUE(f.menu(m).enabled()) << m;
}

TEST(Startup, ShortAndOddFiles) {
    {  // seven lines, empty language, lower-case "true"
        Rig rig;
        rig.dir.write("Setting.sms", " 1 \r\n9600,n,8,1\r\n 0 \r\n\r\ntrue\r\nTrue\r\n\r\n");
        Program& p = rig.start();
        EXPECT_FALSE(p.st.Opt_Confirm_Send);
        EXPECT_FALSE(rig.form1().menu("Mn_Conferma").checked());
        EXPECT_TRUE(p.st.Opt_Status_Report);
        EXPECT_EQ(p.st.Current_Language, "english");
        EXPECT_EQ(rig.form1()["Label7"].text(), "Used chars:");
        EXPECT_EQ(p.st.Sim_Phonebook_Size, 200);
        EXPECT_EQ(p.st.Phone_Phonebook_Size, 50);
        EXPECT_EQ(p.st.Browser_Slot_Count, 20);
    }
    {  // nine lines, sizes of 0 or less keep their defaults; port number refused
        Rig rig;
        rig.dir.write(
            "Setting.sms",
            " 0 \r\n9600,x,8,1\r\n 7 \r\n123\r\nTrue\r\nFalse\r\nklingon\r\n 0 \r\n-5 \r\n");
        Program& p = rig.start();
        EXPECT_EQ(rig.port.commPort(), 1);
        EXPECT_EQ(rig.port.settings(), "19200,n,8,1");
        EXPECT_EQ(rig.port.handshaking(), 0);
        EXPECT_EQ(rig.form1()["Text2"].text(), "123");
        EXPECT_EQ(p.st.Current_Language, "klingon");
        EXPECT_EQ(rig.form1()["Label7"].text(), "Caratteri usati:");
        EXPECT_EQ(p.texts[MsgId::Command_Refused], "Comando non accettato dal telefonino");
        EXPECT_EQ(p.st.Sim_Phonebook_Size, 200);
        EXPECT_EQ(p.st.Phone_Phonebook_Size, 50);
    }
    {  // truncated and binary files: what can be read applies, nothing crashes
        Rig rig;
        rig.dir.write("Setting.sms", std::string(" 2 \r\n9600,n,8,1\r\n\x01\x02\xff\x00zz", 23));
        rig.dir.write("Sent.txt", "\xff\xfe garbage");
        Program& p = rig.start();
        EXPECT_EQ(rig.port.commPort(), 2);
        EXPECT_EQ(rig.port.settings(), "9600,n,8,1");
        EXPECT_EQ(p.st.Sent_Count, 0);
    }
    {  // an overlong line and an overlong counter
        Rig rig;
        rig.dir.write("Setting.sms", std::string(200000, '9') + "\r\n");
        rig.dir.write("Sent.txt", " 99999 \r\n");
        Program& p = rig.start();
        EXPECT_EQ(rig.port.commPort(), 1);
        EXPECT_EQ(p.st.Sent_Count, 32767);
    }
}

TEST(Startup, PortThatCannotBeOpenedIsReported) {
    for (bool permission : {false, true}) {
        Rig rig;
        rig.dir.write("Setting.sms", kTenLines);
        (permission ? rig.port.denyOpen : rig.port.failOpen) = true;
        rig.start();
        ASSERT_EQ(rig.host.boxes.size(), 1u);
        const std::string& text = rig.host.boxes[0].text;
        EXPECT_EQ(text.substr(0, text.find('\r')), "Impossibile aprire la porta di comunicazione!");
        EXPECT_EQ(rig.host.boxes[0].title, "Errore.");
        EXPECT_EQ(rig.host.boxes[0].icon, MsgIcon::Critical);
        EXPECT_FALSE(rig.port.portOpen());
        // Without permission a second line names the device and the group that grants access.
        EXPECT_EQ(text.find("/dev/ttyUSB0") != std::string::npos, permission);
        EXPECT_EQ(text.find("dialout") != std::string::npos, permission);
    }
}

TEST(Settings, SaveAndReadBackRoundTrip) {
    Rig rig;
    Program& p = rig.start();
    rig.port.setCommPort(4);
    rig.port.setSettings("57600,e,7,2");
    rig.port.setHandshaking(3);
    rig.form1()["Text2"].setText("3912345");
    p.st.Opt_Confirm_Send = false;
    p.st.Opt_Status_Report = true;
    p.st.Current_Language = "polski";
    p.st.Sim_Phonebook_Size = 250;
    p.st.Phone_Phonebook_Size = 99;
    p.st.Browser_Slot_Count = 45;
    ASSERT_TRUE(Save_Settings(p));
    EXPECT_EQ(
        rig.dir.read("Setting.sms"),
        " 4 \r\n57600,e,7,2\r\n 3 \r\n3912345\r\nFalse\r\nTrue\r\npolski\r\n 250 \r\n 99 \r\n 45 "
        "\r\n");

    Rig again;
    again.dir.write("Setting.sms", rig.dir.read("Setting.sms"));
    Program& q = again.start();
    EXPECT_EQ(again.port.commPort(), 4);
    EXPECT_EQ(again.port.settings(), "57600,e,7,2");
    EXPECT_EQ(again.port.handshaking(), 3);
    EXPECT_EQ(again.form1()["Text2"].text(), "3912345");
    EXPECT_FALSE(q.st.Opt_Confirm_Send);
    EXPECT_TRUE(q.st.Opt_Status_Report);
    EXPECT_TRUE(again.form1().menu("Mn_Ricevuta").checked());
    EXPECT_EQ(q.st.Current_Language, "polski");
    EXPECT_EQ(q.st.Sim_Phonebook_Size, 250);
    EXPECT_EQ(q.st.Phone_Phonebook_Size, 99);
    EXPECT_EQ(q.st.Browser_Slot_Count, 45);
}

TEST(Settings, FailedSaveIsReportedAndKeepsTheOldFile) {
    Rig rig;
    rig.dir.write("Setting.sms", kTenLines);
    Program& p = rig.start();
    std::filesystem::create_directory(rig.dir.path() / "Setting.sms.new");  // blocks the write
    rig.host.boxes.clear();
    EXPECT_FALSE(Save_Settings(p));
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(rig.dir.read("Setting.sms"), kTenLines);
}

// Files the program cannot write: a full disk, a file replaced by a folder, a folder that cannot be
// written at all. The user hears of it, and no existing file is cut short.
TEST(Settings, FileFaultsAreToldAndLoseNothing) {
    {  // a full disk under the new file
        Rig rig;
        rig.dir.write("Setting.sms", kTenLines);
        rig.dir.write("Sent.txt", " 9 \r\n");
        Program& p = rig.start();
        std::filesystem::create_symlink("/dev/full", rig.dir.path() / "Setting.sms.new");
        std::filesystem::create_symlink("/dev/full", rig.dir.path() / "Sent.txt.new");
        EXPECT_FALSE(Save_Settings(p));
        p.st.Sent_Confirm_Pending = true;
        rig.form1()["Label14"].setText("1");
        rig.port.arrive("AT\r\r\nOK\r\n");
        ASSERT_EQ(rig.host.boxes.size(), 3u);  // the save, the sent message, its counter
        EXPECT_EQ(rig.host.boxes[2].text.substr(0, 24), "Impossibile scrivere il ");
        EXPECT_EQ(rig.dir.read("Setting.sms"), kTenLines);
        EXPECT_EQ(rig.dir.read("Sent.txt"), " 9 \r\n");
    }
    {  // the files are folders: start-up goes on with the defaults, a save says it failed
        Rig rig;
        std::filesystem::create_directory(rig.dir.path() / "Setting.sms");
        std::filesystem::create_directory(rig.dir.path() / "Sent.txt");
        Program& p = rig.start();
        EXPECT_EQ(p.st.Sent_Count, 0);
        EXPECT_TRUE(rig.host.boxes.empty());
        EXPECT_FALSE(Save_Settings(p));
        EXPECT_EQ(rig.host.boxes.size(), 1u);
        EXPECT_TRUE(std::filesystem::is_directory(rig.dir.path() / "Setting.sms"));
    }
    {  // a folder nothing can be written to: said once, at the start
        test::TempFolder dir;
        test::FakeCommPort port;
        test::ScriptedHost host;
        const auto missing = dir.path() / "gone";
        const auto program = MakeProgram(host, port, missing);
        program->Form1->load();
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].icon, MsgIcon::Information);
        EXPECT_NE(host.boxes[0].text.find(missing.string()), std::string::npos);
        EXPECT_TRUE(host.boxes[0].text.starts_with("Non è possibile scrivere nella"));
    }
    {  // a full disk: the same notice, and the trial file is not left behind
        Rig rig;
        const auto probe = rig.dir.path() / (".bsms-write-test-" + std::to_string(::getpid()));
        std::filesystem::create_symlink("/dev/full", probe);
        rig.start();
        ASSERT_EQ(rig.host.boxes.size(), 1u);
        EXPECT_EQ(rig.host.boxes[0].icon, MsgIcon::Information);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(probe)));
    }
}

TEST(SentCounter, TypedValueResetAndBounds) {
    Rig rig;
    rig.dir.write("Sent.txt", " 7 \r\n");
    Program& p = rig.start();
    Window& f = rig.form1();
    f["Text6"].setText("41.5abc");
    EXPECT_EQ(p.st.Sent_Count, 42);  // halves go to the even integer
    f["Text6"].setText("40000");
    EXPECT_EQ(p.st.Sent_Count, 32767);
    f["Text6"].setText("x");
    EXPECT_EQ(p.st.Sent_Count, 0);

    f["Text6"].setText("5");
    f["Text6"].gotFocus();
    EXPECT_EQ(f["Text6"].selLength(), 1u);

    rig.host.answers = {MsgResult::No};
    f.menu("Mn_Azzera").click();
    EXPECT_EQ(p.st.Sent_Count, 5);
    EXPECT_EQ(rig.host.boxes.back().defaultButton, 1);
    EXPECT_EQ(rig.host.boxes.back().buttons, MsgButtons::YesNo);
    rig.host.answers = {MsgResult::Yes};
    f.menu("Mn_Azzera").click();
    EXPECT_EQ(p.st.Sent_Count, 0);
    // The program's own counter file goes, so the reset survives a restart.
    EXPECT_FALSE(rig.dir.exists("Sent.txt"));
    Status_Refresh(p);
    EXPECT_EQ(f["Text6"].text(), "0");
}

TEST(PortSettingsWindow, FillSpeedAndApply) {
    Rig rig;
    Program& p = rig.start();
    rig.port.setSettings("9600,n,8,1");
    rig.port.setHandshaking(1);
    rig.host.duringModal = [&](Window& w) {
        EXPECT_EQ(w["Text1"].text(), "1");
        EXPECT_EQ(w["Text2"].text(), "9600,n,8,1");
        EXPECT_EQ(w["Combo2"].text(), "9600");
        EXPECT_EQ(w["Combo1"].listIndex(), 1);
        EXPECT_EQ(w["Text3"].text(), "200");
        w["Combo2"].setListIndex(2);  // 38400
        EXPECT_EQ(w["Text2"].text(), "38400,n,8,1");
        w["Text1"].setText("2");
        w["Combo1"].setListIndex(3);
        w["Text3"].setText("120");
        w["Text4"].setText("70000");
        w["Command1"].click();
    };
    rig.port.setPortOpen(true);
    rig.form1().menu("Mn_Comm").click();
    EXPECT_EQ(rig.port.commPort(), 2);
    EXPECT_EQ(rig.port.settings(), "38400,n,8,1");
    EXPECT_EQ(rig.port.handshaking(), 3);
    EXPECT_EQ(p.st.Sim_Phonebook_Size, 120);
    EXPECT_EQ(p.st.Phone_Phonebook_Size, 32767);
    EXPECT_FALSE(rig.port.portOpen());  // stays closed until Mn_Apri
    EXPECT_FALSE(p.Form2->shown());
}

TEST(PortSettingsWindow, RefusedValueRestoresAllThree) {
    Rig rig;
    rig.start();
    rig.port.setCommPort(2);
    rig.port.setSettings("9600,n,8,1");
    rig.port.setHandshaking(2);
    rig.host.duringModal = [&](Window& w) {
        w["Text1"].setText("0");
        w["Text2"].setText("4800,e,7,1");
        w["Combo1"].setListIndex(0);
        w["Command1"].click();
    };
    rig.form1().menu("Mn_Comm").click();
    EXPECT_EQ(rig.port.commPort(), 2);
    EXPECT_EQ(rig.port.settings(), "9600,n,8,1");
    EXPECT_EQ(rig.port.handshaking(), 2);
    EXPECT_TRUE(rig.host.boxes.empty());

    // A speed with no comma in its first seven characters.
    rig.host.duringModal = [&](Window& w) {
        w["Text2"].setText("1200000,n,8,1");
        w["Combo2"].setListIndex(4);
        EXPECT_EQ(w["Text2"].text(), "115200,n,8,1");
    };
    rig.form1().menu("Mn_Comm").click();
}

TEST(Exit, ButtonAnswers) {
    for (MsgResult answer : {MsgResult::Yes, MsgResult::No, MsgResult::Cancel}) {
        Rig rig;
        rig.dir.write("Setting.sms", kTenLines);
        Program& p = rig.start();
        p.st.Current_Language = "english";
        rig.host.answers = {answer};
        rig.form1()["Command8"].click();
        const MessageBoxSpec& box = rig.host.boxes.back();
        EXPECT_EQ(box.buttons, MsgButtons::YesNoCancel);
        EXPECT_EQ(box.icon, MsgIcon::Information);
        EXPECT_EQ(box.title, "Salvataggio automatico.");
        const bool saved = rig.dir.read("Setting.sms").find("english") != std::string::npos;
        EXPECT_EQ(saved, answer == MsgResult::Yes);
        EXPECT_EQ(rig.host.quitCalled, answer != MsgResult::Cancel);
        EXPECT_EQ(rig.port.portOpen(), answer == MsgResult::Cancel);
    }
}

TEST(Exit, CloseBoxAnswers) {
    for (MsgResult answer : {MsgResult::Yes, MsgResult::No, MsgResult::Cancel}) {
        Rig rig;
        rig.dir.write("Setting.sms", kTenLines);
        Program& p = rig.start();
        p.Form1->setShown(true);
        p.st.Current_Language = "magyar";
        rig.host.answers = {answer};
        const bool closed = p.Form1->requestClose();
        EXPECT_EQ(closed, answer != MsgResult::Cancel);
        const bool saved = rig.dir.read("Setting.sms").find("magyar") != std::string::npos;
        EXPECT_EQ(saved, answer == MsgResult::Yes);
        EXPECT_FALSE(rig.port.portOpen());  // closed in all three cases
        if (answer == MsgResult::Cancel) {
            Status_Refresh(p);
            EXPECT_EQ(rig.form1()["StatusBar1"].panel(4), "Status: Disconnesso");
        }
    }
}

TEST(CommSettings, ParsingAndDeviceLookup) {
    EXPECT_TRUE(ParseCommSettings("9600,n,8,1"));
    EXPECT_TRUE(ParseCommSettings("115200,E,7,1.5"));
    EXPECT_TRUE(ParseCommSettings("300,s,5,2"));
    for (const char* bad : {"", "9600", "9600,n,8", "9600,x,8,1", "9600,n,9,1", "9600,n,8,3",
                            "fast,n,8,1", "9600,n,8,1,1", "9600,nn,8,1"})
        EXPECT_FALSE(ParseCommSettings(bad)) << bad;

    test::TempFolder dir;
    std::filesystem::create_directories(dir.path() / "dev");
    dir.write("dev/ttyS1", "");
    dir.write("dev/ttyACM1", "");
    EXPECT_EQ(ResolvePortDevice(dir.path(), 2, dir.path() / "dev"),
              (dir.path() / "dev/ttyACM1").string());
    std::filesystem::create_symlink("/nonexistent/by-id/usb-phone", dir.path() / "com2");
    EXPECT_EQ(ResolvePortDevice(dir.path(), 2, dir.path() / "dev"), (dir.path() / "com2").string());
    EXPECT_EQ(ResolvePortDevice(dir.path(), 3, dir.path() / "dev"), "");
}

}  // namespace
}  // namespace bsms
