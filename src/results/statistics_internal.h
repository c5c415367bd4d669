#pragma once
// The steps of computeStatistics, shared by the routines and the teachers' tool.
#include "results/results.h"

#include "startup/hensuu1.h"

#include <algorithm>
#include <cstring>

namespace kanameru {

// Fills a whole table by level and pupil with one value at the speed of a memory copy.
template <class T> void fillTable(ByLevelPupil<T>& table, T value)
{
    std::vector<T>& d = table.data();
    if (d.empty())
        return;
    d[0] = value;
    for (size_t done = 1; done < d.size();) {
        const size_t n = std::min(done, d.size() - done);
        std::memcpy(d.data() + done, d.data(), n * sizeof(T));
        done += n;
    }
}

// Sets every count and points table to 0.
void clearCounts();
// Sets bestScore and levelBestScore from every record (oldest first) and keeps the newest
// valid ones for loadedResults().
void keepRecords(const std::vector<LoadedResult>& records, double asOf, bool ignoreLater);
// The same, straight from a block of 44-byte records numbered from firstNumber; with
// accumulateToo the kept records are added to the (cleared) count and points tables as well.
void keepRecordBytes(const QByteArray& bytes, qint64 firstNumber, double asOf, bool accumulateToo);
// Adds the kept records to the count and points tables.
void accumulate(double asOf);

} // namespace kanameru
