#pragma once
// Checks of a drill set's question bank, for whoever prepares one: everything that would stop
// the drill from loading it, and everything that would make a question wrong or unreadable.
#include "drill/questiontable.h"

#include <QString>
#include <vector>

namespace kanameru {

// Columns of a question row as the drill form reads them.
enum QuestionColumn {
    kLevelColumn = 1, // lowest level at which the row is drawn (a number)
    kYearColumn = 2, // the year; its leading number orders the events
    kEventColumn = 6, // the event
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
    // rowsAtLevel[L] = rows whose level column is L (L = 1..levels; index 0 counts the rows at
    // level 0 or below); usableAtLevel[L] = rows the drill draws at level L.
    std::vector<int> rowsAtLevel;
    std::vector<int> usableAtLevel;
    bool sound() const { return problems.empty(); }
};

// Checks a clear table for a drill set of `levels` levels (1..35).
QuestionCheck checkQuestionRows(const ClearQuestionTable& table, int levels);

// Reads the stored file and checks it; a file the drill cannot load gives that one problem.
QuestionCheck checkStoredQuestionFile(const QString& storedPath, int levels);

} // namespace kanameru
