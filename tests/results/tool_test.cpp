// kanameru-results on files written by the program itself.
#include "board/qstringprint.h"
#include "drill/questiontable.h"
#include "platform/clock.h"
#include "results/results.h"
#include "results_testutil.h"
#include "review/eventrecord.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/specialfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QThread>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace kanameru;
using testing_support::FakePlatform;
using testing_support::TestInstallation;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QByteArray rawOut;
    QString err;
};

// Runs a tool; what it writes into a FIFO that the test reads (fifo >= 0) is read meanwhile
// into *fromFifo, as a reader at the other end of the pipe would.
ToolRun runTool(const QStringList& arguments, const QString& program = QStringLiteral(RESULTS_TOOL), int fifo = -1,
    QByteArray* fromFifo = nullptr)
{
    QProcess p;
    p.start(program, arguments);
    ToolRun r;
    auto drain = [&] {
        char buffer[65536];
        for (ssize_t n; fifo >= 0 && (n = ::read(fifo, buffer, sizeof buffer)) > 0;)
            fromFifo->append(buffer, n);
    };
    QElapsedTimer clock;
    clock.start();
    while (!p.waitForFinished(fifo >= 0 ? 20 : 60000) && clock.elapsed() < 60000)
        drain();
    drain();
    if (p.state() != QProcess::NotRunning)
        return r;
    r.exitCode = p.exitCode();
    r.rawOut = p.readAllStandardOutput();
    r.out = decodeCp932(r.rawOut).value_or(QStringLiteral("(not CP932)"));
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

struct Attempt {
    QDateTime when;
    qint16 pupil;
    qint16 level;
    qint32 result;
};

class Tool : public ::testing::Test {
protected:
    // Runs `command` on the installation with --pdf; the pages of the PDF it wrote (-1: none).
    int pdfPages(const QString& command)
    {
        const QString pdf = installation.path(command + QStringLiteral(".pdf"));
        const ToolRun p = runTool({ command, installation.exeDir(), QStringLiteral("--pdf"), pdf });
        EXPECT_EQ(p.exitCode, 0) << p.err.toStdString();
        QFile written(pdf);
        const QByteArray bytes = written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
        return bytes.startsWith("%PDF") ? static_cast<int>(
                   QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)"))))
                                        : -1;
    }

    Tool()
    {
        // Numbered out of file order; pupil 4950 has left (status 1) and keeps his name on his
        // attempts, which a spreadsheet must not take for a formula.
        installation.writeText(QStringLiteral("files/生徒用名簿.txt"),
            QStringLiteral("12,2012,0,0,\"佐藤　花子\",0,\"\",\"\"\n"
                           "3,2013,0,0,\"木村　一郎\",0,\"\",\"\"\n"
                           "4950,2011,0,0,\"=山本\",1,\"\",\"\"\n"));
        installation.load();
        // Target 300 and factor 1 on every level; 28-day recent window, 7-day cap window.
        const Attempt attempts[] = {
            { QDateTime(QDate(2026, 11, 1), QTime(9, 5, 7)), 12, 1, 150 },
            { QDateTime(QDate(2026, 12, 6), QTime(15, 0, 0)), 12, 1, 100 },
            { QDateTime(QDate(2026, 12, 7), QTime(10, 30, 0)), 12, 1, kTimeOut },
            { QDateTime(QDate(2026, 12, 7), QTime(10, 40, 0)), 4950, 2, 320 },
            { QDateTime(QDate(2026, 12, 8), QTime(8, 0, 0)), 12, 1, 60 },
        };
        for (const Attempt& a : attempts) {
            platform.clock.set(a.when);
            reg.currentPupilNo = a.pupil;
            reg.currentLevel = a.level;
            reg.attemptResult = a.result;
            appendResult();
        }
    }
    FakePlatform platform;
    TestInstallation installation;
};

// The tool runs on the real clock: the grade of a birth year today.
QString gradeToday(int birthYear)
{
    return gradeLabel(gradeIndexOf(schoolYearOf(QDate::currentDate(), 4), birthYear));
}

TEST_F(Tool, ExportsTheProgramsFileInCp932WithPointsAndNames)
{
    const ToolRun r = runTool({ QStringLiteral("export"), resultsFilePath() });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.rawOut.contains("\r\n"));
    const QStringList lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QStringLiteral("記録番号,日付,時刻,生徒番号,学年,名前,レベル,レベル名,成績,得点"));
    // (300-150)/300 cubed x 50 + 5 = 11; 100 -> 19; 320 -> 4; 60 -> 30
    const QString hanako = QStringLiteral(",12,%1,佐藤　花子,1,ﾚﾍﾞﾙ1,").arg(gradeToday(2012));
    EXPECT_EQ(lines[1], QStringLiteral("1,2026/11/01,9:05:07") + hanako + QStringLiteral("150,11"));
    EXPECT_EQ(lines[2], QStringLiteral("2,2026/12/06,15:00:00") + hanako + QStringLiteral("100,19"));
    EXPECT_EQ(lines[3], QStringLiteral("3,2026/12/07,10:30:00") + hanako + QStringLiteral("時間切れ,0"));
    EXPECT_EQ(lines[4], QStringLiteral("4,2026/12/07,10:40:00,4950,%1,'=山本,2,ﾚﾍﾞﾙ2,320,4").arg(gradeToday(2011)));
    EXPECT_EQ(lines[5], QStringLiteral("5,2026/12/08,8:00:00") + hanako + QStringLiteral("60,30"));
}

