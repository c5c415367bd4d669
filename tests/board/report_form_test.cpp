// The per-pupil view of the board: the own attempt list, the graph on the screen, another
// pupil's report, and the report printed to a PDF file. Set KANAMERU_SHOTS to keep pictures.
#include "board/seisekitime1.h"
#include "boardschool.h"
#include "drill/questiontable.h"
#include "review/eventrecord.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/waits.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace kanameru;
using board_testing::BoardSchool;
using testing_support::click;
using testing_support::pump;

namespace {

const QDate kToday = testing_support::kFakeNow.date();

template <class T> T* find(QWidget* form, const QString& name)
{
    T* w = form->findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), path, QStringLiteral("-") });
    p.waitForFinished(testing_support::kWaitMs);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class ReportFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<BoardSchool> school;
    QPointer<seisekitime1> board;

    seisekitime1* openBoard()
    {
        board = seisekitime1::open();
        for (int i = 0; i < 100 && board && !board->activated(); ++i)
            pump(5);
        if (!board || !board->activated())
            qFatal("the board did not activate");
        return board;
    }
    // Times of pupil 1 at level 1 in stored order: new bests at 100, 90 and 60.
    void addSeries()
    {
        const int times[] = { 100, 120, 90, 95, 60 };
        for (int i = 0; i < 5; ++i)
            school->addResult(1, 1, times[i], kToday.addDays(i - 5), QTime(9, 5 + i));
        school->addResult(2, 1, 50, kToday.addDays(-1));
        school->addResult(1, 2, 99999, kToday.addDays(-2));
    }

