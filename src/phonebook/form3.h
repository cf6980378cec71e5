// Form3: the borderless progress window of the phonebook download, with its Cancel button and
// the 200 ms timer that tells which phonebook is being read.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/controls.h"
#include "phonebook/download.h"

namespace bsms {

class Program;

// The progress window, and the recipient picker as it was when the download started: a
// download that fails leaves it so.
class PhonebookWindow : public Window {
  public:
    PhonebookWindow();
    struct Picker {
        std::vector<std::string> items;
        bool enabled = false;
        bool windowBackground = false;
    };
    Picker pickerBefore;
    // Names in any script: where the phone offers UCS2, the listing is read in it and the
    // phone's own character set is restored afterwards.
    enum class CharsetStep { None, Offered, Current, Select, Restore };
    CharsetStep charsetStep = CharsetStep::None;
    std::string charsetBefore;
    bool ucs2 = false;
    // What the last download read of both books, and whether it read them in UCS2 (the phone's
    // own set otherwise): the phonebook window writes names as they were read.
    std::vector<BookEntry> books;
    bool booksInUcs2 = false;
    std::string booksCharset;
};

std::unique_ptr<PhonebookWindow> MakeForm3();
// The progress window of a program that has one.
PhonebookWindow& PhonebookForm(Program& p);

// Load: the busy pointer, "della SIM" showing, the timer running while the window is loaded.
void Form3_Load(Program& p);
// Activation: the texts of the current language (which also resets the pointer).
void Form3_Activate(Program& p);
// Unload: the timer stops; a download not yet through ends there (Phonebook_Cut_Short).
void Form3_Unload(Program& p);
// Timer1: "della SIM" while the SIM is being selected, "del CELLULARE" from the selection of the
// phone's memory to the end; otherwise the labels stay as they are.
void Form3_Timer(Program& p);
// Command1: closes the port (what was on the line is given up) and the window; the entries
// already added stay in the picker.
void Form3_Cancel(Program& p);
// The pointer: busy over the frame, the normal arrow over Cancel.
void Form3_Frame_MouseMove(Program& p);
void Form3_Cancel_MouseMove(Program& p);

}  // namespace bsms