TEST_F(Tool, ExportsTheInstallationWideFileWithTheProgramName)
{
    const ToolRun r = runTool({ QStringLiteral("export"), installationResultsFilePath(), QStringLiteral("--utf8") });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_TRUE(r.rawOut.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = splitLines(QString::fromUtf8(r.rawOut.mid(3)));
    ASSERT_EQ(lines.size(), 5); // pupil 4950 has no installation-wide record
    EXPECT_EQ(lines[0], QStringLiteral("記録番号,プログラム,日付,時刻,生徒番号,学年,名前,レベル,レベル名,成績,得点"));
    EXPECT_EQ(lines[1],
        QStringLiteral("1,カナメル,2026/11/01,9:05:07,12,%1,佐藤　花子,1,ﾚﾍﾞﾙ1,150,11").arg(gradeToday(2012)));
    EXPECT_EQ(
        lines[4], QStringLiteral("4,カナメル,2026/12/08,8:00:00,12,%1,佐藤　花子,1,ﾚﾍﾞﾙ1,60,30").arg(gradeToday(2012)));
}

struct StatsCase {
    const char* date;
    const char* line; // level 1, pupil 12, with his grade on that day
};

TEST_F(Tool, StatsAsOfAGivenDayMatchTheProgramsNumbers)
{
    const StatsCase cases[] = {
        // best, total count/points, recent (28 days), cap (7 days), today
        { "2026/12/07", "1,ﾚﾍﾞﾙ1,12,中2,佐藤　花子,100,2,30,1,19,1,19,0,0" },
        { "2026/12/08", "1,ﾚﾍﾞﾙ1,12,中2,佐藤　花子,60,3,60,2,49,2,49,1,30" },
        { "2026/11/01", "1,ﾚﾍﾞﾙ1,12,中2,佐藤　花子,150,1,11,1,11,1,11,1,11" },
    };
    for (const StatsCase& c : cases) {
        SCOPED_TRACE(c.date);
        const ToolRun r = runTool(
            { QStringLiteral("stats"), installation.root(), QStringLiteral("--date"), QString::fromUtf8(c.date) });
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList lines = splitLines(r.out);
        ASSERT_GE(lines.size(), 2);
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("レベル,レベル名,生徒番号,学年,名前,ベスト,総回数,総得点")));
        EXPECT_EQ(lines[1], QString::fromUtf8(c.line));
    }
    // As of 2026/12/07 the time-out of that morning makes no attempt but lowers nothing.
    const ToolRun r = runTool(
        { QStringLiteral("stats"), installation.exeDir(), QStringLiteral("--date"), QStringLiteral("2026/12/07") });
    const QStringList lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[2], QStringLiteral("2,ﾚﾍﾞﾙ2,4950,中3,'=山本,320,1,4,1,4,1,4,1,4"));
}

// Names a spreadsheet would run as a formula, one pupil each: every CSV of the tool (export,
// stats, the class sheet) keeps them text with a leading apostrophe.
TEST_F(Tool, NamesThatLookLikeFormulasStayTextInEveryCsv)
{
    const struct {
        int pupil;
        const char* name;
        const char* shown;
        bool inSheet;
    } cases[] = {
        { 21, "=山本", "'=山本", true }, { 22, "+山本", "'+山本", true }, { 23, "-山本", "'-山本", true },
        { 24, "@山本", "'@山本", true },
        { 25, "\t=山本", "'=山本", false }, // a tab typed before it is trimmed with the spaces
        { 26, "山本=+-@", "山本=+-@", true }, // only the first character counts
    };
    // A teacher's typo in one line (seven values) leaves only that line's pupil without a name.
    QString roster = QStringLiteral("20,2012,0,0,\"打ち間違い\",0,\"\"\n");
    for (const auto& c : cases)
        roster += QStringLiteral("%1,2012,0,0,\"%2\",0,\"\",\"\"\n").arg(c.pupil).arg(QString::fromUtf8(c.name));
    installation.writeText(QStringLiteral("files/生徒用名簿.txt"), roster);
    platform.clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 0, 0)));
    for (const auto& c : cases) {
        reg.currentPupilNo = static_cast<qint16>(c.pupil);
        reg.currentLevel = 1;
        reg.attemptResult = 100;
        appendResult();
    }
    const QString sheetFile = installation.path(QStringLiteral("sheet.csv"));
    const ToolRun exported = runTool({ QStringLiteral("export"), resultsFilePath() });
    const ToolRun stats = runTool(
        { QStringLiteral("stats"), installation.root(), QStringLiteral("--date"), QStringLiteral("2026/12/08") });
    const ToolRun sheet = runTool({ QStringLiteral("sheet"), installation.root(), QStringLiteral("--date"),
        QStringLiteral("2026/12/08"), QStringLiteral("--csv"), sheetFile });
    for (const ToolRun* r : { &exported, &stats, &sheet })
        ASSERT_EQ(r->exitCode, 0) << r->err.toStdString();
    QFile sheetBytes(sheetFile);
    ASSERT_TRUE(sheetBytes.open(QIODevice::ReadOnly));
    const QStringList sheetLines = splitLines(decodeCp932(sheetBytes.readAll()).value_or(QString()));
    // The cell of a pupil's name in the line that starts with his number (the stats line of level 1).
    auto nameCell = [](const QStringList& lines, const QString& start, int column) {
        for (const QString& line : lines)
            if (line.startsWith(start))
                return line.split(QLatin1Char(',')).value(column);
        return QStringLiteral("(no line)");
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString shown = QString::fromUtf8(c.shown);
        const QString number = QString::number(c.pupil);
        QString exportedName = QStringLiteral("(no line)");
        for (const QString& line : splitLines(exported.out)) {
            if (line.split(QLatin1Char(',')).value(3) == number)
                exportedName = line.split(QLatin1Char(',')).value(5);
        }
        EXPECT_EQ(exportedName, shown);
        EXPECT_EQ(nameCell(splitLines(stats.out), QStringLiteral("1,ﾚﾍﾞﾙ1,%1,").arg(number), 4), shown);
        if (c.inSheet) {
            EXPECT_EQ(nameCell(sheetLines, number + QLatin1Char(','), 2), shown);
        }
    }
}

// The class sheet's pass mark of a level, on the edge of both conditions: pupil 12 has 2
// attempts for 49 points on level 1 in the recent window as of 12/08, pupil 3 none.
TEST_F(Tool, TheSheetMarksALevelClearedOnlyWhenBothItsPointsAndItsAttemptsAreReached)
{
    const struct {
        const char* condition; // points and attempts to clear every level
        const char* mark;
        const char* clearedLevels;
    } cases[] = {
        { "49,2", "○", "1" }, // both reached exactly
        { "50,2", "", "0" }, // one point short
        { "49,3", "", "0" }, // one attempt short
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.condition);
        installation.writeLevels(QStringLiteral("300,240,%1,1,0,0,28,7,0,0,0").arg(QString::fromUtf8(c.condition)));
        const ToolRun r = runTool(
            { QStringLiteral("sheet"), installation.root(), QStringLiteral("--date"), QStringLiteral("2026/12/08") });
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList lines = splitLines(r.out);
        ASSERT_EQ(lines.size(), 3);
        const QStringList header = lines[0].split(QLatin1Char(','));
        const qsizetype level1 = header.indexOf(QStringLiteral("ﾚﾍﾞﾙ1 合格"));
        const qsizetype total = header.indexOf(QStringLiteral("合計 合格"));
        ASSERT_GT(level1, 0);
        ASSERT_GT(total, 0);
        const QStringList hanako = lines[1].split(QLatin1Char(','));
        const QStringList ichiro = lines[2].split(QLatin1Char(','));
        ASSERT_EQ(hanako.value(0), QStringLiteral("12"));
        EXPECT_EQ(hanako.value(level1), QString::fromUtf8(c.mark));
        EXPECT_EQ(hanako.value(total), QString::fromUtf8(c.clearedLevels));
        EXPECT_EQ(ichiro.value(level1), QString());
        EXPECT_EQ(ichiro.value(total), QStringLiteral("0"));
    }
}

