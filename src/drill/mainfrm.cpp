#include "drill/mainfrm.h"

#include "drill/draglabel.h"
#include "drill/drillwidgets.h"
#include "drill/questiontable.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/formhost.h"
#include "platform/inputgate.h"
#include "platform/messagebox.h"
#include "platform/random.h"
#include "platform/screen.h"
#include "results/results.h"
#include "review/eventhistory.h"
#include "review/judgementlog.h"
#include "review/reviewplan.h"
#include "sound/sound.h"
#include "startup/anyvalue.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace kanameru {

namespace {

using platform::rgb;

constexpr int kFormHeight = 768;

bool memorizing()
{
    return reg.memorizeMode == 1;
}

QString levelName(int level)
{
    const QString title = reg.levelTitles[level].trimmed();
    return title.isEmpty() ? QStringLiteral("レベル%1").arg(level) : title;
}

} // namespace

// Form_Load.
MainFrm::MainFrm(QWidget* parent)
    : QWidget(parent)
    , clock_(platform::clock())
{
    setObjectName(QStringLiteral("MainFrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(reg.drillSetTitle);
    setFixedSize(1024, kFormHeight);
    // The form itself takes the keys of keyboard play; the phase buttons answer to Enter.
    setFocusPolicy(Qt::StrongFocus);
    platform::random().seedFromClock();

    flow_ = std::make_unique<AnswerFlow>(rows_, platform::random(), clock_);
    judgements_ = std::make_unique<review::JudgementLog>(platform::clock());
    review::setLastMissedEvents({});
    cycle_ = std::make_unique<RevealCycle>(rows_);

    buildStrip();
    buildWorkArea();
    buildQuestionRows();
    buildButtons();
    buildMemorizePanel();
    buildOverlay();

    for (int i = 1; i <= 5; ++i) {
        Label3[i]->mayStart = [this](int index) { return flow_->startExplanationDrag(index); };
        Label3[i]->dropped = [this](int, QPoint at) {
            if (DragLabel* target = labelAt(Label3, at))
                flow_->dropOnExplanation(target->index());
            flow_->endDrag();
            keys_.putBack();
            render();
        };
        Label1[i]->mayStart = [this](int index) { return flow_->startRowDrag(index); };
        Label1[i]->dropped = [this](int, QPoint at) {
            if (DragLabel* target = labelAt(Label1, at))
                flow_->dropOnEvent(target->index());
            flow_->endDrag();
            keys_.putBack();
            render();
        };
    }

    sPicture1->move(0, sPicture1->y());
    sPicture1->resize(1024, sPicture1->height());
    sPicture2->move(0, 0);
    Picture2->show();
    Picture2->setGeometry(0, sPicture1->y() + sPicture1->height(), 1024, kFormHeight - sPicture1->height());
    platform::prepareControls(this);
    sTimer2->start();
}

MainFrm::~MainFrm() = default;

MainFrm* MainFrm::open()
{
    auto* form = new MainFrm();
    platform::holdInput(form);
    platform::fitForm(form);
    form->show();
    if (!form->Form_Activate()) {
        form->leaving_ = true;
        form->sTimer1->stop();
        form->sTimer2->stop();
        form->close();
        showResultsBoard();
        return nullptr;
    }
    platform::settleInput(form);
    return form;
}

bool MainFrm::Form_Activate()
{
    cycle_->restart();
    Picture6->setGeometry(Picture1->x() + Picture1->width(), 0, Picture2->width() - (Picture1->x() + Picture1->width()),
        Picture2->height());
    if (memorizing()) {
        Picture6->show();
        setSpeed(kDefaultSpeed);
    } else {
        Picture6->hide();
        for (QPushButton* b : { Command3, Command4, Command7, Command8 })
            b->move(Command6->pos());
    }
    for (int k = 1; k <= 20; ++k) {
        Label16[k]->setText(QString::number(k * 100));
        Label16[k]->show();
    }
    初期設定();
    レベル別設定();
    if (!Command2_Click())
        return false;
    スタート();
    if (memorizing()) {
        // The form takes keys only for the questions; among the cards' controls it would be
        // a stop without a frame.
        setFocusPolicy(Qt::NoFocus);
        Option1[1]->setFocus();
        Command9_Click();
    } else {
        Command3_Click();
        setFocus();
    }
    return true;
}

void MainFrm::初期設定()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w != this && w->objectName() == QLatin1String("seisekitime1"))
            w->close();
    }
    hideBackdrop();
    reg.allSolved = 0;
    reg.finishing = 0;
    const int level = reg.currentLevel;
    if (reg.levelIsTimed[level] != 0 && reg.reviewMode != 1) {
        setTimeLimit();
        sLabel10->setText(QStringLiteral("0"));
        reg.timeBarScale = reg.timeBarSeconds > 0 ? static_cast<double>(sShape5->width()) / reg.timeBarSeconds : 0;
        const int full = sShape5->width();
        for (QWidget* s : { sShape2, sShape3, sShape4 })
            s->move(sShape5->pos());
        sShape2->resize(0, sShape2->height());
        sShape3->resize(std::min(full, static_cast<int>(reg.levelTarget[level] * reg.timeBarScale)), sShape3->height());
        sShape4->resize(
            std::min(full, static_cast<int>(reg.levelTargetB[level] * reg.timeBarScale)), sShape4->height());
    } else {
        // A level not judged by time, and a review, have no time limit.
        reg.timeBarSeconds = 0;
        reg.timeBarScale = 0;
        if (reg.reviewMode == 1)
            for (QWidget* s : { sShape2, sShape3, sShape4 })
                s->resize(0, s->height());
    }
    const QString title = reg.drillSetTitle;
    sLabel2->setFont(platform::captionFont(title.size() > 9 ? 14 : 16.8, true));
    sLabel2->setText(title);
    sLabel7->setText(reg.currentPupilName.trimmed());
    sLabel8->setText(reg.reviewMode == 1 ? QStringLiteral("復習") : reg.levelTitles[level]);
    sLabel14->setText(reg.schoolName);
    reg.todayTotalCount = todayTotalOfPupil();
    sLabel13->setText(QString::number(minutesSincePupilStart(platform::clock().secondsSinceMidnight())));
    if (isPracticeLevel(level) || reg.reviewMode == 1) {
        sLabel12->setText(QStringLiteral("－"));
        sLabel11->setText(QStringLiteral("－"));
    } else {
        sLabel12->setText(QString::number(reg.todayTotalCount + 1));
        sLabel11->setText(shortestNumber(reg.todayCount(level, reg.currentPupilNo) + 1.0));
    }
}

