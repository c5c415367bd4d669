#include "sound/sound.h"

#include "platform/events.h"
#include "platform/mci.h"
#include "platform/messagebox.h"
#include "platform/random.h"
#include "sound/soundmap.h"
#include "startup/fileerror.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "startup/textfile.h"

#include <algorithm>

namespace kanameru {

namespace {

constexpr int kToleratedFailures = 3;

QString mapProblem; // why the map could not be read, if it could not
int missingFileColumn = 0; // the event of the last play that found no file

int playEvent(int column)
{
    const QString file = chooseSoundFile(column);
    if (file.isEmpty()) {
        missingFileColumn = column;
        return kNoSoundFileCode;
    }
    return playSoundFile(file + QStringLiteral(".wav"));
}

// Three failures in a row are tolerated; the fourth ends the program with a message that
// sends the pupil to the teacher.
void checkFailure(int code)
{
    if (programEnding())
        return; // the program is already closing: one message is enough
    if (code == 0) {
        reg.soundFailureCount = 0;
        return;
    }
    if (reg.soundFailureCount < kToleratedFailures) {
        ++reg.soundFailureCount;
        return;
    }
    platform::showMessage(QStringLiteral("音声がでません。先生を呼びなさい。\n") + soundErrorText(code),
        QStringLiteral("音声エラー"), platform::MessageIcon::Error);
    endProgram(1);
}

void playGuarded(int column)
{
    reg.lastSoundCode = playEvent(column);
    checkFailure(reg.lastSoundCode);
}

void playUnguarded(int column)
{
    reg.lastSoundCode = playEvent(column);
}

} // namespace

void loadSoundMap()
{
    resetSoundTable();
    mapProblem.clear();
    const QString path = reg.soundFolder + kSoundMapFile;
    const Result<QString> text = readTextFile(path, kSmallTextFileLimit);
    if (!text) {
        mapProblem = text.error().message();
        return;
    }
    fillSoundTable(splitSoundMap(*text));
}

QString soundMapProblem()
{
    return mapProblem;
}

QString chooseSoundFile(int column)
{
    // The random number is drawn even for an event without files, as every play draws one.
    const double r = platform::random().next();
    if (column < 1 || column > kSoundEvents)
        return QString();
    const auto c = static_cast<size_t>(column);
    bool ok = false;
    const int n = reg.soundTable[kSoundCountRow][c].toInt(&ok);
    if (!ok || n <= 0)
        return QString();
    const int k = std::clamp(static_cast<int>(r * n + 1), 1, std::min(n, kSoundFilesPerEvent));
    return reg.soundTable[static_cast<size_t>(k)][c];
}

int playSoundFile(const QString& fileName)
{
    // The sound holds the thread until it ends: what it announces must be on the screen first.
    platform::showScreenNow();
    // The path is quoted: a folder with spaces in its name must play too.
    return platform::mciSendString(QStringLiteral("play \"%1%2\" wait").arg(reg.soundFolder, fileName));
}

QString soundErrorText(int code)
{
    if (code != kNoSoundFileCode)
        return platform::mciGetErrorString(code);
    QString text = QStringLiteral("音ファイル %1 に「%2」の音が登録されていません。")
                       .arg(reg.soundFolder + kSoundMapFile, soundEventName(missingFileColumn));
    if (!mapProblem.isEmpty())
        text += u'\n' + mapProblem;
    return text.left(255);
}

// A judgement's sound: what the pupil pressed or clicked while it played is not taken (a second
// Enter must not judge the next phase unseen); the window's other events run after it.
void playJudgementSound(int column)
{
    reg.lastSoundCode = playEvent(column);
    platform::dropInputGivenMeanwhile();
    checkFailure(reg.lastSoundCode);
}

void playCorrectSound()
{
    playJudgementSound(kCorrectSound);
}

void playWrongSound()
{
    playJudgementSound(kWrongSound);
}
void playWrongSound2()
{
    playGuarded(kWrongSound2);
}
void playPersonalRecordSound()
{
    playUnguarded(kPersonalRecordSound);
}
void playGoodResultSound()
{
    playUnguarded(kGoodResultSound);
}

void playOverallRecordSound()
{
    reg.lastSoundCode = playSoundFile(kOverallRecordFile);
}

void playClearedSound()
{
    reg.lastSoundCode = playSoundFile(kClearedFile);
}

} // namespace kanameru
