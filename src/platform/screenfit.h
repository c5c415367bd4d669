#pragma once
// Every form is laid out for 1024 x 768 pixels. On a smaller screen (a 1366 x 768 laptop with its
// task bar, a 1024 x 600 netbook, 1920 x 1080 at 150 %) the whole program is shown smaller, at
// one uniform scale: through Qt's own scale factor as far as Qt Widgets can draw (one screen
// pixel per design pixel at the least), and below that by the forms' hosts (formhost.h).
// Pictures, the year axis, drags and hit tests all follow the scale. A form is never shown
// larger than its design at the screen's own scaling.
#include <QSizeF>

namespace platform {

// Room kept for the window's frame (borders and title bar), in device-independent pixels.
constexpr double kFrameWidth = 10;
constexpr double kFrameHeight = 44;

// The scale factor (at most 1) at which a window of `design` size with its frame fits whole
// into `available`, the screen's available area in its device-independent pixels (Qt's
// available geometry at factor 1), on a screen whose own device pixel ratio is `ratio`. Qt
// Widgets cannot draw at a total ratio below 1 (the painting is neither scaled nor whole), so
// the factor never goes below 1 / ratio: on a screen at 100 % a form keeps its design size.
// Rounded down to a thousandth, but not below 1 / ratio.
double fitScaleFactor(QSizeF available, double ratio = 1.0, QSizeF design = QSizeF(1024, 768),
    QSizeF frame = QSizeF(kFrameWidth, kFrameHeight));

// The scale (at most 1) at which the forms' hosts draw the forms on top of Qt's factor
// fitScaleFactor(available, ratio, ...): 1 where Qt's factor alone makes them fit.
// Rounded down to a thousandth.
double hostScaleFactor(QSizeF available, double ratio = 1.0, QSizeF design = QSizeF(1024, 768),
    QSizeF frame = QSizeF(kFrameWidth, kFrameHeight));

// Called before the application object is made: measures the primary screen and, when the
// forms would not fit, sets QT_SCALE_FACTOR and the hosts' scale (setFormScale) so that they
// do. A factor the user set is kept, and then the forms are not scaled further.
// Returns Qt's factor in use.
double fitFormsToScreen(int argc, char** argv);

} // namespace platform
