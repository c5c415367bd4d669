#include "drill/questiontable.h"

#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <algorithm>
#include <random>

namespace kanameru {

// Digits 3..200 of each key name the exchanges; the rest of the digits only hide them.
const char swapKeyA[] = "516685681553960940035152206735923584896544909355731306015147361259538748986567519502173219"
                        "859918371046825203765796231837033384600320119581861674309975192195795854583880805970992560"
                        "696328448922768450370978018507312714701762485082066499124808043358459860906786113922362842"
                        "395308944416649739184430752253057578384364103827065327508241171538627270233563960807795499"
                        "694053400256360609122548020278745399";
const char swapKeyB[] = "882684916405844556641086974350748895391583422267392575631078717834417728449307327229435204"
                        "056912144062607157611133930873024164531127787549451008940237330524909327710255156586495284"
                        "311187385285756061647435334048974420420801410635979138079094489121125288000653309749534315"
                        "515073068676523982664770122518077211136403322981921895223971316286712379489598409015456020"
                        "060542961753009783102907347880786244";

static_assert(sizeof(swapKeyA) == 397 && sizeof(swapKeyB) == 397, "each key has 396 digits");

std::array<SwapPair, kSwapCount + 1> swapTableFrom(const char* keyA, const char* keyB)
{
    std::array<SwapPair, kSwapCount + 1> table {};
    auto pairAt = [](const char* key, int k) { return (key[2 * k] - '0') * 10 + (key[2 * k + 1] - '0'); };
    for (int k = 1; k <= kSwapCount; ++k)
        table[k] = SwapPair { pairAt(keyA, k), pairAt(keyB, k) };
    return table;
}

const std::array<SwapPair, kSwapCount + 1>& swapTable()
{
    static const std::array<SwapPair, kSwapCount + 1> table = swapTableFrom(swapKeyA, swapKeyB);
    return table;
}

int requiredStoredLength()
{
    static const int length = [] {
        int largest = 0;
        for (int j = 1; j <= kSwapCount; ++j)
            largest = std::max({ largest, swapTable()[j].a, swapTable()[j].b });
        return largest;
    }();
    return length;
}

QString storedQuestionFileName(const QString& fileName)
{
    // The name is cut at the first "." of its file name. A "." in a folder name (a school's
    // shared drive may well have one) must not cut the path, or the file would never be found.
    const qsizetype nameStart
        = qMax(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'), nameStart);
    return (dot < 0 ? fileName : fileName.left(dot)) + QStringLiteral("vv.ccc");
}

namespace {

// Applies the exchanges j = first, first + step, ... to a line at least requiredStoredLength() long.
void exchangeAll(QString& line, int first, int step)
{
    QChar* chars = line.data(); // one detach for all 99 exchanges
    const auto& table = swapTable();
    for (int j = first; j >= 1 && j <= kSwapCount; j += step)
        std::swap(chars[table[j].a - 1], chars[table[j].b - 1]);
}
} // namespace

QString scrambleLine(const QString& clear, const QString& filler)
{
    QString line = clear + questionEndMarker() + filler;
    const QString padding = filler.isEmpty() ? QStringLiteral("＃") : filler;
    while (line.size() < requiredStoredLength())
        line += padding;
    exchangeAll(line, 1, +1);
    return line;
}

std::optional<QString> descrambleLine(const QString& stored)
{
    if (stored.size() < requiredStoredLength())
        return std::nullopt;
    QString line = stored;
    exchangeAll(line, kSwapCount, -1);
    return line;
}

std::optional<QString> clearTextOf(const QString& descrambled)
{
    const qsizetype marker = descrambled.indexOf(questionEndMarker());
    if (marker < 0)
        return std::nullopt;
    return descrambled.left(marker);
}

std::optional<QString> clearLineProblem(const QString& clear)
{
    if (clear.contains(QLatin1Char('\r')) || clear.contains(QLatin1Char('\n')))
        return QStringLiteral("行の中に改行があります。");
    if (clear.contains(questionEndMarker()))
        return QStringLiteral("終わりの印「%1」を含んでいます。").arg(questionEndMarker());
    if ((clear + questionEndMarker()).indexOf(questionEndMarker()) != clear.size())
        return QStringLiteral("行の終わりが終わりの印「%1」の前半とつながり、印が早く見つかってしまいます。")
            .arg(questionEndMarker());
    const qsizetype fields = clear.count(QLatin1Char(',')) + 1;
    if (fields > kMaxQuestionColumns)
        return QStringLiteral("項目が %1 個あります（%2 個まで）。")
            .arg(QString::number(fields), QString::number(kMaxQuestionColumns));
    // Positions count characters: the code page holds no character outside the basic plane,
    // so a character that would take two positions of a QString is refused here. A character
    // must also read back as itself, or the explanation would no longer match its event.
    auto readsBack = [](const QString& text) {
        const std::optional<QByteArray> bytes = encodeCp932(text);
        return bytes && decodeCp932(*bytes) == text;
    };
    if (readsBack(clear))
        return std::nullopt;
    for (qsizetype i = 0; i < clear.size(); ++i) {
        const bool pair = clear[i].isHighSurrogate() && i + 1 < clear.size();
        const QString character = clear.mid(i, pair ? 2 : 1);
        if (pair || !readsBack(character))
            return QStringLiteral("%1 文字目の %2 は Shift-JIS（CP932）で書けません。")
                .arg(QString::number(i + 1), shownCharacter(character));
    }
    return QStringLiteral("Shift-JIS（CP932）で書くと元の文字に戻りません。");
}

namespace {

// The stored lines descrambled in place, and the length of the clear text of each.
struct DescrambledFile {
    QStringList lines;
    std::vector<qsizetype> clearLength;
    QStringView clear(qsizetype r) const { return QStringView(lines[r]).left(clearLength[static_cast<size_t>(r)]); }
};

Result<DescrambledFile> descrambleFile(const QString& storedPath)
{
    Result<QString> text = readTextFile(storedPath, kQuestionFileLimit);
    if (!text)
        return text.error();
    DescrambledFile file { splitLines(*text), {} };
    if (file.lines.size() > kMaxQuestionLines)
        return FileError { storedPath, kMaxQuestionLines + 1,
            QStringLiteral("問題ファイルは %1 行までです（%2 行あります）。")
                .arg(QString::number(kMaxQuestionLines), QString::number(file.lines.size())) };
    const QString marker = questionEndMarker();
    file.clearLength.reserve(static_cast<size_t>(file.lines.size()));
    for (int r = 0; r < file.lines.size(); ++r) {
        const int lineNo = r + 1;
        QString& line = file.lines[r];
        if (line.size() < requiredStoredLength())
            return FileError { storedPath, lineNo,
                QStringLiteral("行が短すぎます（%1 文字。少なくとも %2 文字必要です）。")
                    .arg(QString::number(line.size()), QString::number(requiredStoredLength())) };
        exchangeAll(line, kSwapCount, -1);
        const qsizetype end = line.indexOf(marker);
        if (end < 0)
            return FileError { storedPath, lineNo,
                QStringLiteral("元に戻した行に終わりの印「%1」がありません（別の鍵で書かれたか、"
                               "壊れたファイルです）。")
                    .arg(marker) };
        const qsizetype fieldCount = QStringView(line).left(end).count(u',') + 1;
        if (fieldCount > kMaxQuestionColumns)
            return FileError { storedPath, lineNo,
                QStringLiteral("項目が %1 個あります（%2 個まで）。")
                    .arg(QString::number(fieldCount), QString::number(kMaxQuestionColumns)) };
        file.clearLength.push_back(end);
    }
    return file;
}

} // namespace

Result<ClearQuestionTable> readStoredQuestionFile(const QString& storedPath)
{
    Result<DescrambledFile> file = descrambleFile(storedPath);
    if (!file)
        return file.error();
    ClearQuestionTable table;
    table.lines.reserve(static_cast<size_t>(file->lines.size()));
    for (qsizetype r = 0; r < file->lines.size(); ++r) {
        QStringList fields;
        for (const QStringView field : file->clear(r).tokenize(u','))
            fields.append(field.toString());
        table.lines.push_back(std::move(fields));
    }
    return table;
}

std::optional<FileError> loadQuestionTable(const QString& fileName)
{
    const QString storedPath = storedQuestionFileName(fileName);
    Result<DescrambledFile> file = descrambleFile(storedPath);
    if (!file)
        return file.error();
    // The whole file is read and checked before the register changes, so a failed load leaves
    // the table of the last good load as it was.
    int row = 0;
    int columns = 0;
    for (qsizetype r = 0; r < file->lines.size(); ++r) {
        ++row;
        columns = 0;
        for (const QStringView field : file->clear(r).tokenize(u','))
            reg.questionTable(row, ++columns).setUnicode(field.data(), field.size()); // reuses the cell's buffer
    }
    reg.questionRowCount = static_cast<qint16>(row);
    reg.questionColumnCount = static_cast<qint16>(columns);
    return std::nullopt;
}

QString makeFiller(int length, quint32 seed)
{
    static const QString alphabet
        = QStringLiteral(",,,,,,、。・「」（）ー々〇ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnpqrstuvwxyz0123456789"
                         "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
                         "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン"
                         "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄ年月日天皇将軍幕府朝廷戦乱条約改革政治外交文化時代元号寺院城国民法令"
                         "，．！？＃＆＊＋＝＠０１２３４５６７８９ＡＢＣＤＥＦ");
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(alphabet.size()) - 1);
    QString filler;
    filler.reserve(std::max(length, 0));
    for (int i = 0; i < length; ++i)
        filler += alphabet[pick(rng)];
    return filler;
}

std::optional<FileError> writeStoredQuestionFile(
    const QString& storedPath, const QStringList& clearLines, const QString& clearName, quint32 fillerSeed)
{
    if (clearLines.size() > kMaxQuestionLines)
        return FileError { clearName, kMaxQuestionLines + 1,
            QStringLiteral("問題ファイルは %1 行までです（%2 行あります）。")
                .arg(QString::number(kMaxQuestionLines), QString::number(clearLines.size())) };
    std::mt19937 rng(fillerSeed);
    QString text;
    for (int i = 0; i < clearLines.size(); ++i) {
        const QString& clear = clearLines[i];
        if (std::optional<QString> problem = clearLineProblem(clear))
            return FileError { clearName, i + 1, *problem };
        const int shortBy = requiredStoredLength() - static_cast<int>(clear.size() + questionEndMarker().size());
        const int fillerLength = std::max(shortBy, 0) + static_cast<int>(rng() % 8) + 1;
        const QString stored = scrambleLine(clear, makeFiller(fillerLength, static_cast<quint32>(rng())));
        // Never write a line that would not read back as it was given.
        std::optional<QString> back = descrambleLine(stored);
        if (!back || clearTextOf(*back) != clear)
            return FileError { clearName, i + 1, QStringLiteral("この行は元どおりに読み戻せません。") };
        text += stored;
        text += QLatin1String("\r\n");
    }
    return writeTextFile(storedPath, text);
}

} // namespace kanameru
