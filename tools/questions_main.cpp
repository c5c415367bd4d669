// kanameru-questions: prepares and checks the scrambled question file of a drill set.
//   encode CLEAR.csv STORED    checks a clear table (UTF-8 or CP932) and writes the stored file
//   decode STORED              prints the clear table in UTF-8
//   check STORED --levels N    reports every problem with its line; exit 0 only when sound
#include "drill/questionscheck.h"
#include "drill/questiontable.h"
#include "platform/terminal.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"
#include "toolsupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <map>
#include <optional>

using namespace kanameru;

namespace {

const char* const kHelp = R"(使い方: kanameru-questions <コマンド> ...

  encode CLEAR.csv STORED [--levels N] [--force] [--seed N] [--all-warnings]
      問題表 CLEAR.csv（1 行が 1 つの出来事、項目はカンマ区切り）を、ドリルが読む形
      （行ごとに文字を入れ替え、終わりの印と詰め物を足した Shift-JIS のファイル）にして
      STORED に書きます。ドリルの問題ファイルの名前は「歴史年2001２vv.ccc」です。
      表は UTF-8（BOM があってもなくても）でも、表計算ソフトが「CSV（コンマ区切り）」で
      保存した Shift-JIS（CP932）でもかまいません。バイトを見て自動で読み分けます。
      表計算ソフトのように項目を「"」で囲んでもかまいません。囲んだ項目の中の半角の
      「,」と、「""」と 2 つ重ねた「"」は、問題ファイルでは全角の「，」「＂」になります。
      書く前に check と同じことをすべて調べ、問題があればその行番号をすべて示して何も書き
      ません（終了コード 1）。--force を付けると、問題があっても書きます（ただし、終わりの印を
      含む行、項目が 100 を超える行、Shift-JIS にない文字のある行、1000 行を超える表、
      数字でないレベルのある表、いちばん高いレベルでも出題できる行が 5 行に満たない表は、
      ドリルが使えないので書きません）。--levels はドリルのレベルの数です（省略時は表の中で
      いちばん高いレベル）。詰め物は --seed の値（省略時 2001）で決まり、同じ表と同じ値からは
      同じファイルができます。問題と警告の出し方は check と同じです。

  decode STORED
      問題ファイルを元の表に戻して UTF-8（改行は LF）で表示します。

  check STORED --levels N [--all-warnings]
      問題ファイルを調べ、問題のある行を行番号とともにすべて表示します。調べること:
      読めないファイル（ない、1000 行を超える、短すぎる行、終わりの印がない、項目が 100 を
      超える）、項目が 8 個ない行、数字でないレベル、N より大きいレベル、数字で始まらない年、
      年代順でない行、レベル 1..N のどれかで出題できる行が 5 行未満、同じ説明・同じ出来事、
      出来事の名前を含む説明、ラベルに入らない長さ（年 7、出来事 16、説明 36 全角文字分まで）、
      「"」で囲まれていない項目の中の半角の「"」。
      警告として、同じ年の出来事の順番が、並べるときに生徒に見えるもの（出来事と説明。年は
      判定の後にしか見えないので数えません）からわからない行と、終わりの印まで 99 文字を
      超えて後ろがそのまま読める行を示します。同じ年の出来事の順番がわかるのは、出来事か
      説明に日付（「9月」「9月15日」「九月十五日」。「五・一五事件」のような出来事の名前も）が
      あって日付の順に並んでいるときか、説明が同じ年のほかの出来事の名前を「〇〇の後」
      「〇〇の直後」「〇〇を受けて」「〇〇の直前」のように書いているときです。
      問題をすべて先に、警告をその後に示します。同じ種類の警告が 4 件以上あるときは最初の
      3 件だけを示し、残りは行番号をまとめて示します（--all-warnings ですべて示します）。
      警告は終了コードを変えません。最後にレベルごとの行数を表示します。問題がなければ
      終了コード 0、あれば 1 です。

  --help
      この説明を表示します。

列の意味: 1 出題される最低のレベル、2 年（先頭の半角の数字が年。紀元前 57 年は「-57」。
判定の後にそのまま表示されるので「1600年9月15日」のように日付を続けてもかまいませんが、
並べるときには見えません）、3〜5 と 7 は自由（時代・世紀・分野など。ドリルは読みません）、
6 出来事、8 その説明（6 と 8 は並べるときに見えるので、同じ年の出来事の日付「九月」や
「〇〇の後」はここに書きます）。
行は年代順に並べてください。
終了コード: 0 成功、1 ファイルまたは内容の問題、2 使い方の誤り。
)";

