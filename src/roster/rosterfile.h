#pragma once
// The pupil roster "生徒用名簿.txt" in the installation's shared data folder: one record per
// line, eight comma-separated fields (number, birth year, spare1, spare2, "name", status,
// "spare text 1", "spare text 2"), CP932 with CR LF.
#include "startup/fileerror.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>
#include <variant>

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
// held cut or padded to 20 characters; a name without its control and invisible characters. A
// line with a missing field, a number where a text belongs (or the reverse) or a number outside
// the 16-bit range is reported with its line.
Result<QList<RosterRecord>> parseRosterText(const QString& path, const QString& text);
// One record with the line it came from and its pupil number as written, which may lie
// outside 16 bits (record.number is then 0).
struct RosterLine {
    RosterRecord record;
    int line = 0;
    double writtenNumber = 0;
    QString name; // the name as written, without its control and invisible characters, not cut
    QString removed; // the control and invisible characters taken out of the name
    // Where the birth year and the name are written in the line (see Field::begin and end).
    qsizetype yearBegin = 0;
    qsizetype yearEnd = 0;
    qsizetype nameBegin = 0;
    qsizetype nameEnd = 0;
};
// Parses like parseRosterText, but a pupil number of any size is no error.
Result<QList<RosterLine>> parseRosterLines(const QString& path, const QString& text);
// Parses one line of a roster (its text without the line end): the record, nullopt for a
// blank line, or why the line holds no record.
std::variant<std::nullopt_t, RosterLine, QString> parseRosterLine(const QString& text, int line);
// Reads and parses a roster file; the first line that holds no record fails the read.
Result<QList<RosterRecord>> readRosterRecords(const QString& path);

// A roster file as read, line by line: what each line holds, and its bytes as read, so that a
// line nobody changed is written back exactly as it was.
struct RosterFileLine {
    TextLine text; // its bytes, line end and text
    std::optional<RosterLine> entry; // the record it holds
    QString problem; // why it holds no record; empty for a record and for a blank line
};
struct RosterFile {
    QString path;
    TextEncoding encoding = TextEncoding::Ascii;
    bool byteOrderMark = false;
    QList<RosterFileLine> lines;

    // The file's bytes: as read, or with the lines changed since.
    QByteArray bytes() const;
    // Every line that holds no record, with why, in file order.
    QList<FileError> badLines() const;
};
// Reads a roster file. Only a file that cannot be read fails; a line that does not read in
// the file's encoding or holds no record is kept, with its problem, and the others are read.
Result<RosterFile> readRosterFile(const QString& path);

// What a teacher should know about a listed record that is read all the same, each with its
// line: control or invisible characters left out of the name (named by their codes), a
// character CP932 cannot hold (it would become "?" in every CP932 table), a name longer than
// the 20 characters that are shown.
QList<FileError> rosterNameNotices(const QString& path, const RosterLine& entry);

// Why readRoster failed.
enum class RosterProblem {
    None,
    Missing, // the roster file does not exist
    TooManyPupils, // more than 5000 listed records (a guard: listed numbers are unique in 1..5000)
    Unreadable, // cannot be opened or read (worth retrying: another program may hold it)
};

// Reads the roster as the start screen and the board list it: computes reg.schoolYear, then
// fills reg.roster, reg.pupilNames, reg.pupilBirthYear, reg.pupilGradeLabel and
// reg.boardPupilNos by listed position 1, 2, 3, ... and sets reg.boardPupilCount. Records that
// are not listed take no position. A line that holds no record (a typo, a line in another
// encoding, a damaged character) is no failure: it takes no position, and every other pupil
// is listed. A listed record whose number lies outside 1..5000, or whose number an earlier
// listed record already carries, takes no position either. *notices names, each with its
// line, every line left out and why, and what rosterNameNotices says of the listed records.
// On an error the tables are left as they were and the error (with its kind in *problem) is
// returned.
std::optional<FileError> readRoster(RosterProblem* problem = nullptr, QList<FileError>* notices = nullptr);

// One notice of what readRoster named, for a teacher: the file, then each line with its
// reason (the first 20; the lines of the others after them), and that the other pupils are
// listed and no line was changed.
QString rosterNoticeText(const QList<FileError>& notices);

// The listed position whose record carries the pupil number, or 0 when no listed record does.
// (Positions and numbers agree when the listed records are numbered 1, 2, 3, ... in order.)
int listedPositionOfPupil(int pupilNo);

// Restores the roster when "生徒用名簿.txt" cannot be opened but "生徒用名簿temp.txt" was
// left behind by a writer: the temporary copy is renamed into its place. Reports nothing.
void 名簿ファイル処理();

} // namespace kanameru
