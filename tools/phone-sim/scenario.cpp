#include "scenario.h"

#include <algorithm>
#include <charconv>
#include <functional>

namespace phonesim {
namespace {

using std::invalid_argument;

struct Token {
    std::string text;  // unquoted
    std::string key;   // before an unquoted "=", else empty
    std::string value;
};

std::vector<Token> Tokenize(std::string_view line) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        Token t;
        bool inQuotes = false, haveKey = false;
        for (; i < line.size() && (inQuotes || (line[i] != ' ' && line[i] != '\t')); ++i) {
            char c = line[i];
            if (c == '"') {
                inQuotes = !inQuotes;
                continue;
            }
            if (inQuotes && c == '\\' && i + 1 < line.size()) {
                char e = line[++i];
                c = e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
            } else if (!inQuotes && c == '=' && !haveKey) {
                haveKey = true;
                t.key = t.text;
                t.text += c;
                continue;
            }
            t.text += c;
            if (haveKey) t.value += c;
        }
        if (inQuotes) throw invalid_argument("unclosed double quote");
        tokens.push_back(std::move(t));
    }
    return tokens;
}

int ToInt(std::string_view s, int low, int high) {
    int v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v < low || v > high)
        throw invalid_argument("\"" + std::string(s) + "\" is not a number from " +
                               std::to_string(low) + " to " + std::to_string(high));
    return v;
}

bool ToBool(std::string_view s) {
    if (s == "on" || s == "yes" || s == "1") return true;
    if (s == "off" || s == "no" || s == "0") return false;
    throw invalid_argument("\"" + std::string(s) + "\" is not on/off");
}

// The position of `s` among `names`.
std::size_t OneOf(std::string_view s, const std::vector<std::string_view>& names) {
    auto it = std::find(names.begin(), names.end(), s);
    if (it != names.end()) return static_cast<std::size_t>(it - names.begin());
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i)
        list += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + std::string(names[i]);
    throw invalid_argument("\"" + std::string(s) + "\" is not " + list);
}

