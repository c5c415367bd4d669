#include "platform/formhost.h"

#include "platform/drawnaccessible.h"
#include "platform/screenfit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {

double scaleInUse = 1.0;

// Where the program's windows stand: the window that last had the keyboard is the one a new
// window comes from, and its frame tells what the window manager adds around a window (nothing
// without a window manager). Only windows of their own count: a form in a host is the host's.
class WindowPlaces : public QObject {
public:
    static WindowPlaces* current()
    {
        static QPointer<WindowPlaces> places;
        if (!places && qobject_cast<QApplication*>(QCoreApplication::instance())) {
            places = new WindowPlaces;
            places->setParent(qApp);
            qApp->installEventFilter(places);
        }
        return places;
    }
    // The frame of the window a newcomer comes from; invalid before the program's first window.
    QRect origin(const QWidget* newcomer) const
    {
        if (last_ && last_ != newcomer && last_->isVisible())
            return last_->frameGeometry();
        return lastFrame_;
    }
    // What the frame adds to the window's size.
    QSize frame(const QWidget* window) const
    {
        if (window->isVisible() && window->frameGeometry() != window->geometry())
            return window->frameGeometry().size() - window->size();
        if (frameKnown_)
            return frame_;
        return QSize(static_cast<int>(kFrameWidth), static_cast<int>(kFrameHeight));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        const Qt::WindowType type = window->windowType();
        if (!window->isWindow() || (type != Qt::Window && type != Qt::Dialog) || window->graphicsProxyWidget())
            return false;
        if (event->type() == QEvent::WindowActivate)
            last_ = window;
        if (window == last_ && window->isVisible()
            && (event->type() == QEvent::WindowActivate || event->type() == QEvent::Move
                || event->type() == QEvent::Resize)) {
            lastFrame_ = window->frameGeometry();
            frame_ = lastFrame_.size() - window->size();
            frameKnown_ = true;
        }
        return false;
    }

private:
    QPointer<QWidget> last_;
    QRect lastFrame_;
    QSize frame_;
    bool frameKnown_ = false;
};

// Places a window as it is shown: centred on the window it comes from (the program's first one
// in the middle of the available area of its screen, the screen less the panels), unless its
// program placed it itself, and in any case wholly within the available area, frame included.
void placeWindow(QWidget* window)
{
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const WindowPlaces* places = WindowPlaces::current();
    const QSize frame
        = places ? places->frame(window) : QSize(static_cast<int>(kFrameWidth), static_cast<int>(kFrameHeight));
    QRect outer(window->pos(), window->size() + frame);
    if (!window->testAttribute(Qt::WA_Moved)) {
        QRect from = places ? places->origin(window) : QRect();
        if (!from.isValid() || !area.intersects(from))
            from = area;
        outer.moveCenter(from.center());
    }
    // Larger than the area: its top left corner stays in sight.
    outer.moveLeft(std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width())));
    outer.moveTop(std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height())));
    window->move(outer.topLeft());
}

// Brings a window that is being shown to the front with the keyboard (a backdrop that must not
// take it excepted): without a window manager no window gets the keyboard unless it asks.
void takeTheFront(QWidget* window)
{
    if (window->testAttribute(Qt::WA_ShowWithoutActivating))
        return;
    window->raise();
    window->activateWindow();
}

// A form of its own window comes to the front with the keyboard each time it is shown.
class Fronting : public QObject {
public:
    explicit Fronting(QWidget* form)
        : QObject(form)
    {
        form->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched == parent()) {
            auto* form = static_cast<QWidget*>(watched);
            if (form->isWindow() && !form->graphicsProxyWidget())
                takeTheFront(form);
        }
        return false;
    }
};

// Tab and Shift+Tab go round the form's controls: past the last one to the first again, as
// in a window of its own (the scene alone would keep the focus on the last one).
class FormProxy : public QGraphicsProxyWidget {
protected:
    // The first Tab on a form none of whose controls has had the focus yet goes to its first
    // control (the proxy would hand the key to no one).
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && widget() && !widget()->focusWidget()) {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
            if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
                event->accept();
                return true;
            }
        }
        return QGraphicsProxyWidget::event(event);
    }
    bool focusNextPrevChild(bool next) override
    {
        if (QGraphicsProxyWidget::focusNextPrevChild(next))
            return true;
        QWidget* form = widget();
        if (!form)
            return false;
        for (QWidget* w = step(form, next); w && w != form; w = step(w, next)) {
            if (w->isVisibleTo(form) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
                w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                return true;
            }
        }
        return false;
    }

