// The two record layouts of the results files, byte for byte.
#include "results/results.h"

#include "startup/hensuu1.h"
#include "startup/textfile.h"

#include <QtEndian>
#include <cstring>

namespace kanameru {
namespace {

void putDouble(char* at, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian(bits, at);
}

double getDouble(const char* at)
{
    const quint64 bits = qFromLittleEndian<quint64>(at);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void putBytes(char* at, const QByteArray& bytes, int length, char pad)
{
    const int n = qMin<int>(bytes.size(), length);
    std::memcpy(at, bytes.constData(), n);
    std::memset(at + n, pad, length - n);
}

} // namespace

QString resultsFileName()
{
    return QStringLiteral("成績累積データ.dat");
}

QString installationResultsFileName()
{
    return QStringLiteral("成績累積データ家庭用.dat");
}

QString resultsFilePath()
{
    return reg.programFolder + resultsFileName();
}

QString installationResultsFilePath()
{
    return reg.rosterFolder + installationResultsFileName();
}

QByteArray fixedBytes(const QString& text, int length)
{
    // Cut character by character so that a double-byte character is never split in half;
    // a character the code page cannot hold becomes "?".
    QByteArray out;
    for (int i = 0; i < text.size();) {
        const int step = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        std::optional<QByteArray> bytes = encodeCp932(text.mid(i, step));
        const QByteArray piece = bytes ? *bytes : QByteArray("?");
        if (out.size() + piece.size() > length)
            break;
        out += piece;
        i += step;
    }
    return out.leftJustified(length, ' ');
}

QByteArray ResultRecord::toBytes() const
{
    QByteArray out(kResultRecordLength, '\0');
    char* p = out.data();
    putDouble(p + 0, recordDate);
    putDouble(p + 8, recordTime);
    qToLittleEndian(pupilNo, p + 16);
    qToLittleEndian(level, p + 18);
    qToLittleEndian(result, p + 20);
    putBytes(p + 24, schoolCode, 5, ' ');
    putBytes(p + 29, note, 5, ' ');
    putBytes(p + 34, kindText, 5, ' ');
    putBytes(p + 39, reserved, 5, '\0');
    return out;
}

ResultRecord ResultRecord::fromBytes(const char* p)
{
    ResultRecord r;
    r.recordDate = getDouble(p + 0);
    r.recordTime = getDouble(p + 8);
    r.pupilNo = qFromLittleEndian<qint16>(p + 16);
    r.level = qFromLittleEndian<qint16>(p + 18);
    r.result = qFromLittleEndian<qint32>(p + 20);
    r.schoolCode = QByteArray(p + 24, 5);
    r.note = QByteArray(p + 29, 5);
    r.kindText = QByteArray(p + 34, 5);
    r.reserved = QByteArray(p + 39, 5);
    return r;
}

QByteArray InstallationResultRecord::toBytes() const
{
    QByteArray out(kInstallationRecordLength, '\0');
    char* p = out.data();
    putBytes(p + 0, programName, 20, ' ');
    qToLittleEndian(contentNo, p + 20);
    putDouble(p + 22, recordDate);
    putDouble(p + 30, recordTime);
    qToLittleEndian(pupilNo, p + 38);
    qToLittleEndian(level, p + 40);
    qToLittleEndian(result, p + 42);
    putBytes(p + 46, schoolCode, 5, ' ');
    putBytes(p + 51, reserved, 15, '\0');
    return out;
}

InstallationResultRecord InstallationResultRecord::fromBytes(const char* p)
{
    InstallationResultRecord r;
    r.programName = QByteArray(p + 0, 20);
    r.contentNo = qFromLittleEndian<qint16>(p + 20);
    r.recordDate = getDouble(p + 22);
    r.recordTime = getDouble(p + 30);
    r.pupilNo = qFromLittleEndian<qint16>(p + 38);
    r.level = qFromLittleEndian<qint16>(p + 40);
    r.result = qFromLittleEndian<qint32>(p + 42);
    r.schoolCode = QByteArray(p + 46, 5);
    r.reserved = QByteArray(p + 51, 15);
    return r;
}

} // namespace kanameru
