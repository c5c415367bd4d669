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

void DragLabel::setKeyFrames(bool cursor, bool picked)
{
    if (cursor == cursorFrame_ && picked == pickedFrame_)
        return;
    cursorFrame_ = cursor;
    pickedFrame_ = picked;
    update();
}

void DragLabel::paintEvent(QPaintEvent* event)
{
    if (!tightLines_ || text().isEmpty()) {
        QLabel::paintEvent(event);
    } else {
        QPainter p(this);
        drawFrame(&p);
        p.setClipRect(contentsRect());
        p.setPen(palette().color(foregroundRole()));
        const QRect room = textRoom();
        const TightText laid(text(), font(), room.width(), this);
        laid.draw(p, room, alignment());
    }
    if (!cursorFrame_ && !pickedFrame_)
        return;
    QPainter p(this);
    p.setBrush(Qt::NoBrush);
    constexpr int kWidth = 4;
    if (cursorFrame_) {
        p.setPen(QPen(QColor(0x20, 0x20, 0x20), kWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(QRectF(rect()).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
    }
    if (pickedFrame_) {
        const double inset = (cursorFrame_ ? kWidth : 0) + kWidth / 2.0;
        p.setPen(QPen(QColor(0xC0, 0x40, 0x00), kWidth, Qt::DashLine, Qt::FlatCap, Qt::MiterJoin));
        p.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
    }
}

} // namespace kanameru