// A SIM's code: digits only, so that it can be typed.
std::string Code(std::string_view s, std::size_t low, std::size_t high) {
    if (s.size() < low || s.size() > high ||
        !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throw invalid_argument("\"" + std::string(s) + "\" is not " + std::to_string(low) + " to " +
                               std::to_string(high) + " digits");
    return std::string(s);
}

std::string Memory(std::string_view s) {
    std::string m(s);
    std::transform(m.begin(), m.end(), m.begin(), ::toupper);
    if (m != "SM" && m != "ME") throw invalid_argument("memory must be SM or ME");
    return m;
}

using Args = std::vector<Token>;

const std::string& Need(const Args& a, std::size_t i, const char* what) {
    if (i >= a.size()) throw invalid_argument(std::string("missing ") + what);
    return a[i].text;
}

void NoMore(const Args& a, std::size_t n) {
    if (a.size() > n) throw invalid_argument("unexpected \"" + a[n].text + "\"");
}

std::string Rest(const Args& a) {
    std::string s;
    for (const auto& t : a)
        s += (s.empty() ? "" : " ") + t.text;
    if (s.empty()) throw invalid_argument("missing value");
    return s;
}

int ParseStat(std::string_view s) {
    static const std::map<std::string_view, int> names{
        {"unread", 0}, {"read", 1}, {"unsent", 2}, {"sent", 3}};
    auto it = names.find(s);
    return it != names.end() ? it->second : ToInt(s, 0, 3);
}

// A message given by key=value pairs; `place` receives store, index and stat when present.
struct MessageArgs {
    std::string store = "SM";
    int index = 0;
    int stat = 0;
    std::vector<std::string> pdus;
};

MessageArgs ParseMessage(const Args& args, bool placed) {
    MessageArgs out;
    Deliver d;
    d.serviceCentre = "+391234500000";
    std::string pdu;
    bool haveText = false, haveFrom = false;
    for (const auto& t : args) {
        const std::string& k = t.key;
        const std::string& v = t.value;
        if (k.empty()) throw invalid_argument("expected key=value, got \"" + t.text + "\"");
        if (placed && k == "store")
            out.store = Memory(v);
        else if (placed && k == "index")
            out.index = ToInt(v, 1, 1000);
        else if (placed && k == "stat")
            out.stat = ParseStat(v);
        else if (k == "from")
            d.sender = v, haveFrom = true;
        else if (k == "from-type")
            d.senderType = ToInt(v, 128, 255);
        else if (k == "sc")
            d.serviceCentre = v;
        else if (k == "text")
            d.text = v, haveText = true;
        else if (k == "ref")
            d.reference = ToInt(v, 0, 255);
        else if (k == "flash")
            d.flash = ToBool(v);
        else if (k == "pdu")
            pdu = v;
        else if (k == "time") {
            auto ts = ParseTimestamp(v);
            if (!ts) throw invalid_argument("time must look like 25/01/15,12:00:00+04");
            d.time = *ts;
        } else if (k == "coding") {
            if (v == "auto")
                d.coding = Coding::Auto;
            else if (v == "7bit")
                d.coding = Coding::Gsm7;
            else if (v == "ucs2")
                d.coding = Coding::Ucs2;
            else
                throw invalid_argument("coding must be auto, 7bit or ucs2");
        } else {
            throw invalid_argument("unknown key \"" + k + "\"");
        }
    }
    if (!pdu.empty()) {
        if (haveText || haveFrom) throw invalid_argument("give either pdu= or from= and text=");
        if (!TpduLength(pdu)) throw invalid_argument("pdu= is not a hexadecimal PDU");
        std::transform(pdu.begin(), pdu.end(), pdu.begin(), ::toupper);
        out.pdus = {pdu};
        return out;
    }
    if (!haveFrom || !haveText) throw invalid_argument("a message needs from= and text= (or pdu=)");
    out.pdus = BuildDeliver(d);
    return out;
}

void AddMessage(Config& c, const Args& a) {
    MessageArgs m = ParseMessage(a, true);
    StoreParts(c.stores[m.store], m.pdus, m.stat, m.index);
}

void AddContact(Config& c, const Args& a) {
    std::string book = "SM";
    int index = 0;
    PhonebookEntry e;
    bool haveNumber = false, haveType = false;
    for (const auto& t : a) {
        if (t.key == "book")
            book = Memory(t.value);
        else if (t.key == "index")
            index = ToInt(t.value, 1, 10000);
        else if (t.key == "number")
            e.number = t.value, haveNumber = true;
        else if (t.key == "type")
            e.type = ToInt(t.value, 128, 255), haveType = true;
        else if (t.key == "name")
            e.name = t.value;
        else
            throw invalid_argument("unknown contact field \"" + t.text + "\"");
    }
    if (!haveNumber) throw invalid_argument("a contact needs number=");
    if (!haveType) e.type = !e.number.empty() && e.number[0] == '+' ? 145 : 129;
    Phonebook& pb = c.phonebooks[book];
    if (index == 0)
        while (pb.entries.count(++index)) {
        }
    if (index > pb.capacity) throw invalid_argument("phonebook " + book + " is full");
    pb.entries[index] = e;
}

void AddFault(Config& c, const Args& a) {
    static const std::map<std::string_view, Fault::Kind> kinds{{"silent", Fault::Kind::Silent},
                                                               {"error", Fault::Kind::Error},
                                                               {"cms", Fault::Kind::Cms},
                                                               {"cme", Fault::Kind::Cme},
                                                               {"vanish", Fault::Kind::Vanish}};
    auto kind = kinds.find(Need(a, 0, "fault kind"));
    if (kind == kinds.end())
        throw invalid_argument("fault must be silent, error, cms, cme or vanish");
    Fault f;
    f.kind = kind->second;
    f.pattern = Need(a, 1, "command");
    std::size_t n = 2;
    if (f.kind == Fault::Kind::Cms || f.kind == Fault::Kind::Cme)
        f.code = ToInt(Need(a, n++, "error number"), 0, 999);
    if (n < a.size() && a[n].text == "once") f.once = true, ++n;
    NoMore(a, n);
    c.faults.push_back(f);
}

void AddArrival(Config& c, const Args& a) {
    Args rest;
    std::string pattern;
    for (const auto& t : a)
        if (t.key == "after")
            pattern = t.value;
        else
            rest.push_back(t);
    c.arrivals.push_back({pattern, ParseMessage(rest, false).pdus});
}

using Setter = std::function<void(Config&, const Args&)>;

const std::map<std::string_view, Setter>& Setters() {
    static const std::map<std::string_view, Setter> table{
        {"manufacturer", [](Config& c, const Args& a) { c.manufacturer = Rest(a); }},
        {"model", [](Config& c, const Args& a) { c.model = Rest(a); }},
        {"revision", [](Config& c, const Args& a) { c.revision = Rest(a); }},
        {"imei", [](Config& c, const Args& a) { c.imei = Rest(a); }},
        {"imsi", [](Config& c, const Args& a) { c.imsi = Rest(a); }},
        {"network", [](Config& c, const Args& a) { c.network = Rest(a); }},
        {"signal", [](Config& c, const Args& a) { c.signal = Rest(a); }},
        {"service-centre",
         [](Config& c, const Args& a) {
             c.serviceCentre = Need(a, 0, "number");
             c.serviceCentreType = a.size() > 1 ? ToInt(a[1].text, 128, 255)
                                   : !c.serviceCentre.empty() && c.serviceCentre[0] == '+' ? 145
                                                                                           : 129;
             NoMore(a, 2);
         }},
        {"echo", [](Config& c, const Args& a) { c.echo = ToBool(Need(a, 0, "on/off")); }},
        {"cmee", [](Config& c, const Args& a) { c.cmee = ToInt(Need(a, 0, "mode"), 0, 2); }},
        {"charset",
         [](Config& c, const Args& a) {
             const std::string& s = Need(a, 0, "character set");
             if (s != "GSM" && s != "IRA" && s != "8859-1" && s != "UCS2")
                 throw invalid_argument("character set must be GSM, IRA, 8859-1 or UCS2");
             c.charset = s;
         }},
        {"charsets",
         [](Config& c, const Args& a) {
             c.charsets.clear();
             for (const auto& s : a) {
                 if (s.text != "GSM" && s.text != "IRA" && s.text != "8859-1" && s.text != "UCS2")
                     throw invalid_argument("character sets are GSM, IRA, 8859-1 and UCS2");
                 c.charsets.push_back(s.text);
             }
         }},
        {"cnmi", [](Config& c, const Args& a) { c.cnmi = Need(a, 0, "settings"); }},
        {"empty-read",
         [](Config& c, const Args& a) {
             const std::string& s = Need(a, 0, "ok/error/code");
             c.emptyReadCode = s == "ok" ? 0 : s == "error" ? 321 : ToInt(s, 300, 511);
         }},
        {"prompt", [](Config& c, const Args& a) { c.prompt = Need(a, 0, "text"); }},
        {"verbose-cms",
         [](Config& c, const Args& a) { c.verboseCms = ToBool(Need(a, 0, "yes/no")); }},
        {"strict-strings",
         [](Config& c, const Args& a) { c.strictStrings = ToBool(Need(a, 0, "yes/no")); }},
        {"message-memories",
         [](Config& c, const Args& a) {
             c.messageMemories.clear();
             for (const auto& m : a)
                 c.messageMemories.push_back(m.text == "MT" ? "MT" : Memory(m.text));
         }},
        {"cpin-ok", [](Config& c, const Args& a) { c.cpinOk = ToBool(Need(a, 0, "yes/no")); }},
        {"unknown-reply", [](Config& c, const Args& a) { c.unknownReply = Rest(a); }},
        {"prompt-pause",
         [](Config& c, const Args& a) { c.promptPauseMs = ToInt(Need(a, 0, "ms"), 0, 60000); }},
        {"unsupported",
         [](Config& c, const Args& a) { c.unsupported.push_back(Need(a, 0, "command")); }},
        {"chunk",
         [](Config& c, const Args& a) {
             c.chunkSize = ToInt(Need(a, 0, "size"), 0, 1 << 20);
             c.chunkPauseMs = a.size() > 1 ? ToInt(a[1].text, 0, 60000) : 20;
             NoMore(a, 2);
         }},
        {"baud", [](Config& c, const Args& a) { c.baud = ToInt(Need(a, 0, "rate"), 0, 4000000); }},
        {"noise", [](Config& c, const Args& a) { c.noise = ToInt(Need(a, 0, "bytes"), 0, 4096); }},
        {"latency",
         [](Config& c, const Args& a) { c.latencyMs = ToInt(Need(a, 0, "ms"), 0, 60000); }},
        {"report",
         [](Config& c, const Args& a) {
             const std::string& s = Need(a, 0, "none/delivered/pending/failed");
             if (s == "none")
                 c.reportStatus = -1;
             else if (s == "delivered")
                 c.reportStatus = 0x00;
             else if (s == "pending")
                 c.reportStatus = 0x20;
             else if (s == "failed")
                 c.reportStatus = 0x41;
             else
                 throw invalid_argument("report must be none, delivered, pending or failed");
         }},
        {"pin", [](Config& c, const Args& a) { c.pin = Code(Need(a, 0, "PIN"), 4, 8); }},
        {"puk", [](Config& c, const Args& a) { c.puk = Code(Need(a, 0, "PUK"), 8, 8); }},
        {"pin-state",
         [](Config& c, const Args& a) {
             c.pinState = static_cast<Config::Lock>(
                 OneOf(Need(a, 0, "state"), {"ready", "pin", "puk", "blocked"}));
         }},
        {"pin-retries",
         [](Config& c, const Args& a) {
             c.pinRetries = static_cast<Config::Retries>(
                 OneOf(Need(a, 0, "form"), {"cpinr", "huawei", "none"}));
         }},
        {"sim-busy",
         [](Config& c, const Args& a) { c.simBusy = ToInt(Need(a, 0, "commands"), 0, 1000); }},
        {"registration",
         [](Config& c, const Args& a) {
             static const int stat[] = {1, 5, 2, 3, 0};
             c.registration = stat[OneOf(Need(a, 0, "state"),
                                         {"home", "roaming", "searching", "denied", "none"})];
         }},
        {"lte", [](Config& c, const Args& a) { c.lte = ToBool(Need(a, 0, "yes/no")); }},
        {"profile",
         [](Config& c, const Args& a) {
             if (!ApplyProfile(c, Need(a, 0, "name")))
                 throw invalid_argument("unknown profile \"" + a[0].text + "\"");
         }},
        {"default-content", [](Config& c, const Args& a) { NoMore(a, 0), AddDefaultContent(c); }},
        {"sms-capacity",
         [](Config& c, const Args& a) {
             c.stores[Memory(Need(a, 0, "memory"))].capacity = ToInt(Need(a, 1, "size"), 0, 1000);
         }},
        {"phonebook-size",
         [](Config& c, const Args& a) {
             c.phonebooks[Memory(Need(a, 0, "memory"))].capacity =
                 ToInt(Need(a, 1, "size"), 0, 10000);
         }},
        {"phonebook-name-length",
         [](Config& c, const Args& a) {
             c.phonebooks[Memory(Need(a, 0, "memory"))].nameLength =
                 ToInt(Need(a, 1, "characters"), 1, 255);
             NoMore(a, 2);
         }},
        {"message", AddMessage},
        {"contact", AddContact},
        {"fault", AddFault},
        {"urc",
         [](Config& c, const Args& a) {
             c.unsolicited.push_back({Need(a, 0, "command"), Need(a, 1, "text")});
             NoMore(a, 2);
         }},
        {"arrival", AddArrival},
    };
    return table;
}

void Apply(Config& c, std::string_view keyword, const Args& args) {
    auto it = Setters().find(keyword);
    if (it == Setters().end())
        throw invalid_argument("unknown keyword \"" + std::string(keyword) + "\"");
    it->second(c, args);
}

}  // namespace

