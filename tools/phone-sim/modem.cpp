#include "modem.h"

#include <algorithm>
#include <charconv>
#include <fstream>

#include "base/text.h"

namespace phonesim {
namespace {

constexpr char kCtrlZ = 26;
constexpr char kEscape = 27;
constexpr std::size_t kMaxLine = 1024;
constexpr int kPinTries = 3, kPukTries = 10;
constexpr int kNumberLength = 40;  // digits of a phonebook number

std::string Upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(std::string_view s) {
    std::size_t a = s.find_first_not_of(' ');
    if (a == std::string_view::npos) return {};
    return std::string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

// Comma-separated parameters; quotes are removed, commas inside them kept.
std::vector<std::string> SplitArgs(std::string_view s) {
    std::vector<std::string> args;
    if (Trim(s).empty()) return args;
    std::string cur;
    bool quoted = false;
    for (char c : s) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            args.push_back(Trim(cur)), cur.clear();
        else
            cur += c;
    }
    args.push_back(Trim(cur));
    return args;
}

// Whether every parameter was written in double quotes, as TS 27.007 writes strings.
bool AllQuoted(std::string_view s) {
    bool quoted = false, fieldStart = true;
    for (char c : s) {
        if (fieldStart && c != ' ' && c != '"') return false;
        if (c != ' ') fieldStart = false;
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) fieldStart = true;
    }
    return true;
}

// Digits only: anything else in a numeric parameter is a syntax error, answered ERROR; a number
// out of range is the command's own +CMS ERROR.
bool IsNumber(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ToInt(const std::string& s, int low, int high, int& out) {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size() && out >= low && out <= high;
}

// The words for `code` in `texts`, or the number where the table has none.
std::string InWords(const std::map<int, const char*>& texts, int code) {
    auto it = texts.find(code);
    return it != texts.end() ? it->second : std::to_string(code);
}

std::string CmeText(int code) {
    static const std::map<int, const char*> texts{{3, "operation not allowed"},
                                                  {4, "operation not supported"},
                                                  {10, "SIM not inserted"},
                                                  {11, "SIM PIN required"},
                                                  {12, "SIM PUK required"},
                                                  {13, "SIM failure"},
                                                  {14, "SIM busy"},
                                                  {16, "incorrect password"},
                                                  {20, "memory full"},
                                                  {21, "invalid index"},
                                                  {22, "not found"},
                                                  {24, "text string too long"},
                                                  {25, "invalid characters in text string"},
                                                  {26, "dial string too long"},
                                                  {100, "unknown"}};
    return InWords(texts, code);
}

// TS 27.005 3.2.5, in words, for a phone that reports them so.
std::string CmsText(int code) {
    static const std::map<int, const char*> texts{{302, "operation not allowed"},
                                                  {303, "operation not supported"},
                                                  {304, "invalid PDU mode parameter"},
                                                  {311, "SIM PIN required"},
                                                  {312, "SIM PUK required"},
                                                  {313, "SIM failure"},
                                                  {314, "SIM busy"},
                                                  {321, "invalid memory index"},
                                                  {322, "memory full"},
                                                  {331, "no network service"},
                                                  {500, "unknown error"}};
    return InWords(texts, code);
}

// A phonebook text in the terminal's character set, as AT+CSCS chose it.
std::string InCharset(const std::string& utf8, const std::string& charset) {
    std::u32string text = bsms::Utf8ToU32(utf8);
    std::string out;
    if (charset == "GSM") return ToGsmCharset(text);
    if (charset == "UCS2") {
        Bytes units;
        for (char32_t ch : text) {
            if (ch > 0xFFFF) ch = U'?';
            units.push_back(static_cast<std::uint8_t>(ch >> 8));
            units.push_back(static_cast<std::uint8_t>(ch));
        }
        return ToHex(units);
    }
    char32_t top = charset == "IRA" ? 0x7F : 0xFF;
    for (char32_t ch : text)
        out += ch <= top ? static_cast<char>(ch) : '?';
    return out;
}

// A phonebook text as the client wrote it in its character set, back to UTF-8; nothing when it
// is not one of that set's texts.
std::optional<std::string> FromCharset(const std::string& text, const std::string& charset) {
    std::u32string out;
    if (charset == "GSM") {
        const auto gsm = FromGsmCharset(text);
        if (!gsm) return std::nullopt;
        out = *gsm;
    } else if (charset == "UCS2") {
        const auto units = FromHex(text);
        if (!units || units->size() % 2) return std::nullopt;
        for (std::size_t i = 0; i < units->size(); i += 2)
            out += static_cast<char32_t>((*units)[i] << 8 | (*units)[i + 1]);
    } else {
        const unsigned top = charset == "IRA" ? 0x7F : 0xFF;
        for (const char c : text) {
            if (static_cast<unsigned char>(c) > top) return std::nullopt;
            out += static_cast<unsigned char>(c);
        }
    }
    return bsms::U32ToUtf8(out);
}

}  // namespace

Modem::Modem(Config config, std::string sentLog)
    : cfg_(std::move(config)), sentLog_(std::move(sentLog)), arrived_(cfg_.arrivals.size()) {
    Reset();
    lock_ = cfg_.pinState;
    pin_ = cfg_.pin;
    pinLeft_ = lock_ == Config::Lock::Pin || lock_ == Config::Lock::Ready ? kPinTries : 0;
    pukLeft_ = lock_ == Config::Lock::Blocked ? 0 : kPukTries;
    busyLeft_ = cfg_.simBusy;
}

void Modem::Reset() {
    echo_ = cfg_.echo;
    cmee_ = cfg_.cmee;
    charset_ = cfg_.charset;
    cnmi_ = cfg_.cnmi;
    for (auto& m : memories_)
        m = "SM";
    phonebook_ = "SM";
    cregN_ = ceregN_ = copsFormat_ = 0;
}

std::string Modem::Receive(std::string_view bytes, std::int64_t nowMs) {
    now_ = nowMs;
    std::string out;
    answerAt_ = std::string::npos;
    const auto answer = [&](const std::string& reply) {
        if (reply.empty()) return;
        if (answerAt_ == std::string::npos) answerAt_ = out.size();
        out += Noise();
        out += reply;
    };
    for (char ch : bytes) {
        if (ch == 0) continue;
        if (inPdu_) {
            // A phone that is slow to get ready loses the text, not the Ctrl-Z that ends it.
            bool tooSoon = cfg_.promptPauseMs > 0 && nowMs - promptAt_ < cfg_.promptPauseMs;
            if (ch == kCtrlZ || ch == kEscape) {
                answer(FinishPdu(ch == kEscape));
            } else if (!tooSoon && ch != '\r' && ch != '\n' && pdu_.size() < kMaxLine) {
                pdu_ += ch;
                if (echo_) out += ch;
            }
            continue;
        }
        if (ch == '\n') continue;  // a line ends with CR; an LF after it is no part of the next
        // Each character is echoed as it arrives, as a terminal program expects.
        if (echo_) out += ch;
        if (ch == '\r') {
            // A line longer than the phone holds is refused whole: none of it runs.
            answer(overflow_ ? "\r\nERROR\r\n" : CommandLine(line_));
            line_.clear();
            overflow_ = false;
        } else if (ch == '\b' || ch == 127) {
            if (!line_.empty()) line_.pop_back();
        } else if (line_.size() < kMaxLine) {
            line_ += ch;
        } else {
            overflow_ = true;
        }
    }
    return out;
}

void Modem::Hangup() {
    line_.clear();
    overflow_ = false;
    inPdu_ = false;
    pdu_.clear();
}

std::string Modem::CommandLine(const std::string& typed) {
    std::string line = Trim(typed);
    if (line.empty()) return {};
    if (Upper(line) == "A/") line = lastLine_;
    lastLine_ = line;

    for (auto& f : cfg_.faults) {
        if (f.spent || !MatchesCommand(f.pattern, line)) continue;
        if (f.once) f.spent = true;
        switch (f.kind) {
            case Fault::Kind::Silent:
                return {};
            case Fault::Kind::Error:
                return "\r\nERROR\r\n";
            case Fault::Kind::Cms:
                return "\r\n+CMS ERROR: " + std::to_string(f.code) + "\r\n";
            case Fault::Kind::Cme:
                return "\r\n+CME ERROR: " + std::to_string(f.code) + "\r\n";
            case Fault::Kind::Vanish:
                vanishPending_ = true;
                break;
        }
        break;
    }
    for (const auto& u : cfg_.unsupported)
        if (MatchesCommand(u, line)) return "\r\n" + cfg_.unknownReply + "\r\n";

    std::string out = Execute(line);
    if (inPdu_)
        pduLine_ = line;
    else
        out += AfterReply(line);
    return out;
}

std::string Modem::AfterReply(const std::string& line) {
    std::string out;
    for (const auto& u : cfg_.unsolicited)
        if (MatchesCommand(u.pattern, line)) out += "\r\n" + u.text + "\r\n";
    for (std::size_t i = 0; i < cfg_.arrivals.size(); ++i) {
        const Arrival& a = cfg_.arrivals[i];
        if (arrived_[i] || a.pattern.empty() || !MatchesCommand(a.pattern, line)) continue;
        arrived_[i] = true;
        out += Arrive(a.pdus);
    }
    if (vanishPending_) vanished_ = true;
    return out;
}

// Bytes a disturbed line adds before an answer; the same ones on every run.
std::string Modem::Noise() {
    std::string noise;
    for (int i = 0; i < cfg_.noise; ++i) {
        noiseState_ = noiseState_ * 1103515245u + 12345u;
        noise += static_cast<char>(0x80 | (noiseState_ >> 24));
    }
    return noise;
}

std::string Modem::ArriveNext() {
    for (std::size_t i = 0; i < cfg_.arrivals.size(); ++i)
        if (!arrived_[i] && cfg_.arrivals[i].pattern.empty()) {
            arrived_[i] = true;
            return Arrive(cfg_.arrivals[i].pdus);
        }
    return {};
}

std::string Modem::Arrive(const std::vector<std::string>& pdus) {
    std::string memory = memories_[2] == "MT" ? "SM" : memories_[2];
    std::vector<int> places;
    try {
        places = StoreParts(cfg_.stores[memory], pdus, 0);
    } catch (const std::invalid_argument&) {
        return {};  // memory full: the network keeps it
    }
    std::vector<std::string> cnmi = SplitArgs(cnmi_);
    bool notify = cnmi.size() > 1 && cnmi[1] != "0";  // mt: indications of new messages
    std::string out;
    for (int p : places)
        if (notify) out += "\r\n+CMTI: \"" + memory + "\"," + std::to_string(p) + "\r\n";
    return out;
}

std::string Modem::FinalText(Result r) const {
    switch (r.final) {
        case Final::Ok:
            return "OK";
        case Final::Unknown:
            return cfg_.unknownReply;
        case Final::Cms:  // TS 27.005 reports these whatever AT+CMEE says
            return "+CMS ERROR: " +
                   (cfg_.verboseCms && cmee_ == 2 ? CmsText(r.code) : std::to_string(r.code));
        case Final::Cme:
            if (cmee_ == 0) return "ERROR";
            return "+CME ERROR: " + (cmee_ == 1 ? std::to_string(r.code) : CmeText(r.code));
        default:
            return "ERROR";
    }
}

std::string Modem::Execute(const std::string& line) {
    if (line.size() < 2 || Upper(line.substr(0, 2)) != "AT") return "\r\nERROR\r\n";
    std::string out;
    std::size_t i = 2;
    while (i < line.size()) {
        char c = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
        if (c == ';' || c == ' ') {
            ++i;
            continue;
        }
        info_.clear();
        Result r{Final::Unknown};
        if (std::string_view("+^$%*#").find(c) != std::string_view::npos) {
            std::string name(1, c);
            for (++i; i < line.size() && std::isalnum(static_cast<unsigned char>(line[i])); ++i)
                name += static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
            Op op = Op::Exec;
            std::vector<std::string> args;
            if (line.compare(i, 2, "=?") == 0) {
                op = Op::Test, i += 2;
            } else if (i < line.size() && line[i] == '?') {
                op = Op::Read, ++i;
            } else if (i < line.size() && line[i] == '=') {
                std::size_t end = ++i;
                for (bool quoted = false; end < line.size() && (quoted || line[end] != ';'); ++end)
                    if (line[end] == '"') quoted = !quoted;
                op = Op::Set, args = SplitArgs(std::string_view(line).substr(i, end - i));
                argsQuoted_ = AllQuoted(std::string_view(line).substr(i, end - i));
                i = end;
            }
            for (const auto& cmd : Commands())
                if (name == cmd.name) {
                    const auto refused = SimRefuses(name);
                    r = refused ? *refused : (this->*cmd.handler)(op, args);
                }
        } else {
            std::string name(1, c);
            ++i;
            if (c == '&' && i < line.size())
                name += static_cast<char>(std::toupper(static_cast<unsigned char>(line[i++])));
            std::string num;
            while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])))
                num += line[i++];
            bool zeroOrNone = num.empty() || num == "0";
            if (name == "E" && (zeroOrNone || num == "1"))
                echo_ = num == "1", r = {};
            else if ((name == "Z" || name == "&F") && zeroOrNone)
                Reset(), r = {};
            else if (name == "I" && zeroOrNone)
                info_ = {cfg_.manufacturer, cfg_.model}, r = {};
            else if ((name == "V" && (num.empty() || num == "1")) || (name == "Q" && zeroOrNone) ||
                     name == "H" || name == "&C" || name == "&D" || name == "&K" || name == "&W")
                r = {};
        }
        if (!info_.empty()) {
            out += "\r\n";
            for (std::size_t k = 0; k < info_.size(); ++k)
                out += (k ? "\r\n" : "") + info_[k];
            out += "\r\n";
        }
        if (r.final == Final::Prompt) return out + "\r\n" + cfg_.prompt;
        if (r.final == Final::None) return out;
        if (r.final != Final::Ok) return out + "\r\n" + FinalText(r) + "\r\n";
    }
    return out + "\r\nOK\r\n";
}

