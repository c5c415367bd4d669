// The drill form as a pupil meets it: opened through startDrill on a small installation with a
// real question file, answered with real mouse drags and clicks, timed by a fixed clock that the
// test moves and ticks, ending in a real results file. Set KANAMERU_DRILL_SHOTS to a folder to
// keep pictures of the phases.
#include "drill/draglabel.h"
#include "drill/mainfrm.h"
#include "drill/questiontable.h"
#include "endscreen/startdrill.h"
#include "platform/events.h"
#include "platform/inputgate.h"
#include "platform/screen.h"
#include "results/results.h"
#include "sound/sound.h"
#include "sound/wavsynth.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/fakes.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/installation.h"
#include "support/waits.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace kanameru;
using namespace testing_support;

namespace {

const QStringList kRows {
    QStringLiteral("1,57,弥生,1世紀,外交,奴国の王が漢に使い,,倭の小国の王が中国の皇帝から金印を授けられる"),
    QStringLiteral("1,239,弥生,3世紀,外交,卑弥呼が魏に使い,,邪馬台国の女王が中国に使者を送り称号と銅鏡を授かる"),
    QStringLiteral("1,538,古墳,6世紀,文化,仏教の伝来,,百済の聖明王が欽明天皇に仏像や経典を贈る"),
    QStringLiteral("1,607,飛鳥,7世紀,外交,小野妹子を隋に派遣,,対等な立場で国交を結ぼうと中国に使者を送る"),
    QStringLiteral("1,607,飛鳥,7世紀,文化,法隆寺の建立,,厩戸王が斑鳩に建てた現存する世界最古の木造建築の寺"),
    QStringLiteral("1,710,奈良,8世紀,政治,平城京に都を移す,,唐の長安にならった都が奈良に造られる"),
    QStringLiteral("1,794,平安,8世紀,政治,平安京に都を移す,,桓武天皇が政治を立て直すため京都に都を移す"),
    QStringLiteral("1,1192,鎌倉,12世紀,政治,源頼朝が征夷大将軍になる,,武士による本格的な政権が鎌倉で始まる"),
    QStringLiteral("2,1338,室町,14世紀,政治,足利尊氏が征夷大将軍になる,,京都に新しい武家政権が開かれる"),
    QStringLiteral(
        "1,1603,江戸,17世紀,政治,徳川家康が江戸幕府を開く,,関ヶ原の戦いに勝った大名が征夷大将軍に任じられる"),
};

struct World {
    FakePlatform fake;
    TestInstallation inst;
    int boardShown = 0;
    int endShown = 0;
    int backdropShown = 0;
    std::function<void()> onBackdrop; // runs while the drill form is finishing

