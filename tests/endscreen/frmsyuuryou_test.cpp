// The end-of-drill screen as a pupil meets it: an attempt is recorded in a real results file,
// the screen opens over the backdrop, plays its sounds for real (SDL's disk driver writes what
// is heard to a file, so the test can tell which sound came last), and the pupil clicks on.
#include "endscreen/basefrm.h"
#include "endscreen/frmsyuuryou.h"
#include "platform/mci.h"
#include "platform/screen.h"
#include "results/results.h"
#include "sound/sound.h"
#include "sound/wavsynth.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/fakes.h"
#include "support/focusframe.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/installation.h"
#include "support/waits.h"
#include "support/wine.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace kanameru;
using namespace testing_support;

namespace {

// Each sound is a short steady tone of its own level, so the disk driver's output tells which
// sounds were played, in their order.
enum SoundTag { kOverallTag = 1, kClearedTag = 2, kPersonalTag = 3, kGoodTag = 4 };

void writeTaggedWav(const QString& path, SoundTag tag)
{
    Sound sound;
    sound.samples.assign(static_cast<size_t>(sound.sampleRate / 10), 0.1f * static_cast<float>(tag));
    QVERIFY(writeWav(path, sound));
}

// Flags as the drill form leaves them when it hands over to the end screen.
struct FlagsSeen {
    qint16 allSolved = -1, finishing = -1, timeUp = -1;
    qint32 solvedCount = -1;
    qint16 newPersonalBest = -1, newOverallBest = -1;
};

struct World {
    FakePlatform fake;
    TestInstallation inst;
    QTemporaryDir audio;
    int boardShown = 0;
    int drillShown = 0;
    mutable QByteArray heardSoFar; // Windows: the disk driver's output of the closed devices
    FlagsSeen flagsAtDrill;

    World()
    {
        // Level target 60 s, second target 90 s, 15 points and 3 attempts to clear, factor 1,
        // no caps, recent window 28 days, cap window 7 days.
        inst.writeLevels(QStringLiteral("60,90,15,3,1,0,0,28,7,0,0,0"));
        inst.load();
        reg.currentPupilNo = 1;
        reg.currentPupilName = QStringLiteral("山田　太郎          ");
        writeTaggedWav(inst.soundFolder() + QStringLiteral("最高1.wav"), kOverallTag);
        writeTaggedWav(inst.soundFolder() + QStringLiteral("合格.wav"), kClearedTag);
        writeTaggedWav(inst.soundFolder() + QStringLiteral("pb.wav"), kPersonalTag);
        writeTaggedWav(inst.soundFolder() + QStringLiteral("good.wav"), kGoodTag);
        inst.writeText(
            QStringLiteral("files/新音ファイル.txt"), QStringLiteral("自己最高音2,pb,*\n不合格音1,good,*\n"));
        loadSoundMap();
        qputenv("SDL_DISKAUDIOFILE", audioFile().toLocal8Bit());

        screens().showResultsBoard = [this] { ++boardShown; };
        screens().showDrillForm = [this] {
            ++drillShown;
            flagsAtDrill = { reg.allSolved, reg.finishing, reg.timeUp, reg.solvedCount, reg.newPersonalBest,
                reg.newOverallBest };
        };
        screens().showBackdrop = [] { BASEFRM::open(); };
        screens().hideBackdrop = [] { BASEFRM::closeBackdrop(); };
    }

    QString audioFile() const { return audio.path() + QStringLiteral("/heard.raw"); }

