// Start-up as a teacher sees it: a sound installation opens the start screen; a broken one
// shows a message naming the file and ends in order without opening any screen.
#include "app/startprogram.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/fakes.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/installation.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <csignal>

using namespace kanameru;
using namespace testing_support;

class StartProgramTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { closeAllForms(); }

    void opensTheStartScreenOnASoundInstallation()
    {
        FakePlatform fake;
        TestInstallation inst;
        inst.writeText(QStringLiteral("files/新音ファイル.txt"), QStringLiteral("正解音1,ピン,ポン,*\n"));
        QCOMPARE(startProgram(inst.exeDir()), 0);
        pump();
        QWidget* form = topLevel(QStringLiteral("namesel"));
        QVERIFY(form);
        QCOMPARE(form->size(), QSize(1024, 768));
        QCOMPARE(reg.formBackColour, 0x008080u);
        QVERIFY(fake.messages.texts.isEmpty());
        // The sound map is read from the sound folder the settings resolved.
        QCOMPARE(reg.soundFolder, inst.soundFolder());
        QCOMPARE(reg.soundTable[1][1], QStringLiteral("ピン"));
        QCOMPARE(reg.soundTable[21][1], QStringLiteral("2"));
    }

    // A file size limit reached while recording must give a write error the program reports,
    // not kill it without a word: start-up ignores the signal before anything is read.
    void ignoresTheFileSizeLimitSignalFromTheStart()
    {
#ifdef SIGXFSZ
        FakePlatform fake;
        TestInstallation inst;
        QFile::remove(inst.path(QStringLiteral("カナメル/設定.txt")));
        std::signal(SIGXFSZ, SIG_DFL);
        QVERIFY(startProgram(inst.exeDir()) != 0);
        pump();
        QVERIFY(std::signal(SIGXFSZ, SIG_DFL) == SIG_IGN);
#else
        QSKIP("Windows has no file size limit signal");
#endif
    }

    void failsInOrderNamingTheFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("contents"); // empty: the file is removed
        QTest::newRow("settings missing") << QStringLiteral("カナメル/設定.txt") << QString();
        QTest::newRow("common data short") << QStringLiteral("files/共通データ.txt") << QStringLiteral("4,\"塾\"\n");
        QTest::newRow("level target not a number")
            << QStringLiteral("カナメル/タイム回数データ.txt") << QStringLiteral("x,1,1,1,1,1,1,1,1,1,1,1\n");
    }

    void failsInOrderNamingTheFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, contents);
        FakePlatform fake;
        TestInstallation inst;
        if (contents.isEmpty())
            QFile::remove(inst.path(file));
        else
            inst.writeText(file, contents);
        QVERIFY(startProgram(inst.exeDir()) != 0);
        pump();
        QCOMPARE(fake.messages.texts.size(), 1);
        QVERIFY2(
            fake.messages.texts[0].contains(file.section(QLatin1Char('/'), -1)), qPrintable(fake.messages.texts[0]));
        QVERIFY(!topLevel(QStringLiteral("namesel")));
    }
};

KANAMERU_FORM_TEST_MAIN(StartProgramTest)
#include "startprogram_test.moc"
