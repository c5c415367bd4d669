// Makes the demo installation's sound effects from synthesised tones: 16-bit PCM mono WAV
// files at 22050 Hz, each between 0.3 and 2 seconds.
//   kanameru-makesounds OUTDIR        writes every sound into OUTDIR
//   kanameru-makesounds --list        prints the file names, one a line
#include "sound/wavsynth.h"
#include "toolsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>

using namespace kanameru;

namespace {

constexpr int kRate = 22050;

double note(int semitonesFromA4)
{
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}
// Notes used below, as semitones from A4.
constexpr int C5 = 3, D5 = 5, E5 = 7, G5 = 10, B5 = 14, C6 = 15, E6 = 19, G6 = 22;
constexpr int G4 = -2, C4 = -9, E4 = -5;

// A bright bell: inharmonic upper partials that die away faster than the fundamental.
const std::vector<Partial> kBell = { { 1, 1, 3.5 }, { 2.0, 0.45, 6 }, { 3.01, 0.2, 9 }, { 4.2, 0.12, 14 } };
// A mallet instrument: soft, quickly decaying.
const std::vector<Partial> kMarimba = { { 1, 1, 6 }, { 4.0, 0.25, 18 }, { 10.0, 0.05, 30 } };
// A brass-like tone: all harmonics, falling off with their number.
const std::vector<Partial> kBrass = { { 1, 1, 0.6 }, { 2, 0.6, 0.8 }, { 3, 0.45, 1 }, { 4, 0.3, 1.2 }, { 5, 0.2, 1.5 },
    { 6, 0.12, 2 }, { 7, 0.08, 2 }, { 8, 0.05, 2 } };
// A buzzer: odd harmonics only (a rounded square wave).
const std::vector<Partial> kBuzzer
    = { { 1, 1, 0 }, { 3, 0.33, 0 }, { 5, 0.2, 0 }, { 7, 0.14, 0 }, { 9, 0.11, 0 }, { 11, 0.09, 0 } };
// A duller buzzer: every harmonic (a rounded sawtooth).
const std::vector<Partial> kSaw
    = { { 1, 1, 1 }, { 2, 0.5, 1 }, { 3, 0.33, 1.5 }, { 4, 0.25, 2 }, { 5, 0.2, 2 }, { 6, 0.16, 3 } };

Sound finished(Sound s, double peak)
{
    normalise(s, peak);
    return s;
}

// "正解1": a rising two-note chime.
Sound correct1()
{
    Sound s = silence(0.75, kRate);
    addNote(s, 0.0, 0.45, note(C6), 0.8, kBell);
    addNote(s, 0.09, 0.66, note(E6), 1.0, kBell);
    return finished(s, 0.8);
}

// "正解2": three quick rising chimes.
Sound correct2()
{
    Sound s = silence(0.85, kRate);
    addNote(s, 0.0, 0.4, note(G5), 0.7, kBell);
    addNote(s, 0.07, 0.45, note(C6), 0.8, kBell);
    addNote(s, 0.14, 0.71, note(E6), 1.0, kBell);
    return finished(s, 0.8);
}

// "正解3": the quiz show's "ピンポーン", high then lower.
Sound correct3()
{
    Sound s = silence(0.9, kRate);
    addNote(s, 0.0, 0.3, note(B5), 1.0, kBell);
    addNote(s, 0.16, 0.74, note(G5), 1.0, kBell);
    return finished(s, 0.8);
}

// "間違い1": two short buzzes, "ブブー".
Sound wrong1()
{
    Sound s = silence(0.62, kRate);
    addNote(s, 0.0, 0.16, 140, 1.0, kBuzzer);
    addNote(s, 0.22, 0.40, 140, 1.0, kBuzzer);
    return finished(s, 0.55);
}

// "間違い2": a falling two-tone "boo-boop" with a wobble.
Sound wrong2()
{
    Sound s = silence(0.55, kRate);
    addNote(s, 0.0, 0.2, note(E4), 1.0, kSaw, 4);
    addNote(s, 0.22, 0.33, note(C4) * 0.84, 1.0, kSaw, 6);
    return finished(s, 0.55);
}

// "自己最高1": a rising arpeggio ending on a ringing chord.
Sound personalRecord()
{
    Sound s = silence(1.3, kRate);
    const int steps[] = { C5, E5, G5, C6 };
    for (int i = 0; i < 4; ++i)
        addNote(s, i * 0.1, 0.4, note(steps[i]), 0.8, kMarimba);
    addNote(s, 0.4, 0.9, note(C6), 0.7, kBell);
    addNote(s, 0.4, 0.9, note(E6), 0.5, kBell);
    addNote(s, 0.4, 0.9, note(G6), 0.4, kBell);
    return finished(s, 0.8);
}

// "好成績1": a friendly "ding-dong-ding" on a mallet.
Sound goodResult()
{
    Sound s = silence(0.95, kRate);
    addNote(s, 0.0, 0.3, note(G5), 1.0, kMarimba);
    addNote(s, 0.15, 0.3, note(E5), 1.0, kMarimba);
    addNote(s, 0.3, 0.65, note(C6), 1.0, kMarimba);
    addNote(s, 0.3, 0.65, note(E5), 0.5, kMarimba);
    return finished(s, 0.8);
}

// "最高1": a short fanfare, "ta-ta-ta-taaa".
Sound overallRecord()
{
    Sound s = silence(1.55, kRate);
    for (int i = 0; i < 3; ++i)
        addNote(s, i * 0.13, 0.11, note(G4), 0.8, kBrass);
    addNote(s, 0.39, 1.16, note(C5), 0.9, kBrass, 2.5);
    addNote(s, 0.39, 1.16, note(E5), 0.6, kBrass, 2.5);
    addNote(s, 0.39, 1.16, note(G5), 0.5, kBrass, 2.5);
    return finished(s, 0.7); // brass sounds louder than a chime at the same peak
}

// "合格": a jingle that climbs and lands on a bright chord.
Sound cleared()
{
    Sound s = silence(1.9, kRate);
    const int melody[] = { C5, D5, E5, G5, E5, G5 };
    const double starts[] = { 0.0, 0.12, 0.24, 0.36, 0.6, 0.72 };
    for (int i = 0; i < 6; ++i)
        addNote(s, starts[i], 0.2, note(melody[i]), 0.7, kMarimba);
    addNote(s, 0.96, 0.94, note(C6), 0.8, kBrass, 2);
    addNote(s, 0.96, 0.94, note(E5), 0.5, kBrass, 2);
    addNote(s, 0.96, 0.94, note(G5), 0.5, kBrass, 2);
    addNote(s, 0.96, 0.94, note(C6), 0.5, kBell);
    addNote(s, 1.05, 0.85, note(E6), 0.3, kBell); // a high E on top
    return finished(s, 0.7);
}

const std::vector<std::pair<QString, std::function<Sound()>>>& sounds()
{
    static const std::vector<std::pair<QString, std::function<Sound()>>> list = {
        { QStringLiteral("正解1.wav"), correct1 },
        { QStringLiteral("正解2.wav"), correct2 },
        { QStringLiteral("正解3.wav"), correct3 },
        { QStringLiteral("間違い1.wav"), wrong1 },
        { QStringLiteral("間違い2.wav"), wrong2 },
        { QStringLiteral("自己最高1.wav"), personalRecord },
        { QStringLiteral("好成績1.wav"), goodResult },
        { QStringLiteral("最高1.wav"), overallRecord },
        { QStringLiteral("合格.wav"), cleared },
    };
    return list;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: kanameru-makesounds OUTDIR | --list\n");
        return 2;
    }
    if (args[1] == QStringLiteral("--list")) {
        for (const auto& [name, make] : sounds())
            std::printf("%s\n", name.toUtf8().constData());
        return 0;
    }
    const QDir out(args[1]);
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "%s: cannot make the folder\n", qPrintable(args[1]));
        return 1;
    }
    for (const auto& [name, make] : sounds()) {
        tools::OutputRules rules;
        rules.refuseDataNames = false;
        const tools::OutputTarget target = tools::checkOutput(out.filePath(name), rules);
        if (target.refused()) {
            tools::printError(target.refusal);
            return 1;
        }
        const Sound s = make();
        if (!writeWav(target.path, s)) {
            std::fprintf(stderr, "%s: cannot write\n", qPrintable(out.filePath(name)));
            return 1;
        }
    }
    return 0;
}
