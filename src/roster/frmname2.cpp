#include "roster/frmname2.h"

#include "platform/formhost.h"
#include "platform/inputgate.h"
#include "platform/messagebox.h"
#include "platform/screen.h"
#include "roster/pupilline.h"
#include "roster/rosterfile.h"
#include "roster/rosterwrite.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "startup/textfile.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace kanameru {

FrmName2::FrmName2(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmName2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("名前変更"));
    setFixedSize(640, 440);
    platform::setBackground(this, platform::rgb(reg.formBackColour));
    const QColor white(Qt::white);

    Label4 = new QLabel(QStringLiteral("名前変更"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setFont(platform::captionFont(24, true));
    Label4->setAlignment(Qt::AlignCenter);
    Label4->setGeometry(20, 14, 600, 56);
    platform::setForeground(Label4, white);

    Label2 = new QLabel(QStringLiteral("名前"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(platform::captionFont(13));
    Label2->setGeometry(40, 80, 330, 32);
    platform::setForeground(Label2, white);

    Label1 = new QLabel(QStringLiteral("生まれた年"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(platform::captionFont(13));
    Label1->setGeometry(400, 80, 200, 32);
    platform::setForeground(Label1, white);

    for (int i = 1; i <= kRows; ++i) {
        Text1[i] = new QLineEdit(this);
        Text1[i]->setObjectName(platform::controlName("Text1", i));
        Text1[i]->setFont(platform::captionFont(14));
        Text1[i]->setGeometry(40, 76 + i * 52, 330, 40);
        // Names are typed in Japanese: the input method stays on in these boxes.
        Text1[i]->setAttribute(Qt::WA_InputMethodEnabled, true);
        Text1[i]->setMaxLength(kNameLength);
        // A name is one line: what is typed or pasted loses its line ends, tabs and other
        // control characters at once (a cell copied from a spreadsheet ends with a line end
        // that the box does not show).
        connect(Text1[i], &QLineEdit::textEdited, this, [box = Text1[i]](const QString& text) {
            const QString clean = withoutControlCharacters(text);
            if (clean == text)
                return;
            const int cursor = static_cast<int>(withoutControlCharacters(text.left(box->cursorPosition())).size());
            box->setText(clean);
            box->setCursorPosition(cursor);
        });

        Text2[i] = new QLineEdit(this);
        Text2[i]->setObjectName(platform::controlName("Text2", i));
        Text2[i]->setFont(platform::captionFont(14));
        Text2[i]->setGeometry(400, 76 + i * 52, 160, 40);
        // Years are typed in half-width digits: no input method here.
        Text2[i]->setAttribute(Qt::WA_InputMethodEnabled, false);
        Text2[i]->setInputMethodHints(Qt::ImhPreferNumbers | Qt::ImhLatinOnly);
        for (QLineEdit* box : { Text1[i], Text2[i] }) {
            QPalette p = box->palette();
            p.setColor(QPalette::Base, Qt::white);
            p.setColor(QPalette::Text, Qt::black);
            box->setPalette(p);
        }
    }

    Label3 = new QLabel(QStringLiteral("※生まれた年は早生まれの場合は1年引いてください"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setFont(platform::captionFont(12));
    Label3->setGeometry(40, 290, 560, 34);
    platform::setForeground(Label3, white);

    Command1 = new QPushButton(QStringLiteral("変更"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setFont(platform::captionFont(14));
    Command1->setGeometry(140, 350, 160, 56);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    Command2 = new QPushButton(QStringLiteral("もどる"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setFont(platform::captionFont(14));
    Command2->setGeometry(340, 350, 160, 56);
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    platform::prepareControls(this);
}

FrmName2* FrmName2::open()
{
    auto* form = new FrmName2();
    platform::holdInput(form);
    // Drawn at the scale of the other forms, centred on the start screen it comes from.
    platform::fitForm(form);
    form->Form_Load();
    // The keys go to the first name, or to "もどる" when the roster has no record.
    if (form->rowCount_ > 0)
        form->Text1[1]->setFocus();
    else
        form->Command2->setFocus();
    form->show();
    platform::settleInput(form);
    return form;
}

void FrmName2::Form_Load()
{
    rowCount_ = 0;
    const QString path = rosterFileName();
    Result<RosterFile> file = readRosterFile(path);
    if (!file) {
        platform::showMessage(file.error().message(), QStringLiteral("名前変更"));
    } else {
        // The rows are the first records of the file; a line that holds none is no row and
        // stays in the file as it is.
        QList<FileError> notices = file->badLines();
        for (const RosterFileLine& line : std::as_const(file->lines)) {
            if (!line.entry || rowCount_ >= kRows)
                continue;
            const RosterLine& entry = *line.entry;
            const int i = ++rowCount_;
            // The name without its padding: typed after twenty characters of padding, an
            // added letter would be cut off when the name is written back. A longer name
            // shows its first twenty characters and is named below; unless the box is
            // changed, the file keeps it whole.
            Text1[i]->setText(trimSpaces(entry.name));
            Text1[i]->setCursorPosition(0); // a name wider than the box shows its start
            Text2[i]->setText(QString::number(entry.record.birthYear));
            notices.append(rosterNameNotices(path, entry));
        }
        if (!notices.isEmpty()) {
            std::stable_sort(
                notices.begin(), notices.end(), [](const FileError& a, const FileError& b) { return a.line < b.line; });
            QStringList lines;
            for (const FileError& e : std::as_const(notices))
                lines.append(QStringLiteral("%1 行目: %2").arg(QString::number(e.line), e.reason));
            platform::showMessage(QStringLiteral("名簿 %1 について:\n").arg(QDir::toNativeSeparators(path))
                    + lines.join(QLatin1Char('\n'))
                    + QStringLiteral("\n\n変更しない名前や行は、ファイルにあるとおりに残ります。"),
                QStringLiteral("名前変更"), platform::MessageIcon::Information);
        }
    }
    // Only the records that exist have rows.
    for (int i = 1; i <= kRows; ++i) {
        Text1[i]->setVisible(i <= rowCount_);
        Text2[i]->setVisible(i <= rowCount_);
        shownName_[i] = Text1[i]->text();
        shownYear_[i] = Text2[i]->text();
    }
    Command1->setEnabled(rowCount_ > 0);
}

void FrmName2::Command1_Click()
{
    QList<NameRow> rows;
    for (int i = 1; i <= rowCount_; ++i)
        rows.append(NameRow {
            Text1[i]->text(), Text2[i]->text(), Text1[i]->text() != shownName_[i], Text2[i]->text() != shownYear_[i] });
    if (std::optional<FileError> error = writeRosterRows(rosterFileName(), rows)) {
        platform::showMessage(
            error->message() + QStringLiteral("\n名簿は変更されていません。"), QStringLiteral("名前変更"));
        return;
    }
    // What is written now is what the file holds: pressing again changes nothing.
    for (int i = 1; i <= rowCount_; ++i) {
        shownName_[i] = Text1[i]->text();
        shownYear_[i] = Text2[i]->text();
    }
}

void FrmName2::Command2_Click()
{
    platform::holdInput(this);
    leaving_ = true;
    showNameSelection();
    close();
}

void FrmName2::closeEvent(QCloseEvent* e)
{
    // Closed through the window's own close box: back to the start screen as with "もどる",
    // so that the program never runs on without a window.
    if (!leaving_ && !programEnding()) {
        leaving_ = true;
        showNameSelection();
    }
    QWidget::closeEvent(e);
}

} // namespace kanameru
