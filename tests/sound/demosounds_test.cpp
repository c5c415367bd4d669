// The demo installation's sounds: every file the demo map names, and the two fixed files, is
// made by kanameru-makesounds as a short 16-bit mono WAV that plays.
#include "platform/mci.h"
#include "sound/sound.h"
#include "sound/soundmap.h"
#include "startup/hensuu1.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>

using namespace kanameru;

namespace {

struct WavFile {
    int format = 0, channels = 0, rate = 0, bits = 0;
    QByteArray data;
    double seconds() const { return rate > 0 && channels > 0 ? data.size() / 2.0 / channels / rate : 0; }
    qint16 sample(qsizetype i) const { return qFromLittleEndian<qint16>(data.constData() + 2 * i); }
    qsizetype count() const { return data.size() / 2; }
};

// Reads the chunks of a RIFF WAVE file (no SDL: an independent reader).
WavFile readWav(const QString& path)
{
    WavFile w;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return w;
    const QByteArray b = f.readAll();
    if (b.size() < 12 || b.left(4) != "RIFF" || b.mid(8, 4) != "WAVE")
        return w;
    qsizetype at = 12;
    while (at + 8 <= b.size()) {
        const QByteArray id = b.mid(at, 4);
        const auto size = qFromLittleEndian<quint32>(b.constData() + at + 4);
        if (id == "fmt " && size >= 16) {
            w.format = qFromLittleEndian<quint16>(b.constData() + at + 8);
            w.channels = qFromLittleEndian<quint16>(b.constData() + at + 10);
            w.rate = static_cast<int>(qFromLittleEndian<quint32>(b.constData() + at + 12));
            w.bits = qFromLittleEndian<quint16>(b.constData() + at + 22);
        } else if (id == "data") {
            w.data = b.mid(at + 8, size);
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

// Zero crossings per second: a rough pitch, enough to tell a buzzer from a chime.
double crossingsPerSecond(const WavFile& w)
{
    int crossings = 0;
    for (qsizetype i = 1; i < w.count(); ++i)
        if ((w.sample(i - 1) < 0) != (w.sample(i) < 0))
            ++crossings;
    return crossings / w.seconds();
}

class DemoSounds : public ::testing::Test {
protected:
    void SetUp() override
    {
        QProcess tool;
        tool.start(QStringLiteral(KANAMERU_MAKESOUNDS), { dir.path() });
        ASSERT_TRUE(tool.waitForFinished(60000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().constData();
        made = QDir(dir.path()).entryList(QDir::Files);
    }
    QTemporaryDir dir;
    QStringList made;
};

TEST_F(DemoSounds, TheMapTheBuildAndTheToolAgreeOnTheFiles)
{
    QFile source(QStringLiteral(KANAMERU_DEMO_MAP));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    testing_support::FakePlatform fakes;
    resetSoundTable();
    fillSoundTable(splitSoundMap(QString::fromUtf8(source.readAll())));

    QSet<QString> needed = { kOverallRecordFile, kClearedFile };
    // Every event a routine plays has files, and "正解音1" at least two.
    for (int column : { kCorrectSound, kWrongSound, kWrongSound2, kPersonalRecordSound, kGoodResultSound }) {
        const int n = reg.soundTable[kSoundCountRow][static_cast<size_t>(column)].toInt();
        EXPECT_GE(n, column == kCorrectSound ? 2 : 1) << qPrintable(soundEventName(column));
        for (int k = 1; k <= n; ++k)
            needed.insert(reg.soundTable[static_cast<size_t>(k)][static_cast<size_t>(column)] + QStringLiteral(".wav"));
    }
    const QStringList built = QStringLiteral(KANAMERU_DEMO_SOUND_FILES).split(u';');
    EXPECT_EQ(QSet<QString>(made.begin(), made.end()), needed);
    EXPECT_EQ(QSet<QString>(built.begin(), built.end()), needed);
}

TEST_F(DemoSounds, EachIsAShortCleanMonoWavAndNoTwoAreAlike)
{
    ASSERT_FALSE(made.isEmpty());
    QList<QByteArray> contents;
    for (const QString& name : made) {
        const WavFile w = readWav(dir.filePath(name));
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(w.format, 1); // PCM
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.bits, 16);
        EXPECT_TRUE(w.rate == 22050 || w.rate == 44100);
        EXPECT_GE(w.seconds(), 0.3);
        EXPECT_LE(w.seconds(), 2.0);
        ASSERT_GT(w.count(), 100);
        // Loud enough to hear, never clipped, and no click at either end.
        int peak = 0;
        for (qsizetype i = 0; i < w.count(); ++i)
            peak = std::max(peak, std::abs(static_cast<int>(w.sample(i))));
        EXPECT_GT(peak, 32767 / 3);
        EXPECT_LT(peak, 32000);
        EXPECT_LT(std::abs(w.sample(0)), 500);
        EXPECT_LT(std::abs(w.sample(w.count() - 1)), 500);
        EXPECT_FALSE(contents.contains(w.data)) << "the same sound twice";
        contents.append(w.data);
    }
    // The buzzers sound low, the chimes high.
    const double buzzer = crossingsPerSecond(readWav(dir.filePath(QStringLiteral("間違い1.wav"))));
    const double chime = crossingsPerSecond(readWav(dir.filePath(QStringLiteral("正解1.wav"))));
    EXPECT_GT(chime, 2 * buzzer);
}

TEST_F(DemoSounds, EachPlaysThroughTheCommandLayer)
{
    for (const QString& name : made) {
        const int code = platform::mciSendString(QStringLiteral("play %1 wait").arg(dir.filePath(name)));
        EXPECT_EQ(code, platform::kMciOk) << qPrintable(name) << " " << qPrintable(platform::mciGetErrorString(code));
    }
}

} // namespace
