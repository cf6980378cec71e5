#include "app/startup.h"

#include "app/form1.h"
#include "base/text.h"
#include "browser/arrivals.h"
#include "browser/form5.h"
#include "compose/continuation.h"
#include "compose/editor.h"
#include "compose/send.h"
#include "compose/sent_log.h"
#include "core/files.h"
#include "link/dispatcher.h"
#include "link/form2.h"
#include "link/form6.h"
#include "link/indications.h"
#include "link/network.h"
#include "link/probe.h"
#include "link/reply_timer.h"
#include "link/settings_files.h"
#include "link/sim_pin.h"
#include "phonebook/book_window.h"
#include "phonebook/download.h"
#include "phonebook/form3.h"
#include "phonebook/phonebook_file.h"
#include "phonebook/picker.h"
#include "sms/alphabet.h"
#include "ui/about.h"
#include "ui/form4.h"
#include "ui/language.h"

namespace bsms {

namespace {

void Wire(Program& p) {
    Window& f = *p.Form1;
    const auto on = [&p](auto handler) { return [&p, handler] { handler(p); }; };

    p.Comm1.onComm = on(Comm1_OnComm);
    f["Timer2"].onTick = on(Reply_Timer_Tick);
    f.onLoad = on(Form1_Load);
    f.onQueryUnload = [&p](bool& cancel) { Form1_QueryUnload(p, cancel); };
    f["Timer1"].onTick = [&p] {
        Network_Tick(p);
        Status_Refresh(p);
    };
    f["Text1"].onChange = on(Text1_Change);
    f["Command2"].onClick = on(Command2_Click);
    f["Command8"].onClick = on(Exit_Program);
    f["Text6"].onChange = on(Text6_Change);
    f["Text6"].onGotFocus = on(Text6_GotFocus);

    f["Text5"].onChange = on(Text5_Change);
    f["Text5"].fits = Text5_Fits;
    f["Text5"].onGotFocus = on(Text5_GotFocus);
    f["Command1"].onClick = on(Clear_Message);
    f["Command5"].onClick = on(Elabora);
    f.menu("Mn_Cancella").onClick = on(Clear_Message);
    f.menu("Mn_Elabora").onClick = on(Elabora);
    f.menu("Mn_Invia").onClick = [&f] { f["Command6"].click(); };
    f.menu("Mn_Salva").onClick = [&f] { f["Command7"].click(); };
    f["Command6"].onClick = on(Command6_Click);
    f["Command7"].onClick = on(Command7_Click);
    f.menu("Mn_Log").onClick = on(Mn_Log_Click);
    f.menu("Mn_DeleteLog").onClick = on(Mn_DeleteLog_Click);
    p.sendAccepted = [&p](const SentMessage& sent, const std::string& reply) {
        Send_Accepted(p, sent, reply);
    };
    f.menu("Mn_Conferma").onClick = on(Toggle_Confirm_Send);
    f.menu("Mn_Flash").onClick = on(Toggle_Flash);
    f.menu("Mn_Ricevuta").onClick = on(Toggle_Status_Report);
    f.menu("Mn_Avviso").onClick = on(Toggle_Notify);

    f.menu("Mn_Apri").onClick = on(Open_Port);
    f.menu("Mn_Chiudi").onClick = on(Close_Port);
    f.menu("Mn_Test").onClick = on(Probe_Phone);
    f["Command3"].onClick = on(Query_Service_Centre);
    f.menu("Mn_CSC").onClick = [&f] { f["Command3"].click(); };
    f.menu("Mn_Esci").onClick = on(Exit_Program);
    f.menu("Mn_Comm").onClick = on(Show_Port_Settings);
    f.menu("Mn_Salva_Imp").onClick = on(Save_Settings);
    f.menu("Mn_Azzera").onClick = on(Reset_Sent_Count);
    const std::pair<const char*, const char*> languages[] = {{"Mn_Italiano", "italiano"},
                                                             {"Mn_English", "english"},
                                                             {"Mn_Slovak", "slovak"},
                                                             {"Mn_Hungarian", "magyar"},
                                                             {"Mn_polski", "polski"}};
    for (const auto& [item, word] : languages) {
        const std::string w = word;
        f.menu(item).onClick = [&p, w] { Choose_Language(p, w); };
    }

    f.menu("Mn_Special").onClick = on(Mn_Special_Click);
    f.menu("Mn_About").onClick = on(Mn_About_Click);

    Window& f4 = *p.Form4;
    f4.onActivate = on(Form4_Activate);
    for (int i = 0; i < kSpecialCharCount; ++i) {
        const std::string n = std::to_string(i);
        f4["Label1(" + n + ")"].onMouseMove = [&p, i] { Form4_Row_MouseMove(p, i); };
        f4["Label1(" + n + ")"].onClick = [&p, i] { Form4_Row_Click(p, i); };
        // The highlighted bar is part of its row.
        f4["Shape1(" + n + ")"].onClick = [&p, i] { Form4_Row_Click(p, i); };
    }
    f4["Label2"].onClick = on(Form4_Cancel);
    f4["Shape2"].onClick = on(Form4_Cancel);

    Window& about = *p.About;
    about.onLoad = on(About_Load);
    about.onActivate = on(About_Activate);
    about["Label5"].onClick = on(About_Link_Click);

    Window& f2 = *p.Form2;
    f2.onActivate = on(Form2_Activate);
    f2["Text1"].onChange = on(Form2_Port_Change);
    f2["Combo2"].onClick = on(Form2_Speed_Click);
    f2["Command1"].onClick = on(Form2_Ok_Click);
    f2["Command2"].onClick = on(Form2_Search_Click);
    Window& f6 = *p.Form6;
    f6.onLoad = on(Form6_Load);
    f6.onActivate = on(Form6_Activate);
    f6.onUnload = on(Form6_Unload);
    f6["Timer1"].onTick = on(Form6_Timer);
    f6["Command1"].onClick = on(Form6_Use_Click);
    f6["Command2"].onClick = on(Form6_Cancel_Click);

    Window& pin = *p.FormPin;
    pin["Text1"].onChange = on(FormPin_Change);
    pin["Text2"].onChange = on(FormPin_Change);
    pin["Command1"].onClick = on(FormPin_Ok);
    pin["Command2"].onClick = on(FormPin_Cancel);
    pin.onUnload = on(FormPin_Unload);

    f.menu("Mn_Upload").onClick = on(Download_Phonebook);
    f.menu("Mn_Rub_Load").onClick = on(Load_Phonebook);
    f.menu("Mn_Rub_Save").onClick = on(Save_Phonebook);
    f["Combo2"].onChange = on(Fill_Recipient);
    f["Combo2"].onClick = on(Fill_Recipient);
    p.loadPhonebook = on(Load_Phonebook);
    Window& f3 = *p.Form3;
    f3.onLoad = on(Form3_Load);
    f3.onActivate = on(Form3_Activate);
    f3.onUnload = on(Form3_Unload);
    f3["Timer1"].onTick = on(Form3_Timer);
    f3["Command1"].onClick = on(Form3_Cancel);
    f3["Frame1"].onMouseMove = on(Form3_Frame_MouseMove);
    f3["Command1"].onMouseMove = on(Form3_Cancel_MouseMove);

    f.menu("Mn_Rub_Edit").onClick = on(Mn_Rub_Edit_Click);
    Window& f7 = *p.Form7;
    f7.onLoad = on(Form7_Load);
    f7.onUnload = on(Form7_Unload);
    f7["Text1"].onChange = on(Form7_List);
    f7["Combo2"].onClick = on(Form7_List);
    f7["Combo3"].onClick = on(Form7_List);
    f7["Grid1"].onClick = on(Form7_Grid_Click);
    f7["Grid1"].onChange = on(Form7_Grid_Click);
    f7["Command1"].onClick = on(Form7_Add_Click);
    f7["Command2"].onClick = on(Form7_Edit_Click);
    f7["Command3"].onClick = on(Form7_Delete_Click);
    f7["Command4"].onClick = on(Form7_Export_Click);
    f7["Command5"].onClick = on(Form7_Import_Click);
    f7["Command6"].onClick = [&f7] { f7.unload(); };

    f["Command4"].onClick = on(Command4_Click);
    p.indication = [&p](const std::string& line, const std::string& report) {
        Take_Indication(p, line, report);
    };
    Window& f5 = *p.Form5;
    f5.onLoad = on(Form5_Load);
    f5.onActivate = on(Form5_Activate);
    f5.onUnload = on(Form5_Unload);
    f5["Command1"].onClick = on(Form5_Read_Click);
    f5["Command2"].onClick = on(Form5_Exit_Click);
    f5["Command3"].onClick = on(Form5_Reply_Click);
    f5["Command4"].onClick = on(Form5_Update_Click);
    f5["Command5"].onClick = on(Form5_Save_Click);
    f5["Command7"].onClick = on(Form5_Delete_Click);
    f5["Grid1"].onClick = on(Form5_Grid_Click);
    f5["Grid1"].onChange = on(Form5_Grid_Change);
    f5["Text3"].onChange = on(Form5_Capacity_Change);
}

// Who takes the answers to each owner's commands, and what each does when none comes.
void WireOwners(Program& p) {
    // The main window's dialogues: Continue_Send_Store reads their answers.
    for (const Owner owner : {Owner::Probe, Owner::ServiceCentre, Owner::SendStore}) {
        OwnerHandlers& h = p.handlers(owner);
        h.answer = [&p](const Command& c, const std::string& answer) {
            if (c.tag == kEndedSendPart) {
                Ended_Send_Answered(p, answer, false);
                return true;  // that send is over: nothing of it is reported as an error
            }
            Continue_Send_Store(p, answer);
            return false;
        };
        h.noAnswer = [&p](const Command& c, bool cutOff) {
            if (c.tag == kEndedSendPart)
                return Ended_Send_Answered(p, std::nullopt, !cutOff) || cutOff;
            const bool told = Send_Cut_Off(p, !cutOff);
            p.st.Reset_Dialogue_Flags();
            return told || cutOff;
        };
    }
    p.handlers(Owner::SendStore).ended = [&p] { Send_Cut_Off(p, false); };

    OwnerHandlers& book = p.handlers(Owner::Phonebook);
    book.answer = [&p](const Command&, const std::string& answer) {
        return Phonebook_Reply_Handler(p, answer);
    };
    book.noAnswer = [&p](const Command&, bool cutOff) {
        if (cutOff)
            Phonebook_Cut_Short(p);
        else
            Phonebook_No_Answer(p);
        return cutOff;
    };
    book.ended = [&p] { Phonebook_Cut_Short(p); };
    // Giving the phone its character set back is nothing the user asked for.
    p.handlers(Owner::PhonebookRestore).answer = [](const Command&, const std::string&) {
        return true;
    };

    // Reports are read and deleted unasked: a time-out or a cut is not the user's business.
    OwnerHandlers& reports = p.handlers(Owner::Reports);
    reports.answer = [&p](const Command& c, const std::string& answer) {
        return Reports_Answer(p, c, answer);
    };
    reports.noAnswer = [](const Command&, bool) { return true; };

    OwnerHandlers& indications = p.handlers(Owner::Indications);
    indications.answer = [&p](const Command&, const std::string& answer) {
        Indications_Reply(p, answer);
        return true;
    };
    indications.noAnswer = [&p](const Command&, bool cutOff) {
        p.st.indications = IndicationsStep::None;
        return cutOff;
    };

    OwnerHandlers& sim = p.handlers(Owner::Sim);
    sim.answer = [&p](const Command& c, const std::string& answer) {
        return Sim_Answer(p, c, answer);
    };
    sim.noAnswer = [&p](const Command& c, bool cutOff) { return Sim_No_Answer(p, c, cutOff); };
    // The network is asked unasked: what it does not answer is not the user's business.
    OwnerHandlers& network = p.handlers(Owner::Network);
    network.answer = [&p](const Command& c, const std::string& answer) {
        return Network_Answer(p, c, answer);
    };
    network.noAnswer = [&p](const Command& c, bool) { return Network_No_Answer(p, c); };

    // A notification is nothing the user asked for either.
    OwnerHandlers& notify = p.handlers(Owner::Notify);
    notify.answer = [&p](const Command& c, const std::string& answer) {
        return Notify_Answer(p, c, answer);
    };
    notify.noAnswer = [](const Command&, bool) { return true; };

    p.handlers(Owner::BookEdit).answer = [&p](const Command& c, const std::string& answer) {
        return Book_Answer(p, c, answer);
    };
    p.handlers(Owner::BookEdit).noAnswer = [&p](const Command& c, bool cutOff) {
        return Book_No_Answer(p, c, cutOff);
    };

    for (const Owner owner :
         {Owner::BrowserMemory, Owner::BrowserRead, Owner::BrowserArrival, Owner::BrowserDelete}) {
        p.handlers(owner).answer = [&p](const Command& c, const std::string& answer) {
            return Browser_Answer(p, c, answer);
        };
        p.handlers(owner).noAnswer = [&p](const Command& c, bool cutOff) {
            return Browser_No_Answer(p, c, cutOff);
        };
    }
}

}  // namespace

std::unique_ptr<Program> MakeProgram(Host& host, CommPort& port, std::filesystem::path folder) {
    auto p = std::make_unique<Program>(host, port, std::move(folder));
    p->Form1 = MakeForm1();
    p->Form2 = MakeForm2();
    p->Form3 = MakeForm3();
    p->Form4 = MakeForm4();
    p->About = MakeAbout();
    p->Form5 = MakeForm5();
    p->FormPin = MakeFormPin();
    p->Form6 = MakeForm6();
    p->Form7 = MakeForm7();
    Wire(*p);
    WireOwners(*p);
    return p;
}

void Form1_Load(Program& p) {
    Init_Alphabet();
    p.st.Reset_Dialogue_Flags();
    Status_Refresh(p);
    (*p.Form1)["Text1"].setText("");
    p.st.Opt_Confirm_Send = true;
    p.st.Sim_Phonebook_Size = 200;
    p.st.Phone_Phonebook_Size = 50;
    p.st.Browser_Slot_Count = 20;
    Read_Sent_Count(p);
    if (Read_Settings(p)) {
        if (p.loadPhonebook) p.loadPhonebook();
        Open_Port(p);
    }
    // Settings and files would be lost without a word: say it at the start. Kept elsewhere, they
    // are said to be, once.
    std::string text;
    if (!FolderWritable(p.folder))
        text = Filled(p.texts[MsgId::Folder_Not_Writable], p.folder.string());
    else if (!p.ownFolder.empty() && p.folderNew)
        text = Filled(p.texts[MsgId::Files_Elsewhere], p.ownFolder.string(), p.folder.string());
    if (!text.empty()) p.Box(text, p.texts[MsgId::Title_Information], MsgIcon::Information);
}

}  // namespace bsms
