#include "platform/screen.h"

#include "platform/drawnaccessible.h"
#include "platform/formhost.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
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

bool allVisibleWindowsExposed()
{
    const auto windows = QApplication::topLevelWidgets();
    for (const QWidget* w : windows) {
        // A form drawn by its host has no window of its own to expose.
        if (w->isVisible() && !w->graphicsProxyWidget() && w->windowHandle() != nullptr
            && !w->windowHandle()->isExposed())
            return false;
    }
    return true;
}

} // namespace

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
        if (w->isVisible() && !w->graphicsProxyWidget() && !repaintHost(w))
            w->repaint();
    }
    QGuiApplication::sync();
}

namespace {

constexpr int kRingWidth = 3;

// The frame around the control that has the keyboard focus. It lies above the control's
// siblings, takes no clicks and paints only the band just outside the control.
class FocusRing : public QWidget {
public:
    explicit FocusRing(QWidget* form)
        : QWidget(form)
        , form_(form)
    {
        setObjectName(QStringLiteral("focusRing"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            // The host's window taking the focus hands it on to the form's control.
            if (now == nullptr || now != windowOf(form_) || now == form_)
                follow(now);
        });
        // In a form drawn by its host the application's focus stays on the host's window; the
        // form's controls still get their focus events.
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn && watched->isWidgetType() && watched != target_
            && form_->graphicsProxyWidget()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->window() == form_)
                follow(widget);
        } else if (watched == target_) {
            switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::EnabledChange:
                place();
                break;
            default:
                break;
            }
        }
        return false;
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xD2, 0x5A, 0x00));
        const QRect r = rect();
        p.drawRect(0, 0, r.width(), kRingWidth);
        p.drawRect(0, r.height() - kRingWidth, r.width(), kRingWidth);
        p.drawRect(0, 0, kRingWidth, r.height());
        p.drawRect(r.width() - kRingWidth, 0, kRingWidth, r.height());
    }

private:
    void follow(QWidget* now)
    {
        target_ = nullptr;
        if (now && now != form_ && now->window() == form_)
            target_ = now;
        place();
    }
    void place()
    {
        if (!target_ || !target_->isVisible()) {
            hide();
            return;
        }
        const QRect onForm(target_->mapTo(form_, QPoint(0, 0)), target_->size());
        setGeometry(onForm.adjusted(-kRingWidth, -kRingWidth, kRingWidth, kRingWidth));
        raise();
        show();
        update();
    }

    QWidget* form_;
    QPointer<QWidget> target_;
};

// The label of the same parent that stands just left of or above a control.
QLabel* labelBeside(QWidget* control)
{
    QWidget* parent = control->parentWidget();
    if (!parent)
        return nullptr;
    const QRect c = control->geometry();
    QLabel* best = nullptr;
    int bestDistance = 0;
    for (QLabel* label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (label->text().trimmed().isEmpty())
            continue;
        const QRect l = label->geometry();
        int distance = -1;
        if (l.right() < c.left() && l.bottom() >= c.top() && l.top() <= c.bottom())
            distance = c.left() - l.right();
        else if (l.bottom() < c.top() && l.right() >= c.left() && l.left() <= c.right())
            distance = c.top() - l.bottom();
        if (distance >= 0 && distance < 80 && (!best || distance < bestDistance)) {
            best = label;
            bestDistance = distance;
        }
    }
    return best;
}

// Labels show their text as it is written: a label made after its form was readied takes
// plain text too, when it is first polished for showing.
class PlainLabels : public QObject {
public:
    static constexpr const char* kFormProperty = "kanameruPlainLabels";
    static void watch()
    {
        static QPointer<PlainLabels> filter;
        if (!filter) {
            filter = new PlainLabels;
            filter->setParent(qApp);
            qApp->installEventFilter(filter);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Polish) {
            auto* label = qobject_cast<QLabel*>(watched);
            if (label && label->window()->property(kFormProperty).toBool())
                label->setTextFormat(Qt::PlainText);
        }
        return false;
    }
};

} // namespace

void prepareControls(QWidget* form)
{
    // Before any control is asked for its name: every control of a form drawn smaller answers
    // screen readers with where it is drawn.
    reportDrawnRectangles();
    // Names, grade labels, the school's name, titles and events come from files or from what a
    // pupil typed: never taken for HTML (a name "<img src=...>" would load a picture).
    form->setProperty(PlainLabels::kFormProperty, true);
    for (QLabel* label : form->findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    PlainLabels::watch();
    if (!form->findChild<QWidget*>(QStringLiteral("focusRing"), Qt::FindDirectChildrenOnly))
        new FocusRing(form);
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (auto* button = qobject_cast<QPushButton*>(w))
            button->setAutoDefault(true);
        // What a pupil can reach with the keyboard needs a name of its own.
        if (w->focusPolicy() == Qt::NoFocus || !w->accessibleName().isEmpty() || !spokenName(w).isEmpty())
            continue;
        if (!w->toolTip().isEmpty()) {
            w->setAccessibleName(w->toolTip());
        } else if (QLabel* beside = labelBeside(w)) {
            w->setAccessibleName(beside->text().simplified());
        }
    }
}

QString spokenName(QWidget* widget)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget);
    return a ? a->text(QAccessible::Name).trimmed() : QString();
}

} // namespace platform
