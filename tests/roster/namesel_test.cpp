#include "fileio/fileio.h"
#include "platform/application.h"
#include "platform/instance.h"
#include "results/results.h"
#include "roster/frmname2.h"
#include "roster/namesel.h"
#include "roster/rosterfile.h"
#include "roster/versionbox.h"
#include "sound/sound.h"
#include "sound/wavsynth.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "startup/settings.h"
#include "support/fakes.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/installation.h"
#include "support/waits.h"
#include "support/wine.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <cerrno>
#include <memory>

using namespace kanameru;
using namespace testing_support;

namespace {

const QString I = QStringLiteral("　");
const QString kNoResults = QStringLiteral("  　/       "); // display mode 1 without results

// Born 2019 (小1), 2014 (小6), 2012 (中2), a pupil who left, and 2021 (幼2) numbered 5, read on
// 7 December 2026.
const QString kRoster = QStringLiteral("1,2019,0,0,\"青木　さくら\",0,\"\",\"\"\n"
                                       "2,2014,0,0,\"林\",0,\"\",\"\"\n"
                                       "3,2012,0,0,\"一二三四五六七八\",0,\"\",\"\"\n"
                                       "4,2013,0,0,\"退会\",1,\"\",\"\"\n"
                                       "5,2021,0,0,\"幼児\",0,\"\",\"\"\n");

} // namespace

class NameselTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<TestInstallation> inst;
    QTemporaryDir keyDir;
    int boardShown = 0;
    QList<int> endCodes;
    QList<QUrl> openedUrls;

public:
    // Stands for the desktop's opener of local files.
    Q_INVOKABLE void openUrl(const QUrl& url) { openedUrls << url; }

private:
    namesel* openScreen()
    {
        namesel* form = namesel::open();
        pump();
        return form;
    }
    template <class T> T* child(QWidget* form, const char* name)
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QStringList rows(namesel* form)
    {
        auto* list = child<QListWidget>(form, "List1");
        QStringList r;
        for (int i = 0; i < list->count(); ++i)
            r.append(list->item(i)->text());
        return r;
    }
    void clickRow(namesel* form, int row)
    {
        auto* list = child<QListWidget>(form, "List1");
        QTest::mouseClick(
            list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(row)).center());
        pump();
    }
    int rowOf(namesel* form, const QString& name)
    {
        const QStringList r = rows(form);
        for (int i = 1; i < r.size(); ++i) {
            if (r[i].contains(name))
                return i;
        }
        return -1;
    }
    // The roster cannot be opened while rosterRefused is set (as when the share refuses it).
    bool rosterRefused = false;
    fileio::OpenCheck openCheckBefore;
    void writeSoundMap()
    {
        inst->writeText(QStringLiteral("files/新音ファイル.txt"), QStringLiteral("間違い音2,間違い2,*\n"));
        QVERIFY(writeWav(inst->soundFolder() + QStringLiteral("間違い2.wav"), sineTone(0.05, 440)));
        loadSoundMap();
    }

