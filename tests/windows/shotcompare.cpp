// Compares two screenshots of the same screen drawn by two builds of the program (Linux and
// Windows under Wine): each is cut to the part that is not the black of the empty X screen,
// scaled down to a coarse grid, and the mean difference of the cells is printed. Fonts are
// drawn differently on the two systems, so only the layout and the colours are compared.
//   shotcompare A.png B.png MAX_DIFFERENCE   (exit 0 when the difference is at most MAX)
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

QRect contentBox(const QImage& shot)
{
    int left = shot.width(), top = shot.height(), right = -1, bottom = -1;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) > 8) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: shotcompare A.png B.png MAX_DIFFERENCE\n");
        return 2;
    }
    const QImage a(QString::fromLocal8Bit(argv[1]));
    const QImage b(QString::fromLocal8Bit(argv[2]));
    if (a.isNull() || b.isNull()) {
        std::fprintf(stderr, "shotcompare: cannot read the pictures\n");
        return 2;
    }
    const QRect boxA = contentBox(a.convertToFormat(QImage::Format_RGB32));
    const QRect boxB = contentBox(b.convertToFormat(QImage::Format_RGB32));
    if (boxA.isEmpty() || boxB.isEmpty()) {
        std::printf("an empty screen\n");
        return 1;
    }
    const QImage ca = a.copy(boxA).scaled(64, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage cb = b.copy(boxB).scaled(64, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    for (int y = 0; y < ca.height(); ++y)
        for (int x = 0; x < ca.width(); ++x) {
            const QRgb p = ca.pixel(x, y);
            const QRgb q = cb.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    const double difference = sum / (3.0 * ca.width() * ca.height());
    std::printf("windows %dx%d and %dx%d, mean difference %.1f of 255\n", boxA.width(), boxA.height(), boxB.width(),
        boxB.height(), difference);
    const bool sameSize = std::abs(boxA.width() - boxB.width()) <= boxA.width() / 25
        && std::abs(boxA.height() - boxB.height()) <= boxA.height() / 25;
    return sameSize && difference <= std::atof(argv[3]) ? 0 : 1;
}
