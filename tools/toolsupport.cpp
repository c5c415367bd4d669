#include "toolsupport.h"

#include "board/grades.h"
#include "drill/questiontable.h"
#include "fileio/fileio.h"
#include "platform/nativepath.h"
#include "platform/terminal.h"
#include "results/results.h"
#include "review/eventrecord.h"
#include "roster/rosterfile.h"
#include "sound/sound.h"
#include "startup/hensuu1.h"
#include "startup/settings.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace kanameru::tools {

using platform::nativePath;
using platform::qtPath;

QStringList dataFileNames()
{
    return { kRosterFile, kRosterTempFile, kSettingsFile, kCommonDataFile, kLevelFile,
        storedQuestionFileName(questionFileName()), resultsFileName(), installationResultsFileName(), kSoundMapFile,
        review::eventsFileName() };
}

QStringList installationFolders(const QString& folder)
{
    if (!QFileInfo::exists(QDir(folder).filePath(kSettingsFile)) || loadSettings(QDir::cleanPath(folder)))
        return { folder };
    return { folder, reg.programFolder, reg.rosterFolder, reg.soundFolder };
}

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool isName(const QString& name, const QString& of)
{
    return name.compare(of, Qt::CaseInsensitive) == 0;
}

// The data files that exist in the installation's folders, the allowed name left out.
QStringList dataFilesOf(const OutputRules& rules)
{
    QStringList files;
    for (const QString& folder : rules.dataFolders)
        for (const QString& name : dataFileNames())
            if (!isName(name, rules.allowedDataName) && QFileInfo::exists(QDir(folder).filePath(name)))
                files << QDir(folder).filePath(name);
    return files;
}

// Why an output that `isOutput` recognises must not be written: it is an input or a data file.
std::optional<QString> sameFileAs(const OutputRules& rules, const std::function<bool(const QString&)>& isOutput)
{
    for (const QString& input : rules.inputs)
        if (isOutput(input))
            return QStringLiteral("読み込むファイル %1 と同じファイルです。書き込むと元のデータが失われます")
                .arg(shown(input));
    for (const QString& data : dataFilesOf(rules))
        if (isOutput(data))
            return QStringLiteral("カナメルのデータファイル %1 と同じファイルです").arg(shown(data));
    return std::nullopt;
}

// Why the file at `target` (links followed) cannot be written, in words a teacher understands.
std::optional<QString> whyNotWritable(const QString& target)
{
    const QFileInfo file(target);
    const QFileInfo folder(file.absolutePath());
    if (file.isDir())
        return QStringLiteral("同じ名前のフォルダがあります");
    if (!folder.isDir())
        return QStringLiteral("フォルダ %1 がありません").arg(shown(folder.filePath()));
    if (!file.exists())
        return folder.isWritable()
            ? std::nullopt
            : std::optional(QStringLiteral("フォルダ %1 に書き込む許可がありません").arg(shown(folder.filePath())));
    switch (fileio::mayReplace(nativePath(target))) {
    case 0:
        return std::nullopt;
    case EPERM:
        return QStringLiteral(
            "ほかの利用者のファイルで、置き換えると持ち主が変わってしまいます。元のファイルはそのままです");
    case EROFS:
        return QStringLiteral("読み取り専用のディスクです");
    default:
        return QStringLiteral("ファイルに書き込む許可がありません");
    }
}

} // namespace

OutputTarget checkOutput(const QString& output, const OutputRules& rules)
{
    OutputTarget out;
    const auto refuse = [&](const QString& why) {
        out.refusal = QStringLiteral("%1: 書き込みません（%2）").arg(shown(output), why);
        return out;
    };
    fileio::Path final;
    switch (const int e = fileio::followLinks(nativePath(output), &final)) {
    case 0:
        break;
    case ENOENT:
        return refuse(QStringLiteral("シンボリックリンクの先 %1 がありません。リンクをファイルで置き換えることも、"
                                     "リンクの先を作ることもしません")
                          .arg(shown(qtPath(final))));
    case ELOOP:
        return refuse(QStringLiteral("シンボリックリンクが循環しているか、多すぎます"));
    default:
        return refuse(QString::fromStdString(fileio::errorText(e)));
    }
    out.path = qtPath(final);
    const QString name = QFileInfo(out.path).fileName();
    if (std::optional<QString> why = sameFileAs(
            rules, [&](const QString& file) { return fileio::sameFile(nativePath(out.path), nativePath(file)); }))
        return refuse(*why);
    if (rules.refuseDataNames && !isName(name, rules.allowedDataName))
        for (const QString& data : dataFileNames())
            if (isName(name, data) || isName(QFileInfo(output).fileName(), data))
                return refuse(
                    QStringLiteral("%1 はカナメルのデータファイルの名前です。ツールはデータファイルに書き込みません")
                        .arg(data));
    if (std::optional<QString> why = whyNotWritable(out.path))
        return refuse(*why);
    return out;
}

