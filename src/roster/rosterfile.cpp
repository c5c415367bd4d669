#include "roster/rosterfile.h"

#include "platform/clock.h"
#include "platform/codepage.h"
#include "roster/pupilline.h"
#include "startup/fieldio.h"
#include "startup/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace kanameru {

QString rosterFileName()
{
    return reg.rosterFolder + kRosterFile;
}

QString rosterTempFileName()
{
    return reg.rosterFolder + kRosterTempFile;
}

int schoolYearOf(const QDate& date, int startMonth)
{
    return date.month() < startMonth ? date.year() - 1 : date.year();
}

int computeSchoolYear()
{
    const int year = schoolYearOf(platform::clock().today(), static_cast<int>(reg.schoolYearStartMonth.toInteger()));
    reg.schoolYear = AnyValue(year);
    return year;
}

int gradeIndexOf(int schoolYear, int birthYear)
{
    return schoolYear - birthYear - 6;
}

namespace {
QString makeGradeLabel(int gradeIndex)
{
    if (gradeIndex < -2)
        return QStringLiteral("幼-");
    if (gradeIndex <= 0)
        return QStringLiteral("幼") + QString::number(gradeIndex + 3);
    if (gradeIndex <= 6)
        return QStringLiteral("小") + QString::number(gradeIndex);
    if (gradeIndex <= 9)
        return QStringLiteral("中") + QString::number(gradeIndex - 6);
    if (gradeIndex <= 12)
        return QStringLiteral("高") + QString::number(gradeIndex - 9);
    return QStringLiteral("大+");
}
} // namespace

QString gradeLabel(int gradeIndex)
{
    // Made once: the start screen and the class sheet ask for one on every line.
    static const std::array<QString, 17> labels = [] {
        std::array<QString, 17> made;
        for (int i = -3; i <= 13; ++i)
            made[static_cast<size_t>(i + 3)] = makeGradeLabel(i);
        return made;
    }();
    return labels[static_cast<size_t>(std::clamp(gradeIndex, -3, 13) + 3)];
}

QString fullWidthGradeLabel(int gradeIndex)
{
    if (gradeIndex < 0 || gradeIndex > 10)
        return QString();
    QString label = gradeLabel(gradeIndex);
    // The digit becomes its full-width form: '0'..'9' -> U+FF10..U+FF19.
    const QChar digit = label.back();
    label.back() = QChar(0xFF10 + (digit.unicode() - u'0'));
    return label;
}

bool isListed(const RosterRecord& record, bool status2Listed)
{
    return record.status == 0 || (record.status == 2 && status2Listed);
}

namespace {

const char* const kFieldNames[] = { "番号", "生まれた年", "予備1", "予備2", "名前", "状態", "予備文字1", "予備文字2" };

// A number field as written: empty counts as 0; a number in double quotes is read as the
// number, as the free-format reader reads every other field.
std::optional<double> writtenNumber(const Field& field, QString* reason, const char* what)
{
    if (!field.value.isSet())
        return 0.0;
    if (field.value.isNumber())
        return field.value.toDouble();
    double v = 0;
    if (field.quoted && parseNumber(field.value.toString().trimmed(), &v))
        return v;
    *reason = QStringLiteral("%1 は数でなければなりませんが「%2」です。")
                  .arg(QString::fromUtf8(what), shownValue(field.value.toString()));
    return std::nullopt;
}

bool fitsSixteenBits(double v)
{
    return std::isfinite(v) && roundHalfEven(v) >= std::numeric_limits<qint16>::min()
        && roundHalfEven(v) <= std::numeric_limits<qint16>::max();
}

QString tooLargeReason(const char* what, double v)
{
    return QStringLiteral("%1 の値 %2 が大きすぎます（-32768～32767）。")
        .arg(QString::fromUtf8(what), shownValue(shortestNumber(v)));
}

// A 16-bit number field: fractions are rounded halves to even.
std::optional<qint16> numberField(const Field& field, QString* reason, const char* what)
{
    const std::optional<double> v = writtenNumber(field, reason, what);
    if (!v)
        return std::nullopt;
    if (!fitsSixteenBits(*v)) {
        *reason = tooLargeReason(what, *v);
        return std::nullopt;
    }
    return static_cast<qint16>(roundHalfEven(*v));
}

QString textField(const Field& field)
{
    return fixedText(field.value.isSet() ? field.value.toString() : QString(), 20);
}

} // namespace

