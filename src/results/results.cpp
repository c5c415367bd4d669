// Recording attempts and reading them back, with the retry handlers of the results routines.
#include "results/results.h"

#include "platform/clock.h"
#include "platform/events.h"
#include "platform/messagebox.h"
#include "results/recordfile.h"
#include "results/retry.h"
#include "results/statistics_internal.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

namespace kanameru {

namespace results_retry {
namespace {
WaitFunction installedWait;
}

void wait(int milliseconds)
{
    if (installedWait)
        installedWait(milliseconds);
    else
        platform::waitLettingEventsRun(milliseconds);
}

WaitFunction setWaitForTests(WaitFunction w)
{
    WaitFunction before = installedWait;
    installedWait = std::move(w);
    return before;
}
} // namespace results_retry

namespace {

using recordfile::IoError;
using namespace results_retry;

// Where the load stands, for the diagnostic message.
int stageMarker = 0;
qint16 loadRetryCount = 0;

// Only a lock held by another workstation goes away by waiting. A read-only or forbidden
// file, a full disk or a folder in the file's place is reported at once with its reason.
bool busyError(const IoError& e)
{
    return e.lockedByOther;
}

QString dateText(double days)
{
    if (!std::isfinite(days) || days < -657434 || days > 2958466)
        return shortestNumber(days);
    return platform::shortDate(platform::fromDayCount(days).date());
}

QString timeText(double days)
{
    if (!std::isfinite(days) || days < -657434 || days > 2958466)
        return shortestNumber(days);
    return platform::shortTime(platform::fromDayCount(days).time());
}

QString pupilName(int pupil)
{
    if (pupil < 0 || pupil > kMaxPupil)
        return QString();
    return reg.pupilNames[pupil].trimmed();
}

// "成績ランダムファイル表示" with the error and the record in hand.
void showLoadDiagnostic(const IoError& e, const LoadedResult& r, int slot)
{
    platform::showMessage(QStringLiteral("成績ランダムファイル表示 ") + QString::number(e.number) + QLatin1Char(' ')
        + e.description + QLatin1Char('\n') + e.path + QLatin1Char('\n') + QStringLiteral("/date") + dateText(r.date)
        + QStringLiteral("/i=") + QString::number(slot) + QStringLiteral("/time=") + timeText(r.time)
        + QStringLiteral("/name=") + pupilName(r.pupilNo) + QStringLiteral("/Bangou=") + QString::number(r.pupilNo)
        + QStringLiteral("/level=") + QString::number(r.level) + QStringLiteral("/time=") + QString::number(r.result)
        + QStringLiteral(" line") + QString::number(stageMarker));
    endProgram(1);
}

// Runs one step of the loading routine until it succeeds, as its handler does: a missing
// folder is waited for 5 seconds at a time and the 4th time ends the program; a file locked
// by another workstation is tried every second (for a minute at most); anything else ends it
// at once.
bool retryLoadStep(const std::function<std::optional<IoError>()>& step)
{
    int busy = 0;
    for (;;) {
        const std::optional<IoError> e = step();
        if (!e)
            return true;
        if (e->number == recordfile::kFileNotFound) {
            wait(kNotFoundWaitMs);
            loadRetryCount += 1;
            if (loadRetryCount >= kNotFoundTries) {
                platform::showMessage(QStringLiteral("ファイルがありません ") + QString::number(stageMarker)
                    + QLatin1Char(' ') + e->description + QLatin1Char(' ') + QString::number(e->number)
                    + QLatin1Char('\n') + e->path);
                endProgram(1);
                return false;
            }
            continue;
        }
        if (busyError(*e) && ++busy < kLoadBusyTries) {
            wait(kBusyWaitMs);
            continue;
        }
        showLoadDiagnostic(*e, LoadedResult(), 0);
        return false;
    }
}

QString attemptText(const QDateTime& when)
{
    return platform::shortDate(when.date()) + QLatin1Char(' ') + platform::shortTime(when.time())
        + QStringLiteral(" 番号") + QString::number(reg.currentPupilNo) + QStringLiteral(" レベル")
        + QString::number(reg.currentLevel) + QStringLiteral(" 成績") + QString::number(reg.attemptResult);
}

// Appends one record, as the recording handler does: a lock held by another workstation is
// tried again every second (giving up after three minutes). From the first half minute on a
// notice says so while the tries go on (shown again every half minute when the pupil closed
// it); once the attempt is stored it says that and closes by itself, so an unattended
// workstation never waits for an answer. Anything else (a read-only or forbidden file, a full
// disk, a missing folder) ends the program at once with a message that names the file, the
// reason and the attempt, and says exactly where the attempt was stored and where not.
bool appendWithRetry(const QString& path, const QByteArray& bytes, int length, const QString& attempt,
    const QString& storedIn, const QString& notTried)
{
    int busy = 0;
    std::unique_ptr<platform::Notice> notice;
    for (;;) {
        const std::optional<IoError> e = recordfile::appendRecord(path, bytes, length);
        if (!e) {
            if (notice && notice->shown()) {
                notice->setText(QStringLiteral("成績を記録しました。\n") + path);
                wait(kStoredNoticeMs);
            }
            return true;
        }
        if (busyError(*e)) {
            busy += 1;
            const bool noticeDue = busy % kAppendBusyPerNotice == 0;
            if (!noticeDue || busy < kAppendBusyPerNotice * kAppendBusyNotices) {
                if (noticeDue && !(notice && notice->shown()))
                    notice = platform::showNotice(
                        QStringLiteral("成績ファイルを他の端末が使っているため、まだ記録できません。\n") + path
                        + QStringLiteral("\n記録できるまで毎秒試し、記録できたら自動で閉じます。"));
                wait(kBusyWaitMs);
                continue;
            }
        }
        notice.reset();
        QString text = QStringLiteral("成績ランダムファイル記録") + e->description + QLatin1Char('\n') + path
            + QStringLiteral("\n記録できなかった成績: ") + attempt;
        if (!storedIn.isEmpty())
            text += QStringLiteral("\nこの成績は %1 には記録しました。").arg(storedIn);
        if (!notTried.isEmpty())
            text += QStringLiteral("\nこの成績は %1 にも記録していません。").arg(notTried);
        platform::showMessage(text);
        endProgram(1);
        return false;
    }
}

// The time of day of a moment in whole seconds, as a fraction of a day.
double timeOfDay(const QDateTime& when)
{
    return (when.time().msecsSinceStartOfDay() / 1000) / 86400.0;
}

bool appendChecked()
{
    const QByteArray school = fixedBytes(reg.schoolCode, 5);
    // Date and time come from one reading of the clock, so a record made at midnight never
    // gets the new day's date with the old day's time.
    const QDateTime now = platform::clock().now();
    ResultRecord r;
    r.recordDate = platform::dayCount(now.date());
    r.recordTime = timeOfDay(now);
    r.pupilNo = reg.currentPupilNo;
    r.level = reg.currentLevel;
    r.result = reg.attemptResult;
    r.schoolCode = school;
    r.note = QByteArray(5, ' ');
    r.kindText = QByteArray("0    ");
    r.reserved = QByteArray(5, '\0');
    const int pupil = reg.currentPupilNo;
    const bool installationWide
        = (pupil < kInstallationExcludedFirst || pupil > kInstallationExcludedLast) && reg.rosterSource == 1;
    if (!appendWithRetry(resultsFilePath(), r.toBytes(), kResultRecordLength, attemptText(now), QString(),
            installationWide ? installationResultsFileName() : QString()))
        return false;

    if (installationWide) {
        const QDateTime again = platform::clock().now();
        InstallationResultRecord h;
        h.programName = fixedBytes(reg.programFolderName + QLatin1Char('\\'), 20);
        h.contentNo = 0;
        h.recordDate = platform::dayCount(again.date());
        h.recordTime = timeOfDay(again);
        h.pupilNo = reg.currentPupilNo;
        h.level = reg.currentLevel;
        h.result = reg.attemptResult;
        h.schoolCode = school;
        h.reserved = QByteArray(15, '\0');
        if (!appendWithRetry(installationResultsFilePath(), h.toBytes(), kInstallationRecordLength, attemptText(again),
                resultsFilePath(), QString()))
            return false;
    }
    return true;
}

// Reads the file and keeps its records (and with accumulateToo adds them to the cleared count
// and points tables); false when the program is ending over an error.
bool loadChecked(bool accumulateToo)
{
    stageMarker = 1;
    loadRetryCount = 0;
    const QString path = resultsFilePath();
    const double asOf = platform::clock().nowDayCount();
    // A load that fails leaves no best results of an earlier one behind.
    const auto failed = [&] {
        keepRecords({}, asOf, false);
        return false;
    };

    // Kept from one rebuild to the next, so a rebuild allocates nothing once warmed up. A missing
    // file is made empty, as on the first start. One open of the file: the stage marker says 2
    // for its opening (or making), 4 for its reading.
    static recordfile::RecordBlock block;
    if (!retryLoadStep([&] {
            int at = 0;
            auto e = recordfile::readLastRecords(
                path, kResultRecordLength, kResultsReadWindow, &block, recordfile::Missing::IsCreated, &at);
            stageMarker = at <= 1 ? 2 : 4;
            return e;
        }))
        return failed();

    stageMarker = 5;
    keepRecordBytes(block.bytes, block.firstNumber, asOf, accumulateToo);
    stageMarker = 6;
    return true;
}

} // namespace

void parseResultRecords(const QByteArray& bytes, qint64 firstNumber, std::vector<LoadedResult>* records)
{
    std::vector<LoadedResult>& out = *records;
    const qsizetype n = bytes.size() / kResultRecordLength;
    out.resize(static_cast<size_t>(n));
    const char* p = bytes.constData();
    for (qsizetype i = 0; i < n; ++i, p += kResultRecordLength) {
        LoadedResult& r = out[static_cast<size_t>(i)];
        quint64 bits = qFromLittleEndian<quint64>(p);
        std::memcpy(&r.date, &bits, sizeof bits);
        bits = qFromLittleEndian<quint64>(p + 8);
        std::memcpy(&r.time, &bits, sizeof bits);
        r.pupilNo = qFromLittleEndian<qint16>(p + 16);
        r.level = qFromLittleEndian<qint16>(p + 18);
        r.result = qFromLittleEndian<qint32>(p + 20);
        r.number = static_cast<qint32>(firstNumber + i);
    }
}

void openResultsFile()
{
    loadRetryCount = 0;
    const QString path = resultsFilePath();
    retryLoadStep([&] { return recordfile::createIfMissing(path); });
}

void appendResult()
{
    appendChecked();
}

void recordResult(qint16 level)
{
    const int L = level;
    const int P = reg.currentPupilNo;
    const bool slot = L >= 0 && L <= kMaxLevel && P >= 0 && P <= kMaxPupil;
    if (slot) {
        // Cleared before this attempt, by the all-time numbers as last computed.
        reg.alreadyCleared
            = (reg.totalCount(L, P) >= reg.levelRequiredCount[L] && reg.totalPoints(L, P) >= reg.levelPassPoints[L])
            ? 1
            : 0;
        if (reg.bestScore(L, P) > reg.attemptResult) {
            reg.newPersonalBest = 1;
            reg.bestScore(L, P) = reg.attemptResult;
        }
    }
    if (!appendChecked())
        return;
    if (slot && reg.levelBestScore[L] > reg.attemptResult) {
        reg.levelBestScore[L] = reg.attemptResult;
        reg.newOverallBest = 1;
    }
}

void loadResults()
{
    loadChecked(false);
}

void computeStatistics()
{
    clearCounts();
    loadChecked(true);
}

qint64 storedResultCount(const QString& path)
{
    return recordfile::completeRecords(path, kResultRecordLength);
}

Result<std::vector<LoadedResult>> readStoredResults(qint64 lastCount, const QString& path)
{
    recordfile::RecordBlock block;
    if (const auto e = recordfile::readLastRecords(path, kResultRecordLength, lastCount, &block))
        return FileError { path, 0, e->description };
    std::vector<LoadedResult> records;
    parseResultRecords(block.bytes, block.firstNumber, &records);
    return records;
}

Result<std::vector<InstallationResultRecord>> readInstallationResults(const QString& path)
{
    recordfile::RecordBlock block;
    if (const auto e = recordfile::readLastRecords(path, kInstallationRecordLength, 0, &block))
        return FileError { path, 0, e->description };
    std::vector<InstallationResultRecord> out;
    const qsizetype n = block.bytes.size() / kInstallationRecordLength;
    out.reserve(static_cast<size_t>(n));
    for (qsizetype i = 0; i < n; ++i)
        out.push_back(InstallationResultRecord::fromBytes(block.bytes.constData() + i * kInstallationRecordLength));
    return out;
}

} // namespace kanameru