void MainFrm::レベル別設定()
{
    reg.questionsPerAttempt = kQuestionsPerAttempt;
    sLabel9->setText(QStringLiteral("5"));
}

void MainFrm::スタート()
{
    clock_.start();
    sTimer1->start();
}

bool MainFrm::Command2_Click()
{
    const QString fileName = reg.appFolder + questionFileName();
    const QString title = reg.drillSetTitle;
    if (std::optional<FileError> error = loadQuestionTable(fileName)) {
        platform::showMessage(
            QStringLiteral("問題ファイルを読めないため、ドリルを始められません。\n%1").arg(error->message()), title);
        return false;
    }
    // A review asks events of every level.
    Result<QuestionRows> rows
        = loadRows(reg.reviewMode == 1 ? kMaxLevel : reg.currentLevel, storedQuestionFileName(fileName));
    if (!rows) {
        platform::showMessage(
            QStringLiteral("問題ファイルを読めないため、ドリルを始められません。\n%1").arg(rows.error().message()),
            title);
        return false;
    }
    rows_ = std::move(*rows);
    const int needed = memorizing() ? 1 : kEventsPerQuestion;
    if (rows_.usableRowCount < needed) {
        platform::showMessage(
            QStringLiteral("レベル「%1」の問題は %2 問しかないため、出題できません（%3 問以上が必要です）。")
                .arg(levelName(reg.currentLevel), QString::number(rows_.usableRowCount), QString::number(needed)),
            title);
        return false;
    }
    if (reg.reviewMode == 1 && !planReview())
        return false;
    for (int k = 1; k <= 20; ++k)
        Label16[k]->move(Label16[k]->x(), Picture1->gridLine(k) - Label16[k]->height());
    return true;
}

// The questions of a review, from the pupil's events as the events file holds them now.
bool MainFrm::planReview()
{
    const QString title = reg.drillSetTitle;
    review::EventHistory& history = review::sharedHistory();
    if (std::optional<FileError> e = history.update(review::eventsFilePath(), { reg.currentPupilNo })) {
        platform::showMessage(QStringLiteral("復習できません。\n%1").arg(e->message()), title);
        return false;
    }
    const review::ReviewPlan plan = review::planReview(history.pupil(reg.currentPupilNo), rows_,
        static_cast<int>(platform::clock().todayDayCount()), platform::random());
    if (plan.questions.empty()) {
        platform::showMessage(review::nothingDueText(), title);
        return false;
    }
    flow_->planQuestions(plan.questions);
    reg.questionsPerAttempt = static_cast<qint16>(plan.questions.size());
    sLabel9->setText(QString::number(reg.questionsPerAttempt));
    return true;
}

