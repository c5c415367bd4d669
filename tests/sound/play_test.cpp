// Playing for real through SDL's dummy and disk drivers: the command layer, the play routines
// with their failure check, and folders with spaces.
#include "platform/mci.h"
#include "sound/sound.h"
#include "sound/wavsynth.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/fakes.h"
#include "support/specialfiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace kanameru;
using testing_support::FakePlatform;

namespace {

// A sound folder (with a blank in its name, as schools install programs under such folders)
// holding short WAV files.
class SoundFolder {
public:
    explicit SoundFolder(const QString& name = QStringLiteral("音 フォルダ"))
    {
        QDir(dir_.path()).mkpath(name);
        folder_ = dir_.path() + u'/' + name + u'/';
    }
    const QString& folder() const { return folder_; }
    QString add(const QString& file, double seconds = 0.05, int rate = 22050) const
    {
        EXPECT_TRUE(writeWav(folder_ + file, sineTone(seconds, 660, rate)));
        return folder_ + file;
    }
    QString addBytes(const QString& file, const QByteArray& bytes) const
    {
        QFile f(folder_ + file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return folder_ + file;
    }

private:
    QTemporaryDir dir_;
    QString folder_;
};

// Switches the audio driver for one test and puts the dummy driver back afterwards.
class AudioDriver {
public:
    explicit AudioDriver(const QByteArray& name)
    {
        platform::mciShutdown();
        qputenv("SDL_AUDIODRIVER", name);
    }
    ~AudioDriver()
    {
        platform::mciShutdown();
        qputenv("SDL_AUDIODRIVER", "dummy");
    }
};

// --- The command layer ---

struct CommandCase {
    const char* name;
    QString command; // %1 = the sound folder
    int code;
};

class CommandCases : public ::testing::TestWithParam<CommandCase> { };

const CommandCase kCommands[] = {
    { "quoted_path_with_blank", QStringLiteral("play \"%1tone.wav\" wait"), platform::kMciOk },
    { "unquoted_path_with_blank", QStringLiteral("play %1tone.wav wait"), platform::kMciOk },
    { "upper_case_words", QStringLiteral("PLAY \"%1tone.wav\" WAIT"), platform::kMciOk },
    { "blanks_around", QStringLiteral("  play   %1tone.wav   wait  "), platform::kMciOk },
    { "missing_file", QStringLiteral("play \"%1none.wav\" wait"), platform::kMciFileNotFound },
    { "folder_not_file", QStringLiteral("play \"%1\" wait"), platform::kMciFileNotFound },
    { "text_not_wav", QStringLiteral("play \"%1text.wav\" wait"), platform::kMciInvalidFile },
    { "empty_wav_file", QStringLiteral("play \"%1empty.wav\" wait"), platform::kMciInvalidFile },
    { "no_path", QStringLiteral("play wait"), platform::kMciMissingFileName },
    { "without_wait", QStringLiteral("play \"%1tone.wav\""), platform::kMciUnknownCommand },
    { "other_command", QStringLiteral("stop all"), platform::kMciUnknownCommand },
    { "word_after_quoted_path", QStringLiteral("play \"%1tone.wav\" loop"), platform::kMciUnknownCommand },
    { "empty_command", QString(), platform::kMciUnknownCommand },
    // Sample rates no sound card plays: refused before anything is queued (at 8 Hz a ten-minute
    // sound would otherwise hold the drill for minutes, counted in buffers of half a minute).
    { "rate_8_hz", QStringLiteral("play \"%1rate8.wav\" wait"), platform::kMciOutputsUnsuitable },
    { "rate_1_hz", QStringLiteral("play \"%1rate1.wav\" wait"), platform::kMciOutputsUnsuitable },
    { "rate_3999_hz", QStringLiteral("play \"%1rate3999.wav\" wait"), platform::kMciOutputsUnsuitable },
    { "rate_384000_hz", QStringLiteral("play \"%1rate384000.wav\" wait"), platform::kMciOutputsUnsuitable },
    { "rate_4000_hz", QStringLiteral("play \"%1rate4000.wav\" wait"), platform::kMciOk },
    // A FIFO in a sound's place would block the open for ever.
    { "fifo_not_file", QStringLiteral("play \"%1fifo.wav\" wait"), platform::kMciInvalidFile },
};

TEST_P(CommandCases, GivesItsOwnCode)
{
    SoundFolder sounds;
    sounds.add(QStringLiteral("tone.wav"));
    sounds.addBytes(QStringLiteral("text.wav"), "正解音1,a,*\r\n");
    sounds.addBytes(QStringLiteral("empty.wav"), QByteArray());
    sounds.add(QStringLiteral("rate8.wav"), 600, 8);
    sounds.add(QStringLiteral("rate1.wav"), 600, 1);
    sounds.add(QStringLiteral("rate3999.wav"), 0.05, 3999);
    sounds.add(QStringLiteral("rate384000.wav"), 0.05, 384000);
    sounds.add(QStringLiteral("rate4000.wav"), 0.05, 4000);
    if (!testing_support::putSpecial(sounds.folder() + QStringLiteral("fifo.wav"), testing_support::Special::Fifo)
        && GetParam().command.contains(QStringLiteral("fifo")))
        GTEST_SKIP() << "Windows has no FIFO";
    const QString command = GetParam().command.contains(QStringLiteral("%1")) ? GetParam().command.arg(sounds.folder())
                                                                              : GetParam().command;
    const int code = platform::mciSendString(command);
    EXPECT_EQ(code, GetParam().code) << qPrintable(command) << "\n" << qPrintable(platform::mciGetErrorString(code));
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandCases, ::testing::ValuesIn(kCommands),
    [](const ::testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

TEST(CommandLayer, ErrorTextsDifferPerCodeStayWithin255AndNameTheFailedFile)
{
    const int codes[] = { platform::kMciUnknownCommand, platform::kMciDeviceStopped, platform::kMciFileNotFound,
        platform::kMciInvalidFile, platform::kMciNoAudioDevice, platform::kMciMissingFileName,
        platform::kMciOutputsUnsuitable, 12345 };
    QStringList texts;
    for (int code : codes) {
        const QString text = platform::mciGetErrorString(code);
        EXPECT_FALSE(text.isEmpty()) << code;
        EXPECT_FALSE(texts.contains(text)) << code;
        texts.append(text);
    }
    // A very long missing path still gives a text of at most 255 characters, naming the file.
    SoundFolder sounds(QString(200, u'長'));
    const int code = platform::mciSendString(QStringLiteral("play \"%1ない.wav\" wait").arg(sounds.folder()));
    ASSERT_EQ(code, platform::kMciFileNotFound);
    const QString text = platform::mciGetErrorString(code);
    EXPECT_LE(text.size(), 255);
    EXPECT_TRUE(text.startsWith(texts[2]));

    SoundFolder shortFolder;
    platform::mciSendString(QStringLiteral("play \"%1ない.wav\" wait").arg(shortFolder.folder()));
    EXPECT_TRUE(platform::mciGetErrorString(platform::kMciFileNotFound)
                    .contains(shortFolder.folder() + QStringLiteral("ない.wav")));
}

TEST(CommandLayer, ReturnsOnlyAfterTheSoundHasPlayedAtAnyRate)
{
    SoundFolder sounds;
    for (int rate : { 22050, 44100, 8000 }) {
        const QString path = sounds.add(QStringLiteral("t%1.wav").arg(rate), 0.4, rate);
        QElapsedTimer t;
        t.start();
        ASSERT_EQ(platform::mciSendString(QStringLiteral("play \"%1\" wait").arg(path)), platform::kMciOk);
        EXPECT_GE(t.elapsed(), 390) << "rate " << rate;
    }
}

// On a network share every read is a round trip: a sound is read once and kept, and read again
// only when its file changed. Here the file's bytes are spoilt behind its back with its size and
// time kept: the kept sound still plays; once the time differs, the spoilt file is read.
TEST(CommandLayer, ASoundIsReadOnceAndAgainOnlyWhenItsFileChanged)
{
    SoundFolder sounds;
    const QString path = sounds.add(QStringLiteral("kept.wav"));
    const QString play = QStringLiteral("play \"%1\" wait").arg(path);
    ASSERT_EQ(platform::mciSendString(play), platform::kMciOk);
    const QDateTime modified = QFileInfo(path).lastModified();
    const qint64 size = QFileInfo(path).size();
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, 'x'));
        f.close();
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(platform::mciSendString(play), platform::kMciOk);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(modified.addSecs(10), QFileDevice::FileModificationTime));
    }
    EXPECT_EQ(platform::mciSendString(play), platform::kMciInvalidFile);
}

