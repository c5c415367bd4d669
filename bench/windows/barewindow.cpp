// A bare Qt Widgets window, built for Windows the same way as the program: the yardstick of
// the start-up benchmark under Wine (bench/windows_startup.sh).
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("カナメル"));
    window.setWindowTitle(QStringLiteral("kanameru-barewindow"));
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
