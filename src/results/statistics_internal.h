#pragma once
// The steps of computeStatistics, shared by the routines and the teachers' tool.
#include "results/results.h"

namespace kanameru {

// Sets every count and points table to 0.
void clearCounts();
// Sets bestScore and levelBestScore from every record (oldest first) and keeps the newest
// valid ones for loadedResults().
void keepRecords(const std::vector<LoadedResult>& records, double asOf, bool ignoreLater);
// Adds the kept records to the count and points tables.
void accumulate(double asOf);
// Turns a block of 44-byte records into attempts numbered from firstNumber.
std::vector<LoadedResult> parseResultRecords(const QByteArray& bytes, qint64 firstNumber);

} // namespace kanameru
