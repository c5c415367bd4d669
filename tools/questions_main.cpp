// kanameru-questions: prepares and checks the scrambled question file of a drill set.
//   encode CLEAR.csv STORED    writes the stored file from a clear UTF-8 table
//   decode STORED              prints the clear table in UTF-8
//   check STORED --levels N    reports every problem with its line; exit 0 only when sound
#include "drill/questionscheck.h"
#include "drill/questiontable.h"
#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <cstdio>

using namespace kanameru;

namespace {

const char* const kHelp = R"(使い方: kanameru-questions <コマンド> ...

  encode CLEAR.csv STORED [--seed N]
      UTF-8 で書いた問題表 CLEAR.csv（1 行が 1 問、項目はカンマ区切り、引用符なし）を
      ドリルが読む形（行ごとに文字を入れ替え、終わりの印と詰め物を足した Shift-JIS の
      ファイル）にして STORED に書きます。ドリルの問題ファイルの名前は「歴史年2001２vv.ccc」です。
      詰め物は --seed の値（省略時 2001）で決まり、同じ表と同じ値からは同じファイルができます。
      書けない行（終わりの印「／ｅｎｄ／」を含む、項目が 100 を超える、Shift-JIS にない文字、
      1000 行を超える）があれば、その行番号を示して何も書きません。

  decode STORED
      問題ファイルを元の表に戻して UTF-8 で表示します。

  check STORED --levels N
      問題ファイルを調べ、問題のある行を行番号とともにすべて表示します。調べること:
      読めないファイル（ない、1000 行を超える、短すぎる行、終わりの印がない、項目が 100 を
      超える）、項目が 8 個ない行、数字でないレベル、N より大きいレベル、数字で始まらない年、
      年代順でない行、レベル 1..N のどれかで出題できる行が 5 行未満、同じ説明・同じ出来事、
      出来事の名前を含む説明、ラベルに入らない長さ（年 6、出来事 16、説明 36 全角文字分まで）。
      最後にレベルごとの行数を表示します。問題がなければ終了コード 0、あれば 1 です。

  --help
      この説明を表示します。

列の意味: 1 出題される最低のレベル、2 年（先頭の数字が年。紀元前は負の数）、3〜5 と 7 は
自由（時代・世紀・分野など。ドリルは読みません）、6 出来事、8 その説明。
行は年代順に並べてください。終了コード: 0 成功、1 ファイルまたは内容の問題、2 使い方の誤り。
)";

void print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
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

// The clear table: UTF-8, one question per line; a byte order mark is skipped.
Result<QStringList> readClearTable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileError { path, 0, QStringLiteral("ファイルを読めません（%1）。").arg(file.errorString()) };
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder.decode(lines[i]);
        if (decoder.hasError())
            return FileError { path, static_cast<int>(i) + 1,
                QStringLiteral("UTF-8 として読めないバイトがあります。") };
    }
    return splitLines(QString::fromUtf8(bytes));
}

int encode(const QStringList& args)
{
    QStringList rest = args;
    quint32 seed = 2001;
    const qsizetype seedAt = rest.indexOf(QStringLiteral("--seed"));
    if (seedAt >= 0) {
        bool ok = false;
        seed = seedAt + 1 < rest.size() ? rest[seedAt + 1].toUInt(&ok) : 0;
        if (!ok)
            return usageError(QStringLiteral("--seed の後には 0 以上の整数を書いてください。"));
        rest.remove(seedAt, 2);
    }
    if (rest.size() != 2)
        return usageError(QStringLiteral("encode には元の表と書き出すファイルの 2 つを指定してください。"));
    Result<QStringList> clear = readClearTable(rest[0]);
    if (!clear) {
        print(stderr, clear.error().message() + u'\n');
        return 1;
    }
    if (std::optional<FileError> error = writeStoredQuestionFile(rest[1], *clear, rest[0], seed)) {
        print(stderr, error->message() + u'\n');
        return 1;
    }
    return 0;
}

int decode(const QStringList& args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("decode には問題ファイルを 1 つ指定してください。"));
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
    const qsizetype levelsAt = rest.indexOf(QStringLiteral("--levels"));
    bool ok = false;
    const int levels = levelsAt >= 0 && levelsAt + 1 < rest.size() ? rest[levelsAt + 1].toInt(&ok) : 0;
    if (!ok || levels < 1 || levels > kMaxLevel)
        return usageError(QStringLiteral("check には --levels N（1 から %1）を指定してください。").arg(kMaxLevel));
    rest.remove(levelsAt, 2);
    if (rest.size() != 1)
        return usageError(QStringLiteral("check には問題ファイルを 1 つ指定してください。"));
    const QString path = rest[0];
    const QuestionCheck result = checkStoredQuestionFile(path, levels);
    QString text;
    for (const QuestionProblem& problem : result.problems)
        text += problemText(path, problem) + u'\n';
    if (!result.usableAtLevel.empty()) {
        for (int l = 1; l <= levels; ++l)
            text += QStringLiteral("レベル %1: このレベルの行 %2、出題できる行 %3\n")
                        .arg(QString::number(l), QString::number(result.rowsAtLevel[static_cast<size_t>(l)]),
                            QString::number(result.usableAtLevel[static_cast<size_t>(l)]));
    }
    text += result.sound() ? QStringLiteral("問題はありません。\n")
                           : QStringLiteral("問題が %1 件あります。\n").arg(result.problems.size());
    print(result.sound() ? stdout : stderr, text);
    return result.sound() ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
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
