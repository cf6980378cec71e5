#include "app/command_line.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <ostream>

#include "app/form1.h"
#include "base/text.h"
#include "browser/form5.h"
#include "browser/sms_list.h"
#include "compose/editor.h"
#include "compose/send.h"
#include "core/program.h"
#include "link/probe.h"
#include "link/settings_files.h"
#include "phonebook/download.h"
#include "phonebook/phonebook_file.h"
#include "sms/alphabet.h"
#include "ui/language.h"

namespace bsms {

namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& j) {
    // Texts are UTF-8 from the decoder; a stray byte must not cost the whole listing.
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// A picker entry's name and number: "name (number)" or "(number)".
std::pair<std::string, std::string> EntryParts(const std::string& entry) {
    const std::size_t open = entry.rfind('(');
    if (open == std::string::npos || !entry.ends_with(')')) return {entry, {}};
    std::string name = entry.substr(0, open);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return {name, entry.substr(open + 1, entry.size() - open - 2)};
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Words of a box on a terminal: its CR line breaks as the terminal's.
std::string Words(std::string text) {
    std::replace(text.begin(), text.end(), '\r', '\n');
    return text;
}

// Whether a text is `pattern` with its "%1" filled in.
bool Fills(std::string_view text, std::string_view pattern) {
    const std::size_t at = pattern.find("%1");
    return at != std::string_view::npos && text.starts_with(pattern.substr(0, at)) &&
           text.ends_with(pattern.substr(at + 2));
}

// What a box of the run says of it; Done for one that tells no trouble.
CliStatus Judge(const MessageTexts& t, const MessageBoxSpec& box) {
    if (box.text.find(t[MsgId::No_Answer]) != std::string::npos ||
        Fills(box.text, t[MsgId::No_Phone]))
        return CliStatus::Silent;
    if (box.text.starts_with(t[MsgId::Port_Open_Failed])) return CliStatus::NoPhone;
    if (box.title == t[MsgId::Title_Send_Impossible]) return CliStatus::Usage;
    if (box.icon == MsgIcon::Critical || box.title == t[MsgId::Title_Sim])
        return CliStatus::Refused;
    return CliStatus::Done;
}

const char* StatusName(int status) {
    static const char* const kNames[] = {"unread", "read", "unsent", "sent"};
    return status >= 0 && status <= 3 ? kNames[status] : nullptr;
}

Json MessageObject(const ListedMessage& m) {
    const Sms_Record& r = m.record;
    Json j;
    j["id"] = LocationsText(m.locations);
    j["locations"] = m.locations;
    const char* status = StatusName(r.storedStatus);
    j["status"] = status ? Json(status) : Json();
    j["kind"] = r.Kind == SmsKind::Submit         ? "stored"
                : r.Kind == SmsKind::StatusReport ? "report"
                                                  : "received";
    j["number"] = r.Sender_Number;
    const std::string name = r.Sender == r.Sender_Number ? "" : EntryParts(r.Sender).first;
    j["name"] = name.empty() ? Json() : Json(name);
    const std::string time = IsoTime(r.serviceCentreTime, r.zoneMinutes);
    j["time"] = time.empty() ? Json() : Json(time);
    j["text"] = r.Text;
    j["parts"] = r.concatRef >= 0 ? r.concatTotal : 1;
    j["encoding"] = r.coding == SmsCoding::Ucs2    ? "ucs2"
                    : r.coding == SmsCoding::Eight ? "8bit"
                                                   : "gsm7";
    static const char* const kOutcomes[] = {nullptr, "delivered", "pending", "failed"};
    const char* outcome = kOutcomes[static_cast<int>(m.outcome)];
    j["report"] = outcome ? Json(outcome) : Json();
    return j;
}

// A listed message on one line: Id, time, number, name and text, apart by tabs.
std::string MessageLine(const ListedMessage& m) {
    const Sms_Record& r = m.record;
    std::string text = r.Text;
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\t'; }, ' ');
    const std::string name = r.Sender == r.Sender_Number ? "" : EntryParts(r.Sender).first;
    return LocationsText(m.locations) + '\t' + IsoTime(r.serviceCentreTime, r.zoneMinutes) + '\t' +
           r.Sender_Number + '\t' + name + '\t' + text;
}

// What --help says, in each language's column.
constexpr LanguageTexts kHelp = {
    // it
    "Uso: brenvik-sms COMANDO [OPZIONI] [ARGOMENTI]\n"
    "Invia e legge SMS con il telefonino sulla porta seriale, come fa la finestra.\n"
    "\n"
    "Comandi:\n"
    "  send --to NUMERO|NOME [--flash] [--report] [TESTO|-]\n"
    "                      invia TESTO, o lo standard input, a un numero o a un nome di "
    "Rubrica.txt\n"
    "  list [--json]       i messaggi del telefonino: quelli lunghi riuniti, le ricevute abbinate\n"
    "  read ID [--json]    un messaggio per intero (ID come lo mostra list: 4, oppure 4,5)\n"
    "  delete ID...        cancella messaggi dal telefonino\n"
    "  phonebook [--json] [--save]\n"
    "                      le rubriche della SIM e del telefonino (--save: in Rubrica.txt)\n"
    "  probe               il modello del telefonino\n"
    "\n"
    "Opzioni:\n"
    "  --port N|DISPOSITIVO  il numero della porta, o il dispositivo stesso\n"
    "  --speed VELOCITÀ      115200, oppure 115200,n,8,1\n"
    "  --centre NUMERO       il centro servizi\n"
    "  --folder CARTELLA     la cartella delle impostazioni e dei file\n"
    "  --help, --version\n"
    "\n"
    "Stato di uscita: 0 fatto, 1 il telefonino ha rifiutato, 2 uso sbagliato, 3 nessun telefonino\n"
    "(porta mancante, occupata o vietata), 4 il telefonino non ha risposto in tempo.\n",
    // en
    "Usage: brenvik-sms COMMAND [OPTIONS] [ARGUMENTS]\n"
    "Sends and reads SMS through the phone on the serial port, as the window does.\n"
    "\n"
    "Commands:\n"
    "  send --to NUMBER|NAME [--flash] [--report] [TEXT|-]\n"
    "                      send TEXT, or standard input, to a number or a name in Rubrica.txt\n"
    "  list [--json]       the phone's messages: long ones joined, reports paired\n"
    "  read ID [--json]    one message in full (ID as list shows it: 4, or 4,5)\n"
    "  delete ID...        delete messages from the phone\n"
    "  phonebook [--json] [--save]\n"
    "                      the SIM's and the phone's phonebooks (--save: into Rubrica.txt)\n"
    "  probe               the phone's model\n"
    "\n"
    "Options:\n"
    "  --port N|DEVICE     the port number, or the device itself\n"
    "  --speed SPEED       115200, or 115200,n,8,1\n"
    "  --centre NUMBER     the service centre\n"
    "  --folder DIR        the folder of the settings and files\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 done, 1 the phone refused, 2 wrong usage, 3 no phone (port missing, busy or\n"
    "forbidden), 4 the phone did not answer in time.\n",
    // sk
    "Použitie: brenvik-sms PRÍKAZ [VOĽBY] [ARGUMENTY]\n"
    "Odosiela a číta SMS cez telefón na sériovom porte, ako to robí okno.\n"
    "\n"
    "Príkazy:\n"
    "  send --to ČÍSLO|MENO [--flash] [--report] [TEXT|-]\n"
    "                      odošle TEXT alebo štandardný vstup na číslo alebo meno z Rubrica.txt\n"
    "  list [--json]       správy v telefóne: dlhé spojené, výpisy o doručení priradené\n"
    "  read ID [--json]    jedna správa celá (ID tak, ako ho ukazuje list: 4 alebo 4,5)\n"
    "  delete ID...        zmaže správy z telefónu\n"
    "  phonebook [--json] [--save]\n"
    "                      telefónne zoznamy SIM a telefónu (--save: do Rubrica.txt)\n"
    "  probe               model telefónu\n"
    "\n"
    "Voľby:\n"
    "  --port N|ZARIADENIE  číslo portu alebo samotné zariadenie\n"
    "  --speed RÝCHLOSŤ     115200 alebo 115200,n,8,1\n"
    "  --centre ČÍSLO       centrum služieb\n"
    "  --folder PRIEČINOK   priečinok nastavení a súborov\n"
    "  --help, --version\n"
    "\n"
    "Návratový kód: 0 hotovo, 1 telefón odmietol, 2 nesprávne použitie, 3 žiadny telefón (port\n"
    "chýba, je obsadený alebo zakázaný), 4 telefón neodpovedal včas.\n",
    // hu
    "Használat: brenvik-sms PARANCS [KAPCSOLÓK] [ARGUMENTUMOK]\n"
    "SMS-t küld és olvas a soros porton lévő telefonnal, ahogy az ablak is.\n"
    "\n"
    "Parancsok:\n"
    "  send --to SZÁM|NÉV [--flash] [--report] [SZÖVEG|-]\n"
    "                      elküldi a SZÖVEGET vagy a szabványos bemenetet egy számra vagy a\n"
    "                      Rubrica.txt egy nevére\n"
    "  list [--json]       a telefon üzenetei: a hosszúak egyben, a kézbesítési jelentések "
    "párosítva\n"
    "  read ID [--json]    egy üzenet teljes egészében (ID, ahogy a list mutatja: 4 vagy 4,5)\n"
    "  delete ID...        üzenetek törlése a telefonról\n"
    "  phonebook [--json] [--save]\n"
    "                      a SIM és a telefon telefonkönyve (--save: a Rubrica.txt fájlba)\n"
    "  probe               a telefon típusa\n"
    "\n"
    "Kapcsolók:\n"
    "  --port N|ESZKÖZ     a port száma, vagy maga az eszköz\n"
    "  --speed SEBESSÉG    115200, vagy 115200,n,8,1\n"
    "  --centre SZÁM       az üzenetközpont\n"
    "  --folder MAPPA      a beállítások és fájlok mappája\n"
    "  --help, --version\n"
    "\n"
    "Kilépési kód: 0 kész, 1 a telefon elutasította, 2 hibás használat, 3 nincs telefon (a port\n"
    "hiányzik, foglalt vagy tiltott), 4 a telefon nem válaszolt időben.\n",
    // pl
    "Użycie: brenvik-sms POLECENIE [OPCJE] [ARGUMENTY]\n"
    "Wysyła i czyta SMS-y przez telefon na porcie szeregowym, tak jak okno.\n"
    "\n"
    "Polecenia:\n"
    "  send --to NUMER|NAZWA [--flash] [--report] [TEKST|-]\n"
    "                      wysyła TEKST albo standardowe wejście na numer lub nazwę z Rubrica.txt\n"
    "  list [--json]       wiadomości w telefonie: długie połączone, raporty doręczenia "
    "dopasowane\n"
    "  read ID [--json]    jedna wiadomość w całości (ID tak, jak pokazuje je list: 4 albo 4,5)\n"
    "  delete ID...        usuwa wiadomości z telefonu\n"
    "  phonebook [--json] [--save]\n"
    "                      książki telefoniczne karty SIM i telefonu (--save: do Rubrica.txt)\n"
    "  probe               model telefonu\n"
    "\n"
    "Opcje:\n"
    "  --port N|URZĄDZENIE  numer portu albo samo urządzenie\n"
    "  --speed PRĘDKOŚĆ     115200 albo 115200,n,8,1\n"
    "  --centre NUMER       centrum wiadomości\n"
    "  --folder KATALOG     katalog ustawień i plików\n"
    "  --help, --version\n"
    "\n"
    "Kod wyjścia: 0 zrobione, 1 telefon odmówił, 2 złe użycie, 3 brak telefonu (port nie "
    "istnieje,\n"
    "jest zajęty albo zabroniony), 4 telefon nie odpowiedział na czas.\n"};

const std::vector<std::string> kCommands = {"send", "list", "read", "delete", "phonebook", "probe"};

// One run: the program started, the request carried out, the boxes judged.
class Run {
  public:
    Run(Program& p, CliHost& host, const CliRequest& r, const CliWait& wait, std::istream& in,
        std::ostream& out, std::ostream& err)
        : p_(p), host_(host), r_(r), wait_(wait), in_(in), out_(out), err_(err) {}

    CliStatus go() {
        if (const CliStatus s = start(); s != CliStatus::Done) return s;
        if (r_.command == "--help") {
            const int lang = LanguageIndex(p_.st.Current_Language);
            out_ << kHelp[static_cast<std::size_t>(lang < 0 ? 1 : lang)];
            return CliStatus::Done;
        }
        if (std::find(kCommands.begin(), kCommands.end(), r_.command) == kCommands.end())
            return usage(Filled(p_.texts[MsgId::Cli_Unknown_Command], r_.command));
        if (const CliStatus s = open(); s != CliStatus::Done) return s;
        if (r_.command == "send") return send();
        if (r_.command == "phonebook") return phonebook();
        if (r_.command == "probe") return probe();
        std::vector<ListedMessage> rows;
        if (const CliStatus s = list(rows); s != CliStatus::Done) return s;
        if (r_.command == "list") {
            if (r_.json) {
                Json all = Json::array();
                for (const ListedMessage& m : rows)
                    all.push_back(MessageObject(m));
                out_ << Dump(all) << '\n';
            } else {
                for (const ListedMessage& m : rows)
                    out_ << MessageLine(m) << '\n';
            }
            return CliStatus::Done;
        }
        return r_.command == "read" ? read(rows) : erase(rows);
    }

  private:
    CliStatus usage(const std::string& words) {
        err_ << Words(words) << '\n';
        return CliStatus::Usage;
    }

    // The first trouble the boxes shown since the last look tell, their words said.
    CliStatus trouble() {
        CliStatus first = CliStatus::Done;
        for (; judged_ < host_.boxes.size(); ++judged_) {
            const MessageBoxSpec& box = host_.boxes[judged_];
            const CliStatus s = Judge(p_.texts, box);
            if (s == CliStatus::Done) continue;
            err_ << Words(box.text) << '\n';
            if (first == CliStatus::Done) first = s;
        }
        return first;
    }

    // Waits until the line is free and `through` holds; the trouble told meanwhile.
    CliStatus settle(const std::function<bool()>& through = [] { return true; }) {
        // Trouble told ends the wait: what the dialogue does after it is no answer to give.
        const auto troubled = [&] {
            for (std::size_t i = judged_; i < host_.boxes.size(); ++i)
                if (Judge(p_.texts, host_.boxes[i]) != CliStatus::Done) return true;
            return false;
        };
        if (!wait_([&] { return (!p_.line.busy() && through()) || troubled(); })) {
            trouble();
            err_ << Words(p_.texts[MsgId::No_Answer]) << '\n';
            return CliStatus::Silent;
        }
        return trouble();
    }

    CliStatus start() {
        Init_Alphabet();
        p_.st.Reset_Dialogue_Flags();
        Read_Sent_Count(p_);
        if (!Read_Settings(p_)) {
            p_.st.Current_Language = r_.language;
            Apply_Language(p_);
        }
        try {
            if (r_.port > 0) p_.Comm1.setCommPort(r_.port);
            if (!r_.speed.empty()) {
                const std::string& now = p_.Comm1.settings();
                const bool whole = r_.speed.find(',') != std::string::npos;
                p_.Comm1.setSettings(whole ? r_.speed : r_.speed + now.substr(now.find(',')));
            }
        } catch (const std::exception& e) {
            return usage(e.what());
        }
        return CliStatus::Done;
    }

    // The port opened and the SIM asked, as the window's start-up does.
    CliStatus open() {
        if (r_.centre)
            (*p_.Form1)["Text2"].setText(
                PlainNumber(*r_.centre).substr(r_.centre->starts_with('+') ? 1 : 0));
        p_.st.Opt_Confirm_Send = false;
        p_.st.Opt_Notify = false;  // no desktop to tell: a run reads only what it is asked to
        Status_Refresh(p_);
        Load_Phonebook(p_);
        Open_Port(p_);
        if (!p_.Comm1.portOpen()) {
            const CliStatus s = trouble();
            return s == CliStatus::Done ? CliStatus::NoPhone : s;
        }
        return settle();
    }

    CliStatus send() {
        if (r_.operands.size() > 1) return usage(p_.texts[MsgId::Cli_One_Text]);
        std::string text;
        if (r_.operands.empty() || r_.operands[0] == "-") {
            text.assign(std::istreambuf_iterator<char>(in_), std::istreambuf_iterator<char>());
            // The line end that ends what a command such as echo gives.
            if (text.ends_with('\n')) text.pop_back();
            if (text.ends_with('\r')) text.pop_back();
        } else {
            text = r_.operands[0];
        }
        text = U32ToUtf8(Utf8ToU32(text));
        if (text.empty()) return usage(p_.texts[MsgId::Cli_No_Text]);
        if (!Text5_Fits(text)) return usage(p_.texts[MsgId::Cli_Text_Too_Long]);
        if (r_.to.empty()) return usage(p_.texts[MsgId::Cli_No_Recipient]);
        const std::optional<std::string> number = recipient();
        if (!number) return usage(Filled(p_.texts[MsgId::Cli_Unknown_Name], r_.to));
        Window& f = *p_.Form1;
        f["Text4"].setText(*number);
        f["Text5"].setText(text);
        p_.st.Opt_Flash = r_.flash;
        if (r_.report) p_.st.Opt_Status_Report = true;
        const std::size_t before = host_.boxes.size();
        Command6_Click(p_);
        const CliStatus s =
            settle([&] { return !p_.st.Send_Job.active && !p_.st.Sent_Confirm_Pending; });
        if (s != CliStatus::Done) return s;
        for (std::size_t i = before; i < host_.boxes.size(); ++i)
            if (host_.boxes[i].text == p_.texts[MsgId::Message_Sent]) return CliStatus::Done;
        return CliStatus::Refused;  // never without a word: a refusal has been told
    }

    // The number to send to: --to as a number, or the number of the phonebook's entry of that
    // name (letters in either case).
    std::optional<std::string> recipient() const {
        const std::string plain = PlainNumber(r_.to);
        if (!plain.empty() && plain.find_first_not_of("+0123456789*#") == std::string::npos)
            return plain;
        for (const std::string& entry : (*p_.Form1)["Combo2"].items()) {
            const auto [name, number] = EntryParts(entry);
            if (!number.empty() && Lower(name) == Lower(r_.to)) return number;
        }
        return std::nullopt;
    }

    CliStatus list(std::vector<ListedMessage>& rows) {
        Command4_Click(p_);
        Form5_Read_Click(p_);
        BrowserWindow& w = Browser(p_);
        const CliStatus s = settle([&] { return !w.readWanted && !p_.st.Browser_Reading; });
        rows = w.listed;
        return s;
    }

    // The row listed under an Id; none, told, when there is none.
    const ListedMessage* find(const std::vector<ListedMessage>& rows, const std::string& id) {
        for (const ListedMessage& m : rows)
            if (!m.locations.empty() && LocationsText(m.locations) == id) return &m;
        err_ << Words(Filled(p_.texts[MsgId::Cli_No_Message], id)) << '\n';
        return nullptr;
    }

    CliStatus read(const std::vector<ListedMessage>& rows) {
        if (r_.operands.size() != 1) return usage(p_.texts[MsgId::Cli_One_Id]);
        const ListedMessage* m = find(rows, r_.operands[0]);
        if (!m) return CliStatus::Usage;
        if (r_.json) {
            out_ << Dump(MessageObject(*m)) << '\n';
            return CliStatus::Done;
        }
        const Sms_Record& r = m->record;
        out_ << r.Sender << '\n' << IsoTime(r.serviceCentreTime, r.zoneMinutes) << "\n\n";
        std::string text = r.Text;
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        out_ << text << '\n';
        return CliStatus::Done;
    }

    CliStatus erase(const std::vector<ListedMessage>& rows) {
        if (r_.operands.empty()) return usage(p_.texts[MsgId::Cli_One_Id]);
        for (const std::string& id : r_.operands)
            if (!find(rows, id)) return CliStatus::Usage;
        BrowserWindow& w = Browser(p_);
        for (const std::string& id : r_.operands) {
            const auto at = std::find_if(w.listed.begin(), w.listed.end(), [&](const auto& m) {
                return LocationsText(m.locations) == id;
            });
            if (at == w.listed.end()) continue;  // the same Id twice
            w["Grid1"].setCurrent(static_cast<int>(at - w.listed.begin()) + 1, 0);
            Form5_Delete_Click(p_);
        }
        return settle();
    }

    CliStatus phonebook() {
        Download_Phonebook(p_);
        const CliStatus s = settle([&] { return !p_.st.Phonebook_Download; });
        if (s != CliStatus::Done) return s;
        Json all = Json::array();
        for (const std::string& entry : (*p_.Form1)["Combo2"].items()) {
            const auto [name, number] = EntryParts(entry);
            if (r_.json)
                all.push_back(Json{{"name", name}, {"number", number}});
            else
                out_ << number << '\t' << name << '\n';
        }
        if (r_.json) out_ << Dump(all) << '\n';
        if (r_.save) Save_Phonebook(p_);
        return trouble();
    }

    CliStatus probe() {
        (*p_.Form1)["Text1"].setText("");
        Probe_Phone(p_);
        if (const CliStatus s = settle(); s != CliStatus::Done) return s;
        // The model: what the phone said between its echo and its OK.
        const std::string& said = (*p_.Form1)["Text1"].text();
        std::size_t from = 0;
        for (std::size_t end; (end = said.find('\n', from)) != std::string::npos; from = end + 1) {
            std::string line = said.substr(from, end - from);
            if (line.ends_with('\r')) line.pop_back();
            if (!line.empty() && line != "OK" && !line.starts_with("AT")) out_ << line << '\n';
        }
        return CliStatus::Done;
    }

    Program& p_;
    CliHost& host_;
    const CliRequest& r_;
    const CliWait& wait_;
    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    std::size_t judged_ = 0;
};

}  // namespace

MsgResult CliHost::msgBox(const MessageBoxSpec& box) {
    boxes.push_back(box);
    return box.buttons == MsgButtons::YesNo || box.buttons == MsgButtons::YesNoCancel
               ? MsgResult::Yes
               : MsgResult::Ok;
}

void CliHost::showModal(Window& window) {
    window.load();
    window.setShown(true);
    window.activate();
    if (window.name() == "FormPin") window.unload();
}

std::string IsoTime(long long epochSeconds, int zoneMinutes) {
    if (epochSeconds < 0) return {};
    const long long local = epochSeconds + zoneMinutes * 60LL;
    // Days to a civil date (the proleptic Gregorian calendar, from 1970-01-01).
    const long long days = local / 86400, second = local % 86400;
    const long long z = days + 719468, era = z / 146097, doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1, month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    const int zone = zoneMinutes < 0 ? -zoneMinutes : zoneMinutes;
    char buf[128];
    std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lld%c%02d:%02d", year,
                  month, day, second / 3600, second / 60 % 60, second % 60,
                  zoneMinutes < 0 ? '-' : '+', zone / 60, zone % 60);
    return buf;
}

std::string MessageJson(const ListedMessage& message) {
    return Dump(MessageObject(message));
}

CliStatus Run_Command_Line(Program& p, CliHost& host, const CliRequest& request,
                           const CliWait& wait, std::istream& in, std::ostream& out,
                           std::ostream& err) {
    return Run(p, host, request, wait, in, out, err).go();
}

}  // namespace bsms
