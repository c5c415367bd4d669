#include "roster/rosterfile.h"
#include "roster/rosterwrite.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"
#include "support/fakes.h"
#include "support/filesizelimit.h"
#include "support/installation.h"
#include "support/specialfiles.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace kanameru;
using testing_support::FakePlatform;
using testing_support::FileSizeLimit;
using testing_support::TestInstallation;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

struct WriteFixture : ::testing::Test {
    FakePlatform fake;
    TestInstallation inst;
    QString path;
    void SetUp() override
    {
        reg.rosterFolder = inst.rosterFolder();
        path = rosterFileName();
        inst.writeText(QStringLiteral("files/生徒用名簿.txt"),
            QStringLiteral("1,2010,3,4,\"一郎\",0,\"メモ\",\"\"\n"
                           "2,2011,5,6,\"二郎\",1,\"\",\"x\"\n"
                           "3,2012,0,0,\"三郎\",2,\"\",\"\"\n"
                           "4,2013,8,8,\"四郎\",0,\"予備\",\"予備\"\n"
                           "5,2014,9,9,\"五郎\",0,\"\",\"\"\n"));
    }
    QList<NameRow> unchangedRows()
    {
        return { { QStringLiteral("一郎"), QStringLiteral("2010") }, { QStringLiteral("二郎"), QStringLiteral("2011") },
            { QStringLiteral("三郎"), QStringLiteral("2012") } };
    }
    QList<RosterRecord> records()
    {
        Result<QList<RosterRecord>> r = readRosterRecords(path);
        EXPECT_TRUE(r.ok());
        return r.ok() ? *r : QList<RosterRecord> {};
    }
};

TEST_F(WriteFixture, ChangingTheSecondNameRewritesOnlyThatName)
{
    const QList<RosterRecord> before = records();
    QList<NameRow> rows = unchangedRows();
    rows[1].name = QStringLiteral("  次郎 ");
    ASSERT_FALSE(writeRosterRows(path, rows));
    const QList<RosterRecord> after = records();
    ASSERT_EQ(after.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(after[i].number, before[i].number);
        EXPECT_EQ(after[i].birthYear, before[i].birthYear);
        EXPECT_EQ(after[i].spare1, before[i].spare1);
        EXPECT_EQ(after[i].spare2, before[i].spare2);
        EXPECT_EQ(after[i].status, before[i].status);
        EXPECT_EQ(after[i].spareText1, before[i].spareText1);
        EXPECT_EQ(after[i].spareText2, before[i].spareText2);
        if (i != 1) {
            EXPECT_EQ(after[i].name, before[i].name);
        }
    }
    EXPECT_EQ(after[1].name, QStringLiteral("次郎") + QString(18, QLatin1Char(' ')));
}

// Only the edited field is encoded anew, in the roster format (a name padded to 20 characters
// in quotes); the rest of its line and every other line stay as read.
TEST_F(WriteFixture, AnEditedNameIsWrittenInTheRosterFormatAndTheRestStays)
{
    const QByteArray before = fileBytes(path);
    QList<NameRow> rows = unchangedRows();
    rows[0].name = QStringLiteral("一子");
    ASSERT_FALSE(writeRosterRows(path, rows));
    const QByteArray bytes = fileBytes(path);
    const QString expectedFirst = QStringLiteral("1,2010,3,4,\"一子") + QString(18, QLatin1Char(' '))
        + QStringLiteral("\",0,\"メモ\",\"\"\r\n");
    EXPECT_TRUE(bytes.startsWith(*encodeCp932(expectedFirst))) << bytes.left(60).toHex().toStdString();
    EXPECT_EQ(bytes.mid(bytes.indexOf('\n') + 1), before.mid(before.indexOf('\n') + 1));
}

TEST_F(WriteFixture, WritingTwiceGivesTheSameFile)
{
    QList<NameRow> rows = unchangedRows();
    rows[0].name = QStringLiteral("新しい名前");
    rows[2].birthYearText = QStringLiteral("2009年");
    ASSERT_FALSE(writeRosterRows(path, rows));
    const QByteArray once = fileBytes(path);
    ASSERT_FALSE(writeRosterRows(path, rows));
    EXPECT_EQ(fileBytes(path), once);
    EXPECT_EQ(records()[2].birthYear, 2009);
}

