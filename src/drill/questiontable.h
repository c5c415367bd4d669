#pragma once
// The question file: a comma-separated table of historical events, stored scrambled so that it
// cannot be read or edited as a plain list. Every stored line is a permutation of the characters
// of "clear line + end marker + filler", made by exchanging pairs of positions named by two
// digit keys compiled into the program; the reader undoes the exchanges in reverse order.
#include "startup/fileerror.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace kanameru {

// The drill's question file as the drill form names it; the stored file is
// storedQuestionFileName() of this name, that is "歴史年2001２vv.ccc" in the program folder.
inline QString questionFileName()
{
    return QStringLiteral("歴史年2001２.csv");
}

// The marker that ends the clear text of a stored line; everything after it is filler.
inline QString questionEndMarker()
{
    return QStringLiteral("／ｅｎｄ／");
}

constexpr int kMaxQuestionLines = 1000; // rows 1..1000 of the question table
constexpr int kMaxQuestionColumns = 100; // columns 1..100 of the question table
constexpr int kSwapCount = 99; // exchanges j = 1..99

// The two 396-digit keys. Digits 2k+1 and 2k+2 (1-based) of each key form the k-th position
// of an exchange; exchanges j = 1..99 use digits 3..200.
extern const char swapKeyA[];
extern const char swapKeyB[];

// One exchange: the 1-based character positions a and b of a stored line.
struct SwapPair {
    int a = 0;
    int b = 0;
};

// The exchanges of the compiled keys, index 1..99 (index 0 is unused).
const std::array<SwapPair, kSwapCount + 1>& swapTable();
// Builds the exchanges from any pair of keys (for tests and for checking keys).
std::array<SwapPair, kSwapCount + 1> swapTableFrom(const char* keyA, const char* keyB);
// The largest position the keys name: every stored line must be at least this long.
int requiredStoredLength();

// The name of the stored file: the given name cut before the first "." of its file name
// (a "." in a folder name does not count) followed by "vv.ccc".
QString storedQuestionFileName(const QString& fileName);

// Scrambles one clear line: clear + end marker + filler, the filler added again while the line
// is shorter than requiredStoredLength() (an empty filler pads with "＃"), then the exchanges
// j = 1..99 in ascending order.
QString scrambleLine(const QString& clear, const QString& filler);

// Undoes scrambleLine: the exchanges j = 99 down to 1. Returns nullopt when the line is shorter
// than a position it would have to exchange. The result still holds the marker and the filler.
std::optional<QString> descrambleLine(const QString& stored);

// The clear text of a descrambled line: everything before the first end marker, or nullopt
// when the line holds none.
std::optional<QString> clearTextOf(const QString& descrambled);

// Why a clear line cannot be stored so that it reads back unchanged, or nullopt when it can:
// it contains the marker, it ends so that the marker would be found too early, it holds a line
// break, it has more than 100 fields or a character the Japanese code page cannot hold.
std::optional<QString> clearLineProblem(const QString& clear);

// The clear table of a stored question file: one entry per stored line, its fields split at
// commas (no quoting: a field cannot hold a comma). Line n of the file is lines[n - 1].
struct ClearQuestionTable {
    std::vector<QStringList> lines;
};

// Reads and descrambles a stored file (the exact path, no name rule applied). Fails with the
// file, the line and the reason: missing or unreadable file, bytes that are not Japanese
// code page text, more than 1000 lines, a line shorter than an exchanged position, a line
// without the end marker, more than 100 fields.
Result<ClearQuestionTable> readStoredQuestionFile(const QString& storedPath);

// Loads the question file for the drill: reads storedQuestionFileName(fileName) and fills
// reg.questionTable(row, column) for rows 1..lines and columns 1..fields of each line,
// reg.questionRowCount (lines read) and reg.questionColumnCount (fields of the last line).
// Cells no line fills keep their text. On failure nothing of the register is changed and the
// error names the stored file, the line (0 when none applies) and the reason.
std::optional<FileError> loadQuestionTable(const QString& fileName);

// Writes a stored question file from clear lines (fields joined by commas). Each line gets its
// own filler from `fillerSeed` (the same seed gives the same file). Fails, naming `clearName`
// and the 1-based line, when a line cannot be stored (clearLineProblem) or there are more than
// 1000 lines; nothing is written then.
std::optional<FileError> writeStoredQuestionFile(
    const QString& storedPath, const QStringList& clearLines, const QString& clearName, quint32 fillerSeed = 2001);

// A filler of `length` characters mixing kanji, kana, letters, digits, punctuation and commas,
// all held by the Japanese code page; the same seed gives the same filler.
QString makeFiller(int length, quint32 seed);

} // namespace kanameru
