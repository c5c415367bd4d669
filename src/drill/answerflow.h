#pragma once
// One question from its making to its solving: the two drag kinds, the two judgements with
// their colours and penalties, the retries and the answer drawn on the year axis. The state
// is what the drill form shows: captions, colours, which items are visible and which phase
// button is offered. The form turns it into labels and plays the sounds it names.
#include "drill/attemptrules.h"
#include "drill/drillrules.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace kanameru {

// Background colours (red-green-blue).
constexpr unsigned kYellow = 0xFFFF00; // to be answered
constexpr unsigned kGreen = 0x00FF00; // right
constexpr unsigned kRed = 0xFF0000; // wrong
constexpr unsigned kLightYellow = 0xFFFFC0; // the answer panel while hidden
constexpr unsigned kLightGreen = 0x80FF80; // events before their first judgement

// The phase button on show (all of them sit on one spot).
enum class PhaseButton {
    None,
    JudgeExplanations, // Command6 "判定"
    RetryExplanations, // Command7 "もう１度"
    JudgeOrder, // Command4 "判定"
    RetryOrder, // Command8 "もう１度"
    Next, // Command3 "次へ"
};

enum class JudgementSound { None, Right, Wrong };

// What a judgement did, for the form.
struct Judgement {
    JudgementSound sound = JudgementSound::None;
    bool attemptSolved = false; // the last question of the attempt is solved: finish it
};

class AnswerFlow {
public:
    AnswerFlow(const QuestionRows& rows, platform::RandomSource& random, AttemptClock& clock);

    // Command3: a new question. False when the level has fewer than five usable rows.
    bool newQuestion();
    // The rows of the questions to come, five to a question, in place of rows drawn at random
    // (a review); once they are used up the questions are drawn again.
    void planQuestions(std::vector<std::array<int, kEventsPerQuestion>> questions);

    // Drags. A start returns whether the label may be dragged; a drop of the other kind, or
    // with no drag under way, changes nothing and returns false.
    bool startExplanationDrag(int i);
    bool startRowDrag(int i);
    bool dropOnExplanation(int j);
    bool dropOnEvent(int j);
    void endDrag() { dragKind_ = 0; }

    Judgement judgeExplanations(); // Command6
    void retryExplanations(); // Command7
    Judgement judgeOrder(); // Command4
    void retryOrder(); // Command8

    // ---- What the form shows ----
    const Question& question() const { return *question_; }
    bool hasQuestion() const { return question_.has_value(); }
    int dragPhase() const { return dragPhase_; }
    int dragKind() const { return dragKind_; }
    PhaseButton button() const { return button_; }
    unsigned eventColour(int i) const { return eventColour_[i - 1]; }
    unsigned explanationColour(int i) const { return explanationColour_[i - 1]; }
    bool yearShown(int i) const { return yearShown_[i - 1]; }
    // The answer on the axis: markers (Picture4), answer years and events (Label7, Label4),
    // the lines from the markers to the events.
    bool markersShown() const { return markersShown_; }
    bool answerLabelsShown() const { return answerLabelsShown_; }
    bool linesDrawn() const { return linesDrawn_; }
    int answerRow(int i) const { return answerRows_[i - 1]; }
    // The answer panel Label18.
    bool panelShown() const { return panelShown_; }
    QString panelCaption() const { return panelCaption_; }
    unsigned panelColour() const { return panelColour_; }
    // 2 = Image2 (explanations), 3 = Image3 (ordering), 0 = neither; and the instruction.
    int picture() const { return picture_; }
    QString instruction() const { return instruction_; }

private:
    const QuestionRows& rows_;
    platform::RandomSource& random_;
    AttemptClock& clock_;
    std::optional<Question> question_;
    std::vector<std::array<int, kEventsPerQuestion>> planned_;
    size_t nextPlanned_ = 0;
    int dragPhase_ = 0;
    int dragKind_ = 0;
    int dragIndex_ = 0;
    PhaseButton button_ = PhaseButton::None;
    std::array<unsigned, kEventsPerQuestion> eventColour_;
    std::array<unsigned, kEventsPerQuestion> explanationColour_;
    std::array<bool, kEventsPerQuestion> yearShown_ {};
    std::array<int, kEventsPerQuestion> answerRows_ {};
    bool markersShown_ = false;
    bool answerLabelsShown_ = false;
    bool linesDrawn_ = false;
    bool panelShown_ = false;
    QString panelCaption_;
    unsigned panelColour_ = kLightYellow;
    int picture_ = 0;
    QString instruction_;
};

// The instructions beside the pictures.
QString explanationInstruction(); // "説明を正しく入れ替えなさい"
QString orderInstruction(); // "出来事を年代順に並べなさい"
QString nextInstruction(); // "確認して次の問題へ進もう！"

} // namespace kanameru