std::variant<std::nullopt_t, RosterLine, QString> parseRosterLine(const QString& text, int line)
{
    const QList<Field> fields = readFields(text);
    if (fields.isEmpty())
        return std::nullopt;
    if (fields.size() != 8)
        return QStringLiteral("1行に8つの値（番号,生まれた年,予備1,予備2,\"名前\",状態,\"予備\",\"予備\"）が"
                              "必要ですが、%1 個です。")
            .arg(QString::number(fields.size()));
    RosterLine entry;
    entry.line = line;
    RosterRecord& r = entry.record;
    QString reason;
    // The pupil number may lie outside 16 bits: the reader of the start screen leaves such a
    // record out by itself, naming it, instead of refusing the whole roster.
    const std::optional<double> number = writtenNumber(fields[0], &reason, kFieldNames[0]);
    if (!number)
        return reason;
    entry.writtenNumber = *number;
    r.number = fitsSixteenBits(*number) ? static_cast<qint16>(roundHalfEven(*number)) : 0;
    qint16* numbers[] = { &r.birthYear, &r.spare1, &r.spare2 };
    for (int k = 1; k < 4; ++k) {
        std::optional<qint16> v = numberField(fields[k], &reason, kFieldNames[k]);
        if (!v)
            return reason;
        *numbers[k - 1] = *v;
    }
    const QString written = fields[4].value.isSet() ? fields[4].value.toString() : QString();
    entry.name = withoutControlCharacters(written, &entry.removed);
    // Held as 20 characters, never cutting a character in two.
    r.name
        = fixedText(entry.name.size() > 20 && entry.name[19].isHighSurrogate() ? entry.name.left(19) : entry.name, 20);
    std::optional<qint16> status = numberField(fields[5], &reason, kFieldNames[5]);
    if (!status)
        return reason;
    r.status = *status;
    r.spareText1 = textField(fields[6]);
    r.spareText2 = textField(fields[7]);
    entry.yearBegin = fields[1].begin;
    entry.yearEnd = fields[1].end;
    entry.nameBegin = fields[4].begin;
    entry.nameEnd = fields[4].end;
    return entry;
}

Result<QList<RosterLine>> parseRosterLines(const QString& path, const QString& text)
{
    QList<RosterLine> lines;
    int line = 0;
    for (const QString& lineText : splitLines(text)) {
        ++line;
        auto parsed = parseRosterLine(lineText, line);
        if (const QString* reason = std::get_if<QString>(&parsed))
            return FileError { path, line, *reason };
        if (RosterLine* entry = std::get_if<RosterLine>(&parsed))
            lines.append(std::move(*entry));
    }
    return lines;
}

Result<QList<RosterRecord>> parseRosterText(const QString& path, const QString& text)
{
    Result<QList<RosterLine>> lines = parseRosterLines(path, text);
    if (!lines)
        return lines.error();
    QList<RosterRecord> records;
    records.reserve(lines->size());
    for (const RosterLine& l : std::as_const(*lines)) {
        if (!fitsSixteenBits(l.writtenNumber))
            return FileError { path, l.line, tooLargeReason(kFieldNames[0], l.writtenNumber) };
        records.append(l.record);
    }
    return records;
}

Result<QList<RosterRecord>> readRosterRecords(const QString& path)
{
    Result<QString> text = readTextFile(path, kRosterFileLimit);
    if (!text)
        return text.error();
    return parseRosterText(path, *text);
}

QByteArray RosterFile::bytes() const
{
    QByteArray out;
    if (byteOrderMark)
        out += "\xEF\xBB\xBF";
    for (const RosterFileLine& l : lines)
        out += l.text.bytes + l.text.end;
    return out;
}

QList<FileError> RosterFile::badLines() const
{
    QList<FileError> bad;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].problem.isEmpty())
            bad.append(FileError { path, static_cast<int>(i) + 1, lines[i].problem });
    }
    return bad;
}

