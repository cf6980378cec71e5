// What the user does with a listed message: save it, delete it, answer it.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "base/text.h"
#include "browser/form5.h"
#include "browser/sms_list.h"
#include "compose/editor.h"
#include "compose/sent_reports.h"
#include "core/files.h"
#include "core/program.h"

namespace bsms {

namespace {

constexpr const char* kSaveFilter =
    "Tutti i file (*.*)|*.*|File di testo (*.txt)|*.txt|File di messaggi (*.smi)|*.smi";
constexpr int kSaveFilterText = 2;  // "File di testo (*.txt)"
constexpr const char* kDeleteTitle = "Attenzione";

// The current row of the grid when it is a data row, else 0.
int DataRow(BrowserWindow& w) {
    const Control& grid = w["Grid1"];
    return grid.row() >= 1 && grid.row() < grid.rows() ? grid.row() : 0;
}

bool WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

namespace {

// A row's message as it was when the user pressed a button, with the PDUs of the reports on it
// that Reports.txt keeps (a listing made meanwhile renumbers those).
struct MarkedRow {
    ListedMessage message;
    std::vector<std::string> keptPdus;
};

// Asks, then deletes `marked` (the message of a row as it was when the user pressed the
// button): each of its locations goes from the phone once the line is free, and its row from the
// grid, wherever a listing made meanwhile (a new message read in while the question was open)
// put it. With no data row marked, the grid is left with its header row alone.
void AskAndDelete(Program& p, const std::optional<MarkedRow>& row, const std::string& text) {
    BrowserWindow& w = Browser(p);
    const std::string question = p.texts[MsgId::Ask_Delete_Message] + "\r   - " + text;
    if (p.Box(question, kDeleteTitle, MsgIcon::Exclamation, MsgButtons::OkCancel, 1) !=
        MsgResult::Ok)
        return;
    Control& grid = w["Grid1"];
    if (!row) {
        grid.setRows(1);
        w.listed.clear();
    } else {
        const ListedMessage* marked = &row->message;
        for (int location : marked->locations)
            Delete_Location(p, location);
        // Gone from the phone: never listed again, whatever those locations hold later.
        w.forget(marked->locations);
        if (!Forget_Kept_Reports(p, row->keptPdus)) Report_Save_Failed(p, p.folder / kReportsFile);
        const auto at = std::find_if(w.listed.begin(), w.listed.end(), [&](const auto& m) {
            return m.locations == marked->locations && m.record.Text == marked->record.Text &&
                   m.record.Date_Time == marked->record.Date_Time;
        });
        if (at != w.listed.end()) {
            const int r = static_cast<int>(at - w.listed.begin()) + 1;
            w.listed.erase(at);
            if (grid.rows() == 2)
                grid.setRows(1);
            else
                grid.removeRow(r);
        }
    }
    // The message shown below is gone: show the row now current instead, so that a save or an
    // answer never joins one message's sender to another's text.
    if (grid.rows() > 1) {
        Form5_Grid_Click(p);
    } else {
        for (const char* name : {"Label5", "Label6", "Text2"})
            w[name].setText("");
    }
}

// The message of the current row, when it is a data row.
std::optional<MarkedRow> Marked(BrowserWindow& w) {
    const ListedMessage* m = w.messageOfRow(DataRow(w));
    if (m == nullptr) return std::nullopt;
    MarkedRow row{*m, {}};
    for (int k : m->kept)
        if (static_cast<std::size_t>(k) < w.keptReports.size())
            row.keptPdus.push_back(w.keptReports[static_cast<std::size_t>(k)].pdu);
    return row;
}

}  // namespace

void Form5_Save_Click(Program& p) {
    BrowserWindow& w = Browser(p);
    const std::optional<MarkedRow> marked = Marked(w);
    if (!marked) return;
    const std::optional<std::string> file =
        p.host.saveFileDialog({p.saveDialogTitle, kSaveFilter, kSaveFilterText, true});
    if (!file) return;
    const Sms_Record& entry = marked->message.record;
    const std::string bytes = SavedMessageBytes(entry.Sender_Number, entry.Date_Time, entry.Text);
    if (!WriteBytes(*file, bytes)) {
        Report_Save_Failed(p, *file);
        return;
    }
    if (w["Check1"].value() != 0) AskAndDelete(p, marked, entry.Text);
}

void Form5_Delete_Click(Program& p) {
    BrowserWindow& w = Browser(p);
    AskAndDelete(p, Marked(w), w.entryOfRow(w["Grid1"].row()).Text);
}

void Form5_Reply_Click(Program& p) {
    BrowserWindow& w = Browser(p);
    const int row = DataRow(w);
    if (row == 0) return;
    const Sms_Record entry = w.entryOfRow(row);
    Window& f = *p.Form1;
    // The picker fills the recipient from an entry that merely holds the number: the sender's
    // own number goes in after it.
    f["Combo2"].setText(entry.Sender);
    f["Text4"].setText(entry.Sender_Number);
    Set_Message_Text(p, entry.Text);
    p.Form5->unload();
}

}  // namespace bsms
