#include "drill/answerflow.h"

#include "startup/hensuu1.h"

namespace kanameru {

QString explanationInstruction()
{
    return QStringLiteral("説明を正しく入れ替えなさい");
}

QString orderInstruction()
{
    return QStringLiteral("出来事を年代順に並べなさい");
}

QString nextInstruction()
{
    return QStringLiteral("確認して次の問題へ進もう！");
}

AnswerFlow::AnswerFlow(const QuestionRows& rows, platform::RandomSource& random, AttemptClock& clock)
    : rows_(rows)
    , random_(random)
    , clock_(clock)
{
    eventColour_.fill(kLightGreen);
    explanationColour_.fill(kYellow);
    panelCaption_ = QStringLiteral("正解は");
}

void AnswerFlow::planQuestions(std::vector<std::array<int, kEventsPerQuestion>> questions)
{
    planned_ = std::move(questions);
    nextPlanned_ = 0;
}

bool AnswerFlow::newQuestion()
{
    std::optional<Question> q = nextPlanned_ < planned_.size()
        ? std::optional<Question>(Question::of(rows_, planned_[nextPlanned_++], random_))
        : Question::make(rows_, random_);
    if (!q)
        return false;
    question_ = std::move(q);
    button_ = PhaseButton::None;
    linesDrawn_ = false;
    panelShown_ = false;
    panelColour_ = kLightYellow;
    yearShown_.fill(false);
    markersShown_ = false;
    answerLabelsShown_ = false;
    explanationColour_.fill(kYellow);
    // The events keep the colour of their last judgement.
    dragPhase_ = 1;
    dragKind_ = 0;
    picture_ = 2;
    instruction_ = explanationInstruction();
    button_ = PhaseButton::JudgeExplanations;
    return true;
}

bool AnswerFlow::startExplanationDrag(int i)
{
    if (!question_ || dragPhase_ != 1)
        return false;
    dragKind_ = 3;
    dragIndex_ = i;
    return true;
}

bool AnswerFlow::startRowDrag(int i)
{
    if (!question_ || button_ == PhaseButton::RetryOrder || dragPhase_ != 2)
        return false;
    dragKind_ = 1;
    dragIndex_ = i;
    return true;
}

bool AnswerFlow::dropOnExplanation(int j)
{
    const bool ok = dragKind_ == 3;
    if (ok)
        question_->exchangeExplanations(j, dragIndex_);
    dragKind_ = 0;
    return ok;
}

bool AnswerFlow::dropOnEvent(int j)
{
    const bool ok = dragKind_ == 1;
    if (ok)
        question_->exchangeRows(j, dragIndex_);
    dragKind_ = 0;
    return ok;
}

Judgement AnswerFlow::judgeExplanations()
{
    Judgement j;
    if (!question_ || button_ != PhaseButton::JudgeExplanations)
        return j;
    button_ = PhaseButton::None;
    const auto right = question_->explanationsRight(rows_);
    bool allRight = true;
    for (int i = 0; i < kEventsPerQuestion; ++i) {
        explanationColour_[i] = right[i] ? kGreen : kRed;
        allRight = allRight && right[i];
    }
    if (allRight) {
        j.sound = JudgementSound::Right;
        dragPhase_ = 2;
        button_ = PhaseButton::JudgeOrder;
        picture_ = 3;
        instruction_ = orderInstruction();
        eventColour_.fill(kYellow);
    } else {
        dragPhase_ = 3;
        j.sound = JudgementSound::Wrong;
        clock_.penalty(kExplanationPenalty);
        button_ = PhaseButton::RetryExplanations;
    }
    return j;
}

void AnswerFlow::retryExplanations()
{
    if (!question_ || button_ != PhaseButton::RetryExplanations)
        return;
    explanationColour_.fill(kYellow);
    question_->shuffleExplanations(random_);
    dragPhase_ = 1;
    button_ = PhaseButton::JudgeExplanations;
}

Judgement AnswerFlow::judgeOrder()
{
    Judgement j;
    if (!question_ || button_ != PhaseButton::JudgeOrder)
        return j;
    button_ = PhaseButton::None;
    linesDrawn_ = false;
    const auto right = question_->orderRight();
    int wrongCount = 0;
    for (int i = 0; i < kEventsPerQuestion; ++i) {
        eventColour_[i] = right[i] ? kGreen : kRed;
        if (!right[i])
            ++wrongCount;
    }
    panelShown_ = true;
    for (int i = 1; i <= kEventsPerQuestion; ++i)
        answerRows_[i - 1] = question_->answerRow(i);
    yearShown_.fill(true);
    markersShown_ = true;
    answerLabelsShown_ = true;
    linesDrawn_ = true;
    if (wrongCount == 0) {
        picture_ = 0;
        panelCaption_ = QStringLiteral("正解です");
        panelColour_ = kGreen;
        j.sound = JudgementSound::Right;
        ++reg.solvedCount;
        if (reg.solvedCount < reg.questionsPerAttempt) {
            button_ = PhaseButton::Next;
            instruction_ = nextInstruction();
        } else {
            clock_.stop(); // the attempt time ends with the last right answer
            reg.allSolved = 1;
            j.attemptSolved = true;
        }
    } else {
        panelCaption_ = QStringLiteral("正解は");
        panelColour_ = kRed;
        j.sound = JudgementSound::Wrong;
        clock_.penalty(kOrderPenalty);
        button_ = PhaseButton::RetryOrder;
    }
    return j;
}

void AnswerFlow::retryOrder()
{
    if (!question_ || button_ != PhaseButton::RetryOrder)
        return;
    button_ = PhaseButton::JudgeOrder;
    linesDrawn_ = false;
    panelShown_ = false;
    panelColour_ = kLightYellow;
    answerLabelsShown_ = false;
    question_->shuffleRows(random_);
    yearShown_.fill(false);
    eventColour_.fill(kYellow);
    // The markers stay where they are.
}

} // namespace kanameru
