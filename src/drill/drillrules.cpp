#include "drill/drillrules.h"

#include "platform/random.h"
#include "startup/anyvalue.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <algorithm>
#include <cmath>

namespace kanameru {

double QuestionRows::yearOf(int row) const
{
    return leadingNumber(rowYear[row]);
}

Result<QuestionRows> loadRows(int level, const QString& fileName)
{
    QuestionRows rows;
    int n = 0;
    const int lines = std::min<int>(reg.questionRowCount, kMaxQuestionRows);
    for (int r = 1; r <= lines; ++r) {
        const QString levelText = reg.questionTable(r, 1).trimmed();
        if (levelText.isEmpty())
            continue;
        double rowLevel = 0;
        if (!parseNumber(levelText, &rowLevel))
            return FileError { fileName, r,
                QStringLiteral("レベルの欄「%1」が数値ではありません").arg(shownValue(levelText)) };
        if (rowLevel > level)
            continue;
        ++n;
        rows.rowLevel[n] = rowLevel;
        rows.rowYear[n] = reg.questionTable(r, 2);
        rows.rowColumn3[n] = reg.questionTable(r, 3);
        rows.rowColumn4[n] = reg.questionTable(r, 4);
        rows.rowColumn5[n] = reg.questionTable(r, 5);
        rows.rowEvent[n] = reg.questionTable(r, 6);
        rows.rowColumn7[n] = reg.questionTable(r, 7);
        rows.rowExplanation[n] = reg.questionTable(r, 8);
    }
    rows.usableRowCount = n;
    return rows;
}

double yearPosition(double year, double axisTop, double axisHeight, double beforeEraHeight)
{
    if (year > 0)
        return axisTop + axisHeight * std::min(year, 2000.0) / 2000.0;
    return axisTop + beforeEraHeight * std::max(year, -5000.0) / 5000.0;
}

const std::array<EraBand, 5>& eraBands()
{
    static const std::array<EraBand, 5> bands { {
        { "奈良", 710, 84 },
        { "平安", 794, 398 },
        { "鎌倉", 1192, 142 },
        { "室町", 1334, 269 },
        { "江戸", 1603, 264 },
    } };
    return bands;
}

int randomScreenRow(platform::RandomSource& random)
{
    const int i = static_cast<int>(std::floor(kEventsPerQuestion * random.next() + 1));
    return std::clamp(i, 1, kEventsPerQuestion);
}

std::optional<Question> Question::make(const QuestionRows& rows, platform::RandomSource& random)
{
    const int usable = rows.usableRowCount;
    if (usable < kEventsPerQuestion)
        return std::nullopt;
    std::array<int, kEventsPerQuestion> picked {};
    for (int i = 0; i < kEventsPerQuestion; ++i) {
        const auto taken
            = [&](int r) { return std::find(picked.begin(), picked.begin() + i, r) != picked.begin() + i; };
        int r = 0;
        // A real generator finds a free row within a few draws; a source that keeps giving
        // taken rows must not hang the drill, so after many draws the next free row is taken.
        for (int draws = 0;; ++draws) {
            r = std::clamp(static_cast<int>(std::floor(usable * random.next() + 1)), 1, usable);
            if (!taken(r))
                break;
            if (draws >= 1000) {
                while (taken(r))
                    r = r % usable + 1;
                break;
            }
        }
        picked[i] = r;
    }
    return of(rows, picked, random);
}

Question Question::of(
    const QuestionRows& rows, const std::array<int, kEventsPerQuestion>& picked, platform::RandomSource& random)
{
    Question q;
    q.picked_ = picked;
    for (int i = 0; i < kEventsPerQuestion; ++i) {
        const int r = picked[i];
        ScreenRow& s = q.rows_[i];
        s.rowIndex = r;
        s.year = rows.rowYear[r];
        s.event = rows.rowEvent[r];
        s.explanation = rows.rowExplanation[r];
    }
    q.answer_ = q.picked_;
    std::sort(q.answer_.begin(), q.answer_.end());
    q.shuffleExplanations(random);
    return q;
}

void Question::exchangeExplanations(int i, int j)
{
    std::swap(rows_[i - 1].explanation, rows_[j - 1].explanation);
}

void Question::exchangeRows(int i, int j)
{
    std::swap(rows_[i - 1], rows_[j - 1]);
}

void Question::shuffleExplanations(platform::RandomSource& random)
{
    for (int k = 0; k < kExchangesPerShuffle; ++k) {
        const int a = randomScreenRow(random);
        const int b = randomScreenRow(random);
        exchangeExplanations(a, b);
    }
}

void Question::shuffleRows(platform::RandomSource& random)
{
    for (int k = 0; k < kExchangesPerShuffle; ++k) {
        const int a = randomScreenRow(random);
        const int b = randomScreenRow(random);
        exchangeRows(a, b);
    }
}

std::array<bool, kEventsPerQuestion> Question::explanationsRight(const QuestionRows& rows) const
{
    std::array<bool, kEventsPerQuestion> right {};
    for (int i = 0; i < kEventsPerQuestion; ++i)
        right[i] = rows_[i].explanation == rows.rowExplanation[rows_[i].rowIndex];
    return right;
}

std::array<bool, kEventsPerQuestion> Question::orderRight() const
{
    std::array<bool, kEventsPerQuestion> right {};
    for (int i = 0; i < kEventsPerQuestion; ++i)
        right[i] = rows_[i].rowIndex == answer_[i];
    return right;
}

} // namespace kanameru