int MainFrm::yearTop(double year) const
{
    return static_cast<int>(yearPosition(year, Picture1->y(), Picture1->height(), Picture3->height()));
}

QPushButton* MainFrm::button(PhaseButton b) const
{
    switch (b) {
    case PhaseButton::JudgeExplanations:
        return Command6;
    case PhaseButton::RetryExplanations:
        return Command7;
    case PhaseButton::JudgeOrder:
        return Command4;
    case PhaseButton::RetryOrder:
        return Command8;
    case PhaseButton::Next:
        return Command3;
    case PhaseButton::None:
        break;
    }
    return nullptr;
}

// Shows the state of the question: captions, colours, the answer on the axis, the buttons.
void MainFrm::render()
{
    if (!flow_->hasQuestion())
        return;
    const AnswerFlow& f = *flow_;
    const Question& q = f.question();
    for (int i = 1; i <= 5; ++i) {
        const ScreenRow& row = q.row(i);
        Label12[i]->setText(QString::number(row.rowIndex));
        // A year may carry a date or a note after its number ("1868年1月3日", "1192年頃"):
        // it is set smaller until the whole text fits.
        fitCaption(Label2[i], row.year, 14, 7, true);
        fitCaption(Label1[i], row.event, 15, 9, true);
        fitCaption(Label3[i], row.explanation, 12, 8);
        platform::setBackground(Label1[i], rgb(f.eventColour(i)));
        platform::setBackground(Label3[i], rgb(f.explanationColour(i)));
        Label2[i]->setVisible(f.yearShown(i));
        Label3[i]->show();
    }
    // The answer: markers at the years, the years and events in order, lines between them.
    Picture2->eraseDrawings();
    for (int i = 1; i <= 5; ++i) {
        const int r = f.answerRow(i);
        if (f.markersShown() && r > 0)
            Picture4[i]->move(Picture1->x() + Picture1->width(), yearTop(rows_.yearOf(r)));
        Picture4[i]->setVisible(f.markersShown());
        if (f.answerLabelsShown() && r > 0) {
            fitCaptionWidening(Label7[i], rows_.rowYear[r], 10, 8.5, Label18->width(), true);
            // The event label is as high as its lines, so that the answer line meets its middle.
            Label4[i]->resize(Label4[i]->width(), platform::twips(900));
            fitCaption(Label4[i], rows_.rowEvent[r], 10, 7);
            const QRect need
                = QFontMetrics(Label4[i]->font())
                      .boundingRect(QRect(0, 0, Label4[i]->width() - 8, 1000), Qt::TextWordWrap, rows_.rowEvent[r]);
            Label4[i]->resize(
                Label4[i]->width(), std::clamp(need.height() + 4, platform::twips(285), platform::twips(900)));
        }
        Label7[i]->setVisible(f.answerLabelsShown());
        Label4[i]->setVisible(f.answerLabelsShown());
        if (f.linesDrawn()) {
            const QRect m = Picture4[i]->geometry();
            const QRect e = Label4[i]->geometry();
            Picture2->drawLine(QLine(m.center(), QPoint(e.left(), e.top() + e.height() / 2)));
        }
    }
    Label18->setText(f.panelCaption());
    platform::setBackground(Label18, rgb(f.panelColour()));
    Label18->setVisible(f.panelShown());

    Image2->setVisible(f.picture() == 2);
    Image3->setVisible(f.picture() == 3);
    if (f.picture() == 2 || f.picture() == 3) {
        const QLabel* image = f.picture() == 2 ? Image2 : Image3;
        Label11->move(image->x() + image->width(), image->y());
    }
    Label11->setText(f.instruction());

    QPushButton* shown = button(f.button());
    for (QPushButton* b : { Command3, Command4, Command6, Command7, Command8 })
        b->setVisible(b == shown);
    if (shown && shown != shownButton_)
        platform::settleSpot(shown);
    shownButton_ = shown;
    keyHints->setText(keyHintsText(shown ? shown->text() : QString()));

    List2->clear();
    for (int i = 1; i <= 5; ++i)
        List2->addItem(QStringLiteral("%1").arg(q.pickedRows()[i - 1], 4));
    sLabel9->setText(QString::number(reg.questionsPerAttempt - reg.solvedCount));
    showKeyCursor();
}

