// The board's review button (復習): the pupil's events due for review, counted once the board
// has opened, and the review started from them.
#include "board/boardwidgets.h"
#include "board/seisekitime1.h"
#include "board/weakevents.h"
#include "drill/drillrules.h"
#include "drill/questiontable.h"
#include "platform/clock.h"
#include "platform/messagebox.h"
#include "review/eventhistory.h"
#include "review/eventtally.h"
#include "review/reviewplan.h"
#include "startup/hensuu1.h"

#include <QShortcut>

namespace kanameru {

using namespace boardwidgets;

namespace {

QString unusableText(const QString& why)
{
    return QStringLiteral("出来事ごとの記録のファイルを使えないため、復習はできません"
                          "（ドリルと成績の記録はいつもどおりです）。先生に知らせてください。\n")
        + why;
}

} // namespace

void seisekitime1::buildReviewButton()
{
    reviewButton_ = makeButton(this, QStringLiteral("reviewButton"), QStringLiteral("復習(&R)"), 12);
    reviewButton_->setGeometry(8, 188, 120, 36);
    reviewButton_->setToolTip(QStringLiteral("間違えた出来事の問題をもう一度解きます。Rを押してもよろしい"));
    keepUsualColours(reviewButton_);
    connect(reviewButton_, &QPushButton::clicked, this, [this] { Review_Click(); });
    reviewLabel_ = makeLabel(this, QStringLiteral("reviewLabel"), QString(), 12);
    reviewLabel_->setGeometry(136, 188, 312, 36);
    platform::setForeground(reviewLabel_, Qt::white);
    // "R" presses it, as the digits press the start buttons.
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_R), this);
    connect(shortcut, &QShortcut::activated, this, [this] {
        if (reviewButton_->isEnabled())
            reviewButton_->click();
    });
}

// The pupil's events due today, from the events file as it stands; -1 (and the reason in
// reviewProblem_) when the file cannot be used. With `askable`, only the events the question
// file holds: those a review can ask.
int seisekitime1::countDue(bool askable)
{
    const int pupil = reg.currentPupilNo;
    reviewProblem_.clear();
    review::EventHistory& history = review::sharedHistory();
    if (const std::optional<FileError> e = history.update(review::eventsFilePath(), { pupil })) {
        reviewProblem_ = e->message();
        return -1;
    }
    const review::PupilEvents& events = history.pupil(pupil);
    const int today = static_cast<int>(platform::clock().todayDayCount());
    int due = static_cast<int>(events.dueOn(today).size());
    const QString questions = reg.appFolder + questionFileName();
    if (askable && due > 0 && !loadQuestionTable(questions))
        if (const Result<QuestionRows> rows = loadRows(kMaxLevel, storedQuestionFileName(questions)))
            due = review::dueInRows(events, *rows, today);
    return due;
}

void seisekitime1::showReviewCount()
{
    if (leaving_)
        return;
    reviewDue_ = countDue(true);
    if (reviewDue_ >= 0) {
        reviewLabel_->setText(QStringLiteral("復習する出来事：%1").arg(reviewDue_));
        return;
    }
    reviewLabel_->setText(QStringLiteral("復習は使えません"));
    // Told once per run; the button tells it again when pressed.
    static bool told = false;
    if (!told) {
        told = true;
        platform::showMessage(unusableText(reviewProblem_), reg.drillSetTitle);
    }
}

void seisekitime1::Review_Click()
{
    if (leaving_ || !activated_)
        return;
    // Counted once the board opened, or now; the drill form reads what was appended since and
    // says so itself when none of the events due is in the question file any more.
    const int due = reviewDue_ >= 0 ? reviewDue_ : countDue(false);
    if (due < 0) {
        platform::showMessage(unusableText(reviewProblem_), reg.drillSetTitle);
        return;
    }
    if (due == 0) {
        platform::showMessage(review::nothingDueText(), reg.drillSetTitle);
        return;
    }
    const int highest = review::sharedHistory().pupil(reg.currentPupilNo).highestLevel();
    startLevel(std::clamp(highest, 1, std::max(levelCount_, 1)), 0, true);
}

struct WeakEvents::Names {
    std::unordered_map<review::EventId, review::EventName> byEvent;
};

WeakEvents::WeakEvents(const std::vector<int>& pupils)
{
    if (review::sharedHistory().update(review::eventsFilePath(), pupils))
        return;
    const QString questions = reg.appFolder + questionFileName();
    if (loadQuestionTable(questions))
        return;
    if (const Result<QuestionRows> rows = loadRows(kMaxLevel, storedQuestionFileName(questions)))
        names_ = std::make_unique<Names>(Names { review::eventNames(*rows) });
}

WeakEvents::~WeakEvents() = default;

QString WeakEvents::line(int pupil, int level) const
{
    return names_ ? review::weakestLine(review::sharedHistory().pupil(pupil), level, names_->byEvent) : QString();
}

} // namespace kanameru
