// Form7, the phonebook window: both books as the last download read them, searched and sorted,
// entries added, changed and deleted on the phone (AT+CPBW, each read back with AT+CPBR), and
// contacts moved out to and in from vCard files.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/command_queue.h"
#include "core/controls.h"
#include "phonebook/download.h"

namespace bsms {

class Program;

// What a book takes, as "+CPBW: (first-last),nlength,(types),tlength" says.
struct BookLimits {
    int first = 1;
    int last = 0;
    int numberLength = 0;
    int nameLength = 0;
};
std::optional<BookLimits> BookLimitsOf(std::string_view answer);

class BookWindow : public Window {
  public:
    BookWindow();
    // One change to a book: written at `location` (0: the first free one), or deleted there.
    struct Change {
        std::string book;
        int location = 0;
        std::string number;
        std::string name;
        bool erase = false;
        bool limitsOnly = false;  // only the book's limits asked, for the checks to come
    };
    std::deque<Change> changes;  // the first is under way while `step` is not Idle
    enum class Step { Idle, Charset, Select, Limits, Write, ReadBack, Restore };
    Step step = Step::Idle;
    std::map<std::string, BookLimits> limits;  // by book, once the phone gave them
    std::vector<std::size_t> listed;           // grid row k shows books[listed[k - 1]]
};

std::unique_ptr<BookWindow> MakeForm7();
BookWindow& BookForm(Program& p);

// Mn_Rub_Edit: the window, modally.
void Mn_Rub_Edit_Click(Program& p);
// Load: the grid anew from what the last download read.
void Form7_Load(Program& p);
// Text1 (search) and Combo2 (order): the grid shows the entries whose name or number holds the
// text, in the order chosen.
void Form7_List(Program& p);
// A row chosen: its book, location, name and number in the boxes below.
void Form7_Grid_Click(Program& p);
// Command1 Add (at the location typed, or the first free), Command2 Edit (at the row's
// location), Command3 Delete (the row's): checked against the book's limits, then written and
// read back; the state after each write is said in Label6.
void Form7_Add_Click(Program& p);
void Form7_Edit_Click(Program& p);
void Form7_Delete_Click(Program& p);
// Command4: the entries shown, to a vCard file. Command5: a vCard file's contacts, after the
// user saw what will be written and what will not fit, added to the book chosen in Combo1.
void Form7_Export_Click(Program& p);
void Form7_Import_Click(Program& p);
// Unload: changes not yet begun go.
void Form7_Unload(Program& p);

// The answers to the window's commands; a refused write is reported by the dispatcher, in
// words, and ends that change.
bool Book_Answer(Program& p, const Command& command, const std::string& answer);
bool Book_No_Answer(Program& p, const Command& command, bool cutOff);

// Why a name or number does not fit a book (empty when it does): too long for its limits, or,
// unless names go in UCS2, a character the phone's set lacks.
std::string BookMisfit(const Program& p, const BookWindow::Change& change, bool ucs2,
                       const std::string& charset);

}  // namespace bsms
