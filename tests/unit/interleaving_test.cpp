// The whole program against the simulated phone's core, driven by seeded random schedules of what
// a user does (every button of the main window, the browser and the phonebook window, closing
// windows, switching languages) and what a phone does (answers in pieces, late or never, messages
// and reports arriving, lines of its own accord, errors, a cable pulled). After every step the
// invariants no interleaving may break are checked. A failing seed is printed with its steps.
// BSMS_SCHEDULES=N runs N schedules instead of the few CI runs (scripts/interleave.sh), from
// seed BSMS_SEED on; BSMS_SEED alone replays that one schedule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <random>
#include <sstream>

#include "app/form1.h"
#include "app/startup.h"
#include "browser/form5.h"
#include "compose/sent_reports.h"
#include "link/reply_timer.h"
#include "modem.h"
#include "scenario.h"
#include "sms/decoder.h"
#include "test_support.h"

namespace bsms {
namespace {

constexpr int kTick = kReplyTimerMs;

bool IsFinal(std::string_view line) {
    return line == "OK" || line == "ERROR" || line.starts_with("+CMS ERROR:") ||
           line.starts_with("+CME ERROR:");
}

// The lines of a text that carry something, without the blanks around them (a prompt's, which
// may come after the prompt was taken).
std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; (at = text.find_first_not_of("\r\n ", at)) != text.npos;) {
        const std::string_view line = text.substr(at, text.find_first_of("\r\n", at) - at);
        lines.emplace_back(line.substr(0, line.find_last_not_of(' ') + 1));
        at += line.size();
    }
    return lines;
}

// Where the phone's answer to a command ends in what it sent back: the first character that
// ends its final result line, or the ">" of the prompt for a PDU; what follows is the phone's
// own (codes, new messages) and the rest of that line break or prompt.
std::size_t AnswerLength(const std::string& out) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] != '\r' && out[i] != '\n') continue;
        if (IsFinal(std::string_view(out).substr(start, i - start))) return i + 1;
        start = i + 1;
    }
    const std::size_t prompt = out.find_last_not_of(" \r\n");
    return prompt != std::string::npos && out[prompt] == '>' ? prompt + 1 : out.size();
}

// What a location holding a delivery report reads as: its row tells the outcome, not its text.
constexpr const char* kReport = "<report>";

// A button or menu item of the window on top, and what the user does before pressing it.
struct Button {
    const char* name;
    const char* control;
    int typed = 0;                        // a message of up to this many characters typed first
    const char* to = nullptr;             // and this recipient
    std::optional<MsgResult> asked = {};  // the delete question, answered so
    bool saves = false;                   // saving to a file, deleting after
};

// The program on a port to the simulated phone: what the phone sends waits in `pending`.
struct World : test::Rig {
    // A phone of a profile the seed picks, with faults it picks; or, `phoneScenario` given, a
    // phone of the default content and that scenario for a scripted schedule.
    explicit World(std::uint32_t seed, const char* phoneScenario = nullptr);
    ~World() {
        port.onWrite = nullptr;
        program.reset();  // while the phone it may hang up is there
    }

    std::mt19937 rng;
    std::unique_ptr<phonesim::Modem> phone;
    std::vector<std::string> steps;  // what happened, for a failing seed
    std::string broken;              // the first invariant broken

    long long now = 0;          // ms
    long long lastTraffic = 0;  // the last write or delivery
    std::string pending;        // sent by the phone, not yet delivered
    std::size_t owed = 0;       // bytes of `pending` that answer a command
    long long holdUntil = 0;    // a late answer: nothing is delivered before
    // A phone that does not echo answers "AT" at once after what it owed before: no pause
    // between the two could tell them apart, and a phone makes none.
    std::size_t atOnceUntil = 0;
    bool nextLate = false, nextLost = false;
    // The last command written and the lines of the phone's answer to it.
    std::string lastCommand;
    std::vector<std::string> lastAnswer;
    // Locations the user confirmed deleting, with the text of the row they were marked in.
    std::map<int, std::string> toDelete;
    // Parts the phone took, messages whose last part it took, and "sent" boxes shown.
    int taken = 0, completed = 0, toldSent = 0;
    bool lostTaken = false;
    std::size_t boxesSeen = 0;
    int boxDepth = 0;
    int countBefore = 0;
    // A scripted schedule: a box lets the phone say all it has to say.
    bool scripted = false;