std::string Modem::FinishPdu(bool cancelled) {
    inPdu_ = false;
    std::string line = pduLine_, out, report;
    if (cancelled) return "\r\nOK\r\n" + AfterReply(line);
    Result r;
    info_.clear();
    if (!CheckSubmit(pdu_, pduLength_).empty()) {
        r = {Final::Cms, 304};
    } else if (!pduStore_ && !Registered()) {
        r = {Final::Cms, 331};
    } else if (pduStore_) {
        int index = 0, slot = 0;
        MessageStore* store = nullptr;
        for (int i = 1; i <= Capacity(1) && !store; ++i)
            if (MessageStore* s = Locate(1, i, slot); s && !s->slots.count(slot))
                store = s, index = i;
        if (!store) {
            r = {Final::Cms, 322};
        } else {
            store->slots[slot] = {pduStat_, Upper(pdu_)};
            info_.push_back("+CMGW: " + std::to_string(index));
        }
    } else {
        info_.push_back("+CMGS: " + std::to_string(messageRef_));
        report = Report(messageRef_);
        messageRef_ = (messageRef_ + 1) % 256;
        if (!sentLog_.empty())
            std::ofstream(sentLog_, std::ios::app) << pduLength_ << ' ' << pdu_ << '\n';
    }
    if (!info_.empty()) out += "\r\n" + info_.front() + "\r\n";
    out += "\r\n" + FinalText(r) + "\r\n";
    return out + AfterReply(line) + report;
}

