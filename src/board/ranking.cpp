#include "board/ranking.h"

#include "board/grades.h"
#include "board/mergesort.h"
#include "startup/hensuu1.h"

namespace kanameru {

namespace {

constexpr int kMaxRanked = 2000;
const QString kOwnMark = QStringLiteral("●");

QString trimmedRight(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

} // namespace

QString rightAlign(const QString& text, int width)
{
    return (QStringLiteral("    ") + text).right(width);
}

QString rankingName(const QString& name)
{
    return (trimmedRight(name) + QStringLiteral("　　　　　　")).left(5);
}

QString timeRankLine(int rank, const QString& mark, const QString& name, int key, bool current)
{
    const QString m = current ? kOwnMark : QStringLiteral("　");
    if (key == 99998)
        return rightAlign(QString::number(rank), 2) + mark + rankingName(name) + QStringLiteral("*失敗* ") + m;
    if (key == kTimeOut)
        return QStringLiteral("--") + mark + rankingName(name) + QStringLiteral("------ ") + m;
    return rightAlign(QString::number(rank), 2) + mark + rankingName(name) + rightAlign(QString::number(key), 6)
        + QLatin1Char(' ') + m;
}

QString pointsRankLine(int rank, const QString& mark, const QString& name, int todayPoints, int totalPoints)
{
    return rightAlign(QString::number(rank), 2) + mark + rankingName(name) + rightAlign(QString::number(todayPoints), 3)
        + QLatin1Char('/') + rightAlign(QString::number(totalPoints), 5);
}

Ranking buildRanking(const RankingOptions& options)
{
    const int level = options.level;
    const bool points = options.displayKind == 2;
    const bool todayOrder = points && options.pointsOrder == 2;
    const int n = std::clamp(static_cast<int>(reg.boardPupilCount.toInteger()), 0, kMaxRanked);

    // Points display sorts by the primary points and then the secondary ones. A single 32-bit
    // key of A x 1000 + B lets secondary points of 1000 or more spill into the primary order,
    // so both are kept whole in a 64-bit key.
    // The sort carries listed positions; a position gives the pupil's number, name and grade.
    std::vector<qint64> keys(static_cast<size_t>(n) + 1);
    std::vector<int> positions(static_cast<size_t>(n) + 1);
    std::vector<int> numbers(static_cast<size_t>(n) + 1);
    for (int k = 1; k <= n; ++k) {
        const qint64 no = reg.boardPupilNos[static_cast<size_t>(k)].toInteger();
        numbers[static_cast<size_t>(k)] = no >= 0 && no <= kMaxPupil ? static_cast<int>(no) : 0;
    }
    auto primary = [&](int pupil) -> qint64 {
        return todayOrder ? reg.todayPoints(level, pupil) : reg.totalPoints(level, pupil);
    };
    auto secondary = [&](int pupil) -> qint64 {
        return todayOrder ? reg.totalPoints(level, pupil) : reg.todayPoints(level, pupil);
    };
    for (int k = 1; k <= n; ++k) {
        const int pupil = numbers[static_cast<size_t>(k)];
        positions[static_cast<size_t>(k)] = k;
        if (points)
            keys[static_cast<size_t>(k)] = -((primary(pupil) << 32) + secondary(pupil));
        else
            keys[static_cast<size_t>(k)] = reg.bestScore(level, pupil);
    }
    mergeSortKeys(n, keys, positions);

    reg.rankCount = static_cast<qint16>(n);
    for (int k = 1; k <= n; ++k) {
        reg.rankKeys[static_cast<size_t>(k)] = static_cast<double>(keys[static_cast<size_t>(k)]);
        reg.rankPupils[static_cast<size_t>(k)]
            = static_cast<qint16>(numbers[static_cast<size_t>(positions[static_cast<size_t>(k)])]);
    }

    Ranking ranking;
    ranking.order.reserve(static_cast<size_t>(n));
    ranking.lines.reserve(n);
    int rank = 0;
    int previous = 0;
    for (int k = 1; k <= n; ++k) {
        const int position = positions[static_cast<size_t>(k)];
        const int pupil = numbers[static_cast<size_t>(position)];
        if (k == 1) {
            rank = 1;
        } else {
            const bool same = points ? primary(pupil) == primary(previous)
                                     : keys[static_cast<size_t>(k)] == keys[static_cast<size_t>(k) - 1];
            if (!same)
                rank = k;
        }
        previous = pupil;
        RankedPupil entry { pupil, rank, false };
        const int grade = gradeOfBirthYear(reg.pupilBirthYear[static_cast<size_t>(position)]);
        entry.shown
            = passesGradeFilter(options.gradeChoice, grade) == 1 && (!todayOrder || reg.todayPoints(level, pupil) != 0);
        if (entry.shown) {
            const bool current = pupil == options.currentPupil;
            const QString mark = current ? kOwnMark : gradeSymbol(grade);
            const QString& name = reg.pupilNames[static_cast<size_t>(position)];
            if (points)
                ranking.lines.append(
                    pointsRankLine(rank, mark, name, reg.todayPoints(level, pupil), reg.totalPoints(level, pupil)));
            else
                ranking.lines.append(
                    timeRankLine(rank, mark, name, static_cast<int>(keys[static_cast<size_t>(k)]), current));
            if (current && ranking.currentLine < 0)
                ranking.currentLine = static_cast<int>(ranking.lines.size()) - 1;
        }
        ranking.order.push_back(entry);
    }
    return ranking;
}

} // namespace kanameru
