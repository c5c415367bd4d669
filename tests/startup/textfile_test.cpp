#include "fileio/fileio.h"
#include "startup/textfile.h"
#include "support/restore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>

using namespace kanameru;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

TEST(TextFile, RoundTripsCp932SymbolsThatPlainShiftJisLoses)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    const QString text = QStringLiteral("①Ⅰ～ﾚﾍﾞﾙ\n第二行\n");
    ASSERT_FALSE(writeTextFile(path, text).has_value());
    const QByteArray bytes = readBytes(path);
    // ① 8740, Ⅰ 8754, ～ 8160, half-width katakana single bytes, CR LF.
    EXPECT_TRUE(bytes.startsWith(QByteArray::fromHex("874087548160dacdded9")));
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 2);
    Result<QString> back = readTextFile(path);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, QStringLiteral("①Ⅰ～ﾚﾍﾞﾙ\r\n第二行\r\n"));
}

// Microsoft's table of the code page, on Linux (ICU) and Windows (the system's code page 932)
// alike, whatever the Windows user's language: the same bytes give the same characters.
struct CodePageCase {
    const char* bytesHex;
    const char16_t* text;
    const char* writtenHex = nullptr; // what the text is written as, when other bytes than these
};
const CodePageCase codePageCases[] = {
    { "5c7e", u"\\~" }, // ASCII: backslash and tilde, not yen and overline
    { "8160", u"\uFF5E" }, // ～ as the full-width tilde
    { "815f817c", u"\uFF3C\uFF0D" }, // ＼ －
    { "8191", u"\uFFE0" }, // ￠
    { "a5", u"\uFF65" }, // half-width ･
    { "8790", u"\u2252", "81e0" }, // NEC row 13: ≒, written with its JIS code
    { "ed40", u"\u7E8A", "fa5c" }, // NEC-selected IBM extension: 纊, written with the IBM code
    { "fa40", u"\u2170" }, // IBM extension: ⅰ
    // Control codes as they are (IBM's tables swap 0x1A, 0x1C and 0x7F).
    { "1a1c7f", u"\u001A\u001C\u007F" },
    // The single bytes Windows maps although the code page leaves them free.
    { "80a0fdfeff", u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3" },
    { "8180", u"\u00F7" }, // 0x80 and 0xA0 as trail bytes stay two-byte codes
    { "f040f9fc", u"\uE000\uE757" }, // the user-defined area
};

TEST(TextFile, DecodesAndEncodesCp932AsWindowsDoes)
{
    for (const CodePageCase& c : codePageCases) {
        const QByteArray bytes = QByteArray::fromHex(c.bytesHex);
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(decodeCp932(bytes), std::optional<QString>(text)) << c.bytesHex;
        const QByteArray written = c.writtenHex ? QByteArray::fromHex(c.writtenHex) : bytes;
        EXPECT_EQ(encodeCp932(text), std::optional<QByteArray>(written)) << c.bytesHex;
    }
    // A character without its own code is refused, never written as a look-alike ("best fit").
    int line = 0;
    EXPECT_FALSE(encodeCp932(QStringLiteral("ok\ncafé\n"), &line).has_value());
    EXPECT_EQ(line, 2);
    EXPECT_FALSE(encodeCp932(QString(QChar(0xF86F)))) << "a look-alike of № (0x8782)";
}

// A line that does not read is named itself, not the line after it, with a reason in words.
TEST(TextFile, ReportsInvalidBytesWithTheirLine)
{
    const struct {
        QByteArray bytes;
        int line;
        const char* reasonPart;
    } cases[] = {
        { "ok\r\nfine\r\n\x81\x20\xff\r\n", 3, "UTF-8 としても" },
        // UTF-8 cut in a character; the cut line also reads as CP932, the next one does not.
        { "\xE5\xB1\xB1\n\xE4\xBD\n\xE3\x81\x95\xE3\x81\x8F\xE3\x82\x89\n", 2, "UTF-8 として読めません" },
        { "\xEF\xBB\xBF"
          "a\r\n\x8E\x52\x93\x63\r\n",
            2, "BOM 付きの UTF-8" }, // then a CP932 line
        { QByteArray("1,\"a\"\r\n2,\"b\0\"\r\n", 14), 2, "NUL" },
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.txt"));
    for (const auto& c : cases) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.bytes);
        f.close();
        Result<QString> r = readTextFile(path);
        ASSERT_FALSE(r.ok()) << c.bytes.toHex().toStdString();
        EXPECT_EQ(r.error().line, c.line) << c.bytes.toHex().toStdString();
        EXPECT_EQ(r.error().path, path);
        EXPECT_TRUE(r.error().reason.contains(QString::fromUtf8(c.reasonPart))) << r.error().reason.toStdString();
    }
}

