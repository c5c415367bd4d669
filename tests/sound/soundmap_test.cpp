// The sound map "新音ファイル.txt" read into the sound table, and the random choice of a file.
#include "sound/sound.h"
#include "sound/soundmap.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/specialfiles.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace kanameru;
using testing_support::FakePlatform;
using testing_support::TestInstallation;

namespace {

// The files of one column as the table holds them: rows 1..20, trailing empty rows dropped.
QStringList filesOf(int column)
{
    QStringList files;
    for (int row = 1; row <= kSoundFilesPerEvent; ++row)
        files.append(reg.soundTable[static_cast<size_t>(row)][static_cast<size_t>(column)]);
    while (!files.isEmpty() && files.last().isEmpty())
        files.removeLast();
    return files;
}

QString countOf(int column)
{
    return reg.soundTable[kSoundCountRow][static_cast<size_t>(column)];
}

QString twentyNames()
{
    QStringList names;
    for (int i = 1; i <= 20; ++i)
        names.append(QStringLiteral("f%1").arg(i));
    return names.join(u',');
}

struct ColumnExpectation {
    int column;
    QStringList files;
    QString count; // empty: no count
};

struct MapCase {
    const char* name;
    QString map;
    std::vector<ColumnExpectation> columns;
};

class SoundMapCases : public ::testing::TestWithParam<MapCase> { };

// Each case names the fault it would catch.
const MapCase kMapCases[] = {
    // Three files and "*" on one line give the three names and the count 3.
    { "three_files", QStringLiteral("正解音1,ピン,ポン,ピンポン,*\n"),
        { { kCorrectSound, { QStringLiteral("ピン"), QStringLiteral("ポン"), QStringLiteral("ピンポン") },
            QStringLiteral("3") } } },
    // Twenty names without "*" are stored but get no count.
    { "twenty_no_star", QStringLiteral("間違い音1,") + twentyNames() + QStringLiteral("\n"),
        { { kWrongSound, twentyNames().split(u','), QString() } } },
    // Values outside groups are skipped, also numbers and stray "*"; groups on later lines still count.
    { "outside_values", QStringLiteral("ゴミ,12,*\n自己最高音2,やった,*,その他\n不合格音1,a,b,*\n"),
        { { kPersonalRecordSound, { QStringLiteral("やった") }, QStringLiteral("1") },
            { kGoodResultSound, { QStringLiteral("a"), QStringLiteral("b") }, QStringLiteral("2") } } },
    // One group per line, the typical map, including the events nothing plays.
    { "all_events",
        QStringLiteral("正解音1,a,*\n正解音2,b,*\n間違い音1,c,*\n間違い音2,d,*\n最高音1,e,*\n最高音2,f,*\n"
                       "自己最高音1,g,*\n自己最高音2,h,*\n自己最高音3,i,*\n不合格音1,j,*\n"),
        { { 1, { QStringLiteral("a") }, QStringLiteral("1") }, { 2, { QStringLiteral("b") }, QStringLiteral("1") },
            { 3, { QStringLiteral("c") }, QStringLiteral("1") }, { 4, { QStringLiteral("d") }, QStringLiteral("1") },
            { 5, { QStringLiteral("e") }, QStringLiteral("1") }, { 6, { QStringLiteral("f") }, QStringLiteral("1") },
            { 7, { QStringLiteral("g") }, QStringLiteral("1") }, { 8, { QStringLiteral("h") }, QStringLiteral("1") },
            { 9, { QStringLiteral("i") }, QStringLiteral("1") },
            { 10, { QStringLiteral("j") }, QStringLiteral("1") } } },
    // A group may run over several lines; values are separated by line ends as by commas.
    { "group_over_lines", QStringLiteral("間違い音2\nブー\n ブブー \n*\n"),
        { { kWrongSound2, { QStringLiteral("ブー"), QStringLiteral("ブブー") }, QStringLiteral("2") } } },
    // File names stay texts: leading zeros kept, a quoted name may hold a comma and blanks.
    { "names_stay_texts", QStringLiteral("正解音1,001,\"a, b\",2.50,*\n"),
        { { kCorrectSound, { QStringLiteral("001"), QStringLiteral("a, b"), QStringLiteral("2.50") },
            QStringLiteral("3") } } },
    // An event with "*" at once has the count 0.
    { "empty_group", QStringLiteral("正解音1,*\n"), { { kCorrectSound, {}, QStringLiteral("0") } } },
    // A map ending inside a group keeps the names read so far, without a count.
    { "cut_off", QStringLiteral("正解音1,a,b"),
        { { kCorrectSound, { QStringLiteral("a"), QStringLiteral("b") }, QString() } } },
    // Nineteen names and "*" is the largest group with a count.
    { "nineteen", QStringLiteral("正解音1,") + twentyNames().section(u',', 0, 18) + QStringLiteral(",*"),
        { { kCorrectSound, twentyNames().split(u',').mid(0, 19), QStringLiteral("19") } } },
    // An event named twice: the later group overwrites the earlier one's rows and count.
    { "named_twice", QStringLiteral("正解音1,a,b,c,*\n正解音1,x,*\n"),
        { { kCorrectSound, { QStringLiteral("x"), QStringLiteral("b"), QStringLiteral("c") }, QStringLiteral("1") } } },
};

TEST_P(SoundMapCases, FillsTheTableFromTheMapFile)
{
    FakePlatform fakes;
    TestInstallation inst;
    inst.load();
    inst.writeText(QStringLiteral("files/新音ファイル.txt"), GetParam().map);
    loadSoundMap();
    EXPECT_TRUE(soundMapProblem().isEmpty()) << qPrintable(soundMapProblem());
    for (const ColumnExpectation& c : GetParam().columns) {
        EXPECT_EQ(filesOf(c.column), c.files) << "column " << c.column;
        EXPECT_EQ(countOf(c.column), c.count) << "column " << c.column;
    }
    // Row 0 always holds the event names, whatever the map says.
    EXPECT_EQ(reg.soundTable[0][kCorrectSound], QStringLiteral("正解音1"));
    EXPECT_EQ(reg.soundTable[0][kGoodResultSound], QStringLiteral("不合格音1"));
    EXPECT_TRUE(reg.soundTable[0][0].isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Maps, SoundMapCases, ::testing::ValuesIn(kMapCases),
    [](const ::testing::TestParamInfo<MapCase>& info) { return std::string(info.param.name); });

TEST(SoundMap, MissingOrUnreadableMapLeavesOnlyTheEventNamesAndSaysWhy)
{
    FakePlatform fakes;
    TestInstallation inst;
    inst.load();
    // A table left over from an earlier load must not survive.
    reg.soundTable[1][kCorrectSound] = QStringLiteral("old");
    reg.soundTable[kSoundCountRow][kCorrectSound] = QStringLiteral("1");

    loadSoundMap();
    EXPECT_TRUE(filesOf(kCorrectSound).isEmpty());
    EXPECT_TRUE(countOf(kCorrectSound).isEmpty());
    EXPECT_EQ(reg.soundTable[0][kWrongSound], QStringLiteral("間違い音1"));
    EXPECT_TRUE(soundMapProblem().contains(inst.soundFolder() + QStringLiteral("新音ファイル.txt")))
        << qPrintable(soundMapProblem());

    // Bytes that are not CP932 on line 2: the problem names the file and the line.
    inst.writeBytes(
        QStringLiteral("files/新音ファイル.txt"), QByteArray("\x90\xb3\x89\xf0\x89\xb9\x31,a,*\r\n\x82\xff,b,*\r\n"));
    loadSoundMap();
    EXPECT_TRUE(countOf(kCorrectSound).isEmpty());
    EXPECT_TRUE(soundMapProblem().contains(QStringLiteral("2"))) << qPrintable(soundMapProblem());

    // What is no map file at all: its reason at once, no wait on a FIFO, no endless read.
    using testing_support::Special;
    const struct {
        Special special;
        const char* reasonPart;
    } specials[]
        = { { Special::Fifo, "普通のファイルではありません" }, { Special::DevZero, "普通のファイルではありません" },
              { Special::Folder, "フォルダ" }, { Special::Oversize, "大きすぎます" } };
    for (const auto& c : specials) {
        if (!testing_support::putSpecial(
                inst.soundFolder() + QStringLiteral("新音ファイル.txt"), c.special, kSmallTextFileLimit))
            continue; // Windows has no FIFO or device file
        loadSoundMap();
        EXPECT_TRUE(countOf(kCorrectSound).isEmpty());
        EXPECT_TRUE(soundMapProblem().contains(QString::fromUtf8(c.reasonPart))) << qPrintable(soundMapProblem());
    }
}

// Choosing a file: k = int(r x n + 1) over the n files of the event.
TEST(SoundChoice, EveryFileIsReachedAndEachRandomNumberPicksItsShare)
{
    for (int n = 1; n <= 19; ++n) {
        FakePlatform fakes;
        resetSoundTable();
        for (int k = 1; k <= n; ++k)
            reg.soundTable[static_cast<size_t>(k)][kWrongSound] = QStringLiteral("w%1").arg(k);
        reg.soundTable[kSoundCountRow][kWrongSound] = QString::number(n);
        // The lower and upper edge of every file's share of [0, 1).
        for (int k = 1; k <= n; ++k) {
            const double low = static_cast<double>(k - 1) / n;
            const double high = static_cast<double>(k) / n - 1e-9;
            fakes.random.push(low);
            EXPECT_EQ(chooseSoundFile(kWrongSound), QStringLiteral("w%1").arg(k)) << "n=" << n << " r=" << low;
            fakes.random.push(high);
            EXPECT_EQ(chooseSoundFile(kWrongSound), QStringLiteral("w%1").arg(k)) << "n=" << n << " r=" << high;
        }
    }
}

TEST(SoundChoice, AnEventWithoutCountChoosesNothingButStillDrawsItsRandomNumber)
{
    FakePlatform fakes;
    resetSoundTable();
    reg.soundTable[1][kCorrectSound] = QStringLiteral("only"); // twenty-name case: names, no count
    reg.soundTable[kSoundCountRow][kWrongSound] = QStringLiteral("0");
    fakes.random.push(0.5);
    fakes.random.push(0.25);
    fakes.random.push(0.75);
    EXPECT_TRUE(chooseSoundFile(kCorrectSound).isEmpty());
    EXPECT_TRUE(chooseSoundFile(kWrongSound).isEmpty());
    // The drill shares the random sequence: each play must take exactly one number.
    EXPECT_DOUBLE_EQ(fakes.random.next(), 0.75);
}

} // namespace
