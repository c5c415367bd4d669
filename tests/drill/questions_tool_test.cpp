// kanameru-questions as whoever prepares a drill set uses it, and the demo question bank.
#include "drill/questionscheck.h"
#include "drill/questiontable.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace kanameru;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(QUESTIONS_TOOL), args);
    ToolRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char* const kBank = "1,593,飛鳥,6世紀,政治,聖徳太子の摂政,,推古天皇を助けて政治を行う\n"
                          "1,645,飛鳥,7世紀,政治,大化の改新,,中大兄皇子らが蘇我氏を倒す\n"
                          "1,710,奈良,8世紀,政治,平城京遷都,,奈良に唐の都にならった都を移す\n"
                          "1,794,平安,8世紀,政治,平安京遷都,,桓武天皇が京都に都を移す\n"
                          "1,1192,鎌倉,12世紀,政治,源頼朝が征夷大将軍に,,鎌倉に武家の政権が開かれる\n";

class Tool : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char* name) const { return dir.path() + u'/' + QString::fromUtf8(name); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(Tool, HelpExplainsEveryCommand)
{
    const ToolRun run = runTool({ QStringLiteral("--help") });
    EXPECT_EQ(run.exitCode, 0);
    for (const char* word : { "encode CLEAR.csv STORED", "decode STORED", "check STORED --levels N", "終了コード" })
        EXPECT_TRUE(run.out.contains(QString::fromUtf8(word))) << word;
}

struct UsageCase {
    const char* name;
    QStringList args;
};

class ToolUsage : public ::testing::TestWithParam<UsageCase> { };

// Wrong calls end with code 2 and a hint, never with a crash or a silent success.
TEST_P(ToolUsage, WrongCallsExitWithTwo)
{
    const ToolRun run = runTool(GetParam().args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("--help")));
}

INSTANTIATE_TEST_SUITE_P(Calls, ToolUsage,
    ::testing::Values(UsageCase { "Nothing", {} }, UsageCase { "Unknown", { "scramble", "a" } },
        UsageCase { "EncodeOneFile", { "encode", "a.csv" } },
        UsageCase { "EncodeBadSeed", { "encode", "a", "b", "--seed", "x" } },
        UsageCase { "DecodeNothing", { "decode" } }, UsageCase { "CheckWithoutLevels", { "check", "q.ccc" } },
        UsageCase { "CheckLevelsOutOfRange", { "check", "q.ccc", "--levels", "36" } },
        UsageCase { "CheckTwoFiles", { "check", "a", "b", "--levels", "1" } }),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

// A clear table with a byte order mark and CR LF comes back from decode as written, the stored
// file loads into the drill's table and check passes it.
TEST_F(Tool, EncodeDecodeAndCheckASoundBank)
{
    writeBytes(path("bank.csv"), QByteArray("\xEF\xBB\xBF") + QByteArray(kBank).replace("\n", "\r\n"));
    const ToolRun encode = runTool({ QStringLiteral("encode"), path("bank.csv"), path("q.ccc") });
    ASSERT_EQ(encode.exitCode, 0) << encode.err.toStdString();
    EXPECT_FALSE(readBytes(path("q.ccc")).contains(QByteArray("源頼朝")));

    const ToolRun decode = runTool({ QStringLiteral("decode"), path("q.ccc") });
    EXPECT_EQ(decode.exitCode, 0);
    EXPECT_EQ(decode.out, QString::fromUtf8(kBank));

    const ToolRun check
        = runTool({ QStringLiteral("check"), path("q.ccc"), QStringLiteral("--levels"), QStringLiteral("1") });
    EXPECT_EQ(check.exitCode, 0) << check.err.toStdString();
    EXPECT_TRUE(check.out.contains(QStringLiteral("レベル 1: このレベルの行 5、出題できる行 5")));

    reg.reset();
    ASSERT_TRUE(QFile::rename(path("q.ccc"), path("歴史年2001２vv.ccc")));
    ASSERT_FALSE(loadQuestionTable(path("歴史年2001２.csv")));
    EXPECT_EQ(reg.questionRowCount, 5);
    EXPECT_EQ(reg.questionTable(5, 6), QStringLiteral("源頼朝が征夷大将軍に"));
}

// Every problem is listed with its line and the exit code is 1.
TEST_F(Tool, CheckListsEveryProblemWithItsLine)
{
    QByteArray bank(kBank);
    bank.replace("1,710,", "x,710,");
    bank.replace("1,1192,", "1,600,");
    // encode refuses a level that is no number even with --force (the drill could not load the
    // file): the file comes from the writer itself, as an old tool or an editor may leave one.
    ASSERT_FALSE(writeStoredQuestionFile(path("q.ccc"), splitLines(QString::fromUtf8(bank)), path("bank.csv")));
    const ToolRun check
        = runTool({ QStringLiteral("check"), path("q.ccc"), QStringLiteral("--levels"), QStringLiteral("1") });
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(check.err.contains(path("q.ccc") + QStringLiteral(" の 3 行目: レベル「x」")))
        << check.err.toStdString();
    EXPECT_TRUE(check.err.contains(path("q.ccc") + QStringLiteral(" の 5 行目: 年代順"))) << check.err.toStdString();
    EXPECT_TRUE(check.err.contains(QStringLiteral("レベル 1 で出題できる行が 4 行"))) << check.err.toStdString();
    EXPECT_TRUE(check.err.contains(QStringLiteral("問題が 3 件あります")));
}

struct EncodeRefusal {
    const char* name;
    QByteArray clear;
    const char* where;
};

class ToolEncodeRefusal : public Tool, public ::testing::WithParamInterface<EncodeRefusal> { };

// A clear table that cannot be stored is refused with its line and nothing is written.
TEST_P(ToolEncodeRefusal, NamesTheLineAndWritesNothing)
{
    writeBytes(path("bank.csv"), GetParam().clear);
    const ToolRun run = runTool({ QStringLiteral("encode"), path("bank.csv"), path("q.ccc") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(path("bank.csv") + QString::fromUtf8(GetParam().where))) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("q.ccc")));
}

