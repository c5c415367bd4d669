#include "board/seisekitime1.h"

#include "board/boardwidgets.h"

#include "board/boardtexts.h"
#include "board/grades.h"
#include "board/report.h"
#include "endscreen/startdrill.h"
#include "platform/clock.h"
#include "platform/formhost.h"
#include "platform/inputgate.h"
#include "platform/screen.h"
#include "results/results.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>

namespace kanameru {

using namespace boardwidgets;

namespace {

// The scroll position outlives the form: a pupil coming back from a drill finds the columns
// where he left them.
int gFirstVisibleColumn = 0;

// Design positions of the column template, in twips.
constexpr int kTemplateLeft = 120;
constexpr int kTitleTop = 4560;
constexpr int kStartTop = 4980;
constexpr int kTargetTop = 5490;
constexpr int kRecentTop = 5820;
constexpr int kHeadingTop = 6150;
constexpr int kSummaryTop = 6450;
constexpr int kListTop = 6810;
constexpr int kFormBottom = 11520;
constexpr int kScrollHeight = 255;

const QColor kLightGrey = platform::rgb(0xE0E0E0);
constexpr int kReviewCountDelayMs = 250;

} // namespace

std::vector<QWidget*> seisekitime1::Column::moving() const
{
    return { List5, Command4, Command28, Text1, Label3, Label1, Label7, Label8, Label9, Label10, Label14, Label15 };
}

seisekitime1::seisekitime1(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("seisekitime1"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(reg.drillSetTitle);
    setFixedSize(1024, 768);
    platform::setBackground(this, platform::rgb(reg.formBackColour));
    Form_Load();
    platform::prepareControls(this);
}

seisekitime1::~seisekitime1() = default;

seisekitime1* seisekitime1::open()
{
    auto* form = new seisekitime1();
    platform::holdInput(form);
    platform::fitForm(form);
    form->show();
    return form;
}

int seisekitime1::firstVisibleColumn()
{
    return gFirstVisibleColumn;
}

void seisekitime1::buildBoardControls()
{
    Label11 = makeLabel(this, QStringLiteral("Label11"), QString(), 24);
    Label11->setGeometry(8, 0, 440, 42);
    Label12 = makeLabel(this, QStringLiteral("Label12"), QString(), 15);
    Label12->setGeometry(8, 42, 440, 28);
    Label13 = makeLabel(this, QStringLiteral("Label13"), QString(), 11);
    Label13->setGeometry(8, 70, 440, 22);
    Label17 = makeLabel(this, QStringLiteral("Label17"), QString(), 11);
    Label17->setGeometry(8, 92, 130, 22);
    Label18 = makeLabel(this, QStringLiteral("Label18"), QString(), 11);
    Label18->setGeometry(140, 92, 300, 22);

    Command1 = makeButton(this, QStringLiteral("Command1"), QStringLiteral("戻る(&0)"), 12);
    Command1->setGeometry(8, 140, 120, 36);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    Command17 = makeButton(this, QStringLiteral("Command17"), QStringLiteral("グラフ"), 11);
    Command17->setGeometry(140, 140, 90, 36);
    Command17->setVisible(false);
    connect(Command17, &QPushButton::clicked, this, [this] { Command17_Click(); });

    Label5 = makeLabel(this, QStringLiteral("Label5"), QString(), 14);
    Label5->setGeometry(8, 244, 440, 32);

    Label28 = makeLabel(this, QStringLiteral("Label28"), QStringLiteral("説明"), 11);
    platform::setForeground(Label28, Qt::white);
    platform::placeTwips(Label28, 6840, 240, 1200, 420);
    List6 = new QListWidget(this);
    List6->setObjectName(QStringLiteral("List6"));
    List6->setFont(platform::captionFont(9));
    List6->setFocusPolicy(Qt::NoFocus);
    platform::placeTwips(List6, 6840, 720, 4935, 3765);

    // Grade group, display kind, list choice and period, on the right.
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setFont(platform::captionFont(11));
    Combo1->setToolTip(QStringLiteral("表示する学年を選びます"));
    Combo1->setGeometry(800, 8, 150, 30);
    // A grade group may also be typed in: a text that is none of the choices shows nobody. What
    // is typed is not added to the choices.
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->addItems(gradeChoices());
    Combo1->setCurrentText(reg.gradeFilterText);
    connect(Combo1, &QComboBox::activated, this, [this](int) { Combo1_Click(); });
    // Enter on a text among the choices activates that choice; on any other text it applies
    // the text as it stands.
    connect(Combo1->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (Combo1->findText(Combo1->currentText(), Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
            Combo1_Click();
    });

    option2Group_ = new QButtonGroup(this);
    const QString kinds[3] = { QStringLiteral("ﾀｲﾑ表示"), QStringLiteral("ﾎﾟｲﾝﾄ表示"), QStringLiteral("個人ﾀｲﾑ") };
    for (int i = 0; i < 3; ++i) {
        Option2[i] = new QRadioButton(kinds[i], this);
        Option2[i]->setObjectName(platform::controlName("Option2", i));
        Option2[i]->setFont(platform::captionFont(11));
        Option2[i]->setGeometry(800, 44 + 26 * i, Option2[i]->sizeHint().width(), 26);
        option2Group_->addButton(Option2[i], i);
    }
    connect(option2Group_, &QButtonGroup::idClicked, this, [this](int id) { Option2_Click(id); });

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(790, 126, 226, 84);
    platform::setBackground(Picture1, platform::rgb(0xC0C0C0));
    option1Group_ = new QButtonGroup(this);
    const QString choices[3] = { QStringLiteral("BEST表示"), QStringLiteral("本日のみ"), QStringLiteral("すべて") };
    for (int i = 1; i <= 3; ++i) {
        Option1[i] = new QRadioButton(choices[i - 1], Picture1);
        Option1[i]->setObjectName(platform::controlName("Option1", i));
        Option1[i]->setFont(platform::captionFont(11));
        Option1[i]->setGeometry(10, 2 + 26 * (i - 1), Option1[i]->sizeHint().width(), 26);
        option1Group_->addButton(Option1[i], i);
    }
    connect(option1Group_, &QButtonGroup::idClicked, this, [this](int id) { Option1_Click(id); });

    // The period of the all-attempts list: this week, this and last week, 30 days, a year,
    // everything.
    Combo2 = new QComboBox(this);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setFont(platform::captionFont(11));
    Combo2->setGeometry(790, 216, 226, 30);
    Combo2->addItems({ QStringLiteral("　　今週（月曜から）"), QStringLiteral("　　今週と先週"),
        QStringLiteral("　　最近30日"), QStringLiteral("　　最近1年"), QStringLiteral("　　今までの全成績") });
    Combo2->setCurrentIndex(4);
    reg.periodChoice = AnyValue(5); // every load starts with the whole period
    Combo2->setVisible(false);
    connect(Combo2, &QComboBox::activated, this, [this](int index) { Combo2_Click(index); });

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    platform::placeTwips(HScroll1, kTemplateLeft, kFormBottom - kScrollHeight - 30, kColumnsWidth, kScrollHeight);
    HScroll1->setVisible(false);
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int value) { HScroll1_Change(value); });

    for (QWidget* label : { Label11, Label12, Label13, Label17, Label18, Label5 })
        platform::setForeground(label, Qt::white);
    for (QWidget* widget : std::initializer_list<QWidget*> { Command1, Command17, List6, Combo1, Combo2, HScroll1 })
        keepUsualColours(widget);
    for (QRadioButton* option : Option2)
        platform::setForeground(option, Qt::white);

    buildReportPanel();
    buildClassSheetButton();
    buildReviewButton();
    Picture2 = makeWaitPanel("Picture2", QStringLiteral("Just a moment, please."), "ProgressBar1", &ProgressBar1);
    Picture6 = makeWaitPanel("Picture6", QStringLiteral("Just a momento, please."), "ProgressBar2", &ProgressBar2);

    // A number key starts its level and "0" goes back, as the captions' access keys promise.
    for (int key = 0; key <= 9; ++key) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::Key_0 + key), this);
        connect(shortcut, &QShortcut::activated, this, [this, key] {
            if (key == 0) {
                if (Command1->isEnabled())
                    Command1->click();
            } else if (key <= levelCount_ && column(key).Command4->isVisible()) {
                column(key).Command4->click();
            }
        });
    }
}

