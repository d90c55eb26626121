#pragma once

// The calling thread's processor time, and the order statistics the benchmarks print: on a
// shared machine the elapsed time also holds the waits for a core.

#include <algorithm>
#include <ctime>
#include <vector>

namespace nimbrel::bench {

inline double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The value below which `fraction` of the values lie (0.5: the median); 0 when there are none.
inline double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(double(values.size()) * fraction))];
}

} // namespace nimbrel::bench
