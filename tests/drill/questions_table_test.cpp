// The question file reader and writer: keys, name rule, descrambling, splitting, failures.
#include "drill/questiontable.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include "support/specialfiles.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <set>

using namespace kanameru;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes stored lines exactly as given (CP932, CR LF), without the writer's checks.
void writeRawStored(const QString& path, const QStringList& storedLines)
{
    ASSERT_FALSE(writeTextFile(path, storedLines.join(QLatin1String("\r\n")) + QLatin1String("\r\n")));
}

class QuestionFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        reg.reset();
        ASSERT_TRUE(dir.isValid());
    }
    // The name the drill hands to the loader, and the stored file it reads.
    QString drillName() const { return dir.path() + QStringLiteral("/歴史年2001２.csv"); }
    QString storedPath() const { return dir.path() + QStringLiteral("/歴史年2001２vv.ccc"); }

    void writeClear(const QStringList& clearLines, quint32 seed = 7)
    {
        ASSERT_FALSE(writeStoredQuestionFile(storedPath(), clearLines, QStringLiteral("clear.csv"), seed));
    }

    QTemporaryDir dir;
};

} // namespace

// --- the keys -------------------------------------------------------------------------------

// Would catch a key of the wrong length, a non-digit, or a used pair of 00 (position 0 does not
// exist) that would make every load fail or crash.
TEST(SwapKeys, HaveDigitsOnlyAndUsedPairsInRange)
{
    for (const char* key : { swapKeyA, swapKeyB }) {
        const QByteArray digits(key);
        EXPECT_EQ(digits.size(), 396);
        for (char c : digits)
            EXPECT_TRUE(c >= '0' && c <= '9') << c;
    }
    for (int j = 1; j <= kSwapCount; ++j) {
        const SwapPair pair = swapTable()[j];
        EXPECT_GE(pair.a, 1) << j;
        EXPECT_LE(pair.a, 99) << j;
        EXPECT_GE(pair.b, 1) << j;
        EXPECT_LE(pair.b, 99) << j;
    }
    EXPECT_LE(requiredStoredLength(), 99);
}

// The pairs are taken from digits 2k+1, 2k+2: would catch an off-by-one in the digit reading.
TEST(SwapKeys, PairsComeFromDigitThreeOnwards)
{
    QByteArray a(396, '0');
    QByteArray b(396, '9');
    a[2] = '1';
    a[3] = '2'; // k = 1 -> 12
    a[198] = '4';
    a[199] = '5'; // k = 99 -> 45 (digits 199 and 200)
    a[0] = '7'; // k = 0 is never used
    const auto table = swapTableFrom(a.constData(), b.constData());
    EXPECT_EQ(table[1].a, 12);
    EXPECT_EQ(table[1].b, 99);
    EXPECT_EQ(table[99].a, 45);
    EXPECT_EQ(table[2].a, 0);
}

// A weak key leaves the clear text readable in the stored file. The chosen keys must move every
// position and tear neighbouring characters apart.
TEST(SwapKeys, ScrambleEveryPositionAndSeparateNeighbours)
{
    const int n = requiredStoredLength();
    EXPECT_EQ(n, 99);
    QString clear;
    for (int i = 0; i < n; ++i)
        clear += QChar(0x4E00 + i); // distinct characters
    // With no marker room left the filler is empty: scramble the 99 distinct characters only.
    const QString stored = scrambleLine(clear.left(n - questionEndMarker().size()), QString());
    ASSERT_EQ(stored.size(), n);
    QString whole = clear.left(n - questionEndMarker().size()) + questionEndMarker();
    std::vector<int> where(static_cast<size_t>(n));
    for (int p = 0; p < n; ++p)
        where[static_cast<size_t>(p)] = static_cast<int>(stored.indexOf(whole[p]));
    int inPlace = 0;
    int stillNeighbours = 0;
    for (int p = 0; p < n - questionEndMarker().size(); ++p) {
        if (where[static_cast<size_t>(p)] == p)
            ++inPlace;
        if (p + 1 < n - questionEndMarker().size()
            && std::abs(where[static_cast<size_t>(p)] - where[static_cast<size_t>(p + 1)]) == 1)
            ++stillNeighbours;
    }
    EXPECT_EQ(inPlace, 0);
    EXPECT_EQ(stillNeighbours, 0);
}

