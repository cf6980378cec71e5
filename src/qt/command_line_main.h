// The program run from a command line: Qt Core only, no window made, no display needed.
#pragma once

namespace bsms::qt {

// Whether the arguments ask for a command ("brenvik-sms send ...") rather than the window.
bool IsCommandLine(int argc, char** argv);
// Parses the arguments, runs the command and returns its exit status.
int RunCommandLine(int argc, char** argv);

}  // namespace bsms::qt
