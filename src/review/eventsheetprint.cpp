#include "review/eventsheetprint.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kanameru::review {

namespace {

constexpr double kFontPoints = 8;

struct Column {
    QString heading;
    Qt::Alignment align;
    bool stretches = false; // takes the room the others leave
    double width = 0;
};

// A table of rows under its title in `area`, as many rows as fit; the last line says how many
// more the CSV holds.
void paintTable(QPainter& p, const QFont& font, const QRectF& area, double rowHeight, const QString& title,
    std::vector<Column> columns, const std::vector<QStringList>& rows)
{
    const QFontMetricsF fm(font, p.device());
    const double pad = fm.horizontalAdvance(QLatin1Char('0')) * 0.6;
    double fixed = 0;
    for (size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].stretches)
            continue;
        double w = fm.horizontalAdvance(columns[c].heading);
        for (const QStringList& row : rows)
            w = std::max(w, fm.horizontalAdvance(row.value(static_cast<qsizetype>(c))));
        columns[c].width = std::min(w, fm.horizontalAdvance(QString(7, QChar(0x3042)))) + 2 * pad;
        fixed += columns[c].width;
    }
    const qsizetype stretching
        = std::count_if(columns.begin(), columns.end(), [](const Column& c) { return c.stretches; });
    for (Column& c : columns)
        if (c.stretches)
            c.width = std::max(0.0, (area.width() - fixed) / static_cast<double>(std::max<qsizetype>(stretching, 1)));

    QFont bold = font;
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::black);
    p.drawText(QRectF(area.left(), area.top(), area.width(), rowHeight * 1.3), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.setFont(font);
    const auto line = [&](double y, const QStringList& cells, bool heading) {
        double x = area.left();
        for (size_t c = 0; c < columns.size(); ++c) {
            const QRectF cell(x, y, columns[c].width, rowHeight);
            p.setPen(QPen(QColor(0x80, 0x80, 0x80), 0));
            p.drawRect(cell);
            p.setPen(Qt::black);
            const QString text = fm.elidedText(heading ? columns[c].heading : cells.value(static_cast<qsizetype>(c)),
                Qt::ElideRight, cell.width() - 2 * pad);
            p.drawText(cell.adjusted(pad, 0, -pad, 0), heading ? Qt::AlignCenter : columns[c].align, text);
            x += columns[c].width;
        }
    };
    double y = area.top() + rowHeight * 1.3;
    line(y, {}, true);
    y += rowHeight;
    const int fits = std::max(0, static_cast<int>(std::floor((area.bottom() - y) / rowHeight)) - 1);
    const int shown = std::min(fits, static_cast<int>(rows.size()));
    for (int r = 0; r < shown; ++r, y += rowHeight) {
        if (r % 2 == 1)
            p.fillRect(QRectF(area.left(), y, area.width(), rowHeight), QColor(0xEE, 0xEE, 0xEE));
        line(y, rows[static_cast<size_t>(r)], false);
    }
    if (rows.empty())
        p.drawText(QRectF(area.left(), y, area.width(), rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("ありません"));
    else if (shown < static_cast<int>(rows.size()))
        p.drawText(QRectF(area.left(), y, area.width(), rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("ほか %1 件（すべては CSV にあります）").arg(rows.size() - static_cast<size_t>(shown)));
}

} // namespace

int printEventSheet(QPagedPaintDevice& device, const EventSheet& sheet)
{
    device.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    QPainter p;
    if (!p.begin(&device))
        return 0;
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPointSizeF(kFontPoints);
    const double rowHeight = font.pointSizeF() / 72.0 * device.logicalDpiY() * 1.45;
    const QRectF area(0, 0, device.width(), device.height());

    // The heading: school, title with the grade choice, period.
    QFont big = font;
    big.setPointSizeF(font.pointSizeF() * 1.4);
    p.setFont(big);
    p.setPen(Qt::black);
    const QRectF heading(area.left(), area.top(), area.width(), rowHeight * 1.5);
    p.drawText(heading, Qt::AlignLeft | Qt::AlignVCenter, sheet.schoolName);
    p.drawText(heading, Qt::AlignHCenter | Qt::AlignVCenter,
        QStringLiteral("出来事別成績表　%1（%2）").arg(sheet.drillSetTitle, sheet.gradeChoice));
    p.drawText(heading, Qt::AlignRight | Qt::AlignVCenter, sheet.period);

    const double top = heading.bottom() + rowHeight * 0.5;
    const double gap = rowHeight;
    const QRectF left(area.left(), top, area.width() * 0.46, area.bottom() - top);
    const QRectF right(left.right() + gap, top, area.right() - left.right() - gap, area.bottom() - top);
    const Qt::Alignment number = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment text = Qt::AlignLeft | Qt::AlignVCenter;

    std::vector<QStringList> events;
    for (const EventLine& e : sheet.events)
        events.push_back(
            { QString::number(e.rank), e.name.event, e.name.year, QString::number(e.judged), QString::number(e.wrong),
                QString::number(e.wrongPercent(), 'f', 1), QString::number(e.pupils), QString::number(e.wrongPupils) });
    paintTable(p, font, left, rowHeight, QStringLiteral("間違いの多い出来事"),
        { { QStringLiteral("順位"), number }, { QStringLiteral("出来事"), text, true }, { QStringLiteral("年"), text },
            { QStringLiteral("判定"), number }, { QStringLiteral("間違い"), number }, { QStringLiteral("率%"), number },
            { QStringLiteral("生徒"), number }, { QStringLiteral("間違えた生徒"), number } },
        events);

    std::vector<QStringList> pairs;
    for (const PairLine& l : sheet.pairs)
        pairs.push_back({ QString::number(l.rank), l.first.event, l.first.year, l.second.event, l.second.year,
            QString::number(l.total()), QString::number(l.explanations), QString::number(l.order) });
    paintTable(p, font, right, rowHeight, QStringLiteral("取り違えの多い組（説明を取り違えた・順序を逆にした）"),
        { { QStringLiteral("順位"), number }, { QStringLiteral("出来事"), text, true }, { QStringLiteral("年"), text },
            { QStringLiteral("出来事"), text, true }, { QStringLiteral("年"), text },
            { QStringLiteral("回数"), number }, { QStringLiteral("説明"), number },
            { QStringLiteral("順序"), number } },
        pairs);
    p.end();
    return 1;
}

} // namespace kanameru::review
