#pragma once
// The merge sort of the rankings: a top-down merge sort on 1-based ranges that carries a
// payload along with its keys. Among equal keys the element that came later in the input ends
// first; the rankings rely on that order for ties.
#include <cassert>
#include <vector>

namespace kanameru {

namespace detail {

template <class Key, class Payload>
void mergeSortRange(int lo, int hi, std::vector<Key>& keys, std::vector<Payload>& payload, std::vector<Key>& workKeys,
    std::vector<Payload>& workPayload)
{
    if (lo >= hi)
        return;
    const int mid = (lo + hi) / 2;
    mergeSortRange(lo, mid, keys, payload, workKeys, workPayload);
    mergeSortRange(mid + 1, hi, keys, payload, workKeys, workPayload);
    // The left run goes into the work arrays; the right run stays in place.
    const int leftCount = mid - lo + 1;
    for (int m = 0; m < leftCount; ++m) {
        workKeys[m] = keys[lo + m];
        workPayload[m] = payload[lo + m];
    }
    int i = 0;
    int j = mid + 1;
    int k = lo;
    while (j <= hi && i < leftCount) {
        // The left element goes first only when strictly smaller: a later equal key wins.
        if (workKeys[i] < keys[j]) {
            keys[k] = workKeys[i];
            payload[k] = workPayload[i];
            ++i;
        } else {
            keys[k] = keys[j];
            payload[k] = payload[j];
            ++j;
        }
        ++k;
    }
    while (i < leftCount) {
        keys[k] = workKeys[i];
        payload[k] = workPayload[i];
        ++i;
        ++k;
    }
}

} // namespace detail

// Sorts keys[1..n] ascending and moves payload[1..n] with them (index 0 is not used).
// Equal keys end in the reverse of their input order.
template <class Key, class Payload> void mergeSortKeys(int n, std::vector<Key>& keys, std::vector<Payload>& payload)
{
    if (n < 2)
        return;
    assert(static_cast<int>(keys.size()) > n && static_cast<int>(payload.size()) > n);
    std::vector<Key> workKeys(static_cast<size_t>(n / 2 + 1));
    std::vector<Payload> workPayload(static_cast<size_t>(n / 2 + 1));
    detail::mergeSortRange(1, n, keys, payload, workKeys, workPayload);
}

} // namespace kanameru
