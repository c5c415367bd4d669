#include "platform/codepage.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QStringDecoder>
#include <QStringEncoder>
#endif

namespace platform {

#ifdef Q_OS_WIN
namespace {
constexpr UINT kCp932 = 932;
}

std::optional<QString> fromCp932(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    const int length = static_cast<int>(bytes.size());
    const int wide = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (wide <= 0)
        return std::nullopt;
    QString text(wide, Qt::Uninitialized);
    if (MultiByteToWideChar(
            kCp932, MB_ERR_INVALID_CHARS, bytes.data(), length, reinterpret_cast<wchar_t*>(text.data()), wide)
        != wide)
        return std::nullopt;
    return text;
}

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
namespace {
constexpr const char* kCodePage = "Windows-31J";
}

std::optional<QString> fromCp932(QByteArrayView bytes)
{
    QStringDecoder decoder(kCodePage, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QByteArray> toCp932(QStringView text)
{
    QStringEncoder encoder(kCodePage, QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}
#endif

} // namespace platform