std::string Modem::Report(int reference) {
    const auto facts = ReadSubmitFacts(pdu_);
    if (!facts || !facts->reportWanted || cfg_.reportStatus < 0) return {};
    // Stamped now, so that the report reads as coming after the message it is on.
    const std::string pdu =
        BuildStatusReport(cfg_.serviceCentre, reference, facts->destination,
                          LocalTimestamp(std::time(nullptr)), cfg_.reportStatus);
    const std::vector<std::string> cnmi = SplitArgs(cnmi_);
    const std::string ds = cnmi.size() > 3 ? cnmi[3] : "0";
    if (ds == "1")
        return "\r\n+CDS: " + std::to_string(TpduLength(pdu).value_or(0)) + "\r\n" + pdu + "\r\n";
    if (ds != "2") return {};
    const std::string memory = memories_[2] == "MT" ? "SM" : memories_[2];
    try {
        const std::vector<int> at = StoreParts(cfg_.stores[memory], {pdu}, 0);
        return "\r\n+CDSI: \"" + memory + "\"," + std::to_string(at.front()) + "\r\n";
    } catch (const std::invalid_argument&) {
        return {};  // memory full: the report is lost
    }
}

MessageStore* Modem::Locate(int which, int index, int& slot) {
    const std::string& m = memories_[which];
    slot = index;
    if (m == "MT") {
        int sim = cfg_.stores["SM"].capacity;
        if (index > sim) {
            slot = index - sim;
            return slot <= cfg_.stores["ME"].capacity ? &cfg_.stores["ME"] : nullptr;
        }
        return index >= 1 ? &cfg_.stores["SM"] : nullptr;
    }
    MessageStore& s = cfg_.stores[m];
    return index >= 1 && index <= s.capacity ? &s : nullptr;
}

