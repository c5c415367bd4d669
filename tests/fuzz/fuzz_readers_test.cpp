// Every reader of the program fed mutations of the demo installation's files, with fixed
// seeds so that a failure can be replayed: it must not crash or hang (the test's time limit
// catches a hang), must write nothing, and what it accepts must be usable by the program.
#include "drill/questiontable.h"
#include "results/results.h"
#include "roster/rosterfile.h"
#include "sound/sound.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "startup/settings.h"
#include "startup/textfile.h"
#include "support/fakes.h"
#include "support/installation.h"
#include "support/specialfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

using namespace kanameru;
using testing_support::FakePlatform;
using testing_support::snapshot;
using testing_support::TestInstallation;

namespace {

QByteArray demoFile(const char* name)
{
    QFile f(QStringLiteral(DEMO_DATA_DIR "/") + QString::fromUtf8(name));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(std::string("missing demo file ") + name);
    QString text = QString::fromUtf8(f.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return *encodeCp932(text);
}

// Damage of the kinds real files suffer and hostile ones carry: flipped and replaced bytes, lost
// and doubled pieces, cut ends, and values that are too big, too many or not numbers at all.
QByteArray mutate(QByteArray bytes, std::mt19937& rng)
{
    static const QByteArray tokens[] = { "1e308", "-1e308", "2e8", "1e9", "-2147483649", "2147483648", "99999", "70000",
        "32768", "\"", "\"5\"", ",,,,", ",", "\r\n", "\n", "\r", "%2", "%1", "NaN", "inf", "-0", "0.5", "*",
        QByteArray(300, '9'), QByteArray(5000, 'x'), "\x81", "\xff\xfe", "\x82\xa0" };
    static const char singles[] = ",\"\r\n0123456789-+.eE%* \t\x81\xff";
    auto at = [&](qsizetype size) {
        return size <= 0 ? qsizetype(0) : std::uniform_int_distribution<qsizetype>(0, size - 1)(rng);
    };
    const int steps = std::uniform_int_distribution<int>(1, 4)(rng);
    for (int s = 0; s < steps; ++s) {
        switch (std::uniform_int_distribution<int>(0, 6)(rng)) {
        case 0:
            if (!bytes.isEmpty())
                bytes[at(bytes.size())] ^= static_cast<char>(1 << std::uniform_int_distribution<int>(0, 7)(rng));
            break;
        case 1:
            if (!bytes.isEmpty())
                bytes[at(bytes.size())] = singles[at(sizeof singles - 1)];
            break;
        case 2:
            bytes.remove(at(bytes.size()), std::uniform_int_distribution<int>(1, 40)(rng));
            break;
        case 3: {
            const qsizetype from = at(bytes.size());
            bytes.insert(at(bytes.size() + 1), bytes.mid(from, std::uniform_int_distribution<int>(1, 80)(rng)));
            break;
        }
        case 4:
            bytes.truncate(at(bytes.size() + 1));
            break;
        default:
            bytes.insert(at(bytes.size() + 1), tokens[at(std::size(tokens))]);
            break;
        }
    }
    return bytes;
}

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write a fuzz case");
}

// Runs `cases` mutations of one file, checking after each that nothing under root changed
// except the mutated file itself.
template <class Check>
void fuzz(const QString& root, const QString& path, const QByteArray& original, int cases, quint32 seed, Check check)
{
    std::mt19937 rng(seed);
    for (int i = 0; i < cases; ++i) {
        const QByteArray damaged = mutate(original, rng);
        writeRaw(path, damaged);
        const QStringList before = snapshot(root);
        check(i);
        ASSERT_EQ(snapshot(root), before) << "case " << i << " wrote something";
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "case " << i << ": " << damaged.left(400).toStdString();
            return;
        }
    }
}

TEST(FuzzReaders, StartUpFiles)
{
    FakePlatform fake;
    TestInstallation inst;
    struct File {
        const char* demo;
        const char* installed;
    } const files[] = { { "設定.txt", "カナメル/設定.txt" }, { "共通データ.txt", "files/共通データ.txt" },
        { "タイム回数データ.txt", "カナメル/タイム回数データ.txt" } };
    for (const File& f : files)
        writeRaw(inst.path(QString::fromUtf8(f.installed)), demoFile(f.demo));
    quint32 seed = 1;
    for (const File& f : files) {
        const QString path = inst.path(QString::fromUtf8(f.installed));
        const QByteArray original = demoFile(f.demo);
        int accepted = 0;
        fuzz(inst.root(), path, original, 1200, seed++, [&](int) {
            if (loadSettings(inst.exeDir()))
                return;
            ++accepted;
            // Whatever is accepted keeps the point sums and the time limit within their types.
            for (int level = 0; level <= kDrillSetLevelCount; ++level) {
                EXPECT_GE(reg.levelTarget[level], 0);
                EXPECT_LE(reg.levelTargetB[level], 86400);
                EXPECT_GE(reg.levelPointFactor[level], 0);
                EXPECT_LE(reg.levelPointFactor[level], 100);
                EXPECT_GE(reg.levelRequiredCount[level], 0);
            }
        });
        writeRaw(path, original);
        EXPECT_GT(accepted, 0) << f.demo << ": the mutations never leave a readable file";
    }
}