struct TypedCase {
    const char* name;
    const char* year;
    const char* storedName; // trimmed; for a refused name, the character named
    int storedYear;
    bool refused = false;
};

// Names as typed or pasted, hostile ones too: the roster stays readable, one line per record,
// and the stored name is the one line of printable text that was meant, or the name is refused
// with its row and nothing is written.
TEST_F(WriteFixture, TypedNamesAndYearsAreStoredAsTheFileHoldsThem)
{
    const TypedCase cases[] = {
        { "寿限無寿限無五劫の擦り切れ海砂利水魚の水行末雲来末", "2010", "寿限無寿限無五劫の擦り切れ海砂利水魚の水",
            2010 },
        { "山田", "２０１０", "山田", 0 },
        { "山田", "", "山田", 0 },
        { "山田", "  2008 ", "山田", 2008 },
        { "山田", "-12", "山田", -12 },
        { "山田", "2010.5", "山田", 2010 },
        // A name of blanks only is no name.
        { "", "2010", "空白", 0, true },
        { " 　 ", "2010", "空白", 0, true },
        { "say \"hi\"", "2010", "say ＂hi＂", 2010 },
        { "\"", "2010", "＂", 2010 },
        // A cell copied from a spreadsheet, and other control characters.
        { "山田　太郎\r\n", "2010\r\n", "山田　太郎", 2010 },
        { "山田\n太郎", "2010", "山田太郎", 2010 },
        { "山田\r太郎", "2010", "山田太郎", 2010 },
        { "\t山田\t太郎\t", "2010", "山田太郎", 2010 },
        { "山田\x01\x1b\x7f\xc2\x85花子", "2010", "山田花子", 2010 },
        { "山田\u2028花子\u200b\ufeff", "2010", "山田花子", 2010 },
        { "①Ⅰ～髙", "2010", "①Ⅰ～髙", 2010 },
        // Cut at twenty characters, never in the middle of a character.
        { "一二三四五六七八九十一二三四五六七八九😀", "2010", "一二三四五六七八九十一二三四五六七八九", 2010 },
        // What the roster's code page cannot hold.
        { "😀山田", "2010", "😀", 0, true },
        { "김철수", "2010", "김", 0, true },
        { "Ünïcödé", "2010", "「Ü」", 0, true },
        // An invisible character is named by its code, not as an empty 「」.
        { "Jose\u0301", "2010", "U+0301", 0, true },
    };
    for (const TypedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray before = fileBytes(path);
        QList<NameRow> rows = unchangedRows();
        rows[0] = NameRow { QString::fromUtf8(c.name), QString::fromUtf8(c.year) };
        const std::optional<FileError> error = writeRosterRows(path, rows);
        if (c.refused) {
            ASSERT_TRUE(error);
            EXPECT_EQ(error->line, 1);
            EXPECT_TRUE(error->reason.contains(QString::fromUtf8(c.storedName))) << error->reason.toStdString();
            EXPECT_EQ(fileBytes(path), before);
            continue;
        }
        ASSERT_FALSE(error) << error->message().toStdString();
        const QList<RosterRecord> after = records();
        ASSERT_EQ(after.size(), 5);
        EXPECT_EQ(after[0].name, fixedText(QString::fromUtf8(c.storedName), 20));
        EXPECT_EQ(after[0].birthYear, c.storedYear) << c.year;
        EXPECT_EQ(after[1].name.trimmed(), QStringLiteral("二郎"));
        EXPECT_EQ(fileBytes(path).count("\r\n"), 5);
    }
}

