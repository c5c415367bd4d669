#pragma once
// The multimedia command strings, over SDL2 audio. The program sends a command text and gets
// 0 or an error code; a second call turns a code into a text for the pupil's teacher.
#include <QString>
#include <functional>

namespace platform {

// Result codes, numbered as the original command interface numbered them.
enum MciCode : int {
    kMciOk = 0,
    kMciUnknownCommand = 261, // not a command this layer understands
    kMciDeviceStopped = 262, // the audio device stopped playing (the deadline passed)
    kMciFileNotFound = 275, // no such file
    kMciInvalidFile = 296, // the file cannot be read as a WAV sound
    kMciNoAudioDevice = 320, // no usable audio output device
    kMciMissingFileName = 273, // "play" without a file
    kMciOutputsUnsuitable = 326, // no output device can play the file's format (its sample rate)
};

// Sample rates a sound card can play; a WAV outside them is refused before anything plays.
constexpr int kMinSampleRate = 4000;
constexpr int kMaxSampleRate = 192000;

// Understands "play PATH wait": loads the WAV file, plays it on the default audio device and
// returns when it has been heard to its end. PATH may be enclosed in double quotes; without
// quotes everything between "play " and " wait" is the path, spaces included. A WAV whose
// sample rate lies outside kMinSampleRate..kMaxSampleRate gives kMciOutputsUnsuitable. The
// wait is bounded by the sound's own length and a small margin: a device that stops playing
// gives kMciDeviceStopped. Any other command gives kMciUnknownCommand.
int mciSendString(const QString& command);

// The error text of a code, at most 255 characters. For the code of the last failed command
// the text also names what failed (the file, the reason the audio layer gave).
QString mciGetErrorString(int code);

// Form tests that only need to know which sounds were asked for can install a handler that
// takes every command instead of SDL (it returns the code); an empty handler restores SDL.
// Returns the handler installed before.
using MciHandler = std::function<int(const QString& command)>;
MciHandler setMciHandler(MciHandler handler);

// Closes the audio layer (the next command opens it again). Programs call it at the end.
void mciShutdown();

} // namespace platform
