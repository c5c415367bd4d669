#pragma once
#include <QPixmap>
#include <QRect>

namespace kanameru {

// The end screen's background picture, 1024 x 768: a quiet morning sky over far hills and
// waves, with a pale paper card in the middle on which the labels stay readable.
QPixmap endScreenBackground();
// Where the card lies on the picture; the labels are laid out inside it.
QRect endScreenCard();

} // namespace kanameru
