#include "drill/draglabel.h"

#include "drill/drillwidgets.h"
#include "platform/screen.h"

#include <QMouseEvent>
#include <QPainter>

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

QRect DragLabel::textRoom() const
{
    const int side = std::max(indent(), 0);
    return contentsRect().adjusted(side, 1, -side, -1);
}

void DragLabel::paintEvent(QPaintEvent* event)
{
    if (!tightLines_ || text().isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    drawFrame(&p);
    p.setClipRect(contentsRect());
    p.setPen(palette().color(foregroundRole()));
    const QRect room = textRoom();
    const TightText laid(text(), font(), room.width(), this);
    laid.draw(p, room, alignment());
}

} // namespace kanameru
