#pragma once
// The texts and the column geometry of the results board, computed from the register.
#include <QString>
#include <QStringList>

namespace kanameru {

// Column geometry in twips: four or fewer levels share 14592 twips; five or more get 3456
// twips each and a scroll bar whose maximum leaves four columns in view.
constexpr int kColumnsWidth = 14592;
constexpr int kScrolledColumnWidth = 3456;
int columnWidth(int levelCount);
bool needsScrollBar(int levelCount);
int scrollMaximum(int levelCount);
// Left of column i (1-based) scrolled by `first` columns, never left of the template's left.
int columnLeft(int column, int first, int levelCount, int templateLeft);

// A float as text in its shortest form ("1", "1.5", "0.8").
QString floatText(float value);

QString startCaption(int level); // "ｽﾀｰﾄ(&1)"
QString targetLine(int level); // Label7: target, count and points to clear
QString recentLine(int level, int pupil); // Label8: the recent window of the pupil
QString todaySummary(int level, int pupil); // Label14
QString totalSummary(int level, int pupil); // Label15
bool isPracticeTitle(const QString& title); // a title with "練"

// Whole minutes since the pupil was chosen; a start before midnight counts across it.
int minutesSinceStart(double nowSeconds, qint32 startSeconds);
// The pupil's completed attempts today over every level 1..35, as a 16-bit whole number.
int todayTotal(int pupil);
// 1 when the pupil has reached the points and the count of the target level in its recent
// window, else 0.
int targetLevelClearedFor(int pupil);

// The 23 lines of the instruction list.
QStringList instructionLines();

} // namespace kanameru
