#include "roster/versionbox.h"

#include "platform/formhost.h"
#include "platform/screen.h"
#include "startup/hensuu1.h"

#include <QLabel>
#include <QPushButton>

#ifndef KANAMERU_VERSION
#define KANAMERU_VERSION "0.0.0"
#endif

namespace kanameru {

VersionBox::VersionBox(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("VersionBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(360, 200);

    Label1 = new QLabel(reg.drillSetTitle, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(platform::captionFont(20, true));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(10, 20, 340, 50);

    Label2 = new QLabel(versionText(), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(platform::captionFont(12));
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setGeometry(10, 80, 340, 34);

    Command1 = new QPushButton(QStringLiteral("O.K."), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setFont(platform::captionFont(11));
    Command1->setGeometry(130, 135, 100, 40);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
    platform::prepareControls(this);
    // The box opens with the keyboard, and its frame, on "O.K.".
    Command1->setFocus();
}

QString VersionBox::versionText()
{
    return QStringLiteral("Version") + QStringLiteral(KANAMERU_VERSION);
}

void VersionBox::showCentredOn(QWidget* owner)
{
    // A window of its own (a child of a form drawn by its host would be drawn inside that host,
    // with a title bar of the toolkit's own), drawn at the forms' scale.
    VersionBox box;
    platform::fitForm(&box);
    QWidget* window = platform::windowOf(&box);
    if (owner) {
        const QWidget* ownerWindow = platform::windowOf(owner->window());
        const QRect frame = ownerWindow->frameGeometry();
        window->move(frame.x() + (ownerWindow->width() - window->width()) / 2,
            frame.y() + (ownerWindow->height() - window->height()) / 2);
    }
    box.exec();
}

} // namespace kanameru
