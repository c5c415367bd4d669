// The board's class sheet button: a teacher prints every pupil of the grade choice, with his
// figures on every level, through the print dialog (which also offers a PDF file).
#include "board/boardwidgets.h"
#include "board/classsheet.h"
#include "board/classsheetprint.h"
#include "board/seisekitime1.h"
#include "platform/clock.h"
#include "platform/messagebox.h"
#include "startup/hensuu1.h"

#include <QComboBox>
#include <QPrinter>
#include <QPushButton>

namespace kanameru {

using namespace boardwidgets;

void seisekitime1::buildClassSheetButton()
{
    classSheetButton_ = makeButton(this, QStringLiteral("classSheetButton"), QStringLiteral("クラス成績表印刷"), 11);
    classSheetButton_->setGeometry(240, 140, 200, 36);
    classSheetButton_->setToolTip(QStringLiteral("選んでいる学年の全員の成績を一覧にして印刷します"));
    classSheetButton_->setVisible(false); // shown to teachers only
    keepUsualColours(classSheetButton_);
    connect(classSheetButton_, &QPushButton::clicked, this, [this] { printClassSheet(); });
}

void seisekitime1::printClassSheet()
{
    const ClassSheet sheet = ClassSheet::build(Combo1->currentText(), platform::clock().today());
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("クラス成績表"));
    if (!choosePrinter() || !choosePrinter()(printer))
        return;
    if (kanameru::printClassSheet(printer, sheet) == 0)
        platform::showMessage(QStringLiteral("印刷できません。"), reg.drillSetTitle);
}

} // namespace kanameru
