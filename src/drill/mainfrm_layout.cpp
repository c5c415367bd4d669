// The controls of the drill form and their places. Design positions are in twips (15 to a
// pixel); the form is 15360 x 11520 twips.
#include "drill/draglabel.h"
#include "drill/drillpictures.h"
#include "drill/drillwidgets.h"
#include "drill/mainfrm.h"
#include "platform/screen.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace kanameru {

namespace {

using platform::controlName;
using platform::placeTwips;
using platform::rgb;

constexpr int kStripHeight = 1650;
constexpr unsigned kStripColour = 0x1F3A5F;
constexpr unsigned kStripText = 0xFFFFFF;
constexpr unsigned kStripValue = 0xFFE066;
constexpr unsigned kWorkColour = 0xF4F1E8;
constexpr int kRowTops[5] = { 1665, 3060, 4380, 5745, 7110 };

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption, double points, bool bold = false)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setFont(platform::captionFont(points, bold));
    return l;
}

QLabel* stripLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top, int width,
    double points, unsigned colour, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    QLabel* l = makeLabel(parent, name, caption, points, colour == kStripValue);
    platform::setForeground(l, rgb(colour));
    l->setAlignment(align);
    placeTwips(l, left, top, width, 450);
    return l;
}

QWidget* box(QWidget* parent, const QString& name, unsigned colour)
{
    auto* w = new QWidget(parent);
    w->setObjectName(name);
    platform::setBackground(w, rgb(colour));
    return w;
}

QPushButton* phaseButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setFont(platform::captionFont(14, true));
    placeTwips(b, 13320, 1035, 1320, 735);
    // Enter presses the button through the form, which keeps the arrows and Space for the labels.
    b->setFocusPolicy(Qt::NoFocus);
    b->hide();
    return b;
}

} // namespace

