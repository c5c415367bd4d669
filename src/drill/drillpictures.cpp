#include "drill/drillpictures.h"

#include "platform/screen.h"

#include <QPainter>
#include <QPainterPath>

namespace kanameru {

namespace {

QPixmap blankPicture(QColor top, QColor bottom)
{
    QPixmap pm(kPhasePictureWidth, kPhasePictureHeight);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, kPhasePictureHeight);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.setPen(QPen(platform::rgb(0x8B6F47), 2));
    p.drawRoundedRect(QRectF(1, 1, kPhasePictureWidth - 2, kPhasePictureHeight - 2), 10, 10);
    return pm;
}

// A filled arrow head at `tip` pointing in direction (dx, dy).
void arrowHead(QPainter& p, QPointF tip, QPointF direction, double size)
{
    const double len = std::hypot(direction.x(), direction.y());
    const QPointF d = direction / len;
    const QPointF n(-d.y(), d.x());
    QPolygonF head;
    head << tip << tip - d * size + n * size * 0.6 << tip - d * size - n * size * 0.6;
    p.drawPolygon(head);
}

void sealCharacter(QPainter& p, QPointF centre, const QString& character, QColor colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(centre, 24, 24);
    p.setPen(Qt::white);
    QFont f = platform::captionFont(20, true);
    p.setFont(f);
    p.drawText(QRectF(centre.x() - 24, centre.y() - 24, 48, 48), Qt::AlignCenter, character);
}

} // namespace

QPixmap explanationPicture()
{
    QPixmap pm = blankPicture(platform::rgb(0xFFF4D6), platform::rgb(0xF3DDB0));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    sealCharacter(p, QPointF(41, 36), QStringLiteral("説"), platform::rgb(0xB03A2E));

    // Five pairs: an event card (left) and its explanation slip (right), two slips crossing.
    const QColor card = platform::rgb(0xFFFFFF);
    const QColor slip = platform::rgb(0xFFF066);
    for (int i = 0; i < 5; ++i) {
        const double top = 78 + i * 60;
        p.setPen(QPen(platform::rgb(0x6B5B45), 1));
        p.setBrush(card);
        p.drawRoundedRect(QRectF(8, top, 30, 22), 3, 3);
        p.setBrush(slip);
        p.drawRoundedRect(QRectF(44, top + 8, 30, 22), 3, 3);
        p.setPen(QPen(platform::rgb(0x9A8C78), 1));
        for (int l = 0; l < 3; ++l) {
            p.drawLine(QPointF(12, top + 6 + l * 5), QPointF(34, top + 6 + l * 5));
            p.drawLine(QPointF(48, top + 14 + l * 5), QPointF(70, top + 14 + l * 5));
        }
    }
    // Curved arrows exchanging the slips of neighbouring rows.
    p.setPen(QPen(platform::rgb(0x2E6DB4), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; i += 2) {
        const double a = 78 + i * 60 + 30;
        const double b = a + 60;
        QPainterPath down;
        down.moveTo(76, a);
        down.cubicTo(86, a + 15, 86, b - 15, 77, b - 4);
        p.setBrush(Qt::NoBrush);
        p.drawPath(down);
        QPainterPath up;
        up.moveTo(42, b);
        up.cubicTo(32, b - 15, 32, a + 15, 41, a + 4);
        p.drawPath(up);
        p.setBrush(platform::rgb(0x2E6DB4));
        p.setPen(Qt::NoPen);
        arrowHead(p, QPointF(77, b - 2), QPointF(-0.5, 1), 8);
        arrowHead(p, QPointF(41, a + 2), QPointF(0.5, -1), 8);
        p.setPen(QPen(platform::rgb(0x2E6DB4), 3, Qt::SolidLine, Qt::RoundCap));
    }
    return pm;
}

QPixmap orderPicture()
{
    QPixmap pm = blankPicture(platform::rgb(0xE4F1FB), platform::rgb(0xC9E0F2));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    sealCharacter(p, QPointF(41, 36), QStringLiteral("古"), platform::rgb(0x4A6B8A));

    // The time line from old to new, with five events on it.
    const double x = 41;
    const double top = 70;
    const double bottom = 322;
    p.setPen(QPen(platform::rgb(0x2F4F6F), 5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(x, top), QPointF(x, bottom - 10));
    p.setPen(Qt::NoPen);
    p.setBrush(platform::rgb(0x2F4F6F));
    arrowHead(p, QPointF(x, bottom + 4), QPointF(0, 1), 16);
    const QColor dots[5] = { platform::rgb(0xC0392B), platform::rgb(0xE67E22), platform::rgb(0xF1C40F),
        platform::rgb(0x27AE60), platform::rgb(0x2980B9) };
    for (int i = 0; i < 5; ++i) {
        const double y = top + 20 + i * 46;
        p.setBrush(dots[i]);
        p.setPen(QPen(Qt::white, 2));
        p.drawEllipse(QPointF(x, y), 8, 8);
        p.setPen(QPen(platform::rgb(0x2F4F6F), 2));
        p.drawLine(QPointF(x + 10, y), QPointF(x + 30, y));
        p.drawLine(QPointF(x - 10, y), QPointF(x - 30, y));
    }
    sealCharacter(p, QPointF(41, 352), QStringLiteral("新"), platform::rgb(0x1E8449));
    return pm;
}

QPixmap cardArrowPicture(int width, int height)
{
    QPixmap pm(width, height);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(platform::rgb(0x8B0000), 1));
    p.setBrush(platform::rgb(0xE74C3C));
    const double h = height;
    const double w = width;
    QPolygonF arrow;
    arrow << QPointF(1, h / 2) << QPointF(h / 2 + 1, 1) << QPointF(h / 2 + 1, h * 0.3) << QPointF(w - 1, h * 0.3)
          << QPointF(w - 1, h * 0.7) << QPointF(h / 2 + 1, h * 0.7) << QPointF(h / 2 + 1, h - 1);
    p.drawPolygon(arrow);
    return pm;
}

} // namespace kanameru
