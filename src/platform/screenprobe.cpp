#include "platform/screenfit.h"

#include "platform/formhost.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <vector>

namespace platform {

double fitFormsToScreen(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        return qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    // Qt reads its scale factor only when the application object is made, so a first, short-lived
    // one measures the screen. It gets a copy of the arguments, as it takes its own out of them.
    std::vector<QByteArray> copies(argv, argv + argc);
    std::vector<char*> args;
    for (QByteArray& a : copies)
        args.push_back(a.data());
    args.push_back(nullptr);
    int count = argc;
    QSizeF available;
    double ratio = 1.0;
    {
        QGuiApplication probe(count, args.data());
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!screen)
            return 1.0;
        available = screen->availableGeometry().size();
        ratio = screen->devicePixelRatio();
    }
    const double factor = fitScaleFactor(available, ratio);
    setFormScale(hostScaleFactor(available, ratio));
    if (factor < 1.0)
        qputenv("QT_SCALE_FACTOR", QByteArray::number(factor, 'f', 3));
    return factor;
}

} // namespace platform
