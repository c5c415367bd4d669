#include "app/lifecycle.h"
#include "platform/widgetmessagebox.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kanameru"));
    QApplication::setApplicationDisplayName(QStringLiteral("カナメル"));
    QApplication::setApplicationVersion(QStringLiteral(KANAMERU_VERSION));
    platform::WidgetMessageBox messageBox;
    platform::setMessageBoxService(&messageBox);
    return kanameru::runProgram(app);
}