// As of a past day the window is the last 20000 records of the file as it stood that day,
// not of the file as it stands now.
TEST_F(Tool, StatsOfAPastDayReadTheWindowOfThatDay)
{
    const double oct1 = platform::dayCount(QDate(2026, 10, 1));
    const double nov1 = platform::dayCount(QDate(2026, 11, 1));
    const double nov2 = platform::dayCount(QDate(2026, 11, 2));
    const double dec8 = platform::dayCount(QDate(2026, 12, 8));
    std::vector<ResultRecord> records;
    for (int i = 0; i < 5; ++i)
        records.push_back(results_test::record(oct1, 7, 3, 50));
    for (int i = 0; i < kResultsReadWindow - 5; ++i)
        records.push_back(results_test::record(nov1, 7, 3, 200));
    for (int i = 0; i < 5; ++i)
        records.push_back(results_test::record(nov2, 7, 3, 200, 0)); // the first moment after 2026/11/01
    for (int i = 0; i < 5; ++i)
        records.push_back(results_test::record(dec8, 7, 3, 200));
    results_test::writeFile(resultsFilePath(), results_test::bytesOf(records));

    const struct {
        const char* date;
        const char* best;
    } cases[] = { { "2026/11/01", "50" }, { "2026/12/08", "200" } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date);
        const ToolRun r = runTool(
            { QStringLiteral("stats"), installation.exeDir(), QStringLiteral("--date"), QString::fromUtf8(c.date) });
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList lines = splitLines(r.out);
        ASSERT_EQ(lines.size(), 2);
        const QStringList f = lines[1].split(QLatin1Char(','));
        ASSERT_EQ(f.size(), 14);
        // Pupil 7 is not in the roster: no grade and no name.
        EXPECT_EQ(f.mid(0, 5).join(QLatin1Char(',')), QStringLiteral("3,ﾚﾍﾞﾙ3,7,,"));
        EXPECT_EQ(f[5], QString::fromUtf8(c.best));
        EXPECT_EQ(f[6], QStringLiteral("10001"));
    }
}

TEST_F(Tool, StatsOfTodayUseTheSameCodeAsTheProgram)
{
    const ToolRun r = runTool({ QStringLiteral("stats"), installation.exeDir() });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const auto realClock = testing_support::installHook(platform::setClock, nullptr); // the tool runs on the real clock
    computeStatistics();
    const QStringList lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 3);
    const QStringList f = lines[1].split(QLatin1Char(','));
    ASSERT_EQ(f.size(), 14);
    EXPECT_EQ(f[6].toInt(), reg.totalCount(1, 12));
    EXPECT_EQ(f[7].toInt(), reg.totalPoints(1, 12));
    EXPECT_EQ(f[8].toInt(), reg.recentCount(1, 12));
    EXPECT_EQ(f[9].toInt(), reg.recentPoints(1, 12));
    EXPECT_EQ(f[13].toInt(), reg.todayPoints(1, 12));
}

// Every CSV the tool writes keeps a name from running as a formula in a spreadsheet: one that
// starts with a character a spreadsheet takes for a formula, or with tabs before one.
TEST_F(Tool, NamesASpreadsheetWouldRunStayTextInEveryCsv)
{
    const QStringList names { QStringLiteral("=山本"), QStringLiteral("+山本"), QStringLiteral("-山本"),
        QStringLiteral("@山本"), QStringLiteral("\t=山本"), QStringLiteral("\t+山本"), QStringLiteral("\t-山本"),
        QStringLiteral("\t@山本"), QStringLiteral("\t\t=山本") };
    const int firstPupil = 100;
    QString roster;
    for (int i = 0; i < names.size(); ++i) {
        roster += QStringLiteral("%1,2012,0,0,\"%2\",0,\"\",\"\"\n").arg(firstPupil + i).arg(names[i]);
        platform.clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
        reg.currentPupilNo = static_cast<qint16>(firstPupil + i);
        reg.currentLevel = 1;
        reg.attemptResult = 100;
        appendResult();
    }
    installation.writeText(QStringLiteral("files/生徒用名簿.txt"), roster);
    const QString day = QStringLiteral("2026/12/08");
    const struct {
        QStringList arguments;
        int pupilColumn;
        int nameColumn;
    } outputs[] = {
        { { QStringLiteral("export"), resultsFilePath() }, 3, 5 },
        { { QStringLiteral("stats"), installation.exeDir(), QStringLiteral("--date"), day }, 2, 4 },
        { { QStringLiteral("sheet"), installation.exeDir(), QStringLiteral("--date"), day }, 0, 2 },
    };
    for (const auto& o : outputs) {
        SCOPED_TRACE(o.arguments.first().toStdString());
        const ToolRun r = runTool(o.arguments);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        int seen = 0;
        for (const QString& line : splitLines(r.out)) {
            const QStringList cells = line.split(QLatin1Char(','));
            const int i = cells.value(o.pupilColumn).toInt() - firstPupil;
            if (i < 0 || i >= names.size())
                continue;
            ++seen;
            const QString cell = cells.value(o.nameColumn);
            EXPECT_TRUE(cell.startsWith(QLatin1Char('\''))) << line.toStdString();
            EXPECT_EQ(
                cell.mid(1).remove(QLatin1Char('\t')), QStringLiteral("=+-@=+-@=").mid(i, 1) + QStringLiteral("山本"));
        }
        EXPECT_EQ(seen, names.size());
    }
}

struct BadCase {
    QStringList arguments;
    int exitCode;
    const char* errorPart = nullptr;
};

