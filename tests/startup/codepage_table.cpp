// Writes the program's reading and writing of the whole Japanese code page into a file: every
// single byte and every two-byte sequence that starts above 0x7F as decodeCp932 reads it, and
// every character of the basic plane (and a few beyond it) as encodeCp932 writes it. The
// Linux and the Windows build must write the same file (tests/windows).
#include "startup/textfile.h"

#include <QFile>
#include <QString>
#include <cstdio>

namespace {

QByteArray hex(QByteArrayView bytes)
{
    return bytes.toByteArray().toHex();
}

QByteArray units(const QString& text)
{
    QByteArray out;
    for (const QChar c : text)
        out += QByteArray::number(c.unicode(), 16).rightJustified(4, '0') + ' ';
    return out.trimmed();
}

void decoded(QFile& out, QByteArrayView bytes)
{
    const std::optional<QString> text = kanameru::decodeCp932(bytes.toByteArray());
    out.write("D " + hex(bytes) + " " + (text ? units(*text) : QByteArray("-")) + "\n");
}

void encoded(QFile& out, const QString& text)
{
    const std::optional<QByteArray> bytes = kanameru::encodeCp932(text);
    out.write("E " + units(text) + " " + (bytes ? hex(*bytes) : QByteArray("-")) + "\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: codepage_table OUTPUT\n");
        return 2;
    }
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    for (int byte = 0; byte <= 0xFF; ++byte) {
        const char single = static_cast<char>(byte);
        decoded(out, QByteArrayView(&single, 1));
    }
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const char pair[2] = { static_cast<char>(lead), static_cast<char>(trail) };
            decoded(out, QByteArrayView(pair, 2));
        }
    }
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (c < 0xD800 || c > 0xDFFF)
            encoded(out, QString(QChar(static_cast<char16_t>(c))));
    }
    for (const char32_t c : { 0x10000U, 0x1F600U, 0x20BB7U, 0x2A6B2U, 0x10FFFFU })
        encoded(out, QString::fromUcs4(&c, 1));
    return out.error() == QFileDevice::NoError ? 0 : 1;
}
