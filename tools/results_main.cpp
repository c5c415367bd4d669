// kanameru-results: the results files for teachers, as CSV a Japanese spreadsheet opens, and
// the class sheet as CSV or PDF.
//
//   kanameru-results export FILE [--utf8] [--output OUT]
//   kanameru-results stats FOLDER [--date yyyy/MM/dd] [--utf8] [--output OUT]
//   kanameru-results sheet FOLDER [--grade 中２] [--date yyyy/MM/dd] [--csv OUT | --pdf OUT]
//
// The statistics are computed by the same code as the drill program, the class sheet by the
// same code as the board.
#include "board/classsheet.h"
#include "board/classsheetprint.h"
#include "board/grades.h"
#include "fileio/fileio.h"
#include "platform/clock.h"
#include "platform/nativepath.h"
#include "platform/terminal.h"
#include "results/recordfile.h"
#include "results/results.h"
#include "results_events.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "startup/settings.h"
#include "startup/textfile.h"
#include "toolsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>

using namespace kanameru;

namespace {

const char* const kHelp
    = "使い方: kanameru-results <コマンド> ...\n"
      "成績ファイルを、日本語の表計算ソフトでそのまま開ける CSV にします（先生用）。\n"
      "\n"
      "  export FILE [--utf8] [--output OUT]\n"
      "      成績ファイルの記録を古い順にすべて書き出します。\n"
      "      成績累積データ.dat: 記録番号、日付、時刻、生徒番号、学年、名前、レベル、レベル名、成績、得点\n"
      "      成績累積データ家庭用.dat: 同じ項目の記録番号の後にプログラム（ドリル）の名前\n"
      "      学年と名前は生徒用名簿.txt から番号で引きます（名簿にない番号は空欄）。成績は秒、\n"
      "      時間切れは「時間切れ」。得点はドリルのフォルダのタイム回数データ.txt で計算します\n"
      "      （ないときは空欄）。ファイル名で形が決まらないときは --installation（家庭用の形）か\n"
      "      --program（ドリルの形）で指定します。\n"
      "\n"
      "  stats FOLDER [--date yyyy/MM/dd] [--utf8] [--output OUT]\n"
      "      FOLDER はドリルのフォルダ（設定.txt のあるフォルダ）か、それを含むインストールの\n"
      "      フォルダです。記録のあるレベルと生徒の組ごとに 1 行: レベル、レベル名、生徒番号、\n"
      "      学年、名前、ベスト、総回数・総得点、最近回数・最近得点、上限期間回数・上限期間得点、\n"
      "      今日回数・今日得点を、ドリルと同じ計算で最後の 20000 件から求めます。--date を\n"
      "      付けるとその日の時点の数（後の記録は除く）、付けないと今の数です。\n"
      "\n"
      "  sheet FOLDER [--grade 中２] [--date yyyy/MM/dd] [--csv OUT | --pdf OUT] [--utf8]\n"
      "      クラス成績表: 名簿に載っている生徒（記録のない生徒も）を名前選びの画面と同じ順に\n"
      "      1 人 1 行で並べ、レベルごとに回数と得点（今まで・最近・今日）、ベスト、合格（○）と、\n"
      "      全レベルの合計を書きます。--grade で学年を絞ります: 成績ボードの選び方（全学年、\n"
      "      中学生全体、小学生全体）か、名前選びの画面や CSV に出る学年（高３…高１、中３…中１、\n"
      "      小６…小１、幼３…幼１、幼－、大＋。数字と＋－は全角でも半角でも）。--pdf は A4 横の\n"
      "      PDF（学校名、日付、ページ番号入り）、--csv（省略時）は CSV を書きます。OUT を省略\n"
      "      した CSV は画面に出します。\n"
      "\n"
      "  events FOLDER [--grade 中２] [--from yyyy/MM/dd] [--to yyyy/MM/dd] [--csv OUT | --pdf OUT]\n"
      "      出来事別成績表: 出来事ごとの判定と間違いの回数、取り違えの多い組（events --help）。\n"
      "\n"
      "  CSV は Windows の日本語の文字コード（CP932）と CR LF で書きます。--utf8 を付けると\n"
      "  BOM 付きの UTF-8 で書きます。ファイルやパイプでなく端末に出すときは、どのコマンドも\n"
      "  端末の文字コードで出します。=、+、-、@ で始まる（その前にタブや改行のある）名前などは、\n"
      "  表計算ソフトが式として扱わないように先頭に「'」を付けます。数は数のままです。\n"
      "  OUT がファイルなら一度に置き換え（元の権限のまま）、/dev/null や端末、読む側のいる FIFO\n"
      "  にはそのまま書きます。読む側のいない FIFO やフォルダには書きません。\n"
      "  書く前に調べて、何も書かずに断るもの: 読み込むファイルと同じファイル（リンクや別名で\n"
      "  指していても）、カナメルのデータファイル（名簿、設定、共通データ、タイム回数データ、\n"
      "  問題ファイル、成績ファイル、音のファイル一覧、出来事別成績データ）、先のないシンボリック\n"
      "  リンクや循環するリンク、書き込む許可のないファイル、置き換えると持ち主が変わるほかの\n"
      "  利用者のファイル。\n"
      "  > や >> で標準出力を読み込むファイルやデータファイルにしたときも書きません。\n"
      "  終了コード: 0 成功、1 ファイルを読めない・書けない、2 使い方の誤り。\n";

void complain(const QString& text);

// Records read and lines written at a time by the export.
constexpr qint64 kExportBlock = 8192;

struct Output {
    bool utf8 = false;
    QString path; // as given; empty for the standard output
    QString target; // the file written, its links followed (checked by prepare())
    std::vector<QStringList> lines;

