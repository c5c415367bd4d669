#include "app/lifecycle.h"
#include "app/commandline.h"
#include "app/desktop.h"
#include "platform/application.h"
#include "platform/screenfit.h"
#include "platform/widgetmessagebox.h"

int main(int argc, char* argv[])
{
    if (const std::optional<int> answered = kanameru::answerCommandLine(argc, argv))
        return *answered;
    platform::fitFormsToScreen(argc, argv); // before the application object: Qt reads its scale then
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kanameru"));
    QApplication::setApplicationVersion(QStringLiteral(KANAMERU_VERSION));
    kanameru::setUpDesktop();
    platform::WidgetMessageBox messageBox;
    platform::setMessageBoxService(&messageBox);
    return kanameru::runProgram(app);
}
