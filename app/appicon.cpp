#include "appicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kanameru {

namespace {

QColor rgb(unsigned value)
{
    return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

} // namespace

QImage drawAppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 64 x 64 grid and scaled, so every size keeps the same proportions.
    p.scale(size / 64.0, size / 64.0);

    // The tile in the start screen's teal.
    p.setPen(QPen(rgb(0x004848), 1.5));
    p.setBrush(rgb(0x008080));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 11, 11);

    // The year axis: four era bands from top to bottom, with a tick at each border.
    const QColor eras[4] = { rgb(0xF4C27A), rgb(0xA8D88C), rgb(0x9CC3F0), rgb(0xE8A0C8) };
    const double axisLeft = 10, axisWidth = 8, top = 9, bandHeight = 11.5;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(eras[i]);
        p.drawRect(QRectF(axisLeft, top + i * bandHeight, axisWidth, bandHeight));
    }
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(axisLeft + axisWidth + 2, top), QPointF(axisLeft + axisWidth + 2, top + 4 * bandHeight));
    for (int i = 0; i <= 4; ++i) {
        const double y = top + i * bandHeight;
        p.drawLine(QPointF(axisLeft + axisWidth + 0.5, y), QPointF(axisLeft + axisWidth + 4, y));
    }

    // Five event cards in chronological order: the judged ones green, the one in hand yellow,
    // a wrong one red, the last still white.
    const QColor cards[5] = { rgb(0x00FF00), rgb(0x00FF00), rgb(0xFF0000), rgb(0xFFFF00), rgb(0xFFFFFF) };
    const double cardLeft = 25, cardWidth = 30, cardHeight = 7, gap = 2.2;
    for (int i = 0; i < 5; ++i) {
        const double y = top + 0.5 + i * (cardHeight + gap);
        const double shift = i == 3 ? 3 : 0; // the card being dragged stands out a little
        p.setPen(QPen(rgb(0x203040), 1));
        p.setBrush(cards[i]);
        p.drawRoundedRect(QRectF(cardLeft + shift, y, cardWidth, cardHeight), 1.8, 1.8);
        // A line of "text" on each card.
        p.setPen(QPen(rgb(0x405060), 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(cardLeft + shift + 4, y + cardHeight / 2),
            QPointF(cardLeft + shift + 4 + (i % 2 ? 14 : 20), y + cardHeight / 2));
    }
    return image;
}

QIcon appIcon()
{
    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addPixmap(QPixmap::fromImage(drawAppIcon(size)));
    return icon;
}

} // namespace kanameru