int MessageStore::FreeSlot() const {
    for (int i = 1; i <= capacity; ++i)
        if (!slots.count(i)) return i;
    return 0;
}

bool MatchesCommand(std::string_view pattern, std::string_view line) {
    bool prefix = !pattern.empty() && pattern.back() == '*';
    if (prefix) pattern.remove_suffix(1);
    if (line.size() < pattern.size() || (!prefix && line.size() != pattern.size())) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(pattern[i])) !=
            std::toupper(static_cast<unsigned char>(line[i])))
            return false;
    return true;
}

std::vector<int> StoreParts(MessageStore& store, const std::vector<std::string>& pdus, int stat,
                            int index) {
    std::vector<int> places;
    int at = index ? index : 1;
    for (std::size_t k = 0; k < pdus.size(); ++k) {
        while (at <= store.capacity && store.slots.count(at)) {
            if (index) throw invalid_argument("location " + std::to_string(at) + " is taken");
            ++at;
        }
        if (at > store.capacity) throw invalid_argument("message store is full");
        places.push_back(at++);
    }
    for (std::size_t k = 0; k < pdus.size(); ++k)
        store.slots[places[k]] = {stat, pdus[k]};
    return places;
}

void AddDefaultContent(Config& c) {
    auto add = [&](const char* from, const char* text, const char* time, int stat, int ref = 0) {
        Deliver d;
        d.sender = from;
        d.serviceCentre = "+391234500000";
        d.text = text;
        d.time = *ParseTimestamp(time);
        d.reference = ref;
        StoreParts(c.stores["SM"], BuildDeliver(d), stat);
    };
    add("+393331234567", "Ciao", "05/12/05,10:15:30+04", 1);
    add("+393471112233", "Prezzo: 10€ [sconto] {fino a ~ domani} ^_^ | a\\b",
        "24/03/02,18:40:05+04", 1);
    add("+447700900123", "Привет! Καλημέρα 你好", "24/06/11,07:05:59+04", 0);
    add("+393337654321",
        "Questo è un messaggio lungo, spedito in due parti: il telefono le riceve una per volta "
        "e le tiene in due posizioni vicine. Chi legge deve rimetterle insieme con l'intestazione "
        "di concatenazione che apre ogni parte. Fine.",
        "24/09/30,21:12:44+08", 0, 0x42);
    add("0612345", "Chiamami appena puoi.", "25/01/15,08:00:00-20", 1);

    auto contact = [&](const char* book, int index, const char* number, const char* name) {
        c.phonebooks[book].entries[index] = {number, number[0] == '+' ? 145 : 129, name};
    };
    contact("SM", 1, "+393331234567", "Anna");
    contact("SM", 2, "3471112233", "Bruno Rossi");
    contact("SM", 4, "+393337654321", "");
    contact("SM", 5, "0612345", "Ufficio");
    contact("ME", 1, "+390298765432", "Casa");
    contact("ME", 2, "+447700900123", "Zoë");
    contact("ME", 3, "+48601234567", "Łukasz");
    contact("ME", 4, "+74951234567", "Ольга");
}

