#include "platform/application.h"

#include <QEvent>
#include <QWidget>
#include <utility>

namespace platform {

namespace {
bool isWindow(QObject* object)
{
    return object->isWidgetType() && static_cast<QWidget*>(object)->isWindow();
}
} // namespace

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
#ifndef Q_OS_WIN
    // Qt also looks for its plugins beside the program. On Linux they come with the system's Qt
    // and never lie in the installation folder, which is on the school's network share, where
    // every look is a round trip. (The Windows program keeps its plugins beside it.)
    QStringList folders = libraryPaths();
    folders.removeAll(applicationDirPath());
    setLibraryPaths(folders);
#endif
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    if (event->type() == QEvent::DeferredDelete && depth_ > 0 && isWindow(receiver)) {
        if (!held_.contains(receiver))
            held_.append(receiver);
        return true;
    }
    struct Depth {
        int& depth;
        explicit Depth(int& d)
            : depth(++d)
        {
        }
        ~Depth() { --depth; }
    };
    bool done = false;
    {
        const Depth counted(depth_);
        done = QApplication::notify(receiver, event);
    }
    if (depth_ == 0 && !held_.isEmpty()) {
        // Asked for again from here: the event loop (or the test that sent the event) deletes
        // them next, with nothing of theirs on the stack.
        const QList<QPointer<QObject>> held = std::exchange(held_, {});
        for (const QPointer<QObject>& object : held) {
            if (object)
                object->deleteLater();
        }
    }
    return done;
}

} // namespace platform
