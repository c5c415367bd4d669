#pragma once
// The program's command line: --help and --version are answered on the terminal.
#include <optional>

namespace kanameru {

// Answers --help (-h) and --version (-v) on standard output, before any window, display or
// lock of a running instance is needed, and returns the exit code (0). Returns nothing when
// the program is to start as usual; other arguments are left to Qt (-platform, -style ...).
std::optional<int> answerCommandLine(int argc, char* argv[]);

} // namespace kanameru
