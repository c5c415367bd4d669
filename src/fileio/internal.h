#pragma once
// Shared by the POSIX and the Win32 implementations of the file layer.
#include "fileio/fileio.h"

namespace fileio::detail {

// A fresh name beside `target` for a temporary file: the target's name, a dot and six letters.
Path temporaryNameBeside(const Path& target);

// Removes the temporary files of `target` that writers killed before their rename left behind:
// names made by temporaryNameBeside, regular files, old enough and locked by no writer.
void removeStaleTemporaries(const Path& target);

// The system's side of a replacement's beginning, by what stands at `target`: nothing or a
// regular file gives 0 with *direct false (the caller replaces it); a device or a FIFO that
// has a reader is opened into `file` for writing in sequence, *direct true; anything else gives
// the error that refuses it (EISDIR, ENXIO, ENODEV).
int openDirectTarget(const Path& target, File& file, bool* direct);

// Writes all bytes in sequence into a file opened by openDirectTarget (a FIFO or a terminal has
// no offsets). A reader that goes away gives EPIPE, never ends the process.
int writeDirect(File& file, const char* data, std::int64_t length);

// Called on a fresh temporary file: while it is being written it is readable by no one else
// when it will replace a file (whose permissions it gets at the commit).
void restrictTemporary(File& temporary, const Path& target);

// The error the test's open check gives for this open (0: none installed, or it lets it pass).
int openCheckForTests(const Path& path, File::Mode mode);

// What this system adds to an error's text (on Windows the Windows error number), or "".
std::string systemNote(int error);

} // namespace fileio::detail