void MainFrm::buildStrip()
{
    sPicture1 = box(this, QStringLiteral("sPicture1"), kStripColour);
    placeTwips(sPicture1, 0, 0, 15360, kStripHeight);
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;

    // First line: the drill set, the school, the pupil and the level.
    sLabel2 = stripLabel(sPicture1, QStringLiteral("sLabel2"), QString(), 120, 60, 2700, 16.8, kStripText);
    sLabel2->setFont(platform::captionFont(16.8, true));
    sLabel14 = stripLabel(sPicture1, QStringLiteral("sLabel14"), QString(), 2880, 60, 3000, 11, kStripText);
    sLabel7 = stripLabel(sPicture1, QStringLiteral("sLabel7"), QString(), 5940, 60, 2700, 14, kStripValue);
    sLabel3 = stripLabel(sPicture1, QStringLiteral("sLabel3"), QStringLiteral("レベル"), 8760, 60, 900, 11, kStripText);
    sLabel8 = stripLabel(sPicture1, QStringLiteral("sLabel8"), QString(), 9660, 60, 2100, 14, kStripValue);

    // Second line: questions left, time, minutes since start, today's attempts.
    int x = 120;
    const int y = 570;
    auto next = [&](QLabel* l, int width) {
        placeTwips(l, x, y, width, 450);
        x += width;
        return l;
    };
    sLabel4
        = next(stripLabel(sPicture1, QStringLiteral("sLabel4"), QStringLiteral("残り"), 0, 0, 0, 11, kStripText), 630);
    sLabel9 = next(stripLabel(sPicture1, QStringLiteral("sLabel9"), QString(), 0, 0, 0, 15, kStripValue, right), 420);
    sLabel6
        = next(stripLabel(sPicture1, QStringLiteral("sLabel6"), QStringLiteral("問"), 0, 0, 0, 11, kStripText), 480);
    sLabel5 = next(
        stripLabel(sPicture1, QStringLiteral("sLabel5"), QStringLiteral("タイム"), 0, 0, 0, 11, kStripText), 900);
    sLabel10 = next(
        stripLabel(sPicture1, QStringLiteral("sLabel10"), QStringLiteral("0"), 0, 0, 0, 15, kStripValue, right), 900);
    x += 300;
    const QString words[6] = { QStringLiteral("起動後"), QStringLiteral("分"), QStringLiteral("本日"),
        QStringLiteral("回目"), QStringLiteral("このレベル"), QStringLiteral("回目") };
    const int wordWidths[6] = { 900, 480, 660, 720, 1440, 720 };
    QLabel** values[3] = { &sLabel13, &sLabel12, &sLabel11 };
    const char* valueNames[3] = { "sLabel13", "sLabel12", "sLabel11" };
    for (int k = 0; k < 3; ++k) {
        sLabel16[2 * k]
            = next(stripLabel(sPicture1, controlName("sLabel16", 2 * k), words[2 * k], 0, 0, 0, 11, kStripText),
                wordWidths[2 * k]);
        *values[k] = next(
            stripLabel(sPicture1, QLatin1String(valueNames[k]), QString(), 0, 0, 0, 14, kStripValue, right), 600);
        x += 60;
        sLabel16[2 * k + 1]
            = next(stripLabel(sPicture1, controlName("sLabel16", 2 * k + 1), words[2 * k + 1], 0, 0, 0, 11, kStripText),
                wordWidths[2 * k + 1]);
        x += 120;
    }

    // The time bar: white background, light green second target, green pass time, blue time.
    sShape5 = box(sPicture1, QStringLiteral("sShape5"), 0xFFFFFF);
    placeTwips(sShape5, 120, 1110, 11400, 390);
    sShape4 = box(sPicture1, QStringLiteral("sShape4"), 0xA8E6A1);
    sShape3 = box(sPicture1, QStringLiteral("sShape3"), 0x2E9E3E);
    sShape2 = box(sPicture1, QStringLiteral("sShape2"), 0x1E5FD8);
    placeTwips(sShape4, 120, 1110, 0, 390);
    placeTwips(sShape3, 120, 1110, 0, 255);
    placeTwips(sShape2, 120, 1110, 0, 135);

    // Three rows of ten countdown lamps.
    const QString rowNames[3] = { QStringLiteral("YourBest"), QStringLiteral("Best"), QStringLiteral("Pass") };
    const int rowOfLabel[3] = { 1, 0, 2 }; // sLabel17(1) Best on top, then YourBest (0), then Pass (2)
    const unsigned lampColours[3] = { 0x006400, 0x808000, 0xE00000 };
    for (int k = 0; k < 3; ++k) {
        const int top = 150 + rowOfLabel[k] * 480;
        sLabel17[k]
            = stripLabel(sPicture1, controlName("sLabel17", k), rowNames[k], 11760, top - 60, 1320, 10, kStripText);
    }
    for (int row = 0; row < 3; ++row) {
        const int top = 150 + row * 480;
        for (int j = 0; j < 10; ++j) {
            const int index = 10 + row * 10 + j;
            sPicture3[index] = box(sPicture1, controlName("sPicture3", index), lampColours[row]);
            placeTwips(sPicture3[index], 13140 + j * 210, top + 30, 165, 270);
        }
    }

    sTimer1 = new QTimer(this);
    sTimer1->setObjectName(QStringLiteral("sTimer1"));
    sTimer1->setInterval(1000);
    connect(sTimer1, &QTimer::timeout, this, &MainFrm::sTimer1_Timer);
    sTimer2 = new QTimer(this);
    sTimer2->setObjectName(QStringLiteral("sTimer2"));
    sTimer2->setInterval(10000);
    connect(sTimer2, &QTimer::timeout, this, &MainFrm::sTimer2_Timer);
}

