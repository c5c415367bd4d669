#include "platform/mci.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "fileio/fileio.h"
#include "platform/nativepath.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cerrno>

namespace platform {

namespace {

constexpr qsizetype kMaxErrorText = 255;

// What the last failed command was about, shown with its code's text.
int lastFailure = kMciOk;
MciHandler handler;
QString lastDetail;

int fail(int code, const QString& detail)
{
    lastFailure = code;
    lastDetail = detail;
    return code;
}

QString sdlError()
{
    return QString::fromUtf8(SDL_GetError());
}

// The command split into its parts: "play", the path, and whether "wait" was given.
struct PlayCommand {
    bool isPlay = false;
    QString path;
    bool wait = false;
};

PlayCommand parse(const QString& command)
{
    PlayCommand c;
    const QString text = command.trimmed();
    const qsizetype space = text.indexOf(u' ');
    const QString verb = space < 0 ? text : text.left(space);
    if (verb.compare(QStringLiteral("play"), Qt::CaseInsensitive) != 0)
        return c;
    c.isPlay = true;
    QString rest = space < 0 ? QString() : text.mid(space + 1).trimmed();
    if (rest.startsWith(u'"')) {
        // A quoted path ends at the last quote; only "wait" may follow it.
        const qsizetype close = rest.lastIndexOf(u'"');
        if (close > 0) {
            const QString after = rest.mid(close + 1).trimmed();
            c.path = rest.mid(1, close - 1);
            c.wait = after.compare(QStringLiteral("wait"), Qt::CaseInsensitive) == 0;
            if (!after.isEmpty() && !c.wait)
                c.isPlay = false; // an unknown word after the path
            return c;
        }
    }
    // Unquoted: everything before a final " wait" is the path, spaces included.
    static const QString waitWord = QStringLiteral("wait");
    if (rest.compare(waitWord, Qt::CaseInsensitive) == 0) {
        c.wait = true;
        return c; // no path
    }
    if (rest.size() > waitWord.size() && rest.endsWith(waitWord, Qt::CaseInsensitive)
        && rest[rest.size() - waitWord.size() - 1].isSpace()) {
        c.wait = true;
        rest = rest.chopped(waitWord.size()).trimmed();
    }
    c.path = rest;
    return c;
}

bool audioReady(QString* why)
{
    if (SDL_WasInit(SDL_INIT_AUDIO))
        return true;
    SDL_SetMainReady();
    // SDL would otherwise take SIGINT and SIGTERM for itself and swallow them: the program
    // handles the end of a session on its own.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        *why = sdlError();
        return false;
    }
    // The device is closed before the program's objects go away.
    static bool closeAtEnd = false;
    if (!closeAtEnd && QCoreApplication::instance() != nullptr) {
        qAddPostRoutine(mciShutdown);
        closeAtEnd = true;
    }
    return true;
}

// A device buffer of about 25 ms keeps the wait after the last sample short.
Uint16 bufferSamples(int frequency)
{
    Uint16 samples = 256;
    while (samples < 4096 && samples * 2 <= frequency / 40)
        samples *= 2;
    return samples;
}

// The loaded WAV buffer, released on every way out.
struct WavBuffer {
    Uint8* data = nullptr;
    Uint32 length = 0;
    ~WavBuffer()
    {
        if (data != nullptr)
            SDL_FreeWAV(data);
    }
};

// Each sound is read from its folder once and kept: on a network share every read is a round
// trip, and a sound plays at every judgement. A sound whose file changed (another size or
// modification time) is read again. Sounds of a school take a few megabytes at most; a file
// beyond kMaxCachedBytes is played but not kept.
struct CachedWav {
    qint64 fileSize = -1;
    QDateTime modified;
    SDL_AudioSpec spec {};
    QByteArray samples;
};
constexpr qsizetype kMaxCachedBytes = 32 << 20;
// A WAV file is read whole; one beyond this is no sound effect.
constexpr std::int64_t kMaxWavBytes = 512 << 20;

QHash<QString, CachedWav>& wavCache()
{
    static QHash<QString, CachedWav> cache;
    return cache;
}

// The output device stays open between sounds (paused while silent), so a sound starts without
// the cost of opening the device and its end is never cut off by closing it. A sound in
// another format, or a device that has gone away, makes it open afresh.
struct OpenDevice {
    SDL_AudioDeviceID id = 0;
    SDL_AudioSpec spec {};
    SDL_AudioSpec obtained {};
} device;

void closeDevice()
{
    if (device.id != 0)
        SDL_CloseAudioDevice(device.id);
    device = OpenDevice {};
}

bool sameFormat(const SDL_AudioSpec& a, const SDL_AudioSpec& b)
{
    return a.freq == b.freq && a.format == b.format && a.channels == b.channels;
}

// Opens the device for the format of a sound; empty text on success, otherwise the reason.
QString deviceFor(SDL_AudioSpec spec)
{
    if (device.id != 0 && (!sameFormat(device.spec, spec) || SDL_GetAudioDeviceStatus(device.id) == SDL_AUDIO_STOPPED))
        closeDevice();
    if (device.id != 0)
        return QString();
    spec.samples = bufferSamples(spec.freq);
    spec.callback = nullptr;
    spec.userdata = nullptr;
    SDL_AudioSpec obtained {};
    // No changes allowed: the device takes the sound's own format and converts it as needed.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &spec, &obtained, 0);
    if (id == 0)
        return sdlError();
    device.id = id;
    device.spec = spec;
    device.obtained = obtained;
    return QString();
}

int playAndWait(const QString& path)
{
    // One look at the file (a round trip on a share): its kind, size and time together.
    const QFileInfo info(path);
    const bool isFile = info.isFile();
    if (!isFile && (info.isDir() || !info.exists())) {
        wavCache().remove(path);
        return fail(kMciFileNotFound, path);
    }
    if (!isFile) // a FIFO or a device: opening or reading it could wait for ever
        return fail(kMciInvalidFile, path);
    const qint64 fileSize = info.size();
    const QDateTime modified = info.lastModified();
    const auto found = wavCache().constFind(path);
    const CachedWav* sound
        = found != wavCache().constEnd() && found->fileSize == fileSize && found->modified == modified ? &*found
                                                                                                       : nullptr;
    CachedWav loaded;
    if (sound == nullptr) {
        wavCache().remove(path);
        // Read whole in one go (open, size, one read, close), not piecemeal through the C library.
        std::string bytes;
        if (const int e = fileio::readWholeFile(nativePath(path), kMaxWavBytes, &bytes)) {
            const QString why = QString::fromStdString(fileio::errorText(e));
            return fail(e == ENOENT ? kMciFileNotFound : kMciInvalidFile, path + QStringLiteral(" (") + why + u')');
        }
        SDL_RWops* file = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        if (file == nullptr)
            return fail(kMciInvalidFile, path + QStringLiteral(" (") + sdlError() + u')');
        QString why;
        if (!audioReady(&why)) {
            SDL_RWclose(file);
            return fail(kMciNoAudioDevice, why);
        }
        WavBuffer wav;
        if (SDL_LoadWAV_RW(file, 1, &loaded.spec, &wav.data, &wav.length) == nullptr) {
            wav.data = nullptr;
            return fail(kMciInvalidFile, path + QStringLiteral(" (") + sdlError() + u')');
        }
        loaded.fileSize = fileSize;
        loaded.modified = modified;
        loaded.samples = QByteArray(reinterpret_cast<const char*>(wav.data), static_cast<qsizetype>(wav.length));
        sound = loaded.samples.size() <= kMaxCachedBytes ? &*wavCache().insert(path, loaded) : &loaded;
    } else {
        QString why;
        if (!audioReady(&why))
            return fail(kMciNoAudioDevice, why);
    }
    const SDL_AudioSpec spec = sound->spec;
    const struct {
        const Uint8* data;
        Uint32 length;
    } wav { reinterpret_cast<const Uint8*>(sound->samples.constData()), static_cast<Uint32>(sound->samples.size()) };
    if (spec.freq < kMinSampleRate || spec.freq > kMaxSampleRate)
        return fail(kMciOutputsUnsuitable, path + QStringLiteral(" (%1 Hz)").arg(QString::number(spec.freq)));
    const int bytesPerSecond = spec.freq * spec.channels * static_cast<int>(SDL_AUDIO_BITSIZE(spec.format)) / 8;
    if (bytesPerSecond <= 0)
        return fail(kMciInvalidFile, path);

    const QString why = deviceFor(spec);
    if (!why.isEmpty())
        return fail(kMciNoAudioDevice, why);
    SDL_ClearQueuedAudio(device.id);
    if (SDL_QueueAudio(device.id, wav.data, wav.length) != 0) {
        const QString queueWhy = sdlError();
        closeDevice();
        return fail(kMciNoAudioDevice, queueWhy);
    }

    const qint64 soundMs = static_cast<qint64>(wav.length) * 1000 / bytesPerSecond;
    // The device's buffer: about 25 ms at the rates allowed, and never taken as more than 100 ms
    // whatever the device reports, so no wait below depends on it beyond that.
    const qint64 bufferMs = std::clamp<qint64>(
        device.obtained.freq > 0 ? static_cast<qint64>(device.obtained.samples) * 1000 / device.obtained.freq : 100, 1,
        100);
    // A device that stops taking sound must not hold the pupil for ever: the whole wait is
    // bounded by the sound's own length and a margin of at most two seconds.
    const qint64 deadlineMs = soundMs + 4 * bufferMs + 1500;
    QElapsedTimer elapsed;
    elapsed.start();
    SDL_PauseAudioDevice(device.id, 0);
    for (;;) {
        const Uint32 queued = SDL_GetQueuedAudioSize(device.id);
        if (queued == 0)
            break;
        if (elapsed.elapsed() > deadlineMs || SDL_GetAudioDeviceStatus(device.id) == SDL_AUDIO_STOPPED) {
            closeDevice();
            return fail(kMciDeviceStopped, path);
        }
        // Sleep for most of what is still queued, then look again.
        const qint64 queuedMs = static_cast<qint64>(queued) * 1000 / bytesPerSecond;
        SDL_Delay(static_cast<Uint32>(std::clamp<qint64>(queuedMs - bufferMs, 1, 50)));
    }
    // The last buffer taken from the queue is still on its way through the device. Pausing
    // then only makes the device play silence; nothing already handed over is lost.
    SDL_Delay(static_cast<Uint32>(2 * bufferMs));
    SDL_PauseAudioDevice(device.id, 1);
    return kMciOk;
}

QString codeText(int code)
{
    switch (code) {
    case kMciOk:
        return QStringLiteral("エラーはありません。");
    case kMciUnknownCommand:
        return QStringLiteral("コマンドを認識できません。「play ファイル名 wait」だけが使えます。");
    case kMciDeviceStopped:
        return QStringLiteral("音声装置が再生を終えませんでした。装置の接続と設定を確かめてください。");
    case kMciFileNotFound:
        return QStringLiteral("指定されたファイルが見つかりません。パスとファイル名を確かめてください。");
    case kMciMissingFileName:
        return QStringLiteral("再生するファイルが指定されていません。");
    case kMciInvalidFile:
        return QStringLiteral("指定されたファイルは WAV の音声として再生できません。");
    case kMciOutputsUnsuitable:
        return QStringLiteral("この WAV の標本化周波数は再生できません（%1～%2 Hz の音だけが再生できます）。")
            .arg(QString::number(kMinSampleRate), QString::number(kMaxSampleRate));
    case kMciNoAudioDevice:
        return QStringLiteral("音声を出力できる装置がありません。装置の接続と設定を確かめてください。");
    default:
        return QStringLiteral("不明なエラーです (コード %1)。").arg(QString::number(code));
    }
}

} // namespace

int mciSendString(const QString& command)
{
    if (handler) {
        const int code = handler(command);
        if (code != kMciOk)
            fail(code, QString());
        return code;
    }
    const PlayCommand c = parse(command);
    if (!c.isPlay || !c.wait)
        return fail(kMciUnknownCommand, command.left(100));
    if (c.path.isEmpty())
        return fail(kMciMissingFileName, command.left(100));
    return playAndWait(c.path);
}

QString mciGetErrorString(int code)
{
    QString text = codeText(code);
    if (code != kMciOk && code == lastFailure && !lastDetail.isEmpty())
        text += u'\n' + lastDetail;
    return text.left(kMaxErrorText);
}

MciHandler setMciHandler(MciHandler h)
{
    std::swap(handler, h);
    return h;
}

void mciShutdown()
{
    closeDevice();
    if (SDL_WasInit(SDL_INIT_AUDIO))
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

} // namespace platform
