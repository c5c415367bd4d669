#pragma once
#include "platform/messagebox.h"

namespace platform {

// Shows messages in a modal box with an OK button (installed by the program at start), and
// notices in a box of the same look that lets the program run on.
class WidgetMessageBox : public MessageBoxService {
public:
    void show(const QString& text, const QString& title, MessageIcon icon) override;
    std::unique_ptr<Notice> openNotice(const QString& text, const QString& title, MessageIcon icon) override;
};

} // namespace platform