int Modem::Capacity(int which) {
    const std::string& m = memories_[which];
    if (m == "MT") return cfg_.stores["SM"].capacity + cfg_.stores["ME"].capacity;
    return cfg_.stores[m].capacity;
}

int Modem::Used(int which) {
    const std::string& m = memories_[which];
    if (m == "MT")
        return static_cast<int>(cfg_.stores["SM"].slots.size() + cfg_.stores["ME"].slots.size());
    return static_cast<int>(cfg_.stores[m].slots.size());
}

Modem::Result Modem::Info(std::string line) {
    info_.push_back(std::move(line));
    return {};
}

std::optional<Modem::Result> Modem::SimRefuses(const std::string& command) {
    // TS 27.007's commands report it as +CME ERROR, TS 27.005's as +CMS ERROR 300 higher.
    static const std::vector<std::string> cme{"+CPBS", "+CPBR", "+CPBW"};
    static const std::vector<std::string> cms{"+CMGS", "+CMGW", "+CMGR", "+CMGL",
                                              "+CMGD", "+CPMS", "+CSCA"};
    const bool isCms = std::count(cms.begin(), cms.end(), command) > 0;
    if (!isCms && !std::count(cme.begin(), cme.end(), command)) return std::nullopt;
    int code = lock_ == Config::Lock::Pin       ? 11
               : lock_ == Config::Lock::Puk     ? 12
               : lock_ == Config::Lock::Blocked ? 13
                                                : 0;
    // Counted, not timed: a SIM still reading its files after start or an unlock.
    if (code == 0 && busyLeft_ > 0) --busyLeft_, code = 14;
    if (code == 0) return std::nullopt;
    return isCms ? Result{Final::Cms, 300 + code} : Result{Final::Cme, code};
}

// ---- commands ----

const std::vector<Modem::Command>& Modem::Commands() {
    static const std::vector<Command> table{
        {"+CGMI", &Modem::Cgmi},   {"+GMI", &Modem::Cgmi},        {"+CGMM", &Modem::Cgmm},
        {"+GMM", &Modem::Cgmm},    {"+CGMR", &Modem::Cgmr},       {"+GMR", &Modem::Cgmr},
        {"+CGSN", &Modem::Cgsn},   {"+GSN", &Modem::Cgsn},        {"+CIMI", &Modem::Cimi},
        {"+GCAP", &Modem::Gcap},   {"+CPIN", &Modem::Cpin},       {"+CSQ", &Modem::Csq},
        {"+CPINR", &Modem::Cpinr}, {"^CPIN", &Modem::HuaweiCpin}, {"+CEREG", &Modem::Cereg},
        {"+CREG", &Modem::Creg},   {"+COPS", &Modem::Cops},       {"+CBC", &Modem::Cbc},
        {"+CFUN", &Modem::Cfun},   {"+CMEE", &Modem::Cmee},       {"+CMGF", &Modem::Cmgf},
        {"+CSCS", &Modem::Cscs},   {"+CSMS", &Modem::Csms},       {"+CNMI", &Modem::Cnmi},
        {"+CPMS", &Modem::Cpms},   {"+CSCA", &Modem::Csca},       {"+CMGS", &Modem::Cmgs},
        {"+CMGW", &Modem::Cmgw},   {"+CMGR", &Modem::Cmgr},       {"+CMGL", &Modem::Cmgl},
        {"+CMGD", &Modem::Cmgd},   {"+CPBS", &Modem::Cpbs},       {"+CPBR", &Modem::Cpbr},
        {"+CPBW", &Modem::Cpbw},
    };
    return table;
}

