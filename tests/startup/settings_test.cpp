#include "startup/hensuu1.h"
#include "startup/settings.h"
#include "startup/textfile.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/specialfiles.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace kanameru;
using testing_support::FakePlatform;
using testing_support::TestInstallation;

namespace {

TEST(Folders, FilesLayoutPutsSharedDataInTheSiblingFilesFolder)
{
    const Folders f = resolveFolders(QStringLiteral("/school/drill/カナメル"), true);
    EXPECT_EQ(f.appFolder, QStringLiteral("/school/drill/カナメル/"));
    EXPECT_EQ(f.rosterFolder, QStringLiteral("/school/drill/files/"));
    EXPECT_EQ(f.programFolder, QStringLiteral("/school/drill/カナメル/"));
    EXPECT_EQ(f.soundFolder, QStringLiteral("/school/drill/files/"));
    EXPECT_EQ(f.programFolderName, QStringLiteral("カナメル"));
}

TEST(Folders, ParentLayoutPutsSharedDataInTheParent)
{
    const Folders f = resolveFolders(QStringLiteral("/school/drill/カナメル"), false);
    EXPECT_EQ(f.rosterFolder, QStringLiteral("/school/drill/"));
    EXPECT_EQ(f.programFolder, QStringLiteral("/school/drill/カナメル/"));
    EXPECT_EQ(f.soundFolder, QStringLiteral("/school/drill/音フォルダ/"));
}

TEST(Folders, ProgramFolderNameIsTheLastComponentAndEmptyAtTheRoot)
{
    EXPECT_EQ(programFolderNameOf(QStringLiteral("/a/b/カナメル")), QStringLiteral("カナメル"));
    EXPECT_EQ(programFolderNameOf(QStringLiteral("C:\\drill\\kanameru")), QStringLiteral("kanameru"));
    EXPECT_EQ(programFolderNameOf(QStringLiteral("C:\\")), QString());
    EXPECT_EQ(programFolderNameOf(QStringLiteral("/")), QString());
    EXPECT_EQ(programFolderNameOf(QStringLiteral("plain")), QStringLiteral("plain"));
}

struct SchoolCase {
    const char* line;
    const char* code;
    const char* name;
};

TEST(SchoolLine, SplitsAFiveDigitCodeOnlyWhenItIsNotZero)
{
    const SchoolCase cases[] = {
        { "12345カナメル塾", "12345", "カナメル塾" },
        { "00000カナメル塾", "", "00000カナメル塾" },
        { "カナメル塾", "", "カナメル塾" },
        { "00123塾", "00123", "塾" },
        { "12ab3塾", "12ab3", "塾" },
        { "", "", "" },
    };
    for (const SchoolCase& c : cases) {
        QString code, name;
        splitSchoolLine(QString::fromUtf8(c.line), &code, &name);
        EXPECT_EQ(code, QString::fromUtf8(c.code)) << c.line;
        EXPECT_EQ(name, QString::fromUtf8(c.name)) << c.line;
    }
}

TEST(LevelConstants, TitlesOfLevelsOneToThirteenAndEmptyBeyond)
{
    FakePlatform fake;
    setLevelConstants();
    EXPECT_EQ(reg.levelCount, 3);
    EXPECT_TRUE(reg.targetLevel == 3);
    EXPECT_EQ(reg.levelTitles[1], QStringLiteral("ﾚﾍﾞﾙ1"));
    EXPECT_EQ(reg.levelTitles[9], QStringLiteral("ﾚﾍﾞﾙ9"));
    EXPECT_EQ(reg.levelTitles[10], QStringLiteral("地域５－１"));
    EXPECT_EQ(reg.levelTitles[13], QStringLiteral("全体－２"));
    for (int level = 14; level <= 35; ++level)
        EXPECT_TRUE(reg.levelTitles[level].isEmpty()) << level;
    EXPECT_TRUE(reg.levelPracticeFlag[9] == 1);
    EXPECT_FALSE(reg.levelPracticeFlag[10] == 1);
    EXPECT_EQ(reg.levelIsTimed[13], 1);
}

TEST(LoadSettings, ReadsAFilesLayoutInstallation)
{
    FakePlatform fake;
    TestInstallation inst;
    QString levels = QStringLiteral("0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,5,1.5,2,100,28,7,x,\"y\",0\n");
    for (int i = 2; i <= 40; ++i)
        levels += QStringLiteral("%1,1,1,1,1,1,1,1,1,1,1,1\n").arg(i * 10);
    inst.writeText(QStringLiteral("カナメル/タイム回数データ.txt"), levels);
    ASSERT_FALSE(loadSettings(inst.exeDir()).has_value());
    EXPECT_EQ(reg.rosterFolder, inst.rosterFolder());
    EXPECT_EQ(reg.programFolder, inst.programFolder());
    EXPECT_EQ(reg.soundFolder, inst.soundFolder());
    EXPECT_EQ(reg.schoolCode, QStringLiteral("12345"));
    EXPECT_EQ(reg.schoolName, QStringLiteral("テスト塾"));
    EXPECT_TRUE(reg.schoolYearStartMonth == 4);
    EXPECT_TRUE(reg.status2Listed == 1);
    EXPECT_EQ(reg.drillSetTitle, QStringLiteral("カナメル"));
    // The second line is level 1.
    EXPECT_EQ(reg.levelTarget[0], 0);
    EXPECT_EQ(reg.levelTarget[1], 300);
    EXPECT_EQ(reg.levelTargetB[1], 240);
    EXPECT_EQ(reg.levelPassPoints[1], 60);
    EXPECT_EQ(reg.levelRequiredCount[1], 5);
    EXPECT_FLOAT_EQ(reg.levelPointFactor[1], 1.5f);
    EXPECT_TRUE(reg.levelCapCount[1] == 2);
    EXPECT_TRUE(reg.levelCapPoints[1] == 100);
    EXPECT_TRUE(reg.levelRecentDays[1] == 28);
    EXPECT_TRUE(reg.levelCapDays[1] == 7);
    // Lines beyond level 35 are ignored.
    EXPECT_EQ(reg.levelTarget[35], 350);
}

// The school's name is shown as one line of printable text, and what was taken out is named.
TEST(LoadSettings, ASchoolNameLosesItsInvisibleCharactersWithANotice)
{
    FakePlatform fake;
    TestInstallation inst;
    inst.writeBytes(
        QStringLiteral("files/共通データ.txt"), QStringLiteral("4,\"12345テスト\u202E塾\",1,0,0,0,0,0,0,0\n").toUtf8());
    QList<FileError> notices;
    ASSERT_FALSE(loadSettings(inst.exeDir(), &notices).has_value());
    EXPECT_EQ(reg.schoolName, QStringLiteral("テスト塾"));
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].message().contains(QStringLiteral("共通データ.txt の 1 行目: 学校名")));
    EXPECT_TRUE(notices[0].reason.contains(QStringLiteral("U+202E"))) << notices[0].reason.toStdString();
}

