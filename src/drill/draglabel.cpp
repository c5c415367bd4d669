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

DragLabel::~DragLabel() = default;

void DragLabel::keepLayout(std::unique_ptr<TightText> laid, const QString& text, const QFont& font)
{
    laid_ = std::move(laid);
    laidText_ = text;
    laidFont_ = font;
    laidWidth_ = textRoom().width();
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

namespace {

constexpr int kFrameWidth = 3;

// The band around a label that shows the keyboard cursor and the label picked up.
class KeyFrame : public QWidget {
public:
    explicit KeyFrame(QWidget* parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("keyFrame"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }
    bool cursor = false;
    bool picked = false;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRectF band
            = QRectF(rect()).adjusted(kFrameWidth / 2.0, kFrameWidth / 2.0, -kFrameWidth / 2.0, -kFrameWidth / 2.0);
        if (cursor) {
            p.setPen(QPen(QColor(0x20, 0x20, 0x20), kFrameWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            p.drawRect(band);
        }
        if (picked) {
            p.setPen(QPen(QColor(0xD2, 0x5A, 0x00), kFrameWidth, Qt::DashLine, Qt::FlatCap, Qt::MiterJoin));
            p.drawRect(band);
        }
    }
};

} // namespace

void DragLabel::setKeyFrames(bool cursor, bool picked)
{
    cursorFrame_ = cursor;
    pickedFrame_ = picked;
    if (!frame_ && (cursor || picked) && parentWidget())
        frame_ = new KeyFrame(parentWidget());
    if (!frame_)
        return;
    auto* f = static_cast<KeyFrame*>(frame_);
    f->cursor = cursor;
    f->picked = picked;
    const QRect home = dragging_ ? home_ : geometry();
    f->setGeometry(home.adjusted(-kFrameWidth, -kFrameWidth, kFrameWidth, kFrameWidth));
    f->setVisible((cursor || picked) && isVisible());
    f->raise();
    f->update();
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
    if (!laid_ || laidWidth_ != room.width() || laidText_ != text() || laidFont_ != font())
        keepLayout(std::make_unique<TightText>(text(), font(), room.width(), this), text(), font());
    laid_->draw(p, room, alignment());
}

} // namespace kanameru