void MainFrm::buildWorkArea()
{
    Picture2 = new WorkArea(this);
    platform::setBackground(Picture2, rgb(kWorkColour));

    Shape1 = new QWidget(Picture2);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setStyleSheet(QStringLiteral("#Shape1 { border: 2px solid #6B5B45; background: transparent; }"));
    Shape1->setAttribute(Qt::WA_StyledBackground);
    placeTwips(Shape1, 5310, 810, 9510, 7980);

    Picture3 = box(Picture2, QStringLiteral("Picture3"), 0xE8E0F0);
    placeTwips(Picture3, 315, 810, 2310, 1365);
    Label10 = makeLabel(Picture3, QStringLiteral("Label10"), QStringLiteral("紀元前"), 12, true);
    Label10->setAlignment(Qt::AlignCenter);
    Label10->setGeometry(0, 0, Picture3->width(), Picture3->height());

    Picture1 = new YearAxis(Picture2);
    placeTwips(Picture1, 315, 2160, 2310, 6630);

    // Era bands on the left part of the axis, in soft colours, with their names.
    const unsigned bandColours[5] = { 0xF6D6C8, 0xF9EDB5, 0xC9E4C5, 0xC6DBF0, 0xE3D0EC };
    const int bandWidth = Picture1->width() * 45 / 100;
    for (int k = 1; k <= 5; ++k) {
        const EraBand& band = eraBands()[k - 1];
        Picture5[k] = makeLabel(Picture1, controlName("Picture5", k), QString::fromUtf8(band.caption), 9, true);
        Picture5[k]->setAlignment(Qt::AlignCenter);
        platform::setBackground(Picture5[k], rgb(bandColours[k - 1]));
        Picture5[k]->setFrameShape(QFrame::Box);
        const int top = static_cast<int>(Picture1->height() * band.fromYear / 2000.0);
        const int height = static_cast<int>(Picture1->height() * band.years / 2000.0);
        Picture5[k]->setGeometry(0, top, bandWidth, height);
    }
    // Year labels on the right part of the axis, each standing just above its line.
    for (int k = 0; k <= 20; ++k) {
        Label16[k] = makeLabel(Picture1, controlName("Label16", k), QString(), 8);
        Label16[k]->setAlignment(Qt::AlignRight | Qt::AlignBottom);
        Label16[k]->setGeometry(Picture1->width() - 52, 0, 48, 14);
        Label16[k]->hide();
    }

    // The answer panel and the markers.
    Label18 = makeLabel(Picture2, QStringLiteral("Label18"), QStringLiteral("正解は"), 14, true);
    Label18->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label18->setMargin(6);
    placeTwips(Label18, 3375, 810, 1905, 7980);
    platform::setBackground(Label18, rgb(kLightYellow));
    Label18->hide();
    for (int i = 1; i <= 5; ++i) {
        Label7[i] = makeLabel(Picture2, controlName("Label7", i), QString(), 10, true);
        placeTwips(Label7[i], 3375, 2250 + 1260 * (i - 1), 645, 285);
        Label7[i]->setIndent(4);
        Label4[i] = makeLabel(Picture2, controlName("Label4", i), QString(), 10);
        Label4[i]->setWordWrap(true);
        Label4[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        Label4[i]->setIndent(4);
        placeTwips(Label4[i], 3375, 2520 + 1260 * (i - 1), 1905, 900);
        Picture4[i] = box(Picture2, controlName("Picture4", i), 0xFF0000);
        placeTwips(Picture4[i], 2625, 0, 195, 195);
        Label7[i]->hide();
        Label4[i]->hide();
        Picture4[i]->hide();
    }
}

void MainFrm::buildQuestionRows()
{
    for (int i = 1; i <= 5; ++i) {
        const int top = kRowTops[i - 1];
        Label12[i] = makeLabel(Picture2, controlName("Label12", i), QString(), 12);
        placeTwips(Label12[i], 4320, top, 735, 480);
        Label12[i]->hide();
        Label2[i] = makeLabel(Picture2, controlName("Label2", i), QString(), 14, true);
        Label2[i]->setAlignment(Qt::AlignCenter);
        platform::setBackground(Label2[i], rgb(0xFFFFFF));
        placeTwips(Label2[i], 5535, top, 1140, 480);
        Label2[i]->hide();
        Label1[i] = new DragLabel("Label1", i, Picture2);
        Label1[i]->setWordWrap(true);
        Label1[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Label1[i]->setIndent(6);
        Label1[i]->setFrameShape(QFrame::Box);
        platform::setBackground(Label1[i], rgb(kLightGreen));
        placeTwips(Label1[i], 6660, top, 5055, 480);
        Label3[i] = new DragLabel("Label3", i, Picture2);
        Label3[i]->setWordWrap(true);
        Label3[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        Label3[i]->setIndent(6);
        Label3[i]->setTightLines(true); // long explanations take two lines at a readable size
        Label3[i]->setFrameShape(QFrame::Box);
        platform::setBackground(Label3[i], rgb(kYellow));
        placeTwips(Label3[i], 8190, top + 585, 4650, 555);
    }
    List2 = new QListWidget(this);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setSortingEnabled(true);
    List2->hide();

    // The pictures of the two phases and the instruction beside them, one character a line.
    Image2 = new QLabel(Picture2);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(explanationPicture());
    placeTwips(Image2, 12915, 2430, 1230, 5775);
    Image2->hide();
    Image3 = new QLabel(Picture2);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setPixmap(orderPicture());
    // Image3 stands where Image2 does: at its design place further left it would cover the
    // right end of the explanations, which stay on show while the events are ordered.
    placeTwips(Image3, 12915, 1845, 1230, 5775);
    Image3->hide();
    Label11 = makeLabel(Picture2, QStringLiteral("Label11"), QString(), 15, true);
    Label11->setWordWrap(true);
    Label11->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    placeTwips(Label11, 0, 0, 510, 5775);
    platform::setForeground(Label11, rgb(0x7A1F1F));
}

void MainFrm::buildButtons()
{
    Command6 = phaseButton(Picture2, "Command6", QStringLiteral("判定"));
    Command4 = phaseButton(Picture2, "Command4", QStringLiteral("判定"));
    Command7 = phaseButton(Picture2, "Command7", QStringLiteral("もう１度"));
    Command8 = phaseButton(Picture2, "Command8", QStringLiteral("もう１度"));
    Command3 = phaseButton(Picture2, "Command3", QStringLiteral("次へ"));
    Command2 = phaseButton(Picture2, "Command2", QString());
    // The phase buttons share one spot: each one that appears there drops, for the settle
    // time, the clicks and keys that would press it (the tail of a double click on the one
    // before); input given while a judgement sounds is dropped by the sound itself.
    connect(Command3, &QPushButton::clicked, this, &MainFrm::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &MainFrm::Command4_Click);
    connect(Command6, &QPushButton::clicked, this, &MainFrm::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &MainFrm::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &MainFrm::Command8_Click);
    // The buttons of the second phase start on their own design places; in test mode the
    // activation moves them onto the spot of Command6.
    placeTwips(Command3, 13320, 8100, 1320, 735);
    placeTwips(Command4, 13320, 8100, 1320, 735);
    placeTwips(Command7, 13320, 8100, 1320, 735);
    placeTwips(Command8, 13320, 8100, 1320, 735);

    // What the keys do, shown once the pupil answers with the keyboard: a line under the rows
    // and the axis, where no label of a question reaches.
    keyHints = makeLabel(Picture2, QStringLiteral("keyHints"), keyHintsText(Command6->text()), 10.5, true);
    keyHints->setTextFormat(Qt::PlainText);
    keyHints->setAlignment(Qt::AlignCenter);
    platform::setForeground(keyHints, rgb(0x3D3426));
    placeTwips(keyHints, 315, 8940, 14730, 390);
    keyHints->hide();
}

void MainFrm::buildOverlay()
{
    sPicture2 = box(this, QStringLiteral("sPicture2"), 0x1F3A5F);
    sPicture2->setGeometry(0, 0, 1024, 768);
    lblsss2 = makeLabel(sPicture2, QStringLiteral("lblsss2"), QStringLiteral("時間切れ"), 36, true);
    lblsss1 = makeLabel(sPicture2, QStringLiteral("lblsss1"), QStringLiteral("成績記録中"), 36, true);
    for (QLabel* l : { lblsss1, lblsss2 }) {
        l->setAlignment(Qt::AlignCenter);
        platform::setForeground(l, rgb(0xFFFFFF));
        l->setGeometry(0, 300, 1024, 120);
    }
    sPicture2->hide();
}

} // namespace kanameru
