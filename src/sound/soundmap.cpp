#include "sound/soundmap.h"

#include "sound/sound.h"
#include "startup/hensuu1.h"

#include <array>

namespace kanameru {

namespace {
const std::array<QString, kSoundEvents + 1> kEventNames = {
    QString(),
    QStringLiteral("正解音1"),
    QStringLiteral("正解音2"),
    QStringLiteral("間違い音1"),
    QStringLiteral("間違い音2"),
    QStringLiteral("最高音1"),
    QStringLiteral("最高音2"),
    QStringLiteral("自己最高音1"),
    QStringLiteral("自己最高音2"),
    QStringLiteral("自己最高音3"),
    QStringLiteral("不合格音1"),
};
const QString kGroupEnd = QStringLiteral("*");
} // namespace

QString soundEventName(int column)
{
    if (column < 1 || column > kSoundEvents)
        return QString();
    return kEventNames[static_cast<size_t>(column)];
}

QStringList splitSoundMap(const QString& text)
{
    QStringList values;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto isLineEnd = [&](qsizetype k) { return k < n && (text[k] == u'\n' || text[k] == u'\r'); };
    auto skipLineEnd = [&] {
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
    };
    bool afterComma = false;
    while (i < n) {
        while (i < n && (text[i] == u' ' || text[i] == u'\t'))
            ++i;
        if (i >= n)
            break;
        if (isLineEnd(i) && !afterComma) {
            skipLineEnd();
            continue;
        }
        QString value;
        if (text[i] == u'"') {
            ++i;
            const qsizetype start = i;
            while (i < n && text[i] != u'"' && !isLineEnd(i))
                ++i;
            value = text.mid(start, i - start);
            if (i < n && text[i] == u'"')
                ++i;
            while (i < n && text[i] != u',' && !isLineEnd(i))
                ++i; // anything after the closing quote up to the separator is dropped
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != u',' && !isLineEnd(i))
                ++i;
            value = text.mid(start, i - start).trimmed();
        }
        values.append(value);
        if (i < n && text[i] == u',') {
            ++i;
            afterComma = true;
        } else {
            afterComma = false;
            if (i < n)
                skipLineEnd();
        }
    }
    if (afterComma)
        values.append(QString());
    return values;
}

void resetSoundTable()
{
    for (auto& row : reg.soundTable)
        row.fill(QString());
    for (int e = 1; e <= kSoundEvents; ++e)
        reg.soundTable[0][static_cast<size_t>(e)] = kEventNames[static_cast<size_t>(e)];
}

void fillSoundTable(const QStringList& values)
{
    auto& table = reg.soundTable;
    qsizetype next = 0;
    while (next < values.size()) {
        QString v = values[next++];
        // Each column in turn; after a group the comparison goes on with the last value read.
        for (int e = 1; e <= kSoundEvents; ++e) {
            const auto column = static_cast<size_t>(e);
            if (v != table[0][column])
                continue;
            for (int k = 1; k <= kSoundFilesPerEvent; ++k) {
                if (next >= values.size())
                    break; // the map ends inside the group: no count
                v = values[next++];
                if (v == kGroupEnd) {
                    table[kSoundCountRow][column] = QString::number(k - 1);
                    break;
                }
                table[static_cast<size_t>(k)][column] = v;
            }
        }
    }
}

} // namespace kanameru
