#pragma once
// The register of the program-wide variables that every screen and routine shares.
// Nothing of it is saved: each run starts from these values and rebuilds the rest from the
// data files. Tables by level run 0..35, by pupil 0..5000; a table by level and pupil holds
// one row of 5001 entries per level (index = level x 5001 + pupil).
#include "startup/anyvalue.h"

#include <QString>
#include <array>
#include <vector>

namespace kanameru {

constexpr int kMaxLevel = 35;
constexpr int kLevels = kMaxLevel + 1;
constexpr int kMaxPupil = 5000;
constexpr int kPupils = kMaxPupil + 1;
constexpr int kTimeOut = 99999; // result of an attempt that ran out of time; also "no best yet"

template <class T>
using ByLevel = std::array<T, kLevels>;

// A table by level and pupil.
template <class T>
class ByLevelPupil {
public:
    ByLevelPupil() : data_(static_cast<size_t>(kLevels) * kPupils) {}
    T& operator()(int level, int pupil) { return data_[static_cast<size_t>(level) * kPupils + pupil]; }
    const T& operator()(int level, int pupil) const { return data_[static_cast<size_t>(level) * kPupils + pupil]; }
    void fill(const T& value) { std::fill(data_.begin(), data_.end(), value); }
    std::vector<T>& data() { return data_; }

private:
    std::vector<T> data_;
};

// One line of the roster file.
struct RosterRecord {
    qint16 number = 0;
    qint16 birthYear = 0;
    qint16 spare1 = 0;
    qint16 spare2 = 0;
    QString name;       // fixed 20 characters
    qint16 status = 0;  // 0 listed; 2 listed when status2Listed is 1; others not listed
    QString spareText1; // fixed 20 characters
    QString spareText2; // fixed 20 characters
};

struct FilesAndFolders {
    qint16 fileNo = 0;
    QString appFolder;         // the program's folder, ending in a separator; the question file lies in it
    QString rosterFolder;      // the installation's shared data
    QString programFolder;     // this drill set's own files
    QString programFolderName; // last component of the program folder
    QString soundFolder;       // the sound map and the WAV files
    AnyValue rosterSource;     // start-up fixes it at 1
    qint16 trapFileErrors = 0;
    AnyValue useFilesFolder; // first value of the local settings file
};

struct InstallationAndSchool {
    AnyValue schoolYearStartMonth;
    AnyValue schoolYear;
    QString schoolCode; // five characters, or empty
    QString schoolName;
    AnyValue status2Listed;
};

struct DrillSetConstants {
    quint32 formBackColour = 0; // red-green-blue, 0xRRGGBB
    QString drillSetTitle;
    AnyValue printButtonShown;
    qint16 levelCount = 0;
    AnyValue targetLevel;
    ByLevel<QString> levelTitles{};
    ByLevel<qint16> levelIsTimed{};
    ByLevel<AnyValue> levelPracticeFlag{};
    ByLevel<qint32> levelTarget{};
    ByLevel<qint32> levelTargetB{};
    ByLevel<qint32> levelPassPoints{};
    ByLevel<qint16> levelRequiredCount{}; // 9999: a level without end
    ByLevel<float> levelPointFactor{};
    ByLevel<AnyValue> levelCapCount{};
    ByLevel<AnyValue> levelCapPoints{};
    ByLevel<AnyValue> levelRecentDays{};
    ByLevel<AnyValue> levelCapDays{};
};

struct RosterTables {
    std::vector<RosterRecord> roster = std::vector<RosterRecord>(kPupils);
    std::vector<QString> pupilNames = std::vector<QString>(kPupils);
    std::vector<qint16> pupilBirthYear = std::vector<qint16>(kPupils);
    std::vector<QString> pupilGradeLabel = std::vector<QString>(kPupils);
    std::vector<AnyValue> boardPupilNos = std::vector<AnyValue>(kPupils);
    AnyValue boardPupilCount;
    QString gradeFilterText;
};

struct CurrentPupilAndAttempt {
    qint16 currentPupilNo = 0;
    QString currentPupilName;
    QString currentPupilGradeLabel;
    qint32 pupilStartSeconds = 0;
    qint16 currentLevel = 0;
    AnyValue memorizeMode;
    qint16 reviewMode = 0; // 1 = a review (復習): its events are recorded, no attempt
    qint16 questionsPerAttempt = 0;
    qint32 solvedCount = 0;
    float attemptStartSeconds = 0;
    qint32 elapsedSeconds = 0;
    qint32 timeBarSeconds = 0;
    double timeBarScale = 0;
    qint16 allSolved = 0;
    qint16 finishing = 0;
    qint16 timeUp = 0;
    qint32 attemptResult = 0;
    qint16 todayTotalCount = 0;
};

struct QuestionData {
    // Cells by row 0..1000 and column 0..100; row 0 and column 0 are never filled.
    std::vector<QString> questionCells = std::vector<QString>(1001 * 101);
    qint16 questionRowCount = 0;
    qint16 questionColumnCount = 0;
    QString& questionTable(int row, int column) { return questionCells[static_cast<size_t>(row) * 101 + column]; }
    const QString& questionTable(int row, int column) const
    {
        return questionCells[static_cast<size_t>(row) * 101 + column];
    }
};

struct ResultsStatistics {
    ByLevelPupil<qint32> bestScore;  // best (smallest) result; 99999 = none
    ByLevel<qint32> levelBestScore{}; // best result of the level over all pupils
    ByLevelPupil<qint16> totalCount;
    ByLevelPupil<qint16> recentCount;
    ByLevelPupil<qint16> capCount;
    ByLevelPupil<qint32> totalPoints;
    ByLevelPupil<qint32> recentPoints;
    ByLevelPupil<qint32> capPoints;
    ByLevelPupil<float> todayCount;
    ByLevelPupil<qint32> todayPoints;
    qint16 newPersonalBest = 0;
    qint16 newOverallBest = 0;
    qint16 alreadyCleared = 0;
    AnyValue targetLevelCleared;
};

struct BoardState {
    qint16 listKind = 0; // 1 best, 2 today, 3 all results
    AnyValue timeListChoice;
    std::vector<double> rankKeys = std::vector<double>(2001);
    std::vector<qint16> rankPupils = std::vector<qint16>(2001);
    qint16 rankCount = 0;
    AnyValue periodChoice;
    AnyValue periodDays;
};

struct SoundState {
    // Sound events and their files, soundTable[row][column], rows 0..21 by columns 0..10: one
    // column 1..10 per event, row 0 its name, rows 1..20 its files, row 21 their count as text.
    std::array<std::array<QString, 11>, 22> soundTable{};
    qint16 soundFailureCount = 0;
    qint32 lastSoundCode = 0; // error code of the last play
};

// All program-wide variables, grouped as they are described; reached by their names, for
// example reg.currentPupilNo or reg.levelTarget[level].
struct SharedState : FilesAndFolders,
                     InstallationAndSchool,
                     DrillSetConstants,
                     RosterTables,
                     CurrentPupilAndAttempt,
                     QuestionData,
                     ResultsStatistics,
                     BoardState,
                     SoundState {
    // Puts every variable back to its value at the start of a run (tests use it).
    void reset();
};

extern SharedState reg;

} // namespace kanameru