private:
    static QWidget* step(QWidget* w, bool next) { return next ? w->nextInFocusChain() : w->previousInFocusChain(); }
};

class FormHost : public QGraphicsView {
public:
    FormHost(QWidget* form, double scale)
        : form_(form)
    {
        setObjectName(form->objectName() + QStringLiteral("_host"));
        setAttribute(Qt::WA_DeleteOnClose, false);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // Without antialiasing the edges of neighbouring controls meet on whole pixels, without seams.
        setRenderHints(QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        auto* scene = new QGraphicsScene(this);
        const QSize design = form->size();
        scene->setSceneRect(0, 0, design.width(), design.height());
        setScene(scene);
        const bool shown = form->isVisible();
        proxy_ = new FormProxy;
        proxy_->setWidget(form);
        scene->addItem(proxy_);
        // Embedding shows the form in the scene; it is to show when its own code says so.
        if (!shown)
            form->hide();
        setTransform(QTransform::fromScale(scale, scale));
        setFixedSize(
            static_cast<int>(std::ceil(design.width() * scale)), static_cast<int>(std::ceil(design.height() * scale)));
        setWindowTitle(form->windowTitle());
        setWindowIcon(form->windowIcon());
        // A dialog stays a dialog of its own to the window manager, modal as it is.
        if (form->windowType() == Qt::Dialog) {
            setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
            setWindowModality(form->windowModality() == Qt::NonModal ? Qt::ApplicationModal : form->windowModality());
        }
        setPalette(form->palette());
        setAttribute(Qt::WA_ShowWithoutActivating, form->testAttribute(Qt::WA_ShowWithoutActivating));
        form->installEventFilter(this);
        qApp->installEventFilter(this);
        QObject::connect(form, &QObject::destroyed, this, &QObject::deleteLater);
    }
    QWidget* form() const { return form_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A menu that pops up from the form is drawn in the scene too, where it would take the
        // form's colours and its window's background would not be painted; it keeps the
        // colours of a menu and fills its background itself.
        if (event->type() == QEvent::Show && watched != form_) {
            auto* menu = qobject_cast<QMenu*>(watched);
            if (menu && form_ && menu->parentWidget() && menu->parentWidget()->window() == form_
                && !menu->autoFillBackground()) {
                QPalette own = QApplication::palette(menu);
                own.setResolveMask(~QPalette::ResolveMask(0)); // every colour its own, none inherited
                menu->setPalette(own);
                menu->setAutoFillBackground(true);
            }
        }
        if (giveBackFocusAfterMenus(watched, event))
            return true;
        if (watched == form_) {
            switch (event->type()) {
            case QEvent::Show:
                // A dialog places itself as it is shown; in the scene it stays at the origin,
                // in the host's view (the host is placed instead).
                if (form_->pos() != QPoint(0, 0))
                    form_->move(0, 0);
                // Shown through a hand-over: the window comes where the pupil sees it whole,
                // and takes the keyboard (unless it is a backdrop that must not).
                if (!isVisible()) {
                    placeWindow(this);
                    show();
                }
                takeTheFront(this);
                takeKeyboard();
                break;
            case QEvent::Hide:
                hide();
                break;
            case QEvent::WindowTitleChange:
                setWindowTitle(form_->windowTitle());
                break;
            case QEvent::WindowIconChange:
                setWindowIcon(form_->windowIcon());
                break;
            default:
                break;
            }
        }
        return QGraphicsView::eventFilter(watched, event);
    }
    // Whenever the window gets the keyboard, the form in it has it: the scene gives it to the
    // form's item and the form to its control that last had it (or, as a window does, keeps it
    // for the first Tab). Without this a window that the window manager activates after the
    // form was shown would keep the keys to itself.
    void focusInEvent(QFocusEvent* event) override
    {
        QGraphicsView::focusInEvent(event);
        takeKeyboard();
    }
    bool event(QEvent* event) override
    {
        const bool handled = QGraphicsView::event(event);
        if (event->type() == QEvent::WindowActivate) {
            // Once the activation has been delivered everywhere (the window that had the keyboard
            // may give it up only afterwards), the keyboard comes to this window's form.
            QTimer::singleShot(0, this, [this] {
                if (isActiveWindow())
                    takeKeyboard();
            });
        }
        return handled;
    }
    void takeKeyboard()
    {
        if (!form_ || !form_->isVisible())
            return;
        if (isActiveWindow() && !hasFocus() && !isAncestorOf(QApplication::focusWidget()))
            setFocus(Qt::ActiveWindowFocusReason);
        if (isActiveWindow() && !scene()->hasFocus())
            scene()->setFocus(Qt::ActiveWindowFocusReason);
        if (!proxy_->hasFocus())
            proxy_->setFocus(Qt::ActiveWindowFocusReason);
        if (QWidget* control = form_->focusWidget(); control && proxy_->hasFocus() && !control->hasFocus())
            control->setFocus(Qt::ActiveWindowFocusReason);
    }
    // The form's menu bar, reached by its keys, hands the keyboard back when it is left (by
    // Escape, or once a menu has done its work) to the control that had it, as it does in a
    // window of its own; in the scene it would not know that control and keep the keys.
    // Returns true for a key that it has passed on to that control.
    bool giveBackFocusAfterMenus(QObject* watched, QEvent* event)
    {
        if (!form_ || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() != form_)
            return false;
        auto* menuBar = qobject_cast<QMenuBar*>(widget);
        if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(event)->reason() == Qt::MenuBarFocusReason
            && !menuBar) {
            beforeMenus_ = widget;
            return false;
        }
        if (!menuBar && qobject_cast<QMenu*>(widget))
            menuBar = qobject_cast<QMenuBar*>(widget->parentWidget());
        if (!menuBar || !beforeMenus_)
            return false;
        const auto idle
            = [bar = QPointer<QMenuBar>(menuBar)] { return bar && bar->hasFocus() && !bar->activeAction(); };
        if (event->type() == QEvent::KeyPress && widget == menuBar && idle() && beforeMenus_->isVisible()) {
            // Left already: the key is the control's.
            QPointer<QWidget> control = beforeMenus_;
            control->setFocus(Qt::MenuBarFocusReason);
            QCoreApplication::sendEvent(control, event);
            return true;
        }
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::Hide || event->type() == QEvent::FocusIn) {
            QTimer::singleShot(0, this, [this, idle] {
                if (idle() && beforeMenus_ && beforeMenus_->isVisible())
                    beforeMenus_->setFocus(Qt::MenuBarFocusReason);
            });
        }
        return false;
    }

    // The close box closes the form, which decides; the host goes with it.
    void closeEvent(QCloseEvent* event) override
    {
        if (form_ && form_->isVisible())
            form_->close();
        event->setAccepted(!form_ || !form_->isVisible());
    }