QWidget* seisekitime1::makeWaitPanel(const char* name, const QString& text, const char* barName, QProgressBar** bar)
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(rect());
    platform::setBackground(panel, platform::rgb(reg.formBackColour));
    auto* label = makeLabel(panel, QString::fromLatin1(name) + QStringLiteral("Text"), text, 28, Qt::AlignCenter);
    platform::setForeground(label, Qt::white);
    label->setGeometry(0, 300, width(), 60);
    *bar = new QProgressBar(panel);
    (*bar)->setObjectName(QString::fromLatin1(barName));
    (*bar)->setGeometry(262, 380, 500, 24);
    (*bar)->setTextVisible(false);
    panel->setVisible(false);
    return panel;
}

void seisekitime1::Form_Load()
{
    levelCount_ = std::clamp<int>(reg.levelCount, 0, kMaxLevel);
    columnWidth_ = columnWidth(levelCount_);
    buildBoardControls();
    if (needsScrollBar(levelCount_)) {
        HScroll1->setVisible(true);
        HScroll1->setRange(0, scrollMaximum(levelCount_));
        HScroll1->setPageStep(1);
    }
    // The columns lie in an area as wide as the columns in view, so a column that is only
    // partly in view is cut at the column's edge and not in the middle of its labels.
    columnArea_ = new QWidget(this);
    columnArea_->setObjectName(QStringLiteral("columnArea"));
    const int inView = std::clamp(levelCount_, 1, 4);
    platform::placeTwips(columnArea_, kTemplateLeft, kTitleTop,
        needsScrollBar(levelCount_) ? inView * columnWidth_ : kColumnsWidth,
        kFormBottom - kTitleTop - (needsScrollBar(levelCount_) ? kScrollHeight + 30 : 0));
    columns_.resize(static_cast<size_t>(levelCount_) + 1);
    for (int level = 1; level <= levelCount_; ++level)
        buildColumn(level);
    placeColumns();
}