    // Level 1: target 60 s, second target 12 s (limit 60 s); level 2 the same, titled as practice.
    explicit World(const QStringList& rows = kRows)
    {
        inst.writeLevels(QStringLiteral("60,12,15,3,1,0,0,28,7,0,0,0"));
        inst.load();
        reg.currentPupilNo = 3;
        reg.currentPupilName = QStringLiteral("山田　花子          ");
        reg.drillSetTitle = QStringLiteral("カナメル");
        reg.schoolName = QStringLiteral("みなと塾");
        for (int level = 1; level <= 3; ++level) {
            reg.levelTitles[level] = QStringLiteral("ﾚﾍﾞﾙ%1").arg(level);
            reg.levelIsTimed[level] = 1;
        }
        if (!rows.isEmpty())
            writeQuestions(rows);
        Sound beep = sineTone(0.02, 880);
        QVERIFY(writeWav(inst.soundFolder() + QStringLiteral("ok.wav"), beep));
        QVERIFY(writeWav(inst.soundFolder() + QStringLiteral("ng.wav"), beep));
        inst.writeText(QStringLiteral("files/新音ファイル.txt"), QStringLiteral("正解音1,ok,*\n間違い音1,ng,*\n"));
        loadSoundMap();
        openResultsFile();
        screens().showDrillForm = [] { MainFrm::open(); };
        screens().showResultsBoard = [this] { ++boardShown; };
        screens().showEndScreen = [this] { ++endShown; };
        screens().showBackdrop = [this] {
            ++backdropShown;
            if (onBackdrop)
                onBackdrop();
        };
    }
    ~World()
    {
        if (MainFrm* f = form())
            f->close();
        pump();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString storedFile() const { return storedQuestionFileName(reg.appFolder + questionFileName()); }
    void writeQuestions(const QStringList& rows)
    {
        QVERIFY(!writeStoredQuestionFile(storedFile(), rows, QStringLiteral("questions.csv")).has_value());
    }

    // Rows drawn as 1-based indexes among the `usable` rows, then explanation exchanges.
    void draw(int usable, std::initializer_list<int> rows, std::initializer_list<std::pair<int, int>> pairs = {})
    {
        for (int r : rows)
            fake.random.push((r - 0.5) / usable);
        int n = 0;
        for (auto [a, b] : pairs) {
            fake.random.push((a - 0.5) / 5);
            fake.random.push((b - 0.5) / 5);
            ++n;
        }
        for (; n < 10; ++n) {
            fake.random.push(0.0);
            fake.random.push(0.0);
        }
    }

    MainFrm* start(int level = 1)
    {
        reg.currentLevel = static_cast<qint16>(level);
        reg.memorizeMode = 0;
        startDrill();
        pump();
        return form();
    }
    MainFrm* form() const { return qobject_cast<MainFrm*>(topLevel(QStringLiteral("MainFrm"))); }
    qint64 records() const { return storedResultCount(resultsFilePath()); }
};

template <class T = QLabel> T* child(QWidget* form, const QString& name)
{
    T* w = form->findChild<T*>(name);
    if (!w)
        qWarning("no control %s", qPrintable(name));
    return w;
}
QLabel* label(QWidget* form, const char* name, int i)
{
    return child(form, QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
}
QPushButton* button(QWidget* form, const char* name)
{
    return child<QPushButton>(form, QLatin1String(name));
}
QColor background(QWidget* w)
{
    return w->palette().color(QPalette::Window);
}

void shot(QWidget* form, const char* name)
{
    const QByteArray dir = qgetenv("KANAMERU_DRILL_SHOTS");
    if (dir.isEmpty())
        return;
    pump();
    form->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

// Drags explanations, as a pupil who knows them, until each event holds its own.
void placeExplanations(MainFrm* f)
{
    for (int i = 1; i <= 5; ++i) {
        const int row = label(f, "Label12", i)->text().toInt();
        const QString want = f->rows().rowExplanation[row];
        for (int j = 1; j <= 5; ++j) {
            if (j != i && f->flow().question().row(j).explanation == want
                && f->flow().question().row(i).explanation != want) {
                drag(label(f, "Label3", j), label(f, "Label3", i));
                break;
            }
        }
    }
}

// Drags rows into chronological order.
void orderRows(MainFrm* f)
{
    for (int i = 1; i <= 5; ++i) {
        for (int j = i + 1; j <= 5; ++j) {
            if (label(f, "Label12", j)->text().toInt() < label(f, "Label12", i)->text().toInt())
                drag(label(f, "Label1", j), label(f, "Label1", i));
        }
    }
}

// Keyboard play: the cursor to label i of the phase, and a label moved with two Spaces.
void keyTo(MainFrm* f, int i)
{
    QTest::keyClick(f, Qt::Key_Home);
    for (int k = 1; k < i; ++k)
        QTest::keyClick(f, Qt::Key_Down);
}
void keyMove(MainFrm* f, int from, int to)
{
    keyTo(f, from);
    QTest::keyClick(f, Qt::Key_Space);
    keyTo(f, to);
    QTest::keyClick(f, Qt::Key_Space);
}
// As placeExplanations and orderRows, with keys only.
void placeExplanationsByKeys(MainFrm* f)
{
    for (int i = 1; i <= 5; ++i) {
        const QString want = f->rows().rowExplanation[label(f, "Label12", i)->text().toInt()];
        for (int j = 1; j <= 5; ++j) {
            if (j != i && f->flow().question().row(j).explanation == want
                && f->flow().question().row(i).explanation != want) {
                keyMove(f, j, i);
                break;
            }
        }
    }
}
void orderRowsByKeys(MainFrm* f)
{
    for (int i = 1; i <= 5; ++i)
        for (int j = i + 1; j <= 5; ++j)
            if (label(f, "Label12", j)->text().toInt() < label(f, "Label12", i)->text().toInt())
                keyMove(f, j, i);
}
DragLabel* dragLabel(QWidget* form, const char* name, int i)
{
    return qobject_cast<DragLabel*>(label(form, name, i));
}

void tick(World& w, MainFrm* f, double seconds)
{
    w.fake.clock.advance(seconds);
    f->sTimer1_Timer();
}

} // namespace

class DrillFormTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void solvesAWholeAttemptWithRealDrags();
    void playsAWholeAttemptWithTheKeyboardOnly();
    void wrongJudgementsCostFiveAndTenSecondsAndShowTheAnswer();
    void aDropOfTheOtherKindChangesNothing();
    void theTimeIsUpAtExactlyTheLimit();
    void thePassLampsGoOutFrom51To60();
    void theBestRowsCountDownToTheBestResults();
    void aPracticeLevelReturnsToTheBoardWithoutRecording();
    void aLevelWithTooFewRowsReturnsToTheBoard();
    void aQuestionFileThatCannotBeReadReturnsToTheBoard();
    void anAttemptPastMidnightKeepsTheRightTime();
    void theStripShowsThePupilAndTheCounters();
    void closingTheWindowReturnsToTheBoardWithoutRecording();
    void aDoubleClickOnJudgeJudgesOnlyOnePhase();
    void playsTheDemoQuestionFileToTheEnd();
    void cardsRevealPartByPartAndMoveToTheirYear();
    void aLearnedCardIsSkippedAndADisplayOrderWaitsForTheNextCard();
    void cardsArePractisedWithTheKeyboard();
    void eachSpeedSetsTheIntervalsOfTheRevealTimers();
    void practiceEndsAtTheBoardWithoutRecording();
    void practiceReachingTheLimitEndsThroughTimeUp();
    void cardsOfYearsBeforeTheEraStandInTheirArea();
};

void DrillFormTest::solvesAWholeAttemptWithRealDrags()
{
    World w;
    // Question 1 draws rows 3, 8, 1, 5, 9 (of the nine level-1 rows) with two explanations exchanged.
    w.draw(9, { 3, 8, 1, 5, 9 }, { { 1, 4 }, { 2, 5 } });
    MainFrm* f = w.start();
    QVERIFY(f);
    QCOMPARE(child(f, "Label11")->text(), QStringLiteral("説明を正しく入れ替えなさい"));
    QVERIFY(child(f, "Image2")->isVisible());
    QVERIFY(button(f, "Command6")->isVisible());
    QCOMPARE(label(f, "Label1", 1)->text(), QStringLiteral("仏教の伝来"));
    QVERIFY(!label(f, "Label2", 1)->isVisible());
    shot(f, "1-explanations");

    QString shownTime;
    for (int question = 1; question <= 5; ++question) {
        if (question > 1) {
            w.draw(9, { 9, 7, 5, 3, 1 }, { { 1, 2 } });
            click(button(f, "Command3"));
        }
        placeExplanations(f);
        click(button(f, "Command6"));
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(background(label(f, "Label3", i)), QColor(0x00, 0xFF, 0x00));
        QVERIFY(button(f, "Command4")->isVisible());
        QVERIFY(child(f, "Image3")->isVisible());
        QCOMPARE(child(f, "Label11")->text(), QStringLiteral("出来事を年代順に並べなさい"));
        if (question == 1)
            shot(f, "2-ordering");
        orderRows(f);
        tick(w, f, 10);
        if (question == 5) {
            // The last answer comes 0.6 s after the strip's last tick: the strip must show the
            // time that is recorded, not one second less.
            w.fake.clock.advance(0.6);
            w.onBackdrop = [&] { shownTime = child(f, "sLabel10")->text(); };
        }
        click(button(f, "Command4"));
        if (question == 5)
            break;
        QCOMPARE(child(f, "Label18")->text(), QStringLiteral("正解です"));
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(background(label(f, "Label1", i)), QColor(0x00, 0xFF, 0x00));
        QCOMPARE(child(f, "sLabel9")->text(), QString::number(5 - question));
        QVERIFY(button(f, "Command3")->isVisible());
        QCOMPARE(child(f, "Label11")->text(), QStringLiteral("確認して次の問題へ進もう！"));
        if (question == 1)
            shot(f, "4-solved");
    }
    // The fifth answer ends the attempt: recorded, backdrop, end screen after a second.
    QCOMPARE(w.endShown, 1);
    QCOMPARE(w.backdropShown, 1);
    QCOMPARE(reg.solvedCount, 5);
    QCOMPARE(reg.attemptResult, 51);
    QCOMPARE(shownTime, QStringLiteral("51"));
    QCOMPARE(w.records(), qint64(1));
    const auto stored = readStoredResults(0);
    QVERIFY(stored.ok());
    QCOMPARE(stored->front().result, 51);
    QCOMPARE(stored->front().pupilNo, qint16(3));
    pump();
    QVERIFY(!w.form());
}

void DrillFormTest::playsAWholeAttemptWithTheKeyboardOnly()
{
    World w;
    w.draw(9, { 3, 8, 1, 5, 9 }, { { 1, 4 }, { 2, 5 } });
    MainFrm* f = w.start();
    QVERIFY(f);
    // The cursor stands on the first explanation, drawn as a dark frame just outside the label.
    QVERIFY(dragLabel(f, "Label3", 1)->hasCursorFrame());
    QLabel* first = label(f, "Label3", 1);
    const QRect around = first->geometry().adjusted(-3, -3, 3, 3).translated(first->parentWidget()->mapTo(f, QPoint()));
    const QImage framed = f->grab(around).toImage();
    QVERIFY2(qGray(framed.pixel(1, framed.height() / 2)) < 60, "the cursor frame is drawn");
    const QSize size = label(f, "Label3", 1)->size();
    const QString text4 = label(f, "Label3", 4)->text();
    // Once the pupil uses the keys, a line names them: whole, and clear of every caption.
    auto* hints = qobject_cast<QLabel*>(child(f, "keyHints"));
    QVERIFY(!hints->isVisible());
    // Escape puts a label picked up back.
    keyTo(f, 4);
    QVERIFY(hints->isVisible() && hints->text().contains(QStringLiteral("スペース")));
    QVERIFY(hints->fontMetrics().horizontalAdvance(hints->text()) <= hints->width());
    const QRect hintsAt(hints->mapTo(f, QPoint()), hints->size());
    QVERIFY(f->rect().contains(hintsAt));
    for (QLabel* caption : f->findChildren<QLabel*>()) {
        const QRect at(caption->mapTo(f, QPoint()), caption->size());
        QVERIFY2(caption == hints || !caption->isVisible() || caption->text().isEmpty() || !at.intersects(hintsAt),
            qPrintable(caption->objectName()));
    }
    QTest::keyClick(f, Qt::Key_Space);
    QVERIFY(dragLabel(f, "Label3", 4)->hasPickedFrame());
    QTest::keyClick(f, Qt::Key_Up);
    QTest::keyClick(f, Qt::Key_Escape);
    QVERIFY(!dragLabel(f, "Label3", 4)->hasPickedFrame());
    QTest::keyClick(f, Qt::Key_Space); // picks label 3 up, not a drop of label 4
    QTest::keyClick(f, Qt::Key_Escape);
    QCOMPARE(label(f, "Label3", 4)->text(), text4);
    QCOMPARE(label(f, "Label3", 1)->size(), size);

    // The line names the button that Enter presses now, whole.
    const auto entersOn = [hints](const char* caption) {
        return hints->text().endsWith(QStringLiteral("Enterで「%1」").arg(QString::fromUtf8(caption)))
            && hints->fontMetrics().horizontalAdvance(hints->text()) <= hints->width();
    };
    QVERIFY(entersOn("判定"));
    for (int question = 1; question <= 5; ++question) {
        if (question > 1) {
            w.draw(9, { 9, 7, 5, 3, 1 }, { { 1, 2 } });
            QVERIFY(button(f, "Command3")->isVisible());
            QVERIFY(entersOn("次へ"));
            QTest::keyClick(f, Qt::Key_Return);
        }
        placeExplanationsByKeys(f);
        QTest::keyClick(f, Qt::Key_Return);
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(background(label(f, "Label3", i)), QColor(0x00, 0xFF, 0x00));
        QVERIFY(button(f, "Command4")->isVisible());
        QVERIFY(dragLabel(f, "Label1", f->keyCursor().index())->hasCursorFrame());
        if (question == 1) {
            // A wrong order costs ten seconds; while "もう１度" shows no event moves.
            QTest::keyClick(f, Qt::Key_Return);
            QVERIFY(button(f, "Command8")->isVisible());
            QVERIFY(entersOn("もう１度"));
            const QString first = label(f, "Label1", 1)->text();
            keyMove(f, 1, 2);
            QCOMPARE(label(f, "Label1", 1)->text(), first);
            w.fake.random.push(0.0);
            QTest::keyClick(f, Qt::Key_Enter);
            QVERIFY(button(f, "Command4")->isVisible());
        }
        orderRowsByKeys(f);
        tick(w, f, 9);
        QTest::keyClick(f, Qt::Key_Return);
        if (question == 5)
            break;
        QCOMPARE(child(f, "Label18")->text(), QStringLiteral("正解です"));
        QCOMPARE(child(f, "sLabel9")->text(), QString::number(5 - question));
    }
    QCOMPARE(w.endShown, 1);
    QCOMPARE(reg.solvedCount, 5);
    QCOMPARE(reg.attemptResult, 55);
    QCOMPARE(w.records(), qint64(1));
    pump();
    QVERIFY(!w.form());
}

void DrillFormTest::wrongJudgementsCostFiveAndTenSecondsAndShowTheAnswer()
{
    World w;
    w.draw(9, { 3, 8, 1, 5, 9 }, { { 1, 2 } });
    MainFrm* f = w.start();
    QVERIFY(f);
    click(button(f, "Command6"));
    QCOMPARE(background(label(f, "Label3", 1)), QColor(0xFF, 0x00, 0x00));
    QCOMPARE(background(label(f, "Label3", 3)), QColor(0x00, 0xFF, 0x00));
    QVERIFY(button(f, "Command7")->isVisible());
    QVERIFY(!button(f, "Command6")->isVisible());
    const QString locked = label(f, "Label3", 1)->text();
    drag(label(f, "Label3", 1), label(f, "Label3", 2));
    QCOMPARE(label(f, "Label3", 1)->text(), locked);

    w.fake.random.push(0.0); // the retry's exchanges leave the rows as they are
    click(button(f, "Command7"));
    QCOMPARE(background(label(f, "Label3", 1)), QColor(0xFF, 0xFF, 0x00));
    placeExplanations(f);
    click(button(f, "Command6"));
    QVERIFY(button(f, "Command4")->isVisible());
    // The drawn order 538, 1192, 57, 607, 1603 is wrong.
    click(button(f, "Command4"));
    QLabel* panel = child(f, "Label18");
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->text(), QStringLiteral("正解は"));
    QCOMPARE(background(panel), QColor(0xFF, 0x00, 0x00));
    QVERIFY(button(f, "Command8")->isVisible());
    const QStringList answerYears { "57", "538", "607", "1192", "1603" };
    for (int i = 1; i <= 5; ++i) {
        QVERIFY(label(f, "Label2", i)->isVisible());
        QCOMPARE(label(f, "Label7", i)->text(), answerYears[i - 1]);
        QVERIFY(label(f, "Label4", i)->isVisible());
        QWidget* marker = child<QWidget>(f, QStringLiteral("Picture4_%1").arg(i));
        QVERIFY(marker->isVisible());
        if (i > 1)
            QVERIFY2(marker->y() > child<QWidget>(f, QStringLiteral("Picture4_%1").arg(i - 1))->y(),
                "later years stand lower on the axis");
    }
    shot(f, "3-wrong-order");
    // The answer on show cannot be dragged into place.
    const QString first = label(f, "Label1", 1)->text();
    drag(label(f, "Label1", 1), label(f, "Label1", 2));
    QCOMPARE(label(f, "Label1", 1)->text(), first);

