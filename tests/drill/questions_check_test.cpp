// The checks a question bank is held to before it goes to a school.
#include "drill/questionscheck.h"
#include "startup/textfile.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kanameru;

namespace {

// A clear row as the drill reads it: level, year, three free columns, event, a free column,
// explanation.
QString row(const QString& level, const QString& year, const QString& event, const QString& explanation)
{
    return QStringList { level, year, QStringLiteral("時代"), QStringLiteral("世紀"), QStringLiteral("政治"), event,
        QString(), explanation }
        .join(u',');
}

// Five sound rows at level 1, in order.
QStringList soundRows()
{
    return { row("1", "593", "聖徳太子の摂政", "推古天皇を助けて政治を行う"),
        row("1", "645", "大化の改新", "中大兄皇子らが蘇我氏を倒す"),
        row("1", "710", "平城京遷都", "奈良に唐の都にならった都を移す"),
        row("1", "794", "平安京遷都", "桓武天皇が京都に都を移す"),
        row("1", "1192", "源頼朝が征夷大将軍に", "鎌倉に武家の政権が開かれる") };
}

ClearQuestionTable tableOf(const QStringList& lines)
{
    ClearQuestionTable table;
    for (const QString& line : lines)
        table.lines.push_back(line.split(u','));
    return table;
}

struct Expected {
    int line;
    const char* reasonPart;
};

struct CheckCase {
    const char* name;
    QStringList lines;
    int levels;
    std::vector<Expected> problems;
};

QStringList with(QStringList lines, int index, const QString& line)
{
    lines[index] = line;
    return lines;
}

QStringList plus(QStringList lines, const QString& line)
{
    lines << line;
    return lines;
}

class CheckRows : public ::testing::TestWithParam<CheckCase> { };

} // namespace

// Each bank must give exactly the listed problems, each on its line.
TEST_P(CheckRows, ReportsEachProblemOnItsLine)
{
    const CheckCase& c = GetParam();
    const QuestionCheck check = checkQuestionRows(tableOf(c.lines), c.levels);
    QString all;
    for (const QuestionProblem& p : check.problems)
        all += QStringLiteral("%1: %2\n").arg(p.line).arg(p.reason);
    ASSERT_EQ(check.problems.size(), c.problems.size()) << all.toStdString();
    for (size_t i = 0; i < c.problems.size(); ++i) {
        EXPECT_EQ(check.problems[i].line, c.problems[i].line) << all.toStdString();
        EXPECT_TRUE(check.problems[i].reason.contains(QString::fromUtf8(c.problems[i].reasonPart)))
            << check.problems[i].reason.toStdString();
    }
    EXPECT_EQ(check.sound(), c.problems.empty());
}

