#include "fileio/fileio.h"
#include "roster/rosterfile.h"
#include "roster/rosterwrite.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/restore.h"
#include "support/specialfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>
#include <gtest/gtest.h>

using namespace kanameru;
using testing_support::FakePlatform;
using testing_support::TestInstallation;

namespace {

QString recordLine(int number, int birthYear, const QString& name, int status)
{
    return QStringLiteral("%1,%2,7,9,\"%3\",%4,\"spare-a\",\"spare-b\"\n")
        .arg(QString::number(number), QString::number(birthYear), name, QString::number(status));
}

// A roster in a fresh installation, with the shared settings the roster reads.
struct RosterFixture : ::testing::Test {
    FakePlatform fake;
    TestInstallation inst;
    void SetUp() override
    {
        reg.rosterFolder = inst.rosterFolder();
        reg.schoolYearStartMonth = AnyValue(4);
        reg.status2Listed = AnyValue(0);
        fake.clock.set(QDateTime(QDate(2019, 4, 10), QTime(9, 0)));
    }
    void writeRoster(const QString& text) { inst.writeText(QStringLiteral("files/生徒用名簿.txt"), text); }
};

struct GradeCase {
    int index;
    const char* label;
    const char* fullWidth;
};

TEST(Grades, LabelsAndFullWidthLabelsCoverEveryStage)
{
    const GradeCase cases[] = {
        { -30, "幼-", "" },
        { -3, "幼-", "" },
        { -2, "幼1", "" },
        { -1, "幼2", "" },
        { 0, "幼3", "幼３" },
        { 1, "小1", "小１" },
        { 6, "小6", "小６" },
        { 7, "中1", "中１" },
        { 9, "中3", "中３" },
        { 10, "高1", "高１" },
        { 11, "高2", "" },
        { 12, "高3", "" },
        { 13, "大+", "" },
        { 2000, "大+", "" },
    };
    for (const GradeCase& c : cases) {
        EXPECT_EQ(gradeLabel(c.index), QString::fromUtf8(c.label)) << c.index;
        EXPECT_EQ(fullWidthGradeLabel(c.index), QString::fromUtf8(c.fullWidth)) << c.index;
    }
}

TEST(Grades, SchoolYearTurnsInTheStartMonth)
{
    struct Case {
        QDate date;
        int startMonth;
        int year;
    } const cases[] = {
        { QDate(2019, 3, 10), 4, 2018 },
        { QDate(2019, 4, 10), 4, 2019 },
        { QDate(2019, 3, 31), 4, 2018 },
        { QDate(2019, 4, 1), 4, 2019 },
        { QDate(2019, 12, 31), 1, 2019 },
        { QDate(2019, 1, 1), 1, 2019 },
        { QDate(2019, 8, 31), 9, 2018 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(schoolYearOf(c.date, c.startMonth), c.year) << c.date.toString().toStdString();
}

TEST_F(RosterFixture, GradeLabelsBeforeAndAfterTheSchoolYearStarts)
{
    writeRoster(recordLine(1, 2005, QStringLiteral("一郎"), 0) + recordLine(2, 2012, QStringLiteral("二郎"), 0)
        + recordLine(3, 2014, QStringLiteral("三郎"), 0) + recordLine(4, 2016, QStringLiteral("四郎"), 0));
    struct Case {
        QDate day;
        int schoolYear;
        QStringList labels;
        QStringList fullWidth;
    } const cases[] = {
        { QDate(2019, 3, 10), 2018, { "中1", "幼3", "幼1", "幼-" }, { "中１", "幼３", "", "" } },
        { QDate(2019, 4, 10), 2019, { "中2", "小1", "幼2", "幼-" }, { "中２", "小１", "", "" } },
    };
    for (const Case& c : cases) {
        fake.clock.set(QDateTime(c.day, QTime(12, 0)));
        ASSERT_FALSE(readRoster());
        EXPECT_EQ(reg.schoolYear.toInteger(), c.schoolYear);
        ASSERT_EQ(reg.boardPupilCount.toInteger(), 4);
        for (int k = 1; k <= 4; ++k) {
            EXPECT_EQ(gradeLabel(gradeIndexOf(c.schoolYear, reg.pupilBirthYear[k])), c.labels[k - 1]) << k;
            EXPECT_EQ(reg.pupilGradeLabel[k], c.fullWidth[k - 1]) << k;
        }
    }
}

TEST_F(RosterFixture, StatusDecidesWhichRecordsTakeAPosition)
{
    writeRoster(recordLine(1, 2010, QStringLiteral("Ａ"), 0) + recordLine(2, 2010, QStringLiteral("Ｂ"), 1)
        + recordLine(3, 2010, QStringLiteral("Ｃ"), 0) + recordLine(4, 2010, QStringLiteral("Ｄ"), 2)
        + recordLine(5, 2010, QStringLiteral("Ｅ"), -1) + recordLine(6, 2010, QStringLiteral("Ｆ"), 0));
    struct Case {
        int status2Listed;
        QList<int> numbers;
    } const cases[] = {
        { 0, { 1, 3, 6 } },
        { 1, { 1, 3, 4, 6 } },
        { 2, { 1, 3, 6 } },
    };
    for (const Case& c : cases) {
        reg.status2Listed = AnyValue(c.status2Listed);
        ASSERT_FALSE(readRoster());
        ASSERT_EQ(reg.boardPupilCount.toInteger(), c.numbers.size()) << c.status2Listed;
        for (int k = 1; k <= c.numbers.size(); ++k) {
            EXPECT_EQ(reg.boardPupilNos[k].toInteger(), c.numbers[k - 1]);
            EXPECT_EQ(reg.roster[k].number, c.numbers[k - 1]);
            EXPECT_EQ(reg.roster[k].status, 0);
            EXPECT_EQ(trimmedFixed(reg.pupilNames[k]), QChar(0xFF21 + c.numbers[k - 1] - 1));
        }
    }
}

TEST_F(RosterFixture, NamesAreHeldAsTwentyCharacters)
{
    const QString longName = QStringLiteral("寿限無寿限無五劫の擦り切れ海砂利水魚の水行末雲来末");
    ASSERT_EQ(longName.size(), 25);
    writeRoster(recordLine(1, 2010, longName, 0) + recordLine(2, 2010, QStringLiteral("林太郎"), 0));
    QList<FileError> notices;
    ASSERT_FALSE(readRoster(nullptr, &notices));
    ASSERT_EQ(notices.size(), 1); // never cut silently
    EXPECT_EQ(notices[0].line, 1);
    EXPECT_TRUE(notices[0].reason.contains(QStringLiteral("25 文字"))) << notices[0].reason.toStdString();
    EXPECT_EQ(reg.pupilNames[1], longName.left(20));
    EXPECT_EQ(reg.pupilNames[2], QStringLiteral("林太郎") + QString(17, QLatin1Char(' ')));
    EXPECT_EQ(reg.roster[1].spareText1, QStringLiteral("spare-a") + QString(13, QLatin1Char(' ')));
    EXPECT_EQ(reg.roster[1].spare1, 7);
    EXPECT_EQ(reg.roster[1].spare2, 9);
}

TEST_F(RosterFixture, AnEmptyRosterListsNobody)
{
    writeRoster(QString());
    reg.boardPupilCount = AnyValue(3);
    ASSERT_FALSE(readRoster());
    EXPECT_EQ(reg.boardPupilCount.toInteger(), 0);
}

TEST_F(RosterFixture, AGradeWithoutFullWidthLabelLeavesNoLabelOfAnEarlierPupil)
{
    writeRoster(recordLine(1, 2010, QStringLiteral("前"), 0));
    ASSERT_FALSE(readRoster());
    EXPECT_EQ(reg.pupilGradeLabel[1], QStringLiteral("小３"));
    writeRoster(recordLine(1, 1980, QStringLiteral("先生"), 0));
    ASSERT_FALSE(readRoster());
    EXPECT_EQ(reg.pupilGradeLabel[1], QString());
}

struct BadLine {
    const char* text; // "␀" stands for a NUL byte
    int line;
    const char* reasonPart;
    int listed = 2; // the pupils listed around it
};

// A line that cannot be parsed is a teacher's typo, not a failure to wait out: it is named with
// its line and reason, and every other pupil is listed at once.
TEST_F(RosterFixture, MalformedLinesAreNamedWithTheirLineAndTheOtherPupilsListed)
{
    const QString good = recordLine(1, 2010, QStringLiteral("よい"), 0);
    const QString after = recordLine(9, 2011, QStringLiteral("あと"), 0);
    const BadLine cases[] = {
        { "2,2010,0,0,\"七つ\",0,\"\"\n", 2, "8つ" },
        { "2,2010,0,0,\"多い\",0,\"\",\"\",9\n", 2, "8つ" },
        { "2,二千十,0,0,\"年\",0,\"\",\"\"\n", 2, "生まれた年" },
        { "2,2010,0,0,\"大\",70000,\"\",\"\"\n", 2, "状態" },
        { "2,2010,0,0,\"文字\",\"零\",\"\",\"\"\n", 2, "状態" },
        // A record spread over two lines.
        { "2,2010,0,0\n\"分かれた\",0,\"\",\"\"\n", 2, "8つ" },
        // A huge value, quoted only in part.
        { "2,2010,0,0,\"大\",0,\"\",\"\"\n3,\"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\",0,0,"
          "\"\",0,\"\",\"\"\n",
            3, "xxxxxxxx…", 3 },
        { "2,2010,0,0,\"大\",0,\"\",\"\"\n3,1e300,0,0,\"\",0,\"\",\"\"\n", 3, "生まれた年", 3 },
        // A value with a tab in it shows the tab as a mark, on one line.
        { "2,2010,0,0,\"大\",0,\"\",\"\"\n3,\"20\t10\",0,0,\"\",0,\"\",\"\"\n", 3, "「20→10」", 3 },
        // Damage: a NUL byte.
        { "2,2010,0,0,\"壊␀\",0,\"\",\"\"\n", 2, "NUL" },
    };
    for (const BadLine& c : cases) {
        const QString bad = QString::fromUtf8(c.text).replace(QChar(0x2400), QChar(0));
        writeRoster(good + bad + after);
        RosterProblem problem = RosterProblem::Unreadable;
        QList<FileError> notices;
        const std::optional<FileError> error = readRoster(&problem, &notices);
        ASSERT_FALSE(error) << c.text << error->message().toStdString();
        EXPECT_EQ(problem, RosterProblem::None);
        ASSERT_EQ(reg.boardPupilCount.toInteger(), c.listed) << c.text;
        EXPECT_EQ(trimmedFixed(reg.pupilNames[1]), QStringLiteral("よい"));
        EXPECT_EQ(trimmedFixed(reg.pupilNames[reg.boardPupilCount.toInteger()]), QStringLiteral("あと"));
        ASSERT_FALSE(notices.isEmpty()) << c.text;
        EXPECT_EQ(notices[0].line, c.line) << c.text;
        EXPECT_TRUE(notices[0].path.endsWith(kRosterFile));
        EXPECT_TRUE(notices[0].reason.contains(QString::fromUtf8(c.reasonPart))) << notices[0].reason.toStdString();
    }
}

TEST_F(RosterFixture, AFailedReadLeavesTheTablesAsTheyWere)
{
    writeRoster(recordLine(1, 2010, QStringLiteral("残る"), 0));
    ASSERT_FALSE(readRoster());
    writeRoster(recordLine(1, 2011, QStringLiteral("消える"), 0));
    const auto refused = testing_support::installHook(
        fileio::setOpenCheckForTests, [](const fileio::Path&, fileio::File::Mode) { return EACCES; });
    RosterProblem problem = RosterProblem::None;
    const std::optional<FileError> error = readRoster(&problem);
    ASSERT_TRUE(error);
    EXPECT_EQ(problem, RosterProblem::Unreadable);
    EXPECT_EQ(trimmedFixed(reg.pupilNames[1]), QStringLiteral("残る"));
    EXPECT_EQ(reg.boardPupilCount.toInteger(), 1);
}

// Listed numbers are 1..5000 and each is listed once, so the tables never overflow: a 5001st
// listed line repeats a number and is left out on its own.
TEST_F(RosterFixture, AListedLineBeyondFiveThousandPupilsIsLeftOutAndTheOthersFit)
{
    QString text;
    for (int i = 1; i <= kMaxPupil + 1; ++i)
        text += recordLine(i <= kMaxPupil ? i : 1, 2010, QStringLiteral("生徒"), 0);
    writeRoster(text);
    RosterProblem problem = RosterProblem::None;
    QList<FileError> leftOut;
    ASSERT_FALSE(readRoster(&problem, &leftOut));
    EXPECT_EQ(problem, RosterProblem::None);
    ASSERT_EQ(leftOut.size(), 1);
    EXPECT_EQ(leftOut[0].line, kMaxPupil + 1);
    EXPECT_EQ(reg.boardPupilCount.toInteger(), kMaxPupil);

    // Five thousand listed pupils and any number of unlisted ones still fit.
    text.clear();
    for (int i = 1; i <= kMaxPupil; ++i)
        text += recordLine(i, 2010, QStringLiteral("生徒"), 0);
    text += recordLine(5001, 2010, QStringLiteral("卒業"), 1);
    writeRoster(text);
    EXPECT_FALSE(readRoster());
    EXPECT_EQ(reg.boardPupilCount.toInteger(), kMaxPupil);
}

// One listed record whose number has no place in the tables, or whose number the first line
// already carries, is left out and named with its line; every other pupil is listed. A number
// written in quotes is read as the number.
TEST_F(RosterFixture, AListedNumberOutsideTheTablesLeavesOutOnlyThatRecord)
{
    struct Case {
        const char* number;
        bool listed;
        const char* reasonPart = "1～5000";
    } const cases[] = { { "0", false }, { "-4", false }, { "5001", false }, { "70000", false }, { "1e300", false },
        { "\"2\"", true }, { "\" 2 \"", true }, { "1", false, "1 行目の生徒と同じ" },
        { "\"1\"", false, "1 行目の生徒と同じ" } };
    for (const Case& c : cases) {
        writeRoster(recordLine(1, 2010, QStringLiteral("一"), 0)
            + QStringLiteral("%1,2010,0,0,\"外\",0,\"\",\"\"\n").arg(QString::fromUtf8(c.number))
            + recordLine(3, 2012, QStringLiteral("三"), 0));
        RosterProblem problem = RosterProblem::None;
        QList<FileError> leftOut;
        const std::optional<FileError> error = readRoster(&problem, &leftOut);
        ASSERT_FALSE(error) << c.number << ": " << error->message().toStdString();
        EXPECT_EQ(problem, RosterProblem::None);
        EXPECT_EQ(reg.boardPupilCount.toInteger(), c.listed ? 3 : 2) << c.number;
        EXPECT_EQ(trimmedFixed(reg.pupilNames[c.listed ? 3 : 2]), QStringLiteral("三")) << c.number;
        if (c.listed) {
            EXPECT_TRUE(leftOut.isEmpty()) << c.number;
            EXPECT_EQ(reg.boardPupilNos[2].toInteger(), 2);
            continue;
        }
        ASSERT_EQ(leftOut.size(), 1) << c.number;
        EXPECT_EQ(leftOut[0].line, 2);
        EXPECT_EQ(leftOut[0].path, rosterFileName());
        EXPECT_TRUE(leftOut[0].reason.contains(QString::fromUtf8(c.reasonPart))) << leftOut[0].reason.toStdString();
        EXPECT_EQ(reg.boardPupilNos[1].toInteger(), 1);
        EXPECT_EQ(trimmedFixed(reg.pupilNames[1]), QStringLiteral("一"));
    }
    // Unlisted records may carry any number, and are not named.
    writeRoster(recordLine(1, 2010, QStringLiteral("一"), 0) + recordLine(9999, 2010, QStringLiteral("外"), 1));
    QList<FileError> leftOut;
    EXPECT_FALSE(readRoster(nullptr, &leftOut));
    EXPECT_TRUE(leftOut.isEmpty());
}

// What is not a roster file in the roster's place: the message at once (no wait on a FIFO, no
// endless read of /dev/zero), the tables as they were, and nothing written.
TEST_F(RosterFixture, SomethingThatIsNoFileIsRefusedAtOnceAndNothingIsWritten)
{
    using testing_support::Special;
    const struct {
        Special special;
        const char* reasonPart;
    } cases[]
        = { { Special::Fifo, "普通のファイルではありません" }, { Special::DevZero, "普通のファイルではありません" },
              { Special::Folder, "フォルダ" }, { Special::Oversize, "大きすぎます" } };
    for (const auto& c : cases) {
        writeRoster(recordLine(1, 2010, QStringLiteral("残る"), 0));
        ASSERT_FALSE(readRoster());
        if (!testing_support::putSpecial(rosterFileName(), c.special, kRosterFileLimit))
            continue; // Windows has no FIFO or device file
        inst.writeText(QStringLiteral("files/生徒用名簿temp.txt"), recordLine(1, 2010, QStringLiteral("控え"), 0));
        const QStringList before = testing_support::snapshot(inst.root());
        名簿ファイル処理(); // the roster is there: the temporary copy must not replace it
        RosterProblem problem = RosterProblem::None;
        const std::optional<FileError> error = readRoster(&problem);
        ASSERT_TRUE(error) << specialName(c.special);
        EXPECT_EQ(problem, RosterProblem::Unreadable);
        EXPECT_TRUE(error->reason.contains(QString::fromUtf8(c.reasonPart))) << error->reason.toStdString();
        EXPECT_EQ(trimmedFixed(reg.pupilNames[1]), QStringLiteral("残る"));
        EXPECT_EQ(testing_support::snapshot(inst.root()), before) << specialName(c.special);
        testing_support::putSpecial(rosterFileName(), Special::Folder);
        QDir(rosterFileName()).removeRecursively();
        QFile::remove(rosterTempFileName());
    }
}

TEST_F(RosterFixture, AMissingRosterIsReportedAsMissing)
{
    QFile::remove(rosterFileName());
    RosterProblem problem = RosterProblem::None;
    const std::optional<FileError> error = readRoster(&problem);
    ASSERT_TRUE(error);
    EXPECT_EQ(problem, RosterProblem::Missing);
    EXPECT_EQ(error->path, rosterFileName());
}

// Rosters in CP932 and in UTF-8 (as Notepad saves it, with or without a byte order mark), also
// files whose every line reads both ways ("ﾐｷ" in CP932 is "з" in UTF-8): each lists its pupils
// as written, and an edited name is written in the file's own encoding, the other lines byte for
// byte. A line of the other encoding, or of neither, is named and left out.
struct RosterEncoding {
    const char* name;
    QByteArray bytes;
    const char* names; // the listed pupils' names, separated by "|"
    int badLine = 0; // the line named, 0 when none
    const char* reasonPart = "";
};

class RosterEncodings : public RosterFixture, public ::testing::WithParamInterface<RosterEncoding> { };

const char* const kTwoPupils = "1,2010,0,0,\"山田\",0,\"\",\"\"\n2,2011,0,0,\"髙橋　①子\",0,\"\",\"\"\n";
// Common names whose UTF-8 bytes also pass as CP932 ("山田" reads as "螻ｱ逕ｰ").
const char* const kNamesThatPassAsCp932 = "1,2010,0,0,\"山田\",0,\"\",\"\"\n2,2011,0,0,\"佐藤\",0,\"\",\"\"\n";

QByteArray crlf(QByteArray bytes)
{
    return bytes.replace("\n", "\r\n");
}

// Roster lines of the names, numbered from 1, in CP932 or UTF-8.
QByteArray rosterOf(const QStringList& names, bool utf8, int first = 1)
{
    QByteArray bytes;
    for (const QString& name : names) {
        const QString line = QStringLiteral("%1,2010,0,0,\"%2\",0,\"\",\"\"\r\n").arg(QString::number(first++), name);
        bytes += utf8 ? line.toUtf8() : *encodeCp932(line);
    }
    return bytes;
}

TEST_P(RosterEncodings, ListTheirPupilsAndAreWrittenBackInTheirOwnEncoding)
{
    const RosterEncoding& c = GetParam();
    inst.writeBytes(QStringLiteral("files/生徒用名簿.txt"), c.bytes);
    QList<FileError> notices;
    const std::optional<FileError> error = readRoster(nullptr, &notices);
    ASSERT_FALSE(error) << error->message().toStdString();
    const QStringList names = QString::fromUtf8(c.names).split(u'|');
    ASSERT_EQ(reg.boardPupilCount.toInteger(), names.size());
    for (int k = 1; k <= names.size(); ++k)
        EXPECT_EQ(trimmedFixed(reg.pupilNames[k]), names[k - 1]) << k;
    for (const FileError& notice : std::as_const(notices))
        EXPECT_TRUE(notice.reason.contains(QString::fromUtf8(c.reasonPart))) << notice.reason.toStdString();
    EXPECT_EQ(notices.value(0).line, c.badLine ? c.badLine : notices.isEmpty() ? 0 : notices[0].line);
    if (c.badLine > 0)
        return;

    const QString newName = names[0] + QStringLiteral("花");
    ASSERT_FALSE(writeRosterRows(rosterFileName(), { { newName, QStringLiteral("2010") } }));
    QFile written(rosterFileName());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_EQ(bytes.mid(bytes.indexOf('\n') + 1), c.bytes.mid(c.bytes.indexOf('\n') + 1)) << "the other lines changed";
    ASSERT_FALSE(readRoster());
    EXPECT_EQ(trimmedFixed(reg.pupilNames[1]), newName);
    EXPECT_EQ(trimmedFixed(reg.pupilNames[names.size()]), names.back());
}

INSTANTIATE_TEST_SUITE_P(Encodings, RosterEncodings,
    ::testing::Values(
        RosterEncoding { "Cp932CrLf", crlf(*encodeCp932(QString::fromUtf8(kTwoPupils))), "山田|髙橋　①子" },
        RosterEncoding { "Utf8Lf", QByteArray(kTwoPupils), "山田|髙橋　①子" },
        RosterEncoding { "Utf8CrLf", crlf(kTwoPupils), "山田|髙橋　①子" },
        RosterEncoding { "Utf8WithByteOrderMark", "\xEF\xBB\xBF" + crlf(kTwoPupils), "山田|髙橋　①子" },
        RosterEncoding { "Utf8ThatAlsoPassesAsCp932", crlf(kNamesThatPassAsCp932), "山田|佐藤" },
        // Every line of these reads both ways.
        RosterEncoding { "Cp932HalfWidthKatakana", rosterOf({ "ﾐｷ", "ﾐｶ", "ﾐｵ", "ﾕｲ" }, false), "ﾐｷ|ﾐｶ|ﾐｵ|ﾕｲ" },
        RosterEncoding { "Utf8Kanji", rosterOf({ "田中", "鈴木", "ミキ", "伊藤", "渡辺", "山本" }, true),
            "田中|鈴木|ミキ|伊藤|渡辺|山本" },
        RosterEncoding { "Utf8KanjiBeyondTheBasicPlane", rosterOf({ "小林", "𠮷田" }, true), "小林|𠮷田", 0, "「𠮷」" },
        // What a typed name may not hold is taken out for the screen, and named.
        RosterEncoding {
            "Utf8DirectionOverride", rosterOf({ "山田\u202E花子abc", "林\u200B" }, true), "山田花子abc|林", 0, "U+20" },
        RosterEncoding { "Cp932ControlCharacter", rosterOf({ "山\u0001田", "林" }, false), "山田|林", 0, "U+0001" },
        // Lines of both encodings: the one most lines belong to is the file's.
        RosterEncoding { "Cp932KanjiAndHalfWidthKatakana", rosterOf({ "山田", "ﾐｷ", "ﾔﾏﾀﾞ ﾐｶ", "ﾐｵ" }, false),
            "山田|ﾐｷ|ﾔﾏﾀﾞ ﾐｶ|ﾐｵ" },
        RosterEncoding { "Cp932WithAsciiNames", rosterOf({ "Ken", "ﾐｷ", "Aya" }, false), "Ken|ﾐｷ|Aya" },
        // A file mixing both: the line of the other encoding is named, never read as mojibake.
        RosterEncoding { "Cp932WithAUtf8LineThatPassesAsCp932",
            rosterOf({ "ﾐｷ", "ﾐｶ" }, false) + rosterOf({ "山田" }, true, 3), "ﾐｷ|ﾐｶ", 3,
            "UTF-8 で書かれているようです" },
        RosterEncoding { "Cp932WithAUtf8Line", rosterOf({ "山田", "ﾐｶ" }, false) + rosterOf({ "さくら" }, true, 3),
            "山田|ﾐｶ", 3, "Shift-JIS（CP932）として読めません" },
        RosterEncoding { "Utf8WithACp932Line", rosterOf({ "田中", "鈴木" }, true) + rosterOf({ "ﾐｷ" }, false, 3),
            "田中|鈴木", 3, "Shift-JIS（CP932）で書かれているようです" },
        RosterEncoding { "Neither", crlf(kTwoPupils) + "3,2012,0,0,\"\x82\xff\",0,\"\",\"\"\r\n", "山田|髙橋　①子", 3,
            "UTF-8 としても" }),
    [](const ::testing::TestParamInfo<RosterEncoding>& info) { return std::string(info.param.name); });

TEST_F(RosterFixture, PositionsAreFoundByNumberWhenTheNumbersHaveGaps)
{
    writeRoster(recordLine(1, 2010, QStringLiteral("一"), 0) + recordLine(2, 2010, QStringLiteral("二"), 1)
        + recordLine(3, 2010, QStringLiteral("三"), 0));
    ASSERT_FALSE(readRoster());
    EXPECT_EQ(listedPositionOfPupil(1), 1);
    EXPECT_EQ(listedPositionOfPupil(3), 2);
    EXPECT_EQ(trimmedFixed(reg.pupilNames[listedPositionOfPupil(3)]), QStringLiteral("三"));
    EXPECT_EQ(listedPositionOfPupil(2), 0);
    EXPECT_EQ(listedPositionOfPupil(0), 0);
    EXPECT_EQ(listedPositionOfPupil(6000), 0);
}

TEST_F(RosterFixture, TheTemporaryCopyReplacesOnlyAMissingRoster)
{
    const QString temp = QStringLiteral("files/生徒用名簿temp.txt");
    struct Case {
        bool rosterThere;
        bool tempThere;
        const char* expectedRosterName; // "" = no roster afterwards
        bool tempLeft;
    } const cases[] = {
        { false, true, "控え", false },
        { true, true, "本物", true },
        { true, false, "本物", false },
        { false, false, "", false },
    };
    for (const Case& c : cases) {
        QFile::remove(rosterFileName());
        QFile::remove(rosterTempFileName());
        if (c.rosterThere)
            writeRoster(recordLine(1, 2010, QStringLiteral("本物"), 0));
        if (c.tempThere)
            inst.writeText(temp, recordLine(1, 2010, QStringLiteral("控え"), 0));
        名簿ファイル処理();
        EXPECT_EQ(QFileInfo::exists(rosterTempFileName()), c.tempLeft);
        if (*c.expectedRosterName == 0) {
            EXPECT_FALSE(QFileInfo::exists(rosterFileName()));
            continue;
        }
        ASSERT_FALSE(readRoster());
        EXPECT_EQ(trimmedFixed(reg.pupilNames[1]), QString::fromUtf8(c.expectedRosterName));
    }
}

} // namespace