Modem::Result Modem::Identity(Op op, const std::string& value) {
    if (op == Op::Exec) return Info(value);
    return op == Op::Test ? Result{} : Result{Final::Error};
}
Modem::Result Modem::Cgmi(Op op, const std::vector<std::string>&) {
    return Identity(op, cfg_.manufacturer);
}
Modem::Result Modem::Cgmm(Op op, const std::vector<std::string>&) {
    return Identity(op, cfg_.model);
}
Modem::Result Modem::Cgmr(Op op, const std::vector<std::string>&) {
    return Identity(op, cfg_.revision);
}
Modem::Result Modem::Cgsn(Op op, const std::vector<std::string>&) {
    return Identity(op, cfg_.imei);
}
Modem::Result Modem::Cimi(Op op, const std::vector<std::string>&) {
    return Identity(op, cfg_.imsi);
}
Modem::Result Modem::Gcap(Op op, const std::vector<std::string>&) {
    return Identity(op, "+GCAP: +CGSM");
}
Modem::Result Modem::Cbc(Op op, const std::vector<std::string>&) {
    return Identity(op, "+CBC: 0,80");
}

Modem::Result Modem::Csq(Op op, const std::vector<std::string>&) {
    if (op == Op::Test) return Info("+CSQ: (0-31,99),(0-7,99)");
    return Identity(op, "+CSQ: " + cfg_.signal);
}

Modem::Result Modem::Cpin(Op op, const std::vector<std::string>& a) {
    if (op == Op::Test) return {};
    if (op == Op::Exec || (op == Op::Set && (a.empty() || a.size() > 2))) return {Final::Error};
    if (lock_ == Config::Lock::Blocked) return {Final::Cme, 13};
    if (op == Op::Read) {
        Info(lock_ == Config::Lock::Ready ? "+CPIN: READY"
             : lock_ == Config::Lock::Pin ? "+CPIN: SIM PIN"
                                          : "+CPIN: SIM PUK");
        return cfg_.cpinOk ? Result{} : Result{Final::None};
    }
    if (lock_ == Config::Lock::Ready) return {};  // nothing asked for: taken, as phones do
    const bool puk = lock_ == Config::Lock::Puk;
    if (a.size() != (puk ? 2u : 1u)) return {Final::Cme, puk ? 12 : 3};
    if (a[0] == (puk ? cfg_.puk : pin_)) {
        if (puk) pin_ = a[1];
        lock_ = Config::Lock::Ready;
        pinLeft_ = kPinTries, pukLeft_ = kPukTries;
        busyLeft_ = cfg_.simBusy;
        return {};
    }
    if (puk && --pukLeft_ == 0) lock_ = Config::Lock::Blocked;
    if (!puk && --pinLeft_ == 0) lock_ = Config::Lock::Puk;
    return {Final::Cme, 16};
}

// TS 27.007: the tries left for each code the selector matches ("SIM*" or none: every one).
Modem::Result Modem::Cpinr(Op op, const std::vector<std::string>& a) {
    if (cfg_.pinRetries != Config::Retries::Cpinr) return {Final::Unknown};
    if (op == Op::Test) return {};
    if (op == Op::Read || (op == Op::Set && a.size() != 1)) return {Final::Error};
    const std::string selector = op == Op::Set ? a[0] : "*";
    if (MatchesCommand(selector, "SIM PIN"))
        Info("+CPINR: SIM PIN," + std::to_string(pinLeft_) + "," + std::to_string(kPinTries));
    if (MatchesCommand(selector, "SIM PUK"))
        Info("+CPINR: SIM PUK," + std::to_string(pukLeft_) + "," + std::to_string(kPukTries));
    return {};
}

// Huawei's: the code asked for, its tries left, then those of PUK, PIN, PUK2 and PIN2.
Modem::Result Modem::HuaweiCpin(Op op, const std::vector<std::string>&) {
    if (cfg_.pinRetries != Config::Retries::Huawei) return {Final::Unknown};
    if (op == Op::Test) return {};
    if (op != Op::Read) return {Final::Error};
    if (lock_ == Config::Lock::Blocked) return {Final::Cme, 13};
    const std::string pin = std::to_string(pinLeft_), puk = std::to_string(pukLeft_);
    const std::string code = lock_ == Config::Lock::Ready ? "READY,"
                             : lock_ == Config::Lock::Pin ? "SIM PIN," + pin
                                                          : "SIM PUK," + puk;
    return Info("^CPIN: " + code + "," + puk + "," + pin + ",10,3");
}

Modem::Result Modem::Registration(Op op, const std::vector<std::string>& a,
                                  const std::string& prefix, int& n, const std::string& cell) {
    if (op == Op::Test) return Info(prefix + "(0-2)");
    if (op == Op::Read)
        return Info(prefix + std::to_string(n) + "," + std::to_string(cfg_.registration) +
                    (n == 2 && Registered() ? "," + cell : ""));
    int set;
    if (op != Op::Set || a.size() != 1 || !ToInt(a[0], 0, 2, set)) return {Final::Cme, 4};
    n = set;
    return {};
}

