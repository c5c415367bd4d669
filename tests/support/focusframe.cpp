#include "support/focusframe.h"

#include <QImage>
#include <QWidget>
#include <cstdlib>

namespace testing_support {

QString focusFrameFault(const QImage& picture, const QWidget* control, const std::function<QPointF(QPointF)>& toPicture)
{
    const QColor frame(0xD2, 0x5A, 0x00); // the frame is 3 design pixels wide
    const QRectF c(QPointF(control->mapTo(control->window(), QPoint(0, 0))), QSizeF(control->size()));
    auto isFrame = [&](QPointF onForm) {
        const QPointF at = toPicture(onForm);
        const QRgb seen = picture.pixel(static_cast<int>(at.x()), static_cast<int>(at.y()));
        return std::abs(qRed(seen) - frame.red()) + std::abs(qGreen(seen) - frame.green())
            + std::abs(qBlue(seen) - frame.blue())
            <= 60;
    };
    const struct {
        const char* side;
        QPointF inBand, onControl, beyond;
    } sides[] = {
        { "left", { c.left() - 1.5, c.center().y() }, { c.left() + 4, c.center().y() },
            { c.left() - 6, c.center().y() } },
        { "right", { c.right() + 1.5, c.center().y() }, { c.right() - 4, c.center().y() },
            { c.right() + 6, c.center().y() } },
        { "top", { c.center().x(), c.top() - 1.5 }, { c.center().x(), c.top() + 4 }, { c.center().x(), c.top() - 6 } },
        { "bottom", { c.center().x(), c.bottom() + 1.5 }, { c.center().x(), c.bottom() - 4 },
            { c.center().x(), c.bottom() + 6 } },
    };
    for (const auto& s : sides) {
        if (!isFrame(s.inBand))
            return QStringLiteral("no frame on the %1 of %2").arg(QLatin1String(s.side), control->objectName());
        if (isFrame(s.onControl) || isFrame(s.beyond))
            return QStringLiteral("the frame on the %1 of %2 is out of place")
                .arg(QLatin1String(s.side), control->objectName());
    }
    return QString();
}

} // namespace testing_support
