#include "platform/events.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <utility>

namespace platform {

namespace {
ScreenPainter screenPainter = nullptr;
}

void showScreenNow()
{
    if (screenPainter != nullptr && QCoreApplication::instance())
        screenPainter();
}

ScreenPainter setScreenPainter(ScreenPainter painter)
{
    std::swap(screenPainter, painter);
    return painter;
}

void letEventsRun()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void waitLettingEventsRun(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        letEventsRun();
        const qint64 left = milliseconds - timer.elapsed();
        if (left > 0)
            QThread::msleep(static_cast<unsigned long>(qMin<qint64>(left, 10)));
    }
}

} // namespace platform