Modem::Result Modem::Creg(Op op, const std::vector<std::string>& a) {
    return Registration(op, a, "+CREG: ", cregN_, "\"2B67\",\"C3D4\"");
}

Modem::Result Modem::Cereg(Op op, const std::vector<std::string>& a) {
    if (!cfg_.lte) return {Final::Unknown};
    return Registration(op, a, "+CEREG: ", ceregN_, "\"2B67\",\"01A2C3D4\",7");
}

// The operator by its long name, its short one (the long one's first word) or its number (the
// SIM's own network, from the IMSI).
Modem::Result Modem::Cops(Op op, const std::vector<std::string>& a) {
    const std::string names[3] = {cfg_.network, cfg_.network.substr(0, cfg_.network.find(' ')),
                                  cfg_.imsi.substr(0, 5)};
    if (op == Op::Read)
        return Info(!Registered() ? "+COPS: 0"
                                  : "+COPS: 0," + std::to_string(copsFormat_) + ",\"" +
                                        names[copsFormat_] + "\"," + (cfg_.lte ? "7" : "0"));
    if (op == Op::Test) {
        if (cfg_.registration == 0) return Info("+COPS: ,,(0-4),(0-2)");
        const char* stat = Registered() ? "2" : cfg_.registration == 3 ? "3" : "1";
        return Info(std::string("+COPS: (") + stat + ",\"" + names[0] + "\",\"" + names[1] +
                    "\",\"" + names[2] + "\"),,(0-4),(0-2)");
    }
    if (op == Op::Exec) return {};
    int mode, format = copsFormat_;
    if (a.empty() || a.size() > 2 || !ToInt(a[0], 0, 4, mode) ||
        (a.size() == 2 && !ToInt(a[1], 0, 2, format)))
        return {Final::Cme, 4};
    if (mode != 0 && mode != 3) return {Final::Cme, 3};  // automatic choice only
    copsFormat_ = format;
    return {};
}

Modem::Result Modem::Cfun(Op op, const std::vector<std::string>& a) {
    int n;
    if (op == Op::Read) return Info("+CFUN: 1");
    if (op == Op::Test) return Info("+CFUN: (0,1),(0,1)");
    if (op == Op::Set && !a.empty() && a.size() <= 2 && ToInt(a[0], 0, 1, n) &&
        (a.size() == 1 || ToInt(a[1], 0, 1, n)))
        return {};
    return {Final::Cme, 4};
}

Modem::Result Modem::Cmee(Op op, const std::vector<std::string>& a) {
    if (op == Op::Read) return Info("+CMEE: " + std::to_string(cmee_));
    if (op == Op::Test) return Info("+CMEE: (0-2)");
    if (op == Op::Set && a.size() == 1 && ToInt(a[0], 0, 2, cmee_)) return {};
    return {Final::Error};
}

Modem::Result Modem::Cmgf(Op op, const std::vector<std::string>& a) {
    if (op == Op::Read) return Info("+CMGF: 0");
    if (op == Op::Test) return Info("+CMGF: (0)");
    if (op != Op::Set || a.size() != 1 || !IsNumber(a[0])) return {Final::Error};
    return a[0] == "0" ? Result{} : Result{Final::Cms, 303};
}

Modem::Result Modem::Cscs(Op op, const std::vector<std::string>& a) {
    const std::vector<std::string>& sets = cfg_.charsets;
    if (op == Op::Read) return Info("+CSCS: \"" + charset_ + "\"");
    if (op == Op::Test) {
        std::string list;
        for (const auto& set : sets)
            list += (list.empty() ? "\"" : ",\"") + set + "\"";
        return Info("+CSCS: (" + list + ")");
    }
    if (op == Op::Set && cfg_.strictStrings && !argsQuoted_) return {Final::Error};
    if (op == Op::Set && a.size() == 1 && std::count(sets.begin(), sets.end(), Upper(a[0]))) {
        charset_ = Upper(a[0]);
        return {};
    }
    return {Final::Cme, 4};
}

Modem::Result Modem::Csms(Op op, const std::vector<std::string>& a) {
    if (op == Op::Read) return Info("+CSMS: 0,1,1,1");
    if (op == Op::Test) return Info("+CSMS: (0,1)");
    int n;
    if (op != Op::Set || a.size() != 1 || !IsNumber(a[0])) return {Final::Error};
    if (ToInt(a[0], 0, 1, n)) return Info("+CSMS: 1,1,1");
    return {Final::Cms, 302};
}

Modem::Result Modem::Cnmi(Op op, const std::vector<std::string>& a) {
    if (op == Op::Read) return Info("+CNMI: " + cnmi_);
    if (op == Op::Test) return Info("+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)");
    if (op != Op::Set || a.empty() || a.size() > 5) return {Final::Error};
    std::vector<std::string> cur = SplitArgs(cnmi_);
    cur.resize(5, "0");
    static const int highest[5] = {2, 3, 2, 2, 1};
    for (std::size_t k = 0; k < a.size(); ++k) {
        int n;
        if (a[k].empty()) continue;
        if (!IsNumber(a[k])) return {Final::Error};
        if (!ToInt(a[k], 0, highest[k], n)) return {Final::Cms, 302};
        cur[k] = std::to_string(n);
    }
    cnmi_ = cur[0] + "," + cur[1] + "," + cur[2] + "," + cur[3] + "," + cur[4];
    return {};
}

