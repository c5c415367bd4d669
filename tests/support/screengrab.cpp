// Takes a picture of the whole X screen after a delay, as another program looking at the screen
// would: screengrab DELAY_MS OUT.png. Used by the tests that check what is on the screen while
// the program holds its thread for a sound.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3)
        return 2;
    QThread::msleep(QString::fromLocal8Bit(argv[1]).toULong());
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    return shot.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
