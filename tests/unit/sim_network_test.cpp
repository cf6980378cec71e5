// The SIM and the network: what the phone answers about them, the PUK dialogue and the SIM's
// refusals as the port opens, and the network panel of the status bar. (The PIN and a SIM still
// starting up run against the simulated phone in the end-to-end tests.)
#include <gtest/gtest.h>

#include "app/form1.h"
#include "app/startup.h"
#include "link/network.h"
#include "link/phone_answers.h"
#include "link/reply_timer.h"
#include "link/sim_pin.h"
#include "test_support.h"

namespace bsms {
namespace {

TEST(PhoneAnswers, ReadTheSimTheNetworkAndTheSignalInTheirForms) {
    EXPECT_EQ(SimStepOf("AT+CPIN?\r\r\n+CPIN: READY\r\n\r\nOK\r\n"), SimStep::Ready);
    EXPECT_EQ(SimStepOf("\r\n+CPIN: SIM PIN\r\n"), SimStep::Pin);
    EXPECT_EQ(SimStepOf("\r\n+CPIN:\"SIM PUK\"\r\n"), SimStep::Puk);
    EXPECT_EQ(SimStepOf("\r\n+CPIN: SIM PIN2\r\n"), SimStep::Ready);  // SMS need no PIN2
    EXPECT_EQ(SimStepOf("\r\nOK\r\n"), SimStep::Unknown);

    const char* cpinr =
        "\r\n+CPINR: SIM PIN,2,3\r\n+CPINR: SIM PIN2,3,3\r\n+CPINR: SIM PUK,9,10\r\n";
    EXPECT_EQ(PinTriesOf(cpinr, false), 2);
    EXPECT_EQ(PinTriesOf(cpinr, true), 9);
    EXPECT_EQ(PinTriesOf("\r\n^CPIN: SIM PUK,8,7,0,10,3\r\n", true), 7);
    EXPECT_EQ(PinTriesOf("\r\n^CPIN: SIM PIN,3,10,1,10,3\r\n", false), 1);
    EXPECT_EQ(PinTriesOf("\r\nERROR\r\n", false), std::nullopt);

    const std::pair<const char*, Registration> registrations[] = {
        {"+CREG: 0,1", Registration::Home},
        {"+CREG: 2,5,\"00C3\",\"1A2B\"", Registration::Roaming},
        {"+CREG: 2,1,\"00C3\",\"1A2B\",7", Registration::Home},
        {"+CREG: 1,2", Registration::Searching},
        {"+CREG: 0,3", Registration::Denied},
        {"+CREG: 0,0", Registration::None},
        {"+CREG: 0,4", Registration::None},  // unknown
        {"+CREG: 0,8", Registration::None},  // emergency calls only
        {"+CREG: 0,6", Registration::Home},  // for SMS only
        {"+CREG: 0,10", Registration::Roaming},
        {"+CREG: 5", Registration::Roaming},                   // unsolicited: the state alone
        {"+CREG: 3,\"00C3\",\"1A2B\"", Registration::Denied},  // unsolicited, with the area
        {"+CREG: x,y", Registration::Unknown},
    };
    for (const auto& [line, expected] : registrations)
        EXPECT_EQ(RegistrationOf("\r\n" + std::string(line) + "\r\n\r\nOK\r\n", "+CREG:"), expected)
            << line;
    EXPECT_EQ(RegistrationOf("\r\n+CEREG: 2,1,\"2B67\",\"01A2C3D4\",7\r\n", "+CEREG:"),
              Registration::Home);
    EXPECT_EQ(RegistrationOf("\r\n+CEREG: 0,1\r\n", "+CREG:"), Registration::Unknown);

    EXPECT_EQ(OperatorOf("\r\n+COPS: 0,0,\"vodafone IT\",7\r\n"), "vodafone IT");
    EXPECT_EQ(OperatorOf("\r\n+COPS: 0,2,\"22210\"\r\n"), "22210");
    EXPECT_EQ(OperatorOf("\r\n+COPS: 0\r\n"), "");

    const std::pair<const char*, int> signals[] = {
        {"0,99", 0}, {"31,0", 31}, {"99,99", 99}, {"32,99", 99}, {"-1,99", 99}};
    for (const auto& [value, rssi] : signals)
        EXPECT_EQ(SignalOf("\r\n+CSQ: " + std::string(value) + "\r\n"), rssi) << value;
    EXPECT_EQ(SignalOf("\r\nOK\r\n"), std::nullopt);
    const std::pair<int, int> bars[] = {{0, 0},  {1, 1},  {9, 1},  {10, 2}, {14, 2},
                                        {15, 3}, {19, 3}, {20, 4}, {31, 4}, {99, -1}};
    for (const auto& [rssi, expected] : bars)
        EXPECT_EQ(SignalBars(rssi), expected) << rssi;

    EXPECT_EQ(MaskedPins("AT+CPIN=\"1234\"\r\r\nOK AT+CPIN=\"12345678\",\"4321\"\r AT+CPIN?\r"),
              "AT+CPIN=\"****\"\r\r\nOK AT+CPIN=\"********\",\"****\"\r AT+CPIN?\r");
}

// A program whose port opens on a SIM the test answers for.
struct SimRig : test::Rig {
    SimRig() {
        dir.write("Setting.sms",
                  " 1 \r\n19200,n,8,1\r\n 0 \r\n391234567890\r\nFalse\r\nFalse\r\nenglish\r\n");
        program = MakeProgram(host, port, dir.path());
        program->Form1->load();
    }
    Window& pin() { return *program->FormPin; }
    std::string panel() {
        Status_Refresh(*program);
        return form1()["StatusBar1"].panel(kNetworkPanel);
    }
    // The code typed into the window the next time it shows, and whether Ok took it.
    void willType(const std::string& code, const std::string& newPin = {}) {
        host.duringModal = [this, code, newPin](Window& w) {
            shownNote = w["Label4"].text();
            pukShown = w["Text2"].visible();
            w["Text1"].userEdit(code);
            w["Text2"].userEdit(newPin);
            EXPECT_FALSE(w["Text1"].userEdit(code + "x"));  // digits only
            w["Command1"].click();
        };
    }
    std::string shownNote;
    bool pukShown = false;
};

TEST(SimPin, APukComesWithANewPinAndTheVendorsTriesAreRead) {
    SimRig rig;
    rig.written();
    EXPECT_EQ(rig.reply("\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n"), "AT+CPINR=\"SIM PUK\"\r");
    EXPECT_EQ(rig.reply("\r\n+CME ERROR: 4\r\n"), "AT^CPIN?\r");
    rig.willType("12345678", "4321");
    EXPECT_EQ(rig.reply("\r\n^CPIN: SIM PUK,10,9,0,10,3\r\n\r\nOK\r\n"),
              "AT+CPIN=\"12345678\",\"4321\"\r");
    EXPECT_TRUE(rig.pukShown);
    EXPECT_EQ(rig.shownNote, "Attempts left: 9.");
    // A PUK of fewer than eight digits is no PUK.
    rig.willType("1234567", "4321");
    EXPECT_EQ(rig.reply("\r\n+CME ERROR: 16\r\n"), "AT+CPIN?\r");
    EXPECT_EQ(rig.reply("\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n"), "AT+CPINR=\"SIM PUK\"\r");
    EXPECT_EQ(rig.reply("\r\nERROR\r\n"), "AT^CPIN?\r");
    // Ok refused it: the window closed without a code, and the user is told what SMS need.
    EXPECT_EQ(rig.reply("\r\nERROR\r\n"), "AT+CNMI=?\r");
    EXPECT_EQ(rig.shownNote, "Wrong PUK.");
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].text,
              "Without its PIN the SIM serves no SMS: open the port again to enter it.");
    EXPECT_EQ(rig.panel(), "SIM PUK");
    EXPECT_TRUE(rig.program->Comm1.portOpen());
}

