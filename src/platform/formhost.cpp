#include "platform/formhost.h"

#include <QCloseEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPointer>
#include <QWidget>
#include <cmath>

namespace platform {

namespace {

double scaleInUse = 1.0;

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
        setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        auto* scene = new QGraphicsScene(this);
        const QSize design = form->size();
        scene->setSceneRect(0, 0, design.width(), design.height());
        setScene(scene);
        const bool shown = form->isVisible();
        proxy_ = scene->addWidget(form);
        // Embedding shows the form in the scene; it is to show when its own code says so.
        if (!shown)
            form->hide();
        setTransform(QTransform::fromScale(scale, scale));
        setFixedSize(static_cast<int>(std::ceil(design.width() * scale)),
            static_cast<int>(std::ceil(design.height() * scale)));
        setWindowTitle(form->windowTitle());
        setWindowIcon(form->windowIcon());
        setPalette(form->palette());
        setAttribute(Qt::WA_ShowWithoutActivating, form->testAttribute(Qt::WA_ShowWithoutActivating));
        form->installEventFilter(this);
        QObject::connect(form, &QObject::destroyed, this, &QObject::deleteLater);
    }
    QWidget* form() const { return form_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
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

} // namespace platform
