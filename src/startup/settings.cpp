#include "startup/settings.h"

#include "startup/fieldio.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <QCoreApplication>
#include <QDir>

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
        Result<Field> f = in.next(QStringLiteral("%1 番目の値").arg(i));
        if (!f)
            return f.error();
        if (i == 1)
            reg.useFilesFolder = f->value;
    }
    return std::nullopt;
}

std::optional<FileError> readCommonData(const QString& path)
{
    Result<QString> text = readTextFile(path);
    if (!text)
        return text.error();
    FieldReader in(path, *text);
    Result<double> month = in.nextNumber(QStringLiteral("学年の始まる月"));
    if (!month)
        return month.error();
    if (*month < 1 || *month > 12)
        return FileError{path, 1, QStringLiteral("学年の始まる月は 1 から 12 でなければなりませんが %1 です。")
                                      .arg(shortestNumber(*month))};
    reg.schoolYearStartMonth = AnyValue(*month);
    Result<Field> school = in.next(QStringLiteral("学校名"));
    if (!school)
        return school.error();
    reg.schoolName = school->value.toString();
    Result<Field> listed = in.next(QStringLiteral("名簿の表示切替"));
    if (!listed)
        return listed.error();
    reg.status2Listed = listed->value;
    for (int i = 4; i <= 10; ++i) {
        Result<Field> f = in.next(QStringLiteral("%1 番目の値").arg(i));
        if (!f)
            return f.error();
    }
    QString code, name;
    splitSchoolLine(reg.schoolName, &code, &name);
    reg.schoolCode = code;
    reg.schoolName = name;
    return std::nullopt;
}

std::optional<FileError> readLevelParameters(const QString& path)
{
    Result<QString> text = readTextFile(path);
    if (!text)
        return text.error();
    FieldReader in(path, *text);
    static const char* const names[9] = {"目標", "第二目標", "合格点", "必要回数", "ポイント倍率",
                                         "上限回数", "上限点", "最近の日数", "上限の日数"};
    for (int level = 0; !in.atEnd(); ++level) {
        double numbers[9] = {};
        for (int field = 1; field <= 12; ++field) {
            const QString what = field <= 9 ? QStringLiteral("レベル %1 の%2").arg(level).arg(QString::fromUtf8(names[field - 1]))
                                            : QStringLiteral("レベル %1 の %2 番目の値").arg(level).arg(field);
            if (field <= 9) {
                const int line = in.line();
                Result<double> v = in.nextNumber(what);
                if (!v)
                    return v.error();
                numbers[field - 1] = *v;
                // Targets and points are 32-bit whole numbers, the required count a 16-bit one: a
                // value beyond them would wrap round to a wrong (even negative) target.
                const double limit = field == 4 ? 32767.0 : 2147483647.0;
                if (field <= 4 && (*v >= limit + 0.5 || *v < -limit - 1.5))
                    return FileError { path, line,
                        QStringLiteral("%1 は %2 から %3 まででなければなりませんが %4 です。")
                            .arg(what, shortestNumber(-limit - 1), shortestNumber(limit), shortestNumber(*v)) };
            } else {
                Result<Field> f = in.next(what);
                if (!f)
                    return f.error();
            }
        }
        if (level > kMaxLevel)
            continue; // lines beyond level 35 are ignored
        reg.levelTarget[level] = static_cast<qint32>(roundHalfEven(numbers[0]));
        reg.levelTargetB[level] = static_cast<qint32>(roundHalfEven(numbers[1]));
        reg.levelPassPoints[level] = static_cast<qint32>(roundHalfEven(numbers[2]));
        reg.levelRequiredCount[level] = static_cast<qint16>(roundHalfEven(numbers[3]));
        reg.levelPointFactor[level] = static_cast<float>(numbers[4]);
        reg.levelCapCount[level] = AnyValue(numbers[5]);
        reg.levelCapPoints[level] = AnyValue(numbers[6]);
        reg.levelRecentDays[level] = AnyValue(numbers[7]);
        reg.levelCapDays[level] = AnyValue(numbers[8]);
    }
    return std::nullopt;
}

} // namespace

std::optional<FileError> loadSettings(const QString& exeDirPath)
{
    if (auto e = readSettingsFile(exeDirPath + QLatin1Char('/') + kSettingsFile))
        return e;
    reg.trapFileErrors = 0;
    reg.rosterSource = AnyValue(1);
    const Folders f = resolveFolders(exeDirPath, reg.useFilesFolder == 1);
    reg.appFolder = f.appFolder;
    reg.rosterFolder = f.rosterFolder;
    if (auto e = readCommonData(reg.rosterFolder + kCommonDataFile))
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
    reg.levelCount = 3;
    reg.targetLevel = AnyValue(3);
    for (int level = 1; level <= 9; ++level) {
        reg.levelTitles[level].clear();
        reg.levelIsTimed[level] = 1;
        reg.levelPracticeFlag[level] = AnyValue(1);
    }
    const QString fixed[4] = {QStringLiteral("地域５－１"), QStringLiteral("地域５－２"), QStringLiteral("全体－１"),
                              QStringLiteral("全体－２")};
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
