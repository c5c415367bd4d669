#include "roster/rosterfile.h"

#include "platform/clock.h"
#include "startup/fieldio.h"
#include "startup/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <limits>

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

QString gradeLabel(int gradeIndex)
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

// A 16-bit number field: empty counts as 0, fractions are rounded halves to even.
std::optional<qint16> numberField(const Field& field, QString* reason, const char* what)
{
    double v = 0;
    if (!field.value.isSet()) {
        v = 0;
    } else if (field.value.isNumber() && !field.quoted) {
        v = field.value.toDouble();
    } else {
        *reason = QStringLiteral("%1 は数でなければなりませんが「%2」です。")
                      .arg(QString::fromUtf8(what), field.value.toString());
        return std::nullopt;
    }
    const qint64 rounded = roundHalfEven(v);
    if (!std::isfinite(v) || rounded < std::numeric_limits<qint16>::min()
        || rounded > std::numeric_limits<qint16>::max()) {
        *reason = QStringLiteral("%1 の値 %2 が大きすぎます（-32768～32767）。")
                      .arg(QString::fromUtf8(what), shortestNumber(v));
        return std::nullopt;
    }
    return static_cast<qint16>(rounded);
}

QString textField(const Field& field)
{
    return fixedText(field.value.isSet() ? field.value.toString() : QString(), 20);
}

} // namespace

Result<QList<RosterRecord>> parseRosterText(const QString& path, const QString& text)
{
    const QList<Field> fields = readFields(text);
    QList<RosterRecord> records;
    qsizetype i = 0;
    while (i < fields.size()) {
        const int line = fields[i].line;
        qsizetype end = i;
        while (end < fields.size() && fields[end].line == line)
            ++end;
        const qsizetype count = end - i;
        if (count != 8) {
            return FileError { path, line,
                QStringLiteral("1行に8つの値（番号,生まれた年,予備1,予備2,\"名前\",状態,\"予備\",\"予備\"）が"
                               "必要ですが、%1 個です。")
                    .arg(count) };
        }
        RosterRecord r;
        QString reason;
        qint16* numbers[] = { &r.number, &r.birthYear, &r.spare1, &r.spare2 };
        for (int k = 0; k < 4; ++k) {
            std::optional<qint16> v = numberField(fields[i + k], &reason, kFieldNames[k]);
            if (!v)
                return FileError { path, line, reason };
            *numbers[k] = *v;
        }
        r.name = textField(fields[i + 4]);
        std::optional<qint16> status = numberField(fields[i + 5], &reason, kFieldNames[5]);
        if (!status)
            return FileError { path, line, reason };
        r.status = *status;
        r.spareText1 = textField(fields[i + 6]);
        r.spareText2 = textField(fields[i + 7]);
        records.append(r);
        i = end;
    }
    return records;
}

Result<QList<RosterRecord>> readRosterRecords(const QString& path)
{
    Result<QString> text = readTextFile(path);
    if (!text)
        return text.error();
    return parseRosterText(path, *text);
}

std::optional<FileError> readRoster(RosterProblem* problem)
{
    auto fail = [problem](RosterProblem kind, FileError error) {
        if (problem)
            *problem = kind;
        return std::optional<FileError>(std::move(error));
    };
    if (problem)
        *problem = RosterProblem::None;
    const int schoolYear = computeSchoolYear();
    const QString path = rosterFileName();
    if (!QFileInfo::exists(path))
        return fail(RosterProblem::Missing, FileError { path, 0, QStringLiteral("名簿ファイルがありません。") });
    Result<QList<RosterRecord>> records = readRosterRecords(path);
    if (!records)
        return fail(RosterProblem::Unreadable, records.error());

    const bool status2Listed = reg.status2Listed.toDouble() == 1;
    // Check everything before the tables are touched, so a refused file changes nothing.
    int listed = 0;
    for (qsizetype i = 0; i < records->size(); ++i) {
        const RosterRecord& r = records->at(i);
        if (!isListed(r, status2Listed))
            continue;
        ++listed;
        if (listed > kMaxPupil) {
            return fail(RosterProblem::TooManyPupils,
                FileError { path, static_cast<int>(i + 1),
                    QStringLiteral("名簿に載せられるのは %1 人までです。").arg(kMaxPupil) });
        }
        if (r.number < 1 || r.number > kMaxPupil) {
            return fail(RosterProblem::Unreadable,
                FileError { path, static_cast<int>(i + 1),
                    QStringLiteral("番号 %1 は 1～%2 でなければなりません。").arg(r.number).arg(kMaxPupil) });
        }
    }

    int k = 0;
    for (const RosterRecord& r : *records) {
        if (!isListed(r, status2Listed))
            continue;
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
    return std::nullopt;
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
    QFile roster(rosterFileName());
    if (roster.open(QIODevice::ReadOnly))
        return;
    const QString temp = rosterTempFileName();
    if (!QFileInfo::exists(temp))
        return;
    // The roster may exist but be unreadable for the moment (locked, no permission): only a
    // missing roster is replaced, so a temporary copy never overwrites it.
    if (QFileInfo::exists(rosterFileName()))
        return;
    QFile::rename(temp, rosterFileName());
}

} // namespace kanameru