INSTANTIATE_TEST_SUITE_P(Banks, CheckRows,
    ::testing::Values(CheckCase { "Sound", soundRows(), 1, {} },
        CheckCase { "SameYearTwiceIsInOrder",
            plus(soundRows(), row("1", "1192年", "守護・地頭", "国ごとに軍事と警察の役を置く")), 1, {} },
        CheckCase {
            "BeforeTheCommonEra", with(soundRows(), 0, row("1", "-57", "奴国の王の使い", "金印を授かる")), 1, {} },
        CheckCase { "LevelNotANumber", with(soundRows(), 2, row("い", "710", "平城京遷都", "奈良に都を移す")), 1,
            { { 3, "数字ではありません" }, { 0, "レベル 1 で出題できる行が 4 行" } } },
        CheckCase { "LevelBeyondTheDrillSet",
            plus(soundRows(), row("4", "1221", "承久の乱", "上皇が幕府を倒そうとして敗れる")), 3,
            { { 6, "どこでも出題されません" } } },
        CheckCase { "FewerThanFiveAtALevel", with(soundRows(), 4, row("2", "1192", "源頼朝", "鎌倉に幕府")), 2,
            { { 0, "レベル 1 で出題できる行が 4 行" } } },
        CheckCase { "YearWithoutNumber", with(soundRows(), 0, row("1", "推古朝", "聖徳太子の摂政", "推古天皇を助ける")),
            1, { { 1, "数字で始まっていません" } } },
        CheckCase { "FullWidthYearIsNoNumber", with(soundRows(), 4, row("1", "１１９２", "源頼朝", "鎌倉に幕府")), 1,
            { { 5, "数字で始まっていません（年 0 として扱われます）。「1192」と書いてください" },
                { 5, "年代順になっていません" } } },
        CheckCase { "BeforeTheEraInWords", with(soundRows(), 0, row("1", "紀元前57", "奴国の王の使い", "金印を授かる")),
            1, { { 1, "年「紀元前57」が数字で始まっていません（年 0 として扱われます）。「-57」と書いてください" } } },
        CheckCase { "OutOfOrder", with(soundRows(), 2, row("1", "1600", "関ヶ原の戦い", "天下分け目の戦い")), 1,
            { { 4, "年代順になっていません（794 年が 3 行目の 1600 年より前です）" } } },
        CheckCase { "ExplanationTwice",
            with(soundRows(), 3, row("1", "794", "平安京遷都", "中大兄皇子らが蘇我氏を倒す")), 1,
            { { 4, "2 行目と同じです" } } },
        CheckCase { "EventTwice", with(soundRows(), 3, row("1", "794", "大化の改新", "桓武天皇が京都に都を移す")), 1,
            { { 4, "出来事「大化の改新」が 2 行目と同じです" } } },
        // A "%2" inside a name is text, never a place for the next number of the message.
        CheckCase { "EventWithPercentTwice",
            with(with(soundRows(), 1, row("1", "645", "X%2Y", "蘇我氏が倒れる")), 3,
                row("1", "794", "X%2Y", "桓武天皇が京都に都を移す")),
            1, { { 4, "出来事「X%2Y」が 2 行目と同じです" } } },
        CheckCase { "HugeYearIsQuotedInPart",
            with(soundRows(), 0, row("1", QString(50, u'x'), "奴国の王の使い", "金印を授かる")), 1,
            { { 1, "年「xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx…」が数字で始まっていません" }, { 1, "長すぎます" } } },
        CheckCase { "ExplanationNamesItsEvent",
            with(soundRows(), 1, row("1", "645", "大化の改新", "大化の改新で蘇我氏が倒れる")), 1,
            { { 2, "そのまま含んでいます" } } },
        CheckCase { "TooFewFields", with(soundRows(), 1, QStringLiteral("1,645,飛鳥,7世紀,政治,大化の改新")), 1,
            { { 2, "6 個しかありません" }, { 2, "説明（8 番目の項目）が空です" } } },
        CheckCase {
            "EmptyEvent", with(soundRows(), 1, row("1", "645", "", "蘇我氏が倒れる")), 1, { { 2, "出来事（6 番目" } } },
        CheckCase {
            "EventOfSixteenFits", with(soundRows(), 1, row("1", "645", QString(16, u'改'), "蘇我氏が倒れる")), 1, {} },
        CheckCase { "EventOfSeventeenIsTooLong",
            with(soundRows(), 1, row("1", "645", QString(17, u'改'), "蘇我氏が倒れる")), 1,
            { { 2, "全角 17 文字分。16 文字分まで" } } },
        CheckCase {
            "HalfWidthCountsHalf", with(soundRows(), 1, row("1", "645", QString(32, u'ｱ'), QString(72, u'b'))), 1, {} },
        CheckCase { "ExplanationTooLong",
            with(soundRows(), 1, row("1", "645", "大化の改新", QString(36, u'説') + QStringLiteral("a"))), 1,
            { { 2, "全角 36.5 文字分。36 文字分まで" } } },
        CheckCase { "YearWithItsDayFits",
            with(with(soundRows(), 1, row("1", "645年6月12日", "大化の改新", "蘇我氏が倒れる")), 4,
                row("1", "1192年7月12日", "源頼朝が征夷大将軍に", "鎌倉に武家の政権が開かれる")),
            1, {} },
        CheckCase { "YearTooLong", with(soundRows(), 1, row("1", "645年6月12日ごろ", "大化の改新", "蘇我氏が倒れる")),
            1, { { 2, "年「645年6月12日ごろ」が長すぎます（全角 8 文字分。7 文字分まで）" } } },
        CheckCase { "NoLevels", soundRows(), 0, { { 0, "レベルの数 0" } } },
        CheckCase { "EmptyBank", QStringList(), 2,
            { { 0, "レベル 1 で出題できる行が 0 行" }, { 0, "レベル 2 で出題できる行が 0 行" } } }),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

// Rows are counted per level and usable at their level and every level above it.
TEST(CheckCounts, CountsRowsPerLevelAndUsableRows)
{
    QStringList lines;
    const char* levels[] = { "0", "1", "1", "2", "3", "3", "3", "2" };
    int year = 500;
    for (const char* level : levels) {
        ++year;
        lines << row(QString::fromLatin1(level), QString::number(year), QStringLiteral("出来事%1").arg(year),
            QStringLiteral("説明%1").arg(year));
    }
    const QuestionCheck check = checkQuestionRows(tableOf(lines), 3);
    EXPECT_EQ(check.rowsAtLevel, (std::vector<int> { 1, 2, 2, 3 }));
    EXPECT_EQ(check.usableAtLevel, (std::vector<int> { 0, 3, 5, 8 }));
    ASSERT_EQ(check.problems.size(), 1u);
    EXPECT_TRUE(check.problems[0].reason.contains(QStringLiteral("レベル 1 で出題できる行が 3 行")));
}

// A file the drill cannot load is one problem with its line; a sound file none.
TEST(CheckStoredFile, ReportsLoadFailuresAndPassesSoundFiles)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/q.ccc");
    QuestionCheck missing = checkStoredQuestionFile(path, 1);
    ASSERT_EQ(missing.problems.size(), 1u);
    EXPECT_EQ(missing.problems[0].line, 0);

    ASSERT_FALSE(writeStoredQuestionFile(path, soundRows(), QStringLiteral("c")));
    EXPECT_TRUE(checkStoredQuestionFile(path, 1).sound());

    // The writer refuses such a line, so it is scrambled by hand.
    QStringList stored;
    for (const QString& line : with(soundRows(), 3, QString(120, u',')))
        stored << scrambleLine(line, makeFiller(100, 1));
    ASSERT_FALSE(writeTextFile(path, stored.join(QLatin1String("\r\n"))));
    QuestionCheck wide = checkStoredQuestionFile(path, 1);
    ASSERT_EQ(wide.problems.size(), 1u);
    EXPECT_EQ(wide.problems[0].line, 4);
}

namespace {

struct SameYearRow {
    const char* year;
    const char* explanationStart; // put before the explanation
    const char* column7 = ""; // free: the drill never shows it
    const char* eventStart = ""; // put before the event, which is named 出来事1, 出来事2, … after it
};

struct SameYearCase {
    const char* name;
    std::vector<SameYearRow> rows; // rows 6.. after the sound rows
    std::vector<int> warnedLines; // first line of each group warned about
};

class SameYear : public ::testing::TestWithParam<SameYearCase> { };

} // namespace

// Each two events of one year must be in an order the pupil sees while ordering, in their
// events and explanations: dates within the year that rise, or an explanation naming the other
// event as the earlier or the later one. The year column is shown only once the order is
// judged and counts for nothing. Anything else is a warning on the group's first line, never a
// problem, and the warning says what the pupil sees.
TEST_P(SameYear, WarnsAboutGroupsAPupilCannotOrder)
{
    QStringList lines = soundRows();
    int n = 0;
    for (const SameYearRow& r : GetParam().rows) {
        ++n;
        QStringList fields
            = row("1", QString::fromUtf8(r.year), QString::fromUtf8(r.eventStart) + QStringLiteral("出来事%1").arg(n),
                QString::fromUtf8(r.explanationStart) + QStringLiteral("説明%1").arg(n))
                  .split(u',');
        fields[6] = QString::fromUtf8(r.column7);
        lines << fields.join(u',');
    }
    const QuestionCheck check = checkQuestionRows(tableOf(lines), 1);
    EXPECT_TRUE(check.sound());
    std::vector<int> warned;
    for (const QuestionProblem& w : check.warnings) {
        warned.push_back(w.line);
        EXPECT_TRUE(w.reason.contains(
            QStringLiteral("並べるときに生徒に見えるのは出来事（6 番目の項目）と説明（8 番目の項目）だけ")));
        EXPECT_TRUE(w.reason.contains(QStringLiteral("年（2 番目の項目）は判定の後に表示されます")));
    }
    EXPECT_EQ(warned, GetParam().warnedLines);
}

