#pragma once
#include <QString>

namespace platform {

// Starts another program with one argument and does not wait for it. On Linux a trailing
// ".exe" of the given path is dropped; on Windows it is kept. Returns false when it could not start.
bool launchProgram(const QString& path, const QString& argument);

// The path that launchProgram would start on this platform.
QString launcherExecutablePath(const QString& path);

} // namespace platform
