// What the user does with a listed message: save it, delete it, answer it.
#include <filesystem>
#include <fstream>
#include <optional>

#include "base/text.h"
#include "browser/form5.h"
#include "browser/sms_list.h"
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

void Form5_Save_Click(Program& p) {
    BrowserWindow& w = Browser(p);
    const int row = DataRow(w);
    if (row == 0) return;
    const std::optional<std::string> file =
        p.host.saveFileDialog({p.saveDialogTitle, kSaveFilter, kSaveFilterText, true});
    if (!file) return;
    const Sms_Record& entry = w.entryOfRow(row);
    const std::string bytes = SavedMessageBytes(entry.Sender_Number, entry.Date_Time, entry.Text);
    if (!WriteBytes(*file, bytes)) {
        Report_Save_Failed(p, *file);
        return;
    }
    if (w["Check1"].value() != 0) Form5_Delete_Click(p);
}

void Form5_Delete_Click(Program& p) {
    BrowserWindow& w = Browser(p);
    // A command now would be answered by the answer under way.
    if (p.replyWait.pending) return;
    Control& grid = w["Grid1"];
    const std::string question =
        p.texts[MsgId::Ask_Delete_Message] + "\r   - " + w.entryOfRow(grid.row()).Text;
    if (p.Box(question, kDeleteTitle, MsgIcon::Exclamation, MsgButtons::OkCancel, 1) !=
        MsgResult::Ok)
        return;
    const int row = DataRow(w);
    if (row != 0) {
        // Every location of the row, one command at a time.
        const ListedMessage* m = w.messageOfRow(row);
        w.deleteQueue = m ? m->locations : std::vector<int>{};
        if (w.deleteQueue.empty())
            w.deleteQueue.push_back(static_cast<int>(LeadingInt16(grid.cell(row, 1))));
        // Gone from the phone: never listed again, whatever those locations hold later.
        w.forgetRow(row);
        p.st.Browser_Reading = true;
        (*p.Form1)["Text1"].setText("");
        p.WriteCommand("AT+CMGD=" + std::to_string(w.deleteQueue.front()));
    }
    if (row == 0 || grid.rows() == 2)
        grid.setRows(1);
    else
        grid.removeRow(row);
    // The message shown below is gone: show the row now current instead, so that a save or an
    // answer never joins one message's sender to another's text.
    if (grid.rows() > 1) {
        Form5_Grid_Click(p);
    } else {
        for (const char* name : {"Label5", "Label6", "Text2"})
            w[name].setText("");
    }
}

void Form5_Reply_Click(Program& p) {
    BrowserWindow& w = Browser(p);
    const int row = DataRow(w);
    if (row == 0) return;
    const Sms_Record& entry = w.entryOfRow(row);
    Window& f = *p.Form1;
    // The picker fills the recipient from an entry that merely holds the number: the sender's
    // own number goes in after it.
    f["Combo2"].setText(entry.Sender);
    f["Text4"].setText(entry.Sender_Number);
    f["Text5"].setText(entry.Text);
    p.Form5->unload();
}

}  // namespace bsms
