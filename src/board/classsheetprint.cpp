#include "board/classsheetprint.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kanameru {

std::vector<SheetPage> sheetPages(int rows, int levels, int rowsPerPage, int levelsPerPage)
{
    rowsPerPage = std::max(rowsPerPage, 1);
    levelsPerPage = std::max(levelsPerPage, 1);
    std::vector<SheetPage> pages;
    for (int first = 0; first < std::max(rows, 1); first += rowsPerPage)
        for (int level = 0; level < std::max(levels, 1); level += levelsPerPage)
            pages.push_back({ first, std::clamp(rows - first, 0, rowsPerPage), level,
                std::clamp(levels - level, 0, levelsPerPage) });
    return pages;
}

namespace {

constexpr double kFontPoints = 7;
constexpr int kMaxNameCharacters = 10; // longer names are cut with "…"

QString number(qint64 value)
{
    return value == 0 ? QString() : QString::number(value);
}

QString countText(double value)
{
    return value == 0 ? QString() : QString::number(value, 'g', 10);
}

// The widths of the columns, in device pixels, measured on the sheet's own texts.
struct Widths {
    double pad = 0;
    double grade = 0;
    double name = 0;
    double count = 0;
    double points = 0;
    double best = 0;
    double cleared = 0;
    double level() const { return 3 * (count + points) + best + cleared; }
    double total() const { return 3 * (count + points) + cleared; }
};

Widths measure(const QFontMetricsF& fm, const ClassSheet& sheet)
{
    Widths w;
    w.pad = fm.horizontalAdvance(QLatin1Char('0')) * 0.6;
    auto widest = [&](double start, const QString& text) { return std::max(start, fm.horizontalAdvance(text)); };
    w.grade = widest(0, QStringLiteral("学年"));
    w.name = widest(0, QStringLiteral("名前"));
    w.count = widest(0, QStringLiteral("回"));
    w.points = widest(0, QStringLiteral("点"));
    w.best = widest(0, QStringLiteral("ベスト"));
    w.cleared = widest(0, QStringLiteral("合格"));
    const double nameLimit = fm.horizontalAdvance(QString(kMaxNameCharacters, QChar(0x3042)));
    for (const SheetRow& row : sheet.rows) {
        w.grade = widest(w.grade, row.grade);
        w.name = std::min(nameLimit, widest(w.name, row.name));
        auto consider = [&](const SheetFigures& g) {
            w.count = widest(w.count, QString::number(std::max(g.totalCount, g.recentCount)));
            w.count = widest(w.count, countText(g.todayCount));
            w.points = widest(w.points, QString::number(std::max({ g.totalPoints, g.recentPoints, g.todayPoints })));
            w.best = widest(w.best, QString::number(g.best));
        };
        for (const SheetFigures& f : row.levels)
            consider(f);
        consider(row.total);
    }
    for (double* v : { &w.grade, &w.name, &w.count, &w.points, &w.best, &w.cleared })
        *v += 2 * w.pad;
    // A period's heading spans its count and points.
    const double period = fm.horizontalAdvance(QStringLiteral("今まで")) + 2 * w.pad;
    if (w.count + w.points < period)
        w.points = period - w.count;
    return w;
}

class PagePainter {
public:
    PagePainter(QPainter& painter, const ClassSheet& sheet, const Widths& widths, const QFont& font, double lineHeight)
        : p_(painter)
        , sheet_(sheet)
        , w_(widths)
        , font_(font)
        , line_(lineHeight)
    {
    }

