#pragma once
#include <QString>
#include <memory>

namespace platform {

// The picture beside a message. Most messages report a file or device that failed, so a
// warning is the default; a message after which the program ends carries the error icon.
enum class MessageIcon { None, Information, Warning, Error };

// A notice that stays on the screen while the program works on: the program changes its text
// and closes it; the person may close it earlier with its OK button.
class Notice {
public:
    virtual ~Notice() = default; // closes it
    // Whether it is still on the screen.
    virtual bool shown() const = 0;
    virtual void setText(const QString& text) = 0;
};

// Message boxes with an OK button. Core code calls showMessage(); the program installs a
// service that shows a real box, tests install one that records the text and answers at once.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual void show(const QString& text, const QString& title, MessageIcon icon) = 0;
    // Opens a notice and returns at once. By default the text goes to show() (a box answered at
    // once in the tests) and the notice returned is no longer shown.
    virtual std::unique_ptr<Notice> openNotice(const QString& text, const QString& title, MessageIcon icon);
};

// Shows a message and returns when it has been answered.
void showMessage(const QString& text, const QString& title = QString(), MessageIcon icon = MessageIcon::Warning);

// Shows a notice and returns at once, without waiting for an answer.
std::unique_ptr<Notice> showNotice(
    const QString& text, const QString& title = QString(), MessageIcon icon = MessageIcon::Information);

// Installs a service (nullptr restores the default, which writes to standard error).
// Returns the service that was installed before.
MessageBoxService* setMessageBoxService(MessageBoxService* service);

} // namespace platform
