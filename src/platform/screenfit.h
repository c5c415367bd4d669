#pragma once
// Every form is laid out for 1024 x 768 pixels. On a smaller screen (a 1366 x 768 laptop with its
// task bar, a 1024 x 600 netbook, 1920 x 1080 at 150 %) the whole program is shown smaller, at
// one uniform scale, through Qt's own scale factor: pictures, the year axis, drags and hit tests
// all follow it. A form is never shown larger than its design at the screen's own scaling.
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

// Called before the application object is made: measures the primary screen and, when the
// forms would not fit, sets QT_SCALE_FACTOR so that they do. A factor the user set is kept.
// Returns the factor in use.
double fitFormsToScreen(int argc, char** argv);

} // namespace platform
