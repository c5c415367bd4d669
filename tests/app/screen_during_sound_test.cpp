// What a pupil sees while a sound holds the program: under a real X server, another program
// grabs the screen a second into each (three-second) sound, and the grab must show the window
// exactly as it stood when the sound began: the drill's "正解です" panel with the answer, and
// the end screen with its "目標レベルクリア。おめでとう！" panel.
#include "drill/mainfrm.h"
#include "endscreen/basefrm.h"
#include "endscreen/frmsyuuryou.h"
#include "platform/events.h"
#include "platform/mci.h"
#include "platform/screen.h"
#include "results/results.h"
#include "sound/sound.h"
#include "sound/wavsynth.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/drillpupil.h"
#include "support/fakes.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/installation.h"
#include "support/waits.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace kanameru;
using namespace testing_support;

namespace {

// One grab: the window as it was drawn when its sound began, and the screen during the sound.
struct Grab {
    QString file;
    QImage expected;
    QPoint topLeft;
    QString window;
    QStringList visibleLabels; // texts of the window's labels shown when the sound began
};

QTemporaryDir* grabFolder = nullptr;
QList<Grab> grabs;

QWidget* frontWindow()
{
    for (const char* name : { "FrmSyuuryou", "MainFrm" })
        if (QWidget* w = topLevel(QLatin1String(name)); w && w->isVisible())
            return w;
    return nullptr;
}

// Stands in the place of the window layer's painter: paints as the program does, remembers
// the window as it stands, and asks another program to look at the screen a second later.
void paintAndGrab()
{
    platform::paintScreenNow();
    QWidget* w = frontWindow();
    if (w == nullptr)
        return;
    Grab g;
    g.file = grabFolder->filePath(QStringLiteral("grab%1.png").arg(grabs.size()));
    g.expected = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    g.topLeft = w->mapToGlobal(QPoint(0, 0));
    g.window = w->objectName();
    for (const QLabel* l : w->findChildren<QLabel*>())
        if (l->isVisible() && !l->text().isEmpty())
            g.visibleLabels << l->text();
    QProcess::startDetached(QStringLiteral(SCREENGRAB), { QStringLiteral("1000"), g.file });
    grabs.append(g);
}

// The share of pixels of the window's place on the screen that differ from its own drawing.
double differingShare(const Grab& g)
{
    const QImage screen = QImage(g.file).convertToFormat(QImage::Format_RGB32);
    if (screen.isNull())
        return 1.0;
    qint64 differing = 0;
    for (int y = 0; y < g.expected.height(); ++y)
        for (int x = 0; x < g.expected.width(); ++x) {
            const QPoint p = g.topLeft + QPoint(x, y);
            if (!screen.rect().contains(p)) {
                ++differing;
                continue;
            }
            const QRgb a = screen.pixel(p), b = g.expected.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b)) > 24)
                ++differing;
        }
    return static_cast<double>(differing) / (static_cast<double>(g.expected.width()) * g.expected.height());
}

void waitForGrabs()
{
    for (const Grab& g : grabs)
        WAIT_VERIFY(QFile::exists(g.file) && QImage(g.file).width() > 0);
}

void checkGrabsShowTheWindows()
{
    waitForGrabs();
    for (const Grab& g : grabs) {
        const double share = differingShare(g);
        QVERIFY2(share < 0.005,
            qPrintable(QStringLiteral("%1 during its sound differs in %2 per cent of its pixels (%3)")
                           .arg(g.window, QString::number(share * 100, 'f', 1), g.file)));
    }
}

bool someGrabShows(const QString& window, const QString& text)
{
    for (const Grab& g : grabs)
        if (g.window == window && g.visibleLabels.contains(text))
            return true;
    return false;
}

} // namespace

class ScreenDuringSoundTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<TestInstallation> inst;
    std::unique_ptr<QTemporaryDir> folder;
    platform::ScreenPainter before = nullptr;

    void writeLongSound(const QString& name)
    {
        QVERIFY(writeWav(inst->soundFolder() + name + QStringLiteral(".wav"), sineTone(3.0, 660)));
    }

private Q_SLOTS:
    void init()
    {
        fake = std::make_unique<FakePlatform>();
        inst = std::make_unique<TestInstallation>();
        folder = std::make_unique<QTemporaryDir>();
        grabFolder = folder.get();
        grabs.clear();
        qputenv("SDL_DISKAUDIOFILE", folder->filePath(QStringLiteral("heard.raw")).toLocal8Bit());
        // Target 60 s, second target 90 s, 15 points and 3 attempts clear the level.
        inst->writeLevels(QStringLiteral("60,90,15,3,1,0,0,28,7,0,0,0"));
        inst->load();
        reg.currentPupilNo = 1;
        reg.currentPupilName = QStringLiteral("山田　太郎          ");
        for (const char* name : { "ok", "ng", "pb", "good" })
            writeLongSound(QLatin1String(name));
        writeLongSound(QStringLiteral("最高1"));
        writeLongSound(QStringLiteral("合格"));
        inst->writeText(QStringLiteral("files/新音ファイル.txt"),
            QStringLiteral("正解音1,ok,*\n間違い音1,ng,*\n自己最高音2,pb,*\n不合格音1,good,*\n"));
        loadSoundMap();
        openResultsFile();
        screens().showBackdrop = [] { BASEFRM::open(); };
        screens().hideBackdrop = [] { BASEFRM::closeBackdrop(); };
        screens().showEndScreen = [] { FrmSyuuryou::open(); };
        screens().showDrillForm = [] { MainFrm::open(); };
        before = platform::setScreenPainter(paintAndGrab);
    }

    void cleanup()
    {
        platform::setScreenPainter(before);
        closeAllForms();
        platform::mciShutdown();
        inst.reset();
        fake.reset();
        grabFolder = nullptr;
        folder.reset();
    }

    void theAnswerIsOnTheScreenWhileTheJudgementSounds()
    {
        MainFrm* form = startSampleDrill();
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowExposed(form, testing_support::kWaitMs));
        answerKnowingTheEvents(form);
        click(form->findChild<QPushButton*>(QStringLiteral("Command4")));
        QVERIFY(someGrabShows(QStringLiteral("MainFrm"), QStringLiteral("正解です")));
        checkGrabsShowTheWindows();
    }

    void theEndScreenIsOnTheScreenWhileItsSoundsPlay()
    {
        // Three attempts of 30 s clear level 3; the third is the one that just ended.
        for (int i = 0; i < 3; ++i) {
            computeStatistics();
            reg.currentLevel = 3;
            reg.timeUp = 0;
            reg.attemptResult = 30;
            recordResult(3);
        }
        reg.allSolved = 1;
        reg.finishing = 1;
        reg.solvedCount = 5;
        BASEFRM::open();
        FrmSyuuryou* form = FrmSyuuryou::open();
        WAIT_VERIFY(form->findChild<QPushButton*>(QStringLiteral("Command4"))->isVisible());
        QVERIFY(someGrabShows(QStringLiteral("FrmSyuuryou"), QStringLiteral("目標レベルクリア。おめでとう！")));
        checkGrabsShowTheWindows();
    }
};

KANAMERU_FORM_TEST_MAIN(ScreenDuringSoundTest)
#include "screen_during_sound_test.moc"
