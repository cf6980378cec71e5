#include "browser/form5.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/text.h"
#include "browser/sms_list.h"
#include "compose/sent_reports.h"
#include "core/program.h"
#include "link/dispatcher.h"

namespace bsms {

namespace {

constexpr int kGridColumns = 5;
constexpr std::array<int, kGridColumns> kColumnWidths = {700, 700, 2800, 2800, 1800};

void AddControls(Window& w) {
    using K = ControlKind;
    Control& grid = w.add(K::Grid, "Grid1", {120, 240, 8175, 3855});
    grid.setCols(kGridColumns);
    w.add(K::Button, "Command1", {120, 4200, 1095, 375}, "Leggi SMS");
    w.add(K::Button, "Command4", {1320, 4200, 1095, 375}, "Aggiorna");
    w.add(K::Button, "Command5", {4800, 4200, 1095, 375}, "Salva");
    w.add(K::Button, "Command3", {6000, 4200, 1095, 375}, "Rispondi");
    w.add(K::Button, "Command7", {7200, 4200, 1095, 375}, "Cancella");
    w.add(K::Label, "Label1", {120, 4800, 5055, 255}, "Testo del messaggio:");
    Control& text = w.add(K::TextBox, "Text2", {120, 5040, 5055, 1215});
    text.multiLine = true;
    w.add(K::Label, "Label3", {5400, 4920, 2900, 255}, "Mittente:");
    w.add(K::Label, "Label5", {5760, 5280, 2600, 255});
    w.add(K::Label, "Label4", {5400, 5640, 2900, 255}, "Data e Ora:");
    w.add(K::Label, "Label6", {5760, 6000, 2600, 255});
    w.add(K::Label, "Label2", {120, 6360, 1400, 255}, "Capienza SMS:");
    w.add(K::TextBox, "Text3", {1560, 6315, 735, 285}, "0");
    w.add(K::Button, "Command2", {7200, 6480, 1095, 375}, "Esci");
    w.add(K::CheckBox, "Check1", {120, 6720, 6855, 255}, "Elimina messaggio dopo il salvataggio");
    w.add(K::ProgressBar, "ProgressBar1", {120, 7080, 8175, 255});
    // Where the dispatcher puts the PDU line of a read reply; not for the user.
    Control& pdu = w.add(K::TextBox, "Text1", {120, 6120, 180, 285});
    pdu.setVisible(false);
}

// Grid, shown message, check box and the buttons that need a complete read, as designed.
void DesignState(Window& w) {
    Control& grid = w["Grid1"];
    grid.setRows(1);
    grid.setCurrent(0, 0);
    for (const char* name : {"Label5", "Label6", "Text2", "Text1"})
        w[name].setText("");
    w["Check1"].setValue(0);
    for (const char* name : {"Command4", "Command3", "Command7"})
        w[name].setEnabled(false);
    w["ProgressBar1"].setProgress(0);
}

// The row's sender, date and text below the grid; nothing for the header row.
void ShowRow(BrowserWindow& w, int row) {
    if (row < 1) return;
    const Control& grid = w["Grid1"];
    w["Label5"].setText(grid.cell(row, 2));
    w["Label6"].setText(grid.cell(row, 3));
    w["Text2"].setText(w.entryOfRow(row).Text);
}

ListingTexts TextsOf(const Program& p) {
    return {p.texts[MsgId::Part_Missing], p.texts[MsgId::Report_Delivered],
            p.texts[MsgId::Report_Pending], p.texts[MsgId::Report_Failed],
            p.texts[MsgId::Report_Unmatched]};
}

// Completion of the read loop: the messages with text, oldest first, listed anew (rows made
// before a sort would point at other messages), long ones joined and reports paired, the last
// one marked and shown.
void ListMessages(Program& p) {
    BrowserWindow& w = Browser(p);
    for (const char* name : {"Command7", "Command3", "Command4"})
        w[name].setEnabled(true);
    Bouble_Sort(w.Sms_List);
    w.listed = Listing(w.Sms_List, Sent_Parts(p), TextsOf(p));
    std::vector<std::vector<std::string>> rows;
    for (const ListedMessage& m : w.listed)
        rows.push_back(GridRow(m));
    Control& grid = w["Grid1"];
    grid.setRows(1);
    grid.addRows(std::move(rows));
    grid.setCurrent(grid.rows() - 1, kGridColumns - 1);
    ShowRow(w, grid.row());
    w.shownOnce = true;
    if (const int unreadable = std::exchange(w.unreadable, 0); unreadable > 0) {
        std::string text = p.texts[MsgId::Unreadable_Locations];
        text.replace(text.find("%1"), 2, std::to_string(unreadable));
        p.Box(text, p.texts[MsgId::Title_Information], MsgIcon::Exclamation);
    }
}

// Writes one command of the browser, its answer to come to TakeReadReply.
void WriteRead(Program& p, const std::string& command) {
    p.st.Browser_Reading = true;
    Browser(p)["Text1"].setText("");
    (*p.Form1)["Text1"].setText("");
    p.WriteCommand(command);
}

// The answer to "AT+CMGL=4": every location up to the count read at once. A phone that refuses
// it is read by the scan from now until the port is opened again.
void TakeListing(Program& p, const std::string& reply) {
    BrowserWindow& w = Browser(p);
    w.listing = false;
    p.st.Browser_Reading = false;
    if (HasErrorResult(reply)) {
        p.listingRefused = true;
        Form5_Read_Click(p);
        return;
    }
    const std::vector<std::string>& picker = (*p.Form1)["Combo2"].items();
    for (const ListedPdu& entry : Extract_Listing(reply)) {
        if (entry.index < 1 || entry.index > p.st.Browser_Slot_Count) continue;
        Sms_Record record = Decode_Sms_Deliver(entry.pdu, picker);
        record.Id = static_cast<std::int16_t>(entry.index);
        w.Sms_List[static_cast<std::size_t>(entry.index)] = std::move(record);
    }
    w.Read_Index = p.st.Browser_Slot_Count;
    w["ProgressBar1"].setProgress(w.Read_Index);
    ListMessages(p);
    Browser_When_Idle(p);
}

// The answer to one announced location: added to what is listed.
void TakeArrival(Program& p, const std::string& reply) {
    BrowserWindow& w = Browser(p);
    const int location = std::exchange(w.arrivalRead, 0);
    p.st.Browser_Reading = false;
    Sms_Record record = Decode_Sms_Deliver(Extract_Pdu(reply), (*p.Form1)["Combo2"].items());
    if (!record.Text.empty()) {
        record.Id = static_cast<std::int16_t>(location);
        const auto same = [&](const Sms_Record& r) { return r.Id == location || r.Text.empty(); };
        const auto at = std::find_if(w.Sms_List.begin() + 1, w.Sms_List.end(), same);
        if (at == w.Sms_List.end())
            w.Sms_List.push_back(std::move(record));
        else
            *at = std::move(record);
        ListMessages(p);
    }
    Browser_When_Idle(p);
}

// The answer to one "AT+CMGD=": the next location of the row goes, or the phone's refusal is
// told as the dispatcher tells any.
void TakeDeleteReply(Program& p, const std::string& reply) {
    BrowserWindow& w = Browser(p);
    p.st.Browser_Reading = false;
    if (HasErrorResult(reply)) {
        w.deleteQueue.clear();
        std::string text = p.texts[MsgId::Command_Refused];
        if (const std::string line = ExtendedErrorLine(reply); !line.empty()) text += "\r" + line;
        p.Box(text, p.texts[MsgId::Title_Error], MsgIcon::Critical);
        return;
    }
    w.deleteQueue.erase(w.deleteQueue.begin());
    if (w.deleteQueue.empty()) {
        Browser_When_Idle(p);
        return;
    }
    WriteRead(p, "AT+CMGD=" + std::to_string(w.deleteQueue.front()));
}

}  // namespace

namespace {

void AskForMemory(Program& p) {
    (*p.Form1)["Text1"].setText("");
    p.WriteCommand("AT+CPMS=" + p.StringParameter("MT"));
}

}  // namespace

BrowserWindow::BrowserWindow() : Window("Form5", "Browser SMS", 8445, 7515) {
    style = WindowStyle::Fixed;
    fontName = "Verdana";
    AddControls(*this);
}

void BrowserWindow::makeRoom(int count) {
    const auto needed = static_cast<std::size_t>(HoldSlotCount(count)) + 1;
    if (Sms_List.size() < needed) Sms_List.resize(needed);
}

const ListedMessage* BrowserWindow::messageOfRow(int row) const {
    const Control& grid = (*this)["Grid1"];
    if (row < 1 || row >= grid.rows()) return nullptr;
    for (const ListedMessage& m : listed)
        if (LocationsText(m.locations) == grid.cell(row, 1)) return &m;
    return nullptr;
}

const Sms_Record& BrowserWindow::entryOfRow(int row) const {
    static const Sms_Record kNone;
    const ListedMessage* m = messageOfRow(row);
    return m ? m->record : kNone;
}

void BrowserWindow::forgetRow(int row) {
    const ListedMessage* m = messageOfRow(row);
    if (!m) return;
    for (int location : m->locations)
        for (Sms_Record& entry : Sms_List)
            if (entry.Id == location) entry = Sms_Record{};
    listed.erase(listed.begin() + (m - listed.data()));
}

std::unique_ptr<BrowserWindow> MakeForm5() {
    return std::make_unique<BrowserWindow>();
}

BrowserWindow& Browser(Program& p) {
    return static_cast<BrowserWindow&>(*p.Form5);
}

void Command4_Click(Program& p) {
    p.host.showModal(*p.Form5);
}

void Form5_Load(Program& p) {
    DesignState(*p.Form5);
}

void Form5_Activate(Program& p) {
    BrowserWindow& w = Browser(p);
    p.EndDialogues();
    AskForMemory(p);
    w.storagePending = true;
    w.readWanted = false;
    w.staleAnswer = w.listing = false;
    w.arrivalRead = 0;
    w.arrivals.clear();
    w.deleteQueue.clear();
    w.shownOnce = false;
    p.st.Browser_Reading = true;  // its answer comes to the browser, an error without a box
    Control& grid = w["Grid1"];
    grid.setCurrent(0, 0);
    // A count from the settings file may lie outside the range the list is made for.
    p.st.Browser_Slot_Count = HoldSlotCount(p.st.Browser_Slot_Count);
    w.makeRoom(p.st.Browser_Slot_Count);
    w["Text3"].setText(std::to_string(p.st.Browser_Slot_Count));
    w.Read_Index = 0;
    const std::array<std::string, kGridColumns> headers = {
        "Progr.", "Id", p.texts[MsgId::Caption_Sender_Column], p.texts[MsgId::Caption_Date_Column],
        p.texts[MsgId::Caption_Centre_Column]};
    for (int col = 0; col < kGridColumns; ++col) {
        grid.setColWidth(col, kColumnWidths[col]);
        grid.setCell(0, col, headers[col]);
    }
    w["ProgressBar1"].setRange(1, p.st.Browser_Slot_Count);
}

void Form5_Unload(Program& p) {
    Browser_No_Answer(p);
}

bool Browser_No_Answer(Program& p) {
    BrowserWindow& w = Browser(p);
    p.st.Browser_Reading = false;
    w.storagePending = false;
    w.readWanted = false;
    w.staleAnswer = false;
    w.arrivalRead = 0;
    w.deleteQueue.clear();
    if (!std::exchange(w.listing, false)) return false;
    p.listingRefused = true;
    p.replyWait = {};
    Form5_Read_Click(p);
    return true;
}

void Browser_New_Message(Program& p, int location) {
    BrowserWindow& w = Browser(p);
    if (std::find(w.arrivals.begin(), w.arrivals.end(), location) == w.arrivals.end())
        w.arrivals.push_back(location);
    Browser_When_Idle(p);
}

void Browser_When_Idle(Program& p) {
    BrowserWindow& w = Browser(p);
    if (!w.shown() || !w.shownOnce) {
        if (!w.shown()) w.arrivals.clear();  // the next read lists them
        return;
    }
    if (w.arrivals.empty() || p.replyWait.pending || p.st.Browser_Reading || w.storagePending)
        return;
    w.arrivalRead = w.arrivals.front();
    w.arrivals.erase(w.arrivals.begin());
    WriteRead(p, "AT+CMGR=" + std::to_string(w.arrivalRead));
}

void Form5_Read_Click(Program& p) {
    BrowserWindow& w = Browser(p);
    if (w.storagePending) {
        w.readWanted = true;
        return;
    }
    // A second command now would take the rest of the answer under way for its own.
    if (p.replyWait.pending) return;
    if (w.Read_Index >= p.st.Browser_Slot_Count) {
        ListMessages(p);
        return;
    }
    w.makeRoom(p.st.Browser_Slot_Count);
    // A listing shows what this read found, not what an earlier one left.
    if (w.Read_Index == 0) {
        std::fill(w.Sms_List.begin(), w.Sms_List.end(), Sms_Record{});
        w.unreadable = 0;
        if (!p.listingRefused) {
            w.listing = true;
            w["ProgressBar1"].setProgress(1);
            WriteRead(p, "AT+CMGL=4");
            return;
        }
    }
    ++w.Read_Index;
    w["ProgressBar1"].setProgress(w.Read_Index);
    WriteRead(p, "AT+CMGR=" + std::to_string(w.Read_Index));
}

std::optional<ReadEcho> LastReadEcho(std::string_view reply) {
    constexpr std::string_view kRead = "AT+CMGR=";
    for (std::size_t at = reply.rfind(kRead); at != std::string_view::npos;
         at = at == 0 ? std::string_view::npos : reply.rfind(kRead, at - 1)) {
        if (at > 0 && reply[at - 1] != '\r' && reply[at - 1] != '\n') continue;
        int location = 0;
        std::size_t i = at + kRead.size();
        for (; i < reply.size() && reply[i] >= '0' && reply[i] <= '9' && location < 100000; ++i)
            location = location * 10 + (reply[i] - '0');
        return ReadEcho{location, at};
    }
    return std::nullopt;
}

void TakeReadReply(Program& p, const std::string& reply) {
    BrowserWindow& w = Browser(p);
    if (w.storagePending && HasErrorResult(reply) && !p.quotedStrings) {
        p.quotedStrings = true;
        AskForMemory(p);
        return;
    }
    if (w.storagePending || w.staleAnswer) {
        w.storagePending = false;
        w.staleAnswer = w.listing = false;
        p.st.Browser_Reading = false;
        if (std::exchange(w.readWanted, false)) Form5_Read_Click(p);
        return;
    }
    if (!w.deleteQueue.empty()) return TakeDeleteReply(p, reply);
    if (w.listing) return TakeListing(p, reply);
    if (w.arrivalRead != 0) return TakeArrival(p, reply);
    // Where the phone echoes commands, a late answer to another read (one the phone left
    // unanswered for too long) is not this one's: it waits on for its own.
    const auto echo = LastReadEcho(reply);
    if (echo && echo->location != w.Read_Index) {
        p.replyWait.pending = true;
        return;
    }
    if (HasErrorResult(reply) && !IsEmptyLocationAnswer(reply)) ++w.unreadable;
    w["Text1"].setText(Extract_Pdu(echo ? std::string_view(reply).substr(echo->at) : reply));
    Aggiorna_SMS_NO_ORDER(p);
}

void Aggiorna_SMS_NO_ORDER(Program& p) {
    BrowserWindow& w = Browser(p);
    p.st.Browser_Reading = false;
    Sms_Record record = Decode_Sms_Deliver(w["Text1"].text(), (*p.Form1)["Combo2"].items());
    const int at = w.Read_Index;
    if (at >= 1 && static_cast<std::size_t>(at) < w.Sms_List.size()) {
        record.Id = w.Read_Index;
        w.Sms_List[at] = std::move(record);
    }
    Form5_Read_Click(p);
}

void Form5_Grid_Click(Program& p) {
    BrowserWindow& w = Browser(p);
    Control& grid = w["Grid1"];
    const int row = grid.row();
    if (row < 1) return;
    ShowRow(w, row);
    grid.setCurrent(row, 0);
}

void Form5_Grid_Change(Program& p) {
    BrowserWindow& w = Browser(p);
    ShowRow(w, w["Grid1"].row());
}

void Form5_Update_Click(Program& p) {
    BrowserWindow& w = Browser(p);
    w.Read_Index = 0;
    w["Grid1"].setRows(1);
    for (const char* name : {"Label5", "Label6", "Text2"})
        w[name].setText("");
    std::fill(w.Sms_List.begin(), w.Sms_List.end(), Sms_Record{});
    w.listed.clear();
    w.unreadable = 0;
    if (p.st.Browser_Reading && p.replyWait.pending && !w.storagePending) {
        w.staleAnswer = true;
        w.readWanted = true;
        return;
    }
    Form5_Read_Click(p);
}

void Form5_Capacity_Change(Program& p) {
    BrowserWindow& w = Browser(p);
    Control& box = w["Text3"];
    const long long typed = RoundHalfEven(LeadingNumber(box.text()));
    p.st.Browser_Slot_Count = HoldSlotCount(typed);
    w.makeRoom(p.st.Browser_Slot_Count);
    w["ProgressBar1"].setRange(1, p.st.Browser_Slot_Count);
    // Only a number above the range is corrected in the box: a box being emptied or retyped
    // passes through values below it.
    if (typed > kMaxSlotCount) box.setText(std::to_string(kMaxSlotCount));
}

void Form5_Exit_Click(Program& p) {
    p.Form5->unload();
}

}  // namespace bsms
