#include "platform/screenfit.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

double toThousandths(double value)
{
    return std::floor(value * 1000.0 + 1e-9) / 1000.0;
}

// The uniform scale at which the design and its frame fill the available area.
double wholeFit(QSizeF available, QSizeF design, QSizeF frame)
{
    if (design.isEmpty())
        return 1.0;
    const double byWidth = (available.width() - frame.width()) / design.width();
    const double byHeight = (available.height() - frame.height()) / design.height();
    return std::max(std::min(byWidth, byHeight), 0.05);
}

} // namespace

double fitScaleFactor(QSizeF available, double ratio, QSizeF design, QSizeF frame)
{
    const double smallest = ratio > 1.0 ? 1.0 / ratio : 1.0;
    return std::clamp(toThousandths(wholeFit(available, design, frame)), smallest, 1.0);
}

double hostScaleFactor(QSizeF available, double ratio, QSizeF design, QSizeF frame)
{
    const double fit = wholeFit(available, design, frame);
    const double qtFactor = fitScaleFactor(available, ratio, design, frame);
    return std::min(toThousandths(fit / qtFactor), 1.0);
}

} // namespace platform
