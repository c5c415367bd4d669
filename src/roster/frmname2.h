#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kanameru {

// The small form on which the names and birth years of the first three pupils of the roster
// are entered or corrected.
class FrmName2 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRows = 3;
    // A name box takes at most the 20 characters a roster name holds.
    static constexpr int kNameLength = 20;
    explicit FrmName2(QWidget* parent = nullptr);
    // Loads the form afresh from the roster file and shows it.
    static FrmName2* open();

    void Form_Load();
    void Command1_Click();
    void Command2_Click();

    // The number of roster records the form shows (at most three).
    int rowCount() const { return rowCount_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QLabel* Label4;
    QLabel* Label2;
    QLabel* Label1;
    QLabel* Label3;
    QLineEdit* Text1[kRows + 1] = {};
    QLineEdit* Text2[kRows + 1] = {};
    QPushButton* Command1;
    QPushButton* Command2;
    int rowCount_ = 0;
    // What the boxes showed when the roster was read: only a box changed since is written.
    QString shownName_[kRows + 1];
    QString shownYear_[kRows + 1];
    bool leaving_ = false; // on the way back to the start screen
};

} // namespace kanameru
