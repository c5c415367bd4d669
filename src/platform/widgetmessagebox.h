#pragma once
#include "platform/messagebox.h"

namespace platform {

// Shows messages in a modal box with an OK button (installed by the program at start).
class WidgetMessageBox : public MessageBoxService {
public:
    void show(const QString& text, const QString& title, MessageIcon icon) override;
};

} // namespace platform
