#include "platform/launcher.h"

#include <QFileInfo>
#include <QProcess>

namespace platform {

QString launcherExecutablePath(const QString& path)
{
#ifdef Q_OS_WIN
    return path;
#else
    if (path.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        return path.left(path.size() - 4);
    return path;
#endif
}

bool launchProgram(const QString& path, const QString& argument)
{
    const QString program = launcherExecutablePath(path);
    const QFileInfo info(program);
    if (!info.exists() || !info.isExecutable())
        return false;
    return QProcess::startDetached(program, {argument}, info.absolutePath());
}

} // namespace platform