// --- the name rule --------------------------------------------------------------------------

struct NameCase {
    const char* given;
    const char* stored;
};

class StoredName : public ::testing::TestWithParam<NameCase> { };

TEST_P(StoredName, CutsAtTheFirstDotOfTheFileName)
{
    EXPECT_EQ(storedQuestionFileName(QString::fromUtf8(GetParam().given)), QString::fromUtf8(GetParam().stored));
}

INSTANTIATE_TEST_SUITE_P(Names, StoredName,
    ::testing::Values(NameCase { "/inst/カナメル/歴史年2001２.csv", "/inst/カナメル/歴史年2001２vv.ccc" },
        NameCase { "/inst/カナメル/歴史年2001２", "/inst/カナメル/歴史年2001２vv.ccc" },
        NameCase { "/a/b/q.tar.gz", "/a/b/qvv.ccc" },
        NameCase { "/school.share/カナメル/歴史年2001２.csv", "/school.share/カナメル/歴史年2001２vv.ccc" },
        NameCase { "C:\\drill.1\\歴史年2001２.csv", "C:\\drill.1\\歴史年2001２vv.ccc" },
        NameCase { "C:\\カナメル\\歴史年2001２.csv", "C:\\カナメル\\歴史年2001２vv.ccc" }, NameCase { "", "vv.ccc" }));

// --- lines ----------------------------------------------------------------------------------

struct LineCase {
    const char* name;
    const char* clear;
    std::vector<const char*> cells;
};

class LoadLine : public QuestionFolder, public ::testing::WithParamInterface<LineCase> { };

// Each clear line is stored, loaded and must give exactly its cells.
TEST_P(LoadLine, FillsTheCellsOfTheClearLine)
{
    const LineCase& c = GetParam();
    // Mark the cells beyond the expected ones: the loader must not touch them.
    for (int col = 1; col <= 101 - 1; ++col)
        reg.questionTable(1, col) = QStringLiteral("old");
    writeClear({ QString::fromUtf8(c.clear) });
    ASSERT_FALSE(loadQuestionTable(drillName()));
    EXPECT_EQ(reg.questionRowCount, 1);
    EXPECT_EQ(reg.questionColumnCount, static_cast<int>(c.cells.size()));
    for (size_t i = 0; i < c.cells.size(); ++i)
        EXPECT_EQ(reg.questionTable(1, static_cast<int>(i) + 1), QString::fromUtf8(c.cells[i])) << i;
    if (c.cells.size() < 100) {
        EXPECT_EQ(reg.questionTable(1, static_cast<int>(c.cells.size()) + 1), QStringLiteral("old"));
    }
    EXPECT_EQ(reg.questionTable(0, 1), QString());
    EXPECT_EQ(reg.questionTable(1, 0), QString());
}