const std::vector<Profile>& Profiles() {
    static const std::vector<Profile> profiles{
        {"standard", "a well-behaved phone (the default)", [](Config&) {}},
        {"empty-error", "answers \"+CMS ERROR: 321\" when an empty location is read",
         [](Config& c) {
             c.emptyReadCode = 321;
             c.cmee = 1;
         }},
        {"cpin-no-ok", "answers AT+CPIN? with \"+CPIN: READY\" and no OK after it",
         [](Config& c) { c.cpinOk = false; }},
        {"usb-modem", "a USB modem: \"COMMAND NOT SUPPORT\" for commands it does not know",
         [](Config& c) { c.unknownReply = "COMMAND NOT SUPPORT"; }},
        {"prompt-pause", "loses what arrives within 200 ms after the \"> \" prompt",
         [](Config& c) { c.promptPauseMs = 200; }},
        {"simcom", "a SIMCom module: the prompt is \">\" and a line end, with no blank",
         [](Config& c) { c.prompt = ">\r\n"; }},
        {"huawei",
         "a Huawei USB stick: \"+CMS ERROR: 500\" for an empty location, AT^CPIN? for tries",
         [](Config& c) {
             c.emptyReadCode = 500;
             c.pinRetries = Config::Retries::Huawei;
         }},
        {"wavecom", "a Wavecom modem: no memory MT, AT+CPMS=MT gets \"+CMS ERROR: 302\"",
         [](Config& c) {
             c.messageMemories = {"SM", "ME"};
         }},
        {"cinterion",
         "a Cinterion module: errors in words (AT+CMEE=2), \"invalid memory index\" for an "
         "empty location",
         [](Config& c) {
             c.cmee = 2;
             c.verboseCms = true;
             c.emptyReadCode = 321;
         }},
        {"quectel", "a Quectel module: ERROR for a string parameter without quotes",
         [](Config& c) { c.strictStrings = true; }},
        {"short-names", "a SIM of short phonebook names: AT+CPBW takes 14 characters",
         [](Config& c) { c.phonebooks["SM"].nameLength = 14; }},
        {"no-cmgl", "a phone that lists no messages: AT+CMGL is refused with ERROR",
         [](Config& c) { c.unsupported.push_back("AT+CMGL*"); }},
    };
    return profiles;
}

