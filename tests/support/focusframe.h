#pragma once
#include <QPointF>
#include <QString>
#include <functional>

class QImage;
class QWidget;

namespace testing_support {

// The keyboard's focus frame as a pupil sees it around `control`: the frame's colour in the
// band just outside each of the control's four sides, and neither on the control's own face
// nor beyond the band. `picture` is what the pupil sees; `toPicture` maps a point of the
// control's form to it. Returns what is wrong, or an empty text.
QString focusFrameFault(
    const QImage& picture, const QWidget* control, const std::function<QPointF(QPointF)>& toPicture);

} // namespace testing_support
