#include "platform/inputgate.h"

#include "platform/formhost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSet>
#include <QWidget>
#include <vector>

namespace platform {

namespace {

int settleOverride = -1;

struct Gate {
    QPointer<QWidget> form;
    bool held = true;
    QElapsedTimer since; // settled since
};

struct Spot {
    QPointer<QWidget> button;
    QElapsedTimer since; // appeared since
};

bool pressesButtons(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space;
}

bool isOn(const QWidget* window, const QWidget* form)
{
    return form && (window == form || window == windowOf(const_cast<QWidget*>(form)));
}

// Watches the whole program's keys and clicks, and drops those the gates and spots hold back.
// A release goes the way its press went, so a button never stays down and a release alone never
// clicks.
class InputGate : public QObject {
public:
    static InputGate* current()
    {
        static QPointer<InputGate> gate;
        if (!gate && qobject_cast<QApplication*>(QCoreApplication::instance())) {
            gate = new InputGate;
            gate->setParent(qApp);
            qApp->installEventFilter(gate);
        }
        return gate;
    }

    Gate& gateOf(QWidget* form)
    {
        forget();
        for (Gate& gate : gates_) {
            if (gate.form == form)
                return gate;
        }
        gates_.push_back(Gate { form, true, {} });
        return gates_.back();
    }
    bool settling(const QWidget* button) const
    {
        for (const Spot& spot : spots_) {
            if (spot.button == button && spot.since.elapsed() < settleMilliseconds())
                return true;
        }
        return false;
    }
    const Gate* findGate(const QWidget* form) const
    {
        for (const Gate& gate : gates_) {
            if (gate.form == form)
                return &gate;
        }
        return nullptr;
    }
    void addSpot(QWidget* button)
    {
        forget();
        std::erase_if(spots_, [button](const Spot& spot) { return spot.button == button; });
        spots_.push_back(Spot { button, {} });
        spots_.back().since.start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        switch (type) {
        case QEvent::KeyRelease:
            return static_cast<QKeyEvent*>(event)->isAutoRepeat()
                ? droppedKeys_.contains(static_cast<QKeyEvent*>(event)->key())
                : droppedKeys_.remove(static_cast<QKeyEvent*>(event)->key());
        case QEvent::MouseButtonRelease: {
            const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
            const bool dropped = droppedButtons_.testFlag(button);
            droppedButtons_.setFlag(button, false);
            return dropped;
        }
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            break;
        default:
            return false;
        }
        if (!watched->isWidgetType() || !holdsBack(static_cast<QWidget*>(watched)->window(), event))
            return false;
        if (type == QEvent::ShortcutOverride) {
            // Claimed, so that no access key or shortcut fires; the key itself comes next.
            event->accept();
        } else if (type == QEvent::KeyPress) {
            droppedKeys_.insert(static_cast<QKeyEvent*>(event)->key());
        } else if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
            droppedButtons_.setFlag(static_cast<QMouseEvent*>(event)->button());
        }
        return true;
    }

private:
    bool holdsBack(const QWidget* window, QEvent* event) const
    {
        const int settle = settleMilliseconds();
        for (const Gate& gate : gates_) {
            if (isOn(window, gate.form) && (gate.held || gate.since.elapsed() < settle))
                return true;
        }
        for (const Spot& spot : spots_) {
            QWidget* button = spot.button;
            if (!button || !button->isVisible() || spot.since.elapsed() >= settle || !isOn(window, button->window()))
                continue;
            if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
                if (pressesButtons(static_cast<QKeyEvent*>(event)))
                    return true;
            } else if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
                const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
                const QPoint topLeft = button->mapToGlobal(QPoint(0, 0));
                const QPoint end = button->mapToGlobal(QPoint(button->width(), button->height()));
                if (QRect(topLeft, end - QPoint(1, 1)).contains(at))
                    return true;
            }
        }
        return false;
    }
    // Drops what holds nothing back any more.
    void forget()
    {
        const int settle = settleMilliseconds();
        std::erase_if(gates_,
            [settle](const Gate& gate) { return !gate.form || (!gate.held && gate.since.elapsed() >= settle); });
        std::erase_if(spots_, [settle](const Spot& spot) { return !spot.button || spot.since.elapsed() >= settle; });
    }

    std::vector<Gate> gates_;
    std::vector<Spot> spots_;
    QSet<int> droppedKeys_;
    Qt::MouseButtons droppedButtons_;
};

} // namespace

int settleMilliseconds()
{
    return settleOverride >= 0 ? settleOverride : kSettleMilliseconds;
}

void setSettleMilliseconds(int milliseconds)
{
    settleOverride = milliseconds;
}

void holdInput(QWidget* form)
{
    if (InputGate* gate = InputGate::current(); gate && form)
        gate->gateOf(form).held = true;
}

void settleInput(QWidget* form)
{
    if (InputGate* gate = InputGate::current(); gate && form) {
        Gate& held = gate->gateOf(form);
        held.held = false;
        held.since.start();
    }
}

void settleSpot(QWidget* button)
{
    if (InputGate* gate = InputGate::current(); gate && button)
        gate->addSpot(button);
}

bool takesInput(const QWidget* form)
{
    InputGate* gate = InputGate::current();
    const Gate* held = gate ? gate->findGate(form) : nullptr;
    return !held || (!held->held && held->since.elapsed() >= settleMilliseconds());
}

bool takesClicksOn(const QWidget* control)
{
    InputGate* gate = InputGate::current();
    return takesInput(control->window()) && !(gate && gate->settling(control));
}

} // namespace platform
