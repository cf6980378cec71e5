// Form6: the search for the phone among the serial devices, opened from the port settings
// window. Its timer counts the time each device has to answer; "Use" points the port number
// typed in the port settings window at the device chosen.
#pragma once

#include <filesystem>
#include <memory>

#include "core/controls.h"
#include "link/port_search.h"

namespace bsms {

class Program;

class SearchWindow : public Window {
  public:
    SearchWindow();
    // Where the devices are looked for (tests give a folder of their own).
    std::filesystem::path devRoot = "/dev";
    std::unique_ptr<PortSearch> search;
    std::size_t rowsShown = 0;  // findings already in the grid
};

// Ticks of Timer1 a device has for each command.
inline constexpr int kSearchStepTicks = 15;

std::unique_ptr<SearchWindow> MakeForm6();
SearchWindow& SearchForm(Program& p);

// Form2's Command2: ends the dialogues and closes the program's port, which may be on one of the
// devices tried, then shows the search modally.
void Form2_Search_Click(Program& p);
// Load: lists the candidates and starts trying them.
void Form6_Load(Program& p);
void Form6_Activate(Program& p);
// Unload: the search ends and its device is closed.
void Form6_Unload(Program& p);
void Form6_Timer(Program& p);
// Command1: the link comN (N from the port settings window) is pointed at the device of the row
// chosen, and the window closes; a file of that name is left alone and the window stays.
void Form6_Use_Click(Program& p);
// Command2: stops a search under way; once it is over, closes the window.
void Form6_Cancel_Click(Program& p);

}  // namespace bsms
