#include "app/form1.h"

#include <algorithm>

#include "base/text.h"
#include "core/program.h"
#include "link/network.h"
#include "link/reply_timer.h"
#include "link/settings_files.h"
#include "sms/pdu_builder.h"

namespace bsms {

namespace {

void AddControls(Window& w) {
    using K = ControlKind;
    // Recipient, service centre.
    w.add(K::Label, "Label8", {120, 120, 3000, 255}, "Seleziona nominativo:");
    Control& combo = w.add(K::ComboBox, "Combo2", {120, 375, 4335, 315});
    combo.setEnabled(false);
    combo.windowBackground = false;
    w.add(K::Label, "Label6", {4680, 120, 2400, 255}, "Destinatario:");
    w.add(K::TextBox, "Text4", {4680, 375, 2340, 315});
    w.add(K::Label, "Label1", {7260, 120, 2000, 255}, "Centro servizi:");
    Control& plus = w.add(K::Label, "Label2", {7260, 405, 180, 255}, "+");
    plus.font.bold = true;
    w.add(K::TextBox, "Text2", {7440, 375, 1800, 315});
    w.add(K::Button, "Command3", {7440, 780, 1800, 375}, "Upload");

    // Message text and its commands.
    Control& text5 = w.add(K::TextBox, "Text5", {120, 840, 7020, 1995});
    text5.multiLine = true;
    text5.maxLength = static_cast<int>(kMaxMessageChars);
    w.add(K::Button, "Command1", {7440, 1290, 1800, 375}, "Cancella");
    w.add(K::Button, "Command5", {7440, 1695, 1800, 375}, "Elabora");
    w.add(K::Button, "Command6", {7440, 2100, 1800, 375}, "Invia");
    w.add(K::Button, "Command7", {7440, 2505, 1800, 375}, "Salva");

    // Counters; the value labels move with the language.
    w.add(K::Label, "Label7", {120, 2955, 2000, 255}, "Caratteri usati:");
    w.add(K::Label, "Label5", {1320, 2955, 600, 255}, "0");
    w.add(K::Label, "Label11", {2040, 2955, 2800, 255}, "Caratteri rimanenti:");
    w.add(K::Label, "Label12", {3600, 2955, 600, 255}, "760");
    w.add(K::Label, "Label13", {120, 3225, 2000, 255}, "SMS necessari:");
    w.add(K::Label, "Label14", {1320, 3225, 600, 255}, "0");
    // The encoding the message will use and what one SMS of it holds.
    w.add(K::Label, "Label15", {3000, 3225, 2600, 255}, "GSM 7-bit: 160 per SMS");
    w.add(K::Label, "Label9", {5640, 3030, 1700, 255}, "SMS Inviati:");
    w.add(K::TextBox, "Text6", {7440, 2985, 1800, 315});
    w.add(K::Line, "Line1", {120, 3555, 9120, 15});

    // Built PDUs and the receive box.
    w.add(K::Label, "Label3", {120, 3630, 1200, 255}, "PDU:");
    Control& text3 = w.add(K::TextBox, "Text3", {120, 3885, 9120, 960});
    text3.multiLine = true;
    w.add(K::Line, "Line2", {120, 4950, 9120, 15});
    w.add(K::Label, "Label4", {120, 5025, 1200, 255}, "Debug:");
    Control& text1 = w.add(K::TextBox, "Text1", {120, 5280, 7020, 1500});
    text1.multiLine = true;
    w.add(K::Button, "Command2", {7440, 5280, 1800, 375}, "Cancella");
    w.add(K::Button, "Command4", {7440, 5685, 1800, 375}, "Browse SMS");
    w.add(K::Button, "Command8", {7440, 6405, 1800, 375}, "Esci");

    Control& bar = w.add(K::StatusBar, "StatusBar1", {0, 6900, 9360, 330});
    // The sixth panel tells of messages and reports arriving, the seventh of the network (or of
    // the progress of a send, a store or a phonebook download).
    bar.setPanels(
        {"Comm:", "Settings:", "Flusso: ", "Status: Disconnesso", "By Orvantelliq.", "", ""});
    Control& timer = w.add(K::Timer, "Timer1", {});
    timer.interval = 1000;
    // Counts how long the phone has left a command unanswered.
    w.add(K::Timer, "Timer2", {}).interval = kReplyTimerMs;
}

void AddMenus(Window& w) {
    MenuItem& conn = w.addMenu("Mn_Connessione", "&Connessione");
    conn.add("Mn_Apri", "&Apri", "Shift+F1");
    conn.add("Mn_Chiudi", "&Chiudi", "Shift+F2");
    conn.add("Mn_1", "-");
    conn.add("Mn_Test", "&Test", "Shift+F3");
    conn.add("Mn_2", "-");
    conn.add("Mn_Esci", "&Esci");

    MenuItem& book = w.addMenu("Mn_Rubrica", "&Rubrica");
    book.add("Mn_CSC", "&Rileva C.Servizi", "Shift+F4");
    book.add("Mn_3", "-");
    book.add("Mn_Upload", "&Upload", "Shift+F5");
    book.add("Mn_7", "-");
    book.add("Mn_Rub_Load", "&Carica");
    book.add("Mn_Rub_Save", "&Salva");
    book.add("Mn_Rub_Edit", "&Modifica...");

    MenuItem& text = w.addMenu("Mn_Testo", "&Testo");
    text.add("Mn_Cancella", "&Cancella");
    text.add("Mn_Special", "Caratteri &Speciali...", "Shift+F7");
    text.add("Mn_5", "-");
    text.add("Mn_Log", "Visualzza &Log", "Shift+F8");
    text.add("Mn_DeleteLog", "C&ancella Log");

    MenuItem& sms = w.addMenu("Mn_SMS", "&Messaggio");
    sms.add("Mn_Elabora", "&Elabora", "Shift+F9");
    sms.add("Mn_Invia", "&Invia", "Shift+F11");
    sms.add("Mn_Salva", "&Salva in SIM", "Shift+F12");

    MenuItem& set = w.addMenu("Mn_Set", "&Impostazioni");
    set.add("Mn_Comm", "&Com...");
    set.add("Mn_Conferma", "Conferma &Invio").setChecked(true);
    set.add("Mn_Azzera", "Azzera Inviati");
    set.add("Mn_4", "-");
    set.add("Mn_Flash", "SMS &Flash", "Ctrl+F");
    set.add("Mn_Ricevuta", "&Ricevuta di ritorno", "Ctrl+R");
    set.add("Mn_Avviso", "&Avviso nuovi messaggi").setChecked(true);
    set.add("Mn_6", "-");
    set.add("Mn_Salva_Imp", "Salva Impostazioni");

    MenuItem& lang = w.addMenu("Mn_Language", "&Lingua");
    lang.add("Mn_Italiano", "&Italiano");
    lang.add("Mn_English", "&English");
    lang.add("Mn_Slovak", "&Slovak");
    lang.add("Mn_Hungarian", "&Hungarian");
    lang.add("Mn_polski", "&Polski");

    w.addMenu("Mn_About", "&?");
}

}  // namespace

std::unique_ptr<Window> MakeForm1() {
    auto w = std::make_unique<Window>("Form1", "SMS - Brenvik", 9360, 7230);
    w->style = WindowStyle::Fixed;
    AddControls(*w);
    AddMenus(*w);
    return w;
}

namespace {

// Where a send, a store or a phonebook download stands, for the user who waits; empty when none
// runs.
std::string Progress(Program& p) {
    const DialogueState& st = p.st;
    const JobState& job = st.Send_Job.active ? st.Send_Job : st.Store_Job;
    if (job.active) {
        const auto& parts = p.Pdu_Parts.parts;
        const auto count = std::count_if(parts.begin(), parts.end(), [](const auto& part) {
            return !part.Part_User_Data.empty();
        });
        return Filled(p.texts[st.Send_Job.active ? MsgId::Progress_Send : MsgId::Progress_Store],
                      std::to_string(job.part), std::to_string(std::max<long>(count, job.part)));
    }
    if (!st.Phonebook_Download) return {};
    const bool phone = st.Phonebook_Ask_Me || st.Phonebook_Reading_Me;
    std::size_t entries = 0;
    if (const InFlight* f = p.line.inFlight(); f && f->command.owner == Owner::Phonebook)
        for (std::size_t at = f->answer.find("+CPBR:"); at != std::string::npos;
             at = f->answer.find("+CPBR:", at + 1))
            ++entries;
    return Filled(p.texts[MsgId::Progress_Phonebook], phone ? "2" : "1", std::to_string(entries));
}

}  // namespace

void Status_Refresh(Program& p) {
    Window& f = *p.Form1;
    const bool open = p.Comm1.portOpen();
    f["StatusBar1"].setPanel(4, open ? "Status: Connesso" : "Status: Disconnesso");
    for (const char* name : {"Command6", "Command7", "Command4", "Command3"})
        f[name].setEnabled(open);
    f.menu("Mn_Apri").setEnabled(!open);
    for (const char* name : {"Mn_Chiudi", "Mn_Test", "Mn_Rubrica", "Mn_CSC", "Mn_Upload",
                             "Mn_Rub_Load", "Mn_Rub_Save", "Mn_Rub_Edit", "Mn_Invia", "Mn_Salva"})
        f.menu(name).setEnabled(open);

    f["StatusBar1"].setPanel(1, "Comm: " + std::to_string(p.Comm1.commPort()));
    f["StatusBar1"].setPanel(2, "Settings: " + p.Comm1.settings());
    static const char* const kFlow[] = {"Flusso: Nessuno", "Flusso: Xon/Xoff", "Flusso: RTS",
                                        "Flusso: RTS Xon/Xoff"};
    const int mode = p.Comm1.handshaking();
    if (mode >= 0 && mode <= 3) f["StatusBar1"].setPanel(3, kFlow[mode]);

    f["Text6"].setText(std::to_string(p.st.Sent_Count));
    const std::string progress = Progress(p);
    f["StatusBar1"].setPanel(kNetworkPanel, progress.empty() ? Network_Panel(p) : progress);
}

namespace {

// The save question of both exits; true when the user cancelled.
bool AskSaveSettingsCancelled(Program& p) {
    const MsgResult r = p.Box(MsgId::Ask_Save_Settings, MsgId::Title_Automatic_Save,
                              MsgIcon::Information, MsgButtons::YesNoCancel);
    if (r == MsgResult::Yes) Save_Settings(p);
    return r == MsgResult::Cancel;
}

void ClosePortQuietly(Program& p) {
    try {
        p.Comm1.setPortOpen(false);
    } catch (const std::exception&) {
        // Closing at the end must never stop the program from ending.
    }
}

}  // namespace

void Exit_Program(Program& p) {
    if (AskSaveSettingsCancelled(p)) return;
    ClosePortQuietly(p);
    p.ending = true;
    p.host.quit();
}

void Form1_QueryUnload(Program& p, bool& cancel) {
    if (p.ending) return;
    cancel = AskSaveSettingsCancelled(p);
    ClosePortQuietly(p);
    if (!cancel) p.ending = true;
}

}  // namespace bsms
