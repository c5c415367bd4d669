#include "platform/codepage.h"

#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QStringDecoder>
#include <QStringEncoder>
#endif

namespace platform {

namespace {

// Single bytes that are converted here rather than by the system's converter, as Windows' code
// page 932 converts them. On Linux ICU's "Windows-31J" is IBM's table: it swaps the control
// codes 0x1A, 0x1C and 0x7F (as IBM's PC code pages do) and leaves 0x80, 0xA0 and 0xFD-0xFF
// undefined. Windows maps 0xA0 and 0xFD-0xFF to U+F8F0-U+F8F3, which Wine's tables leave
// undefined, so the Windows program converts them here too and reads the same under Wine. The
// rest of the table (every double-byte code, NEC's and IBM's extensions, the user-defined
// area, 0x5C and 0x7E) agrees on all three.
constexpr char16_t kNoSingleByte = 0xFFFF;
char16_t windowsSingleByte(unsigned char byte)
{
    switch (byte) {
    case 0x1A:
    case 0x1C:
    case 0x7F:
    case 0x80:
        return byte;
    case 0xA0:
        return 0xF8F0;
    case 0xFD:
    case 0xFE:
    case 0xFF:
        return static_cast<char16_t>(0xF8F1 + (byte - 0xFD));
    default:
        return kNoSingleByte;
    }
}

bool isLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

#ifdef Q_OS_WIN
constexpr UINT kCp932 = 932;

bool decodeRun(QByteArrayView bytes, QString* out)
{
    if (bytes.isEmpty())
        return true;
    const int length = static_cast<int>(bytes.size());
    const int wide = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (wide <= 0)
        return false;
    QString text(wide, Qt::Uninitialized);
    if (MultiByteToWideChar(
            kCp932, MB_ERR_INVALID_CHARS, bytes.data(), length, reinterpret_cast<wchar_t*>(text.data()), wide)
        != wide)
        return false;
    *out += text;
    return true;
}
#else
constexpr const char* kCodePage = "Windows-31J";

int windowsByteOf(char16_t c)
{
    switch (c) {
    case 0x1A:
    case 0x1C:
    case 0x7F:
    case 0x80:
        return c;
    case 0xF8F0:
        return 0xA0;
    case 0xF8F1:
    case 0xF8F2:
    case 0xF8F3:
        return 0xFD + (c - 0xF8F1);
    default:
        return -1;
    }
}

bool decodeRun(QByteArrayView bytes, QString* out)
{
    if (bytes.isEmpty())
        return true;
    QStringDecoder decoder(kCodePage, QStringDecoder::Flag::Stateless);
    *out += decoder.decode(bytes);
    return !decoder.hasError();
}

bool encodeRun(QStringView text, QByteArray* out)
{
    if (text.isEmpty())
        return true;
    QStringEncoder encoder(kCodePage, QStringEncoder::Flag::Stateless);
    *out += encoder.encode(text);
    return !encoder.hasError();
}
#endif

} // namespace

std::optional<QString> fromCp932(QByteArrayView bytes)
{
    QString text;
    qsizetype run = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (isLeadByte(byte)) {
            i += 2; // a trail byte is never one of the single bytes converted here
            continue;
        }
        const char16_t single = windowsSingleByte(byte);
        if (single == kNoSingleByte) {
            ++i;
            continue;
        }
        if (!decodeRun(bytes.sliced(run, i - run), &text))
            return std::nullopt;
        text += QChar(single);
        run = ++i;
    }
    if (!decodeRun(bytes.sliced(run), &text))
        return std::nullopt;
    return text;
}

#ifdef Q_OS_WIN
std::optional<QByteArray> toCp932(QStringView text)
{
    if (text.isEmpty())
        return QByteArray();
    const auto* utf16 = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = static_cast<int>(text.size());
    BOOL lost = FALSE;
    // No "best fit": a character without its own code is refused, never written as a look-alike.
    const int size = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, utf16, length, nullptr, 0, nullptr, &lost);
    if (size <= 0 || lost)
        return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    if (WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, utf16, length, bytes.data(), size, nullptr, &lost) != size
        || lost)
        return std::nullopt;
    return bytes;
}
#else
std::optional<QByteArray> toCp932(QStringView text)
{
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int single = windowsByteOf(text[i].unicode());
        if (single < 0)
            continue;
        if (!encodeRun(text.sliced(run, i - run), &bytes))
            return std::nullopt;
        bytes += static_cast<char>(single);
        run = i + 1;
    }
    if (!encodeRun(text.sliced(run), &bytes))
        return std::nullopt;
    // ICU also writes a few characters through a look-alike's code (U+F86F as "№"), which
    // Windows refuses: only what reads back as the same text is written.
    if (fromCp932(bytes) != text)
        return std::nullopt;
    return bytes;
}
#endif

bool cp932Holds(char32_t character)
{
    // Every character of the code page, found once by reading each of its codes.
    static const std::vector<bool> held = [] {
        std::vector<bool> set(0x10000, false);
        auto add = [&set](QByteArrayView code) {
            if (const std::optional<QString> text = fromCp932(code); text && text->size() == 1)
                set[text->front().unicode()] = true;
        };
        for (int byte = 0; byte <= 0xFF; ++byte) {
            const char single = static_cast<char>(byte);
            add(QByteArrayView(&single, 1));
            for (int trail = 0x40; isLeadByte(static_cast<unsigned char>(byte)) && trail <= 0xFC; ++trail) {
                const char pair[2] = { single, static_cast<char>(trail) };
                add(QByteArrayView(pair, 2));
            }
        }
        return set;
    }();
    return character < held.size() && held[character];
}

} // namespace platform
