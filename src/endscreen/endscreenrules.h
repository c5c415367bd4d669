#pragma once
// The decisions of the end-of-drill screen, kept apart from the form so they can be tested
// without a window: the texts of its labels, which announcement and which sounds an attempt
// earns, when the level counts as cleared and when "もう一度" is offered.
#include <QString>
#include <QtGlobal>

namespace kanameru {

// What the screen announces for the attempt just recorded, tested in this order.
enum class Announcement {
    None,
    TimeUp, // "時間切れ", no sound
    OverallRecord, // "！！！最高新記録！！！" with the overall record sound
    PersonalRecord, // "新記録おめでとう" with the personal record sound
    GoodResult, // no text, the good result sound
};

Announcement chooseAnnouncement(
    qint16 timeUp, qint16 newOverallBest, qint16 newPersonalBest, qint32 result, qint32 levelTargetB);
// The text shown in Label20; empty when the announcement shows none.
QString announcementText(Announcement announcement);

// Points of an attempt before the level's factor: 50 x ((T - t) / T)^3 + 5 cut to a whole
// number up to the target T, 4 below 2T, 1 below 10T, then 0; 0 for a time-out. A level
// without a target (T of 0 or less) gives no points.
int basePoints(qint32 result, qint32 target);
// The whole points of p points at a factor, taken from the factor as it is written (1.1 is
// 1.1, not the nearest single float below it), so 10 x 0.7 gives 7 and not 6.
int factoredPoints(int points, float factor);
// A single float in the shortest form that reads back as the same single: 1.5, 1.1, 2.
QString shortestSingle(float value);

// "獲得ポイント：5点×1→5点" for a result at the level's target with factor 1.
QString pointsLine(qint32 result, qint32 target, float factor);
// "今の成績：42秒", or "記録なし" for an attempt that ran out of time.
QString resultLine(qint32 result);
// Label13 while the statistics are rebuilt: the count as it stood, plus one.
QString provisionalLevelCountText(float todayCountBefore);
// " (このレベル　3回目)".
QString levelCountLine(float todayCount);
// "（7回目)".
QString totalCountLine(qint16 todayTotalCount);

// Reading the register (reg) for level L and pupil P -------------------------------------------

// L is the drill set's target level (targetLevel compared as a number).
bool isTargetLevel(int level);
// Some level 1..35 needs 9999 attempts: the drill set has no end and shows no final panel.
bool drillSetWithoutEnd();
// The cap of the level is reached in its cap window, by count or by points (a cap of 0 is none).
bool capReached(int level, int pupil);
// The pupil's completed attempts today over levels 1..35, as a 16-bit integer.
qint16 sumTodayCount(int pupil);

// What happens to "もう一度" and the cleared note when the buttons appear.
enum class ClearedNote {
    Keep, // Label2 stays as it is
    ClearAndHide, // Label2 is emptied and hidden
    NextLevel, // Label2 reads "次のレベルへ進みましょう"
};
struct AgainDecision {
    bool offerAgain = true;
    ClearedNote note = ClearedNote::Keep;
    bool operator==(const AgainDecision&) const = default;
};
// Only a level whose cap is reached, that is cleared, while the drill set's target level is
// not yet cleared, cannot be repeated: the pupil is sent on to the next level.
AgainDecision decideAgain(bool capReached, bool cleared, bool isTargetLevel, bool targetLevelCleared);
QString nextLevelText(); // "次のレベルへ進みましょう"

// Everything the screen shows for the attempt just recorded, from the register once the
// statistics include it (after computeStatistics).
struct EndScreenPlan {
    QString title; // Label15
    QString levelTitle; // Label16
    QString pupilName; // Label17
    QString result; // Label18
    QString points; // Label19
    QString levelCount; // Label13
    QString totalCount; // Label14
    qint16 todayTotalCount = 0;
    bool cleared = false; // Label2 "このレベルクリア"
    bool showPanel = false; // Picture1 "目標レベルクリア。おめでとう！"
    Announcement announcement = Announcement::None;
    bool playClearedSound = false;
};
EndScreenPlan planEndScreen(bool levelIsCleared);

} // namespace kanameru
