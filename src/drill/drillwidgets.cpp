#include "drill/drillwidgets.h"

#include "drill/draglabel.h"
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

namespace {
// The glyphs of a CJK font fill an em box from 0.88 em above the baseline to 0.12 em below it.
constexpr double kEmAboveBaseline = 0.88;
} // namespace

TightText::TightText(const QString& text, const QFont& font, qreal width, QPaintDevice* device)
    : layout_(text, font, device)
{
    // A full-width character is one em wide.
    em_ = QFontMetricsF(font, device).horizontalAdvance(QChar(0x56FD));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_.setTextOption(option);
    const int lines = layOut(width);
    // Wrapped text takes its lines as even as they can be ("....献上 / する" would leave a
    // short last line): the narrowest width that keeps the same number of lines.
    if (lines > 1) {
        qreal narrow = width / lines;
        qreal wide = width;
        while (wide - narrow > 0.5) {
            const qreal mid = (narrow + wide) / 2;
            (layOut(mid) > lines ? narrow : wide) = mid;
        }
        layOut(wide);
    }
}

int TightText::layOut(qreal width)
{
    qreal widest = 0;
    layout_.beginLayout();
    for (int i = 0;; ++i) {
        QTextLine line = layout_.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        const qreal baseline = em_ * (kEmAboveBaseline + kLineStep * i);
        line.setPosition(QPointF(0, baseline - line.ascent()));
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout_.endLayout();
    const int lines = layout_.lineCount();
    size_ = QSizeF(widest, lines > 0 ? em_ * (1 + kLineStep * (lines - 1)) : 0);
    return lines;
}

void TightText::draw(QPainter& painter, const QRectF& room, Qt::Alignment alignment) const
{
    qreal top = room.top();
    if (alignment & Qt::AlignVCenter)
        top += (room.height() - size_.height()) / 2;
    else if (alignment & Qt::AlignBottom)
        top += room.height() - size_.height();
    for (int i = 0; i < layout_.lineCount(); ++i) {
        const QTextLine line = layout_.lineAt(i);
        qreal left = room.left();
        if (alignment & Qt::AlignHCenter)
            left += (room.width() - line.naturalTextWidth()) / 2;
        else if (alignment & Qt::AlignRight)
            left += room.width() - line.naturalTextWidth();
        line.draw(&painter, QPointF(left, top));
    }
}

void fitCaption(QLabel* label, const QString& text, double maxPoints, double minPoints, bool bold)
{
    // A caption already fitted to a label of this size keeps its font.
    const QVariant fitted = label->property("fittedSize");
    if (label->text() == text && fitted.isValid() && fitted.toSize() == label->size())
        return;
    if (auto* tight = qobject_cast<DragLabel*>(label); tight && tight->tightLines()) {
        const QRect room = tight->textRoom();
        QFont chosen = platform::captionFont(minPoints, bold);
        std::unique_ptr<TightText> fits;
        for (double pt = maxPoints; pt >= minPoints; pt -= 0.5) {
            const QFont f = platform::captionFont(pt, bold);
            auto laid = std::make_unique<TightText>(text, f, room.width(), label);
            if (laid->size().width() <= room.width() && laid->size().height() <= room.height()) {
                chosen = f;
                fits = std::move(laid);
                break;
            }
        }
        label->setFont(chosen);
        label->setText(text);
        label->setProperty("fittedSize", label->size());
        if (fits)
            tight->keepLayout(std::move(fits), text, chosen);
        return;
    }
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

void fitCaptionWidening(QLabel* label, const QString& text, double maxPoints, double minPoints, int maxWidth, bool bold)
{
    QVariant designWidth = label->property("designWidth");
    if (!designWidth.isValid()) {
        designWidth = label->width();
        label->setProperty("designWidth", designWidth);
    }
    label->resize(designWidth.toInt(), label->height());
    fitCaption(label, text, maxPoints, minPoints, bold);
    // The room the text needs beside the label's frame, margin and indent, with the spare
    // fitCaption keeps.
    const int frame = label->width() - label->contentsRect().width();
    const int need = QFontMetrics(label->font()).horizontalAdvance(text) + frame + std::max(label->indent(), 0) + 6;
    if (need > label->width())
        label->resize(std::min(need, std::max(maxWidth, label->width())), label->height());
}

} // namespace kanameru
