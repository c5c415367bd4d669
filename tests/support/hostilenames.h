#pragma once
// Names a pupil can type in 名前の変更 (each fits the 20-character field) that a screen taking
// them for HTML would show otherwise than written: a picture read from /dev/zero until memory
// runs out, a heading that hides the name, an entity shown as "&", a bold rest of the line.
#include <QStringList>

namespace testing_support {

inline QStringList hostileNames()
{
    return { QStringLiteral("<h1>鈴木</h1>"), QStringLiteral("&amp;"), QStringLiteral("<b>x"),
        QStringLiteral("<img src=/dev/zero>") };
}

} // namespace testing_support