// Roster lines a save must keep byte for byte, each put as line 2 (a row of the form, not edited)
// and line 4 (not shown) of a CP932 and of a UTF-8 roster whose line 1 gets a new name.
struct KeptLine {
    const char* name;
    const char* text; // one line, without its line end
};
const KeptLine keptLines[] = {
    { "a long name and spare text",
        "2,2011,0,0,\"寿限無寿限無五劫の擦り切れ海砂利水魚の水行末雲来末\",0,"
        "\"一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十\",\"\"" },
    { "odd numbers", "2,2011,007,1.5,\"二郎\",0,\"\",\"\"" },
    { "blanks and quotes", "2, 2011 ,\"0\",0,\"二郎\" ,2,\"\",\"x\"" },
    { "an unquoted name with a quote", "2,2011,0,0,二\"郎,0,\"\",\"\"" },
    { "a direction override", "2,2011,0,0,\"二郎\u202Eabc\",0,\"\",\"\"" },
    { "a NEC code", "2,2011,0,0,\"≒①\",0,\"\",\"\"" },
    { "a line that holds no record", "2,2011,0,0,\"七つ\",0,\"\"" },
    { "a damaged line", "2,2011,0,0,\"\x82\xff\",0,\"\",\"\"" },
};

// The line whose name is edited, with odd values the save must keep as they are.
const QString kEditedLine
    = QStringLiteral("1,2010,007,1.5,\"一郎\",0,\"一二三四五六七八九十一二三四五六七八九十一二三\",\"\"");

QByteArray keptRoster(const QString& first, const QByteArray& second, bool utf8)
{
    auto line = [utf8](const QString& text) { return utf8 ? text.toUtf8() : *encodeCp932(text); };
    return line(first + QStringLiteral("\r\n")) + second + "\r\n"
        + line(QStringLiteral("3,2012,0,0,\"三郎\",0,\"\",\"\"\n")) + second + "\n"
        + line(QStringLiteral("5,2014,0,0,\"五郎\",0,\"\",\"\""));
}

TEST_F(WriteFixture, LinesAndFieldsNotEditedAreWrittenBackByteForByte)
{
    for (const KeptLine& kept : keptLines) {
        for (const bool utf8 : { false, true }) {
            SCOPED_TRACE(std::string(kept.name) + (utf8 ? " in UTF-8" : " in CP932"));
            const QString text = QString::fromUtf8(kept.text);
            const bool damaged = text.contains(QChar::ReplacementCharacter);
            const QByteArray second = damaged ? QByteArray(kept.text) : utf8 ? text.toUtf8() : *encodeCp932(text);
            inst.writeBytes(QStringLiteral("files/生徒用名簿.txt"), keptRoster(kEditedLine, second, utf8));
            // Row 1's name typed anew; row 2 not edited (whatever the form showed of it).
            const QList<NameRow> rows = { { QStringLiteral("一子"), QStringLiteral("2010"), true, false },
                { QString(), QString(), false, false } };
            const std::optional<FileError> error = writeRosterRows(path, rows);
            ASSERT_FALSE(error) << error->message().toStdString();
            const QByteArray after = fileBytes(path);
            const QString edited
                = QString(kEditedLine).replace(QStringLiteral("一郎\""), QStringLiteral("一子                  \""));
            EXPECT_EQ(after, keptRoster(edited, second, utf8))
                << QString::fromLatin1(after.toPercentEncoding(" ,\"")).toStdString();
        }
    }
}

TEST_F(WriteFixture, RecordsAfterTheThirdAreKeptUnchanged)
{
    QList<NameRow> rows = unchangedRows();
    rows[2].name = QStringLiteral("三子");
    ASSERT_FALSE(writeRosterRows(path, rows));
    const QList<RosterRecord> after = records();
    ASSERT_EQ(after.size(), 5);
    EXPECT_EQ(after[3].name.trimmed(), QStringLiteral("四郎"));
    EXPECT_EQ(after[3].spareText1.trimmed(), QStringLiteral("予備"));
    EXPECT_EQ(after[4].number, 5);
    EXPECT_EQ(after[4].birthYear, 2014);
    EXPECT_EQ(after[4].spare1, 9);
}

TEST_F(WriteFixture, ARosterWithFewerRecordsThanRowsWritesOnlyWhatExists)
{
    inst.writeText(QStringLiteral("files/生徒用名簿.txt"), QStringLiteral("1,2010,0,0,\"一郎\",0,\"\",\"\"\n"));
    QList<NameRow> rows = unchangedRows();
    rows[0].name = QStringLiteral("一子");
    ASSERT_FALSE(writeRosterRows(path, rows));
    const QList<RosterRecord> after = records();
    ASSERT_EQ(after.size(), 1);
    EXPECT_EQ(after[0].name.trimmed(), QStringLiteral("一子"));
}