private Q_SLOTS:
    void init()
    {
        school = std::make_unique<BoardSchool>(std::initializer_list<board_testing::Pupil> {
            { 1, 2015, "山田太郎" }, { 2, 2015, "鈴木一郎" }, { 12, 2012, "佐藤花子" } });
    }
    void cleanup()
    {
        if (board)
            delete board.data();
        school.reset();
    }

    void theGraphIsClearedWhenNoLevelIsChosen()
    {
        addSeries();
        school->load(1);
        seisekitime1* form = openBoard();
        click(find<QRadioButton>(form, QStringLiteral("Option2_2")));
        click(find<QPushButton>(form, QStringLiteral("Command17")));
        QListWidget* levels = find<QListWidget>(form, QStringLiteral("List3"));
        // The pupil clicks the three chosen levels away; each click draws the report anew.
        for (int row = 0; row < 3; ++row) {
            QListWidgetItem* item = levels->item(row);
            QTest::mouseClick(levels->viewport(), Qt::LeftButton, {}, levels->visualItemRect(item).center());
        }
        QVERIFY(levels->selectedItems().isEmpty());
        const QImage picture = form->reportPicture();
        QVERIFY(!picture.isNull());
        for (int y = 0; y < picture.height(); y += 7)
            for (int x = 0; x < picture.width(); x += 7)
                QCOMPARE(picture.pixelColor(x, y), QColor(Qt::white));
    }

    void ownTimesListThePupilsAttemptsWithDateAndTime()
    {
        addSeries();
        school->load(1);
        seisekitime1* form = openBoard();
        click(find<QRadioButton>(form, QStringLiteral("Option2_2")));
        QCOMPARE(find<QLabel>(form, QStringLiteral("Label5"))->text(), QStringLiteral("個人別ﾀｲﾑ"));
        QVERIFY(find<QPushButton>(form, QStringLiteral("Command17"))->isVisible());
        QListWidget* list = find<QListWidget>(form, QStringLiteral("List5_1"));
        QCOMPARE(list->count(), 5);
        QCOMPARE(list->item(0)->text(), QStringLiteral("2026/12/02 9:05:00 100秒"));
        QListWidget* second = find<QListWidget>(form, QStringLiteral("List5_2"));
        QCOMPARE(second->count(), 1);
        QCOMPARE(second->item(0)->text(), QStringLiteral("2026/12/05 9:30:00"));
        QVERIFY(find<QPushButton>(form, QStringLiteral("Command1"))->isEnabled());
    }

    void theGraphShowsNewBestsInRedAndOtherAttemptsInBlue()
    {
        addSeries();
        school->load(1);
        seisekitime1* form = openBoard();
        click(find<QRadioButton>(form, QStringLiteral("Option2_2")));
        click(find<QPushButton>(form, QStringLiteral("Command17")));
        QVERIFY(find<QWidget>(form, QStringLiteral("Picture11"))->isVisible());
        QCOMPARE(form->reportPupilNo(), 1);
        QListWidget* levels = find<QListWidget>(form, QStringLiteral("List3"));
        QCOMPARE(levels->selectedItems().size(), 3);
        QVERIFY(!find<QListWidget>(form, QStringLiteral("List2"))->isVisible());
        const QImage picture = form->reportPicture();
        QVERIFY(!picture.isNull());
        // The first section starts at 0.05 of the height; attempt k of 5 stands at
        // x = W/2 (0.2 + 0.7 k/5), y = top + H/3 (0.8 - 0.7 t/200).
        const int times[] = { 100, 120, 90, 95, 60 };
        const bool red[] = { true, false, true, false, true };
        const double w = picture.width(), h = picture.height();
        for (int k = 1; k <= 5; ++k) {
            const int x = static_cast<int>(w / 2 * (0.2 + 0.7 * k / 5));
            const int y = static_cast<int>(h * 0.05 + h / 3 * (0.8 - 0.7 * times[k - 1] / 200.0));
            const QColor c = picture.pixelColor(x, y);
            QCOMPARE(c, red[k - 1] ? QColor(0xFF, 0, 0) : QColor(0, 0, 0xFF));
        }
        // The other pupil's faster time (50 s) is no point of this graph.
        const int otherY = static_cast<int>(h * 0.05 + h / 3 * (0.8 - 0.7 * 50 / 200.0));
        int coloured = 0;
        for (int x = 0; x < picture.width() / 2; ++x)
            coloured += picture.pixelColor(x, otherY) == QColor(0xFF, 0, 0)
                || picture.pixelColor(x, otherY) == QColor(0, 0, 0xFF);
        QCOMPARE(coloured, 0);
        const QByteArray dir = qgetenv("KANAMERU_SHOTS");
        if (!dir.isEmpty())
            form->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/report-screen.png"));

        click(find<QPushButton>(form, QStringLiteral("Command18")));
        QVERIFY(!find<QWidget>(form, QStringLiteral("Picture11"))->isVisible());
    }

    void anotherPupilIsChosenByTheNumberAfterTheLastSlash()
    {
        addSeries();
        school->load(1);
        seisekitime1* form = openBoard();
        click(find<QRadioButton>(form, QStringLiteral("Option2_2")));
        click(find<QPushButton>(form, QStringLiteral("Command17")));
        click(find<QPushButton>(form, QStringLiteral("Command25")));
        QListWidget* pupils = find<QListWidget>(form, QStringLiteral("List2"));
        QVERIFY(pupils->isVisible());
        QCOMPARE(pupils->count(), 3);
        QCOMPARE(pupils->item(2)->text(), QStringLiteral("中２ /  佐藤花子/12"));
        QTest::mouseClick(
            pupils->viewport(), Qt::LeftButton, Qt::NoModifier, pupils->visualItemRect(pupils->item(2)).center());
        QCOMPARE(form->reportPupilNo(), 12);
        // Pupil 12 has no attempts: no red or blue point anywhere.
        const QImage picture = form->reportPicture();
        for (int y = 0; y < picture.height(); y += 2)
            for (int x = 0; x < picture.width() / 2; x += 2) {
                const QColor c = picture.pixelColor(x, y);
                QVERIFY(c != QColor(0xFF, 0, 0) && c != QColor(0, 0, 0xFF));
            }
    }

    void theReportPrintsToAPdfWithItsRowsAndANewPageForTheFourthLevel()
    {
        addSeries();
        school->load(1);
        reg.levelCount = 4;
        reg.currentPupilName = QStringLiteral("田中先生");
        // Pupil 1 put two events of level 1 the wrong way round: the line under his graph of
        // level 1 names them.
        const QStringList bank { QStringLiteral("1,1853,江戸,,,ペリーが来航,,黒船が来る"),
            QStringLiteral("1,1868,明治,,,ぼしん戦争,,旧幕府軍と新政府軍の戦い"),
            QStringLiteral("1,1872,明治,,,鉄道の開通,,新橋と横浜") };
        QVERIFY(!writeStoredQuestionFile(
            storedQuestionFileName(reg.appFolder + questionFileName()), bank, QStringLiteral("questions.csv")));
        review::JudgementRecord judged;
        judged.recordDate = platform::dayCount(kToday) - 2;
        judged.pupilNo = 1;
        judged.level = 1;
        judged.phase = review::Phase::Order;
        for (int i = 0; i < 5; ++i)
            judged.rows[i] = { review::eventId(QStringLiteral("%1").arg(1853 + i), QStringLiteral("x")), false };
        judged.rows[0] = { review::eventId(QStringLiteral("1868"), QStringLiteral("ぼしん戦争")), true, -1, 0b10 };
        judged.rows[1] = { review::eventId(QStringLiteral("1853"), QStringLiteral("ペリーが来航")), true, -1, 0b01 };
        school->installation.writeBytes(QStringLiteral("カナメル/") + review::eventsFileName(), judged.toBytes());
        QTemporaryDir out;
        const std::function<bool(QPrinter&)> dialog = seisekitime1::choosePrinter();
        const QString pdf = out.filePath(QStringLiteral("report.pdf"));
        QString docName; // the print dialog's PDF is named after it
        seisekitime1::choosePrinter() = [&](QPrinter& printer) {
            docName = printer.docName();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        seisekitime1* form = openBoard();
        QVERIFY(!find<QPushButton>(form, QStringLiteral("Command24_1"))->isHidden());
        click(find<QRadioButton>(form, QStringLiteral("Option2_2")));
        click(find<QPushButton>(form, QStringLiteral("Command17")));
        QListWidget* levels = find<QListWidget>(form, QStringLiteral("List3"));
        levels->item(3)->setSelected(true);
        click(find<QPushButton>(form, QStringLiteral("Command21_1")));
        QVERIFY(QFileInfo::exists(pdf));
        QCOMPARE(docName, QStringLiteral("個人成績表"));
#ifdef Q_OS_WIN
        QSKIP("pdftotext, which reads the PDF back, is a Linux program");
#endif
        const QString text = pdfText(pdf);
        // (The text layer maps some kanji to look-alike radicals, so the rows are checked by their kana.)
        for (const char* row : { "回数", "タイム", "順位", "ポイント", "獲得ポイント", "全平均", "カナメル ﾚﾍﾞﾙ4",
                 "えやすい", "ぼしん", "ペリーが来航" })
            QVERIFY2(text.contains(QString::fromUtf8(row)), qPrintable(text));
        QCOMPARE(text.count(QLatin1Char('\f')), 2); // two pages
        const QByteArray dir = qgetenv("KANAMERU_SHOTS");
        if (!dir.isEmpty())
            QProcess::execute(QStringLiteral("pdftoppm"),
                { QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"), pdf,
                    QString::fromLocal8Bit(dir) + QStringLiteral("/report-pdf") });
        // On the screen the fourth level stands alone on a cleared picture.
        click(find<QPushButton>(form, QStringLiteral("Command21_0")));
        const QImage picture = form->reportPicture();
        int marks = 0;
        for (int y = static_cast<int>(picture.height() * 0.36); y < picture.height(); y += 2)
            for (int x = 0; x < picture.width(); x += 2)
                marks += picture.pixelColor(x, y) != QColor(Qt::white);
        QCOMPARE(marks, 0);
        seisekitime1::choosePrinter() = dialog;
    }
};

KANAMERU_FORM_TEST_MAIN(ReportFormTest)
#include "report_form_test.moc"
