#include "phonebook/form3.h"

#include "core/program.h"
#include "link/reply_timer.h"
#include "phonebook/download.h"
#include "ui/language.h"

namespace bsms {

PhonebookWindow::PhonebookWindow() : Window("Form3", "", 4590, 1125) {
    using K = ControlKind;
    style = WindowStyle::Borderless;
    add(K::Frame, "Frame1", {60, 30, 3480, 1035});
    add(K::Label, "Label1", {180, 255, 3300, 255}, "Attendere lo scaricamento della rubrica");
    Control& phone = add(K::Label, "Label2", {180, 615, 3300, 255}, "del CELLULARE");
    phone.setVisible(false);
    add(K::Label, "Label3", {180, 615, 3300, 255}, "della SIM");
    add(K::Button, "Command1", {3660, 375, 855, 375}, "Annulla");
    Control& timer = add(K::Timer, "Timer1", {});
    timer.interval = 200;
    // A timer of a window that is not loaded does not run.
    timer.setEnabled(false);
}

std::unique_ptr<PhonebookWindow> MakeForm3() {
    return std::make_unique<PhonebookWindow>();
}

PhonebookWindow& PhonebookForm(Program& p) {
    return static_cast<PhonebookWindow&>(*p.Form3);
}

void Form3_Load(Program& p) {
    Window& f = *p.Form3;
    // The window model keeps its controls across unloads: start as designed every time.
    f["Label3"].setVisible(true);
    f["Label2"].setVisible(false);
    f["Timer1"].setEnabled(true);
    p.host.setBusyPointer(true);
}

void Form3_Activate(Program& p) {
    Apply_Language(p);
}

void Form3_Unload(Program& p) {
    (*p.Form3)["Timer1"].setEnabled(false);
    // Closed before the download was through: nothing more is asked for it.
    Phonebook_Cut_Short(p);
}

void Form3_Timer(Program& p) {
    Window& f = *p.Form3;
    if (p.st.Phonebook_Ask_Sim) {
        f["Label3"].setVisible(true);
        f["Label2"].setVisible(false);
    } else if (p.st.Phonebook_Ask_Me || p.st.Phonebook_Reading_Me) {
        // Reading_Me too: a phone that selects its memory within one tick is still shown.
        f["Label2"].setVisible(true);
        f["Label3"].setVisible(false);
    }
}

void Form3_Cancel(Program& p) {
    p.Comm1.setPortOpen(false);
    Line_Closed(p);
    p.host.setBusyPointer(false);
    p.Form3->unload();
}

void Form3_Frame_MouseMove(Program& p) {
    p.host.setBusyPointer(true);
}

void Form3_Cancel_MouseMove(Program& p) {
    p.host.setBusyPointer(false);
}

}  // namespace bsms
