#pragma once
// The pictures of the drill form, drawn in code: the explanation-phase picture (Image2), the
// ordering-phase picture (Image3), both 82 x 385 pixels, and the flash-card arrow (Image1).
#include <QPixmap>

namespace kanameru {

constexpr int kPhasePictureWidth = 82;
constexpr int kPhasePictureHeight = 385;

// Two cards exchanging places under a brush: "match the explanations".
QPixmap explanationPicture();
// An hourglass over a time line running from old (top) to new (bottom): "put in order".
QPixmap orderPicture();
// An arrow pointing left, from the card to its year on the axis.
QPixmap cardArrowPicture(int width, int height);

} // namespace kanameru