Result<RosterFile> readRosterFile(const QString& path)
{
    Result<TextLines> text = readTextFileLines(path, kRosterFileLimit);
    if (!text)
        return text.error();
    RosterFile file;
    file.path = path;
    file.encoding = text->encoding;
    file.byteOrderMark = text->byteOrderMark;
    file.lines.reserve(text->lines.size());
    int line = 0;
    for (TextLine& t : text->lines) {
        RosterFileLine l;
        ++line;
        if (!t.problem.isEmpty()) {
            l.problem = t.problem;
        } else {
            auto parsed = parseRosterLine(t.text, line);
            if (QString* reason = std::get_if<QString>(&parsed))
                l.problem = *reason;
            else if (RosterLine* entry = std::get_if<RosterLine>(&parsed))
                l.entry = std::move(*entry);
        }
        l.text = std::move(t);
        file.lines.append(std::move(l));
    }
    return file;
}

QList<FileError> rosterNameNotices(const QString& path, const RosterLine& entry)
{
    QList<FileError> notices;
    auto note = [&](const QString& reason) { notices.append(FileError { path, entry.line, reason }); };
    if (!entry.removed.isEmpty()) {
        QStringList codes;
        for (const char32_t c : entry.removed.toUcs4()) {
            const QString code = shownCharacter(QString::fromUcs4(&c, 1));
            if (!codes.contains(code))
                codes.append(code);
        }
        note(QStringLiteral("名前にある見えない文字や制御文字（%1）を取り除いて「%2」と表示します。")
                 .arg(codes.join(QStringLiteral("、")), shownValue(trimSpaces(entry.name))));
    }
    for (const char32_t c : entry.name.toUcs4()) {
        if (!platform::cp932Holds(c)) {
            note(QStringLiteral("名前「%1」の %2 は Shift-JIS（CP932）にない文字です。CP932 で書く表（成績の CSV、"
                                "クラス成績表）では「?」になります。名簿で別の字に直してください。")
                     .arg(shownValue(trimSpaces(entry.name)), shownCharacter(QString::fromUcs4(&c, 1))));
            break;
        }
    }
    const QString trimmed = trimSpaces(entry.name);
    if (trimmed.size() > 20)
        note(QStringLiteral(
            "名前「%1」は %2 文字あります。画面には初めの 20 文字「%3」だけが出ます（ファイルの名前はそのままです）。")
                 .arg(shownValue(trimmed), QString::number(trimmed.toUcs4().size()), trimSpaces(entry.record.name)));
    return notices;
}