const std::vector<Profile>& StateProfiles() {
    static const std::vector<Profile> profiles{
        {"pin-locked", "the SIM wants PIN 1234 (3 tries, then PUK 12345678); AT+CPINR for tries",
         [](Config& c) {
             c.pinState = Config::Lock::Pin;
             c.pin = "1234";
             c.puk = "12345678";
         }},
        {"no-network", "registered nowhere, no signal (99,99): a message sent gets 331",
         [](Config& c) {
             c.registration = 0;
             c.signal = "99,99";
         }},
        {"weak-signal", "registered at home with a weak signal (5,99)",
         [](Config& c) {
             c.registration = 1;
             c.signal = "5,99";
         }},
    };
    return profiles;
}

bool ApplyProfile(Config& config, std::string_view name) {
    for (const auto* list : {&Profiles(), &StateProfiles()})
        for (const auto& p : *list)
            if (name == p.name) {
                p.apply(config);
                return true;
            }
    return false;
}

void ApplySetting(Config& config, std::string_view line) {
    Args tokens = Tokenize(line);
    if (tokens.empty()) return;
    std::string keyword = tokens.front().text;
    tokens.erase(tokens.begin());
    Apply(config, keyword, tokens);
}

void ApplyScenario(Config& config, std::string_view text) {
    int number = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') continue;
        try {
            ApplySetting(config, line);
        } catch (const std::invalid_argument& e) {
            throw ScenarioError(number, e.what());
        }
    }
}

}  // namespace phonesim
