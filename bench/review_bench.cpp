// Opening a pupil's review with 1,000,000 event outcomes in the events file (200,000 records of
// five; KANAMERU_EVENT_RECORDS sets another number of records), against opening the
// results board on the same installation: a school of 200 pupils, the drill set's levels, the
// demo question file, 20000 stored attempts. The review is opened as the board's "復習" button
// does, from a history read afresh (the board's own count not done before, the worst case) and
// from one already read (the count done, as when the pupil presses it); both end when the
// review's first question is on the screen. At the end the ratio to the board's opening is
// printed; the review's cold opening is to stay within 1.5 times the board's.
#include "board/seisekitime1.h"
#include "drill/mainfrm.h"
#include "drill/questiontable.h"
#include "platform/clock.h"
#include "results/results.h"
#include "review/eventhistory.h"
#include "review/eventtally.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "startup/settings.h"
#include "support/fakes.h"
#include "support/installation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QRandomGenerator>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <memory>

using namespace kanameru;

namespace {

constexpr int kPupils = 200;
constexpr int kAttempts = 20000;
constexpr int kReviewer = 17;

QPointer<MainFrm> opened;
const qint64 kJudgements = qEnvironmentVariableIsSet("KANAMERU_EVENT_RECORDS")
    ? qEnvironmentVariable("KANAMERU_EVENT_RECORDS").toLongLong()
    : 200000;
// Each opening's wall and processor time, for the medians printed at the end (the machine may
// be busy with other work: the processor time is the program's own).
struct Samples {
    std::vector<double> wall, cpu;
    void add(double wallMs, double cpuMs)
    {
        wall.push_back(wallMs);
        cpu.push_back(cpuMs);
    }
};
Samples board, afresh, counted;

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<qsizetype>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Processor time of the program so far, in milliseconds.
double cpuMs()
{
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

struct School {
    testing_support::FakePlatform platform;
    testing_support::TestInstallation installation;

    School()
    {
        QRandomGenerator random(2026);
        QString roster;
        for (int p = 1; p <= kPupils; ++p)
            roster += QStringLiteral("%1,%2,0,0,\"生徒%3\",0,\"\",\"\"\n")
                          .arg(p)
                          .arg(2010 + p % 6)
                          .arg(p, 4, 10, QLatin1Char('0'));
        installation.writeText(QStringLiteral("files/生徒用名簿.txt"), roster);
        installation.load();
        setLevelConstants();
        const QDate today = platform.clock.today();
        QByteArray bytes;
        for (int i = 0; i < kAttempts; ++i) {
            ResultRecord r;
            r.recordDate = platform::dayCount(today.addDays(-static_cast<int>(random.bounded(300))));
            r.recordTime = random.bounded(86400) / 86400.0;
            r.pupilNo = static_cast<qint16>(1 + random.bounded(kPupils));
            r.level = static_cast<qint16>(1 + random.bounded(reg.levelCount));
            r.result = 60 + static_cast<int>(random.bounded(400));
            bytes += r.toBytes();
        }
        installation.writeBytes(QStringLiteral("カナメル/成績累積データ.dat"), bytes);

        QFile clear(QStringLiteral(DEMO_QUESTIONS_CLEAR));
        if (!clear.open(QIODevice::ReadOnly))
            qFatal("no demo questions");
        QStringList lines = QString::fromUtf8(clear.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (QString& l : lines)
            l = l.trimmed();
        const QString questions = reg.appFolder + questionFileName();
        if (writeStoredQuestionFile(storedQuestionFileName(questions), lines, QStringLiteral("questions.csv"))
            || loadQuestionTable(questions))
            qFatal("no question file");
        const Result<QuestionRows> rows = loadRows(kMaxLevel, questionFileName());
        std::vector<review::EventId> ids;
        for (int r = 1; r <= rows->usableRowCount; ++r)
            ids.push_back(review::eventId(rows->rowYear[r], rows->rowEvent[r]));

        // A year of judgements of every pupil, a fifth of the rows wrong.
        QFile events(reg.programFolder + review::eventsFileName());
        if (!events.open(QIODevice::WriteOnly))
            qFatal("no events file");
        const double first = platform::dayCount(today) - 365;
        QByteArray block;
        for (qint64 n = 0; n < kJudgements; ++n) {
            review::JudgementRecord j;
            j.recordDate = first + 365.0 * static_cast<double>(n) / kJudgements;
            j.pupilNo = static_cast<qint16>(1 + random.bounded(kPupils));
            j.level = static_cast<qint16>(1 + random.bounded(reg.levelCount));
            j.phase = n % 2 ? review::Phase::Order : review::Phase::Explanations;
            for (auto& row : j.rows)
                row = { ids[random.bounded(static_cast<quint32>(ids.size()))], random.bounded(5) == 0 };
            block += j.toBytes();
            if (block.size() >= (1 << 20)) {
                events.write(block);
                block.clear();
            }
        }
        events.write(block);
        events.close();

        if (readRoster())
            qFatal("roster");
        reg.formBackColour = 0x008080;
        reg.gradeFilterText = QStringLiteral("全学年");
        reg.currentPupilNo = kReviewer;
        reg.currentPupilName = reg.pupilNames[kReviewer];
        screens().showDrillForm = [] { opened = MainFrm::open(); };
        screens().showBackdrop = [] {};
        screens().hideBackdrop = [] {};
    }
};

// The board as the start screen's "O.K." opens it: shown, then activated from the event loop,
// its first picture drawn. The posted work after its activation (its count of the events due)
// has not run.
QPointer<seisekitime1> openBoard()
{
    QPointer<seisekitime1> board = seisekitime1::open();
    while (board && !board->activated())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return board;
}

void closeAll()
{
    if (opened)
        opened->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    opened = nullptr;
}

void BoardOpening(benchmark::State& state)
{
    QElapsedTimer t;
    for (auto _ : state) {
        t.start();
        const double c = cpuMs();
        QPointer<seisekitime1> b = openBoard();
        board.add(t.nsecsElapsed() / 1e6, cpuMs() - c);
        if (!b)
            state.SkipWithError("no board");
        state.PauseTiming();
        b->close();
        closeAll();
        state.ResumeTiming();
    }
}
BENCHMARK(BoardOpening)->Unit(benchmark::kMillisecond)->MinTime(3);

void ReviewOpening(benchmark::State& state, bool fromNothing)
{
    QElapsedTimer t;
    for (auto _ : state) {
        state.PauseTiming();
        // The board closes itself as the review starts (and is deleted with the drill form).
        QPointer<seisekitime1> b = openBoard();
        review::sharedHistory().clear();
        if (!fromNothing)
            b->showReviewCount();
        state.ResumeTiming();
        t.start();
        const double c = cpuMs();
        b->Review_Click();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); // its first picture
        (fromNothing ? afresh : counted).add(t.nsecsElapsed() / 1e6, cpuMs() - c);
        if (!opened || !opened->flow().hasQuestion() || reg.reviewMode != 1)
            state.SkipWithError("no review question shown");
        state.PauseTiming();
        closeAll();
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(ReviewOpening, afresh, true)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK_CAPTURE(ReviewOpening, countedBefore, false)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    School school;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double boardWall = median(board.wall), boardCpu = median(board.cpu);
    if (boardWall > 0 && boardCpu > 0)
        std::printf(
            "%lld records (%lld event outcomes) in the events file; medians: board %.1f ms (processor %.1f ms)\n"
            "review opening / board opening: afresh %.2f (processor %.2f), counted before %.2f (processor %.2f);"
            " the review afresh is to stay within 1.5\n",
            static_cast<long long>(kJudgements), static_cast<long long>(kJudgements * review::kRowsPerJudgement),
            boardWall, boardCpu, median(afresh.wall) / boardWall, median(afresh.cpu) / boardCpu,
            median(counted.wall) / boardWall, median(counted.cpu) / boardCpu);
    return 0;
}
