// The whole program (without its widgets) on port 1 of a running simulated phone, through the Qt
// serial port: the rig of the end-to-end tests of the program's dialogues.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
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

    // Starts the program with a settings file naming port 1 at 115200 baud, the phone's service
    // centre, the send question on or off, and the language.
    explicit ProgramOnSim(const std::vector<std::string>& simArgs = {}, bool confirmSend = true,
                          const std::string& language = "english")
        : sim(simArgs) {
        QtApp();
        std::ofstream(folder / "Setting.sms", std::ios::binary)
            << " 1 \r\n115200,n,8,1\r\n 0 \r\n391234500000\r\n"
            << (confirmSend ? "True" : "False") << "\r\nFalse\r\n"
            << language << "\r\n";
        program = MakeProgram(host, port, folder);
        program->Form1->load();
        EXPECT_TRUE(port.portOpen()) << (host.boxes.empty() ? "" : host.boxes[0].text);
        Status_Refresh(*program);
    }
    Window& form1() { return *program->Form1; }
    const std::string& received() { return form1()["Text1"].text(); }
    // Waits for the n-th box; false when it never came.
    bool boxes(std::size_t n) {
        return RunUntil([&] { return host.boxes.size() >= n; });
    }
    void compose(const std::string& text, const std::string& recipient = "+393331234567") {
        form1()["Text4"].setText(recipient);
        form1()["Text5"].setText(text);
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
    // Reads one location of the phone's memory back; the text of the message there.
    std::string readBack(int index) {
        form1()["Text1"].setText("");
        program->WriteCommand("AT+CMGR=" + std::to_string(index));
        EXPECT_TRUE(RunUntil([&] { return received().ends_with("OK\r\n"); })) << received();
        return Decode_Sms_Deliver(Extract_Pdu(received()), {}).Text;
    }
};

}  // namespace bsms::test