    Window& f3() { return *program->Form3; }
    Window& f5() { return *program->Form5; }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool chance(int percent) { return pick(100) < percent; }
    void fail(const std::string& why) {
        if (broken.empty()) broken = why;
    }

    void written(const std::string& bytes);
    void deliver(std::size_t n);
    void ofItsOwn(const std::string& text);
    void tick();
    using Action = std::pair<const char*, std::function<void()>>;
    std::vector<Action> phoneActions();
    std::vector<Action> userActions();
    void press(Window& w, const Button& b);
    // Does what `name` says: an action of the phone or of the user in the window on top, "the
    // phone's text comes", or "all answered" (the phone answers until the line is free).
    void play(std::string_view name);
    void step();
    void check();
    std::string pduAt(int location);
    std::string decodedAt(int location);
};

World::World(std::uint32_t seed, const char* phoneScenario) : rng(seed), scripted(phoneScenario) {
    phonesim::Config config;
    const auto& profiles = phonesim::Profiles();
    const std::string profile =
        profiles[static_cast<std::size_t>(pick(static_cast<int>(profiles.size())))].name;
    std::string scenario = "default-content\n";
    for (int i = 0; i < 6; ++i)
        scenario += "arrival from=+3933300000" + std::to_string(i) + " text=\"Nuovo " +
                    std::to_string(i) + "\"\n";
    if (scripted) {
        scenario += phoneScenario;
    } else {
        scenario += "profile " + profile + "\n";
        scenario += chance(30) ? "echo off\n" : "";
        scenario += std::string("report ") + (chance(50) ? "delivered" : "failed") + "\n";
        const char* faults[] = {"fault cms AT+CMGR=3 500 once", "fault error AT+CPBS=ME once",
                                "fault cms AT+CMGS=* 38 once", "fault cme AT+CSCA? 10 once",
                                "fault error AT+CMGD=* once"};
        for (const char* f : faults)
            if (chance(25)) scenario += std::string(f) + "\n";
    }
    phonesim::ApplyScenario(config, scenario);
    steps.push_back("phone: " + (scripted ? std::string(phoneScenario) : profile) +
                    (config.echo ? "" : ", no echo"));
    phone = std::make_unique<phonesim::Modem>(config);
    port.onWrite = [this](const std::string& bytes) { written(bytes); };
    port.onClose = [this] {
        // A part whose answer never reached the program cannot be counted by it.
        lostTaken = lostTaken || (owed > 0 && !lastCommand.starts_with("AT"));
        pending.clear();
        owed = atOnceUntil = 0;
        holdUntil = 0;
        phone->Hangup();
    };
    dir.write("Setting.sms", " 1 \r\n115200,n,8,1\r\n 0 \r\n391234500000\r\nFalse\r\nFalse\r\n" +
                                 std::string(chance(50) ? "english" : "italiano") +
                                 "\r\n 200 \r\n 50 \r\n 12 \r\n");
    host.keepModalOpen = true;
    host.duringBox = [this](const MessageBoxSpec&) {
        // A box runs its own event loop: the phone goes on meanwhile.
        if (boxDepth > 0) return;
        ++boxDepth;
        if (scripted) deliver(pending.size());
        for (int n = scripted ? 0 : pick(3); n > 0; --n)
            chance(70) ? deliver(1 + pick(80)) : tick();
        --boxDepth;
    };
    start();
    countBefore = program->st.Sent_Count;
    // Every owner reads the answer to its own command, whole.
    for (OwnerHandlers& h : program->owners) {
        if (!h.answer) continue;
        h.answer = [this, next = h.answer](const Command& c, const std::string& answer) {
            if (c.bytes != lastCommand)
                fail("the answer to " + lastCommand + " went to " + c.bytes);
            else if (Lines(answer) != lastAnswer)
                fail("the answer to " + c.bytes + " was not its own: " + answer);
            return next(c, answer);
        };
    }
}

