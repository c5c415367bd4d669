#pragma once
// The program's icon, drawn in code: a year axis with era bands beside five event cards put
// in order, in the drill's colours. The window system shows it on every window; the build
// writes it out as a PNG for the desktop entry.
#include <QIcon>
#include <QImage>

namespace kanameru {

// The icon drawn at size x size pixels on a transparent background.
QImage drawAppIcon(int size);

// The icon at the sizes window systems ask for (16 to 256 pixels).
QIcon appIcon();

} // namespace kanameru