    tick(w, f, 0);
    QCOMPARE(child(f, "sLabel10")->text(), QStringLiteral("15"));
    w.fake.random.push(0.0);
    click(button(f, "Command8"));
    QVERIFY(!panel->isVisible());
    QVERIFY(!label(f, "Label4", 1)->isVisible());
    QVERIFY(button(f, "Command4")->isVisible());
    orderRows(f);
    click(button(f, "Command4"));
    QCOMPARE(panel->text(), QStringLiteral("正解です"));
    tick(w, f, 0);
    QCOMPARE(child(f, "sLabel10")->text(), QStringLiteral("15"));
    QCOMPARE(w.records(), qint64(0));
}

void DrillFormTest::aDropOfTheOtherKindChangesNothing()
{
    World w;
    w.draw(9, { 1, 2, 3, 4, 5 });
    MainFrm* f = w.start();
    QVERIFY(f);
    QStringList events, explanations;
    for (int i = 1; i <= 5; ++i) {
        events << label(f, "Label1", i)->text();
        explanations << label(f, "Label3", i)->text();
    }
    auto unchanged = [&] {
        for (int i = 1; i <= 5; ++i) {
            if (label(f, "Label1", i)->text() != events[i - 1] || label(f, "Label3", i)->text() != explanations[i - 1])
                return false;
        }
        return true;
    };
    drag(label(f, "Label3", 1), label(f, "Label1", 2)); // an explanation onto an event
    QVERIFY(unchanged());
    drag(label(f, "Label3", 1), child(f, "Label11")); // onto no label at all
    QVERIFY(unchanged());
    drag(label(f, "Label1", 1), label(f, "Label1", 2)); // rows are not draggable yet
    QVERIFY(unchanged());
    QCOMPARE(label(f, "Label3", 1)->pos(), label(f, "Label3", 1)->pos());
    const QPoint home = label(f, "Label3", 1)->pos();
    drag(label(f, "Label3", 1), label(f, "Label3", 4));
    QCOMPARE(label(f, "Label3", 1)->text(), explanations[3]);
    QCOMPARE(label(f, "Label3", 4)->text(), explanations[0]);
    QCOMPARE(label(f, "Label3", 1)->pos(), home);
}

void DrillFormTest::theTimeIsUpAtExactlyTheLimit()
{
    World w;
    w.draw(9, { 1, 2, 3, 4, 5 });
    MainFrm* f = w.start();
    QVERIFY(f);
    bool timeUpShown = false;
    bool recordingShown = true;
    w.onBackdrop = [&] {
        timeUpShown = child(f, "lblsss2")->isVisible();
        recordingShown = child(f, "lblsss1")->isVisible();
        shot(f, "5-time-up");
        // A late second finish (a tick or an answer while recording) changes nothing.
        f->finishAttempt();
    };
    tick(w, f, 59);
    QVERIFY(!child<QWidget>(f, QStringLiteral("sPicture2"))->isVisible());
    QCOMPARE(w.endShown, 0);
    tick(w, f, 1);
    QCOMPARE(reg.timeUp, qint16(1));
    QCOMPARE(reg.attemptResult, kTimeOut);
    QVERIFY(timeUpShown);
    QVERIFY(!recordingShown);
    QCOMPARE(w.backdropShown, 1);
    QCOMPARE(w.endShown, 1);
    QCOMPARE(w.records(), qint64(1));
    QCOMPARE(readStoredResults(0)->front().result, kTimeOut);
}

void DrillFormTest::thePassLampsGoOutFrom51To60()
{
    World w;
    reg.levelTargetB[1] = 100; // limit 500 s, lamps of the second target from 91 s on
    w.draw(9, { 1, 2, 3, 4, 5 });
    MainFrm* f = w.start();
    QVERIFY(f);
    auto lit = [&] {
        int n = 0;
        for (int i = 30; i <= 39; ++i)
            n += child<QWidget>(f, QStringLiteral("sPicture3_%1").arg(i))->isVisible() ? 1 : 0;
        return n;
    };
    const int expected[] = { 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0 }; // after 50 .. 61 seconds
    tick(w, f, 50);
    for (int k = 0; k < 12; ++k) {
        QCOMPARE(lit(), expected[k]);
        tick(w, f, 1);
    }
    for (int i = 10; i <= 29; ++i)
        QVERIFY(child<QWidget>(f, QStringLiteral("sPicture3_%1").arg(i))->isVisible());
}

void DrillFormTest::theBestRowsCountDownToTheBestResults()
{
    World w;
    reg.levelTargetB[1] = 100;
    reg.levelBestScore[1] = 25; // the best result of the level
    reg.bestScore(1, 3) = 40; // the pupil's own best
    reg.bestScore(1, 4) = 20; // another pupil's
    w.draw(9, { 1, 2, 3, 4, 5 });
    MainFrm* f = w.start();
    QVERIFY(f);
    auto lit = [&](int first) {
        int n = 0;
        for (int i = first; i < first + 10; ++i)
            n += child<QWidget>(f, QStringLiteral("sPicture3_%1").arg(i))->isVisible() ? 1 : 0;
        return n;
    };
    tick(w, f, 15);
    QCOMPARE(lit(10), 10);
    tick(w, f, 5); // 20 s
    QCOMPARE(lit(10), 5);
    QCOMPARE(lit(20), 10);
    tick(w, f, 15); // 35 s
    QCOMPARE(lit(10), 0);
    QCOMPARE(lit(20), 5);
}

void DrillFormTest::aPracticeLevelReturnsToTheBoardWithoutRecording()
{
    World w;
    reg.levelTitles[2] = QStringLiteral("練習");
    w.draw(10, { 1, 2, 3, 4, 5 });
    MainFrm* f = w.start(2);
    QVERIFY(f);
    QCOMPARE(child(f, "sLabel12")->text(), QStringLiteral("－"));
    QCOMPARE(child(f, "sLabel11")->text(), QStringLiteral("－"));
    tick(w, f, 60);
    QCOMPARE(w.boardShown, 1);
    QCOMPARE(w.endShown, 0);
    QCOMPARE(w.records(), qint64(0));
    pump();
    QVERIFY(!w.form());
}

void DrillFormTest::aLevelWithTooFewRowsReturnsToTheBoard()
{
    World w(kRows.mid(5, 5)); // level 1 keeps four rows, level 2 five
    reg.levelTitles[1] = QStringLiteral("地域５－１");
    QVERIFY(!w.start(1));
    QCOMPARE(w.fake.messages.texts.size(), 1);
    QVERIFY2(w.fake.messages.texts[0].contains(QStringLiteral("地域５－１")), qPrintable(w.fake.messages.texts[0]));
    QCOMPARE(w.boardShown, 1);
    QCOMPARE(w.records(), qint64(0));
    pump();
    QVERIFY(!w.form());
    w.draw(5, { 1, 2, 3, 4, 5 });
    QVERIFY(w.start(2));
}

void DrillFormTest::aQuestionFileThatCannotBeReadReturnsToTheBoard()
{
    World w(QStringList {});
    QVERIFY(!w.start(1));
    QCOMPARE(w.fake.messages.texts.size(), 1);
    QVERIFY2(w.fake.messages.texts[0].contains(w.storedFile()), qPrintable(w.fake.messages.texts[0]));
    QCOMPARE(w.boardShown, 1);
    QCOMPARE(w.records(), qint64(0));
}

void DrillFormTest::anAttemptPastMidnightKeepsTheRightTime()
{
    World w;
    reg.levelTargetB[1] = 100;
    w.fake.clock.set(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 50)));
    w.draw(9, { 1, 2, 3, 4, 5 });
    MainFrm* f = w.start();
    QVERIFY(f);
    tick(w, f, 25);
    QCOMPARE(child(f, "sLabel10")->text(), QStringLiteral("25"));
    QCOMPARE(w.endShown, 0);
    QVERIFY(child<QWidget>(f, QStringLiteral("sShape2"))->width() > 0);
}