std::optional<QString> checkStandardOutput(const OutputRules& rules)
{
    const std::optional<QString> why
        = sameFileAs(rules, [](const QString& file) { return fileio::standardOutputIsFile(nativePath(file)); });
    if (!why)
        return std::nullopt;
    return QStringLiteral("標準出力（> や >> の先）に書き込みません（%1）").arg(*why);
}

// ---- Grade labels -------------------------------------------------------------------------------

namespace {

// Full-width digits and signs as their half-width forms.
QString halfWidth(const QString& text)
{
    QString out = text.trimmed();
    for (QChar& c : out) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(u'0' + (c.unicode() - 0xFF10));
        else if (c == QChar(u'＋'))
            c = QChar(u'+');
        else if (c == QChar(u'－') || c == QChar(u'−') || c == QChar(u'ー'))
            c = QChar(u'-');
    }
    return out;
}

// The board's choice for one grade: its label with full-width digits and signs.
QString fullWidth(const QString& label)
{
    QString out = label;
    for (QChar& c : out) {
        if (c.isDigit() && c.unicode() < 0x80)
            c = QChar(0xFF10 + (c.unicode() - u'0'));
        else if (c == QChar(u'+'))
            c = QChar(u'＋');
        else if (c == QChar(u'-'))
            c = QChar(u'－');
    }
    return out;
}

constexpr int kFirstGrade = -3; // 幼-
constexpr int kLastGrade = 13; // 大+

} // namespace

std::optional<QString> gradeChoiceOf(const QString& typed)
{
    const QString half = halfWidth(typed);
    for (const QString& choice : gradeChoices())
        if (halfWidth(choice) == half)
            return choice;
    for (int grade = kFirstGrade; grade <= kLastGrade; ++grade) {
        const QString label = gradeLabel(grade);
        if (half == label || (grade >= 1 && grade <= 9 && typed.trimmed() == gradeSymbol(grade)))
            return fullWidth(label);
    }
    return std::nullopt;
}

QString gradeRefusal(const QString& typed)
{
    QStringList labels;
    for (const QString& choice : gradeChoices())
        if (choice.size() > 2)
            labels << choice;
    for (int grade = kLastGrade; grade >= kFirstGrade; --grade)
        labels << gradeLabel(grade);
    return QStringLiteral("%1: 学年は次のどれかで指定してください（数字と＋－は全角でも半角でもかまいません）: %2")
        .arg(typed, labels.join(QStringLiteral("、")));
}

// ---- What the tools print -----------------------------------------------------------------------

QByteArray outputBytes(const QString& text, const std::function<QByteArray(const QString&)>& forFiles)
{
    return platform::standardOutputIsTerminal() ? platform::terminalBytes(text) : forFiles(text);
}

bool writeOutput(const QByteArray& bytes)
{
    const int e = fileio::writeStandardOutput(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    if (e == 0)
        return true;
    printError(e == EPIPE
            ? QStringLiteral("出力を読む側（パイプの先のプログラム）が途中で閉じたため、最後まで書き出せませんでした")
            : QStringLiteral("標準出力に書き込めません（%1）").arg(QString::fromStdString(fileio::errorText(e))));
    return false;
}

namespace {
QString& messagePrefix()
{
    static QString prefix;
    return prefix;
}
} // namespace

void setMessagePrefix(const QString& prefix)
{
    messagePrefix() = prefix;
}

void printError(const QString& text)
{
    QString line = messagePrefix() + text;
    if (!line.endsWith(u'\n'))
        line += u'\n';
    const QByteArray bytes = platform::standardErrorIsTerminal() ? platform::terminalBytes(line) : line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace kanameru::tools