    // The sounds heard, in order, from the steady levels of the samples the driver wrote.
    QList<int> heard() const
    {
        QList<int> tags;
        QFile f(audioFile());
#ifdef Q_OS_WIN
        // There the disk driver lets nobody read its file before the device is closed, and the
        // next sound opens it anew: what it wrote so far is kept here.
        platform::mciShutdown();
        if (f.open(QIODevice::ReadOnly))
            heardSoFar += f.readAll();
        f.close();
        f.remove();
        const QByteArray bytes = heardSoFar;
#else
        if (!f.open(QIODevice::ReadOnly))
            return tags;
        const QByteArray bytes = f.readAll();
#endif
        int previous = 0;
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
            const int v = static_cast<qint16>(static_cast<quint8>(bytes[i]) | (static_cast<quint8>(bytes[i + 1]) << 8));
            const int tag = qRound(std::abs(v) / (0.1 * 32767));
            if (tag != 0 && tag != previous)
                tags.append(tag);
            previous = tag;
        }
        return tags;
    }
    // One attempt recorded as the drill does it, with the statistics as the board left them.
    void record(int level, qint32 result, int pupil = 1)
    {
        const qint16 keepPupil = reg.currentPupilNo;
        reg.currentPupilNo = static_cast<qint16>(pupil);
        computeStatistics();
        reg.currentLevel = static_cast<qint16>(level);
        reg.timeUp = result == kTimeOut ? 1 : 0;
        reg.attemptResult = result;
        recordResult(static_cast<qint16>(level));
        reg.currentPupilNo = keepPupil;
    }
    // An attempt of earlier that the pupil has already seen the end screen of.
    void history(int level, qint32 result, int pupil = 1)
    {
        record(level, result, pupil);
        reg.newPersonalBest = 0;
        reg.newOverallBest = 0;
    }
    // The attempt that ends now: recorded, the backdrop up, the flags as the drill left them.
    void finish(int level, qint32 result)
    {
        record(level, result);
        reg.allSolved = result == kTimeOut ? 0 : 1;
        reg.finishing = 1;
        reg.solvedCount = result == kTimeOut ? 2 : 5;
        BASEFRM::open();
    }
};

// Remembers whether a widget was ever shown.
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(QWidget* w) { w->installEventFilter(this); }
    bool shown = false;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Show)
            shown = true;
        return false;
    }
};

template <class T = QLabel> T* child(QWidget* form, const char* name)
{
    T* w = form->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

QString text(QWidget* form, const char* name)
{
    return child<QWidget>(form, name)->property("text").toString();
}

bool shown(QWidget* form, const char* name)
{
    return child<QWidget>(form, name)->isVisible();
}

} // namespace

class EndScreenTest : public QObject {
    Q_OBJECT

    std::unique_ptr<World> world;
    FrmSyuuryou* form = nullptr;
    std::unique_ptr<ShowWatcher> panelWatcher;

    // Opens the screen as the drill does and waits until its buttons are there.
    void openAndSettle()
    {
        form = FrmSyuuryou::open();
        panelWatcher = std::make_unique<ShowWatcher>(child<QWidget>(form, "Picture1"));
        WAIT_VERIFY(child<QPushButton>(form, "Command4")->isVisible());
        checkNothingCutOrOverlapping();
        saveScreenshot();
    }

