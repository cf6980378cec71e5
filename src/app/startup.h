// The whole program put together: every window made, every handler wired, and the main
// window's start-up.
#pragma once

#include <filesystem>
#include <memory>

#include "core/program.h"

namespace bsms {

// A program with its windows and handlers, before start-up has run; start-up runs when Form1
// loads.
std::unique_ptr<Program> MakeProgram(Host& host, CommPort& port, std::filesystem::path folder);

// Start-up: the main window's load handler.
void Form1_Load(Program& p);

}  // namespace bsms
