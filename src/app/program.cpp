#include "app/program.h"

#include "app/form1.h"
#include "compose/editor.h"
#include "link/dispatcher.h"
#include "link/form2.h"
#include "link/probe.h"
#include "link/settings_files.h"
#include "sms/alphabet.h"
#include "ui/language.h"

namespace bsms {

Program::Program(Host& h, CommPort& port, std::filesystem::path dir)
    : host(h), Comm1(port), folder(std::move(dir)), Form1(MakeForm1()), Form2(MakeForm2()) {
    Wire();
}

Program::~Program() {
    Comm1.onComm = nullptr;
}

std::vector<Window*> Program::allWindows() const {
    std::vector<Window*> all = {Form1.get(), Form2.get()};
    all.insert(all.end(), extraWindows.begin(), extraWindows.end());
    return all;
}

void Program::WriteCommand(const std::string& command) {
    Comm1.output(command + "\r");
}

MsgResult Program::Box(const std::string& text, const std::string& title, MsgIcon icon,
                       MsgButtons buttons, int defaultButton) {
    return host.msgBox({text, title, icon, buttons, defaultButton});
}

MsgResult Program::Box(MsgId text, MsgId title, MsgIcon icon, MsgButtons buttons,
                       int defaultButton) {
    return Box(texts[text], texts[title], icon, buttons, defaultButton);
}

void Program::Wire() {
    Window& f = *Form1;
    const auto on = [this](auto handler) { return [this, handler] { handler(*this); }; };

    Comm1.onComm = on(Comm1_OnComm);
    f.onLoad = [this] { Form_Load(); };
    f.onQueryUnload = [this](bool& cancel) { Form1_QueryUnload(*this, cancel); };
    f["Timer1"].onTick = on(Status_Refresh);
    f["Text1"].onChange = on(Text1_Change);
    f["Command2"].onClick = on(Command2_Click);
    f["Command8"].onClick = on(Exit_Program);
    f["Text6"].onChange = on(Text6_Change);
    f["Text6"].onGotFocus = on(Text6_GotFocus);

    f["Text5"].onChange = on(Text5_Change);
    f["Text5"].onGotFocus = on(Text5_GotFocus);
    f["Command1"].onClick = on(Clear_Message);
    f["Command5"].onClick = on(Elabora);
    f.menu("Mn_Cancella").onClick = on(Clear_Message);
    f.menu("Mn_Elabora").onClick = on(Elabora);
    f.menu("Mn_Invia").onClick = [this] { (*Form1)["Command6"].click(); };
    f.menu("Mn_Salva").onClick = [this] { (*Form1)["Command7"].click(); };
    f.menu("Mn_Conferma").onClick = on(Toggle_Confirm_Send);
    f.menu("Mn_Flash").onClick = on(Toggle_Flash);
    f.menu("Mn_Ricevuta").onClick = on(Toggle_Status_Report);

    f.menu("Mn_Apri").onClick = on(Open_Port);
    f.menu("Mn_Chiudi").onClick = on(Close_Port);
    f.menu("Mn_Test").onClick = on(Probe_Phone);
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
        f.menu(item).onClick = [this, w] { Choose_Language(*this, w); };
    }

    Window& f2 = *Form2;
    f2.onActivate = on(Form2_Activate);
    f2["Text1"].onChange = on(Form2_Port_Change);
    f2["Combo2"].onClick = on(Form2_Speed_Click);
    f2["Command1"].onClick = on(Form2_Ok_Click);
}

void Program::Form_Load() {
    Init_Alphabet();
    st.Reset_Dialogue_Flags();
    Status_Refresh(*this);
    (*Form1)["Text1"].setText("");
    st.Opt_Confirm_Send = true;
    st.Sim_Phonebook_Size = 200;
    st.Phone_Phonebook_Size = 50;
    st.Browser_Slot_Count = 20;
    Read_Sent_Count(*this);
    if (!Read_Settings(*this)) return;
    if (loadPhonebook) loadPhonebook();
    Open_Port(*this);
}

}  // namespace bsms