void World::written(const std::string& bytes) {
    const bool resync = (bytes.starts_with('\x1b') ? bytes.substr(1) : bytes) == "AT\r";
    // One command on the line: the next goes once the answer before it is in, but for the "AT"
    // after an answer was given up.
    if (owed > 0 && !(resync && now - lastTraffic >= kCommandReplyMs))
        fail("a command written while another's answer is on its way: " + bytes + " before " +
             ::testing::PrintToString(pending.substr(0, owed)));
    if ((bytes.starts_with("AT+CMGL") || bytes.starts_with("AT+CPMS")) && !f5().shown())
        fail("the closed browser reads: " + bytes);
    if ((bytes.starts_with("AT+CPB") || bytes == "AT+CSCS=?\r") && !f3().shown() &&
        !program->st.Phonebook_Download)
        fail("the closed phonebook window reads: " + bytes);
    const Owner owner = program->line.inFlight()->command.owner;
    const int k = bytes.starts_with("AT+CMGD=") ? std::atoi(bytes.c_str() + 8) : -1;
    if (k >= 0 && owner == Owner::Reports) {
        const std::string pdu = pduAt(k);
        const auto kept = ParseKeptReports(dir.read(kReportsFile));
        if (pdu.empty() || Decode_Sms_Deliver(pdu, {}).Kind != SmsKind::StatusReport)
            fail("deleted location " + std::to_string(k) + ", which holds no report");
        else if (std::none_of(kept.begin(), kept.end(),
                              [&](const auto& r) { return r.pdu == pdu; }))
            fail("deleted the report at " + std::to_string(k) + " before keeping it");
    } else if (k >= 0) {
        const auto it = toDelete.find(k);
        if (it == toDelete.end())
            fail("deleted a location no row the user marked held: " + bytes);
        else if (it->second.find(decodedAt(k)) == std::string::npos)
            fail("deleted location " + std::to_string(k) + " holding \"" + decodedAt(k) +
                 "\", not the message marked: \"" + it->second + "\"");
        else
            toDelete.erase(it);
    }
    lastTraffic = now;
    steps.push_back("  written: " + ::testing::PrintToString(bytes.substr(0, 24)) + " by " +
                    std::to_string(static_cast<int>(owner)));
    if (!resync && std::exchange(nextLost, false)) return;  // the phone never heard it
    const std::string out = phone->Receive(bytes, now);
    const std::size_t answer = AnswerLength(out);
    if (!resync) {
        lastCommand = bytes;
        lastAnswer = Lines(out.substr(0, answer));
        if (std::exchange(nextLate, false)) holdUntil = now + (21 + pick(20)) * kTick;
    }
    if (out.substr(0, answer).find("+CMGS: ") != std::string::npos) {
        ++taken;
        const Sms_Record part = Decode_Sms_Deliver(bytes.substr(0, bytes.size() - 1), {});
        if (part.concatRef < 0 || part.concatPart == part.concatTotal) ++completed;
    }
    pending += out.substr(0, answer);
    owed = pending.size();
    if (resync && !phone->config().echo) atOnceUntil = owed;
    pending += out.substr(answer);
}

// A line the phone sends of its own accord, between two lines of what it is sending.
void World::ofItsOwn(const std::string& text) {
    std::vector<std::size_t> breaks{pending.size()};
    for (std::size_t at = pending.find("\r\n"); at != std::string::npos;
         at = pending.find("\r\n", at + 1))
        breaks.push_back(at);
    const std::size_t at = breaks[static_cast<std::size_t>(pick(static_cast<int>(breaks.size())))];
    pending.insert(at, text);
    if (owed > 0 && at + 1 < owed) owed += text.size();  // not after the final line
    if (at < atOnceUntil) atOnceUntil += text.size();
}

