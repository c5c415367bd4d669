#pragma once
// The pupil roster "生徒用名簿.txt" in the installation's shared data folder: one record per
// line, eight comma-separated fields (number, birth year, spare1, spare2, "name", status,
// "spare text 1", "spare text 2"), CP932 with CR LF.
#include "startup/fileerror.h"
#include "startup/hensuu1.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace kanameru {

inline const QString kRosterFile = QStringLiteral("生徒用名簿.txt");
inline const QString kRosterTempFile = QStringLiteral("生徒用名簿temp.txt");

// reg.rosterFolder + "生徒用名簿.txt".
QString rosterFileName();
// reg.rosterFolder + "生徒用名簿temp.txt".
QString rosterTempFileName();

// ---- School year and grades ----

// The calendar year of the date, minus 1 while its month is before startMonth.
int schoolYearOf(const QDate& date, int startMonth);
// Sets reg.schoolYear from today's date (platform::clock()) and reg.schoolYearStartMonth,
// and returns it.
int computeSchoolYear();
// schoolYear - birthYear - 6: 1..6 elementary, 7..9 lower secondary, 10..12 upper secondary,
// 0 and below pre-school.
int gradeIndexOf(int schoolYear, int birthYear);
// The short grade label of list lines: "幼-", "幼1", "幼2", "幼3", "小1".."小6", "中1".."中3",
// "高1".."高3", "大+".
QString gradeLabel(int gradeIndex);
// The full-width label kept in pupilGradeLabel for grade indexes 0..10 ("幼３", "小１".."小６",
// "中１".."中３", "高１"); empty for every other index.
QString fullWidthGradeLabel(int gradeIndex);

// ---- Records ----

// Whether a record takes a listed position: status 0, or status 2 while status2Listed is 1.
bool isListed(const RosterRecord& record, bool status2Listed);

// Parses the text of a roster file into its records in file order (every status). Texts are
// held cut or padded to 20 characters. A line with a missing field, a number where a text
// belongs (or the reverse) or a number outside the 16-bit range is reported with its line.
Result<QList<RosterRecord>> parseRosterText(const QString& path, const QString& text);
// One record with the line it came from and its pupil number as written, which may lie
// outside 16 bits (record.number is then 0).
struct RosterLine {
    RosterRecord record;
    int line = 0;
    double writtenNumber = 0;
};
// Parses like parseRosterText, but a pupil number of any size is no error.
Result<QList<RosterLine>> parseRosterLines(const QString& path, const QString& text);
// Reads and parses a roster file.
Result<QList<RosterRecord>> readRosterRecords(const QString& path);

// Why readRoster failed.
enum class RosterProblem {
    None,
    Missing, // the roster file does not exist
    TooManyPupils, // more than 5000 listed records (a guard: listed numbers are unique in 1..5000)
    Unreadable, // cannot be opened or decoded, or a malformed line (worth retrying)
};

// Reads the roster as the start screen and the board list it: computes reg.schoolYear, then
// fills reg.roster, reg.pupilNames, reg.pupilBirthYear, reg.pupilGradeLabel and
// reg.boardPupilNos by listed position 1, 2, 3, ... and sets reg.boardPupilCount. Records that
// are not listed take no position. A listed record whose number lies outside 1..5000, or whose
// number an earlier listed record already carries, takes no position either; *leftOut names
// each such record with its line. On an error the tables are
// left as they were and the error (with its kind in *problem) is returned.
std::optional<FileError> readRoster(RosterProblem* problem = nullptr, QList<FileError>* leftOut = nullptr);

// The listed position whose record carries the pupil number, or 0 when no listed record does.
// (Positions and numbers agree when the listed records are numbered 1, 2, 3, ... in order.)
int listedPositionOfPupil(int pupilNo);

// Restores the roster when "生徒用名簿.txt" cannot be opened but "生徒用名簿temp.txt" was
// left behind by a writer: the temporary copy is renamed into its place. Reports nothing.
void 名簿ファイル処理();

} // namespace kanameru
