#include "sandbox/bench/Timing.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Min(std::vector<double> values) {
    if (values.empty()) return std::nan("");
    return *std::min_element(values.begin(), values.end());
}

double Max(std::vector<double> values) {
    if (values.empty()) return std::nan("");
    return *std::max_element(values.begin(), values.end());
}

double Median(std::vector<double> values) {
    if (values.empty()) return std::nan("");
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