// What the SIM says instead of its state is said in words; a phone that does not know AT+CPIN
// is taken as ready, and one that leaves out the OK after "+CPIN: READY" is not waited for.
TEST(SimPin, RefusalsSilenceAndAMissingOk) {
    const struct {
        const char* answer;
        int quietMs;
        const char* told;
        const char* next;
    } rows[] = {
        {"\r\n+CME ERROR: 10\r\n", 0, "There is no SIM card in the mobile.", "AT+CNMI=?\r"},
        {"\r\n+CME ERROR: SIM failure\r\n", 0, "The SIM card does not work (SIM failure).",
         "AT+CNMI=?\r"},
        {"\r\nERROR\r\n", 0, "", "AT+CNMI=?\r"},
        {"\r\n+CPIN: READY\r\n", 1000, "", "AT+CNMI=?\r"},
        {"", kCommandReplyMs, "Port ", "AT\r"},  // the line goes back in step first
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.answer);
        SimRig rig;
        rig.written();
        rig.reply(row.answer);
        rig.quiet(row.quietMs);
        EXPECT_EQ(rig.port.written, row.next);
        std::string told;
        for (const auto& box : rig.host.boxes)
            told += box.text;
        EXPECT_EQ(told.substr(0, std::string(row.told).size()), row.told);
        if (row.quietMs == kCommandReplyMs) {  // told once, and kept in the network panel
            EXPECT_EQ(rig.host.boxes.size(), 1u);
            EXPECT_EQ(told, rig.panel());
            EXPECT_TRUE(told.ends_with(" is open, but no mobile answers there."));
        }
    }
}

