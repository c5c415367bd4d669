#include "platform/screenfit.h"

#include <algorithm>
#include <cmath>

namespace platform {

double fitScaleFactor(QSizeF available, QSizeF design, QSizeF frame)
{
    if (design.isEmpty())
        return 1.0;
    const double byWidth = (available.width() - frame.width()) / design.width();
    const double byHeight = (available.height() - frame.height()) / design.height();
    const double factor = std::clamp(std::min(byWidth, byHeight), 0.1, 1.0);
    return std::floor(factor * 1000.0) / 1000.0;
}

} // namespace platform