void World::deliver(std::size_t n) {
    if (now < holdUntil || pending.empty() || !port.portOpen()) return;
    n = std::min(std::max(n, atOnceUntil), pending.size());
    atOnceUntil -= std::min(atOnceUntil, n);
    const std::string piece = pending.substr(0, n);
    steps.push_back("  arrives: " + ::testing::PrintToString(piece.substr(0, 40)));
    pending.erase(0, n);
    owed -= std::min(owed, n);
    lastTraffic = now;
    port.arrive(piece);
}

void World::tick() {
    // A phone says what it has to say without long pauses: only a late answer waits.
    if (!pending.empty() && now >= std::max(holdUntil, lastTraffic + kTick)) {
        deliver(pending.size());
        steps.push_back("the phone's text comes");
    }
    now += kTick;
    form1()["Timer2"].tick();
    if (now % 1000 == 0) form1()["Timer1"].tick();
}

// What the phone can do: each named as a scripted schedule names it.
std::vector<World::Action> World::phoneActions() {
    return {{"a message arrives", [this] { ofItsOwn(phone->ArriveNext()); }},
            {"a line of the phone's own",
             [this] {
                 const char* lines[] = {"\r\nRING\r\n", "\r\n+CREG: 1\r\n", "\r\n^RSSI: 9\r\n",
                                        "\r\n+CTZE: \"+04\",0\r\n"};
                 ofItsOwn(lines[pick(4)]);
             }},
            {"the next answer comes late", [this] { nextLate = true; }},
            {"the next command may be lost", [this] { nextLost = chance(30); }},
            {"the cable may be pulled",
             [this] {
                 if (chance(10) && port.portOpen()) port.setPortOpen(false);  // the device gone
             }},
            // A command's time limit and more in a script.
            {"time passes", [this] {
                 for (int n = scripted ? kCommandReplyMs / kTick + 2 : 4 + pick(30); n > 0; --n)
                     tick();
             }}};
}

// What the user can do in the window on top: its buttons and menu items, then marking rows.
std::vector<World::Action> World::userActions() {
    const bool book = f3().shown(), browser = !book && f5().shown();
    Window& w = book ? f3() : browser ? f5() : form1();
    const std::vector<Button> buttons =
        book ? std::vector<Button>{{"Annulla", "Command1"}}
        : browser
            ? std::vector<Button>{{"Leggi SMS", "Command1"},
                                  {"Aggiorna", "Command4"},
                                  {"Cancella, OK", "Command7", 0, nullptr, MsgResult::Ok},
                                  {"Cancella, Annulla", "Command7", 0, nullptr, MsgResult::Cancel},
                                  {"Salva and delete", "Command5", 0, nullptr, MsgResult::Ok, true},
                                  {"Rispondi", "Command3"},
                                  {"Esci", "Command2"}}
            : std::vector<Button>{{"Test", "Mn_Test"},
                                  {"Upload", "Command3"},
                                  {"Invia", "Command6", 700, "+393331234567"},
                                  {"Salva", "Command7", 400},
                                  {"Ricevuta", "Mn_Ricevuta"},
                                  {"Rubrica Upload", "Mn_Upload"},
                                  {"Browse SMS", "Command4"},
                                  {"Chiudi", "Mn_Chiudi"},
                                  {"Apri", "Mn_Apri"},
                                  {"English", "Mn_English"},
                                  {"Polski", "Mn_polski"}};
    std::vector<Action> actions;
    for (const Button& b : buttons)
        actions.push_back({b.name, [this, &w, b] { press(w, b); }});
    const auto mark = [&w](int row) {
        Control& grid = w["Grid1"];
        if (row >= 0) grid.setCurrent(row, 0);
        grid.click();
    };
    if (book) actions.push_back({"the progress window closed", [this] { f3().unload(); }});
    if (browser) {
        actions.push_back({"a row marked", [this, &w, mark] {
                               const int rows = w["Grid1"].rows();
                               mark(rows > 1 ? 1 + pick(rows - 1) : -1);
                           }});
        actions.push_back({"the last row marked", [&w, mark] { mark(w["Grid1"].rows() - 1); }});
    }
    return actions;
}

