#pragma once
#include <QString>

namespace platform {

// Opens a file in the program the desktop keeps for it (a browser or an editor for the
// README). Returns false when the desktop has none to start (no URL launcher) or refused it;
// a program that starts and then fails is not seen.
bool openDocument(const QString& path);

} // namespace platform
