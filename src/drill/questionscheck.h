#pragma once
// Checks of a drill set's question bank, for whoever prepares one: everything that would stop
// the drill from loading it, and everything that would make a question wrong or unreadable.
#include "drill/questiontable.h"

#include <QString>
#include <optional>
#include <vector>

namespace kanameru {

// Columns of a question row as the drill form reads them.
enum QuestionColumn {
    kLevelColumn = 1, // lowest level at which the row is drawn (a number)
    kYearColumn = 2, // the year; its leading number orders the events
    kEventColumn = 6, // the event
    kDateColumn = 7, // free; a date within the year ("6月", "6月2日") orders events of one year
    kExplanationColumn = 8, // the explanation of the event
};
constexpr int kQuestionFieldsRead = 8;
constexpr int kRowsPerQuestion = 5;

// The widths the labels of the drill form give each text, in full-width characters (a
// half-width character counts as half).
constexpr double kMaxEventWidth = 16;
constexpr double kMaxExplanationWidth = 36;
constexpr double kMaxYearWidth = 6;

// Display width in full-width characters: ASCII and half-width katakana count as half.
double displayWidth(const QString& text);

// One problem: the 1-based line of the question file (0 for a problem of the whole file or of
// a level) and what is wrong, in words a teacher understands.
struct QuestionProblem {
    int line = 0;
    QString reason;
};

struct QuestionCheck {
    std::vector<QuestionProblem> problems;
    // Things worth a look that do not stop the drill: events of one year in an order a pupil
    // cannot know, lines whose end stays readable in the stored file.
    std::vector<QuestionProblem> warnings;
    // rowsAtLevel[L] = rows whose level column is L (L = 1..levels; index 0 counts the rows at
    // level 0 or below); usableAtLevel[L] = rows the drill draws at level L.
    std::vector<int> rowsAtLevel;
    std::vector<int> usableAtLevel;
    bool sound() const { return problems.empty(); }
};

// A date within a year in the free date column, as the days of the year it may stand for
// ("6月" is the whole of June, "6月2日" one day); nullopt when the text is no such date.
struct DayRange {
    int first = 0; // month * 100 + day
    int last = 0;
};
std::optional<DayRange> withinYearDate(const QString& text);

// Checks a clear table for a drill set of `levels` levels (1..35).
QuestionCheck checkQuestionRows(const ClearQuestionTable& table, int levels);

// Reads the stored file and checks it; a file the drill cannot load gives that one problem.
QuestionCheck checkStoredQuestionFile(const QString& storedPath, int levels);

// The clear table as a spreadsheet or an editor saves it, split into lines: UTF-8 (with or
// without a byte order mark) when the bytes are valid UTF-8, else the Japanese code page
// (CP932, what a Japanese spreadsheet writes as "CSV"). Fails with the line of the first byte
// that is neither.
Result<QStringList> decodeClearTable(const QString& path, const QByteArray& bytes);

// Every problem of a clear table before it is stored: lines the stored file cannot hold as
// they are (clearLineProblem, more than 1000 lines) and every check of checkQuestionRows.
QuestionCheck checkClearLines(const QStringList& lines, int levels);

// The highest level a clear table names (1..35), for checking a table whose drill set is not
// given.
int highestLevelOf(const QStringList& lines);

} // namespace kanameru