TEST_F(Tool, ExplainsItselfAndRefusesWrongArguments)
{
    const ToolRun help = runTool({ QStringLiteral("--help") });
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.rawOut.contains("export FILE"));
    EXPECT_TRUE(help.rawOut.contains("stats FOLDER"));
    EXPECT_TRUE(help.rawOut.contains("sheet FOLDER"));
    EXPECT_TRUE(QString::fromUtf8(help.rawOut).contains(QStringLiteral("終了コード")));
    const QString fifo = installation.path(QStringLiteral("pipe.dat"));
    const bool hasFifo = testing_support::putSpecial(fifo, testing_support::Special::Fifo); // not on Windows
    const BadCase cases[] = {
        { {}, 2 },
        { { QStringLiteral("show"), QStringLiteral("x") }, 2 },
        { { QStringLiteral("stats"), installation.exeDir(), QStringLiteral("--date"), QStringLiteral("7/12/2026") },
            2 },
        { { QStringLiteral("stats"), installation.exeDir(), QStringLiteral("--frobnicate") }, 2 },
        { { QStringLiteral("export"), installation.path(QStringLiteral("none.dat")) }, 1, "ファイルがありません" },
        // What is there and is no file is named for what it is, and a FIFO is not waited on.
        { { QStringLiteral("export"), fifo }, 1, "普通のファイルではありません" },
        { { QStringLiteral("export"), installation.path(QStringLiteral("files")) }, 1, "フォルダです" },
        { { QStringLiteral("stats"), installation.path(QStringLiteral("files")) }, 1 },
        { { QStringLiteral("sheet"), installation.exeDir(), QStringLiteral("--grade"), QStringLiteral("高4") }, 2,
            "高4: 学年は次のどれかで" },
        { { QStringLiteral("export"), resultsFilePath(), QStringLiteral("--grade"), QStringLiteral("中２") }, 2 },
    };
    for (const BadCase& c : cases) {
        if (!hasFifo && c.arguments.contains(fifo))
            continue;
        const ToolRun r = runTool(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.rawOut.isEmpty());
        EXPECT_TRUE(r.err.endsWith(u'\n')) << r.err.toStdString();
        if (c.errorPart) {
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.errorPart))) << r.err.toStdString();
        }
    }
}

// A question table of five rows, as a teacher's spreadsheet gives it to encode.
QString writeBank(const TestInstallation& installation)
{
    installation.writeText(QStringLiteral("bank.csv"),
        QStringLiteral("1,593,飛鳥,6世紀,政治,聖徳太子の摂政,,推古天皇を助ける\n"
                       "1,645,飛鳥,7世紀,政治,乙巳の変,,蘇我氏が倒される\n"
                       "1,710,奈良,8世紀,政治,平城京への遷都,,奈良に都が移る\n"
                       "1,794,平安,8世紀,政治,平安京への遷都,,京都に都が移る\n"
                       "1,1192,鎌倉,12世紀,政治,源頼朝の征夷大将軍,,武士の政権が開かれる\n"));
    return installation.path(QStringLiteral("bank.csv"));
}

