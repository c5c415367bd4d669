#pragma once
// The rules of one drill question: the rows of the question file usable at a level, the year
// axis, making a question of five events and judging the pupil's answer. Plain classes: the
// random source is handed in, nothing here touches a window.
#include "startup/fileerror.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace platform {
class RandomSource;
}

namespace kanameru {

constexpr int kEventsPerQuestion = 5;
constexpr int kMaxQuestionRows = 1000;
constexpr int kExchangesPerShuffle = 10;

// The rows of the question file kept for the current level, in the file's (chronological)
// order; index 1..usableRowCount, index 0 unused. The row index is the order key.
struct QuestionRows {
    std::vector<double> rowLevel = std::vector<double>(kMaxQuestionRows + 1);
    std::vector<QString> rowYear = std::vector<QString>(kMaxQuestionRows + 1);
    std::vector<QString> rowColumn3 = std::vector<QString>(kMaxQuestionRows + 1);
    std::vector<QString> rowColumn4 = std::vector<QString>(kMaxQuestionRows + 1);
    std::vector<QString> rowColumn5 = std::vector<QString>(kMaxQuestionRows + 1);
    std::vector<QString> rowEvent = std::vector<QString>(kMaxQuestionRows + 1);
    std::vector<QString> rowColumn7 = std::vector<QString>(kMaxQuestionRows + 1);
    std::vector<QString> rowExplanation = std::vector<QString>(kMaxQuestionRows + 1);
    int usableRowCount = 0;

    // The year of a row as a number: the number its year text begins with (0 when none).
    double yearOf(int row) const;
};

// Takes the rows of the loaded question table (reg.questionTable, rows 1..questionRowCount)
// whose level is at most `level`. A line whose level field is empty is a blank line and is
// passed over; a level field that is not a number is an error naming `fileName` and the line.
Result<QuestionRows> loadRows(int level, const QString& fileName);

// The vertical position of a year beside the axis: years above 0 lie on the axis (0 at its
// top, 2000 at its bottom); years of 0 and below lie in the "紀元前" area above it, 5000 years
// to the height of that area. Positions are kept within the area and the axis.
double yearPosition(double year, double axisTop, double axisHeight, double beforeEraHeight);

// An era band of the axis: its caption, first year and length in years.
struct EraBand {
    const char* caption;
    int fromYear;
    int years;
};
const std::array<EraBand, 5>& eraBands();

// One row of the question on screen (screen rows 1..5 from top to bottom).
struct ScreenRow {
    int rowIndex = 0; // Label12: the row of the event
    QString year; // Label2
    QString event; // Label1
    QString explanation; // Label3
};

// A question: five distinct rows, their explanations shuffled. Screen rows are 1-based.
class Question {
public:
    // Draws five distinct rows of `rows` and shuffles the explanations; nullopt when the level
    // has fewer than five usable rows.
    static std::optional<Question> make(const QuestionRows& rows, platform::RandomSource& random);
    // A question of five given distinct rows, on the screen in this order, the explanations
    // shuffled.
    static Question of(
        const QuestionRows& rows, const std::array<int, kEventsPerQuestion>& picked, platform::RandomSource& random);

    const ScreenRow& row(int i) const { return rows_[i - 1]; }
    // The rows in the order they were drawn.
    const std::array<int, kEventsPerQuestion>& pickedRows() const { return picked_; }
    // The row index that belongs in screen row i (the drawn rows in ascending order).
    int answerRow(int i) const { return answer_[i - 1]; }

    // Drops: an explanation onto another row, or a whole row onto another.
    void exchangeExplanations(int i, int j);
    void exchangeRows(int i, int j);
    // Ten exchanges between screen rows drawn at random (a draw of the same row twice leaves
    // them as they were).
    void shuffleExplanations(platform::RandomSource& random);
    void shuffleRows(platform::RandomSource& random);

    // Whether each screen row holds the right explanation (compared as text, so two events
    // with the same explanation accept either placement) and the right event for its place.
    std::array<bool, kEventsPerQuestion> explanationsRight(const QuestionRows& rows) const;
    std::array<bool, kEventsPerQuestion> orderRight() const;

private:
    std::array<ScreenRow, kEventsPerQuestion> rows_;
    std::array<int, kEventsPerQuestion> picked_ {};
    std::array<int, kEventsPerQuestion> answer_ {};
};

// A screen row drawn at random: integer part of (5 x random + 1).
int randomScreenRow(platform::RandomSource& random);

} // namespace kanameru
