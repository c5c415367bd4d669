// The board's list choices: display kind, rankings, today's and the period's attempts.
#include "board/attemptlists.h"
#include "board/boardtexts.h"
#include "board/grades.h"
#include "board/ranking.h"
#include "board/report.h"
#include "board/seisekitime1.h"
#include "platform/clock.h"
#include "platform/messagebox.h"
#include "results/results.h"
#include "startup/hensuu1.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>
#include <utility>

namespace kanameru {

namespace {

enum ListFill { TodayFill, PeriodFill, OwnFill };

// An option button is as wide as its caption, so a click on it lands on it.
void setOptionCaption(QRadioButton* option, const QString& caption)
{
    option->setText(caption);
    option->resize(option->sizeHint().width(), option->height());
}

} // namespace

int seisekitime1::selectedListChoice() const
{
    for (int i = 1; i <= 3; ++i)
        if (Option1[i]->isChecked())
            return i;
    return 1;
}

void seisekitime1::hideAllLists()
{
    for (int level = 1; level <= levelCount_; ++level)
        column(level).List5->setVisible(false);
}

void seisekitime1::showRankingLists()
{
    for (int level = 1; level <= levelCount_; ++level) {
        Column& c = column(level);
        if (!isPracticeTitle(c.Label3->text()))
            c.List5->setVisible(true);
    }
}

void seisekitime1::Option2_Click(int index)
{
    Command17->setVisible(false);
    Picture11->setVisible(false);
    enableBack(false);
    hideAllLists();
    showWaitPanel(Picture6);
    if (busy_)
        return;
    busy_ = true;
    switch (index) {
    case 0:
        setOptionCaption(Option1[1], QStringLiteral("BEST表示"));
        setOptionCaption(Option1[2], QStringLiteral("本日のみ"));
        Option1[3]->setEnabled(true);
        displayKind_ = 1;
        busy_ = false;
        Option1_Click(selectedListChoice());
        break;
    case 1:
        Combo2->setVisible(false);
        setOptionCaption(Option1[1], QStringLiteral("合計累計"));
        setOptionCaption(Option1[2], QStringLiteral("合計本日"));
        setOptionCaption(Option1[3], QStringLiteral("すべて"));
        Option1[3]->setEnabled(true);
        displayKind_ = 2;
        if (Option1[1]->isChecked())
            pointsOrder_ = 1;
        else if (Option1[2]->isChecked())
            pointsOrder_ = 2;
        busy_ = false;
        Option1_Click(selectedListChoice());
        break;
    default:
        Command17->setVisible(true);
        Combo2->setVisible(false);
        busy_ = false;
        Command16_Click();
        break;
    }
}

void seisekitime1::Option1_Click(int index)
{
    enableBack(false);
    hideAllLists();
    showWaitPanel(Picture6);
    Combo2->setVisible(false);
    Picture1->setEnabled(false);
    if (displayKind_ == 0)
        displayKind_ = 1;
    if (displayKind_ == 1) {
        reg.timeListChoice = AnyValue(index == 1 ? 1 : 2);
        if (index == 1)
            Command6_Click();
        else if (index == 2)
            Command5_Click();
        else
            Command7_Click();
    } else {
        if (index == 1 || index == 2) {
            pointsOrder_ = index;
            Label5->setText(index == 1 ? QStringLiteral("獲得ポイント（今まで順位）")
                                       : QStringLiteral("獲得ポイント（今日の順位）"));
            rankEveryLevel();
        } else {
            reg.timeListChoice = AnyValue(2);
            Command7_Click();
        }
    }
    afterListChoice();
}

void seisekitime1::afterListChoice()
{
    Picture1->setEnabled(true);
    enableBack(true);
    reg.targetLevelCleared = AnyValue(targetLevelClearedFor(reg.currentPupilNo));
    showRankingLists();
    hideWaitPanel(Picture6);
}

void seisekitime1::enableBack(bool enabled)
{
    // Disabled with the keyboard, "戻る(0)" would hand it on to the next control, the grade box,
    // where a "0" is typed as text: the keyboard waits for it instead and comes back to it.
    if (!enabled && Command1->hasFocus()) {
        backKeepsFocus_ = true;
        Command1->clearFocus();
    }
    Command1->setEnabled(enabled);
    if (enabled && std::exchange(backKeepsFocus_, false) && !focusWidget())
        Command1->setFocus(Qt::OtherFocusReason);
}

void seisekitime1::rankEveryLevel()
{
    ProgressBar1->setMaximum(std::max(levelCount_, 1));
    ProgressBar2->setMaximum(std::max(levelCount_, 1));
    for (int level = 1; level <= levelCount_; ++level) {
        Command3_Click(level);
        setProgress(ProgressBar1, level);
        setProgress(ProgressBar2, level);
    }
}

void seisekitime1::Combo1_Click()
{
    reg.gradeFilterText = Combo1->currentText();
    const int kind = option2Group_->checkedId();
    Option2_Click(kind < 0 ? 0 : kind);
    if (levelCount_ >= 1)
        column(1).Command4->setFocus();
}

void seisekitime1::Combo2_Click(int index)
{
    reg.periodChoice = AnyValue(std::clamp(index + 1, 1, 5));
    if (Option1[3]->isChecked())
        Option1_Click(3);
}

void seisekitime1::回数など表示()
{
    for (int level = 1; level <= levelCount_; ++level) {
        Column& c = column(level);
        c.Label9->setText(QStringLiteral("今日"));
        c.Label10->setText(QStringLiteral("今まで"));
        c.List5->clear();
    }
}

void seisekitime1::成績リスト色表示()
{
    for (int level = 1; level <= levelCount_; ++level)
        成績リスト色表示単独(level);
}

void seisekitime1::成績リスト色表示単独(int level)
{
    QListWidget* list = column(level).List5;
    // A grade typed into the box that is none of the grades shows nobody, and says so.
    if (!matchesSomeGrade(Combo1->currentText())) {
        list->clear();
        list->addItem(noGradeLine());
    }
    // The lists show plain text: after filling, no line stays selected.
    if (list->count() > 0) {
        list->setCurrentRow(-1);
        list->clearSelection();
    }
}

void seisekitime1::Command3_Click(int level)
{
    if (level < 1 || level > levelCount_)
        return;
    RankingOptions options;
    options.level = level;
    options.displayKind = displayKind_ == 2 ? 2 : 1;
    options.pointsOrder = pointsOrder_ == 2 ? 2 : 1;
    options.gradeChoice = Combo1->currentText();
    options.currentPupil = reg.currentPupilNo;
    const Ranking ranking = buildRanking(options);
    QListWidget* list = column(level).List5;
    list->setUpdatesEnabled(false);
    list->clear();
    list->addItems(ranking.lines);
    list->setCurrentRow(ranking.currentLine);
    list->setUpdatesEnabled(true);
    成績リスト色表示単独(level);
}

void seisekitime1::Command6_Click()
{
    Label5->setText(QStringLiteral("ベスト成績"));
    reg.listKind = 1;
    回数など表示();
    ProgressBar2->setMaximum(std::max(levelCount_, 1));
    setProgress(ProgressBar2, 0);
    for (int level = 1; level <= levelCount_; ++level) {
        Column& c = column(level);
        if (isPracticeTitle(c.Label3->text()))
            hidePracticeColumn(c);
        else
            Command3_Click(level);
        c.List5->setCurrentRow(-1);
        setProgress(ProgressBar2, level);
    }
    Picture1->setEnabled(true);
}

void seisekitime1::Command5_Click()
{
    Label5->setText(QStringLiteral("本日の成績"));
    reg.listKind = 2;
    回数など表示();
    fillAttemptLists(TodayFill, kTodayListWindow, 0, false);
    Picture1->setEnabled(true);
}

void seisekitime1::Command7_Click()
{
    reg.listKind = 3;
    Label5->setText(QString());
    回数など表示();
    const int choice = reg.periodChoice.isSet() ? static_cast<int>(reg.periodChoice.toInteger()) : 5;
    const int days = periodDaysFor(choice, platform::clock().today());
    reg.periodDays = AnyValue(days);
    fillAttemptLists(PeriodFill, kPeriodListWindow, days, false);
    Picture1->setEnabled(true);
    Combo2->setVisible(true);
}

void seisekitime1::Command16_Click()
{
    fillPupilList();
    reg.listKind = 3;
    回数など表示();
    Label5->setText(QStringLiteral("個人別ﾀｲﾑ"));
    fillAttemptLists(OwnFill, kPeriodListWindow, 3650, true);
    for (int level = 1; level <= levelCount_; ++level) {
        Column& c = column(level);
        c.Command4->setEnabled(true);
        if (isPracticeTitle(c.Label3->text()))
            hidePracticeColumn(c);
        else
            c.List5->setVisible(true);
    }
    enableBack(true);
    hideWaitPanel(Picture6);
}

void seisekitime1::fillAttemptLists(int kind, qint64 window, int periodDays, bool ownOnly)
{
    Result<std::vector<LoadedResult>> read = readStoredResults(window);
    if (!read) {
        // The board stays usable with empty lists; the teacher learns which file failed.
        platform::showMessage(read.error().message(), reg.drillSetTitle);
        成績リスト色表示();
        return;
    }
    std::vector<LoadedResult>& attempts = read.value();
    if (ownOnly) {
        std::erase_if(attempts, [](const LoadedResult& a) { return a.pupilNo != reg.currentPupilNo; });
    }
    const int n = static_cast<int>(attempts.size());
    ProgressBar2->setMaximum(static_cast<int>(std::ceil((n + 1) * 1.1)));
    setProgress(ProgressBar2, 0);

    AttemptListOptions options;
    if (kind == TodayFill)
        options.kind = AttemptListKind::Today;
    else if (kind == OwnFill)
        options.kind = AttemptListKind::Own;
    else
        options.kind = displayKind_ == 2 ? AttemptListKind::PeriodPoints : AttemptListKind::PeriodTimes;
    options.levelCount = levelCount_;
    options.gradeChoice = Combo1->currentText();
    options.currentPupil = reg.currentPupilNo;
    options.today = platform::clock().today();
    options.todayDayCount = platform::dayCount(options.today);
    options.periodDays = periodDays;
    // Attempts of pupils who are no longer listed keep their names and grades. Should the
    // roster not be readable now, the listed pupils still have theirs.
    const Result<PupilListing> roster = kanameru::fillPupilList();
    options.roster = roster ? &roster.value() : nullptr;
    const std::vector<QStringList> lists
        = attemptLists(attempts, options, [this](int done) { setProgress(ProgressBar2, done); });
    for (int level = 1; level <= levelCount_; ++level) {
        QListWidget* list = column(level).List5;
        list->setUpdatesEnabled(false);
        list->addItems(lists[static_cast<size_t>(level)]);
        list->setUpdatesEnabled(true);
    }
    成績リスト色表示();
}

} // namespace kanameru