    // Checks where the output goes before anything is written; false (with the message
    // printed) when it is refused.
    bool prepare(const tools::OutputRules& rules)
    {
        if (path.isEmpty()) {
            const std::optional<QString> refusal = tools::checkStandardOutput(rules);
            if (refusal)
                complain(*refusal);
            return !refusal;
        }
        const tools::OutputTarget checked = tools::checkOutput(path, rules);
        if (checked.refused())
            complain(checked.refusal);
        target = checked.path;
        return !checked.refused();
    }

    void line(const QStringList& cells)
    {
        lines.push_back(cells);
        if (streaming && lines.size() >= kStreamLines)
            emitLines();
    }

    bool write() const { return write(csvText(lines)); }

    bool write(const QString& text) const
    {
        // A terminal shows its own encoding; a file or a pipe gets what a spreadsheet opens.
        const bool toUtf8 = utf8;
        if (path.isEmpty())
            return tools::writeOutput(
                tools::outputBytes(text, [toUtf8](const QString& t) { return csvBytes(t, toUtf8); }));
        return writeBytes(csvBytes(text, utf8));
    }

    // Into the checked target: a file is replaced whole; a device or a FIFO (with a reader)
    // is written into.
    bool writeBytes(const QByteArray& b) const
    {
        if (std::optional<QString> failure = replaceFileBytes(target, b)) {
            complainWrite(path, *failure);
            return false;
        }
        return true;
    }

    // The export writes its lines as they come, a block at a time, so its memory stays flat
    // whatever the size of the file: to the terminal, or into a new file that takes the place
    // of OUT only once it is complete.
    void stream() { streaming = true; }
    bool finishStream()
    {
        emitLines();
        if (failed || path.isEmpty())
            return !failed;
        if (const int e = file.commit()) {
            complainWrite(path, QString::fromStdString(fileio::errorText(e)));
            return false;
        }
        return true;
    }

    static void complainWrite(const QString& path, const QString& why);

private:
    static constexpr size_t kStreamLines = 4096;

    void emitLines()
    {
        if (failed)
            return;
        const QString text = csvText(lines);
        lines.clear();
        const bool bom = utf8 && !started;
        const auto forFiles = [this, bom](const QString& t) {
            QByteArray b = utf8 ? t.toUtf8() : csvBytes(t, false);
            return bom ? b.prepend("\xEF\xBB\xBF") : b;
        };
        if (path.isEmpty()) {
            failed = !tools::writeOutput(tools::outputBytes(text, forFiles));
        } else {
            // OUT may be a link: the file it names (the checked target) is replaced, and the
            // link stays.
            const QByteArray b = forFiles(text);
            int e = started ? 0 : file.begin(platform::nativePath(target));
            if (e == 0)
                e = file.write(std::string_view(b.constData(), static_cast<size_t>(b.size())));
            if (e != 0) {
                complainWrite(path, QString::fromStdString(fileio::errorText(e)));
                failed = true;
            }
        }
        started = true;
    }