void seisekitime1::buildColumn(int level)
{
    Column& c = column(level);
    const auto l = static_cast<size_t>(level);
    c.Label1
        = makeLabel(columnArea_, platform::controlName("Label1", level), QString::number(level), 12, Qt::AlignCenter);
    c.Label3 = makeLabel(columnArea_, platform::controlName("Label3", level), reg.levelTitles[l], 12);
    c.Label3->setToolTip(reg.levelTitles[l]);
    c.Command4 = makeButton(columnArea_, platform::controlName("Command4", level), startCaption(level), 12);
    c.Command4->setToolTip(QStringLiteral("クリックしてスタートします。番号を押してもよろしい"));
    connect(c.Command4, &QPushButton::clicked, this, [this, level] { Command4_Click(level); });
    if (reg.levelPracticeFlag[l] == 1) {
        c.Command28 = makeButton(columnArea_, platform::controlName("Command28", level), QStringLiteral("練習"), 11);
        connect(c.Command28, &QPushButton::clicked, this, [this, level] { Command28_Click(level); });
    }
    c.Text1 = new QLineEdit(columnArea_);
    c.Text1->setObjectName(platform::controlName("Text1", level));
    c.Text1->setReadOnly(true);
    c.Label7 = makeLabel(columnArea_, platform::controlName("Label7", level), targetLine(level), 9);
    c.Label8 = makeLabel(columnArea_, platform::controlName("Label8", level), recentLine(level, reg.currentPupilNo), 9);
    c.Label9
        = makeLabel(columnArea_, platform::controlName("Label9", level), QStringLiteral("今日"), 9, Qt::AlignCenter);
    c.Label10
        = makeLabel(columnArea_, platform::controlName("Label10", level), QStringLiteral("今まで"), 9, Qt::AlignCenter);
    c.Label14 = makeLabel(columnArea_, platform::controlName("Label14", level), QString(), 9, Qt::AlignCenter);
    c.Label15 = makeLabel(columnArea_, platform::controlName("Label15", level), QString(), 9, Qt::AlignCenter);
    c.List5 = new QListWidget(columnArea_);
    c.List5->setObjectName(platform::controlName("List5", level));
    c.List5->setFont(platform::listFont(9));
    c.List5->setUniformItemSizes(true);
    c.List5->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.Command3 = makeButton(columnArea_, platform::controlName("Command3", level), QStringLiteral("成績表示"), 9);
    connect(c.Command3, &QPushButton::clicked, this, [this, level] { Command3_Click(level); });
    c.Command2 = makeButton(columnArea_, platform::controlName("Command2", level), QString(), 9);
    // The ranking button and the spare button are reached from code only; the text box holds
    // nothing on this board.
    for (QWidget* widget :
        std::initializer_list<QWidget*> { c.Command4, c.Command28, c.Text1, c.List5, c.Command3, c.Command2 })
        if (widget)
            keepUsualColours(widget);
    c.Command3->setVisible(false);
    c.Command2->setVisible(false);
    c.Text1->setVisible(false);
    for (QLabel* label : { c.Label7, c.Label8 }) {
        label->setAutoFillBackground(true);
        platform::setBackground(label, kLightGrey);
    }
    for (QLabel* label : { c.Label1, c.Label3, c.Label9, c.Label10, c.Label14, c.Label15 })
        platform::setForeground(label, Qt::white);
}