void DrillFormTest::theStripShowsThePupilAndTheCounters()
{
    World w;
    reg.drillSetTitle = QStringLiteral("カナメル歴史年代ドリル");
    reg.todayCount(1, 3) = 2;
    reg.todayCount(2, 3) = 1;
    reg.pupilStartSeconds = 10 * 3600 - 125; // the clock stands at 10:00:00
    w.draw(9, { 1, 2, 3, 4, 5 });
    MainFrm* f = w.start();
    QVERIFY(f);
    QCOMPARE(child(f, "sLabel7")->text(), QStringLiteral("山田　花子"));
    QCOMPARE(child(f, "sLabel2")->font().pointSizeF(), 14.0);
    QCOMPARE(child(f, "sLabel8")->text(), QStringLiteral("ﾚﾍﾞﾙ1"));
    QCOMPARE(child(f, "sLabel12")->text(), QStringLiteral("4"));
    QCOMPARE(child(f, "sLabel11")->text(), QStringLiteral("3"));
    QCOMPARE(child(f, "sLabel13")->text(), QStringLiteral("2"));
    QCOMPARE(child(f, "sLabel9")->text(), QStringLiteral("5"));
    QCOMPARE(child(f, "Label16_10")->text(), QStringLiteral("1000"));
}

void DrillFormTest::aDoubleClickOnJudgeJudgesOnlyOnePhase()
{
    World w;
    w.draw(9, { 3, 8, 1, 5, 9 }, { { 1, 4 }, { 2, 5 } });
    MainFrm* f = w.start();
    QVERIFY(f);
    f->show();
    QVERIFY(QTest::qWaitForWindowExposed(f, testing_support::kWaitMs));
    placeExplanations(f);
    const testing_support::ScopeExit noPause([] { platform::setSettleMilliseconds(0); });
    platform::setSettleMilliseconds(400);
    WAIT_VERIFY(platform::takesInput(f)); // the form has settled
    // Both clicks land on the one spot of the phase buttons, as a pupil's double click does.
    const QPoint spot = button(f, "Command6")->mapTo(f, button(f, "Command6")->rect().center());
    QTest::mouseClick(f->windowHandle(), Qt::LeftButton, {}, spot);
    QTest::mouseClick(f->windowHandle(), Qt::LeftButton, {}, spot);
    pump();
    const bool orderWasJudged = !button(f, "Command4")->isVisible();
    QTest::qWait(450);
    QTest::mouseClick(f->windowHandle(), Qt::LeftButton, {}, spot);
    pump();
    const bool judgedAfterPause = !button(f, "Command4")->isVisible();
    QVERIFY2(!orderWasJudged, "the second click of a double click judged the order");
    QVERIFY(judgedAfterPause);
}