INSTANTIATE_TEST_SUITE_P(Lines, LoadLine,
    ::testing::Values(LineCase { "EmptyMiddle", "1,,鎌倉", { "1", "", "鎌倉" } },
        LineCase { "NoComma", "大化の改新", { "大化の改新" } }, LineCase { "Empty", "", { "" } },
        LineCase { "TrailingComma", "a,b,", { "a", "b", "" } }, LineCase { "OnlyCommas", ",,", { "", "", "" } },
        LineCase { "MixedWidth", "ｶﾅ,ＡＢＣ,abc,漢字　かな,①Ⅰ", { "ｶﾅ", "ＡＢＣ", "abc", "漢字　かな", "①Ⅰ" } },
        LineCase { "SlashesAndEnd", "／ｅｎ,end,／", { "／ｅｎ", "end", "／" } },
        LineCase { "LongerThanTheKeys",
            "1,645,飛鳥,7世紀,政治,大化の改新,,中大兄皇子と中臣鎌足が蘇我氏を倒して政治の改革を始める。"
            "天皇中心の国づくりを目指し公地公民の方針を示した改新の詔を出した",
            { "1", "645", "飛鳥", "7世紀", "政治", "大化の改新", "",
                "中大兄皇子と中臣鎌足が蘇我氏を倒して政治の改革を始める。"
                "天皇中心の国づくりを目指し公地公民の方針を示した改新の詔を出した" } }),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

// One hundred fields is the most a line may have.
TEST_F(QuestionFolder, HundredFieldsFillColumnsOneToHundred)
{
    QStringList fields;
    for (int i = 1; i <= 100; ++i)
        fields << QString::number(i);
    writeClear({ fields.join(u',') });
    ASSERT_FALSE(loadQuestionTable(drillName()));
    EXPECT_EQ(reg.questionColumnCount, 100);
    EXPECT_EQ(reg.questionTable(1, 100), QStringLiteral("100"));
}

// Filler may hold commas; they must never become cells.
TEST_F(QuestionFolder, FillerWithCommasNeverReachesTheTable)
{
    const QString stored = scrambleLine(QStringLiteral("1,2"), QStringLiteral(",,,,x,,y,,") + QString(99, u','));
    writeRawStored(storedPath(), { stored });
    ASSERT_FALSE(loadQuestionTable(drillName()));
    EXPECT_EQ(reg.questionColumnCount, 2);
    EXPECT_EQ(reg.questionTable(1, 2), QStringLiteral("2"));
    EXPECT_EQ(reg.questionTable(1, 3), QString());
}

// The stored file must really be scrambled, in the Japanese code page with CR LF.
TEST_F(QuestionFolder, StoredFileIsScrambledCp932WithCrLf)
{
    const QStringList clear
        = { QStringLiteral("1,1192,鎌倉,12世紀,政治,鎌倉幕府の成立,,源頼朝が征夷大将軍に任じられる"),
              QStringLiteral("2,1274,鎌倉,13世紀,外交,文永の役,,元の大軍が初めて九州北部に攻め寄せる") };
    writeClear(clear);
    const QByteArray bytes = fileBytes(storedPath());
    EXPECT_EQ(bytes.count("\r\n"), 2);
    EXPECT_EQ(bytes.count('\n'), 2);
    std::optional<QString> text = decodeCp932(bytes);
    ASSERT_TRUE(text);
    const QStringList lines = splitLines(*text);
    ASSERT_EQ(lines.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_GE(lines[i].size(), requiredStoredLength());
        EXPECT_FALSE(lines[i].contains(QStringLiteral("源頼朝"))) << lines[i].toStdString();
        EXPECT_FALSE(lines[i].contains(questionEndMarker()));
        EXPECT_FALSE(lines[i].contains(QStringLiteral("1192")));
    }
}

// The same table and seed give the same file (a reproducible build); another seed other filler.
TEST_F(QuestionFolder, FillerFollowsTheSeed)
{
    const QStringList clear = { QStringLiteral("1,57,弥生,1世紀,外交,奴国の王が漢に使い,,金印を授かる") };
    const QString other = dir.path() + QStringLiteral("/other.ccc");
    writeClear(clear, 11);
    const QByteArray first = fileBytes(storedPath());
    writeClear(clear, 11);
    EXPECT_EQ(fileBytes(storedPath()), first);
    ASSERT_FALSE(writeStoredQuestionFile(other, clear, QStringLiteral("c"), 12));
    EXPECT_NE(fileBytes(other), first);
    Result<ClearQuestionTable> back = readStoredQuestionFile(other);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->lines.at(0).join(u','), clear[0]);
}

