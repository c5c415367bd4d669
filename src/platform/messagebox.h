#pragma once
#include <QString>

namespace platform {

// The picture beside a message. Most messages report a file or device that failed, so a
// warning is the default; a message after which the program ends carries the error icon.
enum class MessageIcon { None, Information, Warning, Error };

// Message boxes with an OK button. Core code calls showMessage(); the program installs a
// service that shows a real box, tests install one that records the text and answers at once.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual void show(const QString& text, const QString& title, MessageIcon icon) = 0;
};

// Shows a message and returns when it has been answered.
void showMessage(const QString& text, const QString& title = QString(), MessageIcon icon = MessageIcon::Warning);

// Installs a service (nullptr restores the default, which writes to standard error).
// Returns the service that was installed before.
MessageBoxService* setMessageBoxService(MessageBoxService* service);

} // namespace platform
