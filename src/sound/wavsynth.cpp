#include "sound/wavsynth.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace kanameru {

namespace {
void put16(QByteArray& b, quint16 v)
{
    b.append(static_cast<char>(v & 0xff));
    b.append(static_cast<char>(v >> 8));
}
void put32(QByteArray& b, quint32 v)
{
    put16(b, static_cast<quint16>(v & 0xffff));
    put16(b, static_cast<quint16>(v >> 16));
}
} // namespace

QByteArray wavBytes(const Sound& sound)
{
    const auto dataBytes = static_cast<quint32>(sound.samples.size() * 2);
    QByteArray b;
    b.reserve(static_cast<qsizetype>(44 + dataBytes));
    b.append("RIFF");
    put32(b, 36 + dataBytes);
    b.append("WAVE");
    b.append("fmt ");
    put32(b, 16);
    put16(b, 1); // PCM
    put16(b, 1); // mono
    put32(b, static_cast<quint32>(sound.sampleRate));
    put32(b, static_cast<quint32>(sound.sampleRate * 2));
    put16(b, 2); // bytes per frame
    put16(b, 16); // bits per sample
    b.append("data");
    put32(b, dataBytes);
    for (float s : sound.samples) {
        const double clipped = std::clamp(static_cast<double>(s), -1.0, 1.0);
        put16(b, static_cast<quint16>(static_cast<qint16>(std::lround(clipped * 32767.0))));
    }
    return b;
}

bool writeWav(const QString& path, const Sound& sound)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = wavBytes(sound);
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

void addNote(Sound& sound, double start, double length, double frequency, double level,
    const std::vector<Partial>& partials, double vibrato)
{
    const double rate = sound.sampleRate;
    const auto first = static_cast<size_t>(std::max(0.0, start * rate));
    const auto count = static_cast<size_t>(length * rate);
    if (sound.samples.size() < first + count)
        sound.samples.resize(first + count, 0.0f);
    const double attack = std::min(0.008, length / 4);
    const double release = std::min(0.15, length / 4); // long notes fade out, short ones stay crisp
    const double twoPi = 2 * std::numbers::pi;
    std::vector<double> phases(partials.size(), 0.0);
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        double envelope = 1;
        if (t < attack)
            envelope = t / attack;
        else if (t > length - release)
            envelope = std::max(0.0, (length - t) / release);
        const double f = frequency + vibrato * std::sin(twoPi * 6 * t);
        double v = 0;
        for (size_t p = 0; p < partials.size(); ++p) {
            const Partial& partial = partials[p];
            const double pf = f * partial.ratio;
            if (pf >= rate / 2)
                continue; // above what the rate can hold
            phases[p] += twoPi * pf / rate;
            v += partial.level * std::exp(-partial.decay * t) * std::sin(phases[p]);
        }
        sound.samples[first + i] += static_cast<float>(level * envelope * v);
    }
}

Sound silence(double seconds, int sampleRate)
{
    Sound s;
    s.sampleRate = sampleRate;
    s.samples.assign(static_cast<size_t>(seconds * sampleRate), 0.0f);
    return s;
}

Sound sineTone(double seconds, double frequency, int sampleRate)
{
    Sound s = silence(0, sampleRate);
    addNote(s, 0, seconds, frequency, 0.5, { Partial { 1, 1, 0 } });
    return s;
}

void normalise(Sound& sound, double peak)
{
    float loudest = 0;
    for (float s : sound.samples)
        loudest = std::max(loudest, std::abs(s));
    if (loudest <= 0)
        return;
    const auto factor = static_cast<float>(peak / loudest);
    for (float& s : sound.samples)
        s *= factor;
}

} // namespace kanameru
