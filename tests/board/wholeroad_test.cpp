// The whole road through the real forms: a pupil picks his name on the start screen, the
// board opens, he starts level 1, solves five questions by dragging, sees the end screen, goes
// back to the board, finds his attempt in its lists and leaves for the start screen.
#include "board/seisekitime1.h"
#include "drill/mainfrm.h"
#include "endscreen/basefrm.h"
#include "endscreen/frmsyuuryou.h"
#include "platform/mci.h"
#include "results/results.h"
#include "review/eventhistory.h"
#include "review/reviewplan.h"
#include "roster/namesel.h"
#include "sound/sound.h"
#include "sound/wavsynth.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/drillpupil.h"
#include "support/fakes.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/hostilenames.h"
#include "support/installation.h"
#include "support/waits.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace kanameru;
using namespace testing_support;

namespace {

template <class T = QWidget> T* control(QWidget* form, const QString& name)
{
    return form ? form->findChild<T*>(name) : nullptr;
}
QPushButton* button(QWidget* form, const QString& name)
{
    return control<QPushButton>(form, name);
}

QWidget* startScreen()
{
    return topLevel(QStringLiteral("namesel"));
}
seisekitime1* board()
{
    return qobject_cast<seisekitime1*>(topLevel(QStringLiteral("seisekitime1")));
}
MainFrm* drillForm()
{
    return qobject_cast<MainFrm*>(topLevel(QStringLiteral("MainFrm")));
}
FrmSyuuryou* endScreen()
{
    return qobject_cast<FrmSyuuryou*>(topLevel(QStringLiteral("FrmSyuuryou")));
}

QStringList linesOf(QWidget* form, int level)
{
    QStringList lines;
    if (auto* list = control<QListWidget>(form, QStringLiteral("List5_%1").arg(level)))
        for (int i = 0; i < list->count(); ++i)
            lines.append(list->item(i)->text());
    return lines;
}

void shot(QWidget* form, const char* name)
{
    const QByteArray dir = qgetenv("KANAMERU_SHOTS");
    if (dir.isEmpty() || !form)
        return;
    form->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

// A school of two pupils with the sample questions, short sounds and every screen registered.
struct Road {
    FakePlatform fake;
    TestInstallation inst;
    QTemporaryDir keyDir;
    QList<int> endCodes;

    bool setUp()
    {
        // Level 1: target 60 s, second target 12 s (time limit 60 s), 15 points in 3 attempts.
        inst.writeLevels(QStringLiteral("60,12,15,3,1,0,0,28,7,0,0,0"));
        inst.writeText(QStringLiteral("files/生徒用名簿.txt"),
            QStringLiteral("1,2015,0,0,\"山田太郎\",0,\"\",\"\"\n2,2013,0,0,\"鈴木花子\",0,\"\",\"\"\n"));
        inst.load();
        reg.formBackColour = 0x008080;
        if (!storeSampleQuestions())
            return false;
        const Sound beep = sineTone(0.02, 880);
        for (const char* file : { "ok.wav", "ng.wav" })
            if (!writeWav(inst.soundFolder() + QString::fromUtf8(file), beep))
                return false;
        inst.writeText(QStringLiteral("files/新音ファイル.txt"), QStringLiteral("正解音1,ok,*\n間違い音1,ng,*\n"));
        loadSoundMap();
        namesel::setRetryWaitMilliseconds(5);
        namesel::setInstanceKey(keyDir.filePath(QStringLiteral("kanameru")));
        Screens& s = screens();
        s.showNameSelection = [] { namesel::open(); };
        s.showResultsBoard = [] { seisekitime1::open(); };
        s.showDrillForm = [] { MainFrm::open(); };
        s.showEndScreen = [] { FrmSyuuryou::open(); };
        s.showBackdrop = [] { BASEFRM::open(); };
        s.hideBackdrop = [] { BASEFRM::closeBackdrop(); };
        s.endProgram = [this](int code) { endCodes.append(code); };
        return true;
    }
};

// On the start screen: the pupil picks his name and confirms it.
void choosePupil(const QString& name)
{
    QWidget* start = startScreen();
    QVERIFY(start);
    auto* pupils = control<QListWidget>(start, QStringLiteral("List1"));
    QVERIFY(pupils);
    int row = -1;
    for (int i = 0; i < pupils->count(); ++i)
        if (pupils->item(i)->text().contains(name))
            row = i;
    QVERIFY(row >= 0);
    QTest::mouseClick(
        pupils->viewport(), Qt::LeftButton, Qt::NoModifier, pupils->visualItemRect(pupils->item(row)).center());
    pump();
    click(button(start, QStringLiteral("Command14")));
}

} // namespace

class WholeRoadTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        closeAllForms();
        platform::mciShutdown();
    }

    void aPupilPlaysAnAttemptAndFindsItOnTheBoard()
    {
        Road road;
        QVERIFY(road.setUp());
        FakePlatform& fake = road.fake;

        // The start screen: the pupil picks his name and confirms it.
        showNameSelection();
        pump();
        choosePupil(QStringLiteral("山田太郎"));

        // The board opens and unloads the start screen.
        WAIT_VERIFY(board() && board()->activated());
        WAIT_VERIFY(!startScreen());
        QCOMPARE(reg.currentPupilNo, qint16(1));
        QVERIFY(control<QLabel>(board(), QStringLiteral("Label12"))->text().endsWith(QStringLiteral("山田太郎")));
        QCOMPARE(control<QLabel>(board(), QStringLiteral("Label15_1"))->text(), QStringLiteral("------"));
        shot(board(), "road-1-board");

        // Start level 1 and solve five questions, eight seconds each.
        click(button(board(), QStringLiteral("Command4_1")));
        WAIT_VERIFY(drillForm());
        WAIT_VERIFY(!board());
        MainFrm* f = drillForm();
        QCOMPARE(reg.currentLevel, qint16(1));
        for (int question = 1; question <= 5; ++question) {
            if (question > 1)
                click(button(f, QStringLiteral("Command3")));
            answerKnowingTheEvents(f);
            fake.clock.advance(8);
            f->sTimer1_Timer();
            click(button(f, QStringLiteral("Command4")));
        }
        QCOMPARE(reg.attemptResult, 40);

        // The end screen takes over from the drill form, then "メニューへ" back to the board.
        WAIT_VERIFY(endScreen());
        WAIT_VERIFY(!drillForm());
        FrmSyuuryou* e = endScreen();
        WAIT_VERIFY(button(e, QStringLiteral("Command4"))->isVisible());
        QCOMPARE(control<QLabel>(e, QStringLiteral("Label18"))->text(), QStringLiteral("今の成績：40秒"));
        click(button(e, QStringLiteral("Command4")));
        WAIT_VERIFY(board() && board()->activated());
        WAIT_VERIFY(!endScreen());
        seisekitime1* b = board();

        // 40 seconds against a target of 60 earn 6 points, today and in all.
        QCOMPARE(control<QLabel>(b, QStringLiteral("Label14_1"))->text(), QStringLiteral("1回/6点"));
        QCOMPARE(control<QLabel>(b, QStringLiteral("Label15_1"))->text(), QStringLiteral("1回/6点"));
        QCOMPARE(control<QLabel>(b, QStringLiteral("Label18"))->text(), QStringLiteral("本日総回数＝1回"));
        QCOMPARE(linesOf(b, 1).value(0), QStringLiteral(" 1●山田太郎　  6/    6"));
        shot(b, "road-2-points");

        click(control<QRadioButton>(b, QStringLiteral("Option2_0")));
        QCOMPARE(linesOf(b, 1).value(0), QStringLiteral(" 1●山田太郎　    40 ●"));
        click(control<QRadioButton>(b, QStringLiteral("Option1_2")));
        QCOMPARE(linesOf(b, 1), QStringList { QStringLiteral("  40秒 10:00●山田太郎　●6") });
        QVERIFY(linesOf(b, 2).isEmpty());
        shot(b, "road-3-today");

        // "戻る(0)" goes back to the start screen, which unloads the board.
        click(button(b, QStringLiteral("Command1")));
        WAIT_VERIFY(startScreen());
        WAIT_VERIFY(!board());
        QVERIFY(road.endCodes.isEmpty());
    }

    // The events a pupil gets wrong come back: the end screen names them; the next day the
    // board counts them due and "R" opens a review of them, played by keys alone, recorded per
    // event and never as an attempt; then nothing is due until their next day.
    void thePupilReviewsTheEventsHeMissedByKeys()
    {
        Road road; // every draw 0: each question is rows 1..5 in order, its explanations in place
        QVERIFY(road.setUp());
        const QString eventsFile = road.inst.programFolder() + review::eventsFileName();
        showNameSelection();
        pump();
        choosePupil(QStringLiteral("山田太郎"));
        WAIT_VERIFY(board() && board()->activated());
        WAIT_COMPARE(board()->reviewDue(), 0);
        QCOMPARE(control<QLabel>(board(), QStringLiteral("reviewLabel"))->text(), QStringLiteral("復習する出来事：0"));
        QTest::keyClick(board(), Qt::Key_R);
        QCOMPARE(road.fake.messages.texts.value(0), review::nothingDueText());
        QVERIFY(board() && !drillForm());

        // Level 1 by its key. In the first question he puts the first two explanations the
        // wrong way, then the first two events.
        QTest::keyClick(board(), Qt::Key_1);
        WAIT_VERIFY(drillForm() && !board());
        MainFrm* f = drillForm();
        const auto labelOf
            = [f](const char* name, int i) { return control(f, QStringLiteral("%1_%2").arg(name).arg(i)); };
        keysDrag(f)(labelOf("Label3", 1), labelOf("Label3", 2));
        for (int press = 0; press < 2; ++press) // judged wrong, "もう１度"
            QTest::keyClick(f, Qt::Key_Return);
        keysDrag(f)(labelOf("Label3", 1), labelOf("Label3", 2));
        QTest::keyClick(f, Qt::Key_Return);
        keysDrag(f)(labelOf("Label1", 1), labelOf("Label1", 2));
        for (int press = 0; press < 2; ++press)
            QTest::keyClick(f, Qt::Key_Return);
        keysDrag(f)(labelOf("Label1", 1), labelOf("Label1", 2));
        QTest::keyClick(f, Qt::Key_Return);
        QCOMPARE(control<QLabel>(f, QStringLiteral("Label18"))->text(), QStringLiteral("正解です"));
        for (int question = 2; question <= 5; ++question)
            for (int press = 0; press < 3; ++press) // "次へ", "判定", "判定"
                QTest::keyClick(f, Qt::Key_Return);
        WAIT_VERIFY(endScreen() && !drillForm());
        WAIT_VERIFY(button(endScreen(), QStringLiteral("Command4"))->isVisible());
        auto* missed = control<QLabel>(endScreen(), QStringLiteral("missedLabel"));
        QVERIFY(missed->isVisible() && missed->textFormat() == Qt::PlainText);
        QCOMPARE(
            missed->text(), QStringLiteral("間違えた出来事：奴国の王が漢に使い（57年）、卑弥呼が魏に使い（239年）"));
        shot(endScreen(), "review-1-missed");
        // Four judgements of the first question, two of each other one.
        QCOMPARE(QFileInfo(eventsFile).size(), 12 * review::kEventRecordLength);
        QTest::keyClick(button(endScreen(), QStringLiteral("Command4")), Qt::Key_Return); // "メニューへ", focused
        WAIT_VERIFY(board() && board()->activated() && !endScreen());
        WAIT_COMPARE(board()->reviewDue(), 0); // due from tomorrow

        // The next day he comes back: two events are due.
        road.fake.clock.set(kFakeNow.addDays(1));
        QTest::keyClick(board(), Qt::Key_0);
        WAIT_VERIFY(startScreen() && !board());
        choosePupil(QStringLiteral("山田太郎"));
        WAIT_VERIFY(board() && board()->activated());
        WAIT_COMPARE(board()->reviewDue(), 2);
        QCOMPARE(control<QLabel>(board(), QStringLiteral("reviewLabel"))->text(), QStringLiteral("復習する出来事：2"));
        shot(board(), "review-2-board");
        QTest::keyClick(board(), Qt::Key_R);
        WAIT_VERIFY(drillForm() && !board());
        f = drillForm();
        QCOMPARE(control<QLabel>(f, QStringLiteral("sLabel8"))->text(), QStringLiteral("復習"));
        QCOMPARE(control<QLabel>(f, QStringLiteral("sLabel9"))->text(), QStringLiteral("1"));
        QStringList events;
        for (int i = 1; i <= 5; ++i)
            events << control<QLabel>(f, QStringLiteral("Label1_%1").arg(i))->text();
        QVERIFY2(events.contains(QStringLiteral("奴国の王が漢に使い"))
                && events.contains(QStringLiteral("卑弥呼が魏に使い")),
            qPrintable(events.join(QLatin1Char(','))));
        shot(f, "review-3-question");
        answerKnowingTheEvents(f, keysDrag(f), enterKey(f));
        QTest::keyClick(f, Qt::Key_Return);
        // Back to the board: no attempt recorded, two more judgements per event, nothing due.
        WAIT_VERIFY(board() && board()->activated() && !drillForm());
        QCOMPARE(storedResultCount(road.inst.programFolder() + resultsFileName()), 1);
        QCOMPARE(QFileInfo(eventsFile).size(), 14 * review::kEventRecordLength);
        WAIT_COMPARE(board()->reviewDue(), 0);
        const review::PupilEvents& his = review::sharedHistory().pupil(1);
        for (const char* row : { "57", "239" }) {
            const int at = row == QLatin1String("57") ? 1 : 2;
            const review::EventState* s = his.find(
                review::eventId(QLatin1String(row), kSampleQuestionRows[at - 1].section(QLatin1Char(','), 5, 5)));
            QVERIFY(s);
            QCOMPARE(s->box, 2);
            QCOMPARE(s->dueDay, int(platform::dayCount(kFakeNow.date())) + 1 + 3);
        }
        QVERIFY(road.endCodes.isEmpty());
    }

    // What a pupil types as his name in 名前の変更 is shown as he wrote it on every screen that
    // shows it: never taken for HTML.
    void namesAreShownAsTheyAreWritten()
    {
        for (const QString& name : hostileNames()) {
            FakePlatform fake;
            TestInstallation inst;
            QTemporaryDir keyDir;
            inst.writeLevels(QStringLiteral("60,12,15,3,1,0,0,28,7,0,0,0"));
            inst.writeText(
                QStringLiteral("files/生徒用名簿.txt"), QStringLiteral("1,2015,0,0,\"%1\",0,\"\",\"\"\n").arg(name));
            inst.load();
            namesel::setRetryWaitMilliseconds(5);
            namesel::setInstanceKey(keyDir.filePath(QStringLiteral("kanameru")));
            screens().showNameSelection = [] { namesel::open(); };
            screens().showResultsBoard = [] { seisekitime1::open(); };
            auto shownAsWritten = [&](QLabel* label, const QString& text) {
                return label && label->textFormat() == Qt::PlainText && label->text() == text;
            };

            showNameSelection();
            pump();
            auto* pupils = control<QListWidget>(startScreen(), QStringLiteral("List1"));
            QVERIFY(pupils);
            const QList<QListWidgetItem*> rows = pupils->findItems(name, Qt::MatchContains);
            QCOMPARE(rows.size(), 1);
            QTest::mouseClick(
                pupils->viewport(), Qt::LeftButton, Qt::NoModifier, pupils->visualItemRect(rows[0]).center());
            click(button(startScreen(), QStringLiteral("Command14")));
            WAIT_VERIFY(board() && board()->activated());
            QVERIFY2(shownAsWritten(control<QLabel>(board(), QStringLiteral("Label12")),
                         reg.currentPupilGradeLabel + QLatin1Char(' ') + name),
                qPrintable(name));

            reg.currentLevel = 1;
            reg.attemptResult = 50;
            FrmSyuuryou* end = FrmSyuuryou::open();
            WAIT_VERIFY2(shownAsWritten(control<QLabel>(end, QStringLiteral("Label17")), name), qPrintable(name));

            resetScreens();
            closeAllForms();
        }
    }
};

KANAMERU_FORM_TEST_MAIN(WholeRoadTest)
#include "wholeroad_test.moc"