TEST(CommandLayer, NoUsableAudioDeviceGivesItsCodeAndTheNextCommandRecovers)
{
    SoundFolder sounds;
    const QString path = sounds.add(QStringLiteral("tone.wav"));
    {
        AudioDriver broken("no_such_driver");
        EXPECT_EQ(platform::mciSendString(QStringLiteral("play \"%1\" wait").arg(path)), platform::kMciNoAudioDevice);
        EXPECT_EQ(platform::mciSendString(QStringLiteral("play \"%1\" wait").arg(path)), platform::kMciNoAudioDevice);
    }
    EXPECT_EQ(platform::mciSendString(QStringLiteral("play \"%1\" wait").arg(path)), platform::kMciOk);
}

TEST(CommandLayer, DiskDriverHasTheWholeSoundWrittenWhenTheCallReturns)
{
    SoundFolder sounds;
    Sound tone = sineTone(0.6, 523.25);
    const QString path = sounds.folder() + QStringLiteral("do.wav");
    ASSERT_TRUE(writeWav(path, tone));
    const QByteArray samples = wavBytes(tone).mid(44); // the PCM data after the header
    // SDL reads its variables in the Windows code page, which may have no Japanese.
    QTemporaryDir outFolder;
    const QString out = outFolder.filePath(QStringLiteral("out.raw"));
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(out));
    {
        AudioDriver disk("disk");
        ASSERT_EQ(platform::mciSendString(QStringLiteral("play %1 wait").arg(path)), platform::kMciOk);
        // After the call the device only takes silence; closing it (at the end of this scope)
        // writes out what the driver had been given, and throws away whatever was still queued.
    }
    QFile written(out);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_GE(bytes.size(), samples.size());
    EXPECT_GE(bytes.indexOf(samples), 0) << "the sound's samples are not all in the driver's output";
    qunsetenv("SDL_DISKAUDIOFILE");
}

