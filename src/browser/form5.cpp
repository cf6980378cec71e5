#include "browser/form5.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/text.h"
#include "browser/arrivals.h"
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
    // A read that was under way when the user deleted a message may bring it back; a report
    // being kept is listed from the file.
    for (Sms_Record& entry : w.Sms_List)
        if (entry.Id > 0 &&
            (p.line.has(Owner::BrowserDelete, entry.Id) || p.line.has(Owner::Reports, entry.Id)))
            entry = Sms_Record{};
    Bouble_Sort(w.Sms_List);
    std::vector<Sms_Record> all = w.Sms_List;
    w.keptReports = Kept_Reports(p);
    const std::vector<std::string>& picker = (*p.Form1)["Combo2"].items();
    for (std::size_t i = 0; i < w.keptReports.size() && i < INT16_MAX; ++i) {
        Sms_Record& report = all.emplace_back(Decode_Sms_Deliver(w.keptReports[i].pdu, picker));
        report.Id = static_cast<std::int16_t>(-static_cast<int>(i) - 1);
    }
    Bouble_Sort(all);
    w.listed = Listing(all, Sent_Parts(p), TextsOf(p));
    std::vector<std::vector<std::string>> rows;
    for (const ListedMessage& m : w.listed)
        rows.push_back(GridRow(m));
    Control& grid = w["Grid1"];
    grid.setRows(1);
    grid.addRows(std::move(rows));
    grid.setCurrent(grid.rows() - 1, kGridColumns - 1);
    // Locations start at 1: with none wanted, none is found.
    const auto wanted = std::ranges::find_if(w.listed, [&](const ListedMessage& m) {
        return std::ranges::find(m.locations, w.wantedLocation) != m.locations.end();
    });
    if (wanted != w.listed.end()) {
        grid.setCurrent(static_cast<int>(wanted - w.listed.begin()) + 1, grid.col());
        w.wantedLocation = 0;
    }
    ShowRow(w, grid.row());
    w.shownOnce = true;
    if (const int unreadable = std::exchange(w.unreadable, 0); unreadable > 0) {
        std::string text = p.texts[MsgId::Unreadable_Locations];
        text.replace(text.find("%1"), 2, std::to_string(unreadable));
        p.Box(text, p.texts[MsgId::Title_Information], MsgIcon::Exclamation);
    }
}

// Whether the browser still awaits an answer to one of its commands.
void SyncReading(Program& p) {
    p.st.Browser_Reading = p.line.has(Owner::BrowserMemory) || p.line.has(Owner::BrowserRead) ||
                           p.line.has(Owner::BrowserArrival) || p.line.has(Owner::BrowserDelete);
}

// Writes one command of the browser, its answer to come to Browser_Answer.
void Ask(Program& p, Owner owner, const std::string& command, int tag = 0) {
    Browser(p)["Text1"].setText("");
    p.Send(CommandLine(owner, command, tag));
    SyncReading(p);
}

void AskForMemory(Program& p) {
    Ask(p, Owner::BrowserMemory, "AT+CPMS=" + p.StringParameter("MT"));
}

// The last location a scan reads: the count, or the memory's size when that is smaller.
int LastLocation(const Program& p) {
    const int size = static_cast<const BrowserWindow&>(*p.Form5).memorySize;
    return size > 0 ? std::min<int>(p.st.Browser_Slot_Count, size) : p.st.Browser_Slot_Count;
}

// Stores what a location holds where the list has that location already (once sorted, the list
// no longer stands in location order), else at `place` when free, else in a free place or a new
// one: no location is listed twice, and nothing listed is overwritten by another location.
void Keep(std::vector<Sms_Record>& list, Sms_Record record, std::size_t place) {
    const auto first = list.begin() + 1;
    auto at =
        std::find_if(first, list.end(), [&](const Sms_Record& r) { return r.Id == record.Id; });
    if (at == list.end() && place > 0 && place < list.size() && list[place].Text.empty())
        at = list.begin() + static_cast<std::ptrdiff_t>(place);
    if (at == list.end())
        at = std::find_if(first, list.end(), [](const Sms_Record& r) { return r.Text.empty(); });
    if (at == list.end())
        list.push_back(std::move(record));
    else
        *at = std::move(record);
}

// The answer to the choice of memory. A refusal asks once more with the name in quotes, then
// reads the memory the phone has; a full memory is told, since no new message can arrive.
void TakeMemory(Program& p, const std::string& answer) {
    BrowserWindow& w = Browser(p);
    if (HasErrorResult(answer) && !p.quotedStrings) {
        p.quotedStrings = true;
        AskForMemory(p);
        return;
    }
    const MemoryCounts counts = MemoryCountsOf(answer);
    w.memorySize = std::max(counts.total, 0);
    w["ProgressBar1"].setRange(1, LastLocation(p));
    if (counts.total > 0 && counts.used >= counts.total)
        p.Box(MsgId::Memory_Full, MsgId::Title_Information, MsgIcon::Exclamation);
    if (std::exchange(w.readWanted, false)) Form5_Read_Click(p);
}

