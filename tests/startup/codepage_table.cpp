// Writes the program's reading of every single byte and of every two bytes from 0x80 00 on
// (decodeCp932), and its writing of every character of the basic plane and a few beyond it
// (encodeCp932), one per line. The Linux and the Windows build must write the same file.
#include "startup/textfile.h"

#include <QFile>

namespace {
QByteArray units(const QString& text)
{
    QByteArray out;
    for (const QChar c : text)
        out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0') + ' ';
    return out.trimmed();
}
} // namespace

int main(int argc, char** argv)
{
    QFile out(QString::fromLocal8Bit(argc == 2 ? argv[1] : ""));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 2;
    for (int code = 0; code <= 0xFFFF; ++code) {
        const QByteArray bytes = code <= 0xFF ? QByteArray(1, char(code)) : QByteArray(1, char(code >> 8)) + char(code);
        if (code > 0xFF && code < 0x8000)
            continue;
        const std::optional<QString> text = kanameru::decodeCp932(bytes);
        out.write("D " + bytes.toHex() + ' ' + (text ? units(*text) : "-") + '\n');
    }
    for (char32_t c = 0; c <= 0x20BB7; c = c == 0xD7FF ? 0xE000
             : c == 0xFFFF                             ? 0x1F600
             : c == 0x1F600                            ? 0x20BB7
                                                       : c + 1) {
        const QString text = c > 0xFFFF ? QString::fromUcs4(&c, 1) : QString(QChar(char16_t(c)));
        const std::optional<QByteArray> bytes = kanameru::encodeCp932(text);
        out.write("E " + units(text) + ' ' + (bytes ? bytes->toHex() : "-") + '\n');
    }
    return out.error() == QFileDevice::NoError ? 0 : 1;
}
