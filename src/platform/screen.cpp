#include "platform/screen.h"

#include <QPalette>
#include <QWidget>

namespace platform {

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

void placeTwips(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
}

QFont captionFont(double pointSize, bool bold)
{
    QFont f(QStringLiteral("Noto Sans CJK JP"));
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont listFont(double pointSize)
{
    QFont f(QStringLiteral("Noto Sans Mono CJK JP"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSizeF(pointSize);
    return f;
}

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Button, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void setForeground(QWidget* widget, const QColor& colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    p.setColor(QPalette::ButtonText, colour);
    widget->setPalette(p);
}

QString controlName(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name), QString::number(index));
}

} // namespace platform
