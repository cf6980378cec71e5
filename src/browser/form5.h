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
    // The listed message a grid row stands for, found by its "Id" cell; null for none.
    const ListedMessage* messageOfRow(int row) const;
    // Its record (the text joined, for a long message), or an empty record.
    const Sms_Record& entryOfRow(int row) const;
    // Empties the entries of a row whose messages are gone from the phone.
    void forgetRow(int row);

    std::vector<Sms_Record> Sms_List;
    std::int16_t Read_Index = 0;
    std::vector<ListedMessage> listed;  // what the grid lists, row k at index k - 1
    // The answer to "AT+CPMS=MT" is still on its way, and "Leggi SMS" waits for it: read
    // before it, the first location would be given that answer, and every location the one
    // before it.
    bool storagePending = false;
    bool readWanted = false;
    // The read answer on its way belongs to a read given up by "Aggiorna": it is let go.
    bool staleAnswer = false;
    // Locations of this read that the phone answered with an error, told at the completion.
    int unreadable = 0;
    // "AT+CMGL=4" is awaited: the whole memory in one answer.
    bool listing = false;
    // New messages the phone announced, read one by one once the browser is idle; the one being
    // read.
    std::vector<int> arrivals;
    int arrivalRead = 0;
    // Locations still to delete for the row the user deleted.
    std::vector<int> deleteQueue;
    // A read has been listed since the window opened: new messages are added to it.
    bool shownOnce = false;
};

std::unique_ptr<BrowserWindow> MakeForm5();
// The browser window of a program that has one.
BrowserWindow& Browser(Program& p);

// The main window's Command4: the browser, modally.
void Command4_Click(Program& p);

// Load, at every opening: the controls start from their design state (the captions keep the
// current language).
void Form5_Load(Program& p);
// Activation: asks for the phone's whole message memory, shows the location count, sets the grid
// header and the progress range; reading waits for "Leggi SMS".
void Form5_Activate(Program& p);
// Unloading ends any read under way.
void Form5_Unload(Program& p);
// The phone left a command unanswered: a listing it gave no answer to is read by the scan
// instead (true: the browser goes on by itself); otherwise the read stops where it was, and
// "Leggi SMS" goes on with the next location.
bool Browser_No_Answer(Program& p);
// A new message at `location` (announced by the phone): read and added to the listing now if the
// browser is open and idle, or once it is.
void Browser_New_Message(Program& p, int location);
// Reads the next announced message when the browser is open and idle after a read.
void Browser_When_Idle(Program& p);

// One step of the read loop (Command1): the first empties the list and asks for the whole memory
// with "AT+CMGL=4", or, from a phone that refused that since the port opened, for location 1;
// later steps ask for the next location; after the last one, the answer buttons are enabled and
// the messages are sorted and listed anew, long ones joined and reports paired. Does nothing
// while a command awaits its answer: one read at a time.
void Form5_Read_Click(Program& p);
// The echo of a read command in a reply, the last one: its location and where it starts.
struct ReadEcho {
    int location;
    std::size_t at;
};
std::optional<ReadEcho> LastReadEcho(std::string_view reply);

// The dispatcher's complete reply while the browser reads, ended by OK or an error. To the memory
// choice: a refusal asks once more with the name in quotes, then reads the memory the phone
// has. To a read: its PDU line goes into Text1 and the loop goes on; an error other than the
// empty-location answers counts the location as unreadable.
void TakeReadReply(Program& p, const std::string& reply);
// Decodes Text1, stores the record at Read_Index (never past the list's end) and takes the next
// step.
void Aggiorna_SMS_NO_ORDER(Program& p);

// A click in the grid: the row's sender, date and text below it.
void Form5_Grid_Click(Program& p);
// The user moved the current row with the keys: it is shown as a click shows it.
void Form5_Grid_Change(Program& p);
// Command4, "Aggiorna": empties the grid and the shown message, then reads from location 1 (once
// the answer of a read under way is in).
void Form5_Update_Click(Program& p);
// Text3: the number of locations to read, held to 1 .. 255; the progress range follows.
void Form5_Capacity_Change(Program& p);
// Command2: closes the window.
void Form5_Exit_Click(Program& p);

// Command5: saves the current row's message to a file the user chooses, then deletes it when
// Check1 is ticked. A file that cannot be written is reported.
// Command7 asks, then deletes the current row's message from the phone, the grid and the list;
// the row then current is shown. Nothing is deleted while a command awaits its answer.
void Form5_Save_Click(Program& p);
void Form5_Delete_Click(Program& p);
// Command3: the current row's sender number and text go to the main window; the browser closes.
void Form5_Reply_Click(Program& p);

}  // namespace bsms
