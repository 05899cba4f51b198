// Min, median and max of a series of durations.
#pragma once

#include <vector>

struct TimingSummary {
    double min = 0.0;
    double median = 0.0;
    double max = 0.0;
};

// The summary of `samples` (any order); all zero for none. The median of an even count is the
// mean of the two middle values.
TimingSummary Summarise(std::vector<double> samples);