void World::press(Window& w, const Button& b) {
    if (b.asked) {
        // The row as the user sees it when pressing: what may go.
        const auto* m = Browser(*program).messageOfRow(w["Grid1"].row());
        if (m && *b.asked == MsgResult::Ok)
            for (int l : m->locations)
                toDelete[l] = m->record.Kind == SmsKind::StatusReport ? kReport : m->record.Text;
        host.answers = {*b.asked};
    }
    if (b.to) w["Text4"].setText(b.to);
    if (b.typed > 0) w["Text5"].setText(test::Text(1 + static_cast<std::size_t>(pick(b.typed))));
    if (b.saves) {
        w["Check1"].setValue(1);
        host.saveAnswers = {(dir.path() / "saved.txt").string()};
    }
    click(b.control, &w);
    if (b.saves) w["Check1"].setValue(0);
}

void World::play(std::string_view name) {
    steps.push_back(std::string(name));
    if (name == "the phone's text comes") {
        deliver(pending.size());
    } else if (name == "all answered") {
        for (int n = 0; n < 2000 && (program->line.busy() || !pending.empty()); ++n) {
            tick();
            deliver(pending.size());
        }
    } else {
        std::vector<Action> actions = userActions(), phones = phoneActions();
        actions.insert(actions.end(), phones.begin(), phones.end());
        const auto a = std::find_if(actions.begin(), actions.end(),
                                    [&](const Action& x) { return x.first == name; });
        if (a == actions.end()) return fail("no action \"" + std::string(name) + "\" here");
        a->second();
    }
    check();
}

void World::step() {
    const int what = pick(100);
    if (what < 45) {
        const bool all = chance(30);
        deliver(all ? pending.size() : static_cast<std::size_t>(1 + pick(64)));
        steps.push_back(all ? "the phone's text comes" : "a piece of the phone's text comes");
    } else if (what < 65) {
        tick();
        steps.push_back("a tick");
    } else {
        const std::vector<Action> actions = what < 88 ? userActions() : phoneActions();
        const Action& a = actions[static_cast<std::size_t>(pick(static_cast<int>(actions.size())))];
        steps.push_back(a.first);
        a.second();
    }
    check();
}

std::string World::pduAt(int location) {
    const auto& stores = phone->config().stores;
    const int sim = stores.at("SM").capacity;
    const auto& store = stores.at(location > sim ? "ME" : "SM");
    const auto it = store.slots.find(location > sim ? location - sim : location);
    std::string pdu = it == store.slots.end() ? "" : it->second.pdu;
    for (char& c : pdu)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return pdu;
}

std::string World::decodedAt(int location) {
    const std::string pdu = pduAt(location);
    if (pdu.empty()) return "<empty>";
    const Sms_Record r = Decode_Sms_Deliver(pdu, {});
    return r.Kind == SmsKind::StatusReport ? kReport : r.Text;
}

// Every row stands for what its locations hold, and nothing is told sent, counted or logged that
// the phone did not take.
void World::check() {
    const Control& grid = f5()["Grid1"];
    for (int row = 1; f5().shown() && row < grid.rows(); ++row) {
        const ListedMessage* m = Browser(*program).messageOfRow(row);
        if (m == nullptr) {
            fail("a row that stands for no message");
            continue;
        }
        for (int location : m->locations) {
            const std::string there = decodedAt(location);
            if (m->record.Kind != SmsKind::StatusReport &&
                m->record.Text.find(there) == std::string::npos)
                fail("row " + std::to_string(row) + " (Id " + grid.cell(row, 1) + ") shows \"" +
                     m->record.Text + "\" but location " + std::to_string(location) + " holds \"" +
                     there + "\"");
        }
    }
    for (; boxesSeen < host.boxes.size(); ++boxesSeen)
        if (host.boxes[boxesSeen].text == program->texts[MsgId::Message_Sent] &&
            ++toldSent > completed)
            fail("told sent " + std::to_string(toldSent) + " times where the phone took " +
                 std::to_string(completed) + " messages whole");
    if (program->st.Sent_Count > taken) fail("counted parts the phone never took");
    const std::string log = dir.read("LogSMS.txt");
    std::size_t logged = 0;
    for (std::size_t at = log.find("Sms:"); at != std::string::npos; at = log.find("Sms:", at + 1))
        ++logged;
    if (static_cast<int>(logged) > taken) fail("logged more messages than the phone took parts");
    // Once a send is over, every part the phone took is counted.
    if (!program->line.busy() && !program->st.Send_Job.active && pending.empty() && !lostTaken &&
        program->st.Sent_Count - countBefore != taken)
        fail("counted " + std::to_string(program->st.Sent_Count - countBefore) +
             " parts where the phone took " + std::to_string(taken));
}

