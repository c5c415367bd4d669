#pragma once
// The per-pupil report of the board: for each chosen level a section with the pupil's count,
// best and average times beside those of all pupils, his ranks in time and in points, his
// points, the all-pupils average, and a graph of his attempts. Sections are 0.3 of the page
// tall, three to a page. Positions are fractions of the output's width and height, so the
// same report is drawn on the screen and on paper.
#include "board/grades.h"
#include "results/results.h"
#include "startup/hensuu1.h"

#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

namespace kanameru {

constexpr int kReportTimeLimit = 1800; // times of 1800 seconds or more do not count in the rows
constexpr int kReportMaxBestPoints = 10000;

struct ReportFigures {
    int timeRank = 0;
    int pointsRank = 0;
    int points = 0;
    qint64 pointsSum = 0; // over the pupils shown with points above 0
    int pointsCount = 0;
};

// The pupil's ranks in the time and the points ranking of a level (0 when he is not listed),
// his points and the points of the pupils the grade choice shows.
ReportFigures reportFigures(int level, int pupil, const QString& gradeChoice);

struct ReportPoint {
    double x = 0; // fraction of the width
    double y = 0; // fraction of the height
    bool best = false; // a new best of the pupil: drawn red, else blue
};

struct ReportSection {
    int level = 0;
    double top = 0; // fraction of the height
    QString name; // the pupil's name
    QString title; // drill set and level title
    QStringList rows; // the rows under the heading
    QRectF frame; // the graph's frame, in fractions
    std::vector<ReportPoint> points;
    QString weakEvents; // under the graph: the pupil's events judged wrong most at the level
};

struct ReportPage {
    std::vector<ReportSection> sections;
};

struct ReportRequest {
    int pupil = 0;
    QString pupilName;
    std::vector<int> levels; // chosen levels in list order
    int levelCount = 0;
    QString gradeChoice;
    bool gradeOfPupilPasses = true; // the report pupil passes the grade choice (his points are drawn)
};

// Section tops: -0.25 advanced by 0.3 per section; below 0.9 a new page starts at 0.05.
std::vector<std::vector<double>> reportLayout(int sections);

// Builds the pages from the attempts read for the report (file order; at most the last 20000,
// levels and period already applied).
std::vector<ReportPage> buildReport(const ReportRequest& request, const std::vector<LoadedResult>& attempts);

// One report section's rows and graph; `figures` come from reportFigures.
ReportSection buildReportSection(const ReportRequest& request, int level, double top, const ReportFigures& figures,
    const std::vector<LoadedResult>& attempts);

// Right-aligns a whole number in `width` characters; 0 and no value give blanks, as the
// report's number pattern does.
QString reportNumber(qint64 value, int width, bool blankZero = true);

} // namespace kanameru

namespace kanameru {

// The roster as the per-pupil panel lists it: every pupil by number, and one item
// "grade label /  name/number" per pupil of status 0. The grade is computed once, from the
// school year, as the start screen computes it.
struct PupilListing {
    QStringList items;
    std::vector<QString> names = std::vector<QString>(kPupils); // by pupil number
    std::vector<QString> gradeLabels = std::vector<QString>(kPupils); // by pupil number
    std::vector<int> birthYears = std::vector<int>(kPupils); // by pupil number
};
Result<PupilListing> fillPupilList();

// The pupil number of a pupil list item: the number after its last "/" (0 when none).
int pupilNoOfItem(const QString& item);

// A pupil's name and grade by his number: from the whole roster (`roster`, when it could be
// read), whatever his status, so that a pupil who has left still shows with his name and
// grade; a number the roster does not carry falls back to the listed pupils.
struct PupilIdentity {
    QString name;
    int grade = 0;
};
PupilIdentity identifyPupil(int pupilNo, const PupilListing* roster, const PupilDirectory& listed);

} // namespace kanameru
