#pragma once
// Things that are not a text file, put where a reader expects one, and a way to see that
// nothing in a folder was written.
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <stdexcept>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace testing_support {

enum class Special {
    Fifo, // a named pipe nobody writes to: opening it plainly waits for ever
    DevZero, // a link to /dev/zero: reading it never ends
    Folder, // a folder of that name
    Oversize, // a regular file one byte over the reader's limit (sparse, so it costs nothing)
};

inline const char* specialName(Special s)
{
    switch (s) {
    case Special::Fifo:
        return "FIFO";
    case Special::DevZero:
        return "/dev/zero";
    case Special::Folder:
        return "folder";
    case Special::Oversize:
        return "oversize";
    }
    return "?";
}

// Puts the special thing in place of path (removing what was there); limit is the reader's
// size limit, used by Oversize. False when this system has no such thing: a Windows folder
// holds neither a FIFO nor a device, so the cases with them are Linux's.
inline bool putSpecial(const QString& path, Special s, qint64 limit = 0)
{
    QFile::remove(path);
    QDir().rmdir(path);
    bool ok = false;
    switch (s) {
#ifdef _WIN32
    case Special::Fifo:
    case Special::DevZero:
        return false;
#else
    case Special::Fifo:
        ok = ::mkfifo(QFile::encodeName(path).constData(), 0666) == 0;
        break;
    case Special::DevZero:
        ok = QFile::link(QStringLiteral("/dev/zero"), path);
        break;
#endif
    case Special::Folder:
        ok = QDir().mkpath(path);
        break;
    case Special::Oversize: {
        QFile f(path);
        ok = f.open(QIODevice::WriteOnly) && f.resize(limit + 1);
        break;
    }
    }
    if (!ok)
        throw std::runtime_error("cannot put a special file in place");
    return true;
}

// Every entry under a folder with its size and time of change: equal snapshots mean that
// nothing was written, created or removed there.
inline QStringList snapshot(const QString& root)
{
    QStringList entries;
    QDirIterator it(
        root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info(it.fileInfo().filePath());
#ifdef _WIN32
        entries.append(info.filePath() + QLatin1Char(' ') + QString::number(info.size()) + QLatin1Char(' ')
            + info.lastModified().toString(Qt::ISODateWithMs));
#else
        struct stat st { };
        ::lstat(QFile::encodeName(info.filePath()).constData(), &st);
        entries.append(info.filePath() + QLatin1Char(' ') + QString::number(st.st_size) + QLatin1Char(' ')
            + QString::number(st.st_mtim.tv_sec) + QLatin1Char('.') + QString::number(st.st_mtim.tv_nsec));
#endif
    }
    entries.sort();
    return entries;
}

} // namespace testing_support
