#pragma once
// A Qt path as the file layer takes it: the local 8-bit bytes on POSIX systems (as QFile opens
// it), UTF-16 on Windows.
#include <QFile>
#include <QString>
#include <filesystem>

namespace platform {

inline std::filesystem::path nativePath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// The file layer's path back as a Qt path. The long-path prefix of a Windows final path
// ("\\?\C:\..." or "\\?\UNC\server\...") is dropped, so the path reads as a teacher writes it.
inline QString qtPath(const std::filesystem::path& path)
{
#ifdef Q_OS_WIN
    QString p = QString::fromStdWString(path.wstring());
    if (p.startsWith(QLatin1String("\\\\?\\UNC\\")))
        p = QLatin1String("\\\\") + p.mid(8);
    else if (p.startsWith(QLatin1String("\\\\?\\")))
        p = p.mid(4);
    return p;
#else
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
#endif
}

} // namespace platform
