#include "platform/events.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <utility>

namespace platform {

namespace {
ScreenPainter screenPainter = nullptr;

// Swallows every event of the user's input while it is installed on the application, but
// not within a wait of its own that a window event opens meanwhile (a message box): the pupil
// answers that one.
class InputDropper : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (QThread::currentThread()->loopLevel() != loopLevel_)
            return false;
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Claimed for the focus object, so that no access key fires; the key itself goes.
            event->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
        }
    }

private:
    const int loopLevel_ = QThread::currentThread()->loopLevel();
};
} // namespace

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

void dropInputGivenMeanwhile()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    // One pass takes everything the window system queued up to now.
    InputDropper dropper;
    app->installEventFilter(&dropper);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    app->removeEventFilter(&dropper);
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
