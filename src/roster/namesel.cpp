#include "roster/namesel.h"

#include "platform/screen.h"
#include "startup/hensuu1.h"

namespace kanameru {

namesel::namesel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("namesel"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(reg.drillSetTitle);
    setFixedSize(1024, 768);
    platform::setBackground(this, platform::rgb(reg.formBackColour));
}

namesel* namesel::open()
{
    auto* form = new namesel();
    form->show();
    return form;
}

} // namespace kanameru
