// What the simulated phone holds and how it misbehaves: identity, stores, phonebooks, faults,
// unsolicited codes. Built from defaults, a profile, a scenario file and command-line options.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "pdu.h"

namespace phonesim {

struct StoredMessage {
    int stat = 1;     // 0 received unread, 1 received read, 2 stored unsent, 3 stored sent
    std::string pdu;  // hexadecimal, service-centre field first
};

struct MessageStore {
    int capacity = 0;
    std::map<int, StoredMessage> slots;  // location (from 1) to message
    int FreeSlot() const;                // 0 when full
};

struct PhonebookEntry {
    std::string number;
    int type = 129;
    std::string name;  // UTF-8
};

struct Phonebook {
    int capacity = 0;
    std::map<int, PhonebookEntry> entries;
    int nameLength = 18;  // characters of a name that AT+CPBW takes
};

// Command lines are matched case-insensitively and whole; a pattern ending in "*" matches
// every line that begins with the rest.
bool MatchesCommand(std::string_view pattern, std::string_view line);

struct Fault {
    enum class Kind { Silent, Error, Cms, Cme, Vanish };
    Kind kind = Kind::Error;
    std::string pattern;
    int code = 0;
    bool once = false;
    bool spent = false;
};

// An unsolicited result code sent right after the reply to a matching command.
struct Unsolicited {
    std::string pattern;
    std::string text;
};

// A message that arrives later: after the reply to a matching command, or, without a pattern,
// at each SIGUSR1 in turn.
struct Arrival {
    std::string pattern;
    std::vector<std::string> pdus;
};

struct Config {
    // The SIM: what it asks for at start, its codes, and how a client learns the tries left.
    enum class Lock { Ready, Pin, Puk, Blocked };
    enum class Retries { Cpinr, Huawei, None };  // AT+CPINR (TS 27.007), AT^CPIN?, neither

    std::string manufacturer = "Brenvik";
    std::string model = "BX-1 Simulated Phone";
    std::string revision = "1.0.0";
    std::string imei = "350000000000006";
    std::string imsi = "222019876543210";
    std::string serviceCentre = "+391234500000";
    std::string signal = "20,99";
    std::string network = "Brenvik Mobile";
    std::string pin = "1234";
    std::string puk = "12345678";

    // Settings a reset (ATZ) returns to (with echo and cmee below).
    std::string charset = "GSM";
    std::string cnmi = "2,1,0,0,0";

    // Quirks (with the numbers and switches below).
    std::string unknownReply = "ERROR";
    std::string prompt = "> ";  // what follows CR LF when a PDU is awaited
    std::vector<std::string> messageMemories{"SM", "ME", "MT"};         // what AT+CPMS takes
    std::vector<std::string> charsets{"GSM", "IRA", "8859-1", "UCS2"};  // what AT+CSCS takes
    std::vector<std::string> unsupported;

    std::map<std::string, MessageStore> stores{{"SM", {30, {}}}, {"ME", {100, {}}}};
    std::map<std::string, Phonebook> phonebooks{{"SM", {250, {}, 18}}, {"ME", {100, {}, 40}}};
    std::vector<Fault> faults;
    std::vector<Unsolicited> unsolicited;
    std::vector<Arrival> arrivals;

    int serviceCentreType = 145;
    Lock pinState = Lock::Ready;
    Retries pinRetries = Retries::Cpinr;
    int simBusy = 0;  // commands that need the SIM refused as busy, after start and an unlock
    // The network: the <stat> of AT+CREG (1 home, 5 roaming, 2 searching, 3 denied, 0 none).
    int registration = 1;
    int cmee = 1;
    int emptyReadCode = 0;  // "+CMS ERROR: <code>" instead of "OK" for an empty location
    int promptPauseMs = 0;  // characters arriving this soon after the prompt are lost
    // The status report the network gives a message sent with one asked for: TP-ST, or -1 for
    // none. Routed as AT+CNMI's fourth value says: 1 "+CDS:" with the report, 2 stored and
    // "+CDSI:".
    int reportStatus = 0x00;

    // Line.
    int chunkSize = 0;
    int chunkPauseMs = 0;
    int baud = 0;
    int noise = 0;      // bytes of line noise (0x80 to 0xFF) before every answer
    int latencyMs = 0;  // how long the phone takes before it answers a command

    bool lte = false;  // AT+CEREG (LTE) is there too
    bool echo = true;
    bool cpinOk = true;          // "OK" after "+CPIN: READY"
    bool verboseCms = false;     // "+CMS ERROR:" in words too under AT+CMEE=2
    bool strictStrings = false;  // ERROR for a string parameter written without quotes
};

// Messages and phonebook entries of a phone that has been in use for a while.
void AddDefaultContent(Config& config);

struct Profile {
    const char* name;
    const char* description;
    void (*apply)(Config&);
};
// Kinds of device: a client has to get through with every one of them.
const std::vector<Profile>& Profiles();
// States of the SIM or the network that a client has to deal with before anything else.
const std::vector<Profile>& StateProfiles();
// Either kind; false for an unknown name.
bool ApplyProfile(Config& config, std::string_view name);

struct ScenarioError : std::runtime_error {
    ScenarioError(int line, const std::string& what) : std::runtime_error(what), line(line) {}
    int line;
};

// Applies the lines of a scenario file to `config`; throws ScenarioError.
void ApplyScenario(Config& config, std::string_view text);
// Applies one "keyword arguments..." line (also used for command-line options).
void ApplySetting(Config& config, std::string_view line);

// Stores a message's parts in consecutive free locations from `index` (0: the first free one);
// returns the locations. Throws std::invalid_argument when they do not fit.
std::vector<int> StoreParts(MessageStore& store, const std::vector<std::string>& pdus, int stat,
                            int index = 0);

}  // namespace phonesim
