#pragma once
// The records the file layer's tests append: 44 bytes, like a results record, that say who
// wrote them and in which order, so a torn or doubled record shows.
#include <cstdio>
#include <string>

namespace fileio_test {

constexpr int kRecordLength = 44;

inline std::string makeRecord(int writer, int sequence)
{
    char head[16];
    std::snprintf(head, sizeof head, "%d:%06d:", writer % 10, sequence % 1000000);
    std::string r = head;
    for (int i = static_cast<int>(r.size()); i < kRecordLength - 2; ++i)
        r += static_cast<char>('a' + (writer * 7 + sequence * 3 + i) % 26);
    return r + "\r\n";
}

// The writer and sequence of a record, when it is exactly one makeRecord made; else false.
inline bool parseRecord(const std::string& r, int* writer, int* sequence)
{
    if (r.size() != kRecordLength || std::sscanf(r.c_str(), "%1d:%6d:", writer, sequence) != 2)
        return false;
    return r == makeRecord(*writer, *sequence);
}

} // namespace fileio_test
