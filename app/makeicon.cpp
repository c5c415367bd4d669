// Writes the program's icon as a PNG for the desktop entry: kanameru-makeicon OUT.png [SIZE]
#include "appicon.h"

#include <QString>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: kanameru-makeicon OUT.png [SIZE]\n");
        return 2;
    }
    const int size = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 256;
    if (size < 16 || size > 1024 || !kanameru::drawAppIcon(size).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "kanameru-makeicon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
