// phone-sim: a GSM phone in PDU mode behind a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <utility>
#include <vector>

#include "modem.h"
#include "pacer.h"

namespace {

using namespace phonesim;

const char kUsage[] =
    "Usage: phone-sim --link PATH [options]\n"
    "A GSM phone in PDU mode behind a pseudo-terminal. PATH becomes a symbolic link to the\n"
    "terminal device, whose path is also printed as the first line on standard output (those of\n"
    "the decoys follow, one a line, in the order given).\n"
    "Serves until SIGINT or SIGTERM; SIGUSR1 delivers the next message of an \"arrival\" without\n"
    "a command.\n"
    "\n"
    "Options:\n"
    "  --link PATH          symbolic link to create (a stale link is replaced)\n"
    "  --scenario FILE      content and behaviour (see README.md); without it the phone holds\n"
    "                       a few messages and phonebook entries\n"
    "  --sent-log FILE      append \"<length> <pdu>\" for every PDU accepted by AT+CMGS\n"
    "  --profile NAME       quirks of a kind of device, applied before the scenario\n"
    "  --model TEXT         model name answered to AT+CGMM\n"
    "  --echo on|off        echo at start and after ATZ\n"
    "  --cmee 0|1|2         error reporting at start and after ATZ\n"
    "  --empty-read ok|error|CODE  answer to AT+CMGR of an empty location: OK, +CMS ERROR: 321\n"
    "                       or +CMS ERROR: CODE\n"
    "  --chunk N            send answers in pieces of N bytes ...\n"
    "  --chunk-pause MS     ... with this pause between them (default 20)\n"
    "  --baud RATE          pace every byte as a line of this speed would\n"
    "  --prompt-pause MS    lose PDU text that arrives this soon after the \"> \" prompt\n"
    "  --latency MS         wait this long before answering each command\n"
    "  --set LINE           any scenario line, e.g. --set \"fault error AT+CGMM\"; the SIM and\n"
    "                       the network: pin CODE, puk CODE, pin-state ready|pin|puk|blocked,\n"
    "                       pin-retries cpinr|huawei|none, sim-busy N,\n"
    "                       registration home|roaming|searching|denied|none, lte yes|no;\n"
    "                       the phonebooks: phonebook-size SM|ME N, phonebook-name-length SM|ME N\n"
    "  --decoy PATH         a further pseudo-terminal linked at PATH that never answers (a\n"
    "                       modem's diagnostic port); repeatable\n"
    "  --noisy-decoy PATH   one that answers every byte with line noise, never OK or ERROR;\n"
    "                       repeatable\n"
    "  --trace              log the traffic on standard error\n"
    "  --check              read the scenario, print a summary and exit\n"
    "  --help               this text\n"
    "\n"
    "Profiles (the last ones a state of the SIM or the network, not a kind of device):\n";

// A further port of the same device that is no phone, as a port search meets it: silent, or
// answering line noise.
struct Decoy {
    std::string link;
    bool noisy = false;
    int master = -1;
    std::string slave;
    bool connected = false;
    std::uint32_t noiseState = 1;
};

struct Options {
    std::string link, scenario, sentLog, profile;
    std::vector<Decoy> decoys;
    std::vector<std::string> settings;  // scenario lines, applied after the file
    bool trace = false, check = false;
    int chunkPause = -1;
};

std::string Quote(const std::string& s) {
    std::string q = "\"";
    for (char c : s)
        q += (c == '"' || c == '\\') ? std::string{'\\', c} : std::string{c};
    return q + "\"";
}

[[noreturn]] void Fail(const std::string& message) {
    std::cerr << "phone-sim: " << message << "\n";
    std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) Fail(a + " needs a value");
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            for (const auto* list : {&Profiles(), &StateProfiles()})
                for (const auto& p : *list)
                    std::printf("  %-14s %s\n", p.name, p.description);
            std::exit(0);
        } else if (a == "--link")
            o.link = value();
        else if (a == "--scenario")
            o.scenario = value();
        else if (a == "--sent-log")
            o.sentLog = value();
        else if (a == "--profile")
            o.profile = value();
        else if (a == "--model")
            o.settings.push_back("model " + Quote(value()));
        else if (a == "--echo")
            o.settings.push_back("echo " + Quote(value()));
        else if (a == "--cmee")
            o.settings.push_back("cmee " + Quote(value()));
        else if (a == "--empty-read")
            o.settings.push_back("empty-read " + Quote(value()));
        else if (a == "--baud")
            o.settings.push_back("baud " + Quote(value()));
        else if (a == "--prompt-pause")
            o.settings.push_back("prompt-pause " + Quote(value()));
        else if (a == "--latency")
            o.settings.push_back("latency " + Quote(value()));
        else if (a == "--chunk")
            o.settings.push_back("chunk " + Quote(value()));
        else if (a == "--chunk-pause")
            o.chunkPause = std::atoi(value().c_str());
        else if (a == "--decoy" || a == "--noisy-decoy") {
            Decoy& d = o.decoys.emplace_back();
            d.link = value();
            d.noisy = a == "--noisy-decoy";
        } else if (a == "--set")
            o.settings.push_back(value());
        else if (a == "--trace")
            o.trace = true;
        else if (a == "--check")
            o.check = true;
        else
            Fail("unknown option " + a + " (see --help)");
    }
    return o;
}

