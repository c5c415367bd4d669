// The class sheet printed by a teacher from the board: every listed pupil, several pages, and
// the same figures the board shows each pupil in his own columns.
#include "board/classsheet.h"
#include "board/seisekitime1.h"
#include "boardschool.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"

#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace kanameru;
using board_testing::BoardSchool;
using testing_support::click;
using testing_support::pump;

namespace {

const QDate kToday = testing_support::kFakeNow.date();
constexpr int kPupilCount = 150;
constexpr int kTeacherNo = 777;

// Roster numbers run backwards through the file, so a number is never its listed position.
int numberOf(int k)
{
    return kPupilCount + 1 - k;
}

int pdfPages(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<int>(
        QString::fromLatin1(file.readAll()).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)"))));
}

} // namespace

class ClassSheetFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<BoardSchool> school;
    QPointer<seisekitime1> board;

    seisekitime1* openBoard(int pupil, const QString& name)
    {
        school->load(pupil);
        reg.currentPupilName = name;
        board = seisekitime1::open();
        for (int i = 0; i < 100 && board && !board->activated(); ++i)
            pump(5);
        if (!board || !board->activated())
            qFatal("the board did not activate");
        return board;
    }
    void closeBoard()
    {
        if (board)
            delete board.data();
    }

private Q_SLOTS:
    void init()
    {
        school = std::make_unique<BoardSchool>(std::initializer_list<board_testing::Pupil> {});
        QString roster;
        for (int k = 1; k <= kPupilCount; ++k)
            roster += QStringLiteral("%1,%2,0,0,\"生徒%3\",0,\"\",\"\"\n").arg(numberOf(k)).arg(2011 + k % 4).arg(k);
        roster += QStringLiteral("%1,1980,0,0,\"田中先生\",0,\"\",\"\"\n").arg(kTeacherNo);
        school->installation.writeText(QStringLiteral("files/生徒用名簿.txt"), roster);
        // Attempts spread over the last 40 days, some today and some out of time; every
        // seventh pupil has none.
        quint32 seed = 7;
        auto next = [&seed](quint32 n) { return (seed = seed * 1103515245u + 12345u) / 65536u % n; };
        for (int pupil = 1; pupil <= kPupilCount; ++pupil) {
            if (pupil % 7 == 0)
                continue;
            for (int i = 0; i < 6; ++i) {
                const int level = 1 + static_cast<int>(next(3));
                const int result = next(10) == 0 ? 99999 : 40 + static_cast<int>(next(400));
                school->addResult(pupil, level, result, kToday.addDays(-static_cast<int>(next(40))));
            }
        }
    }
    void cleanup()
    {
        closeBoard();
        school.reset();
    }

    void aTeacherPrintsEveryPupilOverThreePagesWithTheBoardsFigures()
    {
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("sheet.pdf"));
        const std::function<bool(QPrinter&)> dialog = seisekitime1::choosePrinter();
        seisekitime1::choosePrinter() = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        seisekitime1* form = openBoard(kTeacherNo, QStringLiteral("田中先生"));
        QPushButton* button = form->findChild<QPushButton*>(QStringLiteral("classSheetButton"));
        QVERIFY(button && !button->isHidden());
        const QByteArray shots = qgetenv("KANAMERU_SHOTS");
        if (!shots.isEmpty())
            form->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/board-teacher.png"));
        click(button);
        seisekitime1::choosePrinter() = dialog;
        QCOMPARE(pdfPages(pdf), 3); // 150 pupils and the teacher
        if (!shots.isEmpty())
            QFile::copy(pdf, QString::fromLocal8Bit(shots) + QStringLiteral("/classsheet.pdf"));

        const ClassSheet sheet = ClassSheet::build(QStringLiteral("全学年"), kToday);
        QCOMPARE(static_cast<int>(sheet.rows.size()), kPupilCount + 1);
        QCOMPARE(static_cast<int>(sheet.levels.size()), 3);
        closeBoard();

        // Each sampled pupil on his own board sees the figures of his line of the sheet.
        for (const int pupil : { 1, 14, 149 }) {
            const auto row = std::find_if(
                sheet.rows.begin(), sheet.rows.end(), [&](const SheetRow& r) { return r.pupilNo == pupil; });
            QVERIFY(row != sheet.rows.end());
            const int k = kPupilCount + 1 - pupil;
            QCOMPARE(row->name, QStringLiteral("生徒%1").arg(k));
            seisekitime1* own = openBoard(pupil, row->name);
            QVERIFY(own->findChild<QPushButton*>(QStringLiteral("classSheetButton"))->isHidden());
            for (int level = 1; level <= 3; ++level) {
                const SheetFigures& f = row->levels[static_cast<size_t>(level - 1)];
                auto label = [&](const char* name) {
                    return own->findChild<QLabel*>(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(level))
                        ->text();
                };
                QCOMPARE(label("Label15"),
                    f.totalCount == 0 ? QStringLiteral("------")
                                      : QStringLiteral("%1回/%2点").arg(f.totalCount).arg(f.totalPoints));
                QCOMPARE(label("Label14"),
                    f.todayCount == 0 ? QStringLiteral("-----")
                                      : QStringLiteral("%1回/%2点").arg(f.todayCount).arg(f.todayPoints));
                QVERIFY2(
                    label("Label8").endsWith(QStringLiteral("=%1回 / %2点").arg(f.recentCount).arg(f.recentPoints)),
                    qPrintable(label("Label8")));
            }
            closeBoard();
        }
    }
};

KANAMERU_FORM_TEST_MAIN(ClassSheetFormTest)
#include "classsheet_form_test.moc"
