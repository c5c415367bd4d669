#pragma once
#include <QString>

namespace platform {

// Message boxes with an OK button. Core code calls showMessage(); the program installs a
// service that shows a real box, tests install one that records the text and answers at once.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual void show(const QString& text, const QString& title) = 0;
};

// Shows a message and returns when it has been answered.
void showMessage(const QString& text, const QString& title = QString());

// Installs a service (nullptr restores the default, which writes to standard error).
// Returns the service that was installed before.
MessageBoxService* setMessageBoxService(MessageBoxService* service);

} // namespace platform
