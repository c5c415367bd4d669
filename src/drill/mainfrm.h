#pragma once
// The drill form: one opening is one attempt at reg.currentLevel. In test mode the pupil
// answers five questions against the clock; with reg.memorizeMode 1 the form shows flash cards.
// The rules live in core_drill (AnswerFlow, AttemptClock, CountdownLamps, RevealCycle); this
// form turns their state into captions, colours and visibility.
#include "drill/answerflow.h"
#include "drill/attemptrules.h"
#include "drill/drillrules.h"
#include "drill/keycursor.h"
#include "drill/revealcycle.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kanameru {

namespace review {
class JudgementLog;
}

class DragLabel;
class WorkArea;
class YearAxis;

class MainFrm : public QWidget {
    Q_OBJECT
public:
    explicit MainFrm(QWidget* parent = nullptr);
    ~MainFrm() override;

    // Opens the drill form for reg.currentLevel and reg.memorizeMode and starts the attempt.
    // When the attempt cannot start (the question file cannot be read, the level has too few
    // questions) a message says why, the results board is shown again and nullptr returned.
    static MainFrm* open();

    // The procedures of the form.
    bool Form_Activate();
    void 初期設定();
    void レベル別設定();
    void スタート();
    void 終了() { }
    bool Command2_Click(); // loads the rows and lays out the axis
    void Command3_Click(); // 次へ: a new question
    void Command4_Click(); // 判定 of the order
    void Command6_Click(); // 判定 of the explanations
    void Command7_Click(); // もう１度 (explanations)
    void Command8_Click(); // もう１度 (order)
    void Command9_Click(); // starts the card cycle
    void Command10_Click(); // the next card
    void Command11_Click(); // 練習終わり
    void Command12_Click(); // 覚えた
    void finishAttempt();
    void waitThenShowEndScreen(int seconds);

    // The timers' handlers (public so that a test with a fixed clock can tick them).
    void sTimer1_Timer();
    void sTimer2_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Timer4_Timer();

    const AnswerFlow& flow() const { return *flow_; }
    const QuestionRows& rows() const { return rows_; }
    const RevealCycle& cards() const { return *cycle_; }
    const KeyCursor& keyCursor() const { return keys_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildStrip();
    void buildWorkArea();
    void buildQuestionRows();
    void buildButtons();
    void buildMemorizePanel();
    void buildOverlay();
    void render();
    void showKeyCursor();
    DragLabel* cursorLabel(CursorKind kind, int index) const;
    void renderLamps();
    void showCard();
    void setSpeed(int index);
    void playSound(JudgementSound sound);
    void leaveToBoard();
    void recordJudgement(int phase);
    void storeJudgements();
    bool planReview();
    int yearTop(double year) const;
    QPushButton* button(PhaseButton b) const;

    QuestionRows rows_;
    AttemptClock clock_;
    std::unique_ptr<AnswerFlow> flow_;
    std::unique_ptr<RevealCycle> cycle_;
    CountdownLamps lamps_;
    KeyCursor keys_;
    std::unique_ptr<review::JudgementLog> judgements_; // every judgement's events, stored at the end
    bool leaving_ = false;
    QPushButton* shownButton_ = nullptr; // the phase button on show

    // Status strip and overlay.
    QWidget* sPicture1 = nullptr;
    QWidget* sPicture2 = nullptr;
    QLabel *sLabel2 = nullptr, *sLabel3 = nullptr, *sLabel4 = nullptr, *sLabel5 = nullptr, *sLabel6 = nullptr;
    QLabel *sLabel7 = nullptr, *sLabel8 = nullptr, *sLabel9 = nullptr, *sLabel10 = nullptr, *sLabel11 = nullptr;
    QLabel *sLabel12 = nullptr, *sLabel13 = nullptr, *sLabel14 = nullptr;
    std::array<QLabel*, 6> sLabel16 {};
    std::array<QLabel*, 3> sLabel17 {};
    QWidget *sShape2 = nullptr, *sShape3 = nullptr, *sShape4 = nullptr, *sShape5 = nullptr;
    std::array<QWidget*, 40> sPicture3 {}; // 10..39
    QLabel *lblsss1 = nullptr, *lblsss2 = nullptr;
    QTimer *sTimer1 = nullptr, *sTimer2 = nullptr;

    // Work area, axis and question rows (index 1..5; 0 unused).
    WorkArea* Picture2 = nullptr;
    YearAxis* Picture1 = nullptr;
    QWidget* Picture3 = nullptr;
    QLabel* Label10 = nullptr;
    std::array<QLabel*, 6> Picture5 {};
    std::array<QLabel*, 21> Label16 {};
    std::array<QLabel*, 6> Label12 {}, Label2 {}, Label7 {}, Label4 {};
    std::array<DragLabel*, 6> Label1 {}, Label3 {};
    std::array<QWidget*, 6> Picture4 {};
    QLabel* Label18 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel *Image2 = nullptr, *Image3 = nullptr;
    QWidget* Shape1 = nullptr;
    QListWidget* List2 = nullptr;
    QPushButton *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr, *Command6 = nullptr;
    QPushButton *Command7 = nullptr, *Command8 = nullptr;
    QLabel* keyHints = nullptr; // what the keys do, once the pupil uses them

    // Flash cards.
    QWidget* Picture6 = nullptr;
    QWidget* Picture10 = nullptr;
    std::array<QLabel*, 4> Label13 {};
    QLabel* Image1 = nullptr;
    std::array<QRadioButton*, 7> Option1 {}, Option2 {};
    QLabel *Label14 = nullptr, *Label15 = nullptr;
    QPushButton *Command9 = nullptr, *Command10 = nullptr, *Command11 = nullptr, *Command12 = nullptr;
    QTimer *Timer2 = nullptr, *Timer3 = nullptr, *Timer4 = nullptr;
};

} // namespace kanameru
