// kanameru-results: the results files for teachers, as CSV a Japanese spreadsheet opens.
//
//   kanameru-results export FILE [--utf8] [--output OUT]
//   kanameru-results stats FOLDER [--date yyyy/MM/dd] [--utf8] [--output OUT]
//
// The statistics are computed by the same code as the drill program.
#include "platform/clock.h"
#include "results/results.h"
#include "startup/hensuu1.h"
#include "startup/settings.h"
#include "startup/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

using namespace kanameru;

namespace {

const char* const kHelp = "kanameru-results: the results files of the drill as CSV, for teachers\n"
                          "\n"
                          "  kanameru-results export FILE [--utf8] [--output OUT]\n"
                          "      Writes every complete record of a results file, oldest first:\n"
                          "      成績累積データ.dat        No, date, time of day, pupil number, level, result, points\n"
                          "      成績累積データ家庭用.dat  the same with the program (drill set) name after No\n"
                          "      The result is in seconds, or 時間切れ for an attempt that ran out of time. Points\n"
                          "      use the level parameters of the drill set's folder (empty when they are missing).\n"
                          "      --installation / --program choose the record layout when the file name does not.\n"
                          "\n"
                          "  kanameru-results stats FOLDER [--date yyyy/MM/dd] [--utf8] [--output OUT]\n"
                          "      FOLDER is the drill set's folder (the one with 設定.txt), or the installation\n"
                          "      folder holding it. Prints one line per level and pupil with attempts: best result,\n"
                          "      then attempts and points all time, in the recent window, in the cap window and on\n"
                          "      the day, as the drill program computes them from the last 20000 records. With\n"
                          "      --date the numbers are as they stood on that day (later records left out);\n"
                          "      without it, as of now.\n"
                          "\n"
                          "  The CSV is written in the Windows Japanese code page (CP932) with CR LF, which a\n"
                          "  Japanese spreadsheet opens directly; --utf8 writes UTF-8 with a byte order mark.\n"
                          "  Exit status: 0 done, 1 a file could not be read, 2 wrong arguments.\n";

struct Output {
    bool utf8 = false;
    QString path;
    QString text;

    void line(const QStringList& fields)
    {
        QStringList quoted;
        for (const QString& f : fields) {
            if (f.contains(QLatin1Char(',')) || f.contains(QLatin1Char('"')) || f.contains(QLatin1Char('\n')))
                quoted << QLatin1Char('"') + QString(f).replace(QLatin1Char('"'), QStringLiteral("\"\""))
                        + QLatin1Char('"');
            else
                quoted << f;
        }
        text += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }

    QByteArray bytes() const
    {
        if (utf8)
            return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        if (std::optional<QByteArray> all = encodeCp932(text))
            return *all;
        QByteArray out; // a character the code page lacks becomes "?"
        for (int i = 0; i < text.size(); ++i) {
            const int n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            std::optional<QByteArray> piece = encodeCp932(text.mid(i, n));
            out += piece ? *piece : QByteArray("?");
            i += n - 1;
        }
        return out;
    }

