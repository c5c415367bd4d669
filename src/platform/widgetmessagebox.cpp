#include "platform/widgetmessagebox.h"

#include <QMessageBox>

namespace platform {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void WidgetMessageBox::show(const QString& text, const QString& title, MessageIcon icon)
{
    // The title is the caller's caption exactly; a message without one carries the program's name.
    QMessageBox box(boxIcon(icon), title.isEmpty() ? QStringLiteral("カナメル") : title, text, QMessageBox::Ok);
    // Messages quote names, paths and values from files: shown as written, never as HTML.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace platform