// A line shorter than the keys' positions cannot be undone; an empty filler still pads it.
TEST(ScrambleLine, PadsShortLinesAndRefusesShortStoredLines)
{
    const QString stored = scrambleLine(QStringLiteral("a"), QString());
    EXPECT_EQ(stored.size(), requiredStoredLength());
    ASSERT_TRUE(descrambleLine(stored));
    EXPECT_EQ(clearTextOf(*descrambleLine(stored)), QStringLiteral("a"));
    EXPECT_FALSE(descrambleLine(stored.left(requiredStoredLength() - 1)));
    EXPECT_FALSE(descrambleLine(QString()));
}

// --- round trip of random tables ------------------------------------------------------------

// Random tables (empty fields, half- and full-width text, long and short lines, many rows) go
// through the writer and the loader unchanged.
TEST_F(QuestionFolder, RandomTablesComeBackUnchanged)
{
    const QString alphabet = QStringLiteral("abcXYZ019 -ｱｶﾅﾞ漢字史年鎌倉あいうアイウ・「」（）。、Ａ１①Ⅱ／ｅｎｄ");
    for (quint32 seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        auto below = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        const int rows = seed == 12 ? 1000 : 1 + below(60);
        std::vector<QStringList> expected;
        QStringList clear;
        for (int r = 0; r < rows; ++r) {
            QStringList fields;
            const int count = 1 + below(seed % 3 == 0 ? 100 : 12);
            for (int f = 0; f < count; ++f) {
                QString field;
                const int length = below(4) == 0 ? 0 : below(40);
                for (int i = 0; i < length; ++i)
                    field += alphabet[below(static_cast<int>(alphabet.size()))];
                fields << field;
            }
            // Skip the rare line the writer rightly refuses (marker inside or at its end).
            if (clearLineProblem(fields.join(u',')))
                continue;
            expected.push_back(fields);
            clear << fields.join(u',');
        }
        writeClear(clear, seed);
        ASSERT_FALSE(loadQuestionTable(drillName())) << seed;
        ASSERT_EQ(reg.questionRowCount, static_cast<int>(expected.size())) << seed;
        EXPECT_EQ(reg.questionColumnCount, expected.back().size()) << seed;
        for (size_t r = 0; r < expected.size(); ++r)
            for (qsizetype c = 0; c < expected[r].size(); ++c)
                ASSERT_EQ(reg.questionTable(static_cast<int>(r) + 1, static_cast<int>(c) + 1), expected[r][c])
                    << "seed " << seed << " row " << r + 1 << " column " << c + 1;
    }
}

// A shorter file loaded after a longer one leaves the old rows beyond the new count.
TEST_F(QuestionFolder, ShorterFileLeavesOldRowsBeyondTheCount)
{
    writeClear({ QStringLiteral("1,a"), QStringLiteral("1,b"), QStringLiteral("1,c,d") });
    ASSERT_FALSE(loadQuestionTable(drillName()));
    EXPECT_EQ(reg.questionColumnCount, 3);
    writeClear({ QStringLiteral("2,x,y,z,w") });
    ASSERT_FALSE(loadQuestionTable(drillName()));
    EXPECT_EQ(reg.questionRowCount, 1);
    EXPECT_EQ(reg.questionColumnCount, 5);
    EXPECT_EQ(reg.questionTable(1, 2), QStringLiteral("x"));
    // Rows 2 and 3 of the first file are all still there.
    const std::vector<std::vector<QString>> old = { { "1", "b" }, { "1", "c", "d" } };
    for (int r = 2; r <= 3; ++r)
        for (int c = 1; c <= static_cast<int>(old[r - 2].size()); ++c)
            EXPECT_EQ(reg.questionTable(r, c), old[r - 2][c - 1]) << r << "," << c;
}