// Where the tools' outputs go, whatever stands there: a regular file is replaced whole (a new
// one gets 0666 less the umask, an old one keeps its mode, and a temporary file a killed writer
// left beside it goes), a symbolic link is written through and stays a link, a device or a
// FIFO with a reader is written into and never replaced, and what cannot be written into (a
// FIFO nobody reads, a folder) is refused at once with its reason.
TEST_F(Tool, EveryOutputGoesWhereItsTargetSays)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "FIFOs, device files, POSIX modes and the umask are Linux's";
#else
    const QString bank = writeBank(installation);
    const QString results = QStringLiteral(RESULTS_TOOL);
    const struct {
        const char* name;
        QString program;
        QStringList before; // the arguments before the target
        QStringList after;
        QByteArray start; // the output begins with it
    } commands[] = {
        { "export --output", results, { QStringLiteral("export"), resultsFilePath(), QStringLiteral("--output") }, {},
            *encodeCp932(QStringLiteral("記録番号,")) },
        { "stats --output", results, { QStringLiteral("stats"), installation.exeDir(), QStringLiteral("--output") }, {},
            *encodeCp932(QStringLiteral("レベル,")) },
        { "sheet --csv", results, { QStringLiteral("sheet"), installation.exeDir(), QStringLiteral("--csv") }, {},
            *encodeCp932(QStringLiteral("生徒番号,")) },
        { "sheet --pdf", results, { QStringLiteral("sheet"), installation.exeDir(), QStringLiteral("--pdf") }, {},
            "%PDF" },
        { "encode", QStringLiteral(QUESTIONS_TOOL), { QStringLiteral("encode"), bank },
            { QStringLiteral("--force"), QStringLiteral("--levels"), QStringLiteral("1") }, {} },
    };
    // /dev/null comes last, and only after the FIFOs of the same command stayed FIFOs: the test
    // runs as root, and a tool that replaces what it should write into would replace the
    // machine's /dev/null.
    enum Target { New, Existing, Link, FifoRead, FifoNobody, Folder, DevNull };
    const char* const targetNames[]
        = { "new", "existing 0640", "link", "FIFO with a reader", "FIFO nobody reads", "folder", "/dev/null" };
    const mode_t umaskBefore = ::umask(022);
    const QDir out(installation.path(QStringLiteral("出力")));
    ASSERT_TRUE(out.mkpath(QStringLiteral(".")));
    auto modeOf = [](const QString& path) {
        struct stat st { };
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : mode_t(0);
    };
    auto put = [](const QString& path, const QByteArray& bytes, mode_t mode) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        ::chmod(QFile::encodeName(path).constData(), mode);
    };
    int n = 0;
    for (const auto& c : commands) {
        bool fifosStayed = true;
        for (const Target t : { New, Existing, Link, FifoRead, FifoNobody, Folder, DevNull }) {
            SCOPED_TRACE(std::string(c.name) + " into " + targetNames[t]);
            if (t == DevNull && !fifosStayed) {
                ADD_FAILURE() << "not run into /dev/null: the tool replaced a FIFO";
                continue;
            }
            const QString target
                = t == DevNull ? QStringLiteral("/dev/null") : out.filePath(QStringLiteral("出 %1.out").arg(++n));
            const QString real = target + QStringLiteral(".real");
            const QString staleTemporary = target + QStringLiteral(".Ab12Cd");
            const QString freshTemporary = target + QStringLiteral(".Zz9Zz9");
            int fifo = -1;
            switch (t) {
            case Existing:
                put(target, "old", 0640);
                put(staleTemporary, "left by a killed writer", 0600);
                put(freshTemporary, "being written", 0600);
                // An hour old and new, by the clock the tools read file ages with (the file
                // system's, whatever date the test runs at).
                for (const auto& [file, age] : { std::pair { staleTemporary, std::chrono::hours(1) },
                         std::pair { freshTemporary, std::chrono::hours(0) } })
                    std::filesystem::last_write_time(std::filesystem::path(QFile::encodeName(file).toStdString()),
                        std::filesystem::file_time_type::clock::now() - age);
                break;
            case Link:
                put(real, "old", 0640);
                ASSERT_TRUE(QFile::link(QFileInfo(real).fileName(), target));
                break;
            case FifoRead:
            case FifoNobody:
                ASSERT_EQ(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
                if (t == FifoRead)
                    fifo = ::open(QFile::encodeName(target).constData(), O_RDONLY | O_NONBLOCK);
                break;
            case Folder:
                ASSERT_TRUE(out.mkdir(QFileInfo(target).fileName()));
                break;
            default:
                break;
            }
            QByteArray fromFifo;
            const ToolRun r = runTool(c.before + QStringList { target } + c.after, c.program, fifo, &fromFifo);
            if (fifo >= 0)
                ::close(fifo);
            const bool refused = t == FifoNobody || t == Folder;
            EXPECT_EQ(r.exitCode, refused ? 1 : 0) << r.err.toStdString();
            if (t == FifoRead || t == FifoNobody)
                fifosStayed = fifosStayed && S_ISFIFO(modeOf(target));
            QByteArray written;
            if (t == FifoRead) {
                written = fromFifo;
                EXPECT_TRUE(S_ISFIFO(modeOf(target)));
            } else if (!refused && t != DevNull) {
                QFile f(t == Link ? real : target);
                ASSERT_TRUE(f.open(QIODevice::ReadOnly));
                written = f.readAll();
            }
            switch (t) {
            case New:
                EXPECT_EQ(modeOf(target) & 07777, 0644u);
                break;
            case Existing:
                EXPECT_EQ(modeOf(target) & 07777, 0640u);
                EXPECT_FALSE(QFileInfo::exists(staleTemporary));
                EXPECT_TRUE(QFileInfo::exists(freshTemporary));
                QFile::remove(freshTemporary);
                break;
            case Link:
                EXPECT_TRUE(QFileInfo(target).isSymLink());
                EXPECT_EQ(modeOf(real) & 07777, 0640u);
                break;
            case DevNull:
                EXPECT_TRUE(S_ISCHR(modeOf(target)));
                break;
            case FifoNobody:
                EXPECT_TRUE(S_ISFIFO(modeOf(target)));
                EXPECT_TRUE(r.err.contains(QStringLiteral("FIFO"))) << r.err.toStdString();
                break;
            case Folder:
                EXPECT_TRUE(QFileInfo(target).isDir());
                EXPECT_TRUE(r.err.contains(QStringLiteral("フォルダ"))) << r.err.toStdString();
                break;
            default:
                break;
            }
            if (!refused && t != DevNull) {
                EXPECT_TRUE(written.startsWith(c.start)) << written.left(40).toStdString();
                EXPECT_GT(written.size(), 40);
            }
        }
    }
    // Nothing but the outputs was left in the folder.
    for (const QString& name : out.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
        EXPECT_TRUE(name.endsWith(QStringLiteral(".out")) || name.endsWith(QStringLiteral(".real")))
            << name.toStdString();
    ::umask(umaskBefore);
#endif
}

// What no tool writes over, whatever it is asked: a file it reads, a data file of the
// installation (in its place, through a link or under another name, or its name elsewhere), a
// link that names nothing or goes round, and another user's file in a folder everyone may
// write (one the teacher may not write, one whose owner a replacement could not keep). Each is
// refused before anything is written, naming the output and why; nothing changes anywhere.
TEST_F(Tool, NoToolWritesOverWhatItReadsTheSchoolsDataOrAnotherUsersFile)
{
    const QString bank = writeBank(installation);
    const QString program = resultsFilePath();
    const QString results = QStringLiteral(RESULTS_TOOL);
    const struct {
        const char* name;
        QString program;
        QStringList before; // the arguments before the target; none: the target is the standard output
        QStringList after;
    } commands[] = {
        { "export --output", results, { QStringLiteral("export"), program, QStringLiteral("--output") }, {} },
        { "stats --output", results, { QStringLiteral("stats"), installation.root(), QStringLiteral("--output") }, {} },
        { "sheet --csv", results, { QStringLiteral("sheet"), installation.root(), QStringLiteral("--csv") }, {} },
        { "sheet --pdf", results, { QStringLiteral("sheet"), installation.root(), QStringLiteral("--pdf") }, {} },
        { "encode", QStringLiteral(QUESTIONS_TOOL), { QStringLiteral("encode"), bank }, { QStringLiteral("--force") } },
        { "export >>", results, {}, { QStringLiteral("export"), program } },
        { "stats >>", results, {}, { QStringLiteral("stats"), installation.root() } },
    };
    struct Target {
        QString path;
        const char* reason;
        bool link = false;
        bool otherUser = false; // written as the unprivileged user 65534
    };
    std::vector<Target> targets { { bank, "読み込むファイル" } };
    for (const char* file : { "files/生徒用名簿.txt", "files/生徒用名簿temp.txt", "カナメル/設定.txt",
             "files/共通データ.txt", "カナメル/タイム回数データ.txt", "カナメル/歴史年2001２vv.ccc",
             "カナメル/成績累積データ.dat", "files/成績累積データ家庭用.dat", "files/新音ファイル.txt", "設定.txt" })
        targets.push_back({ installation.path(QString::fromUtf8(file)), "ファイル" }); // a data file, or an input
    targets.push_back({ installation.path(QStringLiteral("カナメル/別名.csv")), "と同じファイルです" });
#ifdef Q_OS_WIN
    EXPECT_TRUE(CreateHardLinkW(targets.back().path.toStdWString().c_str(), program.toStdWString().c_str(), nullptr));
#else
    EXPECT_EQ(::link(QFile::encodeName(program).constData(), QFile::encodeName(targets.back().path).constData()), 0);
    // Symbolic links (Qt makes a shortcut on Windows) and owners are Linux's.
    const struct {
        const char* name;
        QString to;
        const char* reason;
    } links[] = { { "名簿へ.csv", installation.path(QStringLiteral("files/生徒用名簿.txt")), "データファイル" },
        { "先のない.csv", QStringLiteral("ない/出力.csv"), "シンボリックリンクの先" },
        { "輪.csv", installation.path(QStringLiteral("輪.csv")), "循環" } };
    for (const auto& l : links) {
        targets.push_back({ installation.path(QString::fromUtf8(l.name)), l.reason, true });
        EXPECT_TRUE(QFile::link(l.to, targets.back().path));
    }
    if (::geteuid() == 0) {
        const QString out = installation.path(QStringLiteral("出力"));
        ASSERT_TRUE(QDir().mkpath(out));
        ::chmod(QFile::encodeName(installation.root()).constData(), 0755);
        ::chmod(QFile::encodeName(out).constData(), 0777);
        for (const mode_t mode : { 0600, 0666 }) {
            const QString name = QStringLiteral("出力/先生の表%1.csv").arg(mode, 0, 8);
            installation.writeBytes(name, "another user's table");
            ::chmod(QFile::encodeName(installation.path(name)).constData(), mode);
            targets.push_back({ installation.path(name),
                mode == 0600 ? "書き込む許可がありません" : "持ち主が変わってしまいます", false, true });
        }
    }
#endif
    for (const auto& c : commands) {
        for (const Target& t : targets) {
            SCOPED_TRACE(std::string(c.name) + " into " + t.path.toStdString());
            const bool toStandardOutput = c.before.isEmpty();
            // A shell makes what ">>" names, and writes as the teacher: nothing of the school.
            // The question table is only encode's input.
            if ((toStandardOutput && (!QFileInfo::exists(t.path) || t.otherUser))
                || (t.path == bank && c.program == results))
                continue;
            const bool allowed = QString::fromUtf8(c.name) == QStringLiteral("encode")
                && t.path.endsWith(QStringLiteral("歴史年2001２vv.ccc")); // the one data file a tool makes
            const QStringList before = testing_support::snapshot(installation.root());
            QStringList arguments = c.before + (toStandardOutput ? QStringList() : QStringList { t.path }) + c.after;
            if (t.otherUser)
                arguments = QStringList { QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                    QStringLiteral("--clear-groups"), c.program }
                    + arguments;
            QProcess p;
            if (toStandardOutput)
                p.setStandardOutputFile(t.path, QIODevice::Append);
            p.start(t.otherUser ? QStringLiteral("setpriv") : c.program, arguments);
            ASSERT_TRUE(p.waitForFinished(60000));
            const QString err = QString::fromUtf8(p.readAllStandardError());
            EXPECT_EQ(p.exitCode(), allowed ? 0 : 1) << err.toStdString();
            if (allowed) {
                EXPECT_TRUE(QFile::remove(t.path));
                continue;
            }
            EXPECT_TRUE(err.contains(QString::fromUtf8(t.reason))) << err.toStdString();
            if (!toStandardOutput) {
                EXPECT_TRUE(err.contains(QDir::toNativeSeparators(t.path) + QStringLiteral(": 書き込みません")))
                    << err.toStdString();
            }
            EXPECT_EQ(testing_support::snapshot(installation.root()), before);
            if (t.link) {
                EXPECT_TRUE(QFileInfo(t.path).isSymLink());
            }
        }
    }
}

// An export whose reader goes away early (a pipe into a program that stops reading, a FIFO whose
// reader closes) says so in Japanese and ends with status 1, instead of dying silently or
// printing a bare error number.
TEST_F(Tool, AReaderThatClosesEarlyIsNamed)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "FIFOs are Linux's";
#else
    // Far more than a pipe holds, so the export is still writing when its reader goes.
    std::vector<ResultRecord> many(20000, results_test::record(46000, 12, 1, 100));
    results_test::writeFile(resultsFilePath(), results_test::bytesOf(many));
    const QString fifo = installation.path(QStringLiteral("読み手.fifo")); // a pipe with a name
    for (const bool asOutput : { false, true }) {
        SCOPED_TRACE(asOutput ? "--output" : "the standard output");
        QFile::remove(fifo);
        ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int reader = ::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        QProcess p;
        if (!asOutput)
            p.setStandardOutputFile(fifo);
        p.start(QStringLiteral(RESULTS_TOOL),
            QStringList { QStringLiteral("export"), resultsFilePath() }
                + (asOutput ? QStringList { QStringLiteral("--output"), fifo } : QStringList()));
        char byte = 0;
        QElapsedTimer waited;
        waited.start();
        while (::read(reader, &byte, 1) != 1 && waited.elapsed() < 60000)
            QThread::msleep(10); // the export has begun writing
        ::close(reader);
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 1);
        EXPECT_TRUE(err.contains(QStringLiteral("読む側")) && err.endsWith(u'\n')) << err.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("エラー "))) << err.toStdString();
    }