DragLabel* MainFrm::cursorLabel(CursorKind kind, int index) const
{
    if (index < 1 || index > 5)
        return nullptr;
    return kind == CursorKind::Explanation ? Label3[index] : kind == CursorKind::Event ? Label1[index] : nullptr;
}

// Frames the label under the keyboard cursor and the one picked up.
void MainFrm::showKeyCursor()
{
    // A label picked up before the phase changed goes back.
    if (keys_.picked() != 0 && keys_.pickedKind() != KeyCursor::movable(*flow_)) {
        keys_.putBack();
        flow_->endDrag();
    }
    const CursorKind kind = memorizing() ? CursorKind::None : keys_.kind(*flow_);
    for (int i = 1; i <= 5; ++i) {
        for (DragLabel* l : { Label1[i], Label3[i] }) {
            const CursorKind own = l == Label3[i] ? CursorKind::Explanation : CursorKind::Event;
            l->setKeyFrames(own == kind && i == keys_.index(), own == keys_.pickedKind() && i == keys_.picked());
        }
    }
}

// Keyboard play: the arrows move the cursor, Space picks up and drops through the handlers of
// a drag, Escape puts back, Enter presses the phase button on show. In flash-card practice the
// arrows go from control to control.
void MainFrm::keyPressEvent(QKeyEvent* event)
{
    if (memorizing() || !flow_->hasQuestion() || reg.finishing == 1) {
        const int key = event->key();
        if (key == Qt::Key_Up || key == Qt::Key_Left || key == Qt::Key_Down || key == Qt::Key_Right) {
            focusNextPrevChild(key == Qt::Key_Down || key == Qt::Key_Right);
            event->accept();
            return;
        }
        QWidget::keyPressEvent(event);
        return;
    }
    const CursorAction a = keys_.key(static_cast<Qt::Key>(event->key()), *flow_);
    if (a.type != CursorAction::Nothing)
        keyHints->show();
    switch (a.type) {
    case CursorAction::Nothing:
        QWidget::keyPressEvent(event);
        return;
    case CursorAction::Moved:
        break;
    case CursorAction::PickUp:
        if (DragLabel* l = cursorLabel(a.kind, a.from); !l || !l->mayStart || !l->mayStart(a.from))
            keys_.putBack();
        break;
    case CursorAction::Drop: {
        DragLabel* from = cursorLabel(a.kind, a.from);
        DragLabel* to = cursorLabel(a.kind, a.to);
        if (from && to && from->dropped)
            from->dropped(a.from, to->mapToGlobal(to->rect().center()));
        break;
    }
    case CursorAction::PutBack:
        flow_->endDrag();
        break;
    case CursorAction::PressButton:
        if (QPushButton* b = button(flow_->button()); b && b->isVisible()) {
            QPointer<MainFrm> self(this);
            b->click();
            if (!self)
                return;
        }
        break;
    }
    event->accept();
    showKeyCursor();
}

void MainFrm::playSound(JudgementSound sound)
{
    // The new colours show before the sound holds the form. Only what changed is painted (the
    // pending update request of the window), so a form drawn at a larger scale pays for its
    // changes and not for a whole new picture.
    platform::paintChangesNow(this);
    if (sound == JudgementSound::Right)
        playCorrectSound();
    else if (sound == JudgementSound::Wrong)
        playWrongSound();
}

void MainFrm::Command3_Click()
{
    Command3->hide();
    Picture2->eraseDrawings();
    flow_->newQuestion();
    render();
}

void MainFrm::Command6_Click()
{
    const Judgement j = flow_->judgeExplanations();
    if (j.sound != JudgementSound::None)
        recordJudgement(1);
    render();
    playSound(j.sound);
}

void MainFrm::Command7_Click()
{
    flow_->retryExplanations();
    render();
}

void MainFrm::Command4_Click()
{
    const Judgement j = flow_->judgeOrder();
    if (j.sound != JudgementSound::None)
        recordJudgement(2);
    render();
    // The clock stopped at the last right answer: the strip shows the time that is recorded,
    // before the sound greets it.
    if (j.attemptSolved && reg.levelIsTimed[reg.currentLevel] != 0)
        sLabel10->setText(QString::number(clock_.elapsed()));
    playSound(j.sound);
    if (j.attemptSolved) {
        sTimer1->stop();
        finishAttempt();
    }
}

void MainFrm::Command8_Click()
{
    flow_->retryOrder();
    render();
}

