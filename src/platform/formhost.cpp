#include "platform/formhost.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <cmath>

namespace platform {

namespace {

double scaleInUse = 1.0;

// Tab and Shift+Tab go round the form's controls: past the last one to the first again, as
// in a window of its own (the scene alone would keep the focus on the last one).
class FormProxy : public QGraphicsProxyWidget {
protected:
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
        if (watched == form_) {
            switch (event->type()) {
            case QEvent::Show:
                if (!isVisible())
                    show();
                proxy_->setFocus();
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
    if (scaleInUse >= 1.0 || form->parentWidget() || form->graphicsProxyWidget())
        return;
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