INSTANTIATE_TEST_SUITE_P(Refusals, ToolEncodeRefusal,
    ::testing::Values(EncodeRefusal { "Marker", "1,a\n1,b\n1,c／ｅｎｄ／\n", " の 3 行目" },
        EncodeRefusal { "NeitherUtf8NorCp932", QByteArray("1,a\n1,\x82\n"), " の 2 行目: UTF-8 としても" },
        EncodeRefusal { "Hangul", "1,a\n1,한국\n", " の 2 行目" }),
    [](const ::testing::TestParamInfo<EncodeRefusal>& info) { return std::string(info.param.name); });

// A table saved by a Japanese spreadsheet (CP932, CR LF) is stored as it was written: a
// full-width comma stays inside its explanation.
TEST_F(Tool, EncodesASpreadsheetTableInCp932)
{
    const QString bank
        = QString::fromUtf8(kBank).replace(QStringLiteral("蘇我氏を倒す"), QStringLiteral("蘇我氏を倒す，新しい政治"));
    const std::optional<QByteArray> cp932
        = encodeCp932(QString(bank).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
    ASSERT_TRUE(cp932);
    writeBytes(path("bank.csv"), *cp932);
    const ToolRun encode = runTool({ QStringLiteral("encode"), path("bank.csv"), path("q.ccc") });
    ASSERT_EQ(encode.exitCode, 0) << encode.err.toStdString();
    const ToolRun decode = runTool({ QStringLiteral("decode"), path("q.ccc") });
    EXPECT_EQ(decode.out, bank);
}

// The forms a table of events takes when a spreadsheet or an editor saves it as CSV. A row
// that encodes comes back from decode as `stored` (a comma or a doubled quote inside a quoted
// cell becomes its full-width form); a refused row names the line of the table and writes
// nothing. --force still writes nothing the drill could not use at all.
struct CsvForm {
    const char* name;
    QByteArray clear;
    bool force;
    int exitCode;
    QByteArray stored; // decode's text when written, else what the message names
};

class ToolCsvForms : public Tool, public ::testing::WithParamInterface<CsvForm> { };

TEST_P(ToolCsvForms, EncodeReadsStandardCsvQuoting)
{
    const CsvForm& form = GetParam();
    writeBytes(path("bank.csv"), form.clear);
    QStringList args { QStringLiteral("encode"), path("bank.csv"), path("q.ccc") };
    if (form.force)
        args << QStringLiteral("--force");
    const ToolRun run = runTool(args);
    ASSERT_EQ(run.exitCode, form.exitCode) << run.err.toStdString();
    if (form.exitCode == 0) {
        EXPECT_EQ(runTool({ QStringLiteral("decode"), path("q.ccc") }).out, QString::fromUtf8(form.stored));
    } else {
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(form.stored))) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("q.ccc")));
    }
}

