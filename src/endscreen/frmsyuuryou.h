#pragma once
#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

namespace kanameru {

// The end-of-drill screen, shown after every recorded attempt: the result and its points,
// the day's counts, record announcements with their sounds, the level-cleared notes, and the
// ways on, "メニューへ" (the results board) and "もう一度" (the same level again).
class FrmSyuuryou : public QWidget {
    Q_OBJECT
public:
    explicit FrmSyuuryou(QWidget* parent = nullptr);
    // Creates the screen for the attempt just recorded and shows it; its activation work
    // (statistics, texts, sounds) runs as soon as the window events run.
    static FrmSyuuryou* open();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void Form_Activate();
    void Timer1_Timer();
    void Command4_Click();
    void Command5_Click();
    static void fitToWidth(QLabel* label);
    void showMissedEvents();
    QLabel* makeLabel(const char* name, int top, int height, double pointSize, bool bold, unsigned colour);

    QLabel* Image1 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label19 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* missedLabel = nullptr; // the events missed in this attempt
    QWidget* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QTimer* Timer1 = nullptr;

    bool activated_ = false; // the activation work runs once per opening
    bool activating_ = false; // sounds are playing: the buttons wait for them
    bool timerPending_ = false;
    bool leaving_ = false; // a button (or the end of the program) closes the screen
};

} // namespace kanameru