// Text for the standard output or error: on a terminal in its encoding, else in UTF-8.
void print(FILE* stream, const QString& text)
{
    if (text.isEmpty())
        return;
    if (stream == stdout)
        tools::writeOutput(tools::outputBytes(text, [](const QString& t) { return t.toUtf8(); }));
    else
        tools::printError(text);
}

// What a command reads, for the checks of where it writes: the stored question file is the one
// data file encode may write.
tools::OutputRules rulesFor(const QString& input, const QString& output = QString())
{
    tools::OutputRules rules;
    rules.inputs = QStringList { input };
    rules.dataFolders = tools::installationFolders(QFileInfo(input).absolutePath());
    if (!output.isEmpty())
        rules.dataFolders << tools::installationFolders(QFileInfo(output).absolutePath());
    rules.allowedDataName = storedQuestionFileName(questionFileName());
    return rules;
}

// False (with the message printed) when the standard output is a file the command reads or a
// data file.
bool standardOutputAllowed(const QString& input)
{
    const std::optional<QString> refusal = tools::checkStandardOutput(rulesFor(input));
    if (refusal)
        print(stderr, *refusal);
    return !refusal;
}

int usageError(const QString& text)
{
    print(stderr, text + QStringLiteral("\n「kanameru-questions --help」で使い方を表示します。\n"));
    return 2;
}

QString problemText(const QString& path, const QuestionProblem& problem)
{
    return FileError { path, problem.line, problem.reason }.message();
}

// The clear table, UTF-8 or CP932 as its bytes show, read as a spreadsheet's CSV: a regular
// file of a question file's size at most (a FIFO or a device given by mistake is refused at
// once, not waited on).
Result<ClearCsv> readClearTable(const QString& path)
{
    Result<QString> text = readTextFile(path, kQuestionFileLimit);
    if (!text)
        return text.error();
    return readClearCsv(*text);
}

// Problems and warnings of a check, each with its file and line: every problem first, then
// the warnings, of which a long run of one kind (a bank of thousands of rows may give a
// thousand) is cut to its first few and a line naming the others.
QString checkText(const QString& path, const QuestionCheck& result, bool allWarnings)
{
    constexpr int kShownOfAKind = 3;
    constexpr size_t kLinesNamed = 20;
    QString text;
    for (const QuestionProblem& problem : result.problems)
        text += problemText(path, problem) + u'\n';
    std::map<WarningKind, int> shown;
    std::map<WarningKind, std::vector<int>> more;
    for (const QuestionProblem& warning : result.warnings) {
        if (allWarnings || warning.kind == WarningKind::Other || shown[warning.kind]++ < kShownOfAKind)
            text += QStringLiteral("警告: ") + problemText(path, warning) + u'\n';
        else
            more[warning.kind].push_back(warning.line);
    }
    for (const auto& [kind, lines] : more) {
        QStringList named;
        for (size_t i = 0; i < lines.size() && i < kLinesNamed; ++i)
            named << QString::number(lines[i]);
        const QString what = kind == WarningKind::SameYear ? QStringLiteral("同じ年の出来事の順番")
            : kind == WarningKind::LongLine                ? QStringLiteral("長い行")
                                                           : QStringLiteral("全角にした「,」「\"」");
        text
            += QStringLiteral("警告: %1: %2の警告がほかに %3 件あります（%4%5 行目）。すべて表示するには "
                              "--all-warnings を付けてください。\n")
                   .arg(path, what)
                   .arg(lines.size())
                   .arg(named.join(QStringLiteral("・")), lines.size() > kLinesNamed ? QStringLiteral("…") : QString());
    }
    return text;
}

// Takes "--name VALUE" out of the arguments; nullopt when absent, an empty text when the value
// is missing.
std::optional<QString> takeOption(QStringList& args, const QString& name)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return std::nullopt;
    const QString value = at + 1 < args.size() ? args[at + 1] : QString();
    args.remove(at, at + 1 < args.size() ? 2 : 1);
    return value;
}