// A device that takes sound far slower than it plays (the disk driver told to wait a second per
// buffer) must not hold the pupil: the call gives up after a deadline taken from the sound.
TEST(CommandLayer, AStalledDeviceGivesItsCodeInsteadOfHanging)
{
    SoundFolder sounds;
    const QString path = sounds.add(QStringLiteral("tone.wav"), 0.2);
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(sounds.folder() + QStringLiteral("out.raw")));
    qputenv("SDL_DISKAUDIODELAY", "1000");
    QElapsedTimer t;
    {
        AudioDriver disk("disk");
        t.start();
        EXPECT_EQ(platform::mciSendString(QStringLiteral("play %1 wait").arg(path)), platform::kMciDeviceStopped);
    }
    // Nine buffers at a second each would take nine seconds.
    EXPECT_LT(t.elapsed(), 6000);
    qunsetenv("SDL_DISKAUDIODELAY");
    qunsetenv("SDL_DISKAUDIOFILE");
}

// A ten-minute sound at 8 Hz fails at once and says why, naming the file and its rate.
TEST(CommandLayer, ASoundAtEightHertzFailsAtOnceNamingItsRate)
{
    SoundFolder sounds;
    const QString path = sounds.add(QStringLiteral("slow.wav"), 600, 8);
    QElapsedTimer t;
    t.start();
    const int code = platform::mciSendString(QStringLiteral("play \"%1\" wait").arg(path));
    EXPECT_LT(t.elapsed(), 60000); // a hang guard: the sound itself would last ten minutes
    ASSERT_EQ(code, platform::kMciOutputsUnsuitable);
    const QString text = platform::mciGetErrorString(code);
    EXPECT_TRUE(text.contains(QStringLiteral("4000～192000 Hz"))) << text.toStdString();
    EXPECT_TRUE(text.contains(path + QStringLiteral(" (8 Hz)"))) << text.toStdString();
}

// --- The play routines ---

// A sound folder with one good file, a map-free table, fakes, and a recorded end.
class PlayRoutines : public ::testing::Test {
protected:
    void SetUp() override
    {
        reg.soundFolder = sounds.folder();
        sounds.add(QStringLiteral("ok.wav"));
        resetSoundTableWith(QStringLiteral("ok"));
        screens().endProgram = [this](int code) { endCodes.push_back(code); };
    }
    // Every event plays the given file (without ".wav").
    void resetSoundTableWith(const QString& file)
    {
        for (int e = 1; e <= kSoundEvents; ++e) {
            reg.soundTable[1][static_cast<size_t>(e)] = file;
            reg.soundTable[kSoundCountRow][static_cast<size_t>(e)] = QStringLiteral("1");
        }
    }
    FakePlatform fakes;
    SoundFolder sounds;
    std::vector<int> endCodes;
};

struct Routine {
    const char* name;
    void (*play)();
    int column;
};

