#pragma once
#include <QPoint>
#include <QString>

class QWidget;

namespace testing_support {

// Drives forms as a pupil does.
// Clicks the centre of a widget with the left button.
void click(QWidget* widget);
// Presses at the point of `from` (in its own coordinates), moves the mouse in steps to `to`
// (a point of `target`), and releases there: a real drag, not a call of the drop handler.
void drag(QWidget* from, QPoint fromPoint, QWidget* target, QPoint toPoint);
// The same from centre to centre.
void drag(QWidget* from, QWidget* target);
// Finds a visible top-level widget by object name.
QWidget* topLevel(const QString& objectName);
// Closes every window and lets the closed ones be deleted (between test cases).
void closeAllForms();
// Lets pending events run for the given milliseconds.
void pump(int milliseconds = 0);

} // namespace testing_support
