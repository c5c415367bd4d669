#include "board/boardtexts.h"

#include "startup/hensuu1.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kanameru {

int columnWidth(int levelCount)
{
    if (levelCount < 1)
        return kColumnsWidth;
    return levelCount < 5 ? kColumnsWidth / levelCount : kScrolledColumnWidth;
}

bool needsScrollBar(int levelCount)
{
    return levelCount >= 5;
}

int scrollMaximum(int levelCount)
{
    return needsScrollBar(levelCount) ? levelCount - 3 : 0;
}

int columnLeft(int column, int first, int levelCount, int templateLeft)
{
    const int w = columnWidth(levelCount);
    return std::max(templateLeft, (column - 1 - first) * w + templateLeft);
}

QString floatText(float value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return QString::fromLatin1(buffer, static_cast<qsizetype>(end - buffer));
}

QString startCaption(int level)
{
    return QStringLiteral("ｽﾀｰﾄ(&%1)").arg(level);
}

QString targetLine(int level)
{
    const auto l = static_cast<size_t>(level);
    const QString target = QString::number(reg.levelTarget[l]);
    if (reg.levelPassPoints[l] == 9999)
        return QStringLiteral("目標=") + target + QStringLiteral("秒 --------");
    return QStringLiteral("目標=%1秒 %2回/%3点(×%4)")
        .arg(target, QString::number(reg.levelRequiredCount[l]), QString::number(reg.levelPassPoints[l]),
            floatText(reg.levelPointFactor[l]));
}

QString recentLine(int level, int pupil)
{
    return QStringLiteral("最近%1日=%2回 / %3点")
        .arg(shortestNumber(reg.levelRecentDays[static_cast<size_t>(level)].toDouble()),
            QString::number(reg.recentCount(level, pupil)), QString::number(reg.recentPoints(level, pupil)));
}

QString todaySummary(int level, int pupil)
{
    const float count = reg.todayCount(level, pupil);
    if (count == 0)
        return QStringLiteral("-----");
    return shortestNumber(count) + QStringLiteral("回/") + QString::number(reg.todayPoints(level, pupil))
        + QStringLiteral("点");
}

QString totalSummary(int level, int pupil)
{
    if (reg.totalCount(level, pupil) == 0)
        return QStringLiteral("------");
    return QString::number(reg.totalCount(level, pupil)) + QStringLiteral("回/")
        + QString::number(reg.totalPoints(level, pupil)) + QStringLiteral("点");
}

bool isPracticeTitle(const QString& title)
{
    return title.contains(QChar(u'練'));
}

int minutesSinceStart(double nowSeconds, qint32 startSeconds)
{
    double difference = std::floor(nowSeconds - startSeconds);
    if (difference < 0)
        difference += 86400;
    return static_cast<int>(difference) / 60;
}

int todayTotal(int pupil)
{
    double sum = 0;
    // Every level counts, also one that has no column on this board, as on the end screen.
    for (int level = 1; level <= kMaxLevel; ++level)
        sum += reg.todayCount(level, pupil);
    return static_cast<qint16>(
        std::clamp<qint64>(roundHalfEven(sum), std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()));
}

int targetLevelClearedFor(int pupil)
{
    const int level = static_cast<int>(reg.targetLevel.toInteger());
    if (level < 0 || level > kMaxLevel)
        return 0;
    const auto l = static_cast<size_t>(level);
    if (reg.recentPoints(level, pupil) < reg.levelPassPoints[l]
        || reg.recentCount(level, pupil) < reg.levelRequiredCount[l])
        return 0;
    return 1;
}

QStringList instructionLines()
{
    // How this drill is played, in the words of its screens: the buttons' captions, the
    // instructions of a question and the keys of the drill's key hints.
    return { QStringLiteral("①レベルのスタートボタンを押します"),
        QStringLiteral("　（レベルの番号のキーでも始まります）"),
        QStringLiteral("　練習ボタンはカードで覚える練習です"), QStringLiteral("　（練習は記録されません）"),
        QStringLiteral("②説明をドラッグして入れ替え"), QStringLiteral("　出来事に合う説明にして判定します"),
        QStringLiteral("③出来事をドラッグして入れ替え"), QStringLiteral("　年代の古い順に上から並べて判定します"),
        QStringLiteral("キーボードでは"), QStringLiteral("　矢印キーで枠を動かす"),
        QStringLiteral("　スペースで持ち上げる・入れ替える"), QStringLiteral("　Escで元に戻す"),
        QStringLiteral("　Enterで「判定」"), QStringLiteral("間違えると"),
        QStringLiteral("　説明は5秒、順番は10秒がタイムに加わり"), QStringLiteral("　「もう１度」を押してやり直します"),
        QStringLiteral("5問正解するとタイムが記録されます"), QStringLiteral("　タイムに応じてポイントがたまります"),
        QStringLiteral("　自分や全体の新記録はお知らせします"),
        QStringLiteral("　最近の回数と点数が目標に届くとクリア"), QString(),
        QStringLiteral("では、スタートボタンを押してはじめよう") };
}

} // namespace kanameru