TEST(LoadSettings, ReadsAParentLayoutInstallation)
{
    FakePlatform fake;
    TestInstallation inst(TestInstallation::ParentLayout);
    ASSERT_FALSE(loadSettings(inst.exeDir()).has_value());
    EXPECT_EQ(QDir::cleanPath(reg.rosterFolder), QDir::cleanPath(inst.root()));
    EXPECT_EQ(reg.programFolder, inst.programFolder());
    EXPECT_EQ(reg.soundFolder, inst.soundFolder());
}

// The largest values a level can mean are held exactly, and a level without end keeps its 9999.
TEST(LoadSettings, HoldsLevelValuesAtTheEdgesOfTheirRanges)
{
    struct Edge {
        const char* line;
        qint32 target;
        qint32 passPoints;
        qint16 requiredCount;
        float factor;
    };
    const Edge edges[] = {
        { "86400,86400,100000000,9999,100,100000,100000000,36500,36500,0,0,0", 86400, 100000000, 9999, 100 },
        { "0,0,0,0,0,0,0,0,0,0,0,0", 0, 0, 0, 0 },
        { "300,240,60,9999.4,1.5,0,0,28,7,0,0,0", 300, 60, 9999, 1.5f },
        { "\"300\",240,60,5,1,0,0,28,7,0,0,0", 300, 60, 5, 1 },
    };
    for (const Edge& e : edges) {
        FakePlatform fake;
        TestInstallation inst;
        inst.writeLevels(QString::fromUtf8(e.line));
        std::optional<FileError> error = loadSettings(inst.exeDir());
        ASSERT_FALSE(error.has_value()) << e.line << ": " << error->message().toStdString();
        EXPECT_EQ(reg.levelTarget[1], e.target) << e.line;
        EXPECT_EQ(reg.levelPassPoints[1], e.passPoints) << e.line;
        EXPECT_EQ(reg.levelRequiredCount[1], e.requiredCount) << e.line;
        EXPECT_FLOAT_EQ(reg.levelPointFactor[1], e.factor) << e.line;
    }
}