const Routine kGuarded[] = {
    { "correct", playCorrectSound, kCorrectSound },
    { "wrong", playWrongSound, kWrongSound },
    { "wrong2", playWrongSound2, kWrongSound2 },
};

// Outcomes of plays in a row ('F' a missing file, 'S' a good one) and what must follow.
struct FailureCase {
    const char* name;
    const char* outcomes;
    int countAfter;
    int ends; // number of program ends (each with its message)
};

const FailureCase kFailureCases[] = {
    { "one_failure_tolerated", "F", 1, 0 },
    { "three_failures_tolerated", "FFF", 3, 0 },
    { "three_failures_then_success_resets", "FFFS", 0, 0 },
    { "success_resets_so_three_more_tolerated", "FFFSFFF", 3, 0 },
    { "fourth_failure_ends", "FFFF", 3, 1 },
    { "no_second_message_while_ending", "FFFFFF", 3, 1 },
    { "fourth_failure_after_reset_ends", "FFSFFFF", 3, 1 },
};

class GuardedRoutines : public PlayRoutines, public ::testing::WithParamInterface<std::tuple<Routine, FailureCase>> { };

TEST_P(GuardedRoutines, ToleratesThreeFailuresInARowAndEndsOnTheFourth)
{
    const auto& [routine, c] = GetParam();
    for (const char* o = c.outcomes; *o != '\0'; ++o) {
        resetSoundTableWith(*o == 'S' ? QStringLiteral("ok") : QStringLiteral("ない"));
        routine.play();
        EXPECT_EQ(reg.lastSoundCode, *o == 'S' ? platform::kMciOk : platform::kMciFileNotFound);
    }
    EXPECT_EQ(reg.soundFailureCount, c.countAfter);
    ASSERT_EQ(static_cast<int>(endCodes.size()), c.ends);
    ASSERT_EQ(fakes.messages.texts.size(), c.ends);
    if (c.ends > 0) {
        EXPECT_NE(endCodes[0], 0);
        const QString text = fakes.messages.texts[0];
        EXPECT_TRUE(text.startsWith(QStringLiteral("音声がでません。先生を呼びなさい。\n"))) << qPrintable(text);
        // The error text follows the line break and names the missing file.
        EXPECT_TRUE(text.contains(sounds.folder() + QStringLiteral("ない.wav"))) << qPrintable(text);
        EXPECT_EQ(fakes.messages.titles[0], QStringLiteral("音声エラー"));
        EXPECT_EQ(fakes.messages.icons[0], platform::MessageIcon::Error);
    }
}

