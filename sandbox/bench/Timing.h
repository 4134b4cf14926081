// The bench's clock, and the figures it makes of a series of timings.
#pragma once

#include <vector>

// Seconds on the performance counter, from an arbitrary start.
double Now();

// NaN for no values: a figure that was never measured meets no target.
double Min(std::vector<double> values);
double Max(std::vector<double> values);
double Median(std::vector<double> values);