std::optional<FileError> readRoster(RosterProblem* problem, QList<FileError>* notices)
{
    auto fail = [problem](RosterProblem kind, FileError error) {
        if (problem)
            *problem = kind;
        return std::optional<FileError>(std::move(error));
    };
    if (problem)
        *problem = RosterProblem::None;
    QList<FileError> named;
    const int schoolYear = computeSchoolYear();
    const QString path = rosterFileName();
    // Read first and ask why only when the read fails: on a network share each look at the
    // folder is a round trip.
    Result<RosterFile> file = readRosterFile(path);
    if (!file && !QFileInfo::exists(path))
        return fail(RosterProblem::Missing, FileError { path, 0, QStringLiteral("名簿ファイルがありません。") });
    if (!file)
        return fail(RosterProblem::Unreadable, file.error());
    // A line that holds no record is a teacher's typo or a line saved in another encoding:
    // reading again would not mend it. It is named and takes no position; the others are read.
    for (const RosterFileLine& l : std::as_const(file->lines)) {
        if (!l.problem.isEmpty())
            named.append(FileError { path, static_cast<int>(&l - file->lines.constData()) + 1,
                l.problem + QStringLiteral("（この行は一覧に載せず、ファイルにはそのまま残します。）") });
    }

    const bool status2Listed = reg.status2Listed.toDouble() == 1;
    // Check everything before the tables are touched, so a refused file changes nothing. A
    // listed record whose number has no place in the tables is left out on its own: the other
    // pupils can still work.
    QList<const RosterRecord*> listedRecords;
    // The line of the listed record that took each number: a second one with the same number
    // would show and record the first pupil when chosen.
    std::vector<int> lineOfNumber(kMaxPupil + 1, 0);
    for (const RosterFileLine& fileLine : std::as_const(file->lines)) {
        if (!fileLine.entry || !isListed(fileLine.entry->record, status2Listed))
            continue;
        const RosterLine& l = *fileLine.entry;
        const double number = l.writtenNumber;
        if (l.record.number < 1 || l.record.number > kMaxPupil) { // 0 also for one beyond 16 bits
            named.append(FileError { path, l.line,
                QStringLiteral("番号 %1 は 1～%2 でなければならないため、この生徒を一覧に載せません。")
                    .arg(shownValue(shortestNumber(number)), QString::number(kMaxPupil)) });
            continue;
        }
        int& first = lineOfNumber[static_cast<size_t>(l.record.number)];
        if (first != 0) {
            named.append(FileError { path, l.line,
                QStringLiteral("番号 %1 は %2 行目の生徒と同じため、この生徒を一覧に載せません。")
                    .arg(QString::number(l.record.number), QString::number(first)) });
            continue;
        }
        first = l.line;
        if (listedRecords.size() >= kMaxPupil) {
            return fail(RosterProblem::TooManyPupils,
                FileError { path, l.line,
                    QStringLiteral("名簿に載せられるのは %1 人までです。").arg(QString::number(kMaxPupil)) });
        }
        listedRecords.append(&l.record);
        named.append(rosterNameNotices(path, l));
    }

    int k = 0;
    for (const RosterRecord* record : std::as_const(listedRecords)) {
        const RosterRecord& r = *record;
        ++k;
        reg.roster[k] = r;
        reg.roster[k].status = 0; // a listed status 2 counts as 0 from here on
        reg.pupilNames[k] = r.name;
        reg.pupilBirthYear[k] = r.birthYear;
        reg.boardPupilNos[k] = AnyValue(static_cast<int>(r.number));
        // A grade without a full-width label leaves the entry empty rather than showing the
        // label of whoever held this position before.
        reg.pupilGradeLabel[k] = fullWidthGradeLabel(gradeIndexOf(schoolYear, r.birthYear));
    }
    reg.boardPupilCount = AnyValue(k);
    if (notices) {
        std::stable_sort(
            named.begin(), named.end(), [](const FileError& a, const FileError& b) { return a.line < b.line; });
        *notices = std::move(named);
    }
    return std::nullopt;
}

QString rosterNoticeText(const QList<FileError>& notices)
{
    constexpr qsizetype kShownReasons = 20;
    QString text = QStringLiteral("名簿 %1 の次の行を確かめてください。\n")
                       .arg(QDir::toNativeSeparators(notices.isEmpty() ? rosterFileName() : notices.front().path));
    QStringList others;
    for (qsizetype i = 0; i < notices.size(); ++i) {
        const FileError& e = notices[i];
        if (i < kShownReasons)
            text += QStringLiteral("\n%1 行目: %2").arg(QString::number(e.line), e.reason);
        else if (!others.contains(QString::number(e.line)))
            others.append(QString::number(e.line));
    }
    if (!others.isEmpty())
        text += QStringLiteral("\nほかに %1 行目。").arg(others.join(QStringLiteral("、")));
    text += QStringLiteral("\n\nほかの生徒は一覧に載っています。名簿のファイルは書き換えていません。");
    return text;
}

int listedPositionOfPupil(int pupilNo)
{
    const int count = static_cast<int>(reg.boardPupilCount.toInteger());
    if (pupilNo >= 1 && pupilNo <= count && reg.boardPupilNos[pupilNo].toInteger() == pupilNo)
        return pupilNo;
    for (int k = 1; k <= count && k <= kMaxPupil; ++k) {
        if (reg.boardPupilNos[k].toInteger() == pupilNo)
            return k;
    }
    return 0;
}

void 名簿ファイル処理()
{
    // Only a missing roster is replaced: one that exists but cannot be read for the moment
    // (locked, no permission) is kept, so a temporary copy never overwrites it. Nothing is
    // opened here: opening a FIFO in the roster's place would wait for ever.
    const QString temp = rosterTempFileName();
    if (!QFileInfo::exists(temp))
        return;
    if (QFileInfo(rosterFileName()).exists() || QFileInfo(rosterFileName()).isSymLink())
        return;
    QFile::rename(temp, rosterFileName());
}

} // namespace kanameru
