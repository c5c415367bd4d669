#pragma once
// The program's application object. Screens hand over to each other from inside their own
// event handlers, and those handlers let window events run (while a file is retried, a sound
// plays, a message box waits). A window closed there (WA_DeleteOnClose, deleteLater) would be
// deleted by the first of those inner event runs, while its own handler, or the scene of the
// host that draws it, is still delivering the event below on the stack. This object holds
// such a deletion back: a window (a form, its host, a box) is deleted only once no event at
// all is being delivered, that is, back in the event loop or in the code that sent the event.
#include <QApplication>
#include <QList>
#include <QPointer>

namespace platform {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    int depth_ = 0; // events being delivered (0 in the event loop itself)
    QList<QPointer<QObject>> held_;
};

} // namespace platform
