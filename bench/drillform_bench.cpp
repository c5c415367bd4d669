// The waits a pupil has on the drill form: from the board's start button (startDrill) to the
// first question on screen with the demo question file, and one judgement of the explanations
// with its colours (the sound itself is left out: its length is the sound's own).
#include "drill/mainfrm.h"
#include "drill/questiontable.h"
#include "endscreen/startdrill.h"
#include "platform/clock.h"
#include "platform/formhost.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

using namespace kanameru;

namespace {

QPointer<MainFrm> opened;

// A program folder holding the demo question file, and a pupil at level 3 of the demo levels.
class DemoDrill {
public:
    DemoDrill()
    {
        QFile clear(QStringLiteral(DEMO_QUESTIONS_CLEAR));
        if (!clear.open(QIODevice::ReadOnly))
            std::abort();
        QStringList lines = QString::fromUtf8(clear.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (QString& l : lines)
            l = l.trimmed();
        reg.appFolder = dir_.path() + QLatin1Char('/');
        reg.programFolder = reg.appFolder; // where the drill stores what it records
        if (writeStoredQuestionFile(
                storedQuestionFileName(reg.appFolder + questionFileName()), lines, QStringLiteral("questions.csv")))
            std::abort();
        reg.drillSetTitle = QStringLiteral("カナメル");
        reg.currentPupilNo = 1;
        reg.currentPupilName = QStringLiteral("山田　太郎");
        reg.currentLevel = 3;
        reg.memorizeMode = 0;
        reg.levelTitles[3] = QStringLiteral("ﾚﾍﾞﾙ3");
        reg.levelIsTimed[3] = 1;
        reg.levelTarget[3] = 420;
        reg.levelTargetB[3] = 360;
        screens().showDrillForm = [] { opened = MainFrm::open(); };
    }

private:
    QTemporaryDir dir_;
};

void closeForm()
{
    if (opened) {
        opened->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        opened = nullptr;
    }
}

void BM_StartToFirstQuestion(benchmark::State& state)
{
    static DemoDrill demo;
    for (auto _ : state) {
        startDrill();
        if (!opened || !opened->flow().hasQuestion())
            state.SkipWithError("no question shown");
        state.PauseTiming();
        closeForm();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToFirstQuestion)->Unit(benchmark::kMillisecond);

void BM_JudgeExplanations(benchmark::State& state)
{
    static DemoDrill demo;
    startDrill();
    if (!opened)
        state.SkipWithError("no form");
    for (auto _ : state) {
        state.PauseTiming();
        reg.soundFailureCount = 0; // no sounds are installed here: keep the failure count low
        // Wrong judgements add 5 seconds each: start the clock afresh so that thousands of them
        // never reach the time limit.
        reg.attemptStartSeconds = static_cast<float>(platform::clock().secondsSinceMidnight());
        opened->Command3_Click();
        // The next question is painted before the judgement is timed: the judgement pays
        // for what it changes only.
        platform::paintChangesNow(opened);
        state.ResumeTiming();
        opened->Command6_Click();
    }
    closeForm();
}
BENCHMARK(BM_JudgeExplanations)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    // The forms drawn smaller by their hosts, as on a 1024 x 600 screen (bench/scale_bench.sh).
    if (qEnvironmentVariableIsSet("KANAMERU_FORM_SCALE"))
        platform::setFormScale(qEnvironmentVariable("KANAMERU_FORM_SCALE").toDouble());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