Config LoadConfig(const Options& o) {
    Config cfg;
    if (o.scenario.empty()) AddDefaultContent(cfg);
    if (!o.profile.empty() && !ApplyProfile(cfg, o.profile)) Fail("unknown profile " + o.profile);
    if (!o.scenario.empty()) {
        std::ifstream in(o.scenario, std::ios::binary);
        if (!in) Fail("cannot read " + o.scenario);
        std::stringstream text;
        text << in.rdbuf();
        try {
            ApplyScenario(cfg, text.str());
        } catch (const ScenarioError& e) {
            Fail(o.scenario + ":" + std::to_string(e.line) + ": " + e.what());
        }
    }
    for (const auto& line : o.settings) {
        try {
            ApplySetting(cfg, line);
        } catch (const std::invalid_argument& e) {
            Fail(line + ": " + e.what());
        }
    }
    if (o.chunkPause >= 0) cfg.chunkPauseMs = o.chunkPause;
    return cfg;
}

void PrintSummary(const Config& c) {
    std::cout << "model: " << c.model << "\nservice centre: " << c.serviceCentre << "\n";
    for (const auto& [name, s] : c.stores)
        std::cout << "messages " << name << ": " << s.slots.size() << "/" << s.capacity << "\n";
    for (const auto& [name, b] : c.phonebooks)
        std::cout << "phonebook " << name << ": " << b.entries.size() << "/" << b.capacity
                  << ", names of " << b.nameLength << "\n";
    std::cout << "faults: " << c.faults.size() << ", unsolicited: " << c.unsolicited.size()
              << ", arrivals: " << c.arrivals.size() << "\n";
}

std::string Printable(const std::string& bytes) {
    std::string s;
    char buf[8];
    for (unsigned char c : bytes) {
        if (c == '\r')
            s += "\\r";
        else if (c == '\n')
            s += "\\n";
        else if (c < 32 || c >= 127)
            std::snprintf(buf, sizeof buf, "\\x%02X", c), s += buf;
        else
            s += static_cast<char>(c);
    }
    return s;
}

int signalPipe[2] = {-1, -1};

void OnSignal(int signo) {
    int saved = errno;
    unsigned char b = static_cast<unsigned char>(signo);
    [[maybe_unused]] auto n = write(signalPipe[1], &b, 1);
    errno = saved;
}

std::int64_t NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The terminal side as a serial device is: raw, nothing echoed or translated by the kernel.
// Also drops what a client that went away left unread.
void ResetSlave(const std::string& slave) {
    int fd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return;
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        tcsetattr(fd, TCSANOW, &t);
    }
    tcflush(fd, TCIFLUSH);  // only our stale answers: the client may already be back and typing
    close(fd);
}

// Closing the master throws away what the client has not read yet; a vanishing phone should
// still have been heard, so give the client a moment to take its last answer.
void WaitUntilRead(const std::string& slave) {
    int fd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return;
    // Polling the terminal side also moves what is still on its way into the queue, so an empty
    // queue means the client has it.
    for (int i = 0; i < 500; ++i) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN)) break;
        usleep(10'000);
    }
    close(fd);
}

// A pseudo-terminal with its terminal side raw: the master, non-blocking, and the device's path.
int OpenTerminal(std::string& slave) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        Fail(std::string("no pseudo-terminal: ") + std::strerror(errno));
    const char* name = ptsname(master);
    if (!name) Fail("no pseudo-terminal name");
    slave = name;
    ResetSlave(slave);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    return master;
}

// The links made, with their devices: removed at exit unless somebody has replaced one since.
std::vector<std::pair<std::string, std::string>> links;

void RemoveLinks() {
    for (const auto& [link, slave] : links) {
        char target[4096];
        ssize_t len = readlink(link.c_str(), target, sizeof target - 1);
        if (len > 0 && std::string(target, static_cast<std::size_t>(len)) == slave)
            unlink(link.c_str());
    }
}

void MakeLink(const std::string& link, const std::string& slave) {
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) RemoveLinks(), Fail(link + " exists and is not a symbolic link");
        unlink(link.c_str());
    }
    if (symlink(slave.c_str(), link.c_str()) != 0)
        RemoveLinks(), Fail("cannot create " + link + ": " + std::strerror(errno));
    links.emplace_back(link, slave);
}

