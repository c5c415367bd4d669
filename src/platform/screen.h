#pragma once
#include <QColor>
#include <QFont>
#include <QRect>

class QWidget;

namespace platform {

// Forms are laid out for 1024 x 768 pixels; design positions are in twips, 15 to a pixel.
constexpr int twips(int value) { return value / 15; }
QRect twipsRect(int left, int top, int width, int height);
// Places a widget at a design position given in twips.
void placeTwips(QWidget* widget, int left, int top, int width, int height);

// A colour from a red-green-blue value such as 0xFFFF00.
inline QColor rgb(unsigned value) { return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF); }

// Captions use "Noto Sans CJK JP"; lists use "Noto Sans Mono CJK JP", in which a full-width
// character is exactly two half-width ones, so lines padded with spaces line up.
QFont captionFont(double pointSize, bool bold = false);
QFont listFont(double pointSize);

// Gives a widget a solid background colour.
void setBackground(QWidget* widget, const QColor& colour);
void setForeground(QWidget* widget, const QColor& colour);

// A control's Qt object name: its name, with the index after an underscore for arrays.
QString controlName(const char* name, int index);

// The time after a click within which a second click is the tail of a double click: the
// system's double-click interval, or what setDoubleClickPause installed (tests; -1 resets).
int doubleClickPause();
void setDoubleClickPause(int milliseconds);

// Lets window events other than the user's run until every visible window is exposed (at
// most a second), then paints each one at once and hands the picture to the window system.
// Installed as the painter of showScreenNow, so what precedes a sound is on the screen while
// it plays.
void paintScreenNow();

} // namespace platform
