#include "roster/frmname2.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "startup/textfile.h"
#include "support/fakes.h"
#include "support/filesizelimit.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/installation.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace kanameru;
using namespace testing_support;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class FrmName2Test : public QObject {
    Q_OBJECT

    std::unique_ptr<FakePlatform> fake;
    std::unique_ptr<TestInstallation> inst;
    int startScreenShown = 0;

    void writeRoster(const QString& text) { inst->writeText(QStringLiteral("files/生徒用名簿.txt"), text); }
    QLineEdit* box(FrmName2* form, const char* name, int i)
    {
        return form->findChild<QLineEdit*>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
    }
    void type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        // Japanese arrives from the input method as committed text; digits are typed.
        QInputMethodEvent typed;
        typed.setCommitString(text);
        QApplication::sendEvent(edit, &typed);
    }
    void press(FrmName2* form, const char* button)
    {
        click(form->findChild<QPushButton*>(QLatin1String(button)));
        pump();
    }

private Q_SLOTS:
    void init()
    {
        fake = std::make_unique<FakePlatform>();
        inst = std::make_unique<TestInstallation>();
        inst->load();
        startScreenShown = 0;
        screens().showNameSelection = [this] { ++startScreenShown; };
    }
    void cleanup()
    {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget* w : windows)
            w->close();
        pump();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        fake.reset();
        inst.reset();
    }

    void showsTheFirstThreeRecordsWithTheirCaptions()
    {
        writeRoster(QStringLiteral("1,2010,0,0,\"一郎\",0,\"\",\"\"\n2,2011,0,0,\"二郎\",1,\"\",\"\"\n"
                                   "3,2012,0,0,\"三郎\",0,\"\",\"\"\n4,2013,0,0,\"四郎\",0,\"\",\"\"\n"));
        FrmName2* form = FrmName2::open();
        pump();
        QCOMPARE(form->rowCount(), 3);
        const QStringList names { QStringLiteral("一郎"), QStringLiteral("二郎"), QStringLiteral("三郎") };
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(box(form, "Text1", i)->text(), names[i - 1]);
            QCOMPARE(box(form, "Text2", i)->text(), QString::number(2009 + i));
            QVERIFY(box(form, "Text1", i)->isVisible());
        }
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Label4"))->text(), QStringLiteral("名前変更"));
        QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Label3"))->text(),
            QStringLiteral("※生まれた年は早生まれの場合は1年引いてください"));
        QVERIFY(box(form, "Text1", 1)->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(!box(form, "Text2", 1)->testAttribute(Qt::WA_InputMethodEnabled));
    }

    // A teacher who clicks behind a name and adds to it must find the whole name written.
    void textAddedAtTheEndOfANameIsKept()
    {
        writeRoster(QStringLiteral("1,2010,0,0,\"山田\",0,\"\",\"\"\n"));
        FrmName2* form = FrmName2::open();
        pump();
        QLineEdit* name = box(form, "Text1", 1);
        QTest::mouseClick(name, Qt::LeftButton, Qt::NoModifier, QPoint(name->width() - 5, name->height() / 2));
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("花子"));
        QApplication::sendEvent(name, &typed);
        press(form, "Command1");
        Result<QList<RosterRecord>> after = readRosterRecords(rosterFileName());
        QVERIFY(after.ok());
        QCOMPARE(after->at(0).name, fixedText(QStringLiteral("山田花子"), 20));
    }

    void aShortRosterShowsAndWritesOnlyItsRows()
    {
        writeRoster(QStringLiteral("1,2010,0,0,\"一郎\",0,\"\",\"\"\n"));
        FrmName2* form = FrmName2::open();
        pump();
        QCOMPARE(form->rowCount(), 1);
        QVERIFY(!box(form, "Text1", 2)->isVisible());
        QVERIFY(!box(form, "Text2", 3)->isVisible());
        type(box(form, "Text1", 1), QStringLiteral("一子"));
        press(form, "Command1");
        Result<QList<RosterRecord>> after = readRosterRecords(rosterFileName());
        QVERIFY(after.ok());
        QCOMPARE(after->size(), 1);
        QCOMPARE(after->at(0).name, fixedText(QStringLiteral("一子"), 20));
        QVERIFY(fake->messages.texts.isEmpty());
    }

    void typedValuesAreStoredAndTheFormStaysOpen()
    {
        writeRoster(QStringLiteral("1,2010,0,0,\"一郎\",0,\"\",\"\"\n2,2011,0,0,\"二郎\",0,\"\",\"\"\n"
                                   "3,2012,0,0,\"三郎\",0,\"\",\"\"\n"));
        FrmName2* form = FrmName2::open();
        pump();
        type(box(form, "Text2", 1), QStringLiteral("２０１０"));
        type(box(form, "Text1", 2), QStringLiteral("二子"));
        type(box(form, "Text2", 3), QStringLiteral("2013年"));
        press(form, "Command1");
        QVERIFY(form->isVisible());
        Result<QList<RosterRecord>> after = readRosterRecords(rosterFileName());
        QVERIFY(after.ok());
        QCOMPARE(after->at(0).birthYear, 0); // full-width digits are not a number
        QCOMPARE(after->at(1).name, fixedText(QStringLiteral("二子"), 20));
        QCOMPARE(after->at(2).birthYear, 2013);
        QCOMPARE(after->at(2).name, fixedText(QStringLiteral("三郎"), 20));
    }

    // Names pasted into the box (a cell copied from a spreadsheet brings its line end along) or
    // typed: the box keeps one line of printable text, the roster stays readable with the name
    // that was meant, and what its code page cannot hold is refused with a message.
    void hostileNamesLeaveTheRosterReadable_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::addColumn<QString>("named"); // in the message when refused
        QTest::newRow("spreadsheet cell")
            << QStringLiteral("山田　太郎\r\n") << QStringLiteral("山田　太郎") << QString();
        QTest::newRow("two lines") << QStringLiteral("山田\n太郎") << QStringLiteral("山田太郎") << QString();
        QTest::newRow("tabs") << QStringLiteral("\t山田\t太郎") << QStringLiteral("山田太郎") << QString();
        QTest::newRow("formula after a tab") << QStringLiteral("\t=1+1") << QStringLiteral("=1+1") << QString();
        QTest::newRow("controls") << QStringLiteral("山\x01田\x7f\u0085\u2028花子") << QStringLiteral("山田花子")
                                  << QString();
        QTest::newRow("quote") << QStringLiteral("say \"hi\"") << QStringLiteral("say ＂hi＂") << QString();
        QTest::newRow("too long") << QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二")
                                  << QStringLiteral("一二三四五六七八九十一二三四五六七八九十") << QString();
        QTest::newRow("blanks only") << QStringLiteral(" 　 ") << QString() << QStringLiteral("空白");
        QTest::newRow("a combining mark") << QStringLiteral("Jose\u0301") << QString() << QStringLiteral("U+0301");
        QTest::newRow("emoji") << QStringLiteral("😀山田") << QString() << QStringLiteral("😀");
        QTest::newRow("hangul") << QStringLiteral("김철수") << QString() << QStringLiteral("김");
    }
    void hostileNamesLeaveTheRosterReadable()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, stored);
        QFETCH(QString, named);
        writeRoster(QStringLiteral("1,2010,0,0,\"一郎\",0,\"\",\"\"\n2,2011,0,0,\"二郎\",0,\"\",\"\"\n"));
        const QByteArray before = fileBytes(rosterFileName());
        FrmName2* form = FrmName2::open();
        pump();
        QLineEdit* name = box(form, "Text1", 1);
        QApplication::clipboard()->setText(pasted);
        name->setFocus();
        name->selectAll();
        QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(!name->text().contains(QLatin1Char('\n')) && !name->text().contains(QLatin1Char('\r')));
        QVERIFY(!name->text().contains(QLatin1Char('\t')));
        press(form, "Command1");
        Result<QList<RosterRecord>> after = readRosterRecords(rosterFileName());
        QVERIFY2(after.ok(), qPrintable(after.ok() ? QString() : after.error().message()));
        QCOMPARE(after->size(), 2);
        QCOMPARE(after->at(1).name, fixedText(QStringLiteral("二郎"), 20));
        if (stored.isEmpty()) {
            QCOMPARE(fake->messages.texts.size(), 1);
            QVERIFY2(fake->messages.texts[0].contains(named), qPrintable(fake->messages.texts[0]));
            QCOMPARE(fileBytes(rosterFileName()), before);
            QVERIFY(form->isVisible());
        } else {
            QVERIFY2(fake->messages.texts.isEmpty(), qPrintable(fake->messages.texts.value(0)));
            QCOMPARE(after->at(0).name, fixedText(stored, 20));
        }
    }

    // A roster with lines the form must not touch: a name longer than the box (shown cut and
    // named), odd values, a line that holds no record. Changing only row 1's name writes that
    // name and leaves every other byte of the file as it was; the box takes twenty characters.
    void onlyTheEditedNameIsWrittenAndEveryOtherLineStays()
    {
        const QString longName = QStringLiteral("寿限無寿限無五劫の擦り切れ海砂利水魚の水行末雲来末");
        writeRoster(QStringLiteral("1,2010,0,0,\"一郎\",0,\"\",\"\"\n2,2011,0,0,\"%1\",0,"
                                   "\"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十\",\"\"\n"
                                   "3,2012,007,1.5,\"三郎\",0,\"\",\"\"\n4,2013,0,0,\"七つ\",0,\"\"\n")
                        .arg(longName));
        const QByteArray before = fileBytes(rosterFileName());
        FrmName2* form = FrmName2::open();
        pump();
        QCOMPARE(form->rowCount(), 3);
        QCOMPARE(box(form, "Text1", 2)->text(), longName.left(20));
        QCOMPARE(fake->messages.texts.size(), 1);
        const QString notice = fake->messages.texts[0];
        QVERIFY2(notice.contains(QStringLiteral("2 行目: 名前「%1」は 25 文字").arg(longName)), qPrintable(notice));
        QVERIFY2(notice.contains(QStringLiteral("4 行目: 1行に8つの値")), qPrintable(notice));
        type(box(form, "Text1", 1), QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二"));
        QCOMPARE(box(form, "Text1", 1)->text().size(), 20);
        type(box(form, "Text1", 1), QStringLiteral("一子"));
        press(form, "Command1");
        QCOMPARE(fake->messages.texts.size(), 1);
        const QByteArray after = fileBytes(rosterFileName());
        QCOMPARE(after.left(after.indexOf('\n')),
            *encodeCp932(QStringLiteral("1,2010,0,0,\"一子                  \",0,\"\",\"\"\r")));
        QCOMPARE(after.mid(after.indexOf('\n')), before.mid(before.indexOf('\n')));
    }

    void aYearOutOfRangeIsRefusedWithAMessage()
    {
        writeRoster(QStringLiteral("1,2010,0,0,\"一郎\",0,\"\",\"\"\n2,2011,0,0,\"二郎\",0,\"\",\"\"\n"));
        const QByteArray before = fileBytes(rosterFileName());
        FrmName2* form = FrmName2::open();
        pump();
        type(box(form, "Text1", 1), QStringLiteral("変わらない"));
        type(box(form, "Text2", 2), QStringLiteral("40000"));
        press(form, "Command1");
        QCOMPARE(fake->messages.texts.size(), 1);
        QVERIFY(fake->messages.texts[0].contains(QStringLiteral("40000")));
        QCOMPARE(fileBytes(rosterFileName()), before);
    }

    void aWriteThatFailsIsReportedAndTheOldRosterStays()
    {
        writeRoster(QStringLiteral("1,2010,0,0,\"一郎\",0,\"\",\"\"\n2,2011,0,0,\"二郎\",0,\"\",\"\"\n"
                                   "3,2012,0,0,\"三郎\",0,\"\",\"\"\n"));
        const QByteArray before = fileBytes(rosterFileName());
        FrmName2* form = FrmName2::open();
        pump();
        type(box(form, "Text1", 1), QStringLiteral("書きかけ"));
        {
            FileSizeLimit limit(64);
            KANAMERU_QTEST_NEEDS_SIZE_LIMIT(limit);
            press(form, "Command1");
        }
        QCOMPARE(fake->messages.texts.size(), 1);
        QVERIFY(fake->messages.texts[0].contains(QStringLiteral("変更されていません")));
        QCOMPARE(fileBytes(rosterFileName()), before);
    }

    // Whichever way the form is left, the start screen comes back once: the program never runs
    // on without a window.
    void backShowsTheStartScreenAndCloses()
    {
        const bool byCloseBox[] = { false, true };
        for (bool closeBox : byCloseBox) {
            startScreenShown = 0;
            QPointer<FrmName2> form = FrmName2::open();
            pump();
            if (closeBox)
                form->close();
            else
                press(form, "Command2");
            pump();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(startScreenShown, 1);
            QVERIFY(!form);
        }
    }
};

KANAMERU_FORM_TEST_MAIN(FrmName2Test)
#include "frmname2_test.moc"
