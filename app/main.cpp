#include "commandline.h"
#include "desktop.h"
#include "platform/widgetmessagebox.h"
#include "startup/startprogram.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (const std::optional<int> answered = kanameru::answerCommandLine(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kanameru"));
    QApplication::setApplicationVersion(QStringLiteral(KANAMERU_VERSION));
    kanameru::setUpDesktop();
    // Screens unload each other; the program ends only through its own "終了" or a fatal error.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::WidgetMessageBox messageBox;
    platform::setMessageBoxService(&messageBox);
    if (const int exitCode = kanameru::startProgram())
        return exitCode;
    return QApplication::exec();
}
