#pragma once
#include <QString>
#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenuBar;
class QPushButton;
class QRadioButton;

namespace kanameru {

// The start screen on which a pupil picks his name: the pupils of the roster with their
// grade and a pair of statistics, a grade filter, and the way on to the results board.
class namesel : public QWidget {
    Q_OBJECT
public:
    explicit namesel(QWidget* parent = nullptr);
    ~namesel() override;
    // Loads the start screen afresh and shows it. Returns nullptr when another instance of
    // the program is running (the program then ends with a message).
    static namesel* open();

    // The seconds the list waits before reading the roster again after a failure (5 s).
    static void setRetryWaitMilliseconds(int milliseconds);
    // The file that identifies "the same program" for the single-instance check (the
    // running executable unless set).
    static void setInstanceKey(const QString& path);

    // The screen's own procedures.
    void 名簿表示();
    void Form_Activate();
    void Command14_Click();

    int displayMode() const { return displayMode_; }
    // Form_Activate has run since the screen was loaded.
    bool activated() const { return activated_; }
    double stageMarker() const { return stageMarker_; }
    // The rows of the hidden lists (List2: sorted pupil lines; List3: row tails).
    const QStringList& List2() const { return list2_; }
    const QStringList& List3() const { return list3_; }

    // The launcher programs, relative to the program folder.
    static QString launcherPath();
    static QString launcherPathC();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    // Rebuilds the lists; without rereading, from the roster and statistics read a moment ago.
    void rebuildLists(bool rereadFiles = true);
    void buildMenus();
    void Form_Load();
    void List1_Click();
    void List1_DblClick();
    void Combo1_Click();
    void Option1_Click(int index);
    void Command13_Click();
    void Command7_Click();
    void menuname_Click();
    void menuHelp2_Click();
    void menuspt_Click();
    void menuweb_Click();
    void showWaitPanel(bool shown);
    void closeResultsBoard();
    void refreshIfPending();
    void leaveToLauncher(const QString& path);

    QMenuBar* menuBar_ = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Image1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QRadioButton* Option1[4] = {};
    QListWidget* List1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command14 = nullptr;
    QPushButton* Command13 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command1 = nullptr;
    QFrame* Picture5 = nullptr;
    QLabel* Label19 = nullptr;

    QStringList list2_;
    QStringList list3_;
    int displayMode_ = 0;
    int retryCount_ = 0;
    double stageMarker_ = 0;
    bool activated_ = false; // Form_Activate has run once since loading
    // The lists were built from the files while loading and no activation has used that read yet.
    bool readWhileLoading_ = false;
    bool refreshDue_ = true; // another window of the program has been active since the last refresh
    bool refreshPending_ = false; // activated, the refresh not yet run
    bool rosterReported_ = false; // a missing or oversized roster has been reported since loading
    bool leaving_ = false; // the program or this screen is on its way out
    bool rebuilding_ = false;
};

} // namespace kanameru
