// kanameru-results events: the teachers' table of events from the events file
// "出来事別成績データ.dat", as CSV for a spreadsheet or as a PDF page.
//
//   kanameru-results events FOLDER [--grade 中２] [--from yyyy/MM/dd] [--to yyyy/MM/dd]
//                                  [--csv OUT | --pdf OUT] [--utf8]
#include "results_events.h"

#include "board/classsheet.h"
#include "board/grades.h"
#include "drill/drillrules.h"
#include "drill/questiontable.h"
#include "platform/clock.h"
#include "review/eventhistory.h"
#include "review/eventsheetprint.h"
#include "review/eventtally.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "startup/settings.h"
#include "startup/textfile.h"
#include "toolsupport.h"

#include <QBuffer>
#include <QPdfWriter>

namespace kanameru {

namespace {

using namespace review;

const char* const kEventsHelp
    = "使い方: kanameru-results events FOLDER [--grade 中２] [--from yyyy/MM/dd] [--to yyyy/MM/dd]\n"
      "                               [--csv OUT | --pdf OUT] [--utf8]\n"
      "出来事別成績表: ドリルと復習の判定ごとの記録（出来事別成績データ.dat）から、出来事ごとに\n"
      "判定された回数、間違えた回数と割合、判定された生徒と間違えた生徒の数を、間違いの多い順に\n"
      "書き、続けて取り違えの多い組（説明をもう一方の出来事に入れた、二つを逆の順に並べた判定の\n"
      "数）を書きます。FOLDER はドリルのフォルダ（設定.txt のあるフォルダ）か、それを含む\n"
      "インストールのフォルダです。出来事の名前と年は問題ファイルから引きます。\n"
      "--grade は sheet と同じ学年の書き方（全学年、中学生全体、小学生全体、中2 や 中２ など）で、\n"
      "--to の日（ないときは今日）の学年で絞ります。--from と --to はその日を含みます。\n"
      "--pdf は A4 横 1 ページの PDF、--csv（省略時）は CSV を書きます。OUT を省略した CSV は\n"
      "画面に出します。CSV の文字コードと「'」の付け方は他のコマンドと同じです。\n"
      "終了コード: 0 成功、1 ファイルを読めない・書けない、2 使い方の誤り。\n";

// A day given as yyyy/MM/dd as a day count; nullopt (and a complaint) when it is none.
std::optional<int> dayOf(const QString& text, const ToolHelpers& tool)
{
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy/MM/dd"));
    if (!date.isValid()) {
        tool.complain(text + QStringLiteral(": 日付は yyyy/MM/dd で指定してください"));
        return std::nullopt;
    }
    return static_cast<int>(platform::dayCount(date));
}

std::vector<QStringList> csvLines(const EventSheet& sheet)
{
    std::vector<QStringList> lines;
    lines.push_back({ QStringLiteral("順位"), QStringLiteral("出来事"), QStringLiteral("年"), QStringLiteral("レベル"),
        QStringLiteral("判定回数"), QStringLiteral("間違い回数"), QStringLiteral("間違い率（%）"),
        QStringLiteral("判定した生徒数"), QStringLiteral("間違えた生徒数") });
    for (const EventLine& e : sheet.events)
        lines.push_back({ QString::number(e.rank), spreadsheetText(e.name.event), spreadsheetText(e.name.year),
            e.name.level ? QString::number(e.name.level) : QString(), QString::number(e.judged),
            QString::number(e.wrong), QString::number(e.wrongPercent(), 'f', 1), QString::number(e.pupils),
            QString::number(e.wrongPupils) });
    lines.push_back({});
    lines.push_back({ QStringLiteral("順位"), QStringLiteral("出来事"), QStringLiteral("年"), QStringLiteral("出来事"),
        QStringLiteral("年"), QStringLiteral("取り違えた回数"), QStringLiteral("説明の取り違え"),
        QStringLiteral("順序の取り違え") });
    for (const PairLine& p : sheet.pairs)
        lines.push_back({ QString::number(p.rank), spreadsheetText(p.first.event), spreadsheetText(p.first.year),
            spreadsheetText(p.second.event), spreadsheetText(p.second.year), QString::number(p.total()),
            QString::number(p.explanations), QString::number(p.order) });
    return lines;
}

} // namespace

int eventsCommand(const QStringList& args, const ToolHelpers& tool)
{
    QString given, grade = QStringLiteral("全学年"), from, to, csv, pdf;
    bool utf8 = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        QString* value = a == QStringLiteral("--grade") ? &grade
            : a == QStringLiteral("--from")             ? &from
            : a == QStringLiteral("--to")               ? &to
            : a == QStringLiteral("--csv")              ? &csv
            : a == QStringLiteral("--pdf")              ? &pdf
                                                        : nullptr;
        if (a == QStringLiteral("--help") || a == QStringLiteral("-h")) {
            return tools::writeOutput(
                       tools::outputBytes(QString::fromUtf8(kEventsHelp), [](const QString& t) { return t.toUtf8(); }))
                ? 0
                : 1;
        } else if (a == QStringLiteral("--utf8")) {
            utf8 = true;
        } else if (value && i + 1 < args.size()) {
            *value = args.at(++i);
        } else if (value || a.startsWith(QLatin1Char('-')) || !given.isEmpty()) {
            tool.complain(a + QStringLiteral(": 使えない指定です（events --help で使い方を表示します）"));
            return 2;
        } else {
            given = a;
        }
    }
    if (given.isEmpty() || (!csv.isEmpty() && !pdf.isEmpty())) {
        tool.complain(QStringLiteral("フォルダを 1 つと、--csv か --pdf のどちらかを指定してください"));
        return 2;
    }
    const std::optional<QString> choice = tools::gradeChoiceOf(grade);
    if (!choice) {
        tool.complain(tools::gradeRefusal(grade));
        return 2;
    }
    const std::optional<int> fromDay = from.isEmpty() ? std::optional<int>(0) : dayOf(from, tool);
    const std::optional<int> toDay = to.isEmpty() ? std::optional<int>(0) : dayOf(to, tool);
    if (!fromDay || !toDay)
        return 2;

