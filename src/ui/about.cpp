#include "ui/about.h"

#include "core/program.h"
#include "ui/language.h"

namespace bsms {

std::string VersionLine(int major, int minor, int revision) {
    return "Ver. " + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(revision);
}

std::string TranslatorCredit(const std::string& language) {
    // Kept to the letters of the Western code page, like the other texts.
    if (language == "slovak") return "Slovenský preklad: Martin Horák";
    if (language == "magyar") return "Magyar fordítás: Kovács Eszter";
    if (language == "polski") return "Tlumaczenie: Anna Kowalska";
    return {};
}

std::unique_ptr<Window> MakeAbout() {
    using K = ControlKind;
    auto w = std::make_unique<Window>("About", "Informazioni su Brenvik SMS", 4800, 2760);
    w->style = WindowStyle::ToolWindow;
    Control& name = w->add(K::Label, "Label1", {240, 180, 4320, 390}, "Brenvik SMS");
    name.font.bold = true;
    name.font.points = 14;
    w->add(K::Label, "Label2", {240, 600, 4320, 255}, "Ver.");
    w->add(K::Label, "Label3", {240, 1020, 4320, 255}, "Programma ideato e realizzato da:");
    w->add(K::Label, "Label4", {240, 1290, 4320, 255}, "Orvantelliq");
    w->add(K::Line, "Line1", {240, 1680, 4320, 15});
    Control& link = w->add(K::Label, "Label5", {240, 1800, 4320, 255}, kAuthorPage);
    link.font.underline = true;
    link.highlightColour = true;
    w->add(K::Label, "Label6", {240, 2220, 4320, 255}, "Traduzione");
    return w;
}

void Mn_About_Click(Program& p) {
    p.host.showModal(*p.About);
}

void About_Load(Program& p) {
    (*p.About)["Label2"].setText(
        VersionLine(BSMS_VERSION_MAJOR, BSMS_VERSION_MINOR, BSMS_VERSION_PATCH));
}

void About_Activate(Program& p) {
    // A window opened again shows the language chosen since.
    Apply_Language(p);
    Control& credit = (*p.About)["Label6"];
    const std::string line = TranslatorCredit(p.st.Current_Language);
    credit.setVisible(!line.empty());
    if (!line.empty()) credit.setText(line);
}

void About_Link_Click(Program& p) {
    p.host.openUrl(kAuthorPage);
}

}  // namespace bsms
