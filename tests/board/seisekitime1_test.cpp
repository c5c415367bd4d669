// The results board driven as a pupil drives it: clicks, keys, the grade choice and scrolling.
#include "board/boardtexts.h"
#include "board/seisekitime1.h"
#include "boardschool.h"
#include "review/eventrecord.h"
#include "startup/navigation.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/waits.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

using namespace kanameru;
using board_testing::BoardSchool;
using testing_support::click;
using testing_support::pump;
using testing_support::RecordingMessageBox;

namespace {

const QDate kToday = testing_support::kFakeNow.date(); // a Monday

template <class T> T* find(QWidget* form, const QString& name)
{
    T* w = form->findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

QStringList linesOf(QWidget* form, int level)
{
    QStringList lines;
    const QListWidget* list = find<QListWidget>(form, QStringLiteral("List5_%1").arg(level));
    for (int i = 0; i < list->count(); ++i)
        lines.append(list->item(i)->text());
    return lines;
}

// A school of four pupils: 1 and 2 in grade 5, 3 in grade 8 (a teacher's name for one test),
// 4 in grade 2.
std::unique_ptr<BoardSchool> makeSchool(const char* thirdName = "佐藤花子")
{
    return std::make_unique<BoardSchool>(std::initializer_list<board_testing::Pupil> {
        { 1, 2015, "山田太郎" }, { 2, 2015, "鈴木一郎" }, { 3, 2012, thirdName }, { 4, 2018, "林" } });
}

void saveShot(QWidget* form, const QString& name)
{
    const QByteArray dir = qgetenv("KANAMERU_SHOTS");
    if (dir.isEmpty())
        return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    form->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class BoardTest : public QObject {
    Q_OBJECT

    std::unique_ptr<BoardSchool> school;
    QPointer<seisekitime1> board;
    int drillsShown = 0;
    int startScreensShown = 0;

    // activeAtOnce: the window is active as it shows, before its first activation work, as
    // Windows makes it.
    seisekitime1* openBoard(bool activeAtOnce = false)
    {
        screens().showDrillForm = [this] { ++drillsShown; };
        screens().showNameSelection = [this] { ++startScreensShown; };
        board = seisekitime1::open();
        if (activeAtOnce && board)
            QApplication::setActiveWindow(board);
        for (int i = 0; i < 100 && board && !board->activated(); ++i)
            pump(5);
        if (!board || !board->activated())
            qFatal("the board did not activate");
        return board;
    }

private Q_SLOTS:
    void init()
    {
        drillsShown = 0;
        startScreensShown = 0;
        school = makeSchool();
    }
    void cleanup()
    {
        if (board)
            delete board.data();
        school.reset();
    }

    void firstActivationFillsThePointsRankingAndThePupilsFigures()
    {
        school->addResult(1, 1, 60, kToday); // 30 points today
        school->addResult(2, 1, 150, kToday.addDays(-3)); // 11 points
        school->addResult(2, 1, 99999, kToday); // time-up: no points
        school->addResult(1, 2, 300, kToday.addDays(-40)); // 5 points, long ago
        school->load(1);
        auto* startScreen = new QWidget;
        startScreen->setObjectName(QStringLiteral("namesel"));
        startScreen->setAttribute(Qt::WA_DeleteOnClose);
        startScreen->show();
        QPointer<QWidget> watched(startScreen);

        seisekitime1* form = openBoard(true);
        pump(10);
        QVERIFY(!watched || !watched->isVisible());
        // The focus is on "戻る(0)", never in the grade box, which would take a "0" as text.
        auto* back = find<QPushButton>(form, QStringLiteral("Command1"));
        QCOMPARE(form->focusWidget(), back);
        QCOMPARE(form->displayKind(), 2);
        QVERIFY(find<QRadioButton>(form, QStringLiteral("Option2_1"))->isChecked());
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label5"))->text(), QStringLiteral("獲得ポイント（今まで順位）"));
        QCOMPARE(find<QRadioButton>(form, QStringLiteral("Option1_1"))->text(), QStringLiteral("累計順"));
        QCOMPARE(linesOf(form, 1),
            (QStringList { QStringLiteral(" 1●山田太郎　 30/   30"), QStringLiteral(" 2⑤鈴木一郎　  0/   11"),
                QStringLiteral(" 3②林　　　　  0/    0"), QStringLiteral(" 3Ⅱ佐藤花子　  0/    0") }));
        QCOMPARE(find<QListWidget>(form, QStringLiteral("List5_1"))->currentRow(), -1);
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label14_1"))->text(), QStringLiteral("1回/30点"));
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label15_1"))->text(), QStringLiteral("1回/30点"));
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label14_2"))->text(), QStringLiteral("-----"));
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label15_2"))->text(), QStringLiteral("1回/5点"));
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label15_3"))->text(), QStringLiteral("------"));
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label8_1"))->text(), QStringLiteral("最近28日=1回 / 30点"));
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label7_1"))->text(), QStringLiteral("目標=300秒 5回/60点(×1)"));
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label18"))->text(), QStringLiteral("本日総回数＝1回"));
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label17"))->text(), QStringLiteral("起動後2分"));
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label13"))->text(), QStringLiteral("テスト塾:1"));
        QVERIFY(find<QLabel>(form, QStringLiteral("Label12"))->text().endsWith(QStringLiteral(" 山田太郎")));
        // The instructions of this drill, each line whole in the box beside its scroll bar.
        const QListWidget* instructions = find<QListWidget>(form, QStringLiteral("List6"));
        QCOMPARE(instructions->count(), int(instructionLines().size()));
        QVERIFY(instructions->findItems(QStringLiteral("説明をドラッグ"), Qt::MatchContains).size() == 1);
        for (int i = 0; i < instructions->count(); ++i) {
            const QRect line = instructions->visualItemRect(instructions->item(i));
            const int inked = QFontMetrics(instructions->font()).horizontalAdvance(instructions->item(i)->text());
            QVERIFY2(line.left() + inked + 4 <= instructions->viewport()->width(),
                qPrintable(instructions->item(i)->text()));
        }
        QVERIFY(!find<QWidget>(form, QStringLiteral("Picture2"))->isVisible());
        QVERIFY(!find<QWidget>(form, QStringLiteral("Picture6"))->isVisible());
        QVERIFY(find<QPushButton>(form, QStringLiteral("Command24_1"))->isHidden());
        QCOMPARE(reg.targetLevelCleared.toInteger(), 0);
        saveShot(form, QStringLiteral("board-points"));

        // Nor does the keyboard pass there while a list choice refills the lists with "戻る(0)"
        // disabled.
        WAIT_VERIFY(back->hasFocus());
        auto* gradeBox = find<QComboBox>(form, QStringLiteral("Combo1"));
        bool gradeBoxFocused = false;
        const QMetaObject::Connection watch = connect(qApp, &QApplication::focusChanged, [&](QWidget*, QWidget* now) {
            gradeBoxFocused |= now && (now == gradeBox || gradeBox->isAncestorOf(now));
        });
        form->Option2_Click(0);
        form->Option2_Click(1);
        disconnect(watch);
        QVERIFY2(!gradeBoxFocused, "the keyboard passed to the grade box");
        QVERIFY(back->hasFocus());

        // A later activation refills only the instruction list.
        find<QListWidget>(form, QStringLiteral("List5_1"))->clear();
        form->Form_Activate();
        QCOMPARE(find<QListWidget>(form, QStringLiteral("List6"))->count(), int(instructionLines().size()));
        QCOMPARE(linesOf(form, 1).size(), 0);
    }

    void timeDisplayShowsBestTodayAndPeriodLists()
    {
        school->addResult(2, 1, 45, kToday.addDays(-1), QTime(16, 5));
        school->addResult(1, 1, 50, kToday, QTime(9, 5));
        school->addResult(3, 1, 99999, kToday, QTime(9, 40));
        school->addResult(1, 1, 45, kToday.addDays(-8), QTime(8, 0));
        school->load(1);
        seisekitime1* form = openBoard();

        click(find<QRadioButton>(form, QStringLiteral("Option2_0")));
        QCOMPARE(form->displayKind(), 1);
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label5"))->text(), QStringLiteral("ベスト成績"));
        QCOMPARE(reg.listKind, 1);
        // Pupils 1 and 2 share 45 seconds; the later one in the roster comes first.
        QCOMPARE(linesOf(form, 1),
            (QStringList { QStringLiteral(" 1⑤鈴木一郎　    45 　"), QStringLiteral(" 1●山田太郎　    45 ●"),
                QStringLiteral("--②林　　　　------ 　"), QStringLiteral("--Ⅱ佐藤花子　------ 　") }));
        saveShot(form, QStringLiteral("board-best"));

        click(find<QRadioButton>(form, QStringLiteral("Option1_2")));
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label5"))->text(), QStringLiteral("本日の成績"));
        QCOMPARE(linesOf(form, 1),
            (QStringList { QStringLiteral("  50秒 09:05●山田太郎　●33"), QStringLiteral("　　× 09:40Ⅱ佐藤花子　Ⅱ") }));
        QVERIFY(!find<QComboBox>(form, QStringLiteral("Combo2"))->isVisible());
        saveShot(form, QStringLiteral("board-today"));

        click(find<QRadioButton>(form, QStringLiteral("Option1_3")));
        QCOMPARE(reg.listKind, 3);
        QComboBox* period = find<QComboBox>(form, QStringLiteral("Combo2"));
        QVERIFY(period->isVisible());
        QCOMPARE(period->currentText(), QStringLiteral("　　今までの全成績"));
        QCOMPARE(linesOf(form, 1).size(), 4);
        QCOMPARE(linesOf(form, 1).at(0), QStringLiteral("  45秒 12/06⑤鈴木一郎　⑤35"));
        saveShot(form, QStringLiteral("board-all"));

        // On a Monday "this week" is today only; "this and last week" reaches last Monday.
        const struct {
            int index;
            int lines;
        } periods[] = { { 0, 2 }, { 1, 3 }, { 2, 4 }, { 4, 4 } };
        for (const auto& p : periods) {
            period->setCurrentIndex(p.index);
            Q_EMIT period->activated(p.index);
            QCOMPARE(reg.periodChoice.toInteger(), p.index + 1);
            QCOMPARE(linesOf(form, 1).size(), p.lines);
        }
    }

    void longWorkShowsTheWaitPanelWithItsBarAdvancing()
    {
        for (int i = 0; i < 600; ++i)
            school->addResult(1 + i % 4, 1 + i % 3, 40 + i % 50, kToday.addDays(-(i % 20)));
        school->load(1);
        seisekitime1* form = openBoard();
        QProgressBar* bar = find<QProgressBar>(form, QStringLiteral("ProgressBar2"));
        QWidget* panel = find<QWidget>(form, QStringLiteral("Picture6"));
        QList<int> values;
        bool panelShownThroughout = true;
        connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
            values.append(value);
            panelShownThroughout = panelShownThroughout && panel->isVisible();
            if (value == 256)
                saveShot(form, QStringLiteral("board-wait"));
        });
        click(find<QRadioButton>(form, QStringLiteral("Option2_0")));
        QCOMPARE(values.last(), 3); // the best list counts the levels
        values.clear();
        click(find<QRadioButton>(form, QStringLiteral("Option1_3")));
        QVERIFY(values.size() >= 3);
        QVERIFY(std::is_sorted(values.begin(), values.end()));
        QCOMPARE(values.last(), 600);
        QVERIFY(panelShownThroughout);
        QVERIFY(!panel->isVisible());
        // Ranking every level in points order counts the levels.
        values.clear();
        click(find<QRadioButton>(form, QStringLiteral("Option2_1")));
        values.clear();
        click(find<QRadioButton>(form, QStringLiteral("Option1_1")));
        QCOMPARE(values.last(), 3);
        QVERIFY(panelShownThroughout);
    }

    void aResultsFileThatCannotBeReadLeavesTheBoardUsable_data()
    {
        QTest::addColumn<int>("kind"); // Option2: 0 time, 1 points
        QTest::addColumn<int>("choice"); // Option1: 2 today, 3 all
        QTest::newRow("today's attempts") << 0 << 2;
        QTest::newRow("all attempts, times") << 0 << 3;
        QTest::newRow("all attempts, points") << 1 << 3;
    }
    void aResultsFileThatCannotBeReadLeavesTheBoardUsable()
    {
        QFETCH(int, kind);
        QFETCH(int, choice);
        school->addResult(1, 1, 50, kToday, QTime(9, 5));
        school->addResult(2, 2, 70, kToday, QTime(9, 10));
        school->load(1);
        seisekitime1* form = openBoard();
        click(find<QRadioButton>(form, QStringLiteral("Option2_%1").arg(kind)));

        // Another workstation leaves a link in place of the file that leads back to itself (on
        // Windows, where a link is a shortcut, a folder): the name is there but cannot be read.
        const QString path = school->installation.path(QStringLiteral("カナメル/成績累積データ.dat"));
        QVERIFY(QFile::rename(path, path + QStringLiteral(".saved")));
#ifdef Q_OS_WIN
        QVERIFY(QDir().mkdir(path));
#else
        QVERIFY(QFile::link(path, path));
#endif
        RecordingMessageBox& messages = school->platform.messages;
        messages.texts.clear();
        click(find<QRadioButton>(form, QStringLiteral("Option1_%1").arg(choice)));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY2(
            messages.texts.first().contains(QStringLiteral("成績累積データ.dat")), qPrintable(messages.texts.first()));
        for (int level = 1; level <= 3; ++level) {
            QVERIFY(linesOf(form, level).isEmpty());
            QVERIFY(find<QListWidget>(form, QStringLiteral("List5_%1").arg(level))->isVisible());
        }
        QVERIFY(!find<QWidget>(form, QStringLiteral("Picture6"))->isVisible());
        QVERIFY(find<QWidget>(form, QStringLiteral("Picture1"))->isEnabled());
        QVERIFY(find<QPushButton>(form, QStringLiteral("Command1"))->isEnabled());
        QVERIFY(find<QPushButton>(form, QStringLiteral("Command4_1"))->isEnabled());

        // Once the file can be read again, the same choice lists both attempts.
#ifdef Q_OS_WIN
        QVERIFY(QDir().rmdir(path));
#else
        QVERIFY(QFile::remove(path));
#endif
        QVERIFY(QFile::rename(path + QStringLiteral(".saved"), path));
        messages.texts.clear();
        click(find<QRadioButton>(form, QStringLiteral("Option1_%1").arg(choice)));
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(linesOf(form, 1).size(), 1);
        QCOMPARE(linesOf(form, 2).size(), 1);
    }

    void todaysListLooksOnlyAtTheLastThousandAttempts()
    {
        for (int n = 1; n <= 1500; ++n) {
            const bool today = n == 400 || n == 501 || n == 1500;
            school->addResult(today ? 2 : 3, n == 400 ? 2 : 1, 100, today ? kToday : kToday.addDays(-1));
        }
        school->load(1);
        seisekitime1* form = openBoard();
        click(find<QRadioButton>(form, QStringLiteral("Option2_0")));
        click(find<QRadioButton>(form, QStringLiteral("Option1_2")));
        QCOMPARE(linesOf(form, 1).size(), 2);
        QVERIFY(linesOf(form, 2).isEmpty());
    }

    void aFullBoardKeepsItsListColumnsAligned()
    {
        // Forty pupils of every grade with two hundred attempts over the last weeks.
        school.reset(); // one fake platform at a time
        school = std::make_unique<BoardSchool>(std::initializer_list<board_testing::Pupil> {});
        QString roster;
        const QString family = QStringLiteral("青木石井上田江藤大野加藤木村工藤小林斎藤");
        for (int p = 1; p <= 40; ++p)
            roster += QStringLiteral("%1,%2,0,0,\"%3　%4\",0,\"\",\"\"\n")
                          .arg(p)
                          .arg(2011 + p % 9)
                          .arg(family.mid((p % 10) * 2, 2))
                          .arg(p % 3 == 0 ? QStringLiteral("陽向") : QStringLiteral("さくら"));
        school->installation.writeText(QStringLiteral("files/生徒用名簿.txt"), roster);
        for (int i = 0; i < 200; ++i)
            school->addResult(1 + (i * 7) % 40, 1 + i % 3, i % 17 == 0 ? 99999 : 35 + (i * 13) % 400,
                kToday.addDays(-(i % 9)), QTime(8 + i % 10, (i * 7) % 60));
        school->load(5);
        seisekitime1* form = openBoard();
        const QFontMetrics metrics(find<QListWidget>(form, QStringLiteral("List5_1"))->font());
        auto sameWidth = [&](const QStringList& lines) {
            for (const QString& line : lines)
                if (metrics.horizontalAdvance(line) != metrics.horizontalAdvance(lines.first()))
                    return false;
            return !lines.isEmpty();
        };
        QVERIFY(sameWidth(linesOf(form, 2)));
        saveShot(form, QStringLiteral("full-points"));
        click(find<QRadioButton>(form, QStringLiteral("Option2_0")));
        QVERIFY(sameWidth(linesOf(form, 2)));
        saveShot(form, QStringLiteral("full-best"));
        click(find<QRadioButton>(form, QStringLiteral("Option1_2")));
        saveShot(form, QStringLiteral("full-today"));
        click(find<QRadioButton>(form, QStringLiteral("Option1_3")));
        saveShot(form, QStringLiteral("full-all"));
        click(find<QRadioButton>(form, QStringLiteral("Option2_1")));
        saveShot(form, QStringLiteral("full-all-points"));
        // Every line fits its list without a horizontal scroll.
        for (int level = 1; level <= 3; ++level) {
            QListWidget* list = find<QListWidget>(form, QStringLiteral("List5_%1").arg(level));
            for (const QString& line : linesOf(form, level))
                QVERIFY2(metrics.horizontalAdvance(line) < list->viewport()->width(), qPrintable(line));
        }
    }

    void theGradeChoiceHidesPupilsWithoutRenumberingRanks()
    {
        school->addResult(3, 1, 30, kToday.addDays(-2)); // grade 8, fastest
        school->addResult(1, 1, 40, kToday.addDays(-2));
        school->addResult(4, 1, 50, kToday.addDays(-2));
        school->load(1);
        seisekitime1* form = openBoard();
        click(find<QRadioButton>(form, QStringLiteral("Option2_0")));
        QComboBox* grades = find<QComboBox>(form, QStringLiteral("Combo1"));
        const int elementary = grades->findText(QStringLiteral("小学生全体"));
        grades->setCurrentIndex(elementary);
        Q_EMIT grades->activated(elementary);
        QCOMPARE(linesOf(form, 1),
            (QStringList { QStringLiteral(" 2●山田太郎　    40 ●"), QStringLiteral(" 3②林　　　　    50 　"),
                QStringLiteral("--⑤鈴木一郎　------ 　") }));
        QCOMPARE(form->passesGradeFilter(8), 0);
        QCOMPARE(reg.gradeFilterText, QStringLiteral("小学生全体"));
    }

    // A pupil who has left keeps his name and grade in today's list and is filtered like anyone;
    // a grade typed into the box that is none of its choices shows nobody, says so, and is not
    // added to them. Today's total counts every level, also one without a column on this board.
    void theGradeBoxFiltersPupilsWhoLeftAndTypedTextsAndTodaysTotalCountsEveryLevel()
    {
        school.reset(); // one fake platform at a time
        school = std::make_unique<BoardSchool>(std::initializer_list<board_testing::Pupil> {
            { 1, 2015, "山田太郎" }, { 3, 2012, "佐藤花子" }, { 5, 2015, "退会次郎", 1 } });
        school->addResult(1, 1, 50, kToday, QTime(9, 5));
        school->addResult(5, 1, 60, kToday, QTime(9, 10));
        school->addResult(3, 1, 70, kToday, QTime(9, 20));
        school->addResult(1, 30, 80, kToday, QTime(9, 30));
        school->load(1);
        seisekitime1* form = openBoard();
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label18"))->text(), QStringLiteral("本日総回数＝2回"));
        click(find<QRadioButton>(form, QStringLiteral("Option2_0")));
        click(find<QRadioButton>(form, QStringLiteral("Option1_2")));
        const QString mine = QStringLiteral("  50秒 09:05●山田太郎　●33");
        const QString left = QStringLiteral("  60秒 09:10⑤退会次郎　⑤30");
        const QString grade8 = QStringLiteral("  70秒 09:20Ⅱ佐藤花子　Ⅱ27");
        QCOMPARE(linesOf(form, 1), (QStringList { mine, left, grade8 }));
        saveShot(form, QStringLiteral("board-today-with-a-pupil-who-left"));

        auto* grades = find<QComboBox>(form, QStringLiteral("Combo1"));
        QVERIFY(grades->isEditable());
        const struct {
            const char* text;
            QStringList lines;
        } cases[] = {
            { "小５", { mine, left } },
            { "中学生全体", { grade8 } },
            { "高１", {} }, // a grade of the start screen's list that nobody on the board is in
            { "幼－", {} },
            { "高４", { QStringLiteral("該当する学年がありません") } },
            { "全学年0", { QStringLiteral("該当する学年がありません") } },
            { "全学年", { mine, left, grade8 } },
        };
        for (const auto& c : cases) {
            // Typed as a pupil types Japanese: the input method commits the text, then Enter.
            QLineEdit* edit = grades->lineEdit();
            edit->setFocus();
            edit->selectAll();
            QInputMethodEvent typed;
            typed.setCommitString(QString::fromUtf8(c.text));
            QApplication::sendEvent(edit, &typed);
            QTest::keyClick(edit, Qt::Key_Return);
            pump();
            QCOMPARE(grades->currentText(), QString::fromUtf8(c.text));
            QCOMPARE(reg.gradeFilterText, QString::fromUtf8(c.text));
            QCOMPARE(linesOf(form, 1), c.lines);
        }
        QCOMPARE(grades->count(), 12);
    }

    void startButtonsAndTheirNumberKeysStartTheDrill_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("byKey"); // 0 click, 1 the number, 2 Alt and the number
        QTest::newRow("click 1") << 1 << 0;
        QTest::newRow("key 3") << 3 << 1;
        QTest::newRow("key 2") << 2 << 1;
        QTest::newRow("alt 3") << 3 << 2;
    }
    // A damaged events file is named in a message once and turns the review off, which R tells
    // again; the levels start as ever.
    void aDamagedEventsFileTurnsOnlyTheReviewOff()
    {
        school->load(1);
        school->installation.writeBytes(
            QStringLiteral("カナメル/") + review::eventsFileName(), QByteArray(2 * review::kEventRecordLength, 'x'));
        seisekitime1* form = openBoard();
        const QStringList& told = school->platform.messages.texts;
        WAIT_COMPARE(find<QLabel>(form, QStringLiteral("reviewLabel"))->text(), QStringLiteral("復習は使えません"));
        QCOMPARE(form->reviewDue(), -1);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].contains(review::eventsFileName()) && told[0].contains(QStringLiteral("1 件目")),
            qPrintable(told[0]));
        QTest::keyClick(form, Qt::Key_R);
        QCOMPARE(told.size(), 2);
        QCOMPARE(drillsShown, 0);
        QTest::keyClick(form, Qt::Key_1);
        WAIT_COMPARE(drillsShown, 1);
    }

    void startButtonsAndTheirNumberKeysStartTheDrill()
    {
        QFETCH(int, level);
        QFETCH(int, byKey);
        school->load(1);
        seisekitime1* form = openBoard();
        QPushButton* start = find<QPushButton>(form, QStringLiteral("Command4_%1").arg(level));
        QCOMPARE(start->text(), QStringLiteral("ｽﾀｰﾄ(&%1)").arg(level));
        if (byKey != 0)
            QTest::keyClick(
                form, static_cast<Qt::Key>(Qt::Key_0 + level), byKey == 2 ? Qt::AltModifier : Qt::NoModifier);
        else
            click(start);
        // An access key clicks its button after a short press animation.
        WAIT_COMPARE(drillsShown, 1);
        QCOMPARE(reg.currentLevel, level);
        QCOMPARE(reg.memorizeMode.toInteger(), 0);
        WAIT_VERIFY(!board);
    }

    void thePracticeButtonStartsFlashCardsAndPracticeColumnsShowNoList()
    {
        school->load(1);
        reg.levelTitles[2] = QStringLiteral("練習ﾚﾍﾞﾙ");
        reg.levelPracticeFlag[2] = AnyValue(1);
        reg.levelPracticeFlag[3] = AnyValue(0);
        seisekitime1* form = openBoard();
        QVERIFY(!find<QListWidget>(form, QStringLiteral("List5_2"))->isVisible());
        QVERIFY(!find<QLabel>(form, QStringLiteral("Label7_2"))->isVisible());
        QVERIFY(!find<QLabel>(form, QStringLiteral("Label14_2"))->isVisible());
        QVERIFY(find<QListWidget>(form, QStringLiteral("List5_1"))->isVisible());
        QCOMPARE(reg.levelTarget[2], 600);
        QCOMPARE(reg.levelTargetB[2], 600);
        QVERIFY(!form->findChild<QPushButton*>(QStringLiteral("Command28_3")));
        QPushButton* practice = find<QPushButton>(form, QStringLiteral("Command28_2"));
        QCOMPARE(practice->text(), QStringLiteral("練習"));
        saveShot(form, QStringLiteral("board-practice"));
        click(practice);
        pump(10);
        QCOMPARE(drillsShown, 1);
        QCOMPARE(reg.currentLevel, 2);
        QCOMPARE(reg.memorizeMode.toInteger(), 1);
    }

    void fourColumnsShareTheWidthAndFiveScroll_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<int>("columnPixels");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("4") << 4 << 3648 / 15 << false;
        QTest::newRow("5") << 5 << 3456 / 15 << true;
        QTest::newRow("8") << 8 << 3456 / 15 << true;
    }
    void fourColumnsShareTheWidthAndFiveScroll()
    {
        QFETCH(int, levels);
        QFETCH(int, columnPixels);
        QFETCH(bool, scrolls);
        school->load(1);
        reg.levelCount = static_cast<qint16>(levels);
        seisekitime1* form = openBoard();
        QListWidget* first = find<QListWidget>(form, QStringLiteral("List5_1"));
        QListWidget* second = find<QListWidget>(form, QStringLiteral("List5_2"));
        QCOMPARE(first->width(), columnPixels);
        QCOMPARE(second->x() - first->x(), columnPixels);
        QScrollBar* scroll = find<QScrollBar>(form, QStringLiteral("HScroll1"));
        QCOMPARE(scroll->isVisible(), scrolls);
        if (!scrolls)
            return;
        QCOMPARE(scroll->maximum(), levels - 3);
        saveShot(form, QStringLiteral("board-columns-%1").arg(levels));
        const int left = first->x();
        scroll->setValue(2);
        QCOMPARE(seisekitime1::firstVisibleColumn(), 2);
        QListWidget* third = find<QListWidget>(form, QStringLiteral("List5_3"));
        QCOMPARE(third->x(), left);
        QCOMPARE(second->x(), left);
        QCOMPARE(find<QPushButton>(form, QStringLiteral("Command4_4"))->x(), left + columnPixels);
        // The practice button moves with its start button.
        const QRect practice = find<QPushButton>(form, QStringLiteral("Command28_4"))->geometry();
        QVERIFY(practice.left() > left + columnPixels && practice.right() <= left + 2 * columnPixels);
        // The first visible column lies on top of those scrolled off.
        QCOMPARE(third->parentWidget()->childAt(third->geometry().center()), third->viewport());
        // The position outlives the form.
        delete board.data();
        board = nullptr;
        seisekitime1* again = openBoard();
        QCOMPARE(find<QScrollBar>(again, QStringLiteral("HScroll1"))->value(), 2);
        find<QScrollBar>(again, QStringLiteral("HScroll1"))->setValue(0);
    }

    void backReturnsToTheStartScreenAndClosesTheBoard()
    {
        school->load(1);
        seisekitime1* form = openBoard();
        QPushButton* back = find<QPushButton>(form, QStringLiteral("Command1"));
        QVERIFY(back->isEnabled());
        click(back);
        pump(10);
        QCOMPARE(startScreensShown, 1);
        QVERIFY(!board);
    }

    void aTeachersNameShowsThePrintButton()
    {
        school.reset(); // one fake platform at a time
        school = makeSchool("田中先生");
        school->load(3);
        seisekitime1* form = openBoard();
        QVERIFY(!find<QPushButton>(form, QStringLiteral("Command24_1"))->isHidden()); // on the per-pupil panel
    }

    void theTargetLevelIsClearedByRecentPointsAndCount()
    {
        // Level 3 needs 60 points in 5 attempts within 28 days.
        for (int i = 0; i < 5; ++i)
            school->addResult(1, 3, 10, kToday.addDays(-i));
        school->load(1);
        openBoard();
        QCOMPARE(reg.targetLevelCleared.toInteger(), 1);
    }
};

KANAMERU_FORM_TEST_MAIN(BoardTest)
#include "seisekitime1_test.moc"