Modem::Result Modem::Cpms(Op op, const std::vector<std::string>& a) {
    auto counts = [this](int k) {
        return std::to_string(Used(k)) + "," + std::to_string(Capacity(k));
    };
    if (op == Op::Read) {
        std::string s = "+CPMS: ";
        for (int k = 0; k < 3; ++k)
            s += (k ? ",\"" : "\"") + memories_[k] + "\"," + counts(k);
        return Info(s);
    }
    const std::vector<std::string>& known = cfg_.messageMemories;
    if (op == Op::Test) {
        std::string list;
        for (const auto& m : known)
            list += (list.empty() ? "\"" : ",\"") + m + "\"";
        return Info("+CPMS: (" + list + "),(" + list + "),(" + list + ")");
    }
    if (op != Op::Set || a.empty() || a.size() > 3 || (cfg_.strictStrings && !argsQuoted_))
        return {Final::Error};
    for (const auto& m : a)
        if (std::find(known.begin(), known.end(), Upper(m)) == known.end())
            return {Final::Cms, 302};
    for (std::size_t k = 0; k < a.size(); ++k)
        memories_[k] = Upper(a[k]);
    return Info("+CPMS: " + counts(0) + "," + counts(1) + "," + counts(2));
}

Modem::Result Modem::Csca(Op op, const std::vector<std::string>& a) {
    if (op == Op::Read)
        return Info("+CSCA: \"" + cfg_.serviceCentre + "\"," +
                    std::to_string(cfg_.serviceCentreType));
    if (op == Op::Test) return {};
    int type = 0;
    if (op != Op::Set || a.empty() || a.size() > 2 || (a.size() == 2 && !IsNumber(a[1])))
        return {Final::Error};
    if (a.size() == 2 && !ToInt(a[1], 128, 255, type)) return {Final::Cms, 304};
    cfg_.serviceCentre = a[0];
    cfg_.serviceCentreType = type ? type : !a[0].empty() && a[0][0] == '+' ? 145 : 129;
    return {};
}

Modem::Result Modem::Cmgs(Op op, const std::vector<std::string>& a) {
    if (op == Op::Test) return {};
    if (op != Op::Set || a.size() != 1 || !IsNumber(a[0])) return {Final::Error};
    if (!ToInt(a[0], 1, 255, pduLength_)) return {Final::Cms, 304};
    inPdu_ = true, pduStore_ = false, pdu_.clear(), promptAt_ = now_;
    return {Final::Prompt};
}

Modem::Result Modem::Cmgw(Op op, const std::vector<std::string>& a) {
    if (op == Op::Test) return {};
    pduStat_ = 2;
    if (op != Op::Set || a.empty() || a.size() > 2 || !IsNumber(a[0]) ||
        (a.size() == 2 && !IsNumber(a[1])))
        return {Final::Error};
    if (!ToInt(a[0], 1, 255, pduLength_) || (a.size() == 2 && !ToInt(a[1], 0, 3, pduStat_)))
        return {Final::Cms, 304};
    inPdu_ = true, pduStore_ = true, pdu_.clear(), promptAt_ = now_;
    return {Final::Prompt};
}

Modem::Result Modem::Cmgr(Op op, const std::vector<std::string>& a) {
    if (op == Op::Test) return {};
    int index = 0, slot = 0;
    MessageStore* store = nullptr;
    if (op != Op::Set || a.size() != 1 || !IsNumber(a[0])) return {Final::Error};
    if (!ToInt(a[0], 0, 100000, index) || !(store = Locate(0, index, slot)))
        return {Final::Cms, 321};
    auto it = store->slots.find(slot);
    if (it == store->slots.end())
        return cfg_.emptyReadCode ? Result{Final::Cms, cfg_.emptyReadCode} : Result{};
    Info("+CMGR: " + std::to_string(it->second.stat) + ",," +
         std::to_string(TpduLength(it->second.pdu).value_or(0)));
    Info(it->second.pdu);
    if (it->second.stat == 0) it->second.stat = 1;
    return {};
}

Modem::Result Modem::Cmgl(Op op, const std::vector<std::string>& a) {
    if (op == Op::Test) return Info("+CMGL: (0-4)");
    int stat = 0;
    if (op == Op::Read || (op == Op::Set && (a.size() != 1 || !IsNumber(a[0]))))
        return {Final::Error};
    if (op == Op::Set && !ToInt(a[0], 0, 4, stat)) return {Final::Cms, 304};
    for (int i = 1; i <= Capacity(0); ++i) {
        int slot;
        MessageStore* store = Locate(0, i, slot);
        auto it = store->slots.find(slot);
        if (it == store->slots.end() || (stat != 4 && it->second.stat != stat)) continue;
        Info("+CMGL: " + std::to_string(i) + "," + std::to_string(it->second.stat) + ",," +
             std::to_string(TpduLength(it->second.pdu).value_or(0)));
        Info(it->second.pdu);
        if (it->second.stat == 0) it->second.stat = 1;
    }
    return {};
}

