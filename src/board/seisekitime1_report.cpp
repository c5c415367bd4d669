// The board's per-pupil panel: the pupil list, the level list, and the report with its graph,
// drawn on the screen or printed.
#include "board/boardwidgets.h"
#include "board/grades.h"
#include "board/report.h"
#include "board/seisekitime1.h"
#include "board/weakevents.h"
#include "platform/clock.h"
#include "platform/messagebox.h"
#include "startup/hensuu1.h"

#include <QComboBox>
#include <QListWidget>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace kanameru {

using namespace boardwidgets;

namespace {

constexpr int kReportPeriodDays = 3650;
constexpr int kReportWindow = 20000;

// Draws one page of the report into `area` of the painter's device.
void drawReportPage(QPainter& painter, const QRectF& area, const ReportPage& page, const QFont& font)
{
    const double w = area.width();
    const double h = area.height();
    auto at = [&](double fx, double fy) { return QPointF(area.left() + fx * w, area.top() + fy * h); };
    painter.setFont(font);
    const double line = QFontMetricsF(font, painter.device()).height() * 1.15;
    const double dot = std::max(2.0, w / 200.0);
    for (const ReportSection& section : page.sections) {
        painter.setPen(Qt::black);
        QPointF text = at(0.5, section.top) + QPointF(0, line);
        painter.drawText(text, section.name);
        painter.drawText(text + QPointF(0, line), section.title);
        for (qsizetype i = 0; i < section.rows.size(); ++i)
            painter.drawText(text + QPointF(0, line * static_cast<double>(i + 2) + line * 0.3), section.rows.at(i));
        painter.setPen(QPen(Qt::black, std::max(1.0, dot / 3)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(
            QRectF(at(section.frame.left(), section.frame.top()), at(section.frame.right(), section.frame.bottom())));
        painter.setPen(Qt::NoPen);
        for (const ReportPoint& point : section.points) {
            painter.setBrush(point.best ? QColor(0xFF, 0x00, 0x00) : QColor(0x00, 0x00, 0xFF));
            painter.drawEllipse(at(point.x, point.y), dot, dot);
        }
        if (!section.weakEvents.isEmpty()) {
            painter.setPen(Qt::black);
            const QRectF under(
                at(section.frame.left(), section.frame.bottom()), at(section.frame.right(), section.top + 0.3));
            painter.drawText(under, Qt::AlignLeft | Qt::AlignVCenter,
                QFontMetricsF(font, painter.device()).elidedText(section.weakEvents, Qt::ElideRight, under.width()));
        }
    }
}

} // namespace

std::function<bool(QPrinter&)>& seisekitime1::choosePrinter()
{
    static std::function<bool(QPrinter&)> chooser = [](QPrinter& printer) {
        QPrintDialog dialog(&printer);
        return dialog.exec() == QDialog::Accepted;
    };
    return chooser;
}

void seisekitime1::buildReportPanel()
{
    Picture11 = new QWidget(this);
    Picture11->setObjectName(QStringLiteral("Picture11"));
    platform::placeTwips(Picture11, 120, 1740, 15120, 9660);
    platform::setBackground(Picture11, platform::rgb(0xC0C0C0));
    Picture11->setVisible(false);

    auto* levelsHeading = makeLabel(Picture11, QStringLiteral("Label29"), QStringLiteral("レベル"), 10);
    levelsHeading->setGeometry(6, 4, 190, 22);
    List3 = new QListWidget(Picture11);
    List3->setObjectName(QStringLiteral("List3"));
    List3->setFont(platform::captionFont(10));
    List3->setSelectionMode(QAbstractItemView::MultiSelection);
    List3->setGeometry(6, 28, 190, 150);
    for (int level = 1; level <= levelCount_; ++level)
        List3->addItem(reg.levelTitles[static_cast<size_t>(level)]);
    connect(List3, &QListWidget::itemClicked, this, [this] {
        if (Picture11->isVisible())
            Command24_Click(0);
    });

    Command25 = makeButton(Picture11, QStringLiteral("Command25"), QStringLiteral("他の人のデータを見る"), 10);
    Command25->setGeometry(6, 186, 190, 30);
    connect(Command25, &QPushButton::clicked, this, [this] { Command25_Click(); });
    List2 = new QListWidget(Picture11);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setFont(platform::listFont(9));
    List2->setSelectionMode(QAbstractItemView::MultiSelection);
    List2->setGeometry(6, 186, 190, 250);
    List2->setVisible(false);
    connect(List2, &QListWidget::itemClicked, this, [this] { Command24_Click(0); });
    List4 = new QListWidget(Picture11);
    List4->setObjectName(QStringLiteral("List4"));
    List4->setVisible(false);

    const QString captions[2] = { QStringLiteral("表示"), QStringLiteral("印刷") };
    for (int i = 0; i < 2; ++i) {
        Command24[i] = makeButton(Picture11, platform::controlName("Command24", i), captions[i], 10);
        Command24[i]->setGeometry(6 + 96 * i, 444, 94, 30);
        connect(Command24[i], &QPushButton::clicked, this, [this, i] { Command24_Click(i); });
        Command21[i] = makeButton(Picture11, platform::controlName("Command21", i), captions[i], 10);
        Command21[i]->setGeometry(6 + 96 * i, 480, 94, 30);
        Command24[i]->setToolTip(QStringLiteral("選んだ人の成績"));
        Command21[i]->setToolTip(QStringLiteral("表示中の人の成績"));
        connect(Command21[i], &QPushButton::clicked, this, [this, i] { Command21_Click(i); });
    }
    Command24[1]->setVisible(false); // printing for chosen pupils is the teachers' button
    Command18 = makeButton(Picture11, QStringLiteral("Command18"), QStringLiteral("戻る"), 10);
    Command18->setGeometry(6, 600, 190, 34);
    connect(Command18, &QPushButton::clicked, this, [this] { Command18_Click(); });

    Picture12 = new QLabel(Picture11);
    Picture12->setObjectName(QStringLiteral("Picture12"));
    Picture12->setGeometry(204, 4, Picture11->width() - 210, Picture11->height() - 8);
    Picture12->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    platform::setBackground(Picture12, Qt::white);

    for (QWidget* widget : { static_cast<QWidget*>(List2), static_cast<QWidget*>(List3), static_cast<QWidget*>(List4),
             static_cast<QWidget*>(Command25), static_cast<QWidget*>(Command24[0]), static_cast<QWidget*>(Command24[1]),
             static_cast<QWidget*>(Command21[0]), static_cast<QWidget*>(Command21[1]),
             static_cast<QWidget*>(Command18) })
        keepUsualColours(widget);
}

void seisekitime1::fillPupilList()
{
    List2->clear();
    Result<PupilListing> listing = kanameru::fillPupilList();
    if (!listing) {
        platform::showMessage(listing.error().message(), reg.drillSetTitle);
        return;
    }
    List2->addItems(listing->items);
    reportRoster_ = std::make_unique<PupilListing>(std::move(listing.value()));
}

void seisekitime1::Command17_Click()
{
    reportPupilNo_ = reg.currentPupilNo;
    if (List2->count() == 0)
        fillPupilList();
    Picture11->setVisible(true);
    Picture11->raise();
    List2->setVisible(false);
    Command25->setVisible(true);
    List2->clearSelection();
    for (int i = 0; i < 3 && i < List3->count(); ++i)
        List3->item(i)->setSelected(true);
    reportFontSize_ = 6;
    Command21_Click(0);
}

void seisekitime1::Command18_Click()
{
    Picture11->setVisible(false);
}

void seisekitime1::Command25_Click()
{
    Command25->setVisible(false);
    List2->setVisible(true);
}

void seisekitime1::Command24_Click(int index)
{
    if (List2->isVisible()) {
        std::vector<int> pupils;
        for (int i = 0; i < List2->count(); ++i)
            if (List2->item(i)->isSelected())
                pupils.push_back(pupilNoOfItem(List2->item(i)->text()));
        if (!pupils.empty()) {
            reportPupilNo_ = pupils.back();
            report(pupils, index);
            return;
        }
    }
    report({ reportPupilNo_ }, index);
}

void seisekitime1::Command21_Click(int index)
{
    report({ reportPupilNo_ }, index);
}

void seisekitime1::report(const std::vector<int>& pupils, int index)
{
    Result<std::vector<LoadedResult>> read = readStoredResults(kReportWindow);
    if (!read) {
        platform::showMessage(read.error().message(), reg.drillSetTitle);
        return;
    }
    std::vector<LoadedResult>& attempts = read.value();
    const double periodStart = platform::dayCount(platform::clock().today()) - kReportPeriodDays;
    std::erase_if(attempts,
        [&](const LoadedResult& a) { return a.level < 1 || a.level > levelCount_ || !(a.date > periodStart); });

    std::vector<int> levels;
    for (int i = 0; i < List3->count(); ++i)
        if (List3->item(i)->isSelected())
            levels.push_back(i + 1);

    const PupilDirectory listed;
    const WeakEvents weak(pupils);
    std::vector<std::vector<ReportPage>> reports;
    for (int pupil : pupils) {
        if (pupil < 1 || pupil > kMaxPupil)
            continue;
        ReportRequest request;
        request.pupil = pupil;
        const PupilIdentity who = identifyPupil(pupil, reportRoster_.get(), listed);
        request.pupilName = who.name;
        request.gradeOfPupilPasses = passesGradeFilter(who.grade) == 1;
        request.levels = levels;
        request.levelCount = levelCount_;
        request.gradeChoice = Combo1->currentText();
        reports.push_back(buildReport(request, attempts));
        for (ReportPage& page : reports.back())
            for (ReportSection& section : page.sections)
                section.weakEvents = weak.line(pupil, section.level);
    }

    if (index == 1) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setPageSize(QPageSize(QPageSize::A4));
        // The print dialog names a PDF after the document ("個人成績表.pdf", not "print.pdf").
        printer.setDocName(QStringLiteral("個人成績表"));
        if (!choosePrinter() || !choosePrinter()(printer))
            return;
        QPainter painter;
        if (!painter.begin(&printer)) {
            platform::showMessage(QStringLiteral("印刷できません。"), reg.drillSetTitle);
            return;
        }
        // The rows line up their figures with spaces: a face of fixed pitch keeps them aligned.
        QFont font = platform::listFont(6);
        bool first = true;
        for (const std::vector<ReportPage>& pages : reports)
            for (const ReportPage& page : pages) {
                if (!first)
                    printer.newPage();
                first = false;
                drawReportPage(painter,
                    QRectF(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size()), page,
                    font);
            }
        painter.end();
        return;
    }

    // On the screen a new page clears the picture, so the last page stays in view; with no
    // level chosen there is no page and the picture stays cleared.
    reportImage_ = QImage(Picture12->size(), QImage::Format_RGB32);
    reportImage_.fill(Qt::white);
    for (const std::vector<ReportPage>& pages : reports)
        for (const ReportPage& page : pages) {
            reportImage_.fill(Qt::white);
            QPainter painter(&reportImage_);
            painter.setRenderHint(QPainter::Antialiasing, false);
            drawReportPage(painter, QRectF(reportImage_.rect()), page, platform::listFont(reportFontSize_));
        }
    Picture12->setPixmap(QPixmap::fromImage(reportImage_));
}

} // namespace kanameru