    void paint(const SheetPage& page, int pageNo, int pageCount, const QRectF& area, double tableTop, double rowHeight)
    {
        p_.setFont(font_);
        p_.setPen(Qt::black);
        // The page's heading: school, title with the grade choice, date; the page number below.
        const QRectF heading(area.left(), area.top(), area.width(), line_ * 1.5);
        QFont big = font_;
        big.setPointSizeF(font_.pointSizeF() * 1.4);
        p_.setFont(big);
        p_.drawText(heading, Qt::AlignLeft | Qt::AlignVCenter, sheet_.schoolName);
        p_.drawText(heading, Qt::AlignHCenter | Qt::AlignVCenter,
            QStringLiteral("クラス成績表　%1（%2）").arg(sheet_.drillSetTitle, sheet_.gradeChoice));
        p_.drawText(heading, Qt::AlignRight | Qt::AlignVCenter, sheet_.date.toString(QStringLiteral("yyyy/MM/dd")));
        p_.setFont(font_);
        p_.drawText(QRectF(area.left(), area.bottom() - line_ * 1.2, area.width(), line_ * 1.2), Qt::AlignCenter,
            QStringLiteral("%1 / %2 ページ").arg(pageNo).arg(pageCount));

        // Column headings in three rows: level title; period, best, cleared; count and points.
        const double h = rowHeight;
        double x = area.left();
        cell(x, tableTop, w_.grade, 3 * h, QStringLiteral("学年"), Qt::AlignCenter);
        x += w_.grade;
        cell(x, tableTop, w_.name, 3 * h, QStringLiteral("名前"), Qt::AlignCenter);
        x += w_.name;
        auto headings = [&](const QString& title, bool withBest, double width) {
            cell(x, tableTop, width, h, title, Qt::AlignCenter);
            double sx = x;
            for (const char* period : { "今まで", "最近", "今日" }) {
                cell(sx, tableTop + h, w_.count + w_.points, h, QString::fromUtf8(period), Qt::AlignCenter);
                cell(sx, tableTop + 2 * h, w_.count, h, QStringLiteral("回"), Qt::AlignCenter);
                cell(sx + w_.count, tableTop + 2 * h, w_.points, h, QStringLiteral("点"), Qt::AlignCenter);
                sx += w_.count + w_.points;
            }
            if (withBest) {
                cell(sx, tableTop + h, w_.best, 2 * h, QStringLiteral("ベスト"), Qt::AlignCenter);
                sx += w_.best;
            }
            cell(sx, tableTop + h, w_.cleared, 2 * h, QStringLiteral("合格"), Qt::AlignCenter);
            x += width;
        };
        for (int i = page.firstLevel; i < page.firstLevel + page.levelCount; ++i)
            headings(sheet_.levels[static_cast<size_t>(i)].title, true, w_.level());
        headings(QStringLiteral("合計"), false, w_.total());

        // One line per pupil, every other one shaded.
        double y = tableTop + 3 * h;
        for (int r = page.firstRow; r < page.firstRow + page.rowCount; ++r, y += h) {
            const SheetRow& row = sheet_.rows[static_cast<size_t>(r)];
            if ((r - page.firstRow) % 2 == 1)
                p_.fillRect(QRectF(area.left(), y, x - area.left(), h), QColor(0xEE, 0xEE, 0xEE));
            double cx = area.left();
            cell(cx, y, w_.grade, h, row.grade, Qt::AlignCenter);
            cx += w_.grade;
            const QString name
                = QFontMetricsF(font_, p_.device()).elidedText(row.name, Qt::ElideRight, w_.name - 2 * w_.pad);
            cell(cx, y, w_.name, h, name, Qt::AlignLeft | Qt::AlignVCenter);
            cx += w_.name;
            auto figures = [&](const SheetFigures& f, bool withBest) {
                const QString texts[] = { number(f.totalCount), number(f.totalPoints), number(f.recentCount),
                    number(f.recentPoints), countText(f.todayCount), number(f.todayPoints) };
                for (int t = 0; t < 6; ++t) {
                    const double width = t % 2 == 0 ? w_.count : w_.points;
                    cell(cx, y, width, h, texts[t], Qt::AlignRight | Qt::AlignVCenter);
                    cx += width;
                }
                if (withBest) {
                    cell(cx, y, w_.best, h, f.best >= 0 ? QString::number(f.best) : QString(),
                        Qt::AlignRight | Qt::AlignVCenter);
                    cx += w_.best;
                }
                cell(cx, y, w_.cleared, h,
                    withBest ? (f.cleared ? QStringLiteral("○") : QString()) : number(f.clearedLevels),
                    Qt::AlignCenter);
                cx += w_.cleared;
            };
            for (int i = page.firstLevel; i < page.firstLevel + page.levelCount; ++i)
                figures(row.levels[static_cast<size_t>(i)], true);
            figures(row.total, false);
        }
        // A heavier line between the levels.
        p_.setPen(QPen(Qt::black, std::max(1.0, line_ / 10)));
        double lx = area.left() + w_.grade + w_.name;
        for (int i = 0; i <= page.levelCount; ++i, lx += w_.level())
            p_.drawLine(QPointF(lx, tableTop), QPointF(lx, y));
        p_.drawLine(QPointF(x, tableTop), QPointF(x, y));
        p_.drawRect(QRectF(area.left(), tableTop, x - area.left(), y - tableTop));
        p_.setPen(Qt::black);
    }

private:
    void cell(double x, double y, double width, double height, const QString& text, Qt::Alignment align)
    {
        p_.setPen(QPen(QColor(0x80, 0x80, 0x80), 0));
        p_.drawRect(QRectF(x, y, width, height));
        p_.setPen(Qt::black);
        if (!text.isEmpty())
            p_.drawText(QRectF(x + w_.pad, y, width - 2 * w_.pad, height), align, text);
    }

    QPainter& p_;
    const ClassSheet& sheet_;
    const Widths& w_;
    QFont font_;
    double line_;
};

} // namespace

int printClassSheet(QPagedPaintDevice& device, const ClassSheet& sheet)
{
    // Fixed margins, so that a page holds the same lines on every printer and in the PDF.
    device.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPointSizeF(kFontPoints);
    const QFontMetricsF fm(font, &device);
    const double lineHeight = fm.height();
    const Widths widths = measure(fm, sheet);
    const QRectF area(0, 0, device.width(), device.height());
    // CJK faces have a tall line box; the rows are set closer, at 1.25 of the font size.
    const double rowHeight = font.pointSizeF() / 72.0 * device.logicalDpiY() * 1.25;
    const double tableTop = area.top() + lineHeight * 2.2;
    const double tableBottom = area.bottom() - lineHeight * 1.6;
    const int rowsPerPage = static_cast<int>(std::floor((tableBottom - tableTop) / rowHeight)) - 3;
    const int levelsPerPage
        = static_cast<int>(std::floor((area.width() - widths.grade - widths.name - widths.total()) / widths.level()));
    const std::vector<SheetPage> pages = sheetPages(
        static_cast<int>(sheet.rows.size()), static_cast<int>(sheet.levels.size()), rowsPerPage, levelsPerPage);
    PagePainter pagePainter(painter, sheet, widths, font, lineHeight);
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            device.newPage();
        pagePainter.paint(pages[i], static_cast<int>(i) + 1, static_cast<int>(pages.size()), area, tableTop, rowHeight);
    }
    painter.end();
    return static_cast<int>(pages.size());
}

} // namespace kanameru