int encode(const QStringList& args)
{
    QStringList rest = args;
    quint32 seed = 2001;
    if (std::optional<QString> seedText = takeOption(rest, QStringLiteral("--seed"))) {
        bool ok = false;
        seed = seedText->toUInt(&ok);
        if (!ok)
            return usageError(QStringLiteral("--seed の後には 0 以上の整数を書いてください。"));
    }
    int levels = 0;
    if (std::optional<QString> levelsText = takeOption(rest, QStringLiteral("--levels"))) {
        bool ok = false;
        levels = levelsText->toInt(&ok);
        if (!ok || levels < 1 || levels > kMaxLevel)
            return usageError(QStringLiteral("--levels の後には 1 から %1 の数を書いてください。").arg(kMaxLevel));
    }
    const bool force = rest.removeAll(QStringLiteral("--force")) > 0;
    const bool allWarnings = rest.removeAll(QStringLiteral("--all-warnings")) > 0;
    if (rest.size() != 2)
        return usageError(QStringLiteral("encode には元の表と書き出すファイルの 2 つを指定してください。"));
    const tools::OutputTarget target = tools::checkOutput(rest[1], rulesFor(rest[0], rest[1]));
    if (target.refused()) {
        print(stderr, target.refusal);
        return 1;
    }
    Result<ClearCsv> clear = readClearTable(rest[0]);
    if (!clear) {
        print(stderr, clear.error().message() + u'\n');
        return 1;
    }
    const int drillLevels = levels > 0 ? levels : highestLevelOf(*clear);
    const QuestionCheck result = checkClearTable(*clear, drillLevels);
    print(stderr, checkText(rest[0], result, allWarnings));
    if (!result.sound() && !force) {
        print(stderr,
            QStringLiteral("問題が %1 件あるため、%2 には何も書きませんでした。直してからもう一度実行するか、"
                           "--force を付けてください。\n")
                .arg(result.problems.size())
                .arg(rest[1]));
        return 1;
    }
    if (std::optional<QuestionProblem> unusable = unusableBank(*clear, result, drillLevels)) {
        print(stderr,
            problemText(rest[0], *unusable)
                + QStringLiteral(
                    "\nドリルが使えないファイルになるため、--force を付けても %1 には何も書きませんでした。\n")
                      .arg(rest[1]));
        return 1;
    }
    if (std::optional<FileError> error = writeStoredQuestionFile(target.path, clear->clearLines(), rest[0], seed)) {
        print(stderr, error->message() + QStringLiteral("\n何も書きませんでした。\n"));
        return 1;
    }
    if (!result.sound())
        print(stderr,
            QStringLiteral("問題が %1 件ありますが、--force の指定で書きました。\n").arg(result.problems.size()));
    return 0;
}

int decode(const QStringList& args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("decode には問題ファイルを 1 つ指定してください。"));
    if (!standardOutputAllowed(args[0]))
        return 1;
    Result<ClearQuestionTable> table = readStoredQuestionFile(args[0]);
    if (!table) {
        print(stderr, table.error().message() + u'\n');
        return 1;
    }
    QString text;
    for (const QStringList& fields : table->lines)
        text += fields.join(QLatin1Char(',')) + u'\n';
    print(stdout, text);
    return 0;
}

int check(const QStringList& args)
{
    QStringList rest = args;
    const bool allWarnings = rest.removeAll(QStringLiteral("--all-warnings")) > 0;
    const qsizetype levelsAt = rest.indexOf(QStringLiteral("--levels"));
    bool ok = false;
    const int levels = levelsAt >= 0 && levelsAt + 1 < rest.size() ? rest[levelsAt + 1].toInt(&ok) : 0;
    if (!ok || levels < 1 || levels > kMaxLevel)
        return usageError(QStringLiteral("check には --levels N（1 から %1）を指定してください。").arg(kMaxLevel));
    rest.remove(levelsAt, 2);
    if (rest.size() != 1)
        return usageError(QStringLiteral("check には問題ファイルを 1 つ指定してください。"));
    const QString path = rest[0];
    if (!standardOutputAllowed(path))
        return 1;
    const QuestionCheck result = checkStoredQuestionFile(path, levels);
    QString text = checkText(path, result, allWarnings);
    if (!result.usableAtLevel.empty()) {
        for (int l = 1; l <= levels; ++l)
            text += QStringLiteral("レベル %1: このレベルの行 %2、出題できる行 %3\n")
                        .arg(QString::number(l), QString::number(result.rowsAtLevel[static_cast<size_t>(l)]),
                            QString::number(result.usableAtLevel[static_cast<size_t>(l)]));
    }
    text += result.sound() ? QStringLiteral("問題はありません。")
                           : QStringLiteral("問題が %1 件あります。").arg(result.problems.size());
    if (!result.warnings.empty())
        text += QStringLiteral("警告が %1 件あります。").arg(result.warnings.size());
    text += u'\n';
    print(result.sound() ? stdout : stderr, text);
    return result.sound() ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    platform::writeStandardStreamsAsBytes();
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usageError(QStringLiteral("コマンドがありません。"));
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        print(stdout, QString::fromUtf8(kHelp));
        return 0;
    }
    if (command == QLatin1String("encode"))
        return encode(args);
    if (command == QLatin1String("decode"))
        return decode(args);
    if (command == QLatin1String("check"))
        return check(args);
    return usageError(QStringLiteral("コマンド「%1」はありません。").arg(kanameru::shownValue(command)));
}