#endif
}

} // namespace

namespace {

// The class sheet for a teacher at home: every listed pupil in the start screen's order (born
// 2012 before 2013), also one without attempts, the grade choice of the board, and a PDF.
TEST_F(Tool, SheetListsTheListedPupilsAsCsvAndPdf)
{
    const QString csv = installation.path(QStringLiteral("sheet.csv"));
    const ToolRun r = runTool({ QStringLiteral("sheet"), installation.root(), QStringLiteral("--date"),
        QStringLiteral("2026/12/08"), QStringLiteral("--csv"), csv });
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = splitLines(decodeCp932(file.readAll()).value_or(QString()));
    ASSERT_EQ(lines.size(), 3); // pupil 4950 has left the roster
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("生徒番号,学年,名前,ﾚﾍﾞﾙ1 今まで回数,ﾚﾍﾞﾙ1 今まで得点")));
    // Level 1 as of 12/08: 3 attempts for 60 points, 2 for 49 in the recent window, 1 for 30
    // today, best 60.
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("12,中2,佐藤　花子,3,60,2,49,1,30,60,"))) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("3,中1,木村　一郎,0,0,0,0,0,0,,,"))) << lines[2].toStdString();

    const ToolRun firstYears = runTool({ QStringLiteral("sheet"), installation.exeDir(), QStringLiteral("--date"),
        QStringLiteral("2026/12/08"), QStringLiteral("--grade"), QStringLiteral("中１") });
    ASSERT_EQ(firstYears.exitCode, 0) << firstYears.err.toStdString();
    const QStringList shown = splitLines(firstYears.out);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[1].startsWith(QStringLiteral("3,")));

    EXPECT_EQ(pdfPages(QStringLiteral("sheet")), 1);
}