void seisekitime1::placeInArea(QWidget* widget, int left, int top, int width, int height)
{
    platform::placeTwips(widget, left - kTemplateLeft, top - kTitleTop, width, height);
}

void seisekitime1::placeColumns()
{
    const int w = columnWidth_;
    const int listBottom = kFormBottom - 60 - (needsScrollBar(levelCount_) ? kScrollHeight + 30 : 0);
    for (int level = 1; level <= levelCount_; ++level) {
        Column& c = column(level);
        const int left = columnLeft(level, gFirstVisibleColumn, levelCount_, kTemplateLeft);
        const int numberWidth = w / 5;
        const int practiceWidth = c.Command28 ? w * 3 / 10 : 0;
        placeInArea(c.Label1, left, kTitleTop, numberWidth, 390);
        placeInArea(c.Label3, left + numberWidth, kTitleTop, w - numberWidth, 390);
        placeInArea(c.Command4, left, kStartTop, w - practiceWidth, 450);
        if (c.Command28)
            placeInArea(c.Command28, left + w - practiceWidth, kStartTop, practiceWidth, 450);
        placeInArea(c.Text1, left, kStartTop, w, 450);
        placeInArea(c.Label7, left, kTargetTop, w, 300);
        placeInArea(c.Label8, left, kRecentTop, w, 300);
        placeInArea(c.Label9, left, kHeadingTop, w / 2, 300);
        placeInArea(c.Label10, left + w / 2, kHeadingTop, w / 2, 300);
        placeInArea(c.Label14, left, kSummaryTop, w / 2, 300);
        placeInArea(c.Label15, left + w / 2, kSummaryTop, w / 2, 300);
        placeInArea(c.List5, left, kListTop, w, listBottom - kListTop);
    }
    // Columns scrolled off to the left stack under the first visible one.
    for (int level = 1; level <= levelCount_; ++level)
        for (QWidget* widget : column(level).moving())
            if (widget)
                widget->raise();
    for (QWidget* panel : { Picture2, Picture6 })
        if (panel->isVisible())
            panel->raise();
}

void seisekitime1::HScroll1_Change(int value)
{
    gFirstVisibleColumn = std::clamp(value, 0, levelCount_);
    placeColumns();
}

void seisekitime1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!activated_ && !activationQueued_) {
        activationQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            activationQueued_ = false;
            Form_Activate();
        });
    }
}

void seisekitime1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && activated_)
        Form_Activate();
}

void seisekitime1::showWaitPanel(QWidget* panel)
{
    panel->setGeometry(rect());
    panel->raise();
    panel->setVisible(true);
    if (isVisible())
        repaint();
}

void seisekitime1::hideWaitPanel(QWidget* panel)
{
    panel->setVisible(false);
}

void seisekitime1::setProgress(QProgressBar* bar, int value)
{
    bar->setValue(std::min(value, bar->maximum()));
    if (bar->isVisible())
        bar->repaint();
}

int seisekitime1::passesGradeFilter(int grade) const
{
    return kanameru::passesGradeFilter(Combo1->currentText(), grade);
}

