#include "desktop.h"

#include "appicon.h"

#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace kanameru {

bool setUpDesktop()
{
    // No application display name is set: Linux window systems would append it to every
    // title ("終了 — カナメル"). The desktop entry and the icon name the program instead.
    QGuiApplication::setWindowIcon(appIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("kanameru"));

    // The print dialog and the standard buttons speak Japanese whatever the system's language.
    // Qt's own folder on Linux; on Windows the program's folder carries them (translations/).
    static QTranslator qtTranslator;
    if (!qtTranslator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && !qtTranslator.load(
            QStringLiteral("qtbase_ja"), QCoreApplication::applicationDirPath() + QStringLiteral("/translations")))
        return false;
    return QCoreApplication::installTranslator(&qtTranslator);
}

} // namespace kanameru
