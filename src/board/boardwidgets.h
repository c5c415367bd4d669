#pragma once
// Small helpers of the board's screen code: captioned labels and buttons in the board's fonts,
// and the usual colours for controls standing on the coloured form.
#include "platform/screen.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace kanameru::boardwidgets {

inline QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, double pointSize,
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(platform::captionFont(pointSize));
    label->setAlignment(align);
    return label;
}

inline QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text, double pointSize)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setFont(platform::captionFont(pointSize));
    return button;
}

// Buttons, lists and boxes keep the usual colours; the form's colour is only its background.
inline void keepUsualColours(QWidget* widget)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, platform::rgb(0xF0F0F0));
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Button, platform::rgb(0xF0F0F0));
    p.setColor(QPalette::ButtonText, Qt::black);
    widget->setPalette(p);
}

} // namespace kanameru::boardwidgets
