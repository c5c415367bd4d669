#include "platform/launcher.h"

#include "fileio/fileio.h"
#include "platform/nativepath.h"

#include <QFileInfo>

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
    return fileio::startProgram(nativePath(program), argument.toStdString(), nativePath(info.absolutePath())) == 0;
}

} // namespace platform
