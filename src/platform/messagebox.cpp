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

StderrMessageBox stderrBox;
MessageBoxService* current = &stderrBox;

} // namespace

void showMessage(const QString& text, const QString& title, MessageIcon icon)
{
    current->show(text, title, icon);
}

MessageBoxService* setMessageBoxService(MessageBoxService* service)
{
    MessageBoxService* before = current;
    current = service ? service : &stderrBox;
    return before;
}

} // namespace platform
