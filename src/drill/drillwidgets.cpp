#include "drill/drillwidgets.h"

#include "platform/screen.h"

#include <QLabel>
#include <QPainter>
#include <QVariant>
#include <algorithm>

namespace kanameru {

YearAxis::YearAxis(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture1"));
    platform::setBackground(this, Qt::white);
}

int YearAxis::gridLine(int k) const
{
    return static_cast<int>(k * 0.05 * height());
}

void YearAxis::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(QPen(platform::rgb(0x808080), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const int w = width();
    const int h = height();
    p.setPen(QPen(Qt::black, 1));
    for (int k = 1; k <= 20; ++k)
        p.drawLine(0, gridLine(k), w, gridLine(k));
    p.setPen(QPen(Qt::black, 2));
    for (int k = 1; k <= 4; ++k)
        p.drawLine(0, static_cast<int>(k * 0.25 * h), w, static_cast<int>(k * 0.25 * h));
    p.setPen(QPen(Qt::black, 4));
    p.drawLine(0, h / 2, w, h / 2);
}

WorkArea::WorkArea(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture2"));
}

void WorkArea::eraseDrawings()
{
    lines_.clear();
    update();
}

void WorkArea::drawLine(QLine line)
{
    lines_.push_back(line);
    update();
}

void WorkArea::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(platform::rgb(0xC00000), 2));
    for (const QLine& l : lines_)
        p.drawLine(l);
}

void fitCaption(QLabel* label, const QString& text, double maxPoints, double minPoints, bool bold)
{
    // A caption already fitted to a label of this size keeps its font.
    const QVariant fitted = label->property("fittedSize");
    if (label->text() == text && fitted.isValid() && fitted.toSize() == label->size())
        return;
    // The room the label lays its text out in: inside its frame and margin, less the indent,
    // with a little to spare for the difference between measuring and laying out.
    const QRect inside = label->contentsRect();
    const QRect room(0, 0, inside.width() - std::max(label->indent(), 0) - 6, inside.height() - 2);
    const int flags = static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    QFont chosen = platform::captionFont(minPoints, bold);
    for (double pt = maxPoints; pt >= minPoints; pt -= 0.5) {
        const QFont f = platform::captionFont(pt, bold);
        const QRect need = QFontMetrics(f).boundingRect(room, flags, text);
        if (need.width() <= room.width() && need.height() <= room.height()) {
            chosen = f;
            break;
        }
    }
    label->setFont(chosen);
    label->setText(text);
    label->setProperty("fittedSize", label->size());
}

} // namespace kanameru
