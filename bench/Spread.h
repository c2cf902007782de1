#pragma once

#include <algorithm>
#include <vector>

// What repeated timings of one thing came to: on shared machines the median says more than
// any single run, and min and max show how noisy the run was.
struct Spread {
    double min, median, max;
};

inline Spread Summary(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}
