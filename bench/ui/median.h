// The middle of a set of one-shot measurements, which shrugs off the odd
// sample that a busy machine stretched.
#pragma once

#include <algorithm>
#include <vector>

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
