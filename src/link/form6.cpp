#include "link/form6.h"

#include "base/text.h"
#include "core/files.h"
#include "core/program.h"
#include "link/form2.h"
#include "link/settings_files.h"
#include "ui/language.h"

namespace bsms {

namespace {

constexpr int kColumnWidths[] = {3300, 1620, 600};

// A by-id link by its own name, which says what the device is; anything else by its path.
std::string Shown(const std::string& path) {
    const std::filesystem::path p(path);
    return p.parent_path().filename() == "by-id" ? p.filename().string() : path;
}

void Refresh(Program& p) {
    SearchWindow& f = SearchForm(p);
    if (!f.search) return;
    const PortSearch& s = *f.search;
    const int count = static_cast<int>(s.candidates().size());
    Control& bar = f["Progress1"];
    bar.setRange(0, std::max(count, 1));
    std::string status;
    if (const SearchCandidate* c = s.current()) {
        bar.setProgress(static_cast<int>(s.position()) - 1);
        status = p.texts[MsgId::Search_Trying] + " " + Shown(c->stable) + " (" +
                 std::to_string(s.position()) + "/" + std::to_string(count) + ")";
    } else if (!s.running()) {
        const bool all = s.position() == s.candidates().size();
        bar.setProgress(all ? count : static_cast<int>(s.position()));
        status = p.texts[!all                   ? MsgId::Search_Stopped
                         : s.findings().empty() ? MsgId::Search_None
                                                : MsgId::Search_Done];
    }
    f["Label1"].setText(status);

    std::vector<std::vector<std::string>> rows;
    for (; f.rowsShown < s.findings().size(); ++f.rowsShown) {
        const SearchFinding& found = s.findings()[f.rowsShown];
        using O = SearchFinding::Outcome;
        const std::string about = found.outcome == O::NoAccess ? p.texts[MsgId::Search_No_Access]
                                  : found.outcome == O::NotOpened
                                      ? p.texts[MsgId::Search_Not_Opened]
                                      : found.model;
        rows.push_back({Shown(found.candidate.stable), about, found.pdu ? "\u2713" : ""});
    }
    Control& grid = f["Grid1"];
    grid.addRows(std::move(rows));
    // The first device that answered is the one chosen unless the user picks another.
    if (grid.row() < 1 && !s.running()) {
        for (std::size_t i = 0; i < s.findings().size(); ++i) {
            if (s.findings()[i].outcome != SearchFinding::Outcome::Answered) continue;
            grid.setCurrent(static_cast<int>(i) + 1, 0);
            break;
        }
    }
}

}  // namespace

SearchWindow::SearchWindow() : Window("Form6", "Cerca il telefonino", 6000, 3900) {
    using K = ControlKind;
    style = WindowStyle::Fixed;
    add(K::Label, "Label1", {240, 240, 5520, 255});
    add(K::ProgressBar, "Progress1", {240, 600, 5520, 255});
    Control& grid = add(K::Grid, "Grid1", {240, 1020, 5520, 2175});
    grid.setCols(3);
    for (int col = 0; col < 3; ++col)
        grid.setColWidth(col, kColumnWidths[col]);
    add(K::Button, "Command1", {3360, 3345, 1095, 375}, "Usa");
    add(K::Button, "Command2", {4665, 3345, 1095, 375}, "Annulla");
    Control& timer = add(K::Timer, "Timer1", {});
    timer.interval = 100;
    timer.setEnabled(false);
}

std::unique_ptr<SearchWindow> MakeForm6() {
    return std::make_unique<SearchWindow>();
}

SearchWindow& SearchForm(Program& p) {
    return static_cast<SearchWindow&>(*p.Form6);
}

void Form2_Search_Click(Program& p) {
    p.EndDialogues();
    if (p.Comm1.portOpen()) Close_Port(p);
    p.host.showModal(*p.Form6);
}

void Form6_Load(Program& p) {
    SearchWindow& f = SearchForm(p);
    Control& grid = f["Grid1"];
    grid.setRows(1);
    grid.setCurrent(0, 0);
    grid.setCell(0, 0, p.texts[MsgId::Caption_Device_Column]);
    grid.setCell(0, 1, p.texts[MsgId::Caption_Model_Column]);
    grid.setCell(0, 2, "PDU");
    f.rowsShown = 0;
    f.search = std::make_unique<PortSearch>(SearchCandidates(p.folder, f.devRoot), p.makePort,
                                            p.Comm1.settings(), kSearchStepTicks);
    f.search->onChange = [&p] { Refresh(p); };
    f["Timer1"].setEnabled(true);
    f.search->start();
}

void Form6_Activate(Program& p) {
    Apply_Language(p);
}

void Form6_Unload(Program& p) {
    SearchWindow& f = SearchForm(p);
    f["Timer1"].setEnabled(false);
    f.search.reset();
}

void Form6_Timer(Program& p) {
    if (SearchForm(p).search) SearchForm(p).search->tick();
}

void Form6_Use_Click(Program& p) {
    SearchWindow& f = SearchForm(p);
    const int row = f["Grid1"].row();
    if (!f.search || row < 1 || row > static_cast<int>(f.search->findings().size())) return;
    const std::string target = f.search->findings()[row - 1].candidate.stable;
    f.search->cancel();
    // The number typed in the port settings window, or the port's own when that is none.
    Control& number = (*p.Form2)["Text1"];
    const double typed = LeadingNumber(number.text());
    int n = static_cast<int>(typed);
    if (n != typed || n < 1 || n > 16) {
        n = p.Comm1.commPort();
        number.setText(std::to_string(n));
    }
    const std::filesystem::path link = p.folder / ("com" + std::to_string(n));
    switch (PointPortLink(p.folder, n, target)) {
        case LinkOutcome::Made:
            Form2_Port_Change(p);
            f.unload();
            break;
        case LinkOutcome::NotALink:
            p.Box(p.texts[MsgId::Search_Not_A_Link] + "\r" + link.string(),
                  p.texts[MsgId::Title_Error], MsgIcon::Exclamation);
            break;
        case LinkOutcome::Failed:
            Report_Save_Failed(p, link);
            break;
    }
}

void Form6_Cancel_Click(Program& p) {
    SearchWindow& f = SearchForm(p);
    if (f.search && f.search->running())
        f.search->cancel();
    else
        f.unload();
}

}  // namespace bsms
