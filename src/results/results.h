#pragma once
// The cumulative results files: every recorded attempt of every pupil, appended as one
// fixed-length record, and the statistics every screen rebuilds from them.
//
//   "成績累積データ.dat" in programFolder          44-byte ResultRecord per attempt
//   "成績累積データ家庭用.dat" in rosterFolder     66-byte InstallationResultRecord per attempt
//
// Several workstations may append to the same files at once: each append locks the whole
// file, places the record after the last complete one, flushes it to the disk and only then
// unlocks. A partial record left by a crash is never read and is overwritten by the next append.
#include "startup/fileerror.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

namespace kanameru {

constexpr int kResultRecordLength = 44;
constexpr int kInstallationRecordLength = 66;
constexpr int kResultsReadWindow = 20000; // only the last 20000 records are read back
constexpr int kResultsKeptMax = 10001; // of which at most 10001 (the newest) are kept
constexpr int kCompletedBelow = 6000; // a result of 6000 or more is no completed attempt
constexpr int kInstallationExcludedFirst = 4900; // pupils 4900..5000 get no installation-wide record
constexpr int kInstallationExcludedLast = 5000;

// File names of the two results files.
QString resultsFileName(); // "成績累積データ.dat"
QString installationResultsFileName(); // "成績累積データ家庭用.dat"
// Full paths from the register (programFolder, rosterFolder).
QString resultsFilePath();
QString installationResultsFilePath();

// One record of "成績累積データ.dat" (44 bytes, little-endian, no gaps).
struct ResultRecord {
    double recordDate = 0; // days since 30 December 1899, time part 0
    double recordTime = 0; // time of day as a fraction of a day, date part 0
    qint16 pupilNo = 0;
    qint16 level = 0;
    qint32 result = 0; // seconds; 99999 = ran out of time
    QByteArray schoolCode; // 5 bytes CP932, padded with spaces
    QByteArray note; // 5 spaces
    QByteArray kindText; // "0" and 4 spaces
    QByteArray reserved; // 5 zero bytes

    QByteArray toBytes() const;
    static ResultRecord fromBytes(const char* bytes); // kResultRecordLength bytes
};

// One record of "成績累積データ家庭用.dat" (66 bytes, little-endian, no gaps).
struct InstallationResultRecord {
    QByteArray programName; // 20 bytes CP932: program folder name and "\", padded with spaces
    qint16 contentNo = 0;
    double recordDate = 0;
    double recordTime = 0;
    qint16 pupilNo = 0;
    qint16 level = 0;
    qint32 result = 0;
    QByteArray schoolCode; // 5 bytes
    QByteArray reserved; // 15 zero bytes

    QByteArray toBytes() const;
    static InstallationResultRecord fromBytes(const char* bytes); // kInstallationRecordLength bytes
};

// A CP932 text in exactly `length` bytes: cut at a character boundary, padded with spaces.
QByteArray fixedBytes(const QString& text, int length);

// One attempt as read back (the loaded-record arrays of loadResults, and the board's lists).
struct LoadedResult {
    double date = 0; // day count (whole days)
    double time = 0; // time of day as a day fraction
    qint16 pupilNo = 0;
    qint16 level = 0;
    qint32 result = 0;
    qint32 number = 0; // record number in the file, from 1
};

// ---- The routines of the program ----------------------------------------------------------

// Creates the results file in programFolder when it is missing (the file stays empty).
// Failures are handled like those of loadResults.
void openResultsFile();

// Appends one ResultRecord for the current attempt (currentPupilNo, currentLevel,
// attemptResult, schoolCode, the clock now) and, for pupils outside 4900..5000, one
// InstallationResultRecord. Retries while another workstation holds the lock; on a failure
// that does not pass shows "成績ランダムファイル記録" and ends the program.
void appendResult();

// Records the attempt that just ended: sets alreadyCleared, newPersonalBest, newOverallBest,
// bestScore and levelBestScore, and appends the record.
void recordResult(qint16 level);

// Reads the last 20000 records of the results file: sets bestScore and levelBestScore and
// keeps the newest 10001 valid records in loadedResults().
void loadResults();

// Clears and rebuilds every statistics table of the register from the results file.
void computeStatistics();

// Points of one attempt: result against levelTarget[level], times levelPointFactor[level].
// 0 for a time-out, for a level target of 0 and for a level outside 1..35.
int attemptPoints(qint32 result, int level);

// A level is cleared for a pupil when his recentPoints and recentCount reach levelPassPoints
// and levelRequiredCount of that level.
bool levelCleared(int level, int pupil);

// The records kept by the last loadResults, oldest first (at most 10001).
const std::vector<LoadedResult>& loadedResults();
int loadedCount();

// ---- Reading the files directly (the board's attempt lists, the teachers' tool) -------------

// Number of complete records in a results file (0 when it is missing).
qint64 storedResultCount(const QString& path = resultsFilePath());

// The last `lastCount` complete records of "成績累積データ.dat" in file order (all of them
// when lastCount <= 0), with their record numbers; a missing file gives none.
Result<std::vector<LoadedResult>> readStoredResults(qint64 lastCount, const QString& path = resultsFilePath());

// Turns a block of 44-byte records into attempts numbered from firstNumber.
void parseResultRecords(const QByteArray& bytes, qint64 firstNumber, std::vector<LoadedResult>* out);

// Every complete record of an installation-wide file, in file order.
Result<std::vector<InstallationResultRecord>> readInstallationResults(
    const QString& path = installationResultsFilePath());

// The statistics of the given records (the last 20000 of a file, oldest first) as of a moment
// (a day count with the time of day as fraction), by the same rules as computeStatistics:
// clears the tables, lets every record lower bestScore, keeps the newest 10001 valid ones in
// loadedResults() and accumulates them. With `ignoreLater`, records dated after the day of
// `asOf` are left out (the statistics as they stood on a past date).
void computeStatisticsFrom(const std::vector<LoadedResult>& records, double asOf, bool ignoreLater = false);

} // namespace kanameru