// An empty file is a table of no rows (the drill then finds no usable row).
TEST_F(QuestionFolder, EmptyFileGivesNoRows)
{
    writeClear({ QStringLiteral("1,a") });
    ASSERT_FALSE(loadQuestionTable(drillName()));
    QFile file(storedPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.close();
    ASSERT_FALSE(loadQuestionTable(drillName()));
    EXPECT_EQ(reg.questionRowCount, 0);
    EXPECT_EQ(reg.questionColumnCount, 0);
}

// --- failures -------------------------------------------------------------------------------

struct FailureCase {
    const char* name;
    // Writes the stored file into the folder (or nothing).
    std::function<void(const QString& storedPath)> make;
    int line;
    const char* reasonPart;
};

class LoadFailure : public QuestionFolder, public ::testing::WithParamInterface<FailureCase> { };

QString goodStored(const QString& clear)
{
    return scrambleLine(clear, makeFiller(120, 3));
}

// Every failure names the stored file, the line and the reason, and leaves the table of the
// last good load untouched (a half-loaded table would give wrong questions).
TEST_P(LoadFailure, ReportsFileLineAndReasonAndKeepsTheTable)
{
    writeClear({ QStringLiteral("1,good,row"), QStringLiteral("1,second") });
    ASSERT_FALSE(loadQuestionTable(drillName()));
    QFile::remove(storedPath());
    GetParam().make(storedPath());
    if (IsSkipped())
        return;

    const std::optional<FileError> error = loadQuestionTable(drillName());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, storedPath());
    EXPECT_EQ(error->line, GetParam().line);
    EXPECT_TRUE(error->reason.contains(QString::fromUtf8(GetParam().reasonPart))) << error->reason.toStdString();
    EXPECT_TRUE(error->message().contains(storedPath()));
    if (GetParam().line > 0) {
        EXPECT_TRUE(error->message().contains(QStringLiteral("%1 行目").arg(GetParam().line)));
    }
    EXPECT_EQ(reg.questionRowCount, 2);
    EXPECT_EQ(reg.questionColumnCount, 2);
    EXPECT_EQ(reg.questionTable(1, 2), QStringLiteral("good"));
    EXPECT_EQ(reg.questionTable(2, 2), QStringLiteral("second"));
}

INSTANTIATE_TEST_SUITE_P(Failures, LoadFailure,
    ::testing::Values(FailureCase { "Missing", [](const QString&) {}, 0, "ありません" },
        FailureCase { "TooManyLines",
            [](const QString& path) {
                QStringList lines;
                for (int i = 0; i < 1001; ++i)
                    lines << goodStored(QStringLiteral("1,x"));
                writeRawStored(path, lines);
            },
            1001, "1000 行まで" },
        FailureCase { "ShortLine",
            [](const QString& path) {
                writeRawStored(path,
                    { goodStored(QStringLiteral("1,a")), goodStored(QStringLiteral("1,b")),
                        goodStored(QStringLiteral("1,c")).left(98) });
            },
            3, "短すぎます" },
        FailureCase { "EmptyLineInTheMiddle",
            [](const QString& path) {
                writeRawStored(
                    path, { goodStored(QStringLiteral("1,a")), QString(), goodStored(QStringLiteral("1,c")) });
            },
            2, "短すぎます" },
        FailureCase { "NoMarker",
            [](const QString& path) {
                writeRawStored(path, { goodStored(QStringLiteral("1,a")), QString(120, u'あ') });
            },
            2, "終わりの印" },
        FailureCase { "ClearLineNotScrambled",
            [](const QString& path) {
                // A clear table saved under the stored name: the marker is not where the
                // keys put it.
                writeRawStored(path,
                    { QStringLiteral("1,645,飛鳥,7世紀,政治,大化の改新,,中大兄皇子が蘇我氏を倒す") + questionEndMarker()
                        + QString(80, u'x') });
            },
            1, "終わりの印" },
        FailureCase { "TooManyFields",
            [](const QString& path) {
                writeRawStored(path,
                    { goodStored(QStringLiteral("1,a")), goodStored(QStringLiteral("1,b")),
                        goodStored(QStringLiteral("1,c")), goodStored(QString(100, u',')) });
            },
            4, "101 個" },
        FailureCase { "NotCp932",
            [](const QString& path) {
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write("abc\r\n\x82\r\n");
            },
            2, "CP932" },
        // What is no question file: its reason at once, no wait on a FIFO, no endless read.
        FailureCase { "Fifo",
            [](const QString& path) {
                if (!testing_support::putSpecial(path, testing_support::Special::Fifo))
                    GTEST_SKIP() << "Windows has no FIFO";
            },
            0, "普通のファイルではありません" },
        FailureCase { "DevZero",
            [](const QString& path) {
                if (!testing_support::putSpecial(path, testing_support::Special::DevZero))
                    GTEST_SKIP() << "Windows has no device file";
            },
            0, "普通のファイルではありません" },
        FailureCase { "Folder",
            [](const QString& path) { testing_support::putSpecial(path, testing_support::Special::Folder); }, 0,
            "フォルダ" },
        FailureCase { "Oversize",
            [](const QString& path) {
                testing_support::putSpecial(path, testing_support::Special::Oversize, kQuestionFileLimit);
            },
            0, "大きすぎます" }),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// A folder with a dot in its name (a shared drive such as /mnt/school.share) still loads.
TEST(LoadFolder, DotInFolderDoesNotCutThePath)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/kanameru.1");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_FALSE(writeStoredQuestionFile(
        folder + QStringLiteral("/歴史年2001２vv.ccc"), { QStringLiteral("1,a") }, QStringLiteral("c")));
    const std::optional<FileError> error = loadQuestionTable(folder + QStringLiteral("/歴史年2001２.csv"));
    ASSERT_FALSE(error) << error->message().toStdString();
    EXPECT_EQ(reg.questionRowCount, 1);
    EXPECT_EQ(reg.questionTable(1, 2), QStringLiteral("a"));
}

