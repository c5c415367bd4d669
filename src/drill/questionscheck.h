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
    kExplanationColumn = 8, // the explanation of the event (columns 3 to 5 and 7 are free)
};
constexpr int kQuestionFieldsRead = 8;
constexpr int kRowsPerQuestion = 5;

// The widths the labels of the drill form give each text, in full-width characters (a
// half-width character counts as half).
constexpr double kMaxEventWidth = 16;
constexpr double kMaxExplanationWidth = 36;
// A year may carry its day ("1868年10月23日"): the rows and the answer panel set it smaller
// until it fits.
constexpr double kMaxYearWidth = 7;

// Display width in full-width characters: ASCII and half-width katakana count as half.
double displayWidth(const QString& text);

// What a warning is about, so that a long list of one kind can be summarised.
enum class WarningKind { Other, SameYear, LongLine, QuotedCharacter };

// One problem: the 1-based line of the question file (0 for a problem of the whole file or of
// a level) and what is wrong, in words a teacher understands.
struct QuestionProblem {
    int line = 0;
    QString reason;
    WarningKind kind = WarningKind::Other;
};

struct QuestionCheck {
    std::vector<QuestionProblem> problems;
    // Things worth a look that do not stop the drill: events of one year in an order a pupil
    // cannot know, lines whose end stays readable in the stored file, cells changed to be
    // stored.
    std::vector<QuestionProblem> warnings;
    // rowsAtLevel[L] = rows whose level column is L (L = 1..levels; index 0 counts the rows at
    // level 0 or below); usableAtLevel[L] = rows the drill draws at level L.
    std::vector<int> rowsAtLevel;
    std::vector<int> usableAtLevel;
    bool sound() const { return problems.empty(); }
};

// A date within a year, as the days of the year it may stand for ("6月" is the whole of June,
// "6月2日" one day).
struct DayRange {
    int first = 0; // month * 100 + day
    int last = 0;
};

// The first date within a year in a text, in half-width, full-width or kanji numerals ("9月",
// "９月１５日", "九月十五日"); nullopt when there is none or the first is no date ("13月").
std::optional<DayRange> dateWithinYear(const QString& text);

// While a pupil puts the events in order he sees their event and explanation columns, never
// the year (shown once the order is judged). What orders two events of one year for him:
// - a date within the year in the explanation, else in the event ("九月、…", "十月事件"), or
//   an event named after its day ("五・一五事件");
// - or one explanation naming the other event as the earlier or the later one ("下関条約の直後
//   に…", "日清戦争の直前に…").
std::optional<DayRange> sameYearCue(const QStringList& fields);
bool namesTheOrder(const QStringList& earlier, const QStringList& later);

// Checks a clear table for a drill set of `levels` levels (1..35).
QuestionCheck checkQuestionRows(const ClearQuestionTable& table, int levels);

// Reads the stored file and checks it; a file the drill cannot load gives that one problem.
QuestionCheck checkStoredQuestionFile(const QString& storedPath, int levels);

// A clear table read as a spreadsheet writes CSV: a cell in double quotes may hold commas,
// line breaks and doubled quotes (""). The cells are as the drill will hold them: the stored
// file has no quoting, so a comma or a quote inside a quoted cell becomes its full-width form
// "，" or "＂" (with a warning). A half-width quote in an unquoted cell is left as it is (the
// checks report it).
struct ClearCsv {
    std::vector<QStringList> records;
    std::vector<int> lineOf; // the 1-based line of the file on which each record starts
    // Quoting the reader could not make sense of (a quote never closed, text after a closing
    // quote) and the full-width replacements, by record (line = record number, 1-based).
    std::vector<QuestionProblem> problems;
    std::vector<QuestionProblem> warnings;
    // The records as the stored file's clear lines: cells joined by commas.
    QStringList clearLines() const;
};
ClearCsv readClearCsv(const QString& text);

// Every problem of a clear table before it is stored, by the line of the file: the quoting,
// lines the stored file cannot hold as they are (clearLineProblem, more than 1000 lines) and
// every check of checkQuestionRows.
QuestionCheck checkClearTable(const ClearCsv& csv, int levels);

// Why the drill could not use a bank at all, or nullopt when at least one level can be played:
// a level cell that is neither empty nor a number stops the drill from loading the file at any
// level, and a bank whose highest level (the one that draws the most rows) has fewer than five
// usable rows has no level a question can be made at. Even --force writes no such file.
std::optional<QuestionProblem> unusableBank(const ClearCsv& csv, const QuestionCheck& check, int levels);

// The highest level a clear table names (1..35), for checking a table whose drill set is not
// given.
int highestLevelOf(const ClearCsv& csv);

} // namespace kanameru
