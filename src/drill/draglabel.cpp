#include "drill/draglabel.h"

#include "platform/screen.h"

#include <QMouseEvent>

namespace kanameru {

DragLabel::DragLabel(const char* name, int index, QWidget* parent)
    : QLabel(parent)
    , index_(index)
{
    setObjectName(platform::controlName(name, index));
}

void DragLabel::mousePressEvent(QMouseEvent* event)
{
    if (dragging_ || !mayStart || !mayStart(index_)) {
        QLabel::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    home_ = geometry();
    grabOffset_ = event->position().toPoint();
    raise();
    setCursor(Qt::ClosedHandCursor);
    event->accept();
}

void DragLabel::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_) {
        QLabel::mouseMoveEvent(event);
        return;
    }
    const QPoint inParent = parentWidget()->mapFromGlobal(event->globalPosition().toPoint());
    move(inParent - grabOffset_);
    event->accept();
}

void DragLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (!dragging_) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    setGeometry(home_);
    unsetCursor();
    event->accept();
    if (dropped)
        dropped(index_, event->globalPosition().toPoint());
}

} // namespace kanameru