void MainFrm::renderLamps()
{
    for (int i = 10; i < 40; ++i)
        sPicture3[i]->setVisible(lamps_.lit(i));
}

void MainFrm::sTimer1_Timer()
{
    const Tick t = tickAttempt(clock_);
    const int level = reg.currentLevel;
    // The "Best" and "YourBest" rows count down to the best result of the level and to the
    // pupil's own best, as the statistics last stood; a level without one keeps its row lit.
    auto best = [](qint32 result) { return result > 0 && result < kTimeOut ? result : 0; };
    if (reg.reviewMode != 1)
        lamps_.update(t.elapsed, reg.levelTarget[level], reg.levelTargetB[level], best(reg.levelBestScore[level]),
            best(reg.bestScore(level, reg.currentPupilNo)));
    renderLamps();
    if (reg.levelIsTimed[level] != 0)
        sLabel10->setText(QString::number(t.elapsed));
    if (!t.barFull)
        sShape2->resize(
            std::clamp(static_cast<int>(t.elapsed * reg.timeBarScale), 0, sShape5->width()), sShape2->height());
    else
        sShape2->resize(sShape5->width(), sShape2->height());
    if (t.timeUp) {
        sTimer1->stop();
        finishAttempt();
    }
}

void MainFrm::sTimer2_Timer()
{
    sLabel13->setText(QString::number(minutesSincePupilStart(platform::clock().secondsSinceMidnight())));
}

void MainFrm::finishAttempt()
{
    QPointer<MainFrm> self(this);
    platform::letEventsRun();
    if (!self)
        return;
    const FinishRoute route = beginFinish(clock_);
    if (route == FinishRoute::AlreadyFinishing)
        return;
    sTimer1->stop();
    for (QTimer* t : { Timer2, Timer3, Timer4 })
        t->stop();
    sPicture2->raise();
    sPicture2->show();
    lblsss2->setVisible(reg.timeUp == 1);
    lblsss1->setVisible(reg.timeUp != 1);
    repaint();
    if (route == FinishRoute::BackToBoard) {
        storeJudgements();
        showBackdrop();
        leaveToBoard();
        return;
    }
    recordResult(reg.currentLevel);
    if (!self || programEnding())
        return;
    storeJudgements();
    showBackdrop();
    waitThenShowEndScreen(1);
}

void MainFrm::waitThenShowEndScreen(int seconds)
{
    // The attempt is over: a press meant for it acts on nothing while the result is recorded.
    platform::holdInput(this);
    QPointer<MainFrm> self(this);
    platform::waitLettingEventsRun(seconds * 1000);
    if (!self)
        return;
    leaving_ = true;
    sTimer2->stop();
    close();
    showEndScreen();
}

void MainFrm::leaveToBoard()
{
    platform::holdInput(this);
    leaving_ = true;
    sTimer1->stop();
    sTimer2->stop();
    close();
    showResultsBoard();
}

// Keeps the judgement's events for the events file.
void MainFrm::recordJudgement(int phase)
{
    judgements_->judged(flow_->question(), rows_, phase == 1 ? review::Phase::Explanations : review::Phase::Order,
        reg.currentPupilNo, reg.currentLevel, reg.reviewMode == 1 ? review::Kind::Review : review::Kind::Drill);
}

// Stores the drill's judgements in the events file, and names its mistakes for the end screen.
// A failure is told but stops nothing: the attempt is in the results file.
void MainFrm::storeJudgements()
{
    review::setLastMissedEvents(judgements_->missed());
    if (std::optional<QString> failure = judgements_->flush(review::eventsFilePath()))
        platform::showMessage(*failure, reg.drillSetTitle);
}

void MainFrm::closeEvent(QCloseEvent* event)
{
    // Closed from the window's title bar once the attempt has ended (solved, with the "正解"
    // sound of the last question still playing, or out of time) or while it is being recorded:
    // the form records it, closes itself within a second and opens the end screen, which
    // closing it now would prevent.
    if (!leaving_ && (reg.finishing == 1 || reg.allSolved == 1 || reg.timeUp == 1)) {
        event->ignore();
        return;
    }
    // Closed from the window's title bar during an attempt: back to the results board, with
    // nothing recorded, so that the program never runs on without a window.
    if (!leaving_ && reg.finishing == 0) {
        reg.finishing = 1;
        leaving_ = true;
        storeJudgements();
        sTimer1->stop();
        sTimer2->stop();
        QTimer::singleShot(0, [] { showResultsBoard(); });
    }
    event->accept();
}

} // namespace kanameru
