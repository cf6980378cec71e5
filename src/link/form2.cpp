#include "link/form2.h"

#include "base/text.h"
#include "core/comm_port.h"
#include "core/program.h"
#include "ui/language.h"

namespace bsms {

std::unique_ptr<Window> MakeForm2() {
    using K = ControlKind;
    auto w = std::make_unique<Window>("Form2", "Impostazioni porta di comunicazione", 5400, 3195);
    w->style = WindowStyle::Fixed;
    w->add(K::Label, "Label1", {240, 300, 1500, 255}, "Comm:");
    Control& port = w->add(K::TextBox, "Text1", {1800, 255, 495, 315});
    port.maxLength = 1;
    w->add(K::Label, "Device", {2400, 300, 2800, 255});
    w->add(K::Label, "Label4", {240, 720, 1500, 255}, "Velocità:");
    Control& speed = w->add(K::ComboBox, "Combo2", {1800, 675, 1500, 315});
    for (const char* s : {"9600", "19200", "38400", "57600", "115200"})
        speed.addItem(s);
    w->add(K::Label, "Label2", {240, 1140, 1500, 255}, "Settings:");
    w->add(K::TextBox, "Text2", {1800, 1095, 1500, 315});
    w->add(K::Label, "Label3", {240, 1560, 1500, 255}, "Flusso:");
    Control& flow = w->add(K::ComboBox, "Combo1", {1800, 1515, 1500, 315});
    flow.readOnly = true;
    for (const char* s : {"Nessuno", "Xon/Xoff", "RTS", "RTS Xon/Xoff"})
        flow.addItem(s);
    w->add(K::Label, "Label5", {240, 1980, 1500, 255}, "Capacità SIM:");
    w->add(K::TextBox, "Text3", {1800, 1935, 735, 315});
    w->add(K::Label, "Label6", {240, 2400, 1500, 255}, "Capacià Cellulare:");
    w->add(K::TextBox, "Text4", {1800, 2355, 735, 315});
    w->add(K::Button, "Command2", {3840, 1890, 1095, 375}, "Cerca");
    w->add(K::Button, "Command1", {3840, 2355, 1095, 375}, "Ok");
    return w;
}

void Show_Port_Settings(Program& p) {
    p.host.showModal(*p.Form2);
}

namespace {

// Position of the first comma among the first seven characters, 1-based, or 8.
std::size_t SpeedEnd(const std::string& settings) {
    const std::string head = CharPrefix(settings, 7);
    const auto comma = head.find(',');
    return comma == std::string::npos ? 8 : comma + 1;
}

}  // namespace

void Form2_Port_Change(Program& p) {
    Window& f = *p.Form2;
    const int n = static_cast<int>(LeadingNumber(f["Text1"].text()));
    std::string device = ResolvePortDevice(p.folder, n);
    // A comN link is shown by where it leads: that is what the search changes.
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::read_symlink(device, ec);
    if (!ec) device = target.string();
    f["Device"].setText(device.empty() ? "" : "\u2192 " + device);
}

void Form2_Activate(Program& p) {
    Apply_Language(p);
    Window& f = *p.Form2;
    f["Text1"].setText(std::to_string(p.Comm1.commPort()));
    f["Text2"].setText(p.Comm1.settings());
    f["Text3"].setText(std::to_string(p.st.Sim_Phonebook_Size));
    f["Text4"].setText(std::to_string(p.st.Phone_Phonebook_Size));
    Control& flow = f["Combo1"];
    const int mode = p.Comm1.handshaking();
    flow.setListIndex(mode >= 0 && mode < static_cast<int>(flow.items().size()) ? mode : -1);
    const std::string& settings = f["Text2"].text();
    f["Combo2"].setText(CharPrefix(settings, SpeedEnd(settings) - 1));
    Form2_Port_Change(p);
}

void Form2_Speed_Click(Program& p) {
    Window& f = *p.Form2;
    const std::string settings = f["Text2"].text();
    const std::size_t from = SpeedEnd(settings);  // the rest keeps its comma
    f["Text2"].setText(f["Combo2"].text() + CharSubstr(settings, from - 1, std::string::npos));
}

void Form2_Ok_Click(Program& p) {
    Window& f = *p.Form2;
    const int oldPort = p.Comm1.commPort();
    const std::string oldSettings = p.Comm1.settings();
    const int oldFlow = p.Comm1.handshaking();
    if (p.Comm1.portOpen()) p.Comm1.setPortOpen(false);

    bool failed = false;
    const auto attempt = [&failed](auto&& f) {
        try {
            f();
        } catch (const CommError&) {
            failed = true;
        }
    };
    attempt([&] {
        const std::string& text = f["Text1"].text();
        const double n = LeadingNumber(text);
        if (text.empty() || n != static_cast<int>(n))
            throw CommError(CommError::Kind::BadPortNumber, "Invalid port number");
        p.Comm1.setCommPort(static_cast<int>(n));
    });
    attempt([&] { p.Comm1.setSettings(f["Text2"].text()); });
    attempt([&] { p.Comm1.setHandshaking(f["Combo1"].listIndex()); });
    if (failed) {
        p.Comm1.setCommPort(oldPort);
        p.Comm1.setSettings(oldSettings);
        p.Comm1.setHandshaking(oldFlow);
    }
    p.st.Sim_Phonebook_Size = LeadingInt16(f["Text3"].text());
    p.st.Phone_Phonebook_Size = LeadingInt16(f["Text4"].text());
    f.unload();
}

}  // namespace bsms
