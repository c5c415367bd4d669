#pragma once
// The class sheet: one line per listed pupil with his figures on every level of the drill set,
// for teachers, printed from the board or written by the teachers' tool. The figures are read
// from the statistics tables as the last rebuild left them, the same the board shows.
#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace kanameru {

// One pupil's figures on one level (or summed over the levels).
struct SheetFigures {
    qint32 totalCount = 0;
    qint32 totalPoints = 0;
    qint32 recentCount = 0;
    qint32 recentPoints = 0;
    float todayCount = 0; // a single float, as the statistics keep it
    qint32 todayPoints = 0;
    qint32 best = -1; // -1 when the pupil has no completed attempt (and in a sum)
    qint16 clearedLevels = 0; // in a sum: the levels cleared
    bool cleared = false;
};

struct SheetRow {
    int pupilNo = 0;
    QString grade; // the short grade label ("中2")
    QString name; // trimmed
    std::vector<SheetFigures> levels; // one per sheet level
    SheetFigures total;
};

struct SheetLevel {
    int level = 0;
    QString title;
    bool hasClearCondition = true; // levelPassPoints is not 9999
};

class ClassSheet {
public:
    // Every pupil the roster tables list (readRoster), in the order of the start screen's list,
    // who passes the grade choice as the board's grade box filters; the levels 1..levelCount
    // whose title is no practice title. Reads the statistics tables as they stand.
    static ClassSheet build(const QString& gradeChoice, const QDate& date);

    QString schoolName;
    QString drillSetTitle;
    QString gradeChoice;
    QDate date;
    std::vector<SheetLevel> levels;
    std::vector<SheetRow> rows;

    // The sheet for a spreadsheet: the header cells, and the whole sheet as CSV (the header
    // line, then one line per pupil; numbers bare, texts kept from running as formulas).
    QStringList header() const;
    QString csv() const;
};

// ---- Comma-separated text for a Japanese spreadsheet -----------------------------------------

// A text cell a spreadsheet would run as a formula ("=", "+", "-", "@" first, or a tab or a line
// end before one) gets a leading apostrophe, so that it stays text. Every text cell of every
// CSV the program writes goes through it; numbers are written bare.
QString spreadsheetText(const QString& text);

// Appends one cell as CSV holds it: quoted when it holds a comma, a quote or a line end.
void appendCell(QString& out, const QString& cell);

// Lines of cells as CSV with CR LF; a cell holding a comma, a quote or a line end is quoted.
QString csvText(const std::vector<QStringList>& lines);

// The CSV bytes: CP932 (a character the code page lacks becomes "?"), or UTF-8 with a byte
// order mark.
QByteArray csvBytes(const QString& text, bool utf8);

} // namespace kanameru
