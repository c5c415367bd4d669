#pragma once
// Shared by the POSIX and the Win32 implementations of the file layer.
#include "fileio/fileio.h"

namespace fileio::detail {

// A fresh name beside `target` for a temporary file: the target's name, a dot and six letters.
Path temporaryNameBeside(const Path& target);

} // namespace fileio::detail