// --- the writer's refusals ------------------------------------------------------------------

struct RefusalCase {
    const char* name;
    QStringList lines;
    int line;
    const char* reasonPart;
};

class WriteRefusal : public QuestionFolder, public ::testing::WithParamInterface<RefusalCase> { };

// A line that would not read back as written is refused with its line, and the old stored file
// stays as it was.
TEST_P(WriteRefusal, NamesTheLineAndWritesNothing)
{
    writeClear({ QStringLiteral("1,old") });
    const QByteArray before = fileBytes(storedPath());
    const std::optional<FileError> error
        = writeStoredQuestionFile(storedPath(), GetParam().lines, QStringLiteral("bank.csv"), 1);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->path, QStringLiteral("bank.csv"));
    EXPECT_EQ(error->line, GetParam().line);
    EXPECT_TRUE(error->reason.contains(QString::fromUtf8(GetParam().reasonPart))) << error->reason.toStdString();
    EXPECT_EQ(fileBytes(storedPath()), before);
}

QStringList manyLines(int n)
{
    QStringList lines;
    for (int i = 0; i < n; ++i)
        lines << QStringLiteral("1,x");
    return lines;
}

INSTANTIATE_TEST_SUITE_P(Refusals, WriteRefusal,
    ::testing::Values(
        RefusalCase { "MarkerInside", { QStringLiteral("1,a"), QStringLiteral("1,a／ｅｎｄ／b") }, 2, "終わりの印" },
        RefusalCase { "EndsLikeTheMarker", { QStringLiteral("1,／ｅｎｄ") }, 1, "早く見つかって" },
        RefusalCase { "HangulNotInCodePage", { QStringLiteral("1,a"), QStringLiteral("1,a"), QStringLiteral("1,한") },
            3, "「한」" },
        RefusalCase {
            "EmojiNotInCodePage", { QStringLiteral("1,") + QString::fromUtf8("\xF0\x9F\x98\x80") }, 1, "書けません" },
        RefusalCase { "WaveDashNotInCodePage", { QStringLiteral("1,1868〜1869") }, 1, "「〜」" },
        RefusalCase { "TooManyFields", { QString(100, u',') }, 1, "101 個" },
        RefusalCase { "TooManyLines", manyLines(1001), 1001, "1000 行まで" }),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });
