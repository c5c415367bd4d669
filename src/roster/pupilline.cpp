#include "roster/pupilline.h"

#include "roster/rosterfile.h"
#include "startup/anyvalue.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <map>
#include <vector>

namespace kanameru {

namespace {

const QChar kIdeographicSpace(0x3000);

// The last `width` characters of `pad` spaces followed by the number.
QString rightAligned(const QString& number, int pad, int width)
{
    const qsizetype cut = std::max<qsizetype>(0, pad + number.size() - width);
    if (cut > pad)
        return number.right(width);
    QString out(pad - cut, QLatin1Char(' '));
    out.append(number);
    return out;
}

} // namespace

QStringView trimmedSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin);
}

QString trimSpaces(const QString& text)
{
    return trimmedSpaces(text).toString();
}

namespace {
void addLevel(PupilSums& s, int level, int pupilNo)
{
    s.todayCount += reg.todayCount(level, pupilNo);
    s.todayPoints += reg.todayPoints(level, pupilNo);
    s.totalCount += reg.totalCount(level, pupilNo);
    s.totalPoints += reg.totalPoints(level, pupilNo);
}
} // namespace

PupilSums pupilSums(int pupilNo)
{
    PupilSums s;
    if (pupilNo < 0 || pupilNo > kMaxPupil)
        return s;
    for (int level = 1; level <= kMaxLevel; ++level)
        addLevel(s, level, pupilNo);
    return s;
}

QString todayCountText(double sum)
{
    if (sum == 0)
        return QString(5, QLatin1Char(' '));
    return rightAligned(shortestNumber(sum), 2, 3) + QStringLiteral("回");
}

QString todayPointsText(qint64 sum)
{
    if (sum == 0)
        return QStringLiteral("  ") + kIdeographicSpace;
    return rightAligned(QString::number(sum), 3, 4);
}

QString totalCountText(qint64 sum)
{
    if (sum == 0)
        return QString(5, QLatin1Char(' ')) + kIdeographicSpace;
    return rightAligned(QString::number(sum), 6, 5) + QStringLiteral("回");
}

QString totalPointsText(qint64 sum)
{
    if (sum == 0)
        return QString(7, QLatin1Char(' '));
    return rightAligned(QString::number(sum), 6, 7);
}

QStringList displayModeCaptions()
{
    return { QStringLiteral("回数(今日／今まで）"), QStringLiteral("ポイント（今日／今まで）"),
        QStringLiteral("本日（ポイント／回数）"), QStringLiteral("今まで（ポイント／回数）") };
}

int fillLength(const QString& label, QStringView trimmedName, int displayMode)
{
    const bool preSchoolWide = label.startsWith(QStringLiteral("幼")) && displayMode != 1;
    const int width = preSchoolWide ? 11 : 9;
    const int used = static_cast<int>(label.size() + 1 + trimmedName.size());
    return std::max(0, width - used);
}

QString pupilLine(const RosterRecord& record, int schoolYear, int displayMode, const PupilSums& sums)
{
    // The year is always four characters, so the rest of the line starts at the fifth: a year
    // of 0 (a birth year that was not a number) is written "0000", which sorts first and
    // still reads as 0.
    const int year = std::clamp(static_cast<int>(record.birthYear), 0, 9999);
    const QString label = gradeLabel(gradeIndexOf(schoolYear, record.birthYear));
    const QStringView name = trimmedSpaces(record.name);
    QString first;
    QString second;
    switch (displayMode) {
    case 0:
        first = todayCountText(sums.todayCount);
        second = totalCountText(sums.totalCount);
        break;
    case 2:
        first = todayPointsText(sums.todayPoints);
        second = todayCountText(sums.todayCount);
        break;
    case 3:
        first = totalPointsText(sums.totalPoints);
        second = totalCountText(sums.totalCount);
        break;
    default:
        first = todayPointsText(sums.todayPoints);
        second = totalPointsText(sums.totalPoints);
        break;
    }
    // Built in one piece: the start screen and the class sheet make a line for every pupil.
    const int fill = fillLength(label, name, displayMode);
    QString line;
    line.reserve(4 + label.size() + 1 + name.size() + fill + first.size() + 1 + second.size() + 1 + 6);
    const char digits[] = { char('0' + year / 1000), char('0' + year / 100 % 10), char('0' + year / 10 % 10),
        char('0' + year % 10) };
    line.append(QLatin1StringView(digits, 4));
    line.append(label);
    line.append(QLatin1Char(' '));
    line.append(name);
    line.resize(line.size() + fill, kIdeographicSpace);
    line.append(first);
    line.append(QLatin1Char('/'));
    line.append(second);
    line.append(QLatin1Char('*'));
    line.append(QString::number(record.number));
    return line;
}

QStringList gradeFilterChoices()
{
    return { QStringLiteral("全学年"), QStringLiteral("中学生全体"), QStringLiteral("小学生全体"),
        QStringLiteral("中３"), QStringLiteral("中２"), QStringLiteral("中１"), QStringLiteral("小６"),
        QStringLiteral("小５"), QStringLiteral("小４"), QStringLiteral("小３"), QStringLiteral("小２"),
        QStringLiteral("小１") };
}

bool gradeFilterShows(const QString& filterText, int gradeIndex)
{
    if (filterText == QStringLiteral("全学年"))
        return true;
    if (filterText == QStringLiteral("小学生全体"))
        return gradeIndex >= 1 && gradeIndex <= 6;
    if (filterText == QStringLiteral("中学生全体"))
        return gradeIndex >= 7 && gradeIndex <= 9;
    if (filterText.size() == 2) {
        const QChar digit = filterText[1];
        if (digit.unicode() >= 0xFF11 && digit.unicode() <= 0xFF16) {
            const int n = digit.unicode() - 0xFF10;
            if (filterText[0] == u'小')
                return gradeIndex == n;
            if (filterText[0] == u'中' && n <= 3)
                return gradeIndex == n + 6;
        }
    }
    return false;
}

ListRow splitPupilLine(const QString& line)
{
    ListRow row;
    const qsizetype star = line.indexOf(QLatin1Char('*'));
    if (star < 4) {
        row.shown = line.mid(4);
        row.tail = row.shown;
        return row;
    }
    row.shown = line.mid(4, star - 4);
    // The characters from the fifth on, as many as the position of the star (1-based): the
    // shown text, the star and up to four characters of the number.
    row.tail = line.mid(4, star + 1);
    return row;
}

int gradeIndexOfLine(const QString& line, int schoolYear)
{
    return gradeIndexOf(schoolYear, static_cast<int>(leadingNumber(line.left(4))));
}

int pupilNoOfTail(const QString& tail)
{
    const qsizetype star = tail.indexOf(QLatin1Char('*'));
    if (star < 0)
        return 0;
    return static_cast<int>(leadingNumber(tail.mid(star + 1)));
}

namespace {
// The sort key of a line under the Japanese collation. The start screen lists the same lines
// on every visit and the class sheet lists them once more, so each line's key is computed once
// and kept (a few rosters' worth at most).
QCollatorSortKey sortKeyOf(const QString& line)
{
    static const QCollator collator(QLocale(QLocale::Japanese, QLocale::Japan));
    static QHash<QString, QCollatorSortKey> keys;
    const auto known = keys.constFind(line);
    if (known != keys.constEnd())
        return *known;
    if (keys.size() > 4 * kMaxPupil)
        keys.clear();
    return *keys.insert(line, collator.sortKey(line));
}
} // namespace

void sortPupilLines(QStringList& lines, std::vector<int>* sortedFrom)
{
    // The school's list box is a sorted Windows list box: it compares its lines with the user
    // locale's string comparison, which on a Japanese system orders kanji as JIS X 0208 does
    // (the first-level kanji by reading: 加藤 before 中村) and kana by their sound, with
    // hiragana and katakana, full and half width, side by side. ICU's Japanese collation
    // follows the same kanji order and the same kana rules. The CP932 bytes would give the
    // kanji order as well, but would put every hiragana name before every katakana one and
    // full-width letters after all half-width ones, which the list box does not.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(static_cast<size_t>(lines.size()));
    for (const QString& line : std::as_const(lines))
        keys.push_back(sortKeyOf(line));
    std::vector<qsizetype> order(static_cast<size_t>(lines.size()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<qsizetype>(i);
    // Lines the comparison finds equal keep their order in the roster file.
    std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) {
        return keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]) < 0;
    });
    QStringList sorted;
    sorted.reserve(lines.size());
    for (qsizetype i : order)
        sorted.append(lines[i]);
    lines = std::move(sorted);
    if (sortedFrom)
        sortedFrom->assign(order.begin(), order.end());
}

QStringList sortedPupilLines(int schoolYear, int displayMode, std::vector<int>* positions)
{
    QStringList lines;
    const int count = static_cast<int>(std::min<qint64>(reg.boardPupilCount.toInteger(), kMaxPupil));
    lines.reserve(count);
    // Every listed pupil's sums, gathered level by level: each table is read along its rows
    // instead of once across all its rows per pupil. Each sum still adds the levels in order.
    std::vector<PupilSums> sums(static_cast<size_t>(std::max(count, 0)) + 1);
    for (int level = 1; level <= kMaxLevel; ++level) {
        for (int k = 1; k <= count; ++k) {
            const int pupilNo = reg.roster[k].number;
            if (pupilNo < 0 || pupilNo > kMaxPupil)
                continue;
            addLevel(sums[static_cast<size_t>(k)], level, pupilNo);
        }
    }
    for (int k = 1; k <= count; ++k)
        lines.append(pupilLine(reg.roster[k], schoolYear, displayMode, sums[static_cast<size_t>(k)]));
    sortPupilLines(lines, positions);
    if (positions)
        for (int& at : *positions)
            ++at; // the roster counts from 1
    return lines;
}

PupilList buildPupilList(int schoolYear, int displayMode, const QString& filterText)
{
    PupilList list;
    list.sortedLines = sortedPupilLines(schoolYear, displayMode);
    std::map<int, bool> shownGrades; // the filter text is compared once per grade
    for (const QString& line : std::as_const(list.sortedLines)) {
        const int grade = gradeIndexOfLine(line, schoolYear);
        auto shown = shownGrades.find(grade);
        if (shown == shownGrades.end())
            shown = shownGrades.emplace(grade, gradeFilterShows(filterText, grade)).first;
        if (!shown->second)
            continue;
        const ListRow row = splitPupilLine(line);
        list.shown.append(row.shown);
        list.tails.append(row.tail);
    }
    return list;
}

} // namespace kanameru
