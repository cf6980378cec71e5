// The whole program (without its widgets) on port 1 of a running simulated phone, through the Qt
// serial port: the rig of the end-to-end tests of the program's dialogues.
#pragma once

#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/startup.h"
#include "phone_sim_client.h"
#include "qt/qt_comm_port.h"
#include "qt_loop.h"
#include "sms/decoder.h"
#include "test_support.h"

namespace bsms::test {

struct ProgramOnSim {
    phonesim_test::PhoneSim sim;
    std::filesystem::path folder = sim.link().parent_path();
    ScriptedHost host;
    qt::QtCommPort port{folder};
    std::unique_ptr<Program> program;
    // The reply timer runs as the window's binding runs it.
    QTimer replyTimer;

    // Starts the program with a settings file naming port 1 at 115200 baud and the phone's
    // service centre, in English, sending without a question.
    explicit ProgramOnSim(const std::vector<std::string>& simArgs = {}) : sim(simArgs) {
        QtApp();
        std::ofstream(folder / "Setting.sms", std::ios::binary)
            << " 1 \r\n115200,n,8,1\r\n 0 \r\n391234500000\r\nFalse\r\nFalse\r\nenglish\r\n";
        program = MakeProgram(host, port, folder);
        program->Form1->load();
        replyTimer.callOnTimeout([this] { form1()["Timer2"].tick(); });
        replyTimer.start(form1()["Timer2"].interval);
        EXPECT_TRUE(port.portOpen()) << (host.boxes.empty() ? "" : host.boxes[0].text);
        Status_Refresh(*program);
        // The phone asked, at the opening, to announce new messages.
        EXPECT_TRUE(RunUntil([&] { return !program->line.busy(); })) << received();
        form1()["Text1"].setText("");
    }
    Window& form1() { return *program->Form1; }
    Window& form5() { return *program->Form5; }
    const std::string& received() { return form1()["Text1"].text(); }
    bool answered() {
        return RunUntil([&] { return received().ends_with("OK\r\n"); });
    }
    void compose(const std::string& text, const std::string& recipient = "+393331234567") {
        form1()["Text4"].setText(recipient);
        form1()["Text5"].setText(text);
    }
    // Sends what was composed; true when the phone confirmed it.
    bool send() {
        const std::size_t before = host.boxes.size();
        form1()["Command6"].click();
        return RunUntil([&] { return host.boxes.size() > before; }) &&
               host.boxes.back().text == "Messagge sent";
    }
    // Downloads both phonebooks into the picker; false when the progress window never closed.
    bool downloadPhonebook() {
        bool closed = false;
        host.duringModal = [&](Window& w) {
            if (w.name() == "Form3") closed = RunUntil([&] { return !w.shown(); });
        };
        form1().menu("Mn_Upload").click();
        host.duringModal = nullptr;
        return closed;
    }
    // Opens the browser and reads `count` locations, leaving it open; the rows listed, or -1 when
    // the read did not end.
    int browse(int count, int waitMs = 10000) {
        host.keepModalOpen = true;
        form1()["Command4"].click();
        form5()["Text3"].setText(std::to_string(count));
        form5()["Command1"].click();
        if (!RunUntil([&] { return form5()["Command7"].enabled(); }, waitMs)) return -1;
        return form5()["Grid1"].rows() - 1;
    }
    // The texts of the messages the phone sent, decoded from its log in turn.
    std::string sentText() {
        std::istringstream log(sim.sent());
        std::string text;
        for (std::string length, pdu; log >> length >> pdu;)
            text += Decode_Sms_Deliver(pdu, {}).Text;  // the PDU as given, service centre first
        return text;
    }
};

}  // namespace bsms::test