void seisekitime1::Form_Activate()
{
    List6->clear();
    List6->addItems(instructionLines());
    if (activated_ || activating_)
        return;
    activating_ = true;
    const int pupil = reg.currentPupilNo;

    const bool teacher = reg.currentPupilName.contains(QStringLiteral("先生"));
    Command24[1]->setVisible(teacher);
    classSheetButton_->setVisible(teacher);
    Label17->setText(QStringLiteral("起動後%1分")
                         .arg(minutesSinceStart(platform::clock().secondsSinceMidnight(), reg.pupilStartSeconds)));
    showWaitPanel(Picture2);
    for (int i = 1; i <= 2; ++i) {
        Option1[i]->setText(i == 1 ? QStringLiteral("累計順") : QStringLiteral("本日順"));
        Option1[i]->resize(Option1[i]->sizeHint().width(), Option1[i]->height());
    }

    // The board and the start screen unload each other.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        if (w->objectName() == QLatin1String("namesel"))
            w->close();
    computeStatistics();

    Label18->setText(QStringLiteral("本日総回数＝%1回").arg(todayTotal(pupil)));
    ProgressBar1->setMaximum(std::max(levelCount_, 1));
    displayKind_ = 2;
    busy_ = true;
    reg.listKind = 1;
    Option1[1]->setChecked(true);
    Option1_Click(1);
    Option2_Click(1);
    Option2[1]->setChecked(true);
    enableBack(true);
    busy_ = false;

    for (int level = 1; level <= levelCount_; ++level) {
        Column& c = column(level);
        if (isPracticeTitle(c.Label3->text())) {
            reg.levelTarget[static_cast<size_t>(level)] = 600;
            reg.levelTargetB[static_cast<size_t>(level)] = 600;
            hidePracticeColumn(c);
        } else {
            c.List5->setVisible(true);
        }
    }

    hideWaitPanel(Picture6);
    Label12->setText(reg.currentPupilGradeLabel + QLatin1Char(' ') + reg.currentPupilName.trimmed());
    Label13->setText(reg.schoolName + QLatin1Char(':') + QString::number(pupil));
    Label11->setText(reg.drillSetTitle);
    Label11->setFont(platform::captionFont(reg.drillSetTitle.size() > 9 ? 20 : 24));

    gFirstVisibleColumn = std::min(gFirstVisibleColumn, HScroll1->maximum());
    {
        const QSignalBlocker blocker(HScroll1);
        HScroll1->setValue(gFirstVisibleColumn);
    }
    placeColumns();

    fillSummaries();
    reg.targetLevelCleared = AnyValue(targetLevelClearedFor(pupil));
    for (int level = 1; level <= levelCount_; ++level)
        column(level).Command4->setEnabled(true);
    hideWaitPanel(Picture2);
    // The first control has the focus, as when the window is activated after this work: on
    // Windows it is active before, and the lists' refill, which disables "戻る(0)" for a while,
    // would have left the focus in the grade box, which takes a "0" as text.
    Command1->setFocus(Qt::OtherFocusReason);
    activated_ = true;
    activating_ = false;
    platform::settleInput(this);
    // The events due for review are counted a moment later, apart from the opening: the board
    // is on the screen and usable before the events file is read.
    QTimer::singleShot(kReviewCountDelayMs, this, [this] { showReviewCount(); });
}

void seisekitime1::fillSummaries()
{
    const int pupil = reg.currentPupilNo;
    for (int level = 1; level <= levelCount_; ++level) {
        Column& c = column(level);
        platform::setBackground(c.Label7, kLightGrey);
        platform::setBackground(c.Label8, kLightGrey);
        c.Label7->setText(targetLine(level));
        c.Label8->setText(recentLine(level, pupil));
        c.Command4->setEnabled(true);
        c.Label15->setText(totalSummary(level, pupil));
        c.Label14->setText(todaySummary(level, pupil));
    }
}

void seisekitime1::hidePracticeColumn(Column& c)
{
    c.practice = true;
    for (QWidget* widget : { static_cast<QWidget*>(c.List5), static_cast<QWidget*>(c.Label7),
             static_cast<QWidget*>(c.Label8), static_cast<QWidget*>(c.Label9), static_cast<QWidget*>(c.Label10),
             static_cast<QWidget*>(c.Label14), static_cast<QWidget*>(c.Label15) })
        widget->setVisible(false);
}

void seisekitime1::Command1_Click()
{
    // On its way out, the board takes no second press.
    platform::holdInput(this);
    leaving_ = true;
    showWaitPanel(Picture2);
    // The start screen unloads the board while it loads; the board may be gone on return.
    const QPointer<seisekitime1> self(this);
    showNameSelection();
    if (self)
        close();
}

void seisekitime1::Command4_Click(int level)
{
    if (level < 1 || level > levelCount_ || !column(level).Command4->isEnabled())
        return;
    startLevel(level, 0);
}

void seisekitime1::Command28_Click(int level)
{
    if (level < 1 || level > levelCount_)
        return;
    startLevel(level, 1);
}

void seisekitime1::startLevel(int level, int memorize, bool review)
{
    platform::holdInput(this);
    showWaitPanel(Picture2);
    reg.currentLevel = static_cast<qint16>(level);
    activated_ = false;
    leaving_ = true;
    reg.memorizeMode = AnyValue(memorize);
    reg.reviewMode = review ? 1 : 0;
    // The board is gone before the drill form comes to the front.
    hide();
    const QPointer<seisekitime1> self(this);
    startDrill();
    if (self)
        close();
}

void seisekitime1::closeEvent(QCloseEvent* event)
{
    // Closed through the window's own close box: back to the start screen as with "戻る(0)",
    // so that the program never runs on without a window.
    if (!leaving_ && !programEnding()) {
        leaving_ = true;
        showNameSelection();
    }
    QWidget::closeEvent(event);
}

} // namespace kanameru
