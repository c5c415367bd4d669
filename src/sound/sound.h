#pragma once
// The sound effects: the sound map "新音ファイル.txt" in the sound folder says which WAV files
// belong to which moment, and the play routines play one of them, blocking until it has ended.
#include <QString>

namespace kanameru {

inline const QString kSoundMapFile = QStringLiteral("新音ファイル.txt");

// Columns of the sound table (row 0 holds the event names, rows 1..20 the file names without
// folder and ".wav", row 21 the number of files as text).
enum SoundEvent : int {
    kCorrectSound = 1, // "正解音1"
    kCorrectSound2 = 2, // "正解音2"
    kWrongSound = 3, // "間違い音1"
    kWrongSound2 = 4, // "間違い音2"
    kOverallRecordSound1 = 5, // "最高音1"
    kOverallRecordSound2 = 6, // "最高音2"
    kPersonalRecordSound1 = 7,
    kPersonalRecordSound = 8, // "自己最高音2"
    kPersonalRecordSound3 = 9,
    kGoodResultSound = 10, // "不合格音1"
};
constexpr int kSoundEvents = 10;
constexpr int kSoundFilesPerEvent = 20;
constexpr int kSoundCountRow = 21;

// The fixed files of the overall record and of the cleared target level.
inline const QString kOverallRecordFile = QStringLiteral("最高1.wav");
inline const QString kClearedFile = QStringLiteral("合格.wav");

// Fills reg.soundTable from soundFolder + "新音ファイル.txt". Called once at start-up, after the
// settings. A missing or unreadable map leaves a table with the event names only: the events
// then have no files, and the guarded routines report that through their failure check.
void loadSoundMap();

// The play routines. The three guarded ones (correct, wrong, wrong 2) end the program with the
// message "音声がでません。先生を呼びなさい。" after the fourth failure in a row; the others
// stay silent on failure. Each stores the result code in reg.lastSoundCode.
// The two judgement sounds let window events run after the sound, dropping the keys and clicks
// given while it played (platform::dropInputGivenMeanwhile).
void playCorrectSound(); // a file of "正解音1"
void playWrongSound(); // a file of "間違い音1"
void playWrongSound2(); // a file of "間違い音2" (start screen, no pupil chosen)
void playPersonalRecordSound(); // a file of "自己最高音2"
void playGoodResultSound(); // a file of "不合格音1"
void playOverallRecordSound(); // "最高1.wav"
void playClearedSound(); // "合格.wav"

// --- The parts of the routines, for tests and tools ---

// The file name (without folder and ".wav") chosen at random among the files of an event,
// each equally likely; empty when the event has no count (nothing is played then).
QString chooseSoundFile(int column);

// Plays soundFolder + fileName (".wav" included) and returns the result code (0 = played).
// The path is quoted in the command, so folders with spaces play.
int playSoundFile(const QString& fileName);

// The result code of a play for an event that has no file in the map, and its text.
constexpr int kNoSoundFileCode = 1;

// The error text for a result code: the command layer's text, or the map's own reasons.
QString soundErrorText(int code);

// The problem found when the map was last loaded (missing, unreadable), empty when none.
QString soundMapProblem();

} // namespace kanameru
