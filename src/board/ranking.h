#pragma once
// The ranking of one level: keys, sort, shared ranks and the list lines.
#include <QString>
#include <QStringList>
#include <vector>

namespace kanameru {

// Puts four spaces in front of the text and keeps its last `width` characters, so a longer
// number loses its leading digits.
QString rightAlign(const QString& text, int width);

struct RankingOptions {
    int level = 1;
    int displayKind = 1; // 1 time, 2 points (0 counts as 1)
    int pointsOrder = 1; // 1 cumulative, 2 today (0 counts as 1)
    QString gradeChoice; // the grade group of the board
    int currentPupil = 0; // marked with "●"
};

struct RankedPupil {
    int pupil = 0;
    int rank = 0;
    bool shown = false; // passes the grade filter (and, in today's order, has points today)
};

struct Ranking {
    std::vector<RankedPupil> order; // sorted, positions 1..n as 0..n-1
    QStringList lines; // the lines of the list, shown pupils only
    int currentLine = -1; // the line that holds "●", or -1
};

// Ranks the listed pupils (boardPupilNos, at most 2000) at one level from the statistics of the
// register. Ranks count every pupil, shown or not; equal keys share a rank (1, 1, 3). Leaves
// the sorted keys and pupils in rankKeys, rankPupils and rankCount.
Ranking buildRanking(const RankingOptions& options);

// The line of a pupil in time display for a best time `key` (99999 none, 99998 a failure).
QString timeRankLine(int rank, const QString& mark, const QString& name, int key, bool current);
// The line of a pupil in points display.
QString pointsRankLine(int rank, const QString& mark, const QString& name, int todayPoints, int totalPoints);
// The name piece of a ranking line: trailing spaces removed, padded and cut to five characters.
QString rankingName(const QString& name);

} // namespace kanameru