namespace {
// The drill form whose close box is pressed while the next sound plays.
QPointer<MainFrm> closedDuringSound;
void pressCloseBoxDuringTheSound()
{
    // The press waits in the window system's queue until the sound has ended.
    if (closedDuringSound && reg.allSolved == 1)
        QTimer::singleShot(0, closedDuringSound.data(), [] { closedDuringSound->close(); });
}
} // namespace

void DrillFormTest::closingTheWindowReturnsToTheBoardWithoutRecording()
{
    // The title bar's close button during the attempt leaves for the board with nothing
    // recorded; pressed once the attempt is solved (during the "正解" sound of the fifth
    // question) or while the result is being recorded, it changes nothing: the attempt is
    // recorded and the end screen follows as always.
    enum Moment { DuringTheAttempt, DuringTheLastRightSound, WhileRecording };
    for (const Moment moment : { DuringTheAttempt, DuringTheLastRightSound, WhileRecording }) {
        World w;
        w.draw(9, { 1, 2, 3, 4, 5 });
        MainFrm* f = w.start();
        QVERIFY(f);
        tick(w, f, 20);
        if (moment == DuringTheLastRightSound) {
            closedDuringSound = f;
            const platform::ScreenPainter before = platform::setScreenPainter(pressCloseBoxDuringTheSound);
            for (int question = 1; question <= 5; ++question) {
                if (question > 1) {
                    w.draw(9, { 9, 7, 5, 3, 1 });
                    click(button(f, "Command3"));
                }
                placeExplanations(f);
                click(button(f, "Command6"));
                orderRows(f);
                click(button(f, "Command4"));
            }
            platform::setScreenPainter(before);
        } else if (moment == WhileRecording) {
            w.onBackdrop = [&] { f->close(); };
            tick(w, f, 40);
        } else {
            f->close();
        }
        pump();
        QCOMPARE(w.boardShown, moment == DuringTheAttempt ? 1 : 0);
        QCOMPARE(w.endShown, moment == DuringTheAttempt ? 0 : 1);
        QCOMPARE(w.records(), qint64(moment == DuringTheAttempt ? 0 : 1));
        QVERIFY(!w.form());
    }
}