TEST_F(WriteFixture, AYearOutsideSixteenBitsIsRefusedAndNothingIsWritten)
{
    const QByteArray before = fileBytes(path);
    for (const char* year : { "32768", "-32769", "99999" }) {
        QList<NameRow> rows = unchangedRows();
        rows[0].name = QStringLiteral("変わらない");
        rows[1].birthYearText = QString::fromUtf8(year);
        const std::optional<FileError> error = writeRosterRows(path, rows);
        ASSERT_TRUE(error) << year;
        EXPECT_EQ(error->line, 2);
        EXPECT_EQ(fileBytes(path), before);
    }
    QList<NameRow> rows = unchangedRows();
    rows[1].birthYearText = QStringLiteral("32767");
    EXPECT_FALSE(writeRosterRows(path, rows));
}

TEST_F(WriteFixture, AWriteThatFailsHalfWayLeavesTheOldRosterIntact)
{
    const QByteArray before = fileBytes(path);
    ASSERT_GT(before.size(), 100);
    // A file size limit stops the new roster after 100 bytes, as a full disk would.
    QList<NameRow> rows = unchangedRows();
    rows[0].name = QStringLiteral("書きかけ");
    std::optional<FileError> error;
    {
        FileSizeLimit limit(100);
        KANAMERU_GTEST_NEEDS_SIZE_LIMIT(limit);
        error = writeRosterRows(path, rows);
    }
    ASSERT_TRUE(error);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(records().size(), 5);
}

// A roster whose only line holds no record offers no row: pressing "変更" leaves it as it is.
TEST_F(WriteFixture, AMalformedRosterIsNotRewritten)
{
    inst.writeText(QStringLiteral("files/生徒用名簿.txt"), QStringLiteral("1,2010,0,0,\"一郎\",0\n"));
    const QByteArray before = fileBytes(path);
    EXPECT_FALSE(writeRosterRows(path, unchangedRows()));
    EXPECT_EQ(fileBytes(path), before);
}

// A roster kept elsewhere and reached through a symbolic link (or a chain of them): the
// rewrite goes to the file the links point to, and the links stay links.
TEST_F(WriteFixture, ARosterBehindSymbolicLinksIsWrittenThroughAndTheLinksStay)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "QFile::link makes a Windows shortcut, which no program follows as a path";
#endif
    const QString real = inst.path(QStringLiteral("elsewhere/名簿本体.txt"));
    QDir().mkpath(QFileInfo(real).absolutePath());
    ASSERT_TRUE(QFile::rename(path, real));
    const QString middle = inst.path(QStringLiteral("files/中継.txt"));
    ASSERT_TRUE(QFile::link(real, middle));
    ASSERT_TRUE(QFile::link(QStringLiteral("中継.txt"), path)); // relative, as people make them
    QList<NameRow> rows = unchangedRows();
    rows[0].name = QStringLiteral("一子");
    ASSERT_FALSE(writeRosterRows(path, rows));
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_TRUE(QFileInfo(middle).isSymLink());
    EXPECT_TRUE(fileBytes(real).contains(*encodeCp932(QStringLiteral("\"一子"))));
    EXPECT_EQ(records().size(), 5);
    EXPECT_EQ(QDir(QFileInfo(real).absolutePath()).entryList(QDir::Files).size(), 1); // no temporary left
}

// A roster that is not a file is not rewritten, and nothing is left beside it.
TEST_F(WriteFixture, ARosterThatIsNoFileIsNotRewritten)
{
    for (testing_support::Special special :
        { testing_support::Special::Fifo, testing_support::Special::DevZero, testing_support::Special::Folder }) {
        if (!testing_support::putSpecial(path, special))
            continue; // Windows has no FIFO or device file
        const QStringList before = testing_support::snapshot(inst.root());
        const std::optional<FileError> error = writeRosterRows(path, unchangedRows());
        ASSERT_TRUE(error) << specialName(special);
        EXPECT_EQ(testing_support::snapshot(inst.root()), before) << specialName(special);
    }
}

} // namespace