// The answer to "AT+CMGL=4": every message the phone listed, whatever the count says. A phone
// that refuses it is read by the scan from now until the port is opened again.
void TakeListing(Program& p, const std::string& answer) {
    BrowserWindow& w = Browser(p);
    if (HasErrorResult(answer)) {
        p.listingRefused = true;
        Form5_Read_Click(p);
        return;
    }
    const std::vector<std::string>& picker = (*p.Form1)["Combo2"].items();
    w.Sms_List.assign(1, Sms_Record{});
    for (const ListedPdu& entry : Extract_Listing(answer)) {
        if (entry.index < 1 || entry.index > INT16_MAX) continue;
        Sms_Record record = Decode_Sms_Deliver(entry.pdu, picker);
        record.Id = static_cast<std::int16_t>(entry.index);
        record.storedStatus = entry.status;
        w.Sms_List.push_back(std::move(record));
    }
    w.Read_Index = static_cast<std::int16_t>(LastLocation(p));
    w["ProgressBar1"].setProgress(w.Read_Index);
    ListMessages(p);
}

// The answer to one location of the scan.
void TakeLocation(Program& p, int location, const std::string& answer) {
    BrowserWindow& w = Browser(p);
    if (HasErrorResult(answer) && !IsEmptyLocationAnswer(answer)) ++w.unreadable;
    w["Text1"].setText(Extract_Pdu(answer));
    w.scanStatus = StoredStatusOf(answer);
    w.Read_Index = static_cast<std::int16_t>(location);
    Aggiorna_SMS_NO_ORDER(p);
}

// The answer to one announced location: added to what is listed.
void TakeArrival(Program& p, int location, const std::string& answer) {
    BrowserWindow& w = Browser(p);
    Sms_Record record = Decode_Sms_Deliver(Extract_Pdu(answer), (*p.Form1)["Combo2"].items());
    if (record.Text.empty()) return;
    Notify_Arrival(p, location, record);
    record.Id = static_cast<std::int16_t>(location);
    record.storedStatus = StoredStatusOf(answer);
    Keep(w.Sms_List, std::move(record), 0);
    if (w.shownOnce) ListMessages(p);
}

}  // namespace

MemoryCounts MemoryCountsOf(std::string_view answer) {
    MemoryCounts counts;
    const std::size_t at = answer.find("+CPMS:");
    if (at == std::string_view::npos) return counts;
    std::string_view line = answer.substr(at + 6, answer.find_first_of("\r\n", at) - at - 6);
    // "+CPMS: used,total,..." answers a choice; a read of the memories names each first.
    if (line.find('"') != std::string_view::npos) return counts;
    int* const fields[] = {&counts.used, &counts.total};
    for (int* field : fields) {
        const std::size_t digit = line.find_first_not_of(' ');
        if (digit == std::string_view::npos || line[digit] < '0' || line[digit] > '9')
            return MemoryCounts{};
        *field = LeadingInt16(line.substr(digit));
        const std::size_t comma = line.find(',');
        line.remove_prefix(comma == std::string_view::npos ? line.size() : comma + 1);
    }
    return counts;
}

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
    if (row < 1 || row >= grid.rows() || static_cast<std::size_t>(row) > listed.size())
        return nullptr;
    return &listed[static_cast<std::size_t>(row) - 1];
}

const Sms_Record& BrowserWindow::entryOfRow(int row) const {
    static const Sms_Record kNone;
    const ListedMessage* m = messageOfRow(row);
    return m ? m->record : kNone;
}

void BrowserWindow::forget(const std::vector<int>& locations) {
    for (int location : locations)
        for (Sms_Record& entry : Sms_List)
            if (entry.Id == location) entry = Sms_Record{};
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
    w.readWanted = false;
    w.shownOnce = false;
    w.memorySize = 0;
    AskForMemory(p);
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
    // Opened from a notification: the message is read at once, to be marked.
    if (w.wantedLocation > 0) Form5_Read_Click(p);
}

namespace {

// The window's own reading: what "Aggiorna" starts over and closing the window ends.
bool IsReading(Owner owner) {
    return owner == Owner::BrowserMemory || owner == Owner::BrowserRead ||
           owner == Owner::BrowserArrival;
}

}  // namespace

void Form5_Unload(Program& p) {
    p.line.drop(IsReading);
    Browser(p).readWanted = false;
    Browser(p).wantedLocation = 0;
    SyncReading(p);
}

bool Browser_Answer(Program& p, const Command& command, const std::string& answer) {
    switch (command.owner) {
        case Owner::BrowserMemory:
            TakeMemory(p, answer);
            break;
        case Owner::BrowserRead:
            if (command.tag == 0)
                TakeListing(p, answer);
            else
                TakeLocation(p, command.tag, answer);
            break;
        case Owner::BrowserArrival:
            TakeArrival(p, command.tag, answer);
            break;
        default:  // a delete: a refusal is reported as any other
            SyncReading(p);
            return false;
    }
    SyncReading(p);
    return true;
}

