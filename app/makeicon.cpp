// Writes the program's icon: kanameru-makeicon OUT.png [SIZE] for the desktop entry, or
// kanameru-makeicon OUT.ico for the Windows executable (16 to SIZE pixels in one file).
#include "appicon.h"

#include <QBuffer>
#include <QFile>
#include <QList>
#include <QString>
#include <QtEndian>
#include <cstdio>

namespace {

// An icon file of PNG images (Windows Vista and later read PNG inside .ico).
bool writeIco(const QString& path, int largest)
{
    QList<QByteArray> images;
    QList<int> sizes;
    for (const int size : { 16, 24, 32, 48, 64, 128, 256 }) {
        if (size > largest)
            break;
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !kanameru::drawAppIcon(size).save(&buffer, "PNG"))
            return false;
        images.append(png);
        sizes.append(size);
    }
    QByteArray ico;
    auto put16 = [&ico](quint16 v) { ico.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 2); };
    auto put32 = [&ico](quint32 v) { ico.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 4); };
    put16(0); // reserved
    put16(1); // an icon
    put16(static_cast<quint16>(images.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (int i = 0; i < images.size(); ++i) {
        const char side = static_cast<char>(sizes[i] >= 256 ? 0 : sizes[i]); // 0 means 256
        ico.append(side);
        ico.append(side);
        ico.append('\0'); // no palette
        ico.append('\0');
        put16(1); // colour planes
        put16(32); // bits per pixel
        put32(static_cast<quint32>(images[i].size()));
        put32(offset);
        offset += static_cast<quint32>(images[i].size());
    }
    for (const QByteArray& png : images)
        ico.append(png);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(ico) == ico.size() && file.flush();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: kanameru-makeicon OUT.png|OUT.ico [SIZE]\n");
        return 2;
    }
    const int size = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 256;
    const QString out = QString::fromLocal8Bit(argv[1]);
    const bool ico = out.endsWith(QLatin1String(".ico"), Qt::CaseInsensitive);
    if (size < 16 || size > (ico ? 256 : 1024)
        || !(ico ? writeIco(out, size) : kanameru::drawAppIcon(size).save(out, "PNG"))) {
        std::fprintf(stderr, "kanameru-makeicon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
