// The road of attempts through the real forms: the drill form is solved with real drags, the
// end screen follows over the backdrop with the figures of the attempt, "もう一度" starts a
// fresh attempt on the same level, which then runs out of time and comes back to the end
// screen, and "メニューへ" leaves for the board.
#include "drill/mainfrm.h"
#include "endscreen/basefrm.h"
#include "endscreen/frmsyuuryou.h"
#include "endscreen/startdrill.h"
#include "platform/events.h"
#include "platform/mci.h"
#include "platform/widgetmessagebox.h"
#include "results/results.h"
#include "results/results_testutil.h"
#include "results/retry.h"
#include "sound/sound.h"
#include "sound/wavsynth.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/drillpupil.h"
#include "support/fakes.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/installation.h"
#include "support/restore.h"
#include "support/waits.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace kanameru;
using namespace testing_support;

namespace {

QWidget* control(QWidget* form, const char* name)
{
    return form->findChild<QWidget*>(QLatin1String(name));
}
QString text(QWidget* form, const char* name)
{
    QWidget* w = control(form, name);
    return w ? w->property("text").toString() : QStringLiteral("(missing %1)").arg(QLatin1String(name));
}

MainFrm* drillForm()
{
    return qobject_cast<MainFrm*>(topLevel(QStringLiteral("MainFrm")));
}
FrmSyuuryou* endScreen()
{
    return qobject_cast<FrmSyuuryou*>(topLevel(QStringLiteral("FrmSyuuryou")));
}

// Level 1 of a small installation (target 60 s, second target 12 s so a time limit of 60 s, 15
// points in 3 attempts) with sounds, started from the board for pupil 1: the drill form opens.
void startLevelOne(const TestInstallation& inst, int* boardShown)
{
    inst.writeLevels(QStringLiteral("60,12,15,3,1,0,0,28,7,0,0,0"));
    inst.load();
    reg.currentPupilNo = 1;
    reg.currentPupilName = QStringLiteral("山田　太郎          ");
    QVERIFY(storeSampleQuestions());
    const Sound beep = sineTone(0.02, 880);
    for (const char* file : { "ok.wav", "ng.wav", "最高1.wav", "合格.wav" })
        QVERIFY(writeWav(inst.soundFolder() + QString::fromUtf8(file), beep));
    inst.writeText(QStringLiteral("files/新音ファイル.txt"), QStringLiteral("正解音1,ok,*\n間違い音1,ng,*\n"));
    loadSoundMap();

    Screens& s = screens();
    s.showDrillForm = [] { MainFrm::open(); };
    s.showEndScreen = [] { FrmSyuuryou::open(); };
    s.showBackdrop = [] { BASEFRM::open(); };
    s.hideBackdrop = [] { BASEFRM::closeBackdrop(); };
    s.showResultsBoard = [boardShown] { ++*boardShown; };

    // The board, having built the statistics, starts level 1.
    computeStatistics();
    reg.currentLevel = 1;
    reg.memorizeMode = 0;
    startDrill();
    pump();
}

// Solves the five questions, 8 seconds each: the last judgement finishes the attempt.
void solveFiveQuestions(MainFrm* f, FakeClock& clock)
{
    for (int question = 1; question <= 5; ++question) {
        if (question > 1)
            click(qobject_cast<QPushButton*>(control(f, "Command3")));
        answerKnowingTheEvents(f);
        clock.advance(8);
        f->sTimer1_Timer();
        click(qobject_cast<QPushButton*>(control(f, "Command4")));
    }
}

// Messages are recorded and answered at once, but a notice opens on the screen as the program
// shows it, and stays until the program closes it.
class NoticesOnScreen : public RecordingMessageBox {
public:
    std::unique_ptr<platform::Notice> openNotice(
        const QString& text, const QString& title, platform::MessageIcon icon) override
    {
        return screen.openNotice(text, title, icon);
    }
    platform::WidgetMessageBox screen;
};

QMessageBox* noticeOnScreen()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w);
            box && box->objectName() == QStringLiteral("notice") && box->isVisible())
            return box;
    return nullptr;
}

} // namespace

class AttemptRoadTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        closeAllForms();
        platform::mciShutdown();
    }

    void anAttemptIsPlayedRecordedAnnouncedAndRepeated()
    {
        FakePlatform fake;
        TestInstallation inst;
        int boardShown = 0;
        startLevelOne(inst, &boardShown);
        MainFrm* f = drillForm();
        QVERIFY(f);
        solveFiveQuestions(f, fake.clock);
        // Recorded, a second behind the backdrop, then the end screen with the attempt's figures.
        QCOMPARE(reg.attemptResult, 40);
        WAIT_VERIFY(endScreen());
        FrmSyuuryou* e = endScreen();
        WAIT_VERIFY(control(e, "Command4")->isVisible());
        QVERIFY(!drillForm());
        QVERIFY(!BASEFRM::current());
        QCOMPARE(text(e, "Label18"), QStringLiteral("今の成績：40秒"));
        QCOMPARE(text(e, "Label19"), QStringLiteral("獲得ポイント：6点×1→6点"));
        QCOMPARE(text(e, "Label20"), QStringLiteral("！！！最高新記録！！！"));
        QCOMPARE(text(e, "Label13"), QStringLiteral(" (このレベル　1回目)"));
        QCOMPARE(text(e, "Label14"), QStringLiteral("（1回目)"));
        QCOMPARE(text(e, "Label17"), QStringLiteral("山田　太郎"));
        QVERIFY(control(e, "Command5")->isVisible());

        // "もう一度": a fresh attempt of the same level.
        click(qobject_cast<QPushButton*>(control(e, "Command5")));
        WAIT_VERIFY(drillForm());
        f = drillForm();
        WAIT_VERIFY(!endScreen());
        QCOMPARE(reg.currentLevel, qint16(1));
        QCOMPARE(reg.solvedCount, 0);
        QCOMPARE(reg.finishing, qint16(0));
        QCOMPARE(reg.allSolved, qint16(0));
        QCOMPARE(text(f, "sLabel9"), QStringLiteral("5"));
        QCOMPARE(text(f, "sLabel11"), QStringLiteral("2")); // the second attempt of the level today

        // This one runs out of time.
        fake.clock.advance(60);
        f->sTimer1_Timer();
        QCOMPARE(reg.timeUp, qint16(1));
        WAIT_VERIFY(endScreen());
        e = endScreen();
        WAIT_VERIFY(control(e, "Command4")->isVisible());
        QCOMPARE(text(e, "Label18"), QStringLiteral("記録なし"));
        QCOMPARE(text(e, "Label19"), QStringLiteral("獲得ポイント：0点×1→0点"));
        QCOMPARE(text(e, "Label20"), QStringLiteral("時間切れ"));
        QCOMPARE(text(e, "Label13"), QStringLiteral(" (このレベル　1回目)"));
        QCOMPARE(storedResultCount(resultsFilePath()), qint64(2));

        // "メニューへ": back to the board.
        click(qobject_cast<QPushButton*>(control(e, "Command4")));
        pump();
        QCOMPARE(boardShown, 1);
        WAIT_VERIFY(!endScreen());
        QVERIFY(!drillForm());
    }

    // Another workstation holds the results file when the attempt ends, and nobody is at this
    // one: the notice opens after half a minute of tries, the tries go on while it shows, and
    // once the file is free the attempt is stored, the notice says so and closes by itself,
    // and the end screen follows. (The waits of a second are shortened; events run in them.)
    void anAttemptWaitsForTheResultsFileWithoutAnyoneAnsweringTheNotice()
    {
        FakePlatform fake;
        NoticesOnScreen notices;
        const auto noticesShown = installHook(platform::setMessageBoxService, &notices);
        TestInstallation inst;
        int boardShown = 0;
        startLevelOne(inst, &boardShown);
        MainFrm* f = drillForm();
        QVERIFY(f);
        results_test::LockHolder otherWorkstation(resultsFilePath());
        int tries = 0;
        int triesWhileShown = 0;
        QString storedText;
        const auto shortWaits = installHook(results_retry::setWaitForTests, [&](int ms) {
            platform::waitLettingEventsRun(5);
            QMessageBox* notice = noticeOnScreen();
            if (ms == results_retry::kStoredNoticeMs) {
                storedText = notice ? notice->text() : QStringLiteral("(no notice)");
                return;
            }
            ++tries;
            if (notice && ++triesWhileShown == 5)
                otherWorkstation.release();
        });
        solveFiveQuestions(f, fake.clock);
        WAIT_VERIFY(endScreen());
        QCOMPARE(tries, results_retry::kAppendBusyPerNotice + 4);
        QCOMPARE(triesWhileShown, 5);
        QVERIFY2(storedText.startsWith(QStringLiteral("成績を記録しました。")), qPrintable(storedText));
        WAIT_VERIFY(!noticeOnScreen());
        QCOMPARE(storedResultCount(resultsFilePath()), qint64(1));
        QVERIFY2(notices.texts.isEmpty(), qPrintable(notices.texts.join(u'|')));
    }
};

KANAMERU_FORM_TEST_MAIN(AttemptRoadTest)
#include "attemptroad_test.moc"
