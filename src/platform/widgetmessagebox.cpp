#include "platform/widgetmessagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

void WidgetMessageBox::show(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? QApplication::applicationDisplayName() : title, text,
                    QMessageBox::Ok);
    box.exec();
}

} // namespace platform
