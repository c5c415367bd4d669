#include "endscreen/frmsyuuryou.h"

#include "endscreen/background.h"
#include "endscreen/endscreenrules.h"
#include "endscreen/startdrill.h"
#include "platform/formhost.h"
#include "platform/inputgate.h"
#include "platform/screen.h"
#include "results/results.h"
#include "review/judgementlog.h"
#include "sound/sound.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace kanameru {

namespace {
constexpr unsigned kInk = 0x23395b; // deep indigo for the texts
constexpr unsigned kSoftInk = 0x4a5d73; // the counts
constexpr unsigned kRecordRed = 0xc0392b;
constexpr unsigned kClearedGreen = 0x2e7d32;
} // namespace

FrmSyuuryou::FrmSyuuryou(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmSyuuryou"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("終了"));
    setFixedSize(1024, 768);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(endScreenBackground());

    // The labels in their order down the card.
    Label15 = makeLabel("Label15", 44, 56, 28, true, kInk);
    Label16 = makeLabel("Label16", 104, 44, 20, false, kInk);
    Label17 = makeLabel("Label17", 152, 48, 22, false, kInk);
    Label18 = makeLabel("Label18", 214, 64, 32, true, kInk);
    Label19 = makeLabel("Label19", 284, 48, 22, false, kInk);
    Label13 = makeLabel("Label13", 340, 38, 17, false, kSoftInk);
    Label14 = makeLabel("Label14", 380, 38, 17, false, kSoftInk);
    Label20 = makeLabel("Label20", 428, 60, 30, true, kRecordRed);
    Label20->hide();
    Label2 = makeLabel("Label2", 494, 52, 24, true, kClearedGreen);
    Label2->setText(QStringLiteral("このレベルクリア"));
    Label2->hide();
    // Under the panel of the drill set's end, which covers it for the moment it shows.
    missedLabel = makeLabel("missedLabel", 566, 40, 15, false, kSoftInk);
    missedLabel->hide();

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(222, 556, 580, 84);
    Picture1->setStyleSheet(QStringLiteral("#Picture1 { background-color: #fff3d6; border: 3px solid #c8962e;"
                                           " border-radius: 14px; }"));
    Picture1->setAttribute(Qt::WA_StyledBackground);
    Label1 = new QLabel(QStringLiteral("目標レベルクリア。おめでとう！"), Picture1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setFont(platform::captionFont(24, true));
    platform::setForeground(Label1, platform::rgb(0x9a5b00));
    Label1->setGeometry(0, 0, 580, 84);
    Picture1->hide();

    Command4 = new QPushButton(QStringLiteral("メニューへ"), this);
    Command4->setObjectName(QStringLiteral("Command4"));
    Command5 = new QPushButton(QStringLiteral("もう一度"), this);
    Command5->setObjectName(QStringLiteral("Command5"));
    int left = 272;
    for (QPushButton* button : { Command4, Command5 }) {
        button->setFont(platform::captionFont(18, true));
        button->setGeometry(left, 676, 220, 60);
        button->hide();
        left += 260;
    }
    connect(Command4, &QPushButton::clicked, this, &FrmSyuuryou::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &FrmSyuuryou::Command5_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    connect(Timer1, &QTimer::timeout, this, &FrmSyuuryou::Timer1_Timer);

    Form_Load();
    platform::prepareControls(this); // Enter presses "メニューへ" or "もう一度" when it has the focus
}

QLabel* FrmSyuuryou::makeLabel(const char* name, int top, int height, double pointSize, bool bold, unsigned colour)
{
    auto* label = new QLabel(this);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignCenter);
    label->setFont(platform::captionFont(pointSize, bold));
    platform::setForeground(label, platform::rgb(colour));
    const QRect card = endScreenCard();
    label->setGeometry(card.left() + 16, top, card.width() - 32, height);
    return label;
}

// A long drill-set title or name is set smaller rather than cut off.
void FrmSyuuryou::fitToWidth(QLabel* label)
{
    const QVariant designSize = label->property("designPointSize");
    QFont font = label->font();
    if (designSize.isValid())
        font.setPointSizeF(designSize.toDouble());
    else
        label->setProperty("designPointSize", font.pointSizeF());
    const int room = label->contentsRect().width() - 4;
    while (font.pointSizeF() > 8 && QFontMetrics(font).horizontalAdvance(label->text()) > room)
        font.setPointSizeF(font.pointSizeF() - 1);
    label->setFont(font);
}

FrmSyuuryou* FrmSyuuryou::open()
{
    auto* form = new FrmSyuuryou();
    platform::holdInput(form);
    platform::fitForm(form);
    form->show();
    platform::windowOf(form)->activateWindow();
    QTimer::singleShot(0, form, &FrmSyuuryou::Form_Activate);
    return form;
}

void FrmSyuuryou::Form_Load()
{
    Image1->setGeometry(0, 0, 1024, 768);
    Image1->lower();
}

// Runs once per opening. The window system may bring the form to the front many times (each
// time the pupil comes back from another window); repeating the work would replay sounds and
// count the attempt again.
void FrmSyuuryou::Form_Activate()
{
    if (activated_)
        return;
    activated_ = true;
    activating_ = true;
    QPointer<FrmSyuuryou> self(this);
    const int L = reg.currentLevel;
    const int P = reg.currentPupilNo;

    Label13->setText(provisionalLevelCountText(reg.todayCount(L, P)));
    computeStatistics();
    if (!self || programEnding())
        return;

    const bool cleared = levelCleared(L, P);
    const EndScreenPlan plan = planEndScreen(cleared);
    if (plan.cleared)
        Label2->show();
    if (plan.showPanel)
        Picture1->show();
    Timer1->start();

    Label19->setText(plan.points);
    Label18->setText(plan.result);
    Label17->setText(plan.pupilName);
    Label15->setText(plan.title);
    Label16->setText(plan.levelTitle);
    Label13->setText(plan.levelCount);
    reg.todayTotalCount = plan.todayTotalCount;
    Label14->setText(plan.totalCount);
    for (QLabel* label : { Label15, Label16, Label17, Label18, Label19, Label13, Label14 })
        fitToWidth(label);
    showMissedEvents();

    const QString announcement = announcementText(plan.announcement);
    if (!announcement.isEmpty()) {
        Label20->setText(announcement);
        fitToWidth(Label20);
        Label20->show();
    }
    repaint();
    switch (plan.announcement) {
    case Announcement::OverallRecord:
        playOverallRecordSound();
        break;
    case Announcement::PersonalRecord:
        playPersonalRecordSound();
        break;
    case Announcement::GoodResult:
        playGoodResultSound();
        break;
    case Announcement::TimeUp:
    case Announcement::None:
        break;
    }
    if (!self || programEnding())
        return;

    if (cleared && isTargetLevel(L)) {
        if (plan.playClearedSound)
            playClearedSound();
        if (!self || programEnding())
            return;
    } else {
        Picture1->hide();
    }

    reg.newPersonalBest = 0;
    reg.newOverallBest = 0;
    hideBackdrop();

    activating_ = false;
    platform::settleInput(this);
    if (timerPending_)
        Timer1_Timer();
}

void FrmSyuuryou::showMissedEvents()
{
    const QFontMetrics metrics(missedLabel->font());
    const int room = missedLabel->contentsRect().width() - 8;
    const QString line = review::missedLine(
        review::lastMissedEvents(), [&](const QString& text) { return metrics.horizontalAdvance(text) <= room; });
    missedLabel->setText(metrics.elidedText(line, Qt::ElideRight, room));
    missedLabel->setVisible(!line.isEmpty());
}

void FrmSyuuryou::Timer1_Timer()
{
    if (activating_) {
        // A sound is still playing: the buttons come as soon as it has ended.
        Timer1->stop();
        timerPending_ = true;
        return;
    }
    timerPending_ = false;
    Picture1->hide();
    Command4->show();
    Command4->setFocus();
    Timer1->stop();

    const int L = reg.currentLevel;
    const int P = reg.currentPupilNo;
    const AgainDecision again
        = decideAgain(capReached(L, P), levelCleared(L, P), isTargetLevel(L), reg.targetLevelCleared.toDouble() != 0);
    switch (again.note) {
    case ClearedNote::Keep:
        break;
    case ClearedNote::ClearAndHide:
        Label2->clear();
        Label2->hide();
        break;
    case ClearedNote::NextLevel:
        Label2->setText(nextLevelText());
        fitToWidth(Label2);
        break;
    }
    Command5->setVisible(again.offerAgain);
    // The buttons appear under a pupil who may still be clicking or pressing Enter.
    platform::settleSpot(Command4);
    platform::settleSpot(Command5);
}

void FrmSyuuryou::Command4_Click()
{
    platform::holdInput(this);
    Command4->setEnabled(false);
    leaving_ = true;
    showResultsBoard();
    close();
}

void FrmSyuuryou::Command5_Click()
{
    platform::holdInput(this);
    Command4->setEnabled(false);
    leaving_ = true;
    showBackdrop();
    close();
    startDrill();
}

void FrmSyuuryou::closeEvent(QCloseEvent* event)
{
    // Closed through the window's own close box: the pupil still needs a screen to go on
    // from, so he is taken back to the results board as with "メニューへ".
    if (!leaving_ && !programEnding()) {
        leaving_ = true;
        Timer1->stop();
        showResultsBoard();
    }
    QWidget::closeEvent(event);
}

} // namespace kanameru
