#pragma once
#include "startup/settings.h"

#include <QString>

namespace kanameru {

// The program's entry: sets the background colour, reads the start-up files of the program in
// programDir and shows the start screen. Returns 0 when the program is running on its forms, or the exit code of an
// orderly end after a start-up error has been shown.
int startProgram(const QString& programDir = exeDir());

} // namespace kanameru
