#include "endscreen/basefrm.h"

#include "endscreen/background.h"
#include "platform/events.h"
#include "platform/formhost.h"
#include "platform/screen.h"
#include "startup/hensuu1.h"

#include <QLabel>
#include <QPointer>

namespace kanameru {

namespace {
QPointer<BASEFRM> openBackdrop;
}

BASEFRM::BASEFRM(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("BASEFRM"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(reg.drillSetTitle);
    setFixedSize(1024, 768);
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(endScreenBackground());
    picture->setGeometry(0, 0, 1024, 768);

    auto* label = new QLabel(QStringLiteral("Just a moment, please."), this);
    label->setObjectName(QStringLiteral("Label19"));
    label->setAlignment(Qt::AlignCenter);
    label->setFont(platform::captionFont(26, true));
    platform::setForeground(label, platform::rgb(0x23395b));
    label->setGeometry(endScreenCard().left(), 300, endScreenCard().width(), 80);
}

void BASEFRM::Form_Load()
{
    platform::letEventsRun();
}

BASEFRM* BASEFRM::open()
{
    // A backdrop lies beneath the forms: the drill form's "時間切れ" or "成績記録中" stays in
    // sight, and the backdrop shows only in the moment between one form closing and the next
    // opening.
    if (openBackdrop) {
        openBackdrop->show();
        platform::windowOf(openBackdrop)->lower();
        return openBackdrop;
    }
    auto* form = new BASEFRM();
    openBackdrop = form;
    platform::fitForm(form);
    form->show();
    platform::windowOf(form)->lower();
    form->Form_Load();
    // Letting events run may already have closed it again.
    return openBackdrop;
}

void BASEFRM::closeBackdrop()
{
    if (openBackdrop)
        openBackdrop->close();
    openBackdrop = nullptr;
}

BASEFRM* BASEFRM::current()
{
    return openBackdrop;
}

} // namespace kanameru
