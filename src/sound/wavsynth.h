#pragma once
// Writing WAV files and making simple tones: the demo sounds, and the sounds the tests play.
#include <QByteArray>
#include <QString>
#include <vector>

namespace kanameru {

// A mono sound as samples in [-1, 1] at a sample rate.
struct Sound {
    int sampleRate = 22050;
    std::vector<float> samples;
    double seconds() const { return static_cast<double>(samples.size()) / sampleRate; }
};

// The bytes of a 16-bit PCM mono WAV file (samples outside [-1, 1] are clipped).
QByteArray wavBytes(const Sound& sound);
// Writes the WAV file; false when it cannot be written.
bool writeWav(const QString& path, const Sound& sound);

// A partial of a note: frequency multiple, loudness and decay (1/s, 0 = none).
struct Partial {
    double ratio = 1;
    double level = 1;
    double decay = 0;
};

// Adds a note starting at `start` seconds, lasting `length` seconds, of the given partials,
// with short fades at both ends so that nothing clicks. vibrato is in Hz of depth at 6 Hz.
void addNote(Sound& sound, double start, double length, double frequency, double level,
    const std::vector<Partial>& partials, double vibrato = 0);

// A sound of the given length filled with silence.
Sound silence(double seconds, int sampleRate = 22050);

// A plain sine tone (tests and benchmarks).
Sound sineTone(double seconds, double frequency, int sampleRate = 22050);

// Scales the sound so that its loudest sample is `peak`.
void normalise(Sound& sound, double peak = 0.8);

} // namespace kanameru