void DrillFormTest::playsTheDemoQuestionFileToTheEnd()
{
    World w(QStringList {});
    QVERIFY(QFile::copy(QStringLiteral(DEMO_QUESTIONS_STORED), w.storedFile()));
    reg.levelTarget[3] = 420;
    reg.levelTargetB[3] = 360;
    for (double v : { 0.01, 0.2, 0.45, 0.7, 0.93 })
        w.fake.random.push(v);
    MainFrm* f = w.start(3);
    QVERIFY(f);
    QVERIFY(f->rows().usableRowCount >= 100);
    for (int question = 1; question <= 5; ++question) {
        if (question > 1) {
            for (double v : { 0.05 * question, 0.3, 0.5, 0.66, 0.88 })
                w.fake.random.push(v);
            click(button(f, "Command3"));
        }
        for (int i = 1; i <= 5; ++i)
            QVERIFY(!label(f, "Label1", i)->text().isEmpty());
        placeExplanations(f);
        click(button(f, "Command6"));
        QVERIFY(button(f, "Command4")->isVisible());
        orderRows(f);
        tick(w, f, 30);
        if (question == 1)
            shot(f, "6-demo-ordered");
        click(button(f, "Command4"));
        if (question == 1)
            shot(f, "7-demo-solved");
    }
    QCOMPARE(reg.attemptResult, 150);
    QCOMPARE(w.endShown, 1);
    QCOMPARE(readStoredResults(0)->front().level, qint16(3));
}

