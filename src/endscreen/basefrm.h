#pragma once
#include <QWidget>

namespace kanameru {

// The backdrop "Just a moment, please." that covers the screen while one form gives way to
// the next (the drill form to the end screen, the end screen to a new attempt).
class BASEFRM : public QWidget {
    Q_OBJECT
public:
    explicit BASEFRM(QWidget* parent = nullptr);
    // Shows the backdrop beneath the other forms (one at a time).
    static BASEFRM* open();
    // Closes the backdrop if it is open.
    static void closeBackdrop();
    // The open backdrop, or nullptr.
    static BASEFRM* current();

private:
    void Form_Load();
};

} // namespace kanameru
