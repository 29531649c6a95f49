// The median of a run's measurements, shared by the Windows benchmarks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace bench {

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace bench
