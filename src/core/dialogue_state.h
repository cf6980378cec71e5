// The state of the dialogue with the phone, the user's options and the counts: one instance for
// the whole run, read and written by every handler.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bsms {

// A send or store job: which part is under way and what the phone is expected to answer.
enum class JobStep { Idle, WaitPrompt, WaitOk };
struct JobState {
    bool active = false;
    JobStep step = JobStep::Idle;
    int part = 0;  // 1 to 5 while a step is set
    void start() {
        active = true;
        step = JobStep::WaitPrompt;
        part = 1;
    }
    void clear() { *this = JobState{}; }
};

// The message of a send job as it was when the user sent it: logged and counted once the phone
// has taken its last part.
struct SentMessage {
    std::string text;
    std::string recipient;
    std::string smsNeeded;  // Label14's caption
    // With a status report asked for: the references the phone gave its parts ("+CMGS: mr").
    bool statusReport = false;
    int parts = 0;
    int taken = 0;  // parts the phone has taken so far
    std::vector<int> references;
};

// The setting up of new-message indications at the port's opening: what the phone offers has
// been asked for, or the chosen setting written. It goes on whatever dialogue the user starts.
enum class IndicationsStep { None, Offered, Set };

// What the SIM asks for before it serves: found out as the port opens.
enum class SimStep { Unknown, Asking, Pin, Puk, Ready, Missing, Failed };
struct SimState {
    SimStep step = SimStep::Unknown;
    int triesLeft = -1;     // as the phone tells them; -1 when it does not
    bool wrong = false;     // the last PIN or PUK given was refused
    bool wrongPuk = false;  // and it was a PUK
    // The phone offers neither AT+CPINR nor the vendor's command for the tries left.
    bool triesUnknown = false;
    bool answered = false;  // the phone has answered since the port opened
};

// The network as the phone sees it, from its last answers.
enum class Registration { Unknown, None, Home, Roaming, Searching, Denied };
struct NetworkState {
    Registration registration = Registration::Unknown;
    std::string operatorName;
    int rssi = 99;               // AT+CSQ: 0 to 31, 99 not known
    bool lteRefused = false;     // AT+CEREG? is not offered
    bool nameFormatSet = false;  // AT+COPS=3,0 has been asked
    int secondsSincePoll = -1;   // -1: not asked since the SIM became ready
    bool phoneSilent = false;    // the first command after opening went unanswered
};

// Registered: on the home network or roaming.
inline bool Registered(Registration r) {
    return r == Registration::Home || r == Registration::Roaming;
}

struct DialogueState {
    bool Csc_Query_Pending = false;
    bool Phonebook_Download = false;
    bool Phonebook_Ask_Sim = false;
    bool Phonebook_Reading_Sim = false;
    bool Phonebook_Ask_Me = false;
    bool Phonebook_Reading_Me = false;
    JobState Send_Job;   // Send_Job_Active and Send_Step
    JobState Store_Job;  // Store_Job_Active and Store_Step
    bool Sent_Confirm_Pending = false;
    std::optional<SentMessage> sending;  // set with Send_Job, until the send is confirmed
    // A send ended while a part's PDU was on its way: settled once the phone answers that PDU
    // (the command tagged kEndedSendPart). No dialogue's flag: another dialogue may run meanwhile.
    std::optional<SentMessage> endingSend;
    bool Browser_Reading = false;
    bool Special_Chars_Return = false;
    IndicationsStep indications = IndicationsStep::None;
    SimState sim;
    NetworkState network;

    bool Opt_Confirm_Send = true;
    bool Opt_Status_Report = false;
    bool Opt_Flash = false;
    bool Opt_Notify = true;  // new messages are told on the desktop

    std::int16_t Sent_Count = 0;
    std::int16_t Sim_Phonebook_Size = 200;
    std::int16_t Phone_Phonebook_Size = 50;
    std::int16_t Browser_Slot_Count = 20;

    std::string Current_Language;
    std::string Csc_Number;

    // Ends every dialogue at once; leaves Browser_Reading, Special_Chars_Return, the options and
    // the counts alone.
    void Reset_Dialogue_Flags() {
        Csc_Query_Pending = false;
        Phonebook_Download = false;
        Phonebook_Ask_Sim = false;
        Phonebook_Reading_Sim = false;
        Phonebook_Ask_Me = false;
        Phonebook_Reading_Me = false;
        Send_Job.clear();
        Store_Job.clear();
        Sent_Confirm_Pending = false;
        sending.reset();
    }
};

}  // namespace bsms