// The table of events on a fixture counted by hand: eight judgements of three pupils, two of
// them outside the period. A row per grade choice, and the PDF page.
TEST_F(Tool, EventsTableCountsTheEventsAndTheConfusedPairsAsCountedByHand)
{
    const QStringList bank { QStringLiteral("1,57,弥生,,,奴国の王が漢に使い,,金印を授けられる"),
        QStringLiteral("1,239,弥生,,,卑弥呼が魏に使い,,銅鏡を授かる"),
        QStringLiteral("1,538,古墳,,,仏教の伝来,,仏像が贈られる"),
        QStringLiteral("1,607,飛鳥,,,小野妹子を隋に派遣,,対等な国交"),
        QStringLiteral("1,710,奈良,,,平城京に都を移す,,奈良の都"),
        QStringLiteral("2,794,平安,,,平安京に都を移す,,京都の都") };
    ASSERT_FALSE(writeStoredQuestionFile(
        storedQuestionFileName(reg.appFolder + questionFileName()), bank, QStringLiteral("questions.csv")));
    enum { A, B, C, D, E, F };
    struct Row {
        int event;
        bool wrong = false;
        int with = -1; // explanations: the row whose explanation it held
        quint8 against = 0; // order: the rows it stood the wrong way round with
    };
    QByteArray file;
    const auto judged = [&](QDate day, int pupil, review::Phase phase, std::array<Row, 5> rows) {
        review::JudgementRecord r;
        r.recordDate = platform::dayCount(day) + 0.4;
        r.pupilNo = static_cast<qint16>(pupil);
        r.level = 1;
        r.phase = phase;
        for (int i = 0; i < 5; ++i) {
            const QStringList cells = bank[rows[i].event].split(QLatin1Char(','));
            r.rows[i] = { review::eventId(cells[1], cells[5]), rows[i].wrong, rows[i].with, rows[i].against };
        }
        file += r.toBytes();
    };
    using review::Phase;
    judged(QDate(2026, 12, 1), 12, Phase::Explanations, { { { A, true, 1 }, { B, true, 0 }, { C }, { D }, { E } } });
    judged(QDate(2026, 12, 1), 12, Phase::Explanations, { { { A }, { B }, { C }, { D }, { E } } });
    judged(QDate(2026, 12, 1), 12, Phase::Order,
        { { { B, true, -1, 0b10 }, { A, true, -1, 0b01 }, { C }, { D }, { E } } });
    judged(QDate(2026, 12, 2), 3, Phase::Order,
        { { { C, true, -1, 0b110 }, { B, false, -1, 0b101 }, { A, true, -1, 0b011 }, { D }, { F } } });
    judged(QDate(2026, 12, 3), 3, Phase::Explanations,
        { { { A, true, 1 }, { B, true, 2 }, { C, true, 0 }, { D }, { F } } });
    judged(QDate(2026, 12, 2), 4950, Phase::Order, { { { A }, { B }, { C }, { D }, { E } } });
    for (const QDate outside : { QDate(2026, 11, 30), QDate(2026, 12, 10) })
        judged(outside, 12, Phase::Explanations, { { { A, true, 1 }, { F, true, 0 }, { C }, { D }, { E } } });
    installation.writeBytes(QStringLiteral("カナメル/") + review::eventsFileName(), file);

    const QString heads
        = QStringLiteral("順位,出来事,年,レベル,判定回数,間違い回数,間違い率（%）,判定した生徒数,間違えた生徒数");
    const QString pairHeads = QStringLiteral("順位,出来事,年,出来事,年,取り違えた回数,説明の取り違え,順序の取り違え");
    struct Case {
        const char* grade;
        QStringList lines;
    };
    const Case cases[] = {
        { "全学年",
            { heads, QStringLiteral("1,奴国の王が漢に使い,57,1,6,4,66.7,3,2"),
                QStringLiteral("2,卑弥呼が魏に使い,239,1,6,3,50.0,3,2"),
                QStringLiteral("3,仏教の伝来,538,1,6,2,33.3,3,1"),
                QStringLiteral("4,小野妹子を隋に派遣,607,1,6,0,0.0,3,0"),
                QStringLiteral("4,平城京に都を移す,710,1,4,0,0.0,2,0"),
                QStringLiteral("4,平安京に都を移す,794,2,2,0,0.0,1,0"), QString(), pairHeads,
                QStringLiteral("1,奴国の王が漢に使い,57,卑弥呼が魏に使い,239,4,2,2"),
                QStringLiteral("2,奴国の王が漢に使い,57,仏教の伝来,538,2,1,1"),
                QStringLiteral("2,卑弥呼が魏に使い,239,仏教の伝来,538,2,1,1") } },
        { "中１", // pupil 3 alone (born 2013), by his grade on the period's last day
            { heads, QStringLiteral("1,奴国の王が漢に使い,57,1,2,2,100.0,1,1"),
                QStringLiteral("1,仏教の伝来,538,1,2,2,100.0,1,1"),
                QStringLiteral("3,卑弥呼が魏に使い,239,1,2,1,50.0,1,1"),
                QStringLiteral("4,小野妹子を隋に派遣,607,1,2,0,0.0,1,0"),
                QStringLiteral("4,平安京に都を移す,794,2,2,0,0.0,1,0"), QString(), pairHeads,
                QStringLiteral("1,奴国の王が漢に使い,57,卑弥呼が魏に使い,239,2,1,1"),
                QStringLiteral("1,奴国の王が漢に使い,57,仏教の伝来,538,2,1,1"),
                QStringLiteral("1,卑弥呼が魏に使い,239,仏教の伝来,538,2,1,1") } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.grade);
        const ToolRun r = runTool({ QStringLiteral("events"), installation.root(), QStringLiteral("--grade"),
            QString::fromUtf8(c.grade), QStringLiteral("--from"), QStringLiteral("2026/12/01"), QStringLiteral("--to"),
            QStringLiteral("2026/12/09") });
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(splitLines(r.out), c.lines);
    }

    EXPECT_EQ(pdfPages(QStringLiteral("events")), 1);
    // Never written over the file it reads.
    const QString eventsFile = installation.path(QStringLiteral("カナメル/") + review::eventsFileName());
    EXPECT_EQ(
        runTool({ QStringLiteral("events"), installation.exeDir(), QStringLiteral("--csv"), eventsFile }).exitCode, 1);
    EXPECT_EQ(results_test::readFile(eventsFile), file);

    // A damaged record: the file and the record are named, nothing is written.
    file[2 * review::kEventRecordLength + 30] = 'x';
    installation.writeBytes(QStringLiteral("カナメル/") + review::eventsFileName(), file);
    const ToolRun damaged = runTool({ QStringLiteral("events"), installation.exeDir() });
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_TRUE(damaged.err.contains(review::eventsFileName()) && damaged.err.contains(QStringLiteral("3 件目")))
        << damaged.err.toStdString();
    EXPECT_TRUE(damaged.out.isEmpty());
}