INSTANTIATE_TEST_SUITE_P(Routines, GuardedRoutines,
    ::testing::Combine(::testing::ValuesIn(kGuarded), ::testing::ValuesIn(kFailureCases)),
    [](const ::testing::TestParamInfo<std::tuple<Routine, FailureCase>>& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

// The guarded routines share one count: failures of different routines add up.
TEST_F(PlayRoutines, GuardedRoutinesShareOneCount)
{
    resetSoundTableWith(QStringLiteral("ない"));
    playCorrectSound();
    playWrongSound();
    playWrongSound2();
    EXPECT_TRUE(endCodes.empty());
    playCorrectSound();
    EXPECT_EQ(endCodes.size(), 1u);
}

TEST_F(PlayRoutines, EachRoutinePlaysItsOwnEvent)
{
    // Only the routine's own column names the good file; all others a missing one.
    const std::pair<void (*)(), int> routines[] = {
        { playCorrectSound, kCorrectSound },
        { playWrongSound, kWrongSound },
        { playWrongSound2, kWrongSound2 },
        { playPersonalRecordSound, kPersonalRecordSound },
        { playGoodResultSound, kGoodResultSound },
    };
    for (const auto& [play, column] : routines) {
        resetSoundTableWith(QStringLiteral("ない"));
        reg.soundTable[1][static_cast<size_t>(column)] = QStringLiteral("ok");
        reg.lastSoundCode = -1;
        play();
        EXPECT_EQ(reg.lastSoundCode, platform::kMciOk) << "column " << column;
    }
}

TEST_F(PlayRoutines, FixedFilesPlayWhateverTheMapSays)
{
    resetSoundTableWith(QStringLiteral("ない"));
    playOverallRecordSound();
    EXPECT_EQ(reg.lastSoundCode, platform::kMciFileNotFound);
    sounds.add(QStringLiteral("最高1.wav"));
    playOverallRecordSound();
    EXPECT_EQ(reg.lastSoundCode, platform::kMciOk);
    playClearedSound();
    EXPECT_EQ(reg.lastSoundCode, platform::kMciFileNotFound);
    sounds.add(QStringLiteral("合格.wav"));
    playClearedSound();
    EXPECT_EQ(reg.lastSoundCode, platform::kMciOk);
}

TEST_F(PlayRoutines, UnguardedRoutinesNeverEndTheProgramNorTouchTheCount)
{
    resetSoundTableWith(QStringLiteral("ない"));
    reg.soundFailureCount = 2;
    for (int i = 0; i < 6; ++i) {
        playPersonalRecordSound();
        playGoodResultSound();
        playOverallRecordSound();
        playClearedSound();
        EXPECT_NE(reg.lastSoundCode, platform::kMciOk);
    }
    EXPECT_EQ(reg.soundFailureCount, 2);
    EXPECT_TRUE(endCodes.empty());
    EXPECT_TRUE(fakes.messages.texts.isEmpty());
}

TEST_F(PlayRoutines, AnEventWithoutFilesPlaysNothingAndTheMessageNamesTheMapAndEvent)
{
    reg.soundTable[kSoundCountRow][kWrongSound].clear();
    for (int i = 0; i < 4; ++i)
        playWrongSound();
    EXPECT_EQ(reg.lastSoundCode, kNoSoundFileCode);
    ASSERT_EQ(fakes.messages.texts.size(), 1);
    const QString text = fakes.messages.texts[0];
    EXPECT_TRUE(text.contains(sounds.folder() + QStringLiteral("新音ファイル.txt"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("間違い音1"))) << qPrintable(text);
    // The unguarded routine for an event without files stays silent and quiet.
    reg.soundTable[kSoundCountRow][kGoodResultSound].clear();
    playGoodResultSound();
    EXPECT_EQ(reg.lastSoundCode, kNoSoundFileCode);
    EXPECT_EQ(fakes.messages.texts.size(), 1);
}

TEST_F(PlayRoutines, CorrectSoundLetsWindowEventsRunAfterPlaying)
{
    // One of them opens a wait of its own, as a message box does: a key given there is taken.
    struct KeyTaker : QObject {
        bool taken = false;
        bool event(QEvent* e) override
        {
            taken = taken || e->type() == QEvent::KeyPress;
            return QObject::event(e);
        }
    } box;
    bool ran = false;
    QTimer::singleShot(0, QCoreApplication::instance(), [&] {
        ran = true;
        QEventLoop wait;
        QTimer::singleShot(0, &wait, [&] {
            QEvent key(QEvent::KeyPress);
            QCoreApplication::sendEvent(&box, &key);
            wait.quit();
        });
        wait.exec();
    });
    playCorrectSound();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(box.taken);
    EXPECT_EQ(reg.lastSoundCode, platform::kMciOk);
}

TEST_F(PlayRoutines, ChosenFileIsTakenFromTheEventsFilesByTheRandomNumber)
{
    sounds.add(QStringLiteral("b.wav"));
    reg.soundTable[1][kCorrectSound] = QStringLiteral("ない");
    reg.soundTable[2][kCorrectSound] = QStringLiteral("b");
    reg.soundTable[kSoundCountRow][kCorrectSound] = QStringLiteral("2");
    fakes.random.push(0.1); // first file: missing
    fakes.random.push(0.9); // second file: plays
    playCorrectSound();
    EXPECT_EQ(reg.lastSoundCode, platform::kMciFileNotFound);
    playCorrectSound();
    EXPECT_EQ(reg.lastSoundCode, platform::kMciOk);
    EXPECT_EQ(reg.soundFailureCount, 0);
}

} // namespace

namespace {

// A form test's handler sees the exact command and its code reaches the failure check.
TEST(CommandLayer, AnInstalledHandlerTakesTheCommandsAndSdlComesBackAfterwards)
{
    FakePlatform fakes;
    SoundFolder sounds;
    sounds.add(QStringLiteral("ok.wav"));
    reg.soundFolder = sounds.folder();
    QStringList commands;
    platform::setMciHandler([&commands](const QString& command) {
        commands.append(command);
        return platform::kMciFileNotFound;
    });
    playOverallRecordSound();
    EXPECT_EQ(commands, QStringList { QStringLiteral("play \"%1最高1.wav\" wait").arg(sounds.folder()) });
    EXPECT_EQ(reg.lastSoundCode, platform::kMciFileNotFound);
    platform::setMciHandler(nullptr);
    EXPECT_EQ(platform::mciSendString(QStringLiteral("play %1ok.wav wait").arg(sounds.folder())), platform::kMciOk);
}

} // namespace
