// Flash-card practice on the drill form: the panel Picture6 right of the year axis, the card
// and its arrow, the display orders and speeds, and the three timers of the reveal cycle.
#include "drill/drillpictures.h"
#include "drill/drillwidgets.h"
#include "drill/mainfrm.h"
#include "platform/screen.h"
#include "startup/hensuu1.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace kanameru {

namespace {

using platform::controlName;
using platform::placeTwips;
using platform::rgb;

constexpr int kCardOffset = 450; // the card stands this many twips above its year

QRadioButton* option(QWidget* parent, const char* name, int index, const QString& caption, int left, int top)
{
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(controlName(name, index));
    b->setFont(platform::captionFont(10.5));
    placeTwips(b, left, top, 2700, 330);
    b->resize(b->sizeHint().width(), b->height()); // a click beside the caption selects nothing
    return b;
}

} // namespace

void MainFrm::buildMemorizePanel()
{
    Picture6 = new QWidget(Picture2);
    Picture6->setObjectName(QStringLiteral("Picture6"));
    platform::setBackground(Picture6, rgb(0xCDE8F6));
    Picture6->setGeometry(0, 0, 1024 - (Picture1->x() + Picture1->width()), Picture2->height());

    // The card and its arrow; both move to the year of the card.
    Image1 = new QLabel(Picture6);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(cardArrowPicture(64, 60));
    Image1->setGeometry(2, 0, 64, 60);
    Picture10 = new QWidget(Picture6);
    Picture10->setObjectName(QStringLiteral("Picture10"));
    platform::setBackground(Picture10, rgb(0xFFFFF0));
    Picture10->setGeometry(70, 0, 560, 226);
    for (int i = 1; i <= 3; ++i) {
        Label13[i] = new QLabel(Picture10);
        Label13[i]->setObjectName(controlName("Label13", i));
        Label13[i]->setFont(platform::captionFont(18, true));
        Label13[i]->setWordWrap(true);
        Label13[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Label13[i]->setIndent(8);
        Label13[i]->setGeometry(0, 2 + (i - 1) * 74, 560, 72);
    }

    // Display orders and speeds.
    Label15 = new QLabel(QStringLiteral("表示順"), Picture6);
    Label15->setObjectName(QStringLiteral("Label15"));
    Label15->setFont(platform::captionFont(12, true));
    placeTwips(Label15, 9660, 300, 2700, 390);
    const QString orders[kDisplayOrders] = { QStringLiteral("年・出来事・説明"), QStringLiteral("年・説明・出来事"),
        QStringLiteral("出来事・年・説明"), QStringLiteral("説明・年・出来事"), QStringLiteral("出来事・説明・年"),
        QStringLiteral("説明・出来事・年") };
    for (int k = 1; k <= kDisplayOrders; ++k)
        Option1[k] = option(Picture6, "Option1", k, orders[k - 1], 9660, 690 + (k - 1) * 360);
    Option1[kDefaultDisplayOrder]->setChecked(true);

    Label14 = new QLabel(QStringLiteral("スピード"), Picture6);
    Label14->setObjectName(QStringLiteral("Label14"));
    Label14->setFont(platform::captionFont(12, true));
    placeTwips(Label14, 9660, 3000, 2700, 390);
    const QString speedNames[kSpeeds] = { QStringLiteral("0.2秒"), QStringLiteral("0.6秒"), QStringLiteral("1秒"),
        QStringLiteral("2秒"), QStringLiteral("3秒"), QStringLiteral("4秒") };
    for (int k = 1; k <= kSpeeds; ++k) {
        Option2[k] = option(Picture6, "Option2", k, speedNames[k - 1], 9660, 3390 + (k - 1) * 360);
        Option2[k]->setAutoExclusive(false);
        connect(Option2[k], &QRadioButton::clicked, this, [this, k] { setSpeed(k); });
    }
    for (int k = 1; k <= kDisplayOrders; ++k) {
        connect(Option1[k], &QRadioButton::clicked, this, [this, k] {
            for (int j = 1; j <= kDisplayOrders; ++j)
                Option1[j]->setChecked(j == k);
        });
        Option1[k]->setAutoExclusive(false);
    }
    Option2[kDefaultSpeed]->setChecked(true);

    Command12 = new QPushButton(QStringLiteral("覚えた"), Picture6);
    Command12->setObjectName(QStringLiteral("Command12"));
    Command12->setFont(platform::captionFont(14, true));
    placeTwips(Command12, 9660, 5790, 2400, 690);
    Command11 = new QPushButton(QStringLiteral("練習終わり"), Picture6);
    Command11->setObjectName(QStringLiteral("Command11"));
    Command11->setFont(platform::captionFont(14, true));
    placeTwips(Command11, 9660, 6780, 2400, 690);
    Command9 = new QPushButton(Picture6);
    Command9->setObjectName(QStringLiteral("Command9"));
    Command9->hide();
    Command10 = new QPushButton(Picture6);
    Command10->setObjectName(QStringLiteral("Command10"));
    Command10->hide();
    connect(Command9, &QPushButton::clicked, this, &MainFrm::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &MainFrm::Command10_Click);
    connect(Command11, &QPushButton::clicked, this, &MainFrm::Command11_Click);
    connect(Command12, &QPushButton::clicked, this, &MainFrm::Command12_Click);

    const char* timerNames[3] = { "Timer2", "Timer3", "Timer4" };
    QTimer** timers[3] = { &Timer2, &Timer3, &Timer4 };
    for (int k = 0; k < 3; ++k) {
        *timers[k] = new QTimer(this);
        (*timers[k])->setObjectName(QLatin1String(timerNames[k]));
        (*timers[k])->setInterval(2000);
    }
    connect(Timer2, &QTimer::timeout, this, &MainFrm::Timer2_Timer);
    connect(Timer3, &QTimer::timeout, this, &MainFrm::Timer3_Timer);
    connect(Timer4, &QTimer::timeout, this, &MainFrm::Timer4_Timer);
    Picture6->hide();
}

void MainFrm::setSpeed(int index)
{
    for (int k = 1; k <= kSpeeds; ++k)
        Option2[k]->setChecked(k == index);
    const int ms = RevealCycle::interval(index);
    for (QTimer* t : { Timer4, Timer2, Timer3 })
        t->setInterval(ms);
}

void MainFrm::Command9_Click()
{
    Timer2->stop();
    Timer3->start();
    Command10_Click();
}

void MainFrm::Command10_Click()
{
    int order = kDefaultDisplayOrder;
    for (int k = 1; k <= kDisplayOrders; ++k) {
        if (Option1[k]->isChecked())
            order = k;
    }
    cycle_->nextCard(order);
    showCard();
    fitCaption(Label13[1], cycle_->part(1), 18, 11, true);
    fitCaption(Label13[2], QStringLiteral("?"), 18, 11, true);
    fitCaption(Label13[3], QStringLiteral("?"), 18, 11, true);
}

// Moves the card and the arrow to the year of the card on show.
void MainFrm::showCard()
{
    const int card = cycle_->currentCard();
    if (card <= 0)
        return;
    const int y = yearTop(rows_.yearOf(card)) - Picture6->y() - platform::twips(kCardOffset);
    Image1->move(Image1->x(), y);
    // The card keeps whole on the panel, even for the years at the ends of the axis.
    const int cardTop = std::clamp(y, 0, Picture6->height() - Picture10->height());
    Picture10->move(Picture10->x(), cardTop);
}

void MainFrm::Command12_Click()
{
    cycle_->markLearned();
}

void MainFrm::Command11_Click()
{
    reg.finishing = 1;
    for (QTimer* t : { Timer2, Timer3, Timer4 })
        t->stop();
    leaveToBoard();
}

void MainFrm::Timer3_Timer()
{
    Timer3->stop();
    Timer4->start();
    fitCaption(Label13[2], cycle_->part(2), 18, 11, true);
}

void MainFrm::Timer4_Timer()
{
    Timer4->stop();
    Timer2->start();
    fitCaption(Label13[3], cycle_->part(3), 18, 11, true);
}

void MainFrm::Timer2_Timer()
{
    Timer2->stop();
    Timer3->start();
    Command10_Click();
}

} // namespace kanameru
