#include "startup/settings.h"

#include "startup/fieldio.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <vector>

namespace kanameru {

QString programFolderNameOf(const QString& exeDir)
{
    QString rest = exeDir;
    for (;;) {
        const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        const qsizetype backslash = rest.indexOf(QLatin1Char('\\'));
        qsizetype cut = -1;
        if (slash >= 0 && backslash >= 0)
            cut = qMin(slash, backslash);
        else
            cut = qMax(slash, backslash);
        if (cut < 0)
            return rest;
        rest = rest.mid(cut + 1);
    }
}

namespace {
QString folder(const QString& path)
{
    QString clean = QDir::cleanPath(path);
    if (!clean.endsWith(QLatin1Char('/')))
        clean += QLatin1Char('/');
    return clean;
}
} // namespace

Folders resolveFolders(const QString& exeDir, bool useFilesFolder)
{
    Folders f;
    f.appFolder = folder(exeDir);
    f.programFolderName = programFolderNameOf(exeDir);
    if (useFilesFolder) {
        f.rosterFolder = folder(exeDir + QStringLiteral("/../files"));
        f.programFolder = folder(exeDir);
        f.soundFolder = folder(f.rosterFolder + QStringLiteral("../files"));
    } else {
        f.rosterFolder = folder(exeDir + QStringLiteral("/.."));
        f.programFolder = folder(f.rosterFolder + f.programFolderName);
        f.soundFolder = folder(f.rosterFolder + QStringLiteral("音フォルダ"));
    }
    return f;
}

void splitSchoolLine(const QString& line, QString* code, QString* name)
{
    const QString head = line.left(5);
    qint64 number = 0;
    for (QChar c : head) {
        if (c.unicode() < '0' || c.unicode() > '9')
            break;
        number = number * 10 + (c.unicode() - '0');
    }
    if (number != 0) {
        *code = head;
        *name = line.mid(5);
    } else {
        code->clear();
        *name = line;
    }
}

namespace {

std::optional<FileError> readSettingsFile(const QString& path)
{
    Result<QString> text = readTextFile(path);
    if (!text)
        return text.error();
    FieldReader in(path, *text);
    for (int i = 1; i <= 10; ++i) {
        Result<Field> f = in.next(QStringLiteral("%1 番目の値").arg(QString::number(i)));
        if (!f)
            return f.error();
        if (i != 1)
            continue;
        // The folder layout: a number (in quotes too), compared with 1. Anything else is a
        // damaged value ("1x", a full-width "１", "1" followed by an invisible character):
        // taken as "not 1" it would choose the other layout and look for every file in the
        // wrong folder.
        double layout = 0;
        if (f->value.isNumber())
            layout = f->value.toDouble();
        else if (!f->value.isSet() || !parseNumber(f->value.toString(), &layout))
            return FileError { path, f->line,
                QStringLiteral("最初の値はフォルダの置き方を表す数（1 = files フォルダを使う、ほかの数 = "
                               "一つ上のフォルダを使う）で"
                               "なければなりませんが、%1です。")
                    .arg(f->value.isSet() ? QStringLiteral("「%1」").arg(shownValue(f->value.toString()))
                                          : QStringLiteral("空")) };
        reg.useFilesFolder = AnyValue(layout);
    }
    return std::nullopt;
}

std::optional<FileError> readCommonData(const QString& path, QList<FileError>* notices)
{
    Result<QString> text = readTextFile(path);
    if (!text)
        return text.error();
    FieldReader in(path, *text);
    Result<double> month = in.nextNumber(QStringLiteral("学年の始まる月"));
    if (!month)
        return month.error();
    if (*month < 1 || *month > 12)
        return FileError { path, 1,
            QStringLiteral("学年の始まる月は 1 から 12 でなければなりませんが %1 です。").arg(shortestNumber(*month)) };
    reg.schoolYearStartMonth = AnyValue(*month);
    Result<Field> school = in.next(QStringLiteral("学校名"));
    if (!school)
        return school.error();
    // The school's name is shown on the drill form and the board: as one line of printable
    // text, like a typed name (a direction override would reverse the words after it).
    QString removed;
    reg.schoolName = withoutControlCharacters(school->value.toString(), &removed);
    if (!removed.isEmpty() && notices) {
        QStringList codes;
        for (const QChar c : std::as_const(removed)) {
            if (!codes.contains(shownCharacter(c)))
                codes.append(shownCharacter(c));
        }
        notices->append(FileError { path, school->line,
            QStringLiteral("学校名にある見えない文字や制御文字（%1）を取り除いて「%2」と表示します。")
                .arg(codes.join(QStringLiteral("、")), shownValue(reg.schoolName)) });
    }
    Result<Field> listed = in.next(QStringLiteral("名簿の表示切替"));
    if (!listed)
        return listed.error();
    reg.status2Listed = listed->value;
    for (int i = 4; i <= 10; ++i) {
        Result<Field> f = in.next(QStringLiteral("%1 番目の値").arg(QString::number(i)));
        if (!f)
            return f.error();
    }
    QString code, name;
    splitSchoolLine(reg.schoolName, &code, &name);
    reg.schoolCode = code;
    reg.schoolName = name;
    return std::nullopt;
}

// The fields of a level line that are used, with the values that can be meant. The bounds
// keep every sum the statistics make within 32 bits: at most 55 points an attempt times a
// factor of 100, over the 20000 attempts read back, is 110 million.
struct LevelField {
    const char* name;
    double low;
    double high;
};
const LevelField kLevelFields[9] = {
    { "目標（秒）", 0, 86400 },
    { "第二目標（秒）", 0, 86400 }, // the time limit is five times it: at most five days
    { "合格点", 0, 100000000 },
    { "必要回数", 0, 9999 }, // 9999 marks a level that has no end
    { "ポイント倍率", 0, 100 },
    { "上限回数", 0, 100000 },
    { "上限点", 0, 100000000 },
    { "最近の日数", 0, 36500 },
    { "上限の日数", 0, 36500 },
};
constexpr int kLevelLineValues = 12;

std::optional<FileError> readLevelParameters(const QString& path)
{
    Result<QString> text = readTextFile(path, kSmallTextFileLimit);
    if (!text)
        return text.error();
    const QList<Field> fields = readFields(*text);
    // Every line holds the twelve values of one level, the first line level 0: a value missing
    // on one line must not be taken from the next, or every level after it would shift.
    struct Row {
        int line;
        double numbers[9];
    };
    std::vector<Row> rows;
    int expectedLine = 1;
    for (qsizetype i = 0; i < fields.size();) {
        const int line = fields[i].line;
        if (line != expectedLine)
            return FileError { path, expectedLine,
                QStringLiteral("空の行があります。1行に1つのレベルの値を12個書いてください。") };
        qsizetype end = i;
        while (end < fields.size() && fields[end].line == line)
            ++end;
        if (end - i != kLevelLineValues)
            return FileError { path, line,
                QStringLiteral("1行に12個の値が必要ですが、%1 個です。").arg(QString::number(end - i)) };
        const int level = static_cast<int>(rows.size());
        Row row { line, {} };
        for (int k = 0; k < 9; ++k) {
            const Field& f = fields[i + k];
            const QString what
                = QStringLiteral("レベル %1 の%2").arg(QString::number(level), QString::fromUtf8(kLevelFields[k].name));
            double v = 0;
            if (f.value.isNumber())
                v = f.value.toDouble();
            else if (f.value.isSet() && !parseNumber(f.value.toString(), &v))
                return FileError { path, line,
                    QStringLiteral("%1 は数でなければなりませんが「%2」です。")
                        .arg(what, shownValue(f.value.toString())) };
            // Whole-number fields are rounded as they are stored; the bound applies to that.
            const double held = k <= 3 ? static_cast<double>(roundHalfEven(std::clamp(v, -1e18, 1e18))) : v;
            if (!(held >= kLevelFields[k].low && held <= kLevelFields[k].high))
                return FileError { path, line,
                    QStringLiteral("%1 は %2 から %3 まででなければなりませんが %4 です。")
                        .arg(what, shortestNumber(kLevelFields[k].low), shortestNumber(kLevelFields[k].high),
                            shownValue(shortestNumber(v))) };
            row.numbers[k] = v;
        }
        rows.push_back(row);
        i = end;
        ++expectedLine;
    }
    if (rows.size() <= static_cast<size_t>(kDrillSetLevelCount))
        return FileError { path, expectedLine,
            QStringLiteral("レベル 0 から %1 までの %2 行が必要ですが、%3 行しかありません。")
                .arg(QString::number(kDrillSetLevelCount), QString::number(kDrillSetLevelCount + 1),
                    QString::number(rows.size())) };
    // Everything is checked before the tables change; lines beyond level 35 are ignored.
    for (size_t level = 0; level < rows.size() && level <= static_cast<size_t>(kMaxLevel); ++level) {
        const double* n = rows[level].numbers;
        reg.levelTarget[level] = static_cast<qint32>(roundHalfEven(n[0]));
        reg.levelTargetB[level] = static_cast<qint32>(roundHalfEven(n[1]));
        reg.levelPassPoints[level] = static_cast<qint32>(roundHalfEven(n[2]));
        reg.levelRequiredCount[level] = static_cast<qint16>(roundHalfEven(n[3]));
        reg.levelPointFactor[level] = static_cast<float>(n[4]);
        reg.levelCapCount[level] = AnyValue(n[5]);
        reg.levelCapPoints[level] = AnyValue(n[6]);
        reg.levelRecentDays[level] = AnyValue(n[7]);
        reg.levelCapDays[level] = AnyValue(n[8]);
    }
    return std::nullopt;
}

} // namespace

std::optional<FileError> loadSettings(const QString& exeDirPath, QList<FileError>* notices)
{
    if (auto e = readSettingsFile(exeDirPath + QLatin1Char('/') + kSettingsFile))
        return e;
    reg.trapFileErrors = 0;
    reg.rosterSource = AnyValue(1);
    const Folders f = resolveFolders(exeDirPath, reg.useFilesFolder == 1);
    reg.appFolder = f.appFolder;
    reg.rosterFolder = f.rosterFolder;
    if (auto e = readCommonData(reg.rosterFolder + kCommonDataFile, notices))
        return e;
    reg.programFolderName = f.programFolderName;
    reg.programFolder = f.programFolder;
    reg.soundFolder = f.soundFolder;
    setProgramConstants();
    if (auto e = readLevelParameters(reg.programFolder + kLevelFile))
        return e;
    return std::nullopt;
}

void setProgramConstants()
{
    reg.printButtonShown = AnyValue(0);
    reg.drillSetTitle = QStringLiteral("カナメル");
}

void setLevelConstants()
{
    reg.levelCount = kDrillSetLevelCount;
    reg.targetLevel = AnyValue(kDrillSetLevelCount);
    for (int level = 1; level <= 9; ++level) {
        reg.levelTitles[level].clear();
        reg.levelIsTimed[level] = 1;
        reg.levelPracticeFlag[level] = AnyValue(1);
    }
    const QString fixed[4] = { QStringLiteral("地域５－１"), QStringLiteral("地域５－２"), QStringLiteral("全体－１"),
        QStringLiteral("全体－２") };
    for (int level = 10; level <= 13; ++level) {
        reg.levelTitles[level] = fixed[level - 10];
        reg.levelIsTimed[level] = 1;
    }
    for (int level = 1; level <= 12; ++level) {
        if (reg.levelTitles[level].isEmpty())
            reg.levelTitles[level] = QStringLiteral("ﾚﾍﾞﾙ") + QString::number(level);
    }
}

QString exeDir()
{
    QString dir = QCoreApplication::applicationDirPath();
    while (dir.size() > 1 && (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\'))))
        dir.chop(1);
    if (dir == QLatin1String("/"))
        return QString();
    return dir;
}

} // namespace kanameru

#include "startup/navigation.h"

namespace kanameru {
void prepareLevelBoard()
{
    setLevelConstants();
    showResultsBoard();
}
} // namespace kanameru