Modem::Result Modem::Cmgd(Op op, const std::vector<std::string>& a) {
    if (op == Op::Test) {
        std::string used;
        for (int i = 1; i <= Capacity(0); ++i) {
            int slot;
            MessageStore* store = Locate(0, i, slot);
            if (store->slots.count(slot)) used += (used.empty() ? "" : ",") + std::to_string(i);
        }
        return Info("+CMGD: (" + used + "),(0-4)");
    }
    int index = 0, flag = 0, slot = 0;
    MessageStore* store = nullptr;
    if (op != Op::Set || a.empty() || a.size() > 2 || !IsNumber(a[0]) ||
        (a.size() == 2 && !IsNumber(a[1])))
        return {Final::Error};
    if (a.size() == 2 && !ToInt(a[1], 0, 4, flag)) return {Final::Cms, 302};
    if (!ToInt(a[0], 0, 100000, index) || (flag == 0 && !(store = Locate(0, index, slot))))
        return {Final::Cms, 321};
    if (flag == 0) {
        store->slots.erase(slot);
        return {};
    }
    // Flags 1 to 4 widen what goes: read; and sent; and unsent; everything.
    for (int i = 1; i <= Capacity(0); ++i) {
        MessageStore* s = Locate(0, i, slot);
        auto it = s->slots.find(slot);
        if (it == s->slots.end()) continue;
        int st = it->second.stat;
        if (flag == 4 || st == 1 || (flag >= 2 && st == 3) || (flag >= 3 && st == 2))
            s->slots.erase(it);
    }
    return {};
}

Modem::Result Modem::Cpbs(Op op, const std::vector<std::string>& a) {
    if (op == Op::Read) {
        const Phonebook& pb = cfg_.phonebooks[phonebook_];
        return Info("+CPBS: \"" + phonebook_ + "\"," + std::to_string(pb.entries.size()) + "," +
                    std::to_string(pb.capacity));
    }
    if (op == Op::Test) return Info("+CPBS: (\"SM\",\"ME\")");
    if (op == Op::Set && cfg_.strictStrings && !argsQuoted_) return {Final::Error};
    if (op == Op::Set && a.size() == 1 && (Upper(a[0]) == "SM" || Upper(a[0]) == "ME")) {
        phonebook_ = Upper(a[0]);
        return {};
    }
    return {Final::Cme, 4};
}

Modem::Result Modem::Cpbr(Op op, const std::vector<std::string>& a) {
    const Phonebook& pb = cfg_.phonebooks[phonebook_];
    if (op == Op::Test)
        return Info("+CPBR: (1-" + std::to_string(pb.capacity) + ")," +
                    std::to_string(kNumberLength) + "," + std::to_string(pb.nameLength));
    int first = 0, last = 0;
    if (op != Op::Set || a.empty() || a.size() > 2) return {Final::Cme, 4};
    if (!ToInt(a[0], 1, pb.capacity, first) ||
        (a.size() == 2 && !ToInt(a[1], first, 1000000, last)))
        return {Final::Cme, 21};
    last = a.size() == 2 ? std::min(last, pb.capacity) : first;
    for (auto it = pb.entries.lower_bound(first); it != pb.entries.end() && it->first <= last; ++it)
        Info("+CPBR: " + std::to_string(it->first) + ",\"" + it->second.number + "\"," +
             std::to_string(it->second.type) + ",\"" + InCharset(it->second.name, charset_) + "\"");
    if (a.size() == 1 && info_.empty()) return {Final::Cme, 22};
    return {};
}

// AT+CPBW=<index>,"<number>",<type>,"<text>" writes (no index: the first free location),
// AT+CPBW=<index> deletes.
Modem::Result Modem::Cpbw(Op op, const std::vector<std::string>& a) {
    Phonebook& pb = cfg_.phonebooks[phonebook_];
    if (op == Op::Test)
        return Info("+CPBW: (1-" + std::to_string(pb.capacity) + ")," +
                    std::to_string(kNumberLength) + ",(129,145)," + std::to_string(pb.nameLength));
    int index = 0, type = 0;
    if (op != Op::Set || a.empty() || a.size() > 4 || (a.size() == 1 && a[0].empty()) ||
        (!a[0].empty() && !IsNumber(a[0])) || (a.size() > 2 && !a[2].empty() && !IsNumber(a[2])))
        return {Final::Error};
    if (!a[0].empty() && !ToInt(a[0], 1, pb.capacity, index)) return {Final::Cme, 21};
    if (a.size() == 1) {
        pb.entries.erase(index);
        return {};
    }
    const std::string& number = a[1];
    if (a.size() > 2 && !a[2].empty()) {
        if (!ToInt(a[2], 128, 255, type)) return {Final::Cme, 3};
    } else {
        type = !number.empty() && number[0] == '+' ? 145 : 129;
    }
    const auto name = FromCharset(a.size() > 3 ? a[3] : "", charset_);
    if (!name) return {Final::Cme, 25};
    if (bsms::CharCount(*name) > static_cast<std::size_t>(pb.nameLength)) return {Final::Cme, 24};
    if (number.size() > static_cast<std::size_t>(kNumberLength)) return {Final::Cme, 26};
    for (int i = 1; i <= pb.capacity && index == 0; ++i)
        if (!pb.entries.count(i)) index = i;
    if (index == 0) return {Final::Cme, 20};
    pb.entries[index] = {number, type, *name};
    return {};
}

}  // namespace phonesim
