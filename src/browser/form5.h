// Form5, the message browser: reads the phone's message locations one at a time through the
// dispatcher, sorts and lists the messages, and shows, saves, deletes or answers one of them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/sms_list.h"
#include "core/command_queue.h"
#include "core/controls.h"
#include "sms/decoder.h"

namespace bsms {

class Program;

// The window and what it keeps between openings: the records read (position 0 is never
// written) and the location last asked for.
class BrowserWindow : public Window {
  public:
    BrowserWindow();
    // Grows the list to hold locations 1 to `count`.
    void makeRoom(int count);
    // The listed message a grid row stands for (row k lists listed[k - 1]); null for none.
    const ListedMessage* messageOfRow(int row) const;
    // Its record (the text joined, for a long message), or an empty record.
    const Sms_Record& entryOfRow(int row) const;
    // Empties the entries of locations whose messages are gone from the phone.
    void forget(const std::vector<int>& locations);

    std::vector<Sms_Record> Sms_List;
    std::int16_t Read_Index = 0;
    std::vector<ListedMessage> listed;  // what the grid lists, row k at index k - 1
    // The reports Reports.txt kept when the grid was listed: a row's `kept` names them.
    std::vector<KeptReport> keptReports;
    // "Leggi SMS" was pressed before the phone answered the choice of memory: read before it, the
    // first location would be given that answer.
    bool readWanted = false;
    // Locations of this read that the phone answered with an error, told at the completion.
    int unreadable = 0;
    // Locations in the memory, as the phone gave them when asked for it; 0 when unknown. The scan
    // stops there.
    int memorySize = 0;
    // The stored status the phone gave the location just read, for its record.
    int scanStatus = -1;
    // A read has been listed since the window opened: new messages are added to it.
    bool shownOnce = false;
    // A notification was clicked: the row of this location is marked once listed; 0 for none.
    int wantedLocation = 0;
};

std::unique_ptr<BrowserWindow> MakeForm5();
// The browser window of a program that has one.
BrowserWindow& Browser(Program& p);

// The counts of the memory chosen, as "+CPMS: used,total,..." answers a choice of memory; -1
// for each when the answer holds none. Numbers are held to 0 .. 32767.
struct MemoryCounts {
    int used = -1;
    int total = -1;
};
MemoryCounts MemoryCountsOf(std::string_view answer);

// The main window's Command4: the browser, modally.
void Command4_Click(Program& p);

// Load, at every opening: the controls start from their design state (the captions keep the
// current language).
void Form5_Load(Program& p);
// Activation: asks for the phone's whole message memory, shows the location count, sets the grid
// header and the progress range; reading waits for "Leggi SMS".
void Form5_Activate(Program& p);
// Unloading ends the window's work: its reads and arrival reads waiting go, and the answer on
// its way goes to no one. Deletes the user confirmed still go.
void Form5_Unload(Program& p);
// The answers to the browser's commands, each to the handler of its kind; errors are taken here,
// but a refused delete, which the dispatcher reports.
bool Browser_Answer(Program& p, const Command& command, const std::string& answer);
// A command of the browser went unanswered: a listing is read by the scan instead (true: the
// browser goes on by itself); a read stops where it was, and "Leggi SMS" goes on with the next
// location. A command cut off (the port closed, the phone silent to all) ends the read silently.
bool Browser_No_Answer(Program& p, const Command& command, bool cutOff);
// A new message at `location` (announced by the phone): read and added to the listing when the
// browser is open and has listed, once its read is through. True when the browser reads it.
bool Browser_New_Message(Program& p, int location);
// The browser opened (or, open, read or listed again) with the row of `location` marked, as a
// click on a notification asks; nothing while another window is open or the port is closed.
void Browser_Show_Message(Program& p, int location);
// A report kept in Reports.txt (and, when it was read from `location`, deleted there): an open
// browser that has listed lists it from the file.
void Browser_Report_Kept(Program& p, int location);

// One step of the read loop (Command1): the first empties the list and asks for the whole memory
// with "AT+CMGL=4", or, from a phone that refused that since the port opened, for location 1;
// later steps ask for the next location, up to the count and the memory's size; after the last
// one, the answer buttons are enabled and the messages are sorted and listed anew, long ones
// joined and reports paired. Does nothing while a read awaits its answer: one read at a time.
void Form5_Read_Click(Program& p);
// Decodes Text1, stores the record at Read_Index (never past the list's end) and takes the next
// step.
void Aggiorna_SMS_NO_ORDER(Program& p);

// A click in the grid: the row's sender, date and text below it.
void Form5_Grid_Click(Program& p);
// The user moved the current row with the keys: it is shown as a click shows it.
void Form5_Grid_Change(Program& p);
// Command4, "Aggiorna": empties the grid and the shown message, then reads from location 1; the
// answer of a read under way, and of a new message being read, goes to no one.
void Form5_Update_Click(Program& p);
// Text3: the number of locations to read, held to 1 .. 255; the progress range follows.
void Form5_Capacity_Change(Program& p);
// Command2: closes the window.
void Form5_Exit_Click(Program& p);

// Command5: saves the current row's message to a file the user chooses, then deletes that same
// message when Check1 is ticked. A file that cannot be written is reported.
// Command7 asks, then deletes the message of the row marked when it was pressed from the phone
// (each of its locations, once the line is free), the grid and the list, and the reports on it
// Reports.txt keeps; the row then current is shown.
void Form5_Save_Click(Program& p);
// Deletes one location from the phone once the line is free; a refusal is reported.
void Delete_Location(Program& p, int location);
void Form5_Delete_Click(Program& p);
// Command3: the current row's sender number and text go to the main window, the text as far as
// the editor takes it (the user is told when it is cut); the browser closes.
void Form5_Reply_Click(Program& p);

}  // namespace bsms