namespace {

MainFrm* startCards(World& w, int level = 1)
{
    reg.currentLevel = static_cast<qint16>(level);
    reg.memorizeMode = 1;
    startDrill();
    pump();
    return w.form();
}

QString card(MainFrm* f)
{
    return QStringLiteral("%1|%2|%3")
        .arg(label(f, "Label13", 1)->text(), label(f, "Label13", 2)->text(), label(f, "Label13", 3)->text());
}

} // namespace

void DrillFormTest::cardsRevealPartByPartAndMoveToTheirYear()
{
    World w;
    MainFrm* f = startCards(w);
    QVERIFY(f);
    QVERIFY(child<QWidget>(f, QStringLiteral("Picture6"))->isVisible());
    QVERIFY(!button(f, "Command6")->isVisible());
    QVERIFY(child<QRadioButton>(f, QStringLiteral("Option1_1"))->isChecked());
    QVERIFY(child<QRadioButton>(f, QStringLiteral("Option2_4"))->isChecked());
    QCOMPARE(card(f), QStringLiteral("57|?|?"));
    shot(f, "8-card-first-part");
    QLabel* arrow = child(f, "Image1");
    const int arrowAt57 = arrow->y();
    f->Timer3_Timer();
    QCOMPARE(card(f), QStringLiteral("57|奴国の王が漢に使い|?"));
    f->Timer4_Timer();
    QCOMPARE(card(f), QStringLiteral("57|奴国の王が漢に使い|倭の小国の王が中国の皇帝から金印を授けられる"));
    shot(f, "9-card-whole");
    f->Timer2_Timer();
    QCOMPARE(card(f), QStringLiteral("239|?|?"));
    QVERIFY2(arrow->y() > arrowAt57, "the arrow moves down to the later year");
    QWidget* axis = child<QWidget>(f, QStringLiteral("Picture1"));
    const int yearOnAxis = axis->y() + axis->height() * 239 / 2000;
    QVERIFY(std::abs(arrow->y() + arrow->height() / 2 - yearOnAxis) <= 2);
    QCOMPARE(child<QWidget>(f, QStringLiteral("Picture10"))->y(), arrow->y());
}

