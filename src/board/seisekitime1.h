#pragma once
// The results board, which is also the level menu: one column per level with its targets, the
// pupil's counts and points, start and practice buttons and a ranking list of all pupils.
#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPrinter;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kanameru {

struct PupilListing;

class seisekitime1 : public QWidget {
    Q_OBJECT
public:
    explicit seisekitime1(QWidget* parent = nullptr);
    ~seisekitime1() override;
    // Loads the board afresh and shows it; the first activation fills it.
    static seisekitime1* open();

    // Builds the columns (at construction).
    void Form_Load();
    // Refills the instruction list; the first activation after a load also reads the results
    // and fills the board.
    void Form_Activate();

    void Command1_Click(); // "戻る(0)": back to the start screen
    void Command4_Click(int level); // start button
    void Command28_Click(int level); // practice button
    void Command3_Click(int level); // the ranking of one level
    void Command5_Click(); // today's attempts
    void Command6_Click(); // best list
    void Command7_Click(); // every attempt of the period
    void Command16_Click(); // the current pupil's own attempts
    void Option2_Click(int index); // display kind
    void Option1_Click(int index); // list choice
    void Combo1_Click();
    void Combo2_Click(int index);
    void HScroll1_Change(int value);

    // The per-pupil panel and its report.
    void Command17_Click(); // "グラフ": the current pupil's report on the screen
    void Command18_Click(); // "戻る": hides the panel
    void Command21_Click(int index); // report of reportPupilNo: 1 printed, 0 on the screen
    void Command24_Click(int index); // report of the pupils chosen in the list (or reportPupilNo)
    void Command25_Click(); // "他の人のデータを見る"
    void fillPupilList();
    // Teachers only: prints the class sheet of the grade choice through choosePrinter.
    void printClassSheet();
    // "復習": the pupil's review of the events he got wrong, when some are due.
    void Review_Click();
    // Counts the pupil's events due for review (after the first activation, apart from it, so
    // the board's opening reads no more files); -1 while not counted or when the events file
    // cannot be used.
    void showReviewCount();
    int reviewDue() const { return reviewDue_; }
    int reportPupilNo() const { return reportPupilNo_; }
    // The picture the last on-screen report was drawn on.
    const QImage& reportPicture() const { return reportImage_; }
    // Chooses the printer (the print dialog, which also offers a PDF file); tests replace it.
    static std::function<bool(QPrinter&)>& choosePrinter();

    void 回数など表示();
    void 成績リスト色表示();
    void 成績リスト色表示単独(int level);

    // Whether a pupil of the grade is shown under the current grade choice.
    int passesGradeFilter(int grade) const;

    bool activated() const { return activated_; }
    bool busy() const { return busy_; }
    int displayKind() const { return displayKind_; }
    int pointsOrder() const { return pointsOrder_; }
    // Scroll position of the columns; outlives the form.
    static int firstVisibleColumn();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Column {
        QLabel* Label1 = nullptr;
        QLabel* Label3 = nullptr;
        QPushButton* Command4 = nullptr;
        QPushButton* Command28 = nullptr;
        QLineEdit* Text1 = nullptr;
        QLabel* Label7 = nullptr;
        QLabel* Label8 = nullptr;
        QLabel* Label9 = nullptr;
        QLabel* Label10 = nullptr;
        QLabel* Label14 = nullptr;
        QLabel* Label15 = nullptr;
        QListWidget* List5 = nullptr;
        QPushButton* Command3 = nullptr;
        QPushButton* Command2 = nullptr;
        bool practice = false;
        std::vector<QWidget*> moving() const;
    };

    void buildBoardControls();
    void buildColumn(int level);
    void placeColumns();
    void placeInArea(QWidget* widget, int left, int top, int width, int height);
    QWidget* makeWaitPanel(const char* name, const QString& text, const char* barName, QProgressBar** bar);
    void showWaitPanel(QWidget* panel);
    void hideWaitPanel(QWidget* panel);
    void setProgress(QProgressBar* bar, int value);
    void hideAllLists();
    void showRankingLists();
    void hidePracticeColumn(Column& column);
    void afterListChoice();
    void enableBack(bool enabled); // "戻る(0)", keeping the keyboard off the grade box
    void fillSummaries();
    void rankEveryLevel();
    void fillAttemptLists(int kind, qint64 window, int periodDays, bool ownOnly);
    int selectedListChoice() const;
    void startLevel(int level, int memorize, bool review = false);
    void buildReportPanel();
    void buildClassSheetButton();
    void buildReviewButton();
    int countDue(bool askable);
    void report(const std::vector<int>& pupils, int index);
    Column& column(int level) { return columns_[static_cast<size_t>(level)]; }

    std::vector<Column> columns_; // index = level, 0 unused
    QWidget* columnArea_ = nullptr;
    int levelCount_ = 0;
    int columnWidth_ = 0;

    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label28 = nullptr;
    QListWidget* List6 = nullptr;
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QWidget* Picture1 = nullptr; // panel of the list choice
    QRadioButton* Option2[3] = {};
    QRadioButton* Option1[4] = {};
    QButtonGroup* option2Group_ = nullptr;
    QButtonGroup* option1Group_ = nullptr;
    QScrollBar* HScroll1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command17 = nullptr;
    QPushButton* Command24[2] = {};
    QPushButton* Command21[2] = {};
    QPushButton* Command18 = nullptr;
    QPushButton* Command25 = nullptr;
    QPushButton* classSheetButton_ = nullptr;
    QPushButton* reviewButton_ = nullptr;
    QLabel* reviewLabel_ = nullptr;
    int reviewDue_ = -1;
    QString reviewProblem_; // why the events file cannot be used
    QWidget* Picture11 = nullptr;
    QLabel* Picture12 = nullptr;
    QListWidget* List2 = nullptr;
    QListWidget* List3 = nullptr;
    QListWidget* List4 = nullptr;
    QImage reportImage_;
    int reportPupilNo_ = 0;
    int reportFontSize_ = 6;
    std::unique_ptr<PupilListing> reportRoster_; // the whole roster by number, once read
    QWidget* Picture2 = nullptr;
    QWidget* Picture6 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;

    int displayKind_ = 0;
    int pointsOrder_ = 0;
    bool activated_ = false;
    bool busy_ = false;
    bool leaving_ = false; // set when the board hands over to another screen
    bool activating_ = false;
    bool activationQueued_ = false;
    bool backKeepsFocus_ = false; // "戻る(0)" had the keyboard when it was disabled
};

} // namespace kanameru