INSTANTIATE_TEST_SUITE_P(Groups, SameYear,
    ::testing::Values(SameYearCase { "NoDates", { { "1951", "" }, { "1951年", "" } }, { 6 } },
        SameYearCase { "DatesOnlyInTheYearColumn", { { "1951年6月", "" }, { "1951年9月", "" } }, { 6 } },
        SameYearCase { "RisingDaysFullWidth", { { "1951", "９月８日、" }, { "1951", "9月9日、" } }, {} },
        SameYearCase { "RisingDatesInTheExplanations", { { "1951", "6月、" }, { "1951", "9月8日に" } }, {} },
        SameYearCase { "RisingDatesInKanji", { { "1951", "六月、" }, { "1951", "九月十五日に" } }, {} },
        SameYearCase { "KanjiDaysRise", { { "1951", "十二月九日、" }, { "1951", "十二月二十九日、" } }, {} },
        SameYearCase { "YearAndExplanation", { { "1951年6月", "" }, { "1951", "その年の9月に" } }, { 6 } },
        SameYearCase { "DatesInTheEvents", { { "1951", "", "", "三月" }, { "1951", "", "", "十月" } }, {} },
        SameYearCase {
            "EventsNamedAfterTheirDays", { { "1951", "", "", "三・一" }, { "1951", "", "", "五・一五" } }, {} },
        SameYearCase {
            "EventsNamedAfterFallingDays", { { "1951", "", "", "五・一五" }, { "1951", "", "", "二・二六" } }, { 6 } },
        SameYearCase { "TheLaterNamesTheEarlier", { { "1951", "" }, { "1951", "出来事1の後、" } }, {} },
        SameYearCase { "TheEarlierNamesTheLater", { { "1951", "出来事2の直前に" }, { "1951", "" } }, {} },
        SameYearCase { "NamedTheWrongWayRound", { { "1951", "出来事2の後、" }, { "1951", "" } }, { 6 } },
        SameYearCase { "NamedWithoutAnOrder", { { "1951", "" }, { "1951", "出来事1と同じく" } }, { 6 } },
        SameYearCase { "DatesOutweighANaming", { { "1951", "10月、" }, { "1951", "9月、出来事1の後、" } }, { 6 } },
        // A question may draw the first and the last without the middle one.
        SameYearCase {
            "ANamingChainsNothing", { { "1951", "" }, { "1951", "6月、出来事1の後、" }, { "1951", "9月、" } }, { 6 } },
        // Column 7 is never shown: a date there tells the pupil nothing.
        SameYearCase { "DatesOnlyInColumnSeven", { { "1951", "", "6月" }, { "1951", "", "9月" } }, { 6 } },
        SameYearCase { "SameDay", { { "1951", "9月8日、" }, { "1951", "九月八日、" } }, { 6 } },
        SameYearCase { "MonthAndADayOfIt", { { "1951", "9月、" }, { "1951", "9月8日、" } }, { 6 } },
        SameYearCase { "Falling", { { "1951", "10月、" }, { "1951", "9月に" } }, { 6 } },
        SameYearCase { "OneUndated", { { "1951", "6月、" }, { "1951", "9月、" }, { "1951", "秋に" } }, { 6 } },
        SameYearCase { "NotADate", { { "1951", "13月、" }, { "1951", "十四月に" } }, { 6 } },
        SameYearCase {
            "TwoGroups", { { "1951", "" }, { "1951", "" }, { "1956", "" }, { "1960", "" }, { "1960", "" } }, { 6, 9 } },
        // 1192 closes the sound rows: a row of that year makes a group with it.
        SameYearCase { "WithTheRowBefore", { { "1192", "7月、" } }, { 5 } }),
    [](const ::testing::TestParamInfo<SameYearCase>& info) { return std::string(info.param.name); });