// A value quoted in a message stays on one line and shows what cannot be seen.
TEST(TextFile, ShownValuesAreOneLineWithInvisibleCharactersMarked)
{
    EXPECT_EQ(shownValue(QStringLiteral("1\r\n2\n3\r4\t山田\u202E花子")), QStringLiteral("1↵2↵3↵4→山田<U+202E>花子"));
}

// Common names in UTF-8 also pass as CP932 ("山田" as "螻ｱ逕ｰ"): valid UTF-8 is read as UTF-8.
TEST(TextFile, ReadsUtf8ThatAlsoPassesAsCp932AsUtf8)
{
    const QByteArray bytes = QStringLiteral("山田,佐藤,田中\r\n").toUtf8();
    ASSERT_TRUE(decodeCp932(bytes));
    EXPECT_EQ(decodeTextBytes(bytes), QStringLiteral("山田,佐藤,田中\r\n"));
}

TEST(TextFile, ReportsAMissingFile)
{
    Result<QString> r = readTextFile(QStringLiteral("/nonexistent/なし.txt"));
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error().message().contains(QStringLiteral("なし.txt")));
}

// Another program holding the file (on Windows a sharing violation; played here through the
// file layer's open check): the read waits and succeeds once it is freed, and a file held for
// longer is reported with the real reason rather than as missing or unreadable bytes.
TEST(TextFile, AFileHeldByAnotherProgramIsWaitedForThenReportedWithTheReason)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("生徒用名簿.txt"));
    ASSERT_FALSE(writeTextFile(path, QStringLiteral("名簿\n")).has_value());
    int refused = 0;
    int refusals = 2;
    const auto restore = testing_support::installHook(fileio::setOpenCheckForTests,
        [&](const fileio::Path&, fileio::File::Mode) { return refused < refusals ? (++refused, ETXTBSY) : 0; });
    const Result<QString> freed = readTextFile(path);
    EXPECT_EQ(refused, 2);
    ASSERT_TRUE(freed.ok()) << freed.error().message().toStdString();
    EXPECT_EQ(*freed, QStringLiteral("名簿\r\n"));

    refused = 0;
    refusals = 1000;
    const Result<QString> held = readTextFile(path);
    EXPECT_EQ(refused, 5);
    ASSERT_FALSE(held.ok());
    EXPECT_TRUE(held.error().reason.contains(QStringLiteral("ほかのプログラムがファイルを開いています")))
        << held.error().message().toStdString();
}

TEST(TextFile, RefusesToWriteACharacterTheCodePageCannotHoldAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    ASSERT_FALSE(writeTextFile(path, QStringLiteral("old\n")).has_value());
    std::optional<FileError> e = writeTextFile(path, QStringLiteral("a\n\U0001F600\n"));
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->line, 2);
    EXPECT_EQ(readBytes(path), QByteArray("old\r\n"));
}

struct FixedCase {
    const char* in;
    const char* out;
};

TEST(FixedText, CutsOrPadsToTwentyCharactersCountedInCharacters)
{
    const FixedCase cases[] = {
        { "山田　太郎", "山田　太郎               " },
        { "abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrst" },
        { "ﾔﾏﾀﾞ太郎abc", "ﾔﾏﾀﾞ太郎abc           " },
        { "", "                    " },
    };
    for (const FixedCase& c : cases) {
        const QString fixed = fixedText(QString::fromUtf8(c.in));
        EXPECT_EQ(fixed.size(), 20);
        EXPECT_EQ(fixed, QString::fromUtf8(c.out));
    }
    EXPECT_EQ(trimmedFixed(QStringLiteral("　山田 太郎　  ")), QStringLiteral("山田 太郎"));
}

} // namespace

#ifndef Q_OS_WIN
#include "support/filesizelimit.h"

namespace {

// A file size limit stops the new file part way, as a full disk would: the write must be
// reported as failed and the old file must stay whole.
TEST(TextFile, AWriteStoppedPartWayIsAFailureAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("生徒用名簿.txt"));
    ASSERT_FALSE(writeTextFile(path, QStringLiteral("古い名簿\n")).has_value());
    const QByteArray before = readBytes(path);
    std::optional<FileError> error;
    {
        testing_support::FileSizeLimit limit(100);
        KANAMERU_GTEST_NEEDS_SIZE_LIMIT(limit);
        error = writeTextFile(path, QString(200, QLatin1Char('x')) + QLatin1Char('\n'));
    }
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->path, path);
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file is left behind";
}

} // namespace
#endif
