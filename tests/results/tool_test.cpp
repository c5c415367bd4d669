// kanameru-results on files written by the program itself.
#include "platform/clock.h"
#include "results/results.h"
#include "results_testutil.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"
#include "support/fakes.h"
#include "support/installation.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

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

ToolRun runTool(const QStringList& arguments)
{
    QProcess p;
    p.start(QStringLiteral(RESULTS_TOOL), arguments);
    ToolRun r;
    if (!p.waitForFinished(60000))
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
    platform::setClock(nullptr); // the tool runs on the real clock
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
    platform::setClock(&platform.clock);
}

struct BadCase {
    QStringList arguments;
    int exitCode;
};

TEST_F(Tool, ExplainsItselfAndRefusesWrongArguments)
{
    const ToolRun help = runTool({ QStringLiteral("--help") });
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.rawOut.contains("export FILE"));
    EXPECT_TRUE(help.rawOut.contains("stats FOLDER"));
    EXPECT_TRUE(help.rawOut.contains("sheet FOLDER"));
    EXPECT_TRUE(QString::fromUtf8(help.rawOut).contains(QStringLiteral("終了コード")));
    const BadCase cases[] = {
        { {}, 2 },
        { { QStringLiteral("show"), QStringLiteral("x") }, 2 },
        { { QStringLiteral("stats"), installation.exeDir(), QStringLiteral("--date"), QStringLiteral("7/12/2026") },
            2 },
        { { QStringLiteral("stats"), installation.exeDir(), QStringLiteral("--frobnicate") }, 2 },
        { { QStringLiteral("export"), installation.path(QStringLiteral("none.dat")) }, 1 },
        { { QStringLiteral("stats"), installation.path(QStringLiteral("files")) }, 1 },
        { { QStringLiteral("sheet"), installation.exeDir(), QStringLiteral("--grade"), QStringLiteral("中2") }, 2 },
        { { QStringLiteral("export"), resultsFilePath(), QStringLiteral("--grade"), QStringLiteral("中２") }, 2 },
    };
    for (const BadCase& c : cases) {
        const ToolRun r = runTool(c.arguments);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.rawOut.isEmpty());
    }
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

    const QString pdf = installation.path(QStringLiteral("sheet.pdf"));
    const ToolRun p = runTool({ QStringLiteral("sheet"), installation.exeDir(), QStringLiteral("--pdf"), pdf });
    ASSERT_EQ(p.exitCode, 0) << p.err.toStdString();
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)"))), 1);
}

// What stats and sheet without OUT print, by where their output goes: a terminal gets the
// encoding its locale names (a pseudo-terminal stands for it), a pipe the CP932 a spreadsheet
// opens.
struct TerminalCase {
    const char* name;
    const char* command;
    bool terminal;
    const char* locale; // LANG
    const char* encoding; // of the bytes expected
};

class ToolOnATerminal : public Tool, public ::testing::WithParamInterface<TerminalCase> { };

// Runs the tool with its standard output on a new pseudo-terminal and returns what it wrote.
QByteArray runOnTerminal(const QStringList& arguments, const QProcessEnvironment& environment)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return "(no pseudo-terminal)";
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    QProcess p;
    p.setProcessEnvironment(environment);
    p.setStandardOutputFile(QString::fromLocal8Bit(::ptsname(master)));
    p.start(QStringLiteral(RESULTS_TOOL), arguments);
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
}

TEST_P(ToolOnATerminal, PrintsInTheTerminalsEncoding)
{
    const TerminalCase& c = GetParam();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LC_ALL"));
    environment.remove(QStringLiteral("LC_CTYPE"));
    environment.insert(QStringLiteral("LANG"), QString::fromLatin1(c.locale));
    const QStringList arguments { QString::fromLatin1(c.command), installation.root(), QStringLiteral("--date"),
        QStringLiteral("2026/12/08") };
    QByteArray bytes;
    if (c.terminal) {
        bytes = runOnTerminal(arguments, environment);
    } else {
        QProcess p;
        p.setProcessEnvironment(environment);
        p.start(QStringLiteral(RESULTS_TOOL), arguments);
        ASSERT_TRUE(p.waitForFinished(60000));
        bytes = p.readAllStandardOutput();
    }
    QStringDecoder decoder(c.encoding, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    EXPECT_FALSE(decoder.hasError()) << bytes.toHex().toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("佐藤　花子"))) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Outputs, ToolOnATerminal,
    ::testing::Values(TerminalCase { "StatsOnAUtf8Terminal", "stats", true, "ja_JP.UTF-8", "UTF-8" },
        TerminalCase { "SheetOnAUtf8Terminal", "sheet", true, "C.UTF-8", "UTF-8" },
        TerminalCase { "StatsOnAnEucJpTerminal", "stats", true, "ja_JP.eucJP", "EUC-JP" },
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
