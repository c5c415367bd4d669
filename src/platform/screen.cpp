#include "platform/screen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPalette>
#include <QStyleHints>
#include <QThread>
#include <QWidget>
#include <QWindow>

namespace platform {

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

void placeTwips(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
}

QFont captionFont(double pointSize, bool bold)
{
    QFont f(QStringLiteral("Noto Sans CJK JP"));
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont listFont(double pointSize)
{
    QFont f(QStringLiteral("Noto Sans Mono CJK JP"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(pointSize);
    return f;
}

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Button, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void setForeground(QWidget* widget, const QColor& colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    p.setColor(QPalette::ButtonText, colour);
    widget->setPalette(p);
}

QString controlName(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name), QString::number(index));
}

namespace {

int clickPauseOverride = -1;

bool allVisibleWindowsExposed()
{
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget* w : windows) {
        if (w->isVisible() && w->windowHandle() != nullptr && !w->windowHandle()->isExposed())
            return false;
    }
    return true;
}

} // namespace

int doubleClickPause()
{
    if (clickPauseOverride >= 0)
        return clickPauseOverride;
    return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

void setDoubleClickPause(int milliseconds)
{
    clickPauseOverride = milliseconds;
}

void paintScreenNow()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    // A window shown just now is drawn only once the window system has mapped and exposed it.
    constexpr int kMaxWaitMs = 1000;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (allVisibleWindowsExposed() || waited.elapsed() > kMaxWaitMs)
            break;
        QThread::msleep(5);
    }
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->isVisible())
            w->repaint();
    }
    QGuiApplication::sync();
}

} // namespace platform
