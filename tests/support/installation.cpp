#include "support/installation.h"

#include "startup/settings.h"
#include "startup/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace testing_support {

TestInstallation::TestInstallation(Layout layout) : layout_(layout)
{
    QDir(root()).mkpath(QStringLiteral("カナメル"));
    if (layout_ == FilesLayout) {
        QDir(root()).mkpath(QStringLiteral("files"));
        writeText(QStringLiteral("カナメル/設定.txt"), QStringLiteral("1,0,0,0,0,0,0,0,0,0\n"));
    } else {
        QDir(root()).mkpath(QStringLiteral("音フォルダ"));
        writeText(QStringLiteral("カナメル/設定.txt"), QStringLiteral("0,0,0,0,0,0,0,0,0,0\n"));
    }
    const QString shared = layout_ == FilesLayout ? QStringLiteral("files/") : QString();
    writeText(shared + QStringLiteral("共通データ.txt"), QStringLiteral("4,\"12345テスト塾\",1,0,0,0,0,0,0,0\n"));
    writeText(shared + QStringLiteral("生徒用名簿.txt"),
              QStringLiteral("1,2014,0,0,\"山田　太郎          \",0,\"                    \",\"                    \"\n"));
    writeLevels(QStringLiteral("300,240,60,5,1,0,0,28,7,0,0,0"));
}

QString TestInstallation::exeDir() const
{
    return root() + QStringLiteral("/カナメル");
}

QString TestInstallation::rosterFolder() const
{
    return layout_ == FilesLayout ? root() + QStringLiteral("/files/") : root() + QLatin1Char('/');
}

QString TestInstallation::programFolder() const
{
    return exeDir() + QLatin1Char('/');
}

QString TestInstallation::soundFolder() const
{
    return layout_ == FilesLayout ? root() + QStringLiteral("/files/") : root() + QStringLiteral("/音フォルダ/");
}

QString TestInstallation::path(const QString& relativePath) const
{
    return root() + QLatin1Char('/') + relativePath;
}

void TestInstallation::writeText(const QString& relativePath, const QString& utf8Text) const
{
    const QString p = path(relativePath);
    QDir().mkpath(QFileInfo(p).absolutePath());
    if (auto error = kanameru::writeTextFile(p, utf8Text))
        throw std::runtime_error(error->message().toStdString());
}

void TestInstallation::writeBytes(const QString& relativePath, const QByteArray& bytes) const
{
    const QString p = path(relativePath);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
}

void TestInstallation::writeLevels(const QString& line) const
{
    QString text;
    for (int level = 0; level <= 35; ++level)
        text += line + QLatin1Char('\n');
    writeText(QStringLiteral("カナメル/タイム回数データ.txt"), text);
}

void TestInstallation::load() const
{
    if (auto error = kanameru::loadSettings(exeDir()))
        throw std::runtime_error(error->message().toStdString());
    kanameru::setLevelConstants();
}

} // namespace testing_support
