// The road of attempts through the real forms: the drill form is solved with real drags, the
// end screen follows over the backdrop with the figures of the attempt, "もう一度" starts a
// fresh attempt on the same level, which then runs out of time and comes back to the end
// screen, and "メニューへ" leaves for the board.
#include "drill/mainfrm.h"
#include "drill/questiontable.h"
#include "endscreen/basefrm.h"
#include "endscreen/frmsyuuryou.h"
#include "endscreen/startdrill.h"
#include "platform/mci.h"
#include "results/results.h"
#include "sound/sound.h"
#include "sound/wavsynth.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/fakes.h"
#include "support/formdriver.h"
#include "support/installation.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace kanameru;
using namespace testing_support;

namespace {

const QStringList kRows {
    QStringLiteral("1,57,弥生,1世紀,外交,奴国の王が漢に使い,,倭の小国の王が中国の皇帝から金印を授けられる"),
    QStringLiteral("1,239,弥生,3世紀,外交,卑弥呼が魏に使い,,邪馬台国の女王が中国に使者を送り称号と銅鏡を授かる"),
    QStringLiteral("1,538,古墳,6世紀,文化,仏教の伝来,,百済の聖明王が欽明天皇に仏像や経典を贈る"),
    QStringLiteral("1,607,飛鳥,7世紀,外交,小野妹子を隋に派遣,,対等な立場で国交を結ぼうと中国に使者を送る"),
    QStringLiteral("1,710,奈良,8世紀,政治,平城京に都を移す,,唐の長安にならった都が奈良に造られる"),
    QStringLiteral("1,794,平安,8世紀,政治,平安京に都を移す,,桓武天皇が政治を立て直すため京都に都を移す"),
    QStringLiteral("1,1192,鎌倉,12世紀,政治,源頼朝が征夷大将軍になる,,武士による本格的な政権が鎌倉で始まる"),
    QStringLiteral(
        "1,1603,江戸,17世紀,政治,徳川家康が江戸幕府を開く,,関ヶ原の戦いに勝った大名が征夷大将軍に任じられる"),
};

QLabel* label(QWidget* form, const char* name, int i)
{
    return form->findChild<QLabel*>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
}
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

// A pupil who knows the events: each explanation to its event, then the rows in order.
void answer(MainFrm* f)
{
    for (int i = 1; i <= 5; ++i) {
        const QString want = f->rows().rowExplanation[label(f, "Label12", i)->text().toInt()];
        for (int j = 1; j <= 5; ++j) {
            if (j != i && f->flow().question().row(j).explanation == want
                && f->flow().question().row(i).explanation != want) {
                drag(label(f, "Label3", j), label(f, "Label3", i));
                break;
            }
        }
    }
    click(qobject_cast<QPushButton*>(control(f, "Command6")));
    for (int i = 1; i <= 5; ++i)
        for (int j = i + 1; j <= 5; ++j)
            if (label(f, "Label12", j)->text().toInt() < label(f, "Label12", i)->text().toInt())
                drag(label(f, "Label1", j), label(f, "Label1", i));
}

} // namespace

class AttemptRoadTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        pump();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::mciShutdown();
    }

    void anAttemptIsPlayedRecordedAnnouncedAndRepeated()
    {
        FakePlatform fake;
        TestInstallation inst;
        // Level 1: target 60 s, second target 12 s (time limit 60 s), 15 points in 3 attempts.
        inst.writeLevels(QStringLiteral("60,12,15,3,1,0,0,28,7,0,0,0"));
        inst.load();
        reg.currentPupilNo = 1;
        reg.currentPupilName = QStringLiteral("山田　太郎          ");
        QVERIFY(!writeStoredQuestionFile(
            storedQuestionFileName(reg.appFolder + questionFileName()), kRows, QStringLiteral("questions.csv"))
                     .has_value());
        const Sound beep = sineTone(0.02, 880);
        for (const char* file : { "ok.wav", "ng.wav", "最高1.wav", "合格.wav" })
            QVERIFY(writeWav(inst.soundFolder() + QString::fromUtf8(file), beep));
        inst.writeText(QStringLiteral("files/新音ファイル.txt"), QStringLiteral("正解音1,ok,*\n間違い音1,ng,*\n"));
        loadSoundMap();

        int boardShown = 0;
        Screens& s = screens();
        s.showDrillForm = [] { MainFrm::open(); };
        s.showEndScreen = [] { FrmSyuuryou::open(); };
        s.showBackdrop = [] { BASEFRM::open(); };
        s.hideBackdrop = [] { BASEFRM::closeBackdrop(); };
        s.showResultsBoard = [&] { ++boardShown; };

        // The board, having built the statistics, starts level 1.
        computeStatistics();
        reg.currentLevel = 1;
        reg.memorizeMode = 0;
        startDrill();
        pump();
        MainFrm* f = drillForm();
        QVERIFY(f);
        for (int question = 1; question <= 5; ++question) {
            if (question > 1)
                click(qobject_cast<QPushButton*>(control(f, "Command3")));
            answer(f);
            fake.clock.advance(8);
            f->sTimer1_Timer();
            click(qobject_cast<QPushButton*>(control(f, "Command4")));
        }
        // Recorded, a second behind the backdrop, then the end screen with the attempt's figures.
        QCOMPARE(reg.attemptResult, 40);
        QTRY_VERIFY(endScreen());
        FrmSyuuryou* e = endScreen();
        QTRY_VERIFY(control(e, "Command4")->isVisible());
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
        QTRY_VERIFY(drillForm());
        f = drillForm();
        QTRY_VERIFY(!endScreen());
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
        QTRY_VERIFY(endScreen());
        e = endScreen();
        QTRY_VERIFY(control(e, "Command4")->isVisible());
        QCOMPARE(text(e, "Label18"), QStringLiteral("記録なし"));
        QCOMPARE(text(e, "Label19"), QStringLiteral("獲得ポイント：0点×1→0点"));
        QCOMPARE(text(e, "Label20"), QStringLiteral("時間切れ"));
        QCOMPARE(text(e, "Label13"), QStringLiteral(" (このレベル　1回目)"));
        QCOMPARE(storedResultCount(resultsFilePath()), qint64(2));

        // "メニューへ": back to the board.
        click(qobject_cast<QPushButton*>(control(e, "Command4")));
        pump();
        QCOMPARE(boardShown, 1);
        QTRY_VERIFY(!endScreen());
        QVERIFY(!drillForm());
    }
};

QTEST_MAIN(AttemptRoadTest)
#include "attemptroad_test.moc"