void DrillFormTest::aLearnedCardIsSkippedAndADisplayOrderWaitsForTheNextCard()
{
    World w(kRows.mid(0, 3));
    MainFrm* f = startCards(w);
    QVERIFY(f);
    f->Timer3_Timer();
    f->Timer4_Timer();
    f->Timer2_Timer(); // card 2
    click(button(f, "Command12"));
    QCOMPARE(card(f), QStringLiteral("239|?|?")); // stays on show
    click(child<QRadioButton>(f, QStringLiteral("Option1_3")));
    f->Timer3_Timer();
    QCOMPARE(card(f), QStringLiteral("239|卑弥呼が魏に使い|?")); // the order of this card holds
    f->Timer4_Timer();
    f->Timer2_Timer(); // card 3, event first
    QCOMPARE(card(f), QStringLiteral("仏教の伝来|?|?"));
    f->Timer3_Timer();
    QCOMPARE(card(f), QStringLiteral("仏教の伝来|538|?"));
    f->Timer4_Timer();
    f->Timer2_Timer(); // card 1; card 2 is learned
    QCOMPARE(label(f, "Label13", 1)->text(), QStringLiteral("奴国の王が漢に使い"));
    f->Timer3_Timer();
    f->Timer4_Timer();
    f->Timer2_Timer();
    QCOMPARE(label(f, "Label13", 1)->text(), QStringLiteral("仏教の伝来"));
}

void DrillFormTest::cardsArePractisedWithTheKeyboard()
{
    World w(kRows.mid(0, 3));
    MainFrm* f = startCards(w);
    QVERIFY(f);
    // Tab (or an arrow) goes from control to control, Space chooses, Enter presses a button.
    auto tabTo = [f](const QString& name) {
        for (int k = 0; k < 30; ++k) {
            QWidget* now = QApplication::focusWidget();
            if (now && now->objectName() == name)
                return true;
            QTest::keyClick(now ? now : f, k % 2 ? Qt::Key_Tab : Qt::Key_Down);
        }
        return false;
    };
    // Up from the first display order goes on to a control on show, not to the form itself.
    QVERIFY(tabTo(QStringLiteral("Option1_1")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QWidget* above = QApplication::focusWidget();
    QVERIFY2(above && above != f && above->isVisible(), qPrintable(above ? above->objectName() : QString()));
    QVERIFY(tabTo(QStringLiteral("Option2_1")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(f->findChild<QTimer*>(QStringLiteral("Timer3"))->interval(), RevealCycle::interval(1));
    QVERIFY(tabTo(QStringLiteral("Command11")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    pump();
    QCOMPARE(w.boardShown, 1);
}

void DrillFormTest::eachSpeedSetsTheIntervalsOfTheRevealTimers()
{
    World w;
    MainFrm* f = startCards(w);
    QVERIFY(f);
    const int intervals[6] = { 200, 600, 1000, 2000, 3000, 4000 };
    for (int k = 1; k <= 6; ++k) {
        click(child<QRadioButton>(f, QStringLiteral("Option2_%1").arg(k)));
        for (const char* timer : { "Timer2", "Timer3", "Timer4" })
            QCOMPARE(child<QTimer>(f, QLatin1String(timer))->interval(), intervals[k - 1]);
        for (int j = 1; j <= 6; ++j)
            QCOMPARE(child<QRadioButton>(f, QStringLiteral("Option2_%1").arg(j))->isChecked(), j == k);
    }
    // At the fastest speed the real timers reveal the card and move on.
    click(child<QRadioButton>(f, QStringLiteral("Option2_1")));
    WAIT_COMPARE(label(f, "Label13", 1)->text(), QStringLiteral("239"));
}

void DrillFormTest::practiceEndsAtTheBoardWithoutRecording()
{
    World w;
    MainFrm* f = startCards(w);
    QVERIFY(f);
    click(button(f, "Command11"));
    pump();
    QCOMPARE(w.boardShown, 1);
    QCOMPARE(w.endShown, 0);
    QCOMPARE(w.records(), qint64(0));
    QVERIFY(!w.form());
}

void DrillFormTest::practiceReachingTheLimitEndsThroughTimeUp()
{
    World w;
    MainFrm* f = startCards(w);
    QVERIFY(f);
    tick(w, f, 60);
    QCOMPARE(reg.timeUp, qint16(1));
    QCOMPARE(reg.attemptResult, kTimeOut);
    QCOMPARE(w.endShown, 1);
    QCOMPARE(w.boardShown, 0);
}

void DrillFormTest::cardsOfYearsBeforeTheEraStandInTheirArea()
{
    World w(
        QStringList { QStringLiteral("1,-3000,縄文,,文化,縄文土器がつくられる,,縄目の文様をつけた土器で煮炊きをする"),
            QStringLiteral("1,0,弥生,,文化,年のない出来事,,説明") });
    MainFrm* f = startCards(w);
    QVERIFY(f);
    QWidget* before = child<QWidget>(f, QStringLiteral("Picture3"));
    QLabel* arrow = child(f, "Image1");
    const int middle = arrow->y() + arrow->height() / 2;
    QVERIFY(middle >= before->y() && middle < before->y() + before->height());
    shot(f, "10-card-before-era");
    f->Timer3_Timer();
    f->Timer4_Timer();
    f->Timer2_Timer();
    QCOMPARE(arrow->y() + arrow->height() / 2, child<QWidget>(f, QStringLiteral("Picture1"))->y());
}

KANAMERU_FORM_TEST_MAIN(DrillFormTest)
#include "drillform_test.moc"