    bool streaming = false;
    bool started = false;
    bool failed = false;
    fileio::Replacement file;
};

void complain(const QString& text)
{
    tools::printError(text);
}

void Output::complainWrite(const QString& path, const QString& why)
{
    complain(path + QStringLiteral(": 書き込めません（") + why + QStringLiteral("）"));
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

// The level parameters and titles of a drill set's folder; nullopt when it has none.
struct LevelTables {
    ByLevel<qint32> target {};
    ByLevel<float> factor {};
    ByLevel<QString> titles {};
    QString rosterFolder;
};

std::optional<LevelTables> levelTablesOf(const QString& folder)
{
    if (!QFileInfo::exists(folder + QLatin1Char('/') + kSettingsFile))
        return std::nullopt;
    if (loadSettings(QDir::cleanPath(folder)))
        return std::nullopt;
    setLevelConstants();
    LevelTables t;
    t.target = reg.levelTarget;
    t.factor = reg.levelPointFactor;
    for (int level = 1; level <= reg.levelCount && level <= kMaxLevel; ++level)
        t.titles[static_cast<size_t>(level)] = reg.levelTitles[static_cast<size_t>(level)];
    t.rosterFolder = reg.rosterFolder;
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

QString titleText(const std::optional<LevelTables>& tables, int level)
{
    if (!tables || level < 1 || level > kMaxLevel)
        return QString();
    return spreadsheetText(tables->titles[static_cast<size_t>(level)]);
}

// Grades and names by pupil number, from every record of the roster whatever its status (a
// pupil who has left keeps his name on his old attempts).
class RosterNames {
public:
    // Reads the roster and the school-year start month of the shared data folder; the grade
    // is the one of the given day.
    RosterNames(const QString& rosterFolder, const QDate& day)
    {
        if (rosterFolder.isEmpty())
            return;
        const QString folder = rosterFolder.endsWith(QLatin1Char('/')) ? rosterFolder : rosterFolder + QLatin1Char('/');
        int startMonth = 4;
        if (Result<QString> common = readTextFile(folder + kCommonDataFile); common && !common->isEmpty())
            startMonth = static_cast<int>(leadingNumber(common->section(QLatin1Char(','), 0, 0)));
        schoolYear_ = schoolYearOf(day, startMonth);
        // A line that holds no record is named and left out; the other pupils keep their names.
        const Result<RosterFile> roster = readRosterFile(folder + kRosterFile);
        if (!roster) {
            complain(roster.error().message() + QStringLiteral("（学年と名前は空欄です）"));
            return;
        }
        for (const FileError& bad : roster->badLines())
            complain(bad.message() + QStringLiteral("（この行の生徒の学年と名前は空欄です）"));
        for (const RosterFileLine& l : roster->lines) {
            if (!l.entry)
                continue;
            const RosterRecord& r = l.entry->record;
            auto [at, added] = byNumber_.insert({ r.number, r });
            if (!added && at->second.status != 0 && r.status == 0)
                at->second = r; // a listed record wins over one of a pupil who has left
        }
    }

    QString grade(int pupil) const
    {
        const auto at = byNumber_.find(pupil);
        return at == byNumber_.end() ? QString()
                                     : spreadsheetText(gradeLabel(gradeIndexOf(schoolYear_, at->second.birthYear)));
    }

    QString name(int pupil) const
    {
        const auto at = byNumber_.find(pupil);
        return at == byNumber_.end() ? QString() : spreadsheetText(trimmedFixed(at->second.name));
    }

private:
    std::map<int, RosterRecord> byNumber_;
    int schoolYear_ = 0;
};

int exportFile(const QString& file, bool installation, Output& out)
{
    const QString folder = QFileInfo(file).absolutePath();
    const QDate today = platform::clock().today();
    if (const std::optional<FileError> e = notARegularFile(file)) {
        complain(e->message());
        return 1;
    }
    out.stream();
    tools::OutputRules rules;
    rules.inputs = QStringList { file };
    rules.dataFolders = QStringList { folder };
    if (!installation) {
        const std::optional<LevelTables> tables = levelTablesOf(folder);
        if (tables)
            rules.dataFolders << tables->rosterFolder << reg.soundFolder;
        if (!out.prepare(rules))
            return 1;
        if (!tables)
            complain(folder
                + QStringLiteral(": 設定.txt かタイム回数データ.txt がないため、得点・名前・レベル名は空欄です"));
        const RosterNames roster(tables ? tables->rosterFolder : QString(), today);
        out.line({ QStringLiteral("記録番号"), QStringLiteral("日付"), QStringLiteral("時刻"),
            QStringLiteral("生徒番号"), QStringLiteral("学年"), QStringLiteral("名前"), QStringLiteral("レベル"),
            QStringLiteral("レベル名"), QStringLiteral("成績"), QStringLiteral("得点") });
        std::vector<LoadedResult> records;
        const auto failed = recordfile::forEachBlock(
            file, kResultRecordLength, kExportBlock, [&](const QByteArray& bytes, qint64 first) {
                parseResultRecords(bytes, first, &records);
                for (const LoadedResult& r : records)
                    out.line(
                        { QString::number(r.number), dateText(r.date), timeText(r.time), QString::number(r.pupilNo),
                            roster.grade(r.pupilNo), roster.name(r.pupilNo), QString::number(r.level),
                            titleText(tables, r.level), resultText(r.result), pointsText(tables, r.result, r.level) });
                return true;
            });
        if (failed) {
            complain(failed->path + QStringLiteral(": ") + failed->description);
            return 1;
        }
        return 0;
    }
    if (!out.prepare(rules))
        return 1;
    // The installation-wide file sits in the shared data folder, beside the roster.
    const RosterNames roster(folder, today);
    // Each drill set's folder sits beside the shared folder ("files" layout) or inside it.
    std::map<QString, std::optional<LevelTables>> tablesByProgram;
    out.line({ QStringLiteral("記録番号"), QStringLiteral("プログラム"), QStringLiteral("日付"), QStringLiteral("時刻"),
        QStringLiteral("生徒番号"), QStringLiteral("学年"), QStringLiteral("名前"), QStringLiteral("レベル"),
        QStringLiteral("レベル名"), QStringLiteral("成績"), QStringLiteral("得点") });
    const auto exportInstallationRecord = [&](const InstallationResultRecord& r, int number) {
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
                complain(program + QStringLiteral(": タイム回数データが見つからないため、得点とレベル名は空欄です"));
            tablesByProgram[program] = t;
        }
        const std::optional<LevelTables>& tables = tablesByProgram[program];
        out.line({ QString::number(number), spreadsheetText(program), dateText(r.recordDate), timeText(r.recordTime),
            QString::number(r.pupilNo), roster.grade(r.pupilNo), roster.name(r.pupilNo), QString::number(r.level),
            titleText(tables, r.level), resultText(r.result), pointsText(tables, r.result, r.level) });
    };
    int number = 0;
    const auto failed
        = recordfile::forEachBlock(file, kInstallationRecordLength, kExportBlock, [&](const QByteArray& bytes, qint64) {
              for (qsizetype at = 0; at < bytes.size(); at += kInstallationRecordLength)
                  exportInstallationRecord(InstallationResultRecord::fromBytes(bytes.constData() + at), ++number);
              return true;
          });
    if (failed) {
        complain(failed->path + QStringLiteral(": ") + failed->description);
        return 1;
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

// Loads the drill set's settings and level constants and rebuilds the statistics as the
// program does, as of now or as of the end of a past day. Returns the exit status (0 done)
// and the day in *day.
int loadStatistics(const QString& given, const QString& dateArgument, QDate* day)
{
    const std::optional<QString> folder = drillSetFolder(given);
    if (!folder)
        return 1;
    if (const std::optional<FileError> e = loadSettings(*folder)) {
        complain(e->message());
        return 1;
    }
    setLevelConstants();
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
    *day = platform::fromDayCount(std::floor(asOf)).date();
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
    return 0;
}

// What stats and sheet read: the installation of the drill set as loadStatistics found it.
tools::OutputRules installationRules()
{
    tools::OutputRules rules;
    rules.inputs = QStringList { resultsFilePath() };
    rules.dataFolders = QStringList { reg.programFolder, reg.rosterFolder, reg.soundFolder };
    return rules;
}

int stats(const QString& given, const QString& dateArgument, Output& out)
{
    QDate day;
    if (const int status = loadStatistics(given, dateArgument, &day))
        return status;
    if (!out.prepare(installationRules()))
        return 1;
    std::optional<LevelTables> tables = LevelTables {};
    for (int level = 1; level <= reg.levelCount && level <= kMaxLevel; ++level)
        tables->titles[static_cast<size_t>(level)] = reg.levelTitles[static_cast<size_t>(level)];
    const RosterNames roster(reg.rosterFolder, day);

    std::set<std::pair<int, int>> pairs;
    for (const LoadedResult& r : loadedResults())
        pairs.insert({ r.level, r.pupilNo });
    for (int level = 1; level <= kMaxLevel; ++level)
        for (int pupil = 1; pupil <= kMaxPupil; ++pupil)
            if (reg.bestScore(level, pupil) < kTimeOut)
                pairs.insert({ level, pupil });

    out.line({ QStringLiteral("レベル"), QStringLiteral("レベル名"), QStringLiteral("生徒番号"), QStringLiteral("学年"),
        QStringLiteral("名前"), QStringLiteral("ベスト"), QStringLiteral("総回数"), QStringLiteral("総得点"),
        QStringLiteral("最近回数"), QStringLiteral("最近得点"), QStringLiteral("上限期間回数"),
        QStringLiteral("上限期間得点"), QStringLiteral("今日回数"), QStringLiteral("今日得点") });
    for (const auto& [level, pupil] : pairs) {
        const qint32 best = reg.bestScore(level, pupil);
        out.line({ QString::number(level), titleText(tables, level), QString::number(pupil), roster.grade(pupil),
            roster.name(pupil), best >= kTimeOut ? QString() : QString::number(best),
            QString::number(reg.totalCount(level, pupil)), QString::number(reg.totalPoints(level, pupil)),
            QString::number(reg.recentCount(level, pupil)), QString::number(reg.recentPoints(level, pupil)),
            QString::number(reg.capCount(level, pupil)), QString::number(reg.capPoints(level, pupil)),
            shortestNumber(reg.todayCount(level, pupil)), QString::number(reg.todayPoints(level, pupil)) });
    }
    return 0;
}

// The class sheet as the board prints it: the roster as the start screen reads it, the
// statistics as the board rebuilds them.
int sheet(const QString& given, const QString& dateArgument, const QString& gradeTyped, const QString& pdf, Output& out)
{
    const std::optional<QString> grade = tools::gradeChoiceOf(gradeTyped);
    if (!grade) {
        complain(tools::gradeRefusal(gradeTyped));
        return 2;
    }
    QDate day;
    if (const int status = loadStatistics(given, dateArgument, &day))
        return status;
    Output pdfOut;
    pdfOut.path = pdf;
    if (!(pdf.isEmpty() ? out : pdfOut).prepare(installationRules()))
        return 1;
    RosterProblem problem = RosterProblem::None;
    QList<FileError> leftOut;
    if (const std::optional<FileError> e = readRoster(&problem, &leftOut)) {
        complain(e->message());
        return 1;
    }
    for (const FileError& e : std::as_const(leftOut))
        complain(e.message());
    // The grades of that day, which differ from today's across the start of a school year.
    reg.schoolYear = AnyValue(schoolYearOf(day, static_cast<int>(reg.schoolYearStartMonth.toInteger())));
    const ClassSheet classSheet = ClassSheet::build(*grade, day);
    if (pdf.isEmpty())
        return out.write(classSheet.csv()) ? 0 : 1;
    // Made in memory and then written as every other output (prepare() said above why a file
    // cannot be written, where the PDF writer would only say "QPainter::begin(): Returned
    // false"): a failure leaves no half PDF, and a FIFO without a reader is refused at once
    // instead of waited on.
    const std::optional<QByteArray> document = landscapePdf(
        QStringLiteral("クラス成績表"), [&](QPdfWriter& writer) { return printClassSheet(writer, classSheet); });
    if (!document) {
        complain(pdf + QStringLiteral(": 書き込めません"));
        return 1;
    }
    return pdfOut.writeBytes(*document) ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    platform::writeStandardStreamsAsBytes();
    tools::setMessagePrefix(QStringLiteral("kanameru-results: "));
    // Only the PDF writer needs the fonts of QtGui; it draws on no screen.
    bool wantsPdf = false;
    for (int i = 1; i < argc; ++i)
        wantsPdf = wantsPdf || std::strcmp(argv[i], "--pdf") == 0;
    if (wantsPdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app
        = wantsPdf ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.value(0) == QStringLiteral("events")) {
        Output out; // the CSV or the PDF
        const auto prepare = [&out](const QString& path, bool utf8, const QString& input) {
            out.path = path;
            out.utf8 = utf8;
            tools::OutputRules rules = installationRules();
            rules.inputs << input;
            return out.prepare(rules);
        };
        return eventsCommand(args.mid(1),
            { drillSetFolder, prepare, [&out](const QString& csv) { return out.write(csv); },
                [&out](const QByteArray& pdf) { return out.writeBytes(pdf); }, complain });
    }
    Output out;
    QString date;
    QString grade = QStringLiteral("全学年");
    QString pdf;
    std::optional<bool> installationLayout;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h"))
            return tools::writeOutput(
                       tools::outputBytes(QString::fromUtf8(kHelp), [](const QString& t) { return t.toUtf8(); }))
                ? 0
                : 1;
        const bool takesValue = a == QStringLiteral("--date") || a == QStringLiteral("--output")
            || a == QStringLiteral("-o") || a == QStringLiteral("--csv") || a == QStringLiteral("--pdf")
            || a == QStringLiteral("--grade");
        if (a == QStringLiteral("--utf8")) {
            out.utf8 = true;
        } else if (a == QStringLiteral("--installation")) {
            installationLayout = true;
        } else if (a == QStringLiteral("--program")) {
            installationLayout = false;
        } else if (takesValue && i + 1 < args.size()) {
            const QString value = args.at(++i);
            if (a == QStringLiteral("--date"))
                date = value;
            else if (a == QStringLiteral("--pdf"))
                pdf = value;
            else if (a == QStringLiteral("--grade"))
                grade = value;
            else
                out.path = value;
        } else if (takesValue) {
            complain(a + QStringLiteral(" の後に値がありません（--help で使い方を表示します）"));
            return 2;
        } else if (a.startsWith(QStringLiteral("-"))) {
            complain(a + QStringLiteral(": そのようなオプションはありません（--help で使い方を表示します）"));
            return 2;
        } else {
            positional << a;
        }
    }
    const QStringList commands { QStringLiteral("export"), QStringLiteral("stats"), QStringLiteral("sheet") };
    if (positional.size() != 2 || !commands.contains(positional[0])) {
        complain(QStringLiteral("コマンド（export、stats、sheet）と、ファイルかフォルダを 1 つ指定してください\n")
            + QString::fromUtf8(kHelp));
        return 2;
    }
    const QString& command = positional[0];
    if ((command != QStringLiteral("sheet") && (!pdf.isEmpty() || grade != QStringLiteral("全学年")))
        || (command == QStringLiteral("export") && !date.isEmpty())
        || (command == QStringLiteral("sheet") && !pdf.isEmpty() && !out.path.isEmpty())) {
        complain(QStringLiteral("このコマンドには使えないオプションの組み合わせです（--help で使い方を表示します）"));
        return 2;
    }
    int status;
    if (command == QStringLiteral("export")) {
        const bool installation
            = installationLayout.value_or(QFileInfo(positional[1]).fileName() == installationResultsFileName());
        status = exportFile(positional[1], installation, out);
        if (status != 0)
            return status;
        return out.finishStream() ? 0 : 1;
    } else if (command == QStringLiteral("stats")) {
        status = stats(positional[1], date, out);
    } else {
        return sheet(positional[1], date, grade, pdf, out);
    }
    if (status != 0)
        return status;
    return out.write() ? 0 : 1;
}
