#pragma once
// Shared by the POSIX and the Win32 implementations of the file layer.
#include "fileio/fileio.h"

namespace fileio::detail {

// A fresh name beside `target` for a temporary file: the target's name, a dot and six letters.
Path temporaryNameBeside(const Path& target);

// The error the test's open check gives for this open (0: none installed, or it lets it pass).
int openCheckForTests(const Path& path, File::Mode mode);

// What this system adds to an error's text (on Windows the Windows error number), or "".
std::string systemNote(int error);

} // namespace fileio::detail
