#pragma once

#include <algorithm>
#include <vector>

namespace kelvo::bench {

// The middle of the figures: the disk and the cores are shared, so a few runs
// take many times the usual and an average would follow them.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace kelvo::bench
