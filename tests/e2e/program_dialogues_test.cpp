// The program through the real serial port where the values matter: every message the browser
// lists at its location, with its text and its sender's name from the downloaded phonebooks, also
// when the read is asked for again mid-answer. And the port itself: a device it cannot open, and
// what arrives while the dispatcher's box is up (Qt raises no second arrival while one is handled,
// so the dispatcher must fetch it when the box closes).
#ifdef BSMS_HAVE_QT

#include <fcntl.h>
#include <sys/ioctl.h>

#include <gtest/gtest.h>
#include <QThread>

#include "browser/form5.h"
#include "program_on_sim.h"

namespace bsms {
namespace {

using test::ProgramOnSim;
using test::RunUntil;

const char* const kLong =
    "Questo è un messaggio lungo, spedito in due parti: il telefono le riceve una per volta e le "
    "tiene in due posizioni vicine. Chi legge deve rimetterle insieme con l'intestazione di "
    "concatenazione che apre ogni parte. Fine.";

// Names in the 8-bit set, one with a comma and one with parentheses; a message older than the
// phone's own at location 7; answers in pieces, slow enough for a click to come mid-answer.
TEST(BrowserOnSim, ListsEveryMessageAtItsLocationNamedFromThePhonebooks) {
    ProgramOnSim rig({"--set", "charset 8859-1", "--set",
                      "contact book=SM index=9 number=+393401234567 name=\"Rossi, Mario\"", "--set",
                      "contact book=ME index=5 number=0611 name=\"Bob (work)\"", "--set",
                      "message index=7 from=+390298765432 time=04/01/01,00:00:00+04 text=Vecchio",
                      "--chunk", "8", "--chunk-pause", "10"});
    Window& f = rig.form1();
    ASSERT_TRUE(rig.downloadPhonebook()) << rig.received();
    EXPECT_EQ(f["Combo2"].items(),
              (std::vector<std::string>{"Anna (+393331234567)", "Bruno Rossi (3471112233)",
                                        "(+393337654321)", "Ufficio (0612345)",
                                        "Rossi, Mario (+393401234567)", "Casa (+390298765432)",
                                        "Zoë (+447700900123)", "Łukasz (+48601234567)",
                                        "Ольга (+74951234567)", "Bob (work) (0611)"}));
    EXPECT_TRUE(rig.host.boxes.empty());
    EXPECT_FALSE(rig.host.busy);

    // "Leggi SMS" clicked again while an answer comes in: one read at a time, and every message
    // listed at the location that holds it (once it was listed one location off).
    rig.host.keepModalOpen = true;
    f["Command4"].click();
    Window& f5 = rig.form5();
    f5["Text3"].setText("8");
    f5["Command1"].click();
    ASSERT_TRUE(RunUntil([&] { return rig.received().find("+CMGL:") != std::string::npos; }));
    f5["Command1"].click();
    ASSERT_TRUE(RunUntil([&] { return f5["Command7"].enabled(); })) << rig.received();
    // Oldest first, named and whole; the two parts of the long message as one row.
    const struct {
        const char *location, *sender, *text;
    } rows[] = {
        {"7", "Casa (+390298765432)", "Vecchio"},
        {"1", "Anna (+393331234567)", "Ciao"},
        {"2", "Bruno Rossi (3471112233)", "Prezzo: 10€ [sconto] {fino a ~ domani} ^_^ | a\\b"},
        {"3", "Zoë (+447700900123)", "Привет! Καλημέρα 你好"},
        {"4,5", "(+393337654321)", kLong},
        {"6", "Ufficio (0612345)", "Chiamami appena puoi."},
    };
    Control& grid = f5["Grid1"];
    ASSERT_EQ(grid.rows(), 7);
    EXPECT_EQ(grid.cell(0, 2) + ", " + f5["Command1"].text(), "Sender, Read SMS");
    for (int row = 1; row <= 6; ++row) {
        EXPECT_EQ(grid.cell(row, 1), rows[row - 1].location) << row;
        EXPECT_EQ(grid.cell(row, 2), rows[row - 1].sender) << row;
        EXPECT_EQ(Browser(*rig.program).entryOfRow(row).Text, rows[row - 1].text) << row;
    }
}

TEST(QtSerialPort, AMissingDeviceIsACommErrorAndLeavesThePortClosed) {
    test::QtApp();
    test::TempFolder dir;
    qt::QtCommPort port(dir.path());
    std::filesystem::create_symlink(dir.path() / "missing-device", dir.path() / "com1");
    EXPECT_THROW(port.setPortOpen(true), CommError);
    EXPECT_FALSE(port.portOpen());
}

TEST(DispatcherOnPort, WhatArrivesDuringABoxIsJudgedWhenItCloses) {
    ProgramOnSim rig({"--set", "arrival from=+393330000002 text=Ciao"});
    // The device's input queue: what the phone sent that the port has not read yet.
    const int tty = open(rig.sim.device().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    const auto unread = [&] {
        int n = 0;
        ioctl(tty, FIONREAD, &n);
        return n;
    };
    // The message arrives while the box is up; the box runs its own event loop, as a real one
    // does, until the port has taken it in. No byte follows, so only the dispatcher itself can
    // then bring it into the receive box.
    rig.host.duringBox = [&](const MessageBoxSpec&) {
        kill(rig.sim.pid(), SIGUSR1);
        for (QDeadlineTimer wait(10000); unread() == 0 && !wait.hasExpired();)
            QThread::msleep(1);
        EXPECT_TRUE(RunUntil([&] { return unread() == 0; }));
    };
    rig.program->Send(CommandLine(Owner::Probe, "AT+XYZZY"));
    ASSERT_TRUE(RunUntil([&] { return !rig.host.boxes.empty(); }));
    EXPECT_EQ(rig.host.boxes[0].text, "Command didn't accept by mobile");
    EXPECT_TRUE(RunUntil([&] { return rig.received().ends_with("+CMTI: \"SM\",7\r\n"); }))
        << rig.received();
    EXPECT_EQ(rig.received(), "AT+XYZZY\r\r\nERROR\r\n\r\n+CMTI: \"SM\",7\r\n");
    EXPECT_EQ(rig.host.boxes.size(), 1u);
    close(tty);
}

}  // namespace
}  // namespace bsms

#endif