private Q_SLOTS:
    void init()
    {
        fake = std::make_unique<FakePlatform>();
        inst = std::make_unique<TestInstallation>();
        inst->writeText(QStringLiteral("files/生徒用名簿.txt"), kRoster);
        inst->load();
        writeSoundMap();
        namesel::setRetryWaitMilliseconds(5);
        namesel::setInstanceKey(keyDir.filePath(QStringLiteral("kanameru")));
        boardShown = 0;
        endCodes.clear();
        screens().showNameSelection = [] { namesel::open(); };
        screens().showResultsBoard = [this] { ++boardShown; };
        screens().endProgram = [this](int code) { endCodes.append(code); };
        rosterRefused = false;
        openCheckBefore = fileio::setOpenCheckForTests([this](const fileio::Path& path, fileio::File::Mode) {
            const bool roster = QString::fromStdU16String(path.filename().u16string()) == kRosterFile;
            return rosterRefused && roster ? EACCES : 0;
        });
    }
    void cleanup()
    {
        fileio::setOpenCheckForTests(openCheckBefore);
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* w : windows)
            w->close();
        pump();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        fake.reset();
        inst.reset();
    }

    // A wrong column width or fill would break the alignment the pupils read the list by.
    void listsEveryListedPupilSortedByBirthYear()
    {
        namesel* form = openScreen();
        QVERIFY(form);
        QCOMPARE(rows(form),
            (QStringList {
                QStringLiteral("－－－－－－"),
                QStringLiteral("中2 一二三四五六七八") + kNoResults,
                QStringLiteral("小6 林") + I + I + I + I + I + kNoResults,
                QStringLiteral("小1 青木　さくら") + kNoResults,
                QStringLiteral("幼2 幼児") + I + I + I + I + kNoResults,
            }));
        QCOMPARE(form->displayMode(), 1);
        QVERIFY(child<QRadioButton>(form, "Option1_1")->isChecked());
        QCOMPARE(child<QLabel>(form, "Label1")->text(), QStringLiteral("名前を選びなさい"));
        QCOMPARE(child<QLabel>(form, "Label4")->text(), reg.drillSetTitle);
        QCOMPARE(child<QLabel>(form, "Label4")->font().pointSize(), 48);
        QVERIFY(!child<QWidget>(form, "Picture5")->isVisible());
        QVERIFY(!child<QPushButton>(form, "Command1")->isVisible());
        QCOMPARE(reg.boardPupilCount.toInteger(), 4);
        QCOMPARE(reg.gradeFilterText, QStringLiteral("全学年"));
        QCOMPARE(child<QListWidget>(form, "List1")->font().family(), QStringLiteral("Noto Sans Mono CJK JP"));
    }

    void displayModesSwitchTheStatistics()
    {
        // Two finished attempts of pupil 2 today at level 1.
        setLevelConstants();
        reg.currentPupilNo = 2;
        reg.currentLevel = 1;
        reg.attemptResult = 100;
        openResultsFile();
        appendResult();
        appendResult();
        namesel* form = openScreen();
        const struct {
            const char* option;
            QString tail;
        } cases[] = {
            { "Option1_0", QStringLiteral("  2回/    2回") },
            { "Option1_2", QString() },
            { "Option1_3", QString() },
        };
        for (const auto& c : cases) {
            click(child<QRadioButton>(form, c.option));
            pump();
            const QString row = rows(form).at(rowOf(form, QStringLiteral("林")));
            QVERIFY2(row.startsWith(QStringLiteral("小6 林") + I + I + I + I + I), qPrintable(row));
            if (!c.tail.isEmpty())
                QCOMPARE(row.mid(9), c.tail);
            else
                QVERIFY2(row.endsWith(QStringLiteral("2回")), qPrintable(row));
        }
        QCOMPARE(form->displayMode(), 3);
        // A pupil without results keeps the empty columns in the same places.
        QCOMPARE(rows(form).at(rowOf(form, QStringLiteral("青木"))).mid(9), QStringLiteral("       /     ") + I);
    }

    void theGradeFilterNarrowsTheList()
    {
        namesel* form = openScreen();
        auto* combo = child<QComboBox>(form, "Combo1");
        QCOMPARE(combo->count(), 12);
        QCOMPARE(combo->toolTip(), QStringLiteral("表示する学年を選びなさい"));
        const struct {
            const char* choice;
            QStringList names;
        } cases[] = {
            { "中学生全体", { QStringLiteral("一二三四五六七八") } },
            { "小学生全体", { QStringLiteral("林"), QStringLiteral("青木") } },
            { "小６", { QStringLiteral("林") } },
            { "中３", {} },
            { "全学年",
                { QStringLiteral("一二三四五六七八"), QStringLiteral("林"), QStringLiteral("青木"),
                    QStringLiteral("幼児") } },
        };
        for (const auto& c : cases) {
            combo->setFocus();
            // Choose the entry with the keyboard as a pupil does.
            const int target = combo->findText(QString::fromUtf8(c.choice));
            QVERIFY(target >= 0);
            while (combo->currentIndex() < target)
                QTest::keyClick(combo, Qt::Key_Down);
            while (combo->currentIndex() > target)
                QTest::keyClick(combo, Qt::Key_Up);
            pump();
            const QStringList r = rows(form);
            QCOMPARE(r.size(), c.names.size() + 1);
            for (int i = 0; i < c.names.size(); ++i)
                QVERIFY2(r[i + 1].contains(c.names[i]), qPrintable(r[i + 1]));
            QCOMPARE(reg.gradeFilterText, QString::fromUtf8(c.choice));
        }
    }

    // A Japanese list box puts 加藤 above 中村 (code-unit order has them the other way round);
    // and however the board last left the grade choice, it opens on every grade once this
    // screen has become active, while a choice made here goes with the pupil.
    void namesSortAsTheJapaneseListBoxAndTheBoardOpensOnEveryGrade()
    {
        inst->writeText(QStringLiteral("files/生徒用名簿.txt"),
            QStringLiteral("1,2014,0,0,\"中村　芽依\",0,\"\",\"\"\n"
                           "2,2014,0,0,\"加藤　大翔\",0,\"\",\"\"\n"
                           "3,2012,0,0,\"林\",0,\"\",\"\"\n"));
        reg.gradeFilterText = QStringLiteral("中２");
        namesel* form = openScreen();
        QCOMPARE(rows(form).size(), 4);
        QCOMPARE(rowOf(form, QStringLiteral("林")), 1);
        if (!testing_support::underWine()) { // Wine's Japanese sort keys follow code points
            QCOMPARE(rowOf(form, QStringLiteral("加藤")), 2);
            QCOMPARE(rowOf(form, QStringLiteral("中村")), 3);
        }
        QCOMPARE(reg.gradeFilterText, QStringLiteral("全学年"));

        auto* combo = child<QComboBox>(form, "Combo1");
        combo->setFocus();
        while (combo->currentText() != QStringLiteral("小６"))
            QTest::keyClick(combo, Qt::Key_Down);
        pump();
        QCOMPARE(reg.gradeFilterText, QStringLiteral("小６"));
        QCOMPARE(rows(form).size(), 3);
        form->Form_Activate(); // back from the version box
        pump();
        QCOMPARE(reg.gradeFilterText, QStringLiteral("全学年"));
        QCOMPARE(combo->currentText(), QStringLiteral("小６"));
    }

    void okOnTheSeparatorOnlyPlaysTheWarning()
    {
        namesel* form = openScreen();
        clickRow(form, 0);
        reg.lastSoundCode = -1;
        reg.currentPupilNo = 0;
        click(child<QPushButton>(form, "Command14"));
        pump();
        QCOMPARE(reg.lastSoundCode, 0); // the warning was played
        QCOMPARE(boardShown, 0);
        QCOMPARE(reg.currentPupilNo, 0);
        QVERIFY(child<QPushButton>(form, "Command14")->isVisible());
        QCOMPARE(child<QLabel>(form, "Label1")->text(), QStringLiteral("名前を選びなさい"));
    }

    void choosingAPupilAndOkOpensTheBoard()
    {
        fake->clock.set(QDateTime(QDate(2026, 12, 7), QTime(15, 4, 5, 700)));
        QPointer<namesel> form = openScreen();
        clickRow(form, rowOf(form, QStringLiteral("林")));
        QCOMPARE(child<QLabel>(form, "Label1")->text(), QStringLiteral("小6 林"));
        QCOMPARE(child<QLabel>(form, "Label2")->text(), QStringLiteral("2"));
        click(child<QPushButton>(form, "Command14"));
        pump();
        QCOMPARE(boardShown, 1);
        QCOMPARE(reg.currentPupilNo, 2);
        QCOMPARE(reg.currentPupilName.trimmed(), QStringLiteral("林"));
        QCOMPARE(reg.currentPupilName.size(), 20);
        QCOMPARE(reg.currentPupilGradeLabel, QStringLiteral("小６"));
        QCOMPARE(reg.pupilStartSeconds, 15 * 3600 + 4 * 60 + 5);
        QCOMPARE(reg.levelCount, 3); // the levels were set up for the board
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!form); // the start screen unloaded itself
    }

    // Positions and numbers differ once a record that left is skipped: the name must still be
    // the chosen pupil's.
    void aPupilAfterAGapInTheNumbersGetsHisOwnName()
    {
        namesel* form = openScreen();
        clickRow(form, rowOf(form, QStringLiteral("幼児")));
        QTest::keyClick(child<QListWidget>(form, "List1"), Qt::Key_Return);
        pump();
        QCOMPARE(boardShown, 1);
        QCOMPARE(reg.currentPupilNo, 5);
        QCOMPARE(reg.currentPupilName.trimmed(), QStringLiteral("幼児"));
        QCOMPARE(reg.currentPupilGradeLabel, QString());
    }

    void doubleClickConfirmsAtOnce()
    {
        namesel* form = openScreen();
        auto* list = child<QListWidget>(form, "List1");
        const int row = rowOf(form, QStringLiteral("青木"));
        // The first click of a double click selects, the second one confirms.
        QTest::mouseClick(
            list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(row)).center());
        QTest::mouseDClick(
            list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(row)).center());
        pump();
        QCOMPARE(boardShown, 1);
        QCOMPARE(reg.currentPupilNo, 1);
        QCOMPARE(reg.currentPupilName.trimmed(), QStringLiteral("青木　さくら"));
    }

    void keysOneSpaceAndEnterPressOk()
    {
        const struct {
            Qt::Key key;
            bool onList;
        } cases[] = { { Qt::Key_1, false }, { Qt::Key_Space, true }, { Qt::Key_Enter, true } };
        for (const auto& c : cases) {
            boardShown = 0;
            namesel* form = openScreen();
            clickRow(form, rowOf(form, QStringLiteral("林")));
            QWidget* target = c.onList ? static_cast<QWidget*>(child<QListWidget>(form, "List1"))
                                       : static_cast<QWidget*>(child<QRadioButton>(form, "Option1_0"));
            target->setFocus();
            QTest::keyClick(target, c.key);
            pump();
            QCOMPARE(boardShown, 1);
            QCOMPARE(reg.currentPupilNo, 2);
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    // Without Tab: the screen opens with the keyboard in the list of names.
    void aPupilAtTheKeyboardStartsInTheNameList()
    {
        namesel* form = openScreen();
        auto* list = child<QListWidget>(form, "List1");
        QCOMPARE(form->focusWidget(), list);
        const int row = rowOf(form, QStringLiteral("林"));
        for (int i = 0; i < row; ++i)
            QTest::keyClick(form->focusWidget(), Qt::Key_Down);
        QTest::keyClick(form->focusWidget(), Qt::Key_Return);
        pump();
        QCOMPARE(boardShown, 1);
        QCOMPARE(reg.currentPupilNo, 2);
    }

    void endStartsTheLauncherWithItsArgument()
    {
#ifdef Q_OS_WIN
        QSKIP("the stand-in launcher is a shell script");
#endif
        // A launcher that writes down how it was started.
        const QString launcherDir = QDir::cleanPath(reg.programFolder + QStringLiteral("../起動"));
        QDir().mkpath(launcherDir);
        const QString marker = inst->path(QStringLiteral("started.txt"));
        const struct {
            const char* file;
            const char* button;
        } cases[] = { { "プログラムメニュー", "Command7" }, { "プログラムメニューc", "Command13" } };
        for (const auto& c : cases) {
            QFile::remove(marker);
            const QString script = launcherDir + QLatin1Char('/') + QString::fromUtf8(c.file);
            QFile f(script);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\n").arg(marker).toUtf8());
            f.close();
            f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
            endCodes.clear();
            resetProgramEnding();
            namesel* form = openScreen();
            click(child<QPushButton>(form, c.button));
            pump(50);
            QCOMPARE(endCodes, QList<int> { 0 });
            for (int i = 0; i < 200 && !QFileInfo::exists(marker); ++i)
                pump(10);
            QFile m(marker);
            QVERIFY2(m.open(QIODevice::ReadOnly), c.file);
            QCOMPARE(m.readAll().trimmed(), QByteArray("001"));
            form->close();
            pump();
        }
    }

    // Closed through its close box the start screen ends the program; leaving it for the board
    // or the editing form does not.
    void closingTheWindowEndsTheProgramButLeavingForAnotherScreenDoesNot()
    {
        enum Way { CloseBox, Ok, NameChange };
        const struct {
            Way way;
            QList<int> ends;
        } cases[] = { { CloseBox, { 0 } }, { Ok, {} }, { NameChange, {} } };
        for (const auto& c : cases) {
            endCodes.clear();
            resetProgramEnding();
            QPointer<namesel> form = openScreen();
            switch (c.way) {
            case CloseBox:
                form->close();
                break;
            case Ok:
                clickRow(form, rowOf(form, QStringLiteral("林")));
                click(child<QPushButton>(form, "Command14"));
                break;
            case NameChange:
                form->findChild<QAction*>(QStringLiteral("menuname"))->trigger();
                break;
            }
            pump();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!form);
            QCOMPARE(endCodes, c.ends);
            if (QWidget* editor = topLevel(QStringLiteral("FrmName2"))) {
                // Back from the editing form; the start screen it shows is closed by its owner.
                click(editor->findChild<QPushButton*>(QStringLiteral("Command2")));
                pump();
                QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QVERIFY(!topLevel(QStringLiteral("FrmName2")));
                QWidget* again = topLevel(QStringLiteral("namesel"));
                QVERIFY(again);
                QCOMPARE(endCodes, c.ends);
                again->close();
                pump();
                QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        }
    }

    void endEndsEvenWithoutALauncher()
    {
        const struct {
            const char* button;
            Qt::Key key;
        } cases[] = { { "Command7", Qt::Key_unknown }, { "Command13", Qt::Key_unknown }, { nullptr, Qt::Key_0 } };
        for (const auto& c : cases) {
            endCodes.clear();
            resetProgramEnding();
            namesel* form = openScreen();
            if (c.button)
                click(child<QPushButton>(form, c.button));
            else
                QTest::keyClick(child<QListWidget>(form, "List1"), c.key);
            pump();
            QCOMPARE(endCodes, QList<int> { 0 });
            form->close();
            pump();
        }
    }

    void aMissingRosterIsRestoredFromItsTemporaryCopy()
    {
        QFile::rename(rosterFileName(), rosterTempFileName());
        namesel* form = openScreen();
        QVERIFY(QFileInfo::exists(rosterFileName()));
        QVERIFY(!QFileInfo::exists(rosterTempFileName()));
        QCOMPARE(rows(form).size(), 5);
        QVERIFY2(fake->messages.texts.isEmpty(), qPrintable(fake->messages.texts.join(QLatin1Char('|'))));
    }

    void withBothRosterFilesMissingTheListIsEmptyAndEndStillWorks()
    {
        QFile::remove(rosterFileName());
        namesel* form = openScreen();
        QVERIFY(form);
        QCOMPARE(rows(form), QStringList { QStringLiteral("－－－－－－") });
        QCOMPARE(fake->messages.texts.size(), 1);
        QVERIFY(fake->messages.texts[0].contains(QStringLiteral("生徒用名簿.txt")));
        QVERIFY(fake->messages.texts[0].contains(QStringLiteral("生徒用名簿temp.txt")));
        QVERIFY(endCodes.isEmpty());
        // Becoming active again does not repeat the message.
        form->Form_Activate();
        pump();
        QCOMPARE(fake->messages.texts.size(), 1);
        click(child<QPushButton>(form, "Command7"));
        pump();
        QCOMPARE(endCodes, QList<int> { 0 });
    }

    void aRosterThatStaysUnreadableEndsTheProgramAfterSixTries()
    {
        rosterRefused = true;
        namesel* form = openScreen();
        pump(50);
        QCOMPARE(fake->messages.texts.size(), 1);
        const QString text = fake->messages.texts[0];
        QVERIFY2(text.startsWith(QStringLiteral("名簿表示3")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("生徒用名簿.txt: ファイルを読めません")), qPrintable(text));
        QCOMPARE(fake->messages.icons, QList<platform::MessageIcon> { platform::MessageIcon::Error });
        QCOMPARE(endCodes, QList<int> { 1 });
        if (form)
            QCOMPARE(form->stageMarker(), 3.0);
    }

    void aRosterFreedDuringTheRetriesIsRead()
    {
        rosterRefused = true;
        namesel::setRetryWaitMilliseconds(100);
        QTimer::singleShot(150, [this] { rosterRefused = false; });
        namesel* form = openScreen();
        QVERIFY(fake->messages.texts.isEmpty());
        QVERIFY(endCodes.isEmpty());
        QCOMPARE(rows(form).size(), 5);
    }

    // A record with a number the tables cannot hold and a line that cannot be parsed are named
    // once, in one notice with their lines, and left out; the others are listed at once and the
    // program goes on (no retry). A quoted number is a number.
    void linesThatCannotBeListedAreNamedOnceInOneNoticeAndLeftOut()
    {
        inst->writeText(QStringLiteral("files/生徒用名簿.txt"),
            kRoster
                + QStringLiteral("6000,2010,0,0,\"番号外\",0,\"\",\"\"\n\"7\",2010,0,0,\"引用\",0,\"\",\"\"\n"
                                 "8,2010,0,0,\"七つ\",0,\"\"\n"));
        namesel* form = openScreen();
        pump();
        QCOMPARE(fake->messages.texts.size(), 1);
        const QString notice = fake->messages.texts[0];
        QVERIFY2(notice.contains(QStringLiteral("生徒用名簿.txt")), qPrintable(notice));
        QVERIFY2(notice.contains(QStringLiteral("\n6 行目: 番号 6000")), qPrintable(notice));
        QVERIFY2(notice.contains(QStringLiteral("\n8 行目: 1行に8つの値")), qPrintable(notice));
        QVERIFY2(!notice.contains(QStringLiteral("名簿表示")), qPrintable(notice));
        QVERIFY(endCodes.isEmpty());
        QCOMPARE(rows(form).size(), 6); // the separator, four listed pupils and the quoted one
        QVERIFY(rowOf(form, QStringLiteral("引用")) > 0);
        QCOMPARE(rowOf(form, QStringLiteral("番号外")), -1);
        form->Form_Activate();
        pump();
        QCOMPARE(fake->messages.texts.size(), 1);
    }

    // A pupil who switches the statistics while the list is still being built must get the
    // list he chose, not the one that was being built.
    void aChoiceMadeWhileTheListIsBuiltIsHonoured()
    {
        namesel* form = openScreen();
        rosterRefused = true;
        namesel::setRetryWaitMilliseconds(60);
        QTimer::singleShot(30, form, [&] { click(child<QRadioButton>(form, "Option1_2")); });
        QTimer::singleShot(150, [this] { rosterRefused = false; });
        click(child<QRadioButton>(form, "Option1_0"));
        pump();
        QCOMPARE(form->displayMode(), 2);
        QVERIFY(child<QRadioButton>(form, "Option1_2")->isChecked());
        // Mode 2 without results: today's points, then today's attempts.
        QCOMPARE(rows(form).at(rowOf(form, QStringLiteral("青木"))),
            QStringLiteral("小1 青木　さくら  ") + I + QStringLiteral("/     "));
        QVERIFY(fake->messages.texts.isEmpty());
    }

    void theGradeChoicesAreOfferedOnceHoweverOftenTheScreenIsActivated()
    {
        namesel* form = openScreen();
        form->Form_Activate();
        form->Form_Activate();
        pump();
        QCOMPARE(child<QComboBox>(form, "Combo1")->count(), 12);
    }

    // The screen refreshes itself (the choice taken back, the roster and the results file read
    // again) as it becomes the program's active screen again after another window of the
    // program, not when it is activated again from another program or by the window manager; a
    // click given before a due refresh has run comes after it. A row per way back.
    void aChosenNameStaysUntilTheScreenComesBackFromAnotherWindow()
    {
        enum Between { AnotherProgram, ABox, AMenu };
        struct Row {
            const char* way;
            Between between;
            bool clickAtOnce; // the name clicked in the same moment the screen becomes active
            bool kept;
        };
        const Row table[] = {
            { "another program", AnotherProgram, false, true },
            { "a box of the program", ABox, false, false },
            { "a box, clicked at once", ABox, true, true },
            { "a menu that popped up", AMenu, false, true },
        };
        for (const Row& row : table) {
            inst->writeText(QStringLiteral("files/生徒用名簿.txt"), kRoster);
            inst->writeBytes(QStringLiteral("カナメル/成績累積データ.dat"), {});
            namesel* form = openScreen();
            QApplication::setActiveWindow(form);
            pump();
            clickRow(form, rowOf(form, QStringLiteral("林")));
            QCOMPARE(child<QLabel>(form, "Label1")->text(), QStringLiteral("小6 林"));
            // Meanwhile another workstation adds a pupil and records an attempt of 林's.
            inst->writeText(
                QStringLiteral("files/生徒用名簿.txt"), kRoster + QStringLiteral("6,2021,0,0,\"新入\",0,\"\",\"\"\n"));
            setLevelConstants();
            reg.currentPupilNo = 2;
            reg.currentLevel = 1;
            reg.attemptResult = 100;
            openResultsFile();
            appendResult();
            QWidget box;
            QMenu menu;
            if (row.between == ABox) {
                box.show();
                QApplication::setActiveWindow(&box);
            } else if (row.between == AMenu) {
                menu.addAction(QStringLiteral("目次"));
                menu.show();
                QApplication::setActiveWindow(&menu);
            } else {
                QApplication::setActiveWindow(nullptr);
            }
            pump();
            QApplication::setActiveWindow(form);
            if (row.clickAtOnce)
                clickRow(form, rowOf(form, QStringLiteral("林")));
            pump();
            QCOMPARE(child<QLabel>(form, "Label1")->text(),
                row.kept ? QStringLiteral("小6 林") : QStringLiteral("名前を選びなさい"));
            const bool refreshed = row.between == ABox;
            QVERIFY2((rowOf(form, QStringLiteral("新入")) > 0) == refreshed, row.way);
            QVERIFY2((rows(form).at(rowOf(form, QStringLiteral("林"))).mid(9) != kNoResults) == refreshed, row.way);
            closeAllForms();
            resetProgramEnding();
        }
    }

    void theVersionBoxShowsTitleAndVersion()
    {
        namesel* form = openScreen();
        QString title, version;
        QPoint offset;
        QTimer::singleShot(50, [&] {
            QWidget* box = topLevel(QStringLiteral("VersionBox"));
            if (!box)
                return;
            title = box->findChild<QLabel*>(QStringLiteral("Label1"))->text();
            version = box->findChild<QLabel*>(QStringLiteral("Label2"))->text();
            offset = box->frameGeometry().topLeft() - form->frameGeometry().topLeft();
            click(box->findChild<QPushButton*>(QStringLiteral("Command1")));
        });
        QAction* action = form->findChild<QAction*>(QStringLiteral("menuspt"));
        QVERIFY(action);
        action->trigger();
        QCOMPARE(title, reg.drillSetTitle);
        QCOMPARE(version, QStringLiteral("Version") + QStringLiteral(KANAMERU_VERSION));
        QVERIFY(QRegularExpression(QStringLiteral("^Version\\d+\\.\\d+\\.\\d+$")).match(version).hasMatch());
        QCOMPARE(offset, QPoint((1024 - 360) / 2, (768 - 200) / 2));
        QVERIFY(!topLevel(QStringLiteral("VersionBox")));
    }

    // The last help entry opens the README an install puts beside the program; without one, or
    // on a desktop with no program to open it, a message names the file.
    void theLastHelpEntryOpensTheInstalledReadme()
    {
        namesel* form = openScreen();
        QAction* action = form->findChild<QAction*>(QStringLiteral("menuweb"));
        QVERIFY(action);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
        const QString readme = reg.programFolder + QStringLiteral("README.md");
        action->trigger();
        QCOMPARE(fake->messages.texts.size(), 1);
        QVERIFY2(fake->messages.texts[0].contains(readme), qPrintable(fake->messages.texts[0]));
        QFile file(readme);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        action->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(openedUrls, QList<QUrl> { QUrl::fromLocalFile(readme) });
        QCOMPARE(fake->messages.texts.size(), 1);
        // The offscreen desktop has no program to open a file with, as a desktop without a URL
        // launcher.
        action->trigger();
        QCOMPARE(fake->messages.texts.size(), 2);
        QVERIFY2(fake->messages.texts[1].startsWith(QStringLiteral("説明書を開くプログラムが見つからない")),
            qPrintable(fake->messages.texts[1]));
        QVERIFY2(fake->messages.texts[1].endsWith(u'\n' + readme), qPrintable(fake->messages.texts[1]));
        QCOMPARE(openedUrls.size(), 1);
    }

    void aSecondInstanceIsRefused()
    {
        const QString key = keyDir.filePath(QStringLiteral("shared-program"));
        const QString ready = keyDir.filePath(QStringLiteral("ready"));
        QProcess other;
        other.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--hold-instance"), key, ready });
        QVERIFY(other.waitForStarted(testing_support::kWaitMs));
        for (int i = 0; i < 500 && !QFileInfo::exists(ready); ++i)
            QThread::msleep(10);
        QVERIFY(QFileInfo::exists(ready));

        namesel::setInstanceKey(key);
        QVERIFY(!namesel::open());
        pump();
        QCOMPARE(fake->messages.titles, QStringList { QStringLiteral("注意") });
        QCOMPARE(fake->messages.icons, QList<platform::MessageIcon> { platform::MessageIcon::Error });
        QCOMPARE(fake->messages.texts.value(0),
            QStringLiteral("このプログラムと同じプログラムがすでに起動され、完全に終了されていません。"
                           "同じプログラムを完全に終了させてから実行してください。"));
        QCOMPARE(endCodes, QList<int> { 1 });
        QVERIFY(!topLevel(QStringLiteral("namesel")));

        // Once the other copy has ended, the program starts.
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished(testing_support::kWaitMs));
        QCOMPARE(other.exitCode(), 0);
        QVERIFY(namesel::open());
    }

    void aNameChangedInTheEditingFormAppearsOnTheStartScreen()
    {
        QPointer<namesel> form = openScreen();
        // Through the menu's access keys: Alt+F opens "file", N chooses "名前の変更".
        QTest::keyClick(form, Qt::Key_F, Qt::AltModifier);
        auto* menu = form->findChild<QMenu*>(QStringLiteral("menufile"));
        QVERIFY(menu);
        WAIT_VERIFY(menu->isVisible());
        QTest::keyClick(menu, Qt::Key_N);
        pump();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!form);
        auto* editor = qobject_cast<FrmName2*>(topLevel(QStringLiteral("FrmName2")));
        QVERIFY(editor);
        QCOMPARE(editor->rowCount(), 3);
        auto* name2 = editor->findChild<QLineEdit*>(QStringLiteral("Text1_2"));
        QCOMPARE(name2->text().trimmed(), QStringLiteral("林"));
        name2->selectAll();
        // Japanese is typed through the input method, which commits the converted text.
        name2->setFocus();
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("森"));
        QApplication::sendEvent(name2, &typed);
        auto* year2 = editor->findChild<QLineEdit*>(QStringLiteral("Text2_2"));
        QVERIFY(!year2->testAttribute(Qt::WA_InputMethodEnabled));
        click(editor->findChild<QPushButton*>(QStringLiteral("Command1")));
        pump();
        QVERIFY(fake->messages.texts.isEmpty());
        click(editor->findChild<QPushButton*>(QStringLiteral("Command2")));
        pump();
        auto* again = qobject_cast<namesel*>(topLevel(QStringLiteral("namesel")));
        QVERIFY(again);
        QVERIFY(rowOf(again, QStringLiteral("小6 森")) > 0);
        QCOMPARE(rowOf(again, QStringLiteral("林")), -1);
    }
};

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--hold-instance") == 0) {
        // The other copy of the program: holds the lock until its input is closed.
        QCoreApplication app(argc, argv);
        platform::SingleInstance instance(QString::fromLocal8Bit(argv[2]));
        if (!instance.acquire())
            return 3;
        QFile ready(QString::fromLocal8Bit(argv[3]));
        if (!ready.open(QIODevice::WriteOnly))
            return 4;
        ready.close();
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return 5;
        in.readAll();
        return 0;
    }
    testing_support::limitMemory();
    platform::Application app(argc, argv);
    NameselTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "namesel_test.moc"
