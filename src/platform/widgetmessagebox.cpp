#include "platform/widgetmessagebox.h"

#include <QMessageBox>
#include <QPointer>

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

QString boxTitle(const QString& title)
{
    // The title is the caller's caption exactly; a message without one carries the program's name.
    return title.isEmpty() ? QStringLiteral("カナメル") : title;
}

// A box without a modal loop: the program runs on and closes it when it is done. OK closes it
// earlier; the box deletes itself once closed, outside its own handlers.
class WidgetNotice : public Notice {
public:
    WidgetNotice(const QString& text, const QString& title, MessageIcon icon)
        : box_(new QMessageBox(boxIcon(icon), boxTitle(title), text, QMessageBox::Ok))
    {
        box_->setTextFormat(Qt::PlainText);
        box_->setAttribute(Qt::WA_DeleteOnClose);
        box_->setWindowModality(Qt::NonModal);
        box_->setObjectName(QStringLiteral("notice"));
        box_->show();
    }
    ~WidgetNotice() override
    {
        if (box_)
            box_->close();
    }
    bool shown() const override { return box_ && box_->isVisible(); }
    void setText(const QString& text) override
    {
        if (box_)
            box_->setText(text);
    }

private:
    QPointer<QMessageBox> box_;
};

} // namespace

std::unique_ptr<Notice> WidgetMessageBox::openNotice(const QString& text, const QString& title, MessageIcon icon)
{
    return std::make_unique<WidgetNotice>(text, title, icon);
}

void WidgetMessageBox::show(const QString& text, const QString& title, MessageIcon icon)
{
    QMessageBox box(boxIcon(icon), boxTitle(title), text, QMessageBox::Ok);
    // Messages quote names, paths and values from files: shown as written, never as HTML.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace platform
