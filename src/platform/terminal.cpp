#include "platform/terminal.h"

#include <QStringEncoder>
#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace platform {

void writeStandardStreamsAsBytes()
{
#ifdef Q_OS_WIN
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

bool standardOutputIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stdout)) != 0;
#else
    return ::isatty(STDOUT_FILENO) == 1;
#endif
}

bool standardErrorIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) == 1;
#endif
}

namespace {
// The character set the locale names: "ja_JP.eucJP" gives "eucJP"; empty for none.
QByteArray localeCharacterSet()
{
    for (const char* name : { "LC_ALL", "LC_CTYPE", "LANG" }) {
        const QByteArray value = qgetenv(name);
        if (value.isEmpty())
            continue;
        const qsizetype dot = value.indexOf('.');
        if (dot < 0)
            return {};
        const qsizetype at = value.indexOf('@', dot);
        return value.mid(dot + 1, at < 0 ? -1 : at - dot - 1);
    }
    return {};
}
} // namespace

QByteArray terminalBytes(const QString& text)
{
#ifdef Q_OS_WIN
    // A console shows its output code page; chcp 65001 makes it UTF-8. Any other is the
    // system's code page on a Japanese Windows (932).
    QStringEncoder encoder(GetConsoleOutputCP() == CP_UTF8 ? QStringConverter::Utf8 : QStringConverter::System);
    return encoder.encode(text);
#else
    const QByteArray set = localeCharacterSet();
    if (!set.isEmpty() && set.toLower() != "utf-8" && set.toLower() != "utf8") {
        QStringEncoder encoder(set.constData());
        if (encoder.isValid())
            return encoder.encode(text);
    }
    return text.toUtf8();
#endif
}

} // namespace platform
