#pragma once
#include <QColor>
#include <QFont>
#include <QRect>

class QWidget;

namespace platform {

// Forms are laid out for 1024 x 768 pixels; design positions are in twips, 15 to a pixel.
constexpr int twips(int value)
{
    return value / 15;
}
QRect twipsRect(int left, int top, int width, int height);
// Places a widget at a design position given in twips.
void placeTwips(QWidget* widget, int left, int top, int width, int height);

// A colour from a red-green-blue value such as 0xFFFF00.
inline QColor rgb(unsigned value)
{
    return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

// Captions use "Noto Sans CJK JP"; lists use "Noto Sans Mono CJK JP", in which a full-width
// character is exactly two half-width ones, so lines padded with spaces line up.
QFont captionFont(double pointSize, bool bold = false);
QFont listFont(double pointSize);

// Gives a widget a solid background colour.
void setBackground(QWidget* widget, const QColor& colour);
void setForeground(QWidget* widget, const QColor& colour);

// A control's Qt object name: its name, with the index after an underscore for arrays.
QString controlName(const char* name, int index);

// Lets window events other than the user's run until every visible window is exposed (at
// most a second), then paints each one at once and hands the picture to the window system.
// Installed as the painter of showScreenNow, so what precedes a sound is on the screen while
// it plays.
void paintScreenNow();

// Readies a form for the keyboard and for screen readers, after its controls are built:
// - every label of the form, also one made later, shows its text as plain text;
// - a dark-orange frame, 3 pixels wide, stands around the control that has the keyboard focus,
//   outside its edges, so that neither its size nor its caption changes;
// - Enter presses the push button that has the focus;
// - a control that shows no caption of its own (a list, a text box, a drop-down box)
//   is named after the label beside it, or its tool tip; buttons and labels are read by their
//   captions and texts as they change.
void prepareControls(QWidget* form);
// The name a screen reader reads for a widget (empty when it has none).
QString spokenName(QWidget* widget);

} // namespace platform