// Empty when no invariant broke, else what broke and the steps that led there.
std::string Story(const World& world, const std::string& name) {
    if (world.broken.empty()) return {};
    std::ostringstream story;
    story << name << ": " << world.broken << "\n";
    for (const std::string& s : world.steps)
        story << "  " << s << "\n";
    return story.str();
}

// One schedule; empty when no invariant broke, else the seed's story.
std::string RunSchedule(std::uint32_t seed, int length) {
    World world(seed);
    for (int i = 0; i < length && world.broken.empty(); ++i)
        world.step();
    // The phone says all it has to say.
    for (int i = 0; i < 200 && world.broken.empty() && !world.pending.empty(); ++i) {
        world.tick();
        world.deliver(world.pending.size());
        world.check();
    }
    return Story(world, "seed " + std::to_string(seed));
}

TEST(Interleaving, NoScheduleBreaksAnInvariant) {
    const char* many = std::getenv("BSMS_SCHEDULES");
    const char* first = std::getenv("BSMS_SEED");
    const int from = first != nullptr ? std::atoi(first) : 0;
    const int count = many != nullptr ? std::atoi(many) : first != nullptr ? 1 : 150;
    const auto start = std::chrono::steady_clock::now();
    for (int seed = from; seed < from + count; ++seed) {
        const std::string story = RunSchedule(static_cast<std::uint32_t>(seed), 80);
        ASSERT_TRUE(story.empty()) << story;
    }
    if (many != nullptr) {
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%d schedules without a broken invariant, %.0f a second\n", count, count / s);
    }
}

// The faults a review found, each a schedule: every one broke an invariant before the line
// carried one command at a time.
TEST(Interleaving, TheFaultsOfTheReviewStayMended) {
    const struct {
        const char* fault;
        const char* phone;
        std::vector<const char*> script;
    } rows[] = {
        {"Aggiorna while a new message is read, on a phone read location by location",
         "profile no-cmgl\n",
         {"Browse SMS", "all answered", "Leggi SMS", "all answered", "a message arrives",
          "the phone's text comes", "Aggiorna", "all answered", "the last row marked",
          "Cancella, OK", "all answered"}},
        {"a new message while the delete question is open",
         "",
         {"Browse SMS", "all answered", "Leggi SMS", "all answered", "a message arrives",
          "the last row marked", "Cancella, OK", "all answered", "the last row marked",
          "Salva and delete", "all answered"}},
        {"a listing answered after its time limit, on a phone that does not echo",
         "echo off\n",
         {"Browse SMS", "all answered", "the next answer comes late", "Leggi SMS", "time passes",
          "all answered", "the last row marked", "Cancella, OK", "all answered"}},
        {"a read answered after its time limit during the scan",
         "profile no-cmgl\n",
         {"Browse SMS", "all answered", "Leggi SMS", "the phone's text comes",
          "the next answer comes late", "the phone's text comes", "time passes", "all answered",
          "Leggi SMS", "all answered", "the last row marked", "Cancella, OK", "all answered"}},
        {"the browser closed while its listing is on its way, then a send",
         "",
         {"Browse SMS", "all answered", "Leggi SMS", "Esci", "Invia", "all answered"}},
    };
    for (const auto& row : rows) {
        World world(0, row.phone);
        for (const char* step : row.script)
            if (world.broken.empty()) world.play(step);
        EXPECT_EQ(Story(world, row.fault), "");
    }
}

}  // namespace
}  // namespace bsms
