// Form5, the message browser: reads the phone's message locations one at a time through the
// dispatcher, sorts and lists the messages, and shows, saves, deletes or answers one of them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/controls.h"
#include "sms/decoder.h"

namespace bsms {

class Program;

// The window and what it keeps between openings: the records read (position 0 is never
// written) and the location last asked for.
class BrowserWindow : public Window {
  public:
    BrowserWindow();
    // Grows the list to hold locations 1 to `count`; it never shrinks, so entries read at an
    // earlier opening with a larger count are listed again.
    void makeRoom(int count);
    // The entry a grid row stands for (its "Progr." cell), or an empty record.
    const Sms_Record& entryOfRow(int row) const;

    std::vector<Sms_Record> Sms_List;
    std::int16_t Read_Index = 0;
    // The answer to "AT+CPMS=MT" is still on its way, and "Leggi SMS" waits for it: read
    // before it, the first location would be given that answer, and every location the one
    // before it.
    bool storagePending = false;
    bool readWanted = false;
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

// One step of the read loop (Command1): asks for the next location, or, after the last one,
// enables the answer buttons, sorts and appends the messages with text to the grid.
void Form5_Read_Click(Program& p);
// The echo of a read command in a reply, the last one: its location and where it starts.
struct ReadEcho {
    int location;
    std::size_t at;
};
std::optional<ReadEcho> LastReadEcho(std::string_view reply);

// The dispatcher's complete read reply (an OK ending, or the error a phone gives for an empty
// location): its PDU line goes into Text1 and the loop goes on.
void TakeReadReply(Program& p, const std::string& reply);
// Decodes Text1, stores the record at Read_Index (never past the list's end) and takes the next
// step.
void Aggiorna_SMS_NO_ORDER(Program& p);

// A click in the grid: the row's sender, date and text below it.
void Form5_Grid_Click(Program& p);
// Command4, "Aggiorna": empties the grid and the shown message, then reads from location 1.
void Form5_Update_Click(Program& p);
// Text3: the number of locations to read, held to 1 .. 255; the progress range follows.
void Form5_Capacity_Change(Program& p);
// Command2: closes the window.
void Form5_Exit_Click(Program& p);

// Command5: saves the current row's message to a file the user chooses, then deletes it when
// Check1 is ticked. A file that cannot be written is reported.
void Form5_Save_Click(Program& p);
// Command7: asks, then deletes the current row's message from the phone and the grid; the row
// then current is shown.
void Form5_Delete_Click(Program& p);
// Command3: the current row's sender and the shown text go to the main window; the browser
// closes.
void Form5_Reply_Click(Program& p);

}  // namespace bsms