private:
    QPointer<QWidget> form_;
    QGraphicsProxyWidget* proxy_ = nullptr;
    QPointer<QWidget> beforeMenus_; // had the keyboard before the menu bar took it
};

} // namespace

double formScale()
{
    return scaleInUse;
}

void setFormScale(double scale)
{
    scaleInUse = scale > 0.0 && scale < 1.0 ? scale : 1.0;
}

void fitForm(QWidget* form)
{
    if (form->parentWidget() || form->graphicsProxyWidget())
        return;
    WindowPlaces::current();
    if (scaleInUse >= 1.0) {
        // Placed before its window is made, so that the window manager puts the frame where it
        // is asked to (a pupil who moves it later keeps it where he put it).
        placeWindow(form);
        new Fronting(form);
        return;
    }
    reportDrawnRectangles();
    new FormHost(form, scaleInUse);
}

QWidget* windowOf(QWidget* form)
{
    if (QGraphicsProxyWidget* proxy = form->graphicsProxyWidget()) {
        if (proxy->scene() && !proxy->scene()->views().isEmpty())
            return proxy->scene()->views().first();
    }
    return form;
}

bool repaintHost(QWidget* window)
{
    auto* host = dynamic_cast<FormHost*>(window);
    if (!host)
        return false;
    host->viewport()->repaint();
    return true;
}

void paintChangesNow(QWidget* form)
{
    QWidget* window = windowOf(form);
    if (auto* host = dynamic_cast<FormHost*>(window)) {
        // The form's changes go to its proxy, the proxy's to the scene, the scene's to the host.
        QCoreApplication::sendPostedEvents(form, QEvent::UpdateRequest);
        QCoreApplication::sendPostedEvents(host->scene(), QEvent::MetaCall);
    }
    QCoreApplication::sendPostedEvents(window, QEvent::UpdateRequest);
}

} // namespace platform
