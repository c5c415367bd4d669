#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

namespace kanameru {

// The small modal box of the help menu: the drill set's title, "Version" and the program's
// version (major.minor.revision), and "O.K.".
class VersionBox : public QDialog {
    Q_OBJECT
public:
    explicit VersionBox(QWidget* parent = nullptr);
    // "Version" followed by the program's version, for example "Version1.0.5".
    static QString versionText();
    // Shows the box modally, placed at half the difference between the owner's size and its
    // own (centred on the owner); returns when "O.K." has closed it.
    static void showCentredOn(QWidget* owner);

private:
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Command1;
};

} // namespace kanameru