    bool write() const
    {
        const QByteArray b = bytes();
        if (path.isEmpty())
            return std::fwrite(b.constData(), 1, static_cast<size_t>(b.size()), stdout)
                == static_cast<size_t>(b.size());
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(b) == b.size();
    }
};

void complain(const QString& text)
{
    std::fprintf(stderr, "kanameru-results: %s\n", text.toLocal8Bit().constData());
}

bool sane(double days)
{
    return std::isfinite(days) && days > -657434 && days < 2958466;
}

QString dateText(double days)
{
    return sane(days) ? platform::shortDate(platform::fromDayCount(days).date()) : shortestNumber(days);
}

QString timeText(double days)
{
    return sane(days) ? platform::shortTime(platform::fromDayCount(days - std::floor(days)).time())
                      : shortestNumber(days);
}

QString resultText(qint32 result)
{
    return result == kTimeOut ? QStringLiteral("時間切れ") : QString::number(result);
}

// The level parameters of a drill set's folder, for the points; nullopt when it has none.
struct LevelTables {
    ByLevel<qint32> target {};
    ByLevel<float> factor {};
};

std::optional<LevelTables> levelTablesOf(const QString& folder)
{
    if (!QFileInfo::exists(folder + QLatin1Char('/') + kSettingsFile))
        return std::nullopt;
    if (loadSettings(QDir::cleanPath(folder)))
        return std::nullopt;
    LevelTables t;
    t.target = reg.levelTarget;
    t.factor = reg.levelPointFactor;
    return t;
}

QString pointsText(const std::optional<LevelTables>& tables, qint32 result, int level)
{
    if (!tables)
        return QString();
    reg.levelTarget = tables->target;
    reg.levelPointFactor = tables->factor;
    return QString::number(attemptPoints(result, level));
}

int exportFile(const QString& file, bool installation, Output& out)
{
    const QString folder = QFileInfo(file).absolutePath();
    if (!QFileInfo(file).isFile()) {
        complain(file + QStringLiteral(": ファイルがありません"));
        return 1;
    }
    if (!installation) {
        const Result<std::vector<LoadedResult>> records = readStoredResults(0, file);
        if (!records) {
            complain(records.error().message());
            return 1;
        }
        const std::optional<LevelTables> tables = levelTablesOf(folder);
        if (!tables)
            complain(folder + QStringLiteral(": タイム回数データがないため、得点は空欄です"));
        out.line({ QStringLiteral("No"), QStringLiteral("日付"), QStringLiteral("時刻"), QStringLiteral("生徒番号"),
            QStringLiteral("レベル"), QStringLiteral("成績"), QStringLiteral("得点") });
        for (const LoadedResult& r : *records)
            out.line({ QString::number(r.number), dateText(r.date), timeText(r.time), QString::number(r.pupilNo),
                QString::number(r.level), resultText(r.result), pointsText(tables, r.result, r.level) });
        return 0;
    }

    const Result<std::vector<InstallationResultRecord>> records = readInstallationResults(file);
    if (!records) {
        complain(records.error().message());
        return 1;
    }
    // Each drill set's folder sits beside the shared folder ("files" layout) or inside it.
    std::map<QString, std::optional<LevelTables>> tablesByProgram;
    out.line({ QStringLiteral("No"), QStringLiteral("プログラム"), QStringLiteral("日付"), QStringLiteral("時刻"),
        QStringLiteral("生徒番号"), QStringLiteral("レベル"), QStringLiteral("成績"), QStringLiteral("得点") });
    int number = 0;
    for (const InstallationResultRecord& r : *records) {
        ++number;
        std::optional<QString> decoded = decodeCp932(r.programName);
        QString program = decoded ? decoded->trimmed() : QStringLiteral("?");
        if (program.endsWith(QLatin1Char('\\')))
            program.chop(1);
        if (!tablesByProgram.count(program)) {
            std::optional<LevelTables> t;
            if (!program.isEmpty() && !program.contains(QLatin1Char('/')) && program != QStringLiteral("..")) {
                t = levelTablesOf(folder + QStringLiteral("/../") + program);
                if (!t)
                    t = levelTablesOf(folder + QLatin1Char('/') + program);
            }
            if (!t)
                complain(program + QStringLiteral(": タイム回数データが見つからないため、得点は空欄です"));
            tablesByProgram[program] = t;
        }
        out.line({ QString::number(number), program, dateText(r.recordDate), timeText(r.recordTime),
            QString::number(r.pupilNo), QString::number(r.level), resultText(r.result),
            pointsText(tablesByProgram[program], r.result, r.level) });
    }
    return 0;
}

// The drill set's folder: the given one when it holds the settings, else the only subfolder
// that does.
std::optional<QString> drillSetFolder(const QString& given)
{
    const QDir dir(given);
    if (dir.exists(kSettingsFile))
        return dir.absolutePath();
    QStringList found;
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (QFileInfo::exists(dir.absoluteFilePath(sub) + QLatin1Char('/') + kSettingsFile))
            found << dir.absoluteFilePath(sub);
    if (found.size() == 1)
        return found.first();
    complain(given
        + (found.isEmpty() ? QStringLiteral(": 設定.txt のあるフォルダが見つかりません")
                           : QStringLiteral(": ドリルのフォルダが複数あります。どれかを指定してください: ")
                    + found.join(QStringLiteral(", "))));
    return std::nullopt;
}

int stats(const QString& given, const QString& dateArgument, Output& out)
{
    const std::optional<QString> folder = drillSetFolder(given);
    if (!folder)
        return 1;
    if (const std::optional<FileError> e = loadSettings(*folder)) {
        complain(e->message());
        return 1;
    }
    double asOf = platform::clock().nowDayCount();
    const bool pastDate = !dateArgument.isEmpty();
    if (pastDate) {
        const QDate date = QDate::fromString(dateArgument, QStringLiteral("yyyy/MM/dd"));
        if (!date.isValid()) {
            complain(dateArgument + QStringLiteral(": 日付は yyyy/MM/dd で指定してください"));
            return 2;
        }
        asOf = platform::dayCount(date) + 0.5;
    }
    // As of a past day the program read the last 20000 records of the file as it stood then:
    // leave out the later ones first, then take the window.
    Result<std::vector<LoadedResult>> records = readStoredResults(pastDate ? 0 : kResultsReadWindow, resultsFilePath());
    if (!records) {
        complain(records.error().message());
        return 1;
    }
    std::vector<LoadedResult>& window = *records;
    if (pastDate) {
        const double nextDay = std::floor(asOf) + 1;
        std::erase_if(window, [&](const LoadedResult& r) { return !(r.date < nextDay); });
        if (window.size() > static_cast<size_t>(kResultsReadWindow))
            window.erase(window.begin(), window.end() - kResultsReadWindow);
    }
    computeStatisticsFrom(window, asOf, pastDate);

    std::set<std::pair<int, int>> pairs;
    for (const LoadedResult& r : loadedResults())
        pairs.insert({ r.level, r.pupilNo });
    for (int level = 1; level <= kMaxLevel; ++level)
        for (int pupil = 1; pupil <= kMaxPupil; ++pupil)
            if (reg.bestScore(level, pupil) < kTimeOut)
                pairs.insert({ level, pupil });

    out.line({ QStringLiteral("レベル"), QStringLiteral("生徒番号"), QStringLiteral("ベスト"), QStringLiteral("総回数"),
        QStringLiteral("総得点"), QStringLiteral("最近回数"), QStringLiteral("最近得点"),
        QStringLiteral("上限期間回数"), QStringLiteral("上限期間得点"), QStringLiteral("今日回数"),
        QStringLiteral("今日得点") });
    for (const auto& [level, pupil] : pairs) {
        const qint32 best = reg.bestScore(level, pupil);
        out.line({ QString::number(level), QString::number(pupil), best >= kTimeOut ? QString() : QString::number(best),
            QString::number(reg.totalCount(level, pupil)), QString::number(reg.totalPoints(level, pupil)),
            QString::number(reg.recentCount(level, pupil)), QString::number(reg.recentPoints(level, pupil)),
            QString::number(reg.capCount(level, pupil)), QString::number(reg.capPoints(level, pupil)),
            shortestNumber(reg.todayCount(level, pupil)), QString::number(reg.todayPoints(level, pupil)) });
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    Output out;
    QString date;
    std::optional<bool> installationLayout;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (a == QStringLiteral("--utf8")) {
            out.utf8 = true;
        } else if (a == QStringLiteral("--installation")) {
            installationLayout = true;
        } else if (a == QStringLiteral("--program")) {
            installationLayout = false;
        } else if ((a == QStringLiteral("--date") || a == QStringLiteral("--output") || a == QStringLiteral("-o"))
            && i + 1 < args.size()) {
            (a == QStringLiteral("--date") ? date : out.path) = args.at(++i);
        } else if (a.startsWith(QStringLiteral("-"))) {
            complain(a + QStringLiteral(": unknown option (see --help)"));
            return 2;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2
        || (positional[0] != QStringLiteral("export") && positional[0] != QStringLiteral("stats"))) {
        std::fputs(kHelp, stderr);
        return 2;
    }
    int status;
    if (positional[0] == QStringLiteral("export")) {
        if (!date.isEmpty()) {
            complain(QStringLiteral("--date belongs to stats"));
            return 2;
        }
        const bool installation
            = installationLayout.value_or(QFileInfo(positional[1]).fileName() == installationResultsFileName());
        status = exportFile(positional[1], installation, out);
    } else {
        status = stats(positional[1], date, out);
    }
    if (status != 0)
        return status;
    if (!out.write()) {
        complain(out.path + QStringLiteral(": 書き込めません"));
        return 1;
    }
    return 0;
}