TEST(FuzzReaders, Roster)
{
    FakePlatform fake;
    TestInstallation inst;
    reg.rosterFolder = inst.rosterFolder();
    reg.schoolYearStartMonth = AnyValue(4);
    reg.status2Listed = AnyValue(1);
    fuzz(inst.root(), rosterFileName(), demoFile("生徒用名簿.txt"), 2000, 11, [&](int) {
        QList<FileError> leftOut;
        if (readRoster(nullptr, &leftOut))
            return;
        const qint64 count = reg.boardPupilCount.toInteger();
        EXPECT_LE(count, kMaxPupil);
        for (qint64 k = 1; k <= count; ++k) {
            const qint64 no = reg.boardPupilNos[static_cast<size_t>(k)].toInteger();
            EXPECT_TRUE(no >= 1 && no <= kMaxPupil) << "listed number " << no;
        }
        for (const FileError& e : leftOut)
            EXPECT_LT(e.message().size(), 400);
    });
}

TEST(FuzzReaders, SoundMap)
{
    FakePlatform fake;
    TestInstallation inst;
    reg.soundFolder = inst.soundFolder();
    fuzz(inst.root(), reg.soundFolder + QStringLiteral("新音ファイル.txt"), demoFile("新音ファイル.txt"), 1500, 21,
        [&](int) {
            loadSoundMap();
            for (int e = 1; e <= 10; ++e) {
                const QString count = reg.soundTable[21][static_cast<size_t>(e)];
                EXPECT_TRUE(count.isEmpty() || (count.toInt() >= 0 && count.toInt() <= 20)) << count.toStdString();
            }
        });
}

TEST(FuzzReaders, QuestionFile)
{
    FakePlatform fake;
    QTemporaryDir dir;
    QFile csv(QStringLiteral(DEMO_DATA_DIR "/questions.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList clear = splitLines(QString::fromUtf8(csv.readAll()));
    const QString name = dir.filePath(QStringLiteral("歴史.csv"));
    const QString stored = storedQuestionFileName(name);
    ASSERT_FALSE(writeStoredQuestionFile(stored, clear, QStringLiteral("questions.csv")));
    QFile storedFile(stored);
    ASSERT_TRUE(storedFile.open(QIODevice::ReadOnly));
    const QByteArray original = storedFile.readAll();
    storedFile.close();
    fuzz(dir.path(), stored, original, 1000, 31, [&](int) {
        if (loadQuestionTable(name))
            return;
        EXPECT_LE(reg.questionRowCount, kMaxQuestionLines);
        EXPECT_LE(reg.questionColumnCount, kMaxQuestionColumns);
    });
}

TEST(FuzzReaders, ResultsFile)
{
    FakePlatform fake;
    TestInstallation inst;
    inst.load();
    std::vector<int> ends;
    screens().endProgram = [&](int code) { ends.push_back(code); };
    // A few ordinary attempts as the program writes them.
    QByteArray original;
    const double today = fake.clock.todayDayCount();
    for (int i = 0; i < 40; ++i) {
        ResultRecord r;
        r.recordDate = today - i % 9;
        r.recordTime = 0.5;
        r.pupilNo = static_cast<qint16>(1 + i % 7);
        r.level = static_cast<qint16>(1 + i % 3);
        r.result = 100 + i * 13;
        r.schoolCode = "12345";
        r.note = "     ";
        r.kindText = "0    ";
        r.reserved = QByteArray(5, '\0');
        original += r.toBytes();
    }
    fuzz(inst.root(), resultsFilePath(), original, 2000, 41, [&](int) {
        computeStatistics();
        // Damaged records are records: no file error, no end of the program.
        EXPECT_TRUE(fake.messages.texts.isEmpty());
        EXPECT_TRUE(ends.empty());
        EXPECT_LE(loadedCount(), kResultsKeptMax);
        for (int level = 1; level <= 3; ++level)
            for (int pupil = 1; pupil <= 7; ++pupil)
                EXPECT_GE(reg.totalPoints(level, pupil), 0);
    });
}

} // namespace