    const std::optional<QString> folder = tool.drillSetFolder(given);
    if (!folder)
        return 1;
    if (const std::optional<FileError> e = loadSettings(*folder)) {
        tool.complain(e->message());
        return 1;
    }
    setLevelConstants();
    if (!tool.prepareOutput(pdf.isEmpty() ? csv : pdf, utf8, eventsFilePath()))
        return 1;

    // Names and years from the question file; without it the events are numbers only.
    std::unordered_map<EventId, EventName> names;
    const QString questions = reg.appFolder + questionFileName();
    Result<QuestionRows> rows = FileError {};
    if (std::optional<FileError> e = loadQuestionTable(questions))
        tool.complain(e->message() + QStringLiteral("（出来事の名前は書けません）"));
    else if (!(rows = loadRows(kMaxLevel, storedQuestionFileName(questions))))
        tool.complain(rows.error().message() + QStringLiteral("（出来事の名前は書けません）"));
    else
        names = eventNames(*rows);

    // The pupils' grades on the last day of the period.
    const QDate day = *toDay ? platform::fromDayCount(*toDay).date() : platform::clock().today();
    const int schoolYear = schoolYearOf(day, static_cast<int>(reg.schoolYearStartMonth.toInteger()));
    std::vector<int> grades(kPupils, -999);
    if (const Result<QList<RosterRecord>> roster = readRosterRecords(reg.rosterFolder + kRosterFile)) {
        for (const RosterRecord& r : *roster)
            if (r.number >= 1 && r.number <= kMaxPupil
                && (grades[static_cast<size_t>(r.number)] == -999 || r.status == 0))
                grades[static_cast<size_t>(r.number)] = gradeIndexOf(schoolYear, r.birthYear);
    } else if (*choice != QStringLiteral("全学年")) {
        tool.complain(roster.error().message());
        return 1;
    }

    EventTallies tallies;
    if (const std::optional<FileError> e = forEachJudgement(eventsFilePath(), 0, [&](const JudgementRecord& r, qint64) {
            const int d = r.day();
            if ((*fromDay && d < *fromDay) || (*toDay && d > *toDay)
                || !passesGradeFilter(*choice, grades[static_cast<size_t>(r.pupilNo)]))
                return;
            tallies.add(r);
        })) {
        tool.complain(e->message());
        return 1;
    }
    EventSheet sheet;
    sheet.schoolName = reg.schoolName;
    sheet.drillSetTitle = reg.drillSetTitle;
    sheet.gradeChoice = *choice;
    sheet.period = from.isEmpty() && to.isEmpty() ? QStringLiteral("全期間") : from + QStringLiteral("～") + to;
    sheet.events = tallies.events(names);
    sheet.pairs = tallies.pairs(names);

    if (pdf.isEmpty())
        return tool.writeCsv(csvText(csvLines(sheet))) ? 0 : 1;
    const std::optional<QByteArray> document = landscapePdf(
        QStringLiteral("出来事別成績表"), [&](QPdfWriter& writer) { return printEventSheet(writer, sheet); });
    if (!document) {
        tool.complain(pdf + QStringLiteral(": 書き込めません"));
        return 1;
    }
    return tool.writeBytes(*document) ? 0 : 1;
}

std::optional<QByteArray> landscapePdf(const QString& title, const std::function<int(QPdfWriter&)>& print)
{
    QBuffer document;
    document.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&document);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Landscape);
        writer.setResolution(300);
        writer.setTitle(title);
        if (print(writer) == 0)
            return std::nullopt;
    }
    return document.data();
}

} // namespace kanameru
