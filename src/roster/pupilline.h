#pragma once
// The lines of the start screen's pupil list and its grade filter.
#include "startup/hensuu1.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace kanameru {

// The sums over levels 1..35 of one pupil's entries in the statistics tables.
struct PupilSums {
    double todayCount = 0;
    qint64 todayPoints = 0;
    qint64 totalCount = 0;
    qint64 totalPoints = 0;
};
// Sums the pupil's statistics in reg (todayCount, todayPoints, totalCount, totalPoints).
PupilSums pupilSums(int pupilNo);

// The statistics written right-aligned in fixed widths (columns of the list face):
// today's attempts "  5回" / five spaces; today's points "  12" / "  　";
// all attempts "   15回" / "     　"; all points "    120" / seven spaces.
QString todayCountText(double sum);
QString todayPointsText(qint64 sum);
QString totalCountText(qint64 sum);
QString totalPointsText(qint64 sum);

// The captions of Option1(0..3), one per displayMode.
QStringList displayModeCaptions();

// One pupil's line: birth year (four digits), grade label and a space, the trimmed name, a fill
// of ideographic spaces, the two statistics of the display mode joined by "/", "*" and the
// pupil's number. schoolYear gives the grade.
QString pupilLine(const RosterRecord& record, int schoolYear, int displayMode, const PupilSums& sums);

// The number of ideographic spaces that follow the label and name: they are brought together
// to 11 characters for pre-school pupils in display modes 0, 2 and 3, to 9 otherwise.
int fillLength(const QString& gradeLabel, QStringView trimmedName, int displayMode);

// The grade filter choices of Combo1, in their order.
QStringList gradeFilterChoices();
// Whether a pupil of the grade index is shown under the grade filter text.
bool gradeFilterShows(const QString& filterText, int gradeIndex);

// A sorted line split for the lists: what List1 shows (without birth year and number) and the
// tail kept in List3 (the same text, "*" and up to four characters of the number).
struct ListRow {
    QString shown;
    QString tail;
};
ListRow splitPupilLine(const QString& line);
// The grade index of a sorted line from its first four characters (the birth year).
int gradeIndexOfLine(const QString& line, int schoolYear);
// The pupil number after the "*" of a List3 tail; 0 when there is none.
int pupilNoOfTail(const QString& tail);

// Sorts pupil lines as the Japanese list box of the start screen keeps them (Japanese
// collation); lines that compare equal keep their order.
// With `order`, it also gives where each sorted line was before (0 for the first).
void sortPupilLines(QStringList& lines, std::vector<int>* order = nullptr);

// The lines of every listed pupil (roster positions 1..boardPupilCount) in text order; with
// `positions`, also the roster position of each line.
QStringList sortedPupilLines(int schoolYear, int displayMode, std::vector<int>* positions = nullptr);

// The whole list for the screen: the lines of every listed pupil (roster positions
// 1..boardPupilCount) in text order, filtered by grade.
struct PupilList {
    QStringList sortedLines; // List2
    QStringList shown; // List1 without the separator row
    QStringList tails; // List3
};
PupilList buildPupilList(int schoolYear, int displayMode, const QString& filterText);

// Trims half-width spaces at both ends, as names are trimmed for display.
QString trimSpaces(const QString& text);
QStringView trimmedSpaces(QStringView text);

} // namespace kanameru
