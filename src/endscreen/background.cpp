#include "endscreen/background.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace kanameru {

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// A soft ridge line across the picture, from a few overlapping waves.
QPainterPath ridge(double base, double height, double phase, double length)
{
    QPainterPath path;
    path.moveTo(0, kHeight);
    for (int x = 0; x <= kWidth; x += 8) {
        const double y = base
            - height
                * (0.55 * std::sin(x / length + phase) + 0.3 * std::sin(x / (length * 0.43) + phase * 2.1)
                    + 0.15 * std::sin(x / (length * 0.19) + phase * 0.7));
        path.lineTo(x, y);
    }
    path.lineTo(kWidth, kHeight);
    path.closeSubpath();
    return path;
}

// Rows of overlapping arcs (seigaiha), the old pattern of quiet waves.
void drawWaves(QPainter& p, int top)
{
    const int r = 34;
    QPen pen(QColor(255, 255, 255, 120), 1.6);
    p.setBrush(Qt::NoBrush);
    int row = 0;
    for (int y = top; y < kHeight + r; y += r / 2, ++row) {
        const int shift = (row % 2) * r;
        for (int x = -2 * r + shift; x < kWidth + 2 * r; x += 2 * r) {
            for (int ring = 0; ring < 3; ++ring) {
                const int rr = r - ring * 10;
                const QRect box(x - rr, y - rr, 2 * rr, 2 * rr);
                p.setPen(Qt::NoPen);
                if (ring == 0) {
                    p.setBrush(QColor(88, 141, 150));
                    p.drawPie(box, 0, 180 * 16);
                    p.setBrush(Qt::NoBrush);
                }
                p.setPen(pen);
                p.drawArc(box, 0, 180 * 16);
            }
        }
    }
}

QImage paint()
{
    QImage picture(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    // Morning sky: pale blue above, warm cream at the horizon.
    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0.0, QColor(0xcf, 0xe3, 0xef));
    sky.setColorAt(0.55, QColor(0xee, 0xf0, 0xe6));
    sky.setColorAt(1.0, QColor(0xf6, 0xe8, 0xd2));
    p.fillRect(picture.rect(), sky);

    // A low sun with its glow, to the right of the card.
    const QPointF sun(962, 132);
    QRadialGradient glow(sun, 170);
    glow.setColorAt(0.0, QColor(255, 236, 200, 220));
    glow.setColorAt(0.35, QColor(255, 228, 190, 100));
    glow.setColorAt(1.0, QColor(255, 228, 190, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(sun, 170, 170);
    p.setBrush(QColor(0xf8, 0xc9, 0x8e));
    p.drawEllipse(sun, 38, 38);

    // Far hills fading into the haze, nearer ones darker.
    p.setBrush(QColor(0xa9, 0xc3, 0xc9, 170));
    p.drawPath(ridge(470, 70, 0.6, 130));
    p.setBrush(QColor(0x87, 0xac, 0xae, 200));
    p.drawPath(ridge(540, 55, 2.2, 110));
    p.setBrush(QColor(0x6a, 0x97, 0x97, 230));
    p.drawPath(ridge(610, 40, 4.0, 95));

    drawWaves(p, 660);

    // The paper card for the labels.
    const QRect card = endScreenCard();
    p.setBrush(QColor(0, 40, 60, 40));
    p.drawRoundedRect(card.translated(0, 5), 22, 22);
    p.setBrush(QColor(255, 253, 247, 228));
    p.setPen(QPen(QColor(0xb8, 0x9a, 0x6a), 2));
    p.drawRoundedRect(card, 22, 22);
    p.setPen(QPen(QColor(0xd8, 0xc4, 0xa0), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(card.adjusted(8, 8, -8, -8), 16, 16);
    return picture;
}

} // namespace

QRect endScreenCard()
{
    return QRect(132, 24, 760, 628);
}

QPixmap endScreenBackground()
{
    // Painted once; kept as an image, which outlives the application safely.
    static const QImage picture = paint();
    return QPixmap::fromImage(picture);
}

} // namespace kanameru