namespace {
QByteArray quotedBank()
{
    QByteArray bank;
    for (const QByteArray& line : QByteArray(kBank).split('\n'))
        if (!line.isEmpty())
            bank += '"' + line.split(',').join("\",\"") + "\"\r\n";
    return bank;
}
QByteArray bankWith(const char* from, const char* to)
{
    return QByteArray(kBank).replace(from, to);
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Forms, ToolCsvForms,
    ::testing::Values(CsvForm { "EveryCellQuoted", quotedBank(), false, 0, kBank },
        CsvForm { "EveryCellQuotedInCp932", *encodeCp932(QString::fromUtf8(quotedBank())), false, 0, kBank },
        CsvForm { "CommaInAQuotedCell", bankWith(",推古天皇を助けて政治を行う\n", ",\"推古天皇を助け,政治を行う\"\n"),
            false, 0, bankWith("推古天皇を助けて政治", "推古天皇を助け，政治") },
        CsvForm { "DoubledQuotesInAQuotedCell",
            bankWith(",奈良に唐の都にならった都を移す\n", ",\"\"\"奈良に唐の都\"\"\"\n"), false, 0,
            bankWith(",奈良に唐の都にならった都を移す\n", ",＂奈良に唐の都＂\n") },
        CsvForm { "EmptyQuotedCell", bankWith(",,推古", ",\"\",推古"), false, 0, kBank },
        CsvForm { "QuoteInsideAnUnquotedCell", bankWith("平安京遷都", "平安京\"遷都\""), false, 1,
            " の 4 行目: 「\"」で囲まれていない" },
        CsvForm { "QuoteInsideAnUnquotedCellForced", bankWith("平安京遷都", "平安京\"遷都\""), true, 0,
            bankWith("平安京遷都", "平安京\"遷都\"") },
        CsvForm { "TextAfterAClosingQuote", bankWith(",大化の改新", ",\"大化\"の改新"), false, 1,
            " の 2 行目: 「\"」で囲んだ項目の、閉じる" },
        CsvForm {
            "QuoteNeverClosed", bankWith(",平安京遷都", ",\"平安京遷都"), false, 1, " の 4 行目: 「\"」で始まる" },
        // A line break inside quotes makes one record of two lines: the next records' problems
        // are named on their own lines of the table.
        CsvForm { "LineBreakInAQuotedCell",
            bankWith(",推古天皇を助けて政治を行う", ",\"推古天皇を助けて\r\n政治を行う\"").replace("1,794,", "1,79x,"),
            false, 1, " の 5 行目: 年代順" },
        CsvForm { "YearInWords", bankWith("1,593,", "1,紀元前57,"), false, 1,
            " の 1 行目: 年「紀元前57」が数字で始まっていません（年 0 として扱われます）。「-57」と書いてください。" },
        CsvForm { "LevelNoNumberForced", bankWith("1,710,", "\"x\",710,"), true, 1,
            " の 3 行目: レベル「x」が数字ではありません。この行があると" },
        CsvForm { "FewerThanFiveRowsForced",
            bankWith("1,1192,鎌倉,12世紀,政治,源頼朝が征夷大将軍に,,鎌倉に武家の政権が開かれる\n", ""), true, 1,
            "どのレベルでも出題できる行が" },
        CsvForm {
            "OnlyALowerLevelShortForced", bankWith("1,1192,", "2,1192,"), true, 0, bankWith("1,1192,", "2,1192,") }),
    [](const ::testing::TestParamInfo<CsvForm>& info) { return std::string(info.param.name); });

// Encode runs every check first: problems are listed with their lines and nothing is written,
// unless the teacher asks for it with --force.
TEST_F(Tool, EncodeRefusesATableWithProblemsUnlessForced)
{
    QByteArray bank(kBank);
    bank.replace("1,710,", "1,奈良時代の初め,");
    bank.replace("1,1192,", "1,600,");
    writeBytes(path("bank.csv"), bank);
    const ToolRun refused = runTool({ QStringLiteral("encode"), path("bank.csv"), path("q.ccc") });
    EXPECT_EQ(refused.exitCode, 1);
    for (const char* line : { " の 3 行目: 年「奈良時代の初め」", " の 5 行目: 年代順" })
        EXPECT_TRUE(refused.err.contains(path("bank.csv") + QString::fromUtf8(line))) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("q.ccc")));

    const ToolRun forced
        = runTool({ QStringLiteral("encode"), path("bank.csv"), path("q.ccc"), QStringLiteral("--force") });
    EXPECT_EQ(forced.exitCode, 0) << forced.err.toStdString();
    EXPECT_TRUE(forced.err.contains(QStringLiteral("--force")));
    EXPECT_EQ(runTool({ QStringLiteral("decode"), path("q.ccc") }).out, QString::fromUtf8(bank));
}

