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

} // namespace platform