// What a decoy makes of a client's bytes: nothing, or a byte of noise for each and, at each
// line's end, the "\xFF\xFE" of a port that speaks another protocol. Never a result code.
std::string DecoyAnswer(Decoy& d, const std::string& in) {
    std::string out;
    if (!d.noisy) return out;
    for (char c : in) {
        d.noiseState = d.noiseState * 1103515245u + 12345u;
        out += static_cast<char>(0x80 | (d.noiseState >> 24));
        if (c == '\r') out += "\xFF\xFE";
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    Options o = ParseOptions(argc, argv);
    Config cfg = LoadConfig(o);
    if (o.check) {
        PrintSummary(cfg);
        return 0;
    }
    if (o.link.empty()) Fail("--link PATH is required (see --help)");
    for (std::size_t i = 0; i < o.decoys.size(); ++i)
        for (std::size_t j = 0; j <= i; ++j)
            if (o.decoys[i].link == (j == i ? o.link : o.decoys[j].link))
                Fail(o.decoys[i].link + " is given twice");

    std::string slave;
    int master = OpenTerminal(slave);
    MakeLink(o.link, slave);
    for (Decoy& d : o.decoys) {
        d.master = OpenTerminal(d.slave);
        MakeLink(d.link, d.slave);
    }

    if (pipe(signalPipe) != 0) Fail("no pipe");
    fcntl(signalPipe[0], F_SETFL, O_NONBLOCK);
    fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1})
        sigaction(s, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::cout << slave << std::endl;
    for (const Decoy& d : o.decoys)
        std::cout << d.slave << std::endl;

    Modem modem(cfg, o.sentLog);
    Pacer pacer(cfg.chunkSize, cfg.chunkPauseMs, cfg.baud);
    bool connected = false, quit = false;
    auto trace = [&](const std::string& dir, const std::string& bytes) {
        if (o.trace && !bytes.empty()) std::cerr << dir << ' ' << Printable(bytes) << std::endl;
    };
    auto hangup = [&]() {
        if (!connected) return;
        connected = false;
        modem.Hangup();
        pacer.Clear();
        ResetSlave(slave);
        trace("--", "client closed the device");
    };
    // After the client's last close a master reports POLLHUP until the device is opened again,
    // so it is only looked at while somebody is there; otherwise it is probed every little while.
    auto inUse = [](int fd) {
        pollfd probe{fd, POLLIN, 0};
        poll(&probe, 1, 0);
        return !(probe.revents & POLLHUP) || (probe.revents & POLLIN);
    };

    while (!quit) {
        if (inUse(master))
            connected = true;
        else
            hangup();
        bool decoyIdle = false;
        for (Decoy& d : o.decoys) {
            const bool was = std::exchange(d.connected, inUse(d.master));
            if (was && !d.connected) ResetSlave(d.slave);
            decoyIdle = decoyIdle || !d.connected;
        }

        std::int64_t now = NowUs();
        std::vector<pollfd> fds{{signalPipe[0], POLLIN, 0}, {connected ? master : -1, POLLIN, 0}};
        for (const Decoy& d : o.decoys)
            fds.push_back({d.connected ? d.master : -1, POLLIN, 0});
        if (pacer.Allowed(now)) fds[1].events |= POLLOUT;
        // With answers queued, wait for the line to take them (POLLOUT) or for the pacing; a
        // client that does not read must not make the phone spin.
        int timeout = 20;
        if (connected) timeout = pacer.Allowed(now) ? -1 : pacer.WaitMs(now);
        if (decoyIdle && (timeout < 0 || timeout > 20)) timeout = 20;
        poll(fds.data(), fds.size(), timeout);

        unsigned char sig;
        while (read(signalPipe[0], &sig, 1) == 1) {
            if (sig == SIGUSR1) {
                std::string code = modem.ArriveNext();
                if (connected) pacer.Push(code), trace("<<", code);
            } else {
                quit = true;
            }
        }
        for (std::size_t k = 0; k < o.decoys.size(); ++k) {
            Decoy& d = o.decoys[k];
            char buf[4096];
            ssize_t n = (fds[2 + k].revents & POLLIN) ? read(d.master, buf, sizeof buf) : 0;
            if (n <= 0) continue;
            std::string in(buf, static_cast<std::size_t>(n)), out = DecoyAnswer(d, in);
            trace(d.link + " >>", in);
            trace(d.link + " <<", out);
            // A client that does not read loses noise, which is no loss.
            if (out.empty()) continue;
            [[maybe_unused]] auto w = write(d.master, out.data(), out.size());
        }
        if (!connected) continue;

        now = NowUs();
        if (fds[1].revents & POLLIN) {
            char buf[4096];
            ssize_t n = read(master, buf, sizeof buf);
            if (n > 0) {
                std::string in(buf, static_cast<std::size_t>(n));
                trace(">>", in);
                std::string out = modem.Receive(in, now / 1000);
                trace("<<", out);
                pacer.Push(out, modem.AnswerAt(), std::int64_t{cfg.latencyMs} * 1000, now);
            } else if (n < 0 && errno == EIO) {
                hangup();
                continue;
            }
        }
        if (std::size_t allowed = pacer.Allowed(now)) {
            ssize_t n = write(master, pacer.Queue().data(), allowed);
            if (n > 0)
                pacer.Consume(static_cast<std::size_t>(n), now);
            else if (n < 0 && errno == EIO)
                hangup();
        }
        if (modem.Vanished() && pacer.Empty()) {
            trace("--", "device vanishes");
            WaitUntilRead(slave);
            break;
        }
    }

    close(master);
    for (const Decoy& d : o.decoys)
        close(d.master);
    RemoveLinks();
    return 0;
}
