#pragma once
// The lists of single attempts on the board: today's attempts and every attempt of a period,
// one line per attempt in the order the attempts were stored.
#include "results/results.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace kanameru {

constexpr int kTodayListWindow = 1000; // today's list looks at the last 1000 stored attempts
constexpr int kPeriodListWindow = 20000; // the period list at the last 20000
constexpr int kFailedFrom = 90000; // a stored time of 90000 or more is a failed attempt

// The days of a period choice 1..5 on a date: this week from Monday, this and last week, 30
// days, a year, ten years. Any other choice counts as 5.
int periodDaysFor(int periodChoice, const QDate& today);

// Pieces of an attempt line.
QString attemptName(const QString& name); // trimmed, padded and cut to five characters
QString attemptSeconds(qint32 result); // "  45秒": the time and "秒", last five characters
QString attemptClock(double dayTime); // "9:05:03"
QString attemptHoursMinutes(double dayTime); // "09:05"
QString attemptMonthDay(double dayDate); // "12/07"
QString attemptPointsText(int points); // right-aligned in five characters

// The points shown beside a passed attempt: its time (the whole result) against the level's
// target, before the level's factor; 0 for a failed attempt or a level without a target.
int attemptListPoints(qint32 result, int level);

// Today's attempts, a period's attempts with the time or the points first, and a pupil's own
// attempts with their full date and time of day.
enum class AttemptListKind { Today, PeriodTimes, PeriodPoints, Own };

struct AttemptLineInput {
    const LoadedResult* attempt = nullptr;
    QString name;
    QString mark; // "●" for the current pupil, else the grade symbol
    int points = 0;
};
QString attemptLine(AttemptListKind kind, const AttemptLineInput& input);

struct PupilListing;

struct AttemptListOptions {
    AttemptListKind kind = AttemptListKind::Today;
    int levelCount = 0;
    QString gradeChoice;
    int currentPupil = 0;
    double todayDayCount = 0; // today as a whole day count
    QDate today;
    int periodDays = 3650; // for the period lists
    // The whole roster by number (every status), for the names and grades of pupils who are
    // not listed; without it only listed pupils have a name and a grade.
    const PupilListing* roster = nullptr;
};

// Lines per level 1..levelCount (index 0 unused) from the attempts in file order. An attempt
// is listed when its level has a column, its pupil number is a pupil's (1..5000), its pupil
// (named and graded by his number, listed or not) passes the grade filter, and its date is today (today's list) or
// later than today minus the period (period lists). `progress` is told how many attempts were looked at.
std::vector<QStringList> attemptLists(const std::vector<LoadedResult>& attempts, const AttemptListOptions& options,
    const std::function<void(int done)>& progress = {});

} // namespace kanameru