// A table of thousands of rows with one problem: the problem comes first, and of a thousand
// warnings of one kind three are shown and the others named by their lines in one line, unless
// every one is asked for.
TEST_F(Tool, AProblemComesFirstAndRepeatedWarningsAreSummarised)
{
    QByteArray table;
    for (int i = 0; i < 3000; ++i) // years 1, 1, 2, 3, 3, 4, …: 1,000 pairs of one year
        table += QStringLiteral("1,%1,時代,世紀,政治,出来事%2,,説明%2\n").arg(1 + i * 2 / 3).arg(i).toUtf8();
    writeBytes(path("big.csv"), table);
    const ToolRun run = runTool({ QStringLiteral("encode"), path("big.csv"), path("q.ccc") });
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = run.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << run.err.toStdString();
    EXPECT_TRUE(lines[0].startsWith(path("big.csv") + QStringLiteral(" の 1001 行目: 問題ファイルは 1000 行まで")));
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(lines[i].startsWith(QStringLiteral("警告: ") + path("big.csv"))) << lines[i].toStdString();
    EXPECT_TRUE(lines[4].contains(QStringLiteral("同じ年の出来事の順番の警告がほかに 997 件あります（10・13・")))
        << lines[4].toStdString();
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral("問題が 1 件あるため")));
    const ToolRun all
        = runTool({ QStringLiteral("encode"), path("big.csv"), path("q.ccc"), QStringLiteral("--all-warnings") });
    EXPECT_EQ(all.err.count(QStringLiteral("警告: ")), 1000);
}

TEST_F(Tool, CheckAndDecodeReportAMissingFile)
{
    const ToolRun check
        = runTool({ QStringLiteral("check"), path("none.ccc"), QStringLiteral("--levels"), QStringLiteral("3") });
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(check.err.contains(path("none.ccc") + QStringLiteral(": ファイルがありません")));
    EXPECT_EQ(runTool({ QStringLiteral("decode"), path("none.ccc") }).exitCode, 1);
}

// A FIFO given as the table by mistake is refused at once, naming it; nothing is written.
TEST_F(Tool, AFifoGivenAsTheTableIsRefusedAtOnce)
{
#ifdef _WIN32
    GTEST_SKIP() << "a Windows folder holds no FIFO";
#else
    ASSERT_EQ(::mkfifo(path("table.csv").toLocal8Bit().constData(), 0600), 0);
#endif
    const ToolRun encode = runTool({ QStringLiteral("encode"), path("table.csv"), path("q.ccc") });
    EXPECT_EQ(encode.exitCode, 1) << encode.err.toStdString();
    EXPECT_TRUE(encode.err.contains(path("table.csv"))) << encode.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("q.ccc")));
}

// --- the demo question bank -----------------------------------------------------------------

// The installation's question file is the encoded demo table, sound for the three levels of
// the demo drill set, large enough and spread over the levels.
TEST(DemoBank, StoredFileIsTheClearTableAndPassesTheChecks)
{
    const QString stored = QString::fromUtf8(DEMO_QUESTIONS_STORED);
    ASSERT_TRUE(QFile::exists(stored)) << "build the target demo_data first";
    const ToolRun check = runTool({ QStringLiteral("check"), stored, QStringLiteral("--levels"), QStringLiteral("3") });
    EXPECT_EQ(check.exitCode, 0) << check.err.toStdString();
    // Every same-year pair carries a date the pupil sees: no warning either.
    EXPECT_FALSE(check.out.contains(QStringLiteral("警告"))) << check.out.toStdString();

    QFile clearFile(QString::fromUtf8(DEMO_QUESTIONS_CLEAR));
    ASSERT_TRUE(clearFile.open(QIODevice::ReadOnly));
    const QStringList clear = splitLines(QString::fromUtf8(clearFile.readAll()));
    Result<ClearQuestionTable> table = readStoredQuestionFile(stored);
    ASSERT_TRUE(table) << table.error().message().toStdString();
    ASSERT_EQ(table->lines.size(), static_cast<size_t>(clear.size())) << "rebuild demo_data";
    for (qsizetype i = 0; i < clear.size(); ++i)
        EXPECT_EQ(table->lines[static_cast<size_t>(i)].join(u','), clear[i]) << "line " << i + 1;

    const QuestionCheck counts = checkQuestionRows(*table, 3);
    EXPECT_GE(clear.size(), 150);
    for (int level = 1; level <= 3; ++level) {
        EXPECT_GE(counts.rowsAtLevel[static_cast<size_t>(level)], clear.size() / 4) << "level " << level;
        std::cout << "level " << level << ": " << counts.rowsAtLevel[static_cast<size_t>(level)] << " rows, "
                  << counts.usableAtLevel[static_cast<size_t>(level)] << " usable\n";
    }
    for (const QStringList& fields : table->lines)
        EXPECT_EQ(fields.size(), 8) << fields.join(u',').toStdString();
}
