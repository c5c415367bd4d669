#include "platform/messagebox.h"

#include <cstdio>

namespace platform {
namespace {

class StderrMessageBox : public MessageBoxService {
public:
    void show(const QString& text, const QString& title, MessageIcon) override
    {
        std::fprintf(stderr, "%s%s%s\n", qPrintable(title), title.isEmpty() ? "" : ": ", qPrintable(text));
    }
};

// A notice that was answered as soon as it was shown.
class AnsweredNotice : public Notice {
public:
    bool shown() const override { return false; }
    void setText(const QString&) override { }
};

StderrMessageBox stderrBox;
MessageBoxService* current = &stderrBox;

} // namespace

void showMessage(const QString& text, const QString& title, MessageIcon icon)
{
    current->show(text, title, icon);
}

std::unique_ptr<Notice> MessageBoxService::openNotice(const QString& text, const QString& title, MessageIcon icon)
{
    show(text, title, icon);
    return std::make_unique<AnsweredNotice>();
}

std::unique_ptr<Notice> showNotice(const QString& text, const QString& title, MessageIcon icon)
{
    return current->openNotice(text, title, icon);
}

MessageBoxService* setMessageBoxService(MessageBoxService* service)
{
    MessageBoxService* before = current;
    current = service ? service : &stderrBox;
    return before;
}

} // namespace platform