struct FailureCase {
    const char* name;
    const char* file; // relative to the installation root; written as given (nullptr: removed)
    const char* contents; // nullptr: the file is removed
    const char* expectInMessage;
    int expectLine;
};

const FailureCase failureCases[] = {
    { "settings file missing", "カナメル/設定.txt", nullptr, "設定.txt", 0 },
    { "settings file short", "カナメル/設定.txt", "1,0,0\n", "設定.txt", 1 },
    // "␀" stands for a NUL byte.
    { "settings file with a NUL byte", "カナメル/設定.txt", "1␀,0,0,0,0,0,0,0,0,0\n", "設定.txt", 1 },
    // A damaged folder-layout value would choose the other layout and miss every file.
    { "layout 1x", "カナメル/設定.txt", "1x,0,0,0,0,0,0,0,0,0\n", "「1x」", 1 },
    { "full-width layout", "カナメル/設定.txt", "１,0,0,0,0,0,0,0,0,0\n", "「１」", 1 },
    { "layout and a byte order mark (UTF-8)", "カナメル/設定.txt", "1\uFEFF,0,0,0,0,0,0,0,0,0\n", "「1<U+FEFF>」", 1 },
    { "layout empty", "カナメル/設定.txt", "\n\n,0,0,0,0,0,0,0,0,0\n", "フォルダの置き方", 3 },
    { "common data with a NUL byte", "files/共通データ.txt", "4,\"12345塾\",1,0,0,0,0,0,0,0\n␀\n", "NUL", 2 },
    { "level file with a NUL byte", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,5,1,0,0,28,7,0,0,0␀\n", "NUL", 2 },
    { "common data missing", "files/共通データ.txt", nullptr, "共通データ.txt", 0 },
    { "common data short", "files/共通データ.txt", "4,\"12345塾\",1\n", "共通データ.txt", 1 },
    { "month not a number", "files/共通データ.txt", "\"四月\",\"塾\",1,0,0,0,0,0,0,0\n", "四月", 1 },
    { "month out of range", "files/共通データ.txt", "13,\"塾\",1,0,0,0,0,0,0,0\n", "13", 1 },
    { "level file missing", "カナメル/タイム回数データ.txt", nullptr, "タイム回数データ.txt", 0 },
    { "level row short", "カナメル/タイム回数データ.txt", "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60\n",
        "タイム回数データ.txt", 2 },
    { "level target not a number", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\nabc,240,60,5,1,0,0,28,7,0,0,0\n", "abc", 2 },
    { "required count beyond 16 bits", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,99999,1,0,0,28,7,0,0,0\n", "99999", 2 },
    { "required count rounds beyond 16 bits", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,32767.5,1,0,0,28,7,0,0,0\n", "32767.5", 2 },
    { "target beyond 32 bits", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n0,0,0,0,0,0,0,0,0,0,0,0\n3000000000,240,60,5,1,0,0,28,7,0,0,0\n", "3000000000", 3 },
    { "pass points far below 32 bits", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,-1e300,5,1,0,0,28,7,0,0,0\n", "合格点", 2 },
    // A level file that would leave the levels of the board without values.
    { "level file empty", "カナメル/タイム回数データ.txt", "", "4 行が必要ですが、0 行", 1 },
    { "level file of blank lines", "カナメル/タイム回数データ.txt", "\n  \n\n", "0 行", 1 },
    { "fewer rows than levels", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,5,1,0,0,28,7,0,0,0\n360,300,60,5,1,0,0,28,7,0,0,0\n", "3 行しかありません",
        4 },
    { "blank line between levels", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n\n300,240,60,5,1,0,0,28,7,0,0,0\n360,300,60,5,1,0,0,28,7,0,0,0\n420,360,60,5,1,0,0,"
        "28,7,0,0,0\n",
        "空の行", 2 },
    // Values spread over lines: eleven on one line and thirteen on a later one.
    { "eleven values then thirteen", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,5,1,0,0,28,7,0,0\n360,300,60,5,1,0,0,28,7,0,0,0\n420,360,60,5,1,0,0,28,7,"
        "0,0,0,0\n",
        "11 個", 2 },
    { "thirteen values", "カナメル/タイム回数データ.txt", "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,5,1,0,0,28,7,0,0,0,9\n",
        "13 個", 2 },
    // Values no level can mean, which would overflow the point sums or the time limit.
    { "point factor 2e8", "カナメル/タイム回数データ.txt", "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,5,2e8,0,0,28,7,0,0,0\n",
        "ポイント倍率", 2 },
    { "negative point factor", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,5,-1,0,0,28,7,0,0,0\n", "0 から 100", 2 },
    { "second target 1e9", "カナメル/タイム回数データ.txt", "0,0,0,0,0,0,0,0,0,0,0,0\n300,1e9,60,5,1,0,0,28,7,0,0,0\n",
        "1000000000", 2 },
    { "target over a day", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n86401,240,60,5,1,0,0,28,7,0,0,0\n", "0 から 86400", 2 },
    { "recent window of a million days", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,5,1,0,0,1e6,7,0,0,0\n", "最近の日数", 2 },
    { "cap points not a number", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,5,1,0,\"多い\",28,7,0,0,0\n", "多い", 2 },
    { "huge value text is cut", "カナメル/タイム回数データ.txt",
        "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,5,1,0,0,28,7,0,0,"
        "0\nxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx,1,1,1,1,1,1,1,1,1,1,1\n",
        "xxxxxxxx…", 3 },
};

class StartupFailure : public ::testing::TestWithParam<FailureCase> { };

TEST_P(StartupFailure, NamesTheFileAndWritesNothing)
{
    const FailureCase& c = GetParam();
    FakePlatform fake;
    TestInstallation inst;
    const QString file = QString::fromUtf8(c.file);
    const QString contents = QString::fromUtf8(c.contents).replace(QChar(0x2400), QChar(0));
    if (c.contents) // in CP932 when it can be, else in UTF-8
        encodeCp932(contents) ? inst.writeText(file, contents) : inst.writeBytes(file, contents.toUtf8());
    else
        QFile::remove(inst.path(file));
    const QStringList before = QDir(inst.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    std::optional<FileError> e = loadSettings(inst.exeDir());
    ASSERT_TRUE(e.has_value()) << c.name;
    EXPECT_TRUE(e->message().contains(QString::fromUtf8(c.expectInMessage)))
        << c.name << ": " << e->message().toStdString();
    EXPECT_TRUE(e->path.endsWith(file.section(QLatin1Char('/'), -1))) << c.name;
    EXPECT_EQ(e->line, c.expectLine) << c.name;
    EXPECT_EQ(QDir(inst.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, StartupFailure, ::testing::ValuesIn(failureCases));

// A message quotes a damaged value only in part: a whole line of megabytes would take the
// message box seconds to lay out.
TEST(LoadSettings, QuotesAHugeValueOnlyInPart)
{
    FakePlatform fake;
    TestInstallation inst;
    inst.writeText(QStringLiteral("files/共通データ.txt"),
        QStringLiteral("\"") + QString(100000, u'月') + QStringLiteral("\",\"塾\",1,0,0,0,0,0,0,0\n"));
    std::optional<FileError> e = loadSettings(inst.exeDir());
    ASSERT_TRUE(e.has_value());
    EXPECT_LT(e->message().size(), 300);
    EXPECT_TRUE(e->message().contains(QStringLiteral("月月月…"))) << e->message().toStdString();
}

// Something that is not a text file in place of a start-up file: its message at once, without
// waiting on a FIFO, reading /dev/zero for ever or reading a file far too large to be meant.
struct SpecialCase {
    const char* file;
    testing_support::Special special;
    const char* reasonPart;
};

class SpecialStartupFile : public ::testing::TestWithParam<SpecialCase> { };

TEST_P(SpecialStartupFile, IsRefusedAtOnceNamingTheFileAndWritesNothing)
{
    const SpecialCase& c = GetParam();
    FakePlatform fake;
    TestInstallation inst;
    const QString file = QString::fromUtf8(c.file);
    if (!testing_support::putSpecial(inst.path(file), c.special, kSmallTextFileLimit))
        GTEST_SKIP() << "Windows has no FIFO or device file";
    const QStringList before = testing_support::snapshot(inst.root());
    std::optional<FileError> e = loadSettings(inst.exeDir());
    ASSERT_TRUE(e.has_value()) << c.file << " " << specialName(c.special);
    EXPECT_EQ(e->path, inst.path(file));
    EXPECT_TRUE(e->reason.contains(QString::fromUtf8(c.reasonPart))) << e->reason.toStdString();
    EXPECT_EQ(testing_support::snapshot(inst.root()), before);
}

using testing_support::Special;
const SpecialCase specialCases[] = {
    { "カナメル/設定.txt", Special::Fifo, "普通のファイルではありません" },
    { "カナメル/設定.txt", Special::DevZero, "普通のファイルではありません" },
    { "カナメル/設定.txt", Special::Folder, "フォルダ" },
    { "カナメル/設定.txt", Special::Oversize, "大きすぎます" },
    { "files/共通データ.txt", Special::Fifo, "普通のファイルではありません" },
    { "files/共通データ.txt", Special::DevZero, "普通のファイルではありません" },
    { "files/共通データ.txt", Special::Folder, "フォルダ" },
    { "files/共通データ.txt", Special::Oversize, "大きすぎます" },
    { "カナメル/タイム回数データ.txt", Special::Fifo, "普通のファイルではありません" },
    { "カナメル/タイム回数データ.txt", Special::DevZero, "普通のファイルではありません" },
    { "カナメル/タイム回数データ.txt", Special::Folder, "フォルダ" },
    { "カナメル/タイム回数データ.txt", Special::Oversize, "大きすぎます" },
};
INSTANTIATE_TEST_SUITE_P(Cases, SpecialStartupFile, ::testing::ValuesIn(specialCases));

TEST(LoadSettings, ReportsAFileThatIsNotCp932)
{
    FakePlatform fake;
    TestInstallation inst;
    inst.writeBytes(QStringLiteral("files/共通データ.txt"), QByteArray("4,\"\x81\x20\xff\",1,0,0,0,0,0,0,0\r\n"));
    std::optional<FileError> e = loadSettings(inst.exeDir());
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->line, 1);
    EXPECT_TRUE(e->reason.contains(QStringLiteral("CP932")));
}

} // namespace