// Asked every half minute while the line is quiet: registration (LTE where offered), the
// operator by name, the signal; shown in the network panel; a send while unregistered asks.
TEST(Network, IsAskedNowAndThenAndShownAndASendWithoutItAsks) {
    SimRig rig;
    rig.written();
    rig.reply("\r\n+CPIN: READY\r\n\r\nOK\r\n");
    rig.reply("\r\nOK\r\n");  // no indications offered
    Control& timer = rig.form1()["Timer1"];
    timer.tick();
    EXPECT_EQ(rig.written(), "AT+CREG?\r");
    EXPECT_EQ(rig.reply("\r\n+CREG: 0,5\r\n\r\nOK\r\n"), "AT+CEREG?\r");
    EXPECT_EQ(rig.reply("\r\nERROR\r\n"), "AT+COPS=3,0\r");
    EXPECT_EQ(rig.reply("\r\nOK\r\n"), "AT+COPS?\r");
    EXPECT_EQ(rig.reply("\r\n+COPS: 0,0,\"TIM\",2\r\n\r\nOK\r\n"), "AT+CSQ\r");
    EXPECT_EQ(rig.reply("\r\n+CSQ: 17,99\r\n\r\nOK\r\n"), "");
    EXPECT_EQ(rig.panel(), "TIM \u00b7 Roaming \u2582\u2584\u2586\u2581");
    EXPECT_TRUE(rig.host.boxes.empty());  // not the user's business

    for (int s = 1; s < kNetworkPollSeconds; ++s)
        timer.tick();
    EXPECT_EQ(rig.written(), "");
    timer.tick();
    EXPECT_EQ(rig.written(), "AT+CREG?\r");  // LTE and the name form are not asked again
    rig.port.written = "AT+CREG?\r";
    EXPECT_EQ(rig.reply("\r\n+CREG: 0,2\r\n\r\nOK\r\n"), "AT+COPS?\r");
    EXPECT_EQ(rig.reply("\r\n+COPS: 0\r\n\r\nOK\r\n"), "AT+CSQ\r");
    rig.reply("\r\n+CSQ: 99,99\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.panel(), "Searching");

    rig.form1()["Text4"].setText("+393331234567");
    rig.form1()["Text5"].setText("Ciao");
    rig.host.answers = {MsgResult::No};
    EXPECT_EQ(rig.click("Command6"), "");
    ASSERT_EQ(rig.host.boxes.size(), 1u);
    EXPECT_EQ(rig.host.boxes[0].text, "The mobile is not registered on a network: send anyway?");
    rig.host.answers = {MsgResult::Yes};
    EXPECT_EQ(rig.click("Command6"), "AT+CMGS=18\r");
    EXPECT_EQ(rig.panel(), "Sending part 1 of 1");
}

}  // namespace
}  // namespace bsms
