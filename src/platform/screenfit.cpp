#include "platform/screenfit.h"

#include <algorithm>
#include <cmath>

namespace platform {

double fitScaleFactor(QSizeF available, double ratio, QSizeF design, QSizeF frame)
{
    if (design.isEmpty())
        return 1.0;
    const double byWidth = (available.width() - frame.width()) / design.width();
    const double byHeight = (available.height() - frame.height()) / design.height();
    const double smallest = ratio > 1.0 ? 1.0 / ratio : 1.0;
    const double factor = std::floor(std::min(byWidth, byHeight) * 1000.0) / 1000.0;
    return std::clamp(factor, smallest, 1.0);
}

} // namespace platform