// Every grade label the program shows chooses the pupils of that grade on the class sheet, in
// half- and full-width digits: the start screen's list and the CSV write 中2 and 高1, the
// board's box 中２, its lists mark ① and Ⅲ. One pupil of each grade, numbered 20 + grade.
TEST_F(Tool, TheSheetTakesEveryGradeLabelTheProgramShows)
{
    QString roster;
    for (int grade = -3; grade <= 13; ++grade) // born 2020 - grade: the grade of school year 2026
        roster += QStringLiteral("%1,%2,0,0,\"生徒%1\",0,\"\",\"\"\n").arg(20 + grade).arg(2020 - grade);
    installation.writeText(QStringLiteral("files/生徒用名簿.txt"), roster);
    const struct {
        const char* typed;
        const char* listed; // the pupils listed; none: refused
    } rows[] = { { "中2", "28" }, { "中２", "28" }, { "高1", "30" }, { "高３", "32" }, { "小1", "21" },
        { "小６", "26" }, { "幼3", "20" }, { "幼１", "18" }, { "幼-", "17" }, { "大＋", "33" }, { "①", "21" },
        { "Ⅲ", "29" }, { "中学生全体", "27,28,29" }, { "小学生全体", "21,22,23,24,25,26" }, { "高4", nullptr },
        { "中", nullptr } };
    for (const auto& row : rows) {
        const ToolRun r = runTool({ QStringLiteral("sheet"), installation.root(), QStringLiteral("--date"),
            QStringLiteral("2026/12/08"), QStringLiteral("--grade"), QString::fromUtf8(row.typed) });
        QStringList listed;
        for (const QString& line : splitLines(r.out).mid(1))
            listed << line.section(QLatin1Char(','), 0, 0);
        listed.sort();
        EXPECT_EQ(r.exitCode, row.listed ? 0 : 2) << row.typed << r.err.toStdString();
        EXPECT_EQ(listed.join(u','), QString::fromUtf8(row.listed ? row.listed : "")) << row.typed;
    }
}

// What every tool prints without OUT, by where its output goes: a terminal gets the encoding its
// locale names (a pseudo-terminal stands for it), a pipe the CP932 a spreadsheet opens (decode's
// table stays UTF-8 there).
struct TerminalCase {
    const char* name;
    const char* command;
    bool terminal;
    const char* locale; // LANG
    const char* encoding; // of the bytes expected
};

class ToolOnATerminal : public Tool, public ::testing::WithParamInterface<TerminalCase> { };

// Runs the tool with its standard output on a new pseudo-terminal and returns what it wrote.
QByteArray runOnTerminal(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
#ifdef Q_OS_WIN
    Q_UNUSED(program);
    Q_UNUSED(arguments);
    Q_UNUSED(environment);
    return {};
#else
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return "(no pseudo-terminal)";
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    QProcess p;
    p.setProcessEnvironment(environment);
    p.setStandardOutputFile(QString::fromLocal8Bit(::ptsname(master)));
    p.start(program, arguments);
    QByteArray out;
    auto drain = [&] {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(master, buffer, sizeof buffer)) > 0)
            out.append(buffer, n);
    };
    while (!p.waitForFinished(50))
        drain();
    drain();
    ::close(master);
    return out;
#endif
}

TEST_P(ToolOnATerminal, PrintsInTheTerminalsEncoding)
{
    const TerminalCase& c = GetParam();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LC_ALL"));
    environment.remove(QStringLiteral("LC_CTYPE"));
    environment.insert(QStringLiteral("LANG"), QString::fromLatin1(c.locale));
    const QString command = QString::fromLatin1(c.command);
    QString program = QStringLiteral(RESULTS_TOOL);
    QStringList arguments { command, installation.root(), QStringLiteral("--date"), QStringLiteral("2026/12/08") };
    QString expected = QStringLiteral("佐藤　花子");
    if (command == QStringLiteral("export")) {
        arguments = QStringList { command, resultsFilePath() };
    } else if (command == QStringLiteral("decode")) {
        program = QStringLiteral(QUESTIONS_TOOL);
        arguments = QStringList { command, installation.path(QStringLiteral("q.ccc")) };
        ASSERT_EQ(runTool({ QStringLiteral("encode"), writeBank(installation), arguments[1] }, program).exitCode, 0);
        expected = QStringLiteral("聖徳太子の摂政");
    }
    QByteArray bytes;
#ifdef Q_OS_WIN
    if (c.terminal)
        GTEST_SKIP() << "a pseudo-terminal is Linux's";
#endif
    if (c.terminal) {
        bytes = runOnTerminal(program, arguments, environment);
    } else {
        QProcess p;
        p.setProcessEnvironment(environment);
        p.start(program, arguments);
        ASSERT_TRUE(p.waitForFinished(60000));
        bytes = p.readAllStandardOutput();
    }
    QString text;
    if (qstrcmp(c.encoding, "Windows-31J") == 0) { // the codec a Qt without ICU lacks
        text = decodeCp932(bytes).value_or(QString());
    } else {
        QStringDecoder decoder(c.encoding, QStringDecoder::Flag::Stateless);
        text = decoder.decode(bytes);
        EXPECT_FALSE(decoder.hasError()) << bytes.toHex().toStdString();
    }
    EXPECT_TRUE(text.contains(expected)) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Outputs, ToolOnATerminal,
    ::testing::Values(TerminalCase { "StatsOnAUtf8Terminal", "stats", true, "ja_JP.UTF-8", "UTF-8" },
        TerminalCase { "SheetOnAUtf8Terminal", "sheet", true, "C.UTF-8", "UTF-8" },
        TerminalCase { "StatsOnAnEucJpTerminal", "stats", true, "ja_JP.eucJP", "EUC-JP" },
        TerminalCase { "ExportOnAUtf8Terminal", "export", true, "C.UTF-8", "UTF-8" },
        TerminalCase { "ExportOnAnEucJpTerminal", "export", true, "ja_JP.eucJP", "EUC-JP" },
        TerminalCase { "ExportIntoAPipe", "export", false, "C.UTF-8", "Windows-31J" },
        TerminalCase { "DecodeOnAnEucJpTerminal", "decode", true, "ja_JP.eucJP", "EUC-JP" },
        TerminalCase { "StatsIntoAPipe", "stats", false, "C.UTF-8", "Windows-31J" },
        TerminalCase { "SheetIntoAPipe", "sheet", false, "C.UTF-8", "Windows-31J" }),
    [](const ::testing::TestParamInfo<TerminalCase>& info) { return std::string(info.param.name); });

// A PDF that cannot be written is refused with the reason in Japanese, not Qt's own words.
TEST_F(Tool, APdfThatCannotBeWrittenSaysWhy)
{
    struct Case {
        QString pdf;
        const char* reason;
    } const cases[] = {
        { installation.path(QStringLiteral("ない/sheet.pdf")), "フォルダ" },
        { installation.path(QStringLiteral("files")), "同じ名前のフォルダがあります" },
    };
    for (const Case& c : cases) {
        const ToolRun r = runTool({ QStringLiteral("sheet"), installation.exeDir(), QStringLiteral("--pdf"), c.pdf });
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.reason))) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("QPainter"))) << r.err.toStdString();
    }
}

} // namespace
