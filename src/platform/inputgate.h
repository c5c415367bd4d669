#pragma once
// Keys and clicks meant for one screen never act on the next. Children press twice, click twice
// and type before looking: the second Enter that opened the board would press its "戻る(0)",
// the second click on "次へ" would judge the new question under it. So every screen of the
// program drops the keys and clicks it is given
// - from the moment it is made until it has been shown and has settled (filled, activated),
// - and for a short settle time after that (kSettleMilliseconds, 0.7 s: a double click or a
//   double key press is over well within it),
// and a button that appears where another one stood (the drill's judge, retry and next
// buttons share one spot) drops, for the same time, the clicks on it and the keys that press
// buttons (Enter, Return, Space). A deliberate press after that time is taken as usual. Input
// given while a sound holds the program is dropped by the sound itself (events.h).
class QWidget;

namespace platform {

constexpr int kSettleMilliseconds = 700;

// The settle time in use: kSettleMilliseconds unless set (tests; -1 goes back to it).
int settleMilliseconds();
void setSettleMilliseconds(int milliseconds);

// From now on, every key and click that reaches the form's window is dropped, until
// settleInput(form).
void holdInput(QWidget* form);
// The form is shown and ready: its window takes keys and clicks again once the settle time has
// passed from now.
void settleInput(QWidget* form);
// The button has appeared where another one stood: clicks on it and the keys that press
// buttons are dropped until the settle time has passed from now.
void settleSpot(QWidget* button);
// Whether the form's window takes keys and clicks now (not held, its settle time over).
bool takesInput(const QWidget* form);
// Whether a click on the control is taken now: its form takes input and no settle time of a
// button appearing there runs.
bool takesClicksOn(const QWidget* control);

} // namespace platform
