#include "startup/hensuu1.h"
#include "startup/settings.h"
#include "support/fakes.h"
#include "support/installation.h"

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
        {"12345カナメル塾", "12345", "カナメル塾"},
        {"00000カナメル塾", "", "00000カナメル塾"},
        {"カナメル塾", "", "カナメル塾"},
        {"00123塾", "00123", "塾"},
        {"12ab3塾", "12ab3", "塾"},
        {"", "", ""},
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

TEST(LoadSettings, ReadsAParentLayoutInstallation)
{
    FakePlatform fake;
    TestInstallation inst(TestInstallation::ParentLayout);
    ASSERT_FALSE(loadSettings(inst.exeDir()).has_value());
    EXPECT_EQ(QDir::cleanPath(reg.rosterFolder), QDir::cleanPath(inst.root()));
    EXPECT_EQ(reg.programFolder, inst.programFolder());
    EXPECT_EQ(reg.soundFolder, inst.soundFolder());
}

// The largest values that fit are held exactly, and a level without end keeps its 9999.
TEST(LoadSettings, HoldsLevelValuesAtTheEdgesOfTheirRanges)
{
    struct Edge {
        const char* line;
        qint32 target;
        qint32 passPoints;
        qint16 requiredCount;
    };
    const Edge edges[] = {
        {"2147483647,240,-2147483648,32767,1,0,0,28,7,0,0,0", 2147483647, -2147483647 - 1, 32767},
        {"300,240,60,9999,1,0,0,28,7,0,0,0", 300, 60, 9999},
        {"300,240,60,-32768.5,1,0,0,28,7,0,0,0", 300, 60, -32768},
    };
    for (const Edge& e : edges) {
        FakePlatform fake;
        TestInstallation inst;
        inst.writeText(QStringLiteral("カナメル/タイム回数データ.txt"),
            QStringLiteral("0,0,0,0,0,0,0,0,0,0,0,0\n") + QString::fromUtf8(e.line) + u'\n');
        std::optional<FileError> error = loadSettings(inst.exeDir());
        ASSERT_FALSE(error.has_value()) << e.line << ": " << error->message().toStdString();
        EXPECT_EQ(reg.levelTarget[1], e.target) << e.line;
        EXPECT_EQ(reg.levelPassPoints[1], e.passPoints) << e.line;
        EXPECT_EQ(reg.levelRequiredCount[1], e.requiredCount) << e.line;
    }
}

struct FailureCase {
    const char* name;
    const char* file;     // relative to the installation root; written as given (nullptr: removed)
    const char* contents; // nullptr: the file is removed
    const char* expectInMessage;
    int expectLine;
};

const FailureCase failureCases[] = {
    {"settings file missing", "カナメル/設定.txt", nullptr, "設定.txt", 0},
    {"settings file short", "カナメル/設定.txt", "1,0,0\n", "設定.txt", 1},
    {"common data missing", "files/共通データ.txt", nullptr, "共通データ.txt", 0},
    {"common data short", "files/共通データ.txt", "4,\"12345塾\",1\n", "共通データ.txt", 1},
    {"month not a number", "files/共通データ.txt", "\"四月\",\"塾\",1,0,0,0,0,0,0,0\n", "四月", 1},
    {"month out of range", "files/共通データ.txt", "13,\"塾\",1,0,0,0,0,0,0,0\n", "13", 1},
    {"level file missing", "カナメル/タイム回数データ.txt", nullptr, "タイム回数データ.txt", 0},
    {"level row short", "カナメル/タイム回数データ.txt", "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60\n", "タイム回数データ.txt", 2},
    {"level target not a number", "カナメル/タイム回数データ.txt", "0,0,0,0,0,0,0,0,0,0,0,0\nabc,240,60,5,1,0,0,28,7,0,0,0\n", "abc", 2},
    {"required count beyond 16 bits", "カナメル/タイム回数データ.txt", "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,99999,1,0,0,28,7,0,0,0\n", "99999", 2},
    {"required count rounds beyond 16 bits", "カナメル/タイム回数データ.txt", "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,60,32767.5,1,0,0,28,7,0,0,0\n", "32767.5", 2},
    {"target beyond 32 bits", "カナメル/タイム回数データ.txt", "0,0,0,0,0,0,0,0,0,0,0,0\n0,0,0,0,0,0,0,0,0,0,0,0\n3000000000,240,60,5,1,0,0,28,7,0,0,0\n", "3000000000", 3},
    {"pass points far below 32 bits", "カナメル/タイム回数データ.txt", "0,0,0,0,0,0,0,0,0,0,0,0\n300,240,-1e300,5,1,0,0,28,7,0,0,0\n", "合格点", 2},
};

class StartupFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(StartupFailure, NamesTheFileAndWritesNothing)
{
    const FailureCase& c = GetParam();
    FakePlatform fake;
    TestInstallation inst;
    const QString file = QString::fromUtf8(c.file);
    if (c.contents)
        inst.writeText(file, QString::fromUtf8(c.contents));
    else
        QFile::remove(inst.path(file));
    const QStringList before = QDir(inst.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    std::optional<FileError> e = loadSettings(inst.exeDir());
    ASSERT_TRUE(e.has_value()) << c.name;
    EXPECT_TRUE(e->message().contains(QString::fromUtf8(c.expectInMessage))) << c.name << ": " << e->message().toStdString();
    EXPECT_TRUE(e->path.endsWith(file.section(QLatin1Char('/'), -1))) << c.name;
    EXPECT_EQ(e->line, c.expectLine) << c.name;
    EXPECT_EQ(QDir(inst.root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, StartupFailure, ::testing::ValuesIn(failureCases));

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
