// The first activation of the results board on a school of 2000 pupils, 35 levels and 20000
// stored attempts (statistics, every level's ranking and its list), against, in the same run,
// computing the statistics and filling plain list widgets with the same lines.
#include "board/ranking.h"
#include "board/seisekitime1.h"
#include "platform/clock.h"
#include "platform/formhost.h"
#include "results/results.h"
#include "roster/rosterfile.h"
#include "startup/hensuu1.h"
#include "support/fakes.h"
#include "support/installation.h"

#include <QApplication>
#include <QListWidget>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <memory>

using namespace kanameru;

namespace {

constexpr int kPupils = 2000;
constexpr int kLevelsInUse = 35;
constexpr int kAttempts = 20000;

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
                          .arg(2010 + p % 12)
                          .arg(p, 4, 10, QLatin1Char('0'));
        installation.writeText(QStringLiteral("files/生徒用名簿.txt"), roster);
        QByteArray bytes;
        const QDate today = platform.clock.today();
        for (int i = 0; i < kAttempts; ++i) {
            ResultRecord r;
            r.recordDate = platform::dayCount(today.addDays(-static_cast<int>(random.bounded(60))));
            r.recordTime = random.bounded(86400) / 86400.0;
            r.pupilNo = static_cast<qint16>(1 + random.bounded(kPupils));
            r.level = static_cast<qint16>(1 + random.bounded(kLevelsInUse));
            r.result = random.bounded(20) == 0 ? 99999 : 30 + static_cast<int>(random.bounded(570));
            bytes += r.toBytes();
        }
        installation.writeBytes(QStringLiteral("カナメル/成績累積データ.dat"), bytes);
        installation.load();
        reg.formBackColour = 0x008080;
        reg.levelCount = kLevelsInUse;
        for (int level = 1; level <= kLevelsInUse; ++level)
            reg.levelTitles[static_cast<size_t>(level)] = QStringLiteral("ﾚﾍﾞﾙ%1").arg(level);
        if (readRoster())
            qFatal("roster");
        reg.gradeFilterText = QStringLiteral("全学年");
        reg.currentPupilNo = 1;
        reg.currentPupilName = reg.pupilNames[1];
    }
};

School* school = nullptr;

void BoardFirstActivation(benchmark::State& state)
{
    for (auto _ : state) {
        auto form = std::make_unique<seisekitime1>();
        form->Form_Activate();
        benchmark::DoNotOptimize(form->activated());
    }
}
BENCHMARK(BoardFirstActivation)->Unit(benchmark::kMillisecond)->MinTime(3);

// Building the form's columns alone (Form_Load), for scale.
void BoardLoadOnly(benchmark::State& state)
{
    for (auto _ : state) {
        auto form = std::make_unique<seisekitime1>();
        benchmark::DoNotOptimize(form.get());
    }
}
BENCHMARK(BoardLoadOnly)->Unit(benchmark::kMillisecond)->MinTime(3);

// The same work without the form: the statistics, the same ranking lines, plain lists.
void StatisticsAndPlainLists(benchmark::State& state)
{
    std::vector<std::unique_ptr<QListWidget>> lists;
    for (int level = 1; level <= kLevelsInUse; ++level)
        lists.push_back(std::make_unique<QListWidget>());
    for (auto _ : state) {
        computeStatistics();
        for (int level = 1; level <= kLevelsInUse; ++level) {
            RankingOptions options;
            options.level = level;
            options.displayKind = 2;
            options.pointsOrder = 1;
            options.gradeChoice = QStringLiteral("全学年");
            options.currentPupil = 1;
            QListWidget* list = lists[static_cast<size_t>(level) - 1].get();
            list->clear();
            list->addItems(buildRanking(options).lines);
        }
        benchmark::DoNotOptimize(lists.back()->count());
    }
}
BENCHMARK(StatisticsAndPlainLists)->Unit(benchmark::kMillisecond)->MinTime(3);

// The statistics alone, for scale.
void StatisticsOnly(benchmark::State& state)
{
    for (auto _ : state)
        computeStatistics();
}
BENCHMARK(StatisticsOnly)->Unit(benchmark::kMillisecond)->MinTime(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The forms drawn smaller by their hosts, as on a 1024 x 600 screen (bench/scale_bench.sh).
    if (qEnvironmentVariableIsSet("KANAMERU_FORM_SCALE"))
        platform::setFormScale(qEnvironmentVariable("KANAMERU_FORM_SCALE").toDouble());
    School s;
    school = &s;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
