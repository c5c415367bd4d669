#include "platform/screenfit.h"
#include "platform/widgetmessagebox.h"
#include "startup/startprogram.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    platform::fitFormsToScreen(argc, argv); // before the application object: Qt reads its scale then
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kanameru"));
    QApplication::setApplicationDisplayName(QStringLiteral("カナメル"));
    QApplication::setApplicationVersion(QStringLiteral(KANAMERU_VERSION));
    // Screens unload each other; the program ends only through its own "終了" or a fatal error.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::WidgetMessageBox messageBox;
    platform::setMessageBoxService(&messageBox);
    if (const int exitCode = kanameru::startProgram())
        return exitCode;
    return QApplication::exec();
}
