#include "support/formdriver.h"

#include "platform/events.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

namespace testing_support {

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

namespace {
void sendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
{
    const QPointF global = w->mapToGlobal(QPointF(local));
    QMouseEvent ev(type, QPointF(local), global, Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}
} // namespace

void drag(QWidget* from, QPoint fromPoint, QWidget* target, QPoint toPoint)
{
    sendMouse(from, QEvent::MouseButtonPress, fromPoint, Qt::LeftButton);
    const QPoint startGlobal = from->mapToGlobal(fromPoint);
    const QPoint endGlobal = target->mapToGlobal(toPoint);
    constexpr int steps = 8;
    for (int i = 1; i <= steps; ++i) {
        const QPoint g = startGlobal + (endGlobal - startGlobal) * i / steps;
        // While the button is held, the pressed widget receives the moves (mouse grab).
        sendMouse(from, QEvent::MouseMove, from->mapFromGlobal(g), Qt::LeftButton);
    }
    sendMouse(from, QEvent::MouseButtonRelease, from->mapFromGlobal(endGlobal), Qt::NoButton);
    QApplication::processEvents();
}

void drag(QWidget* from, QWidget* target)
{
    drag(from, from->rect().center(), target, target->rect().center());
}

QWidget* topLevel(const QString& objectName)
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget* w : widgets) {
        if (w->objectName() == objectName && w->isVisible())
            return w;
    }
    return nullptr;
}

void closeAllForms()
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget* w : widgets)
        w->close();
    pump();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void pump(int milliseconds)
{
    if (milliseconds <= 0)
        QApplication::processEvents();
    else
        platform::waitLettingEventsRun(milliseconds);
}

} // namespace testing_support