bool Browser_No_Answer(Program& p, const Command& command, bool cutOff) {
    BrowserWindow& w = Browser(p);
    bool quiet = cutOff;
    if (command.owner == Owner::BrowserMemory) w.readWanted = false;
    if (command.owner == Owner::BrowserRead && command.tag == 0 && !cutOff) {
        // Some phones list only in text mode and leave the listing unanswered.
        p.listingRefused = true;
        Form5_Read_Click(p);
        quiet = true;
    }
    SyncReading(p);
    return quiet;
}

bool Browser_New_Message(Program& p, int location) {
    const BrowserWindow& w = Browser(p);
    // Before the first read, that read lists it.
    if (!w.shown() || !(w.shownOnce || p.line.has(Owner::BrowserRead))) return false;
    if (!p.line.has(Owner::BrowserArrival, location))
        Ask(p, Owner::BrowserArrival, "AT+CMGR=" + std::to_string(location), location);
    return true;
}

void Browser_Show_Message(Program& p, int location) {
    BrowserWindow& w = Browser(p);
    for (const Window* other : p.allWindows())
        if (other != p.Form1.get() && other != &w && other->shown()) return;
    if (!p.Comm1.portOpen()) return;
    w.wantedLocation = location;
    if (!w.shown())
        Command4_Click(p);  // its activation reads
    else if (w.shownOnce && !p.line.has(Owner::BrowserRead))
        ListMessages(p);
    else
        Form5_Read_Click(p);
}

void Browser_Report_Kept(Program& p, int location) {
    BrowserWindow& w = Browser(p);
    if (!w.shown() || !w.shownOnce) return;
    if (location > 0) w.forget({location});
    ListMessages(p);
}

void Delete_Location(Program& p, int location) {
    Ask(p, Owner::BrowserDelete, "AT+CMGD=" + std::to_string(location), location);
}

void Form5_Read_Click(Program& p) {
    BrowserWindow& w = Browser(p);
    if (p.line.has(Owner::BrowserMemory)) {
        w.readWanted = true;
        return;
    }
    // A second read now would list what the first is still reading.
    if (p.line.has(Owner::BrowserRead)) return;
    const int last = LastLocation(p);
    if (w.Read_Index >= last) {
        ListMessages(p);
        return;
    }
    w.makeRoom(last);
    // A listing shows what this read found, not what an earlier one left.
    if (w.Read_Index == 0) {
        std::fill(w.Sms_List.begin(), w.Sms_List.end(), Sms_Record{});
        w.unreadable = 0;
        if (!p.listingRefused) {
            w["ProgressBar1"].setProgress(1);
            Ask(p, Owner::BrowserRead, "AT+CMGL=4");
            return;
        }
    }
    ++w.Read_Index;
    w["ProgressBar1"].setProgress(w.Read_Index);
    Ask(p, Owner::BrowserRead, "AT+CMGR=" + std::to_string(w.Read_Index), w.Read_Index);
}

void Aggiorna_SMS_NO_ORDER(Program& p) {
    BrowserWindow& w = Browser(p);
    p.st.Browser_Reading = false;
    Sms_Record record = Decode_Sms_Deliver(w["Text1"].text(), (*p.Form1)["Combo2"].items());
    record.storedStatus = std::exchange(w.scanStatus, -1);
    const int at = w.Read_Index;
    if (at >= 1 && static_cast<std::size_t>(at) < w.Sms_List.size()) {
        record.Id = w.Read_Index;
        Keep(w.Sms_List, std::move(record), static_cast<std::size_t>(at));
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
    // The answer of a read under way would be listed in the new one: it goes to no one.
    p.line.drop([](Owner o) { return o == Owner::BrowserRead || o == Owner::BrowserArrival; });
    w.Read_Index = 0;
    w["Grid1"].setRows(1);
    for (const char* name : {"Label5", "Label6", "Text2"})
        w[name].setText("");
    std::fill(w.Sms_List.begin(), w.Sms_List.end(), Sms_Record{});
    w.listed.clear();
    w.unreadable = 0;
    Form5_Read_Click(p);
}

void Form5_Capacity_Change(Program& p) {
    BrowserWindow& w = Browser(p);
    Control& box = w["Text3"];
    const long long typed = RoundHalfEven(LeadingNumber(box.text()));
    p.st.Browser_Slot_Count = HoldSlotCount(typed);
    w.makeRoom(p.st.Browser_Slot_Count);
    w["ProgressBar1"].setRange(1, LastLocation(p));
    // Only a number above the range is corrected in the box: a box being emptied or retyped
    // passes through values below it.
    if (typed > kMaxSlotCount) box.setText(std::to_string(kMaxSlotCount));
}

void Form5_Exit_Click(Program& p) {
    p.Form5->unload();
}

}  // namespace bsms