    // Every label shows its whole text, and no two visible texts overlap.
    void checkNothingCutOrOverlapping()
    {
        QList<QWidget*> placed;
        for (QLabel* label : form->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->objectName() == QLatin1String("Image1"))
                continue;
            const QFontMetrics fm(label->font());
            const QRect need = fm.boundingRect(label->text());
            QVERIFY2(need.width() <= label->contentsRect().width() && fm.height() <= label->contentsRect().height(),
                qPrintable(label->objectName() + QStringLiteral(" cuts ") + label->text()));
            if (label->parentWidget() == form)
                placed.append(label);
        }
        for (QPushButton* b : form->findChildren<QPushButton*>()) {
            if (!b->isVisible())
                continue;
            QVERIFY(QFontMetrics(b->font()).horizontalAdvance(b->text()) < b->width() - 16);
            placed.append(b);
        }
        if (shown(form, "Picture1"))
            placed.append(child<QWidget>(form, "Picture1"));
        for (int i = 0; i < placed.size(); ++i) {
            QVERIFY(QRect(0, 0, 1024, 768).contains(placed[i]->geometry()));
            for (int j = i + 1; j < placed.size(); ++j)
                QVERIFY2(!placed[i]->geometry().intersects(placed[j]->geometry()),
                    qPrintable(placed[i]->objectName() + QStringLiteral(" overlaps ") + placed[j]->objectName()));
        }
    }

    void saveScreenshot()
    {
        const QByteArray folder = qgetenv("KANAMERU_SCREENSHOTS");
        if (folder.isEmpty())
            return;
        QString name = QString::fromUtf8(QTest::currentTestFunction());
        if (QTest::currentDataTag())
            name += QLatin1Char('_')
                + QString::fromUtf8(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_'));
        form->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + name + QStringLiteral(".png"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Sounds are played for real, into a file instead of a loudspeaker.
        qputenv("SDL_AUDIODRIVER", "disk");
    }

    void init() { world = std::make_unique<World>(); }

    void cleanup()
    {
        closeAllForms();
        panelWatcher.reset();
        form = nullptr;
        world.reset();
        platform::mciShutdown();
    }

    void isTheFormOfTheDescription()
    {
        world->history(1, 40);
        world->finish(1, 45);
        openAndSettle();
        QCOMPARE(form->windowTitle(), QStringLiteral("終了"));
        QCOMPARE(form->size(), QSize(1024, 768));
        QCOMPARE(child(form, "Image1")->geometry(), QRect(0, 0, 1024, 768));
        QVERIFY(!child(form, "Image1")->pixmap().isNull());
        QCOMPARE(text(form, "Label1"), QStringLiteral("目標レベルクリア。おめでとう！"));
        QCOMPARE(text(form, "Command4"), QStringLiteral("メニューへ"));
        QCOMPARE(text(form, "Command5"), QStringLiteral("もう一度"));
        QCOMPARE(text(form, "Label15"), QStringLiteral("カナメル"));
        QCOMPARE(text(form, "Label16"), reg.levelTitles[1]);
        QCOMPARE(text(form, "Label17"), QStringLiteral("山田　太郎"));
        QVERIFY(child<QPushButton>(form, "Command4")->hasFocus());
    }

    void longTitlesAndNamesAreSetSmallerNotCut()
    {
        reg.drillSetTitle = QStringLiteral("カナメル日本史年代並べ替えドリル総合編上級コース");
        reg.levelTitles[1] = QStringLiteral("レベル１　古代から近世までの出来事");
        reg.currentPupilName = QStringLiteral("長谷川　ひかりこ　ジャクリーヌ　");
        world->finish(1, 55);
        openAndSettle(); // checks that no label is cut
        QCOMPARE(text(form, "Label15"), reg.drillSetTitle);
        QCOMPARE(text(form, "Label17"), QStringLiteral("長谷川　ひかりこ　ジャクリーヌ"));
        QVERIFY(child(form, "Label15")->font().pointSizeF() < 28);
    }

    void thereIsOneBackdropAtATime()
    {
        BASEFRM* first = BASEFRM::open();
        QVERIFY(first);
        QCOMPARE(BASEFRM::open(), first);
        int shownBackdrops = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            shownBackdrops += w->objectName() == QLatin1String("BASEFRM") && w->isVisible();
        QCOMPARE(shownBackdrops, 1);
        QCOMPARE(text(first, "Label19"), QStringLiteral("Just a moment, please."));
        BASEFRM::closeBackdrop();
        QVERIFY(!BASEFRM::current());
        BASEFRM::closeBackdrop(); // closing what is not open does nothing
        QVERIFY(BASEFRM::open() != nullptr);
    }

    void aTimeOutShowsNoRecordNoPointsAndNoSound()
    {
        world->history(1, 40);
        world->finish(1, kTimeOut);
        form = FrmSyuuryou::open();
        // The activation runs, the backdrop goes; the buttons follow half a second later.
        WAIT_VERIFY(!BASEFRM::current());
        if (!underWine()) { // there the activation alone takes longer than the half second
            QVERIFY(!shown(form, "Command4"));
            QVERIFY(!shown(form, "Command5"));
        }
        WAIT_VERIFY(shown(form, "Command4"));
        checkNothingCutOrOverlapping();
        saveScreenshot();
        QCOMPARE(text(form, "Label18"), QStringLiteral("記録なし"));
        QCOMPARE(text(form, "Label19"), QStringLiteral("獲得ポイント：0点×1→0点"));
        QVERIFY(shown(form, "Label20"));
        QCOMPARE(text(form, "Label20"), QStringLiteral("時間切れ"));
        // The time-out is no completed attempt: one attempt today.
        QCOMPARE(text(form, "Label13"), QStringLiteral(" (このレベル　1回目)"));
        QCOMPARE(text(form, "Label14"), QStringLiteral("（1回目)"));
        QCOMPARE(reg.todayTotalCount, qint16(1));
        QCOMPARE(world->heard(), QList<int>());
        QVERIFY(!shown(form, "Label2"));
        QVERIFY(shown(form, "Command5"));
    }

    void aResultAtTheTargetEarnsFivePoints()
    {
        world->history(1, 40);
        world->history(2, 70);
        world->finish(1, 60);
        openAndSettle();
        QCOMPARE(text(form, "Label18"), QStringLiteral("今の成績：60秒"));
        QCOMPARE(text(form, "Label19"), QStringLiteral("獲得ポイント：5点×1→5点"));
        QCOMPARE(text(form, "Label13"), QStringLiteral(" (このレベル　2回目)"));
        QCOMPARE(text(form, "Label14"), QStringLiteral("（3回目)"));
        QVERIFY(!shown(form, "Label20"));
        // Within the second target: the good result sound, no text.
        QCOMPARE(world->heard(), QList<int>({ kGoodTag }));
    }

    void aFactorOfOneAndAHalfIsWrittenShort()
    {
        reg.levelPointFactor[2] = 1.5f;
        world->history(2, 40);
        world->finish(2, 60);
        openAndSettle();
        QCOMPARE(text(form, "Label19"), QStringLiteral("獲得ポイント：5点×1.5→7点"));
    }

    void announcesRecords_data()
    {
        QTest::addColumn<int>("otherPupilBest"); // 0: nobody else played the level
        QTest::addColumn<int>("ownBest"); // 0: the pupil's first attempt
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("announcement"); // empty: Label20 stays hidden
        QTest::addColumn<QList<int>>("sounds");
        QTest::newRow("first attempt of anybody")
            << 0 << 0 << 70 << QStringLiteral("！！！最高新記録！！！") << QList<int> { kOverallTag };
        QTest::newRow("first own attempt, another holds the level record")
            << 30 << 0 << 70 << QStringLiteral("新記録おめでとう") << QList<int> { kPersonalTag };
        QTest::newRow("beats everybody") << 50 << 60 << 45 << QStringLiteral("！！！最高新記録！！！")
                                         << QList<int> { kOverallTag };
        QTest::newRow("slower than before, within the second target")
            << 0 << 50 << 80 << QString() << QList<int> { kGoodTag };
        QTest::newRow("slower than before and the second target") << 0 << 92 << 95 << QString() << QList<int> {};
    }

    void announcesRecords()
    {
        QFETCH(int, otherPupilBest);
        QFETCH(int, ownBest);
        QFETCH(int, result);
        QFETCH(QString, announcement);
        QFETCH(QList<int>, sounds);
        if (otherPupilBest)
            world->history(1, otherPupilBest, 2);
        if (ownBest)
            world->history(1, ownBest);
        world->finish(1, result);
        openAndSettle();
        QCOMPARE(shown(form, "Label20"), !announcement.isEmpty());
        if (!announcement.isEmpty())
            QCOMPARE(text(form, "Label20"), announcement);
        QCOMPARE(world->heard(), sounds);
        // The flags are spent: nothing is announced twice.
        QCOMPARE(reg.newPersonalBest, qint16(0));
        QCOMPARE(reg.newOverallBest, qint16(0));
    }

    void clearingALevel_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("earlierAttempts"); // of 30 s, 11 points each
        QTest::addColumn<bool>("withoutEnd"); // some level needs 9999 attempts
        QTest::addColumn<bool>("panel");
        QTest::addColumn<QList<int>>("sounds");
        // The third attempt clears the target level: panel, the good result, then the cleared sound.
        QTest::newRow("target level, first time") << 3 << 2 << false << true << QList<int> { kGoodTag, kClearedTag };
        // Cleared before: the panel again, but no cleared sound.
        QTest::newRow("target level, again") << 3 << 3 << false << true << QList<int> { kGoodTag };
        QTest::newRow("target level, drill set without end")
            << 3 << 2 << true << false << QList<int> { kGoodTag, kClearedTag };
        QTest::newRow("another level") << 2 << 2 << false << false << QList<int> { kGoodTag };
    }

    void clearingALevel()
    {
        QFETCH(int, level);
        QFETCH(int, earlierAttempts);
        QFETCH(bool, withoutEnd);
        QFETCH(bool, panel);
        QFETCH(QList<int>, sounds);
        if (withoutEnd)
            reg.levelRequiredCount[20] = 9999;
        for (int i = 0; i < earlierAttempts; ++i)
            world->history(level, 30);
        world->finish(level, 30);
        openAndSettle();
        QVERIFY(shown(form, "Label2"));
        QCOMPARE(text(form, "Label2"), QStringLiteral("このレベルクリア"));
        QCOMPARE(panelWatcher->shown, panel);
        // The panel gives way to the buttons.
        QVERIFY(!shown(form, "Picture1"));
        QCOMPARE(world->heard(), sounds);
    }

    void thePanelStaysUntilTheButtonsCome()
    {
        for (int i = 0; i < 2; ++i)
            world->history(3, 30);
        world->finish(3, 30);
        form = FrmSyuuryou::open();
        WAIT_VERIFY(!BASEFRM::current());
        if (!underWine()) { // there the activation alone takes longer than the half second
            QVERIFY(shown(form, "Picture1"));
            QVERIFY(!shown(form, "Command4"));
        }
        checkNothingCutOrOverlapping();
        saveScreenshot();
        WAIT_VERIFY(shown(form, "Command4"));
        QVERIFY(!shown(form, "Picture1"));
    }

    void theCapRule_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("capCount"); // 0: no cap
        QTest::addColumn<int>("passPoints");
        QTest::addColumn<int>("targetLevelCleared");
        QTest::addColumn<bool>("again");
        QTest::addColumn<bool>("noteShown");
        QTest::addColumn<QString>("note");
        const QString cleared = QStringLiteral("このレベルクリア");
        QTest::newRow("no cap") << 2 << 0 << 15 << 0 << true << true << cleared;
        QTest::newRow("cap reached, level not cleared") << 2 << 3 << 1000 << 0 << true << false << cleared;
        QTest::newRow("cap reached, level cleared: on to the next level")
            << 2 << 3 << 15 << 0 << false << true << QStringLiteral("次のレベルへ進みましょう");
        QTest::newRow("cap reached, level cleared, target cleared too") << 2 << 3 << 15 << 1 << true << true << cleared;
        QTest::newRow("target level capped and cleared") << 3 << 3 << 15 << 0 << true << false << QString();
    }

    void theCapRule()
    {
        QFETCH(int, level);
        QFETCH(int, capCount);
        QFETCH(int, passPoints);
        QFETCH(int, targetLevelCleared);
        QFETCH(bool, again);
        QFETCH(bool, noteShown);
        QFETCH(QString, note);
        reg.levelCapCount[level] = AnyValue(capCount);
        reg.levelPassPoints[level] = passPoints;
        reg.targetLevelCleared = AnyValue(targetLevelCleared);
        world->history(level, 30);
        world->history(level, 30);
        world->finish(level, 30);
        openAndSettle();
        QCOMPARE(shown(form, "Command5"), again);
        QCOMPARE(shown(form, "Label2"), noteShown);
        QCOMPARE(text(form, "Label2"), note);
        QVERIFY(shown(form, "Command4"));
    }

    void tryAgainStartsAFreshAttempt()
    {
        world->history(2, 40);
        world->finish(2, 50);
        openAndSettle();
        QVERIFY(!BASEFRM::current());
        click(child<QPushButton>(form, "Command5"));
        pump();
        QCOMPARE(world->drillShown, 1);
        QCOMPARE(world->boardShown, 0);
        const FlagsSeen& f = world->flagsAtDrill;
        QCOMPARE(f.allSolved, qint16(0));
        QCOMPARE(f.finishing, qint16(0));
        QCOMPARE(f.timeUp, qint16(0));
        QCOMPARE(f.solvedCount, 0);
        QCOMPARE(f.newPersonalBest, qint16(0));
        QCOMPARE(f.newOverallBest, qint16(0));
        QCOMPARE(reg.currentLevel, qint16(2));
        // The backdrop covers the change; the end screen is gone.
        QVERIFY(BASEFRM::current());
        QCOMPARE(text(BASEFRM::current(), "Label19"), QStringLiteral("Just a moment, please."));
        WAIT_VERIFY(!topLevel(QStringLiteral("FrmSyuuryou")));
    }

    void menuGoesBackToTheBoard()
    {
        world->history(2, 40);
        world->finish(2, 50);
        openAndSettle();
        auto* menu = child<QPushButton>(form, "Command4");
        click(menu);
        pump();
        QCOMPARE(world->boardShown, 1);
        QCOMPARE(world->drillShown, 0);
        WAIT_VERIFY(!topLevel(QStringLiteral("FrmSyuuryou")));
    }

    // Keyboard only: Tab reaches each button, a frame stands around it, Enter presses it.
    void enterPressesTheFocusedButton_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<int>("board");
        QTest::addColumn<int>("drill");
        QTest::newRow("メニューへ") << 0 << 1 << 0;
        QTest::newRow("もう一度") << 1 << 0 << 1;
    }
    void enterPressesTheFocusedButton()
    {
        QFETCH(int, tabs);
        world->history(2, 40);
        world->finish(2, 50);
        openAndSettle();
        for (int k = 0; k < tabs; ++k)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        QCOMPARE(focused, child<QPushButton>(form, tabs ? "Command5" : "Command4"));
        QWidget* ring = form->findChild<QWidget*>(QStringLiteral("focusRing"));
        QVERIFY(ring && ring->isVisible());
        const QRect around(focused->mapTo(form, QPoint(0, 0)), focused->size());
        QVERIFY2(ring->geometry().contains(around) && ring->geometry() != around, "the frame lies outside the button");
        const QString frameFault
            = focusFrameFault(form->grab().toImage(), focused, [](QPointF onForm) { return onForm; });
        QVERIFY2(frameFault.isEmpty(), qPrintable(frameFault));
        // Every control on show can be read out.
        for (QWidget* w : form->findChildren<QWidget*>()) {
            auto* label = qobject_cast<QLabel*>(w);
            const bool control = w->focusPolicy() != Qt::NoFocus || (label && !label->text().isEmpty());
            if (w->isVisible() && control && w != ring)
                QVERIFY2(!platform::spokenName(w).isEmpty(), qPrintable(w->objectName()));
        }
        QTest::keyClick(focused, Qt::Key_Return);
        pump();
        QTEST(world->boardShown, "board");
        QTEST(world->drillShown, "drill");
    }

    void theCloseBoxAlsoGoesBackToTheBoard()
    {
        world->history(2, 40);
        world->finish(2, 50);
        openAndSettle();
        form->close();
        pump();
        QCOMPARE(world->boardShown, 1);
        QCOMPARE(world->drillShown, 0);
    }

    void comingBackToTheWindowRepeatsNothing()
    {
        world->history(1, 40);
        world->finish(1, 30); // a personal record
        openAndSettle();
        QCOMPARE(world->heard(), QList<int>({ kOverallTag }));
        const QList<int> heardBefore = world->heard();
        const QString count = text(form, "Label13");
        QEvent deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(form, &deactivate);
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(form, &activate);
        form->activateWindow();
        pump(100);
        QCOMPARE(text(form, "Label13"), count);
        QCOMPARE(world->heard(), heardBefore);
    }
};

KANAMERU_FORM_TEST_MAIN(EndScreenTest)
#include "frmsyuuryou_test.moc"
