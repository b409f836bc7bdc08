#pragma once
// Moments worth finding in a film: the seconds where the G-sensor jumps
// between two consecutive records (a hard brake, a pothole, a bump).

#include <vector>

#include "extract/gps_record.h"

namespace tesmira {

// One g is one division of the chart's axis.
constexpr double kChartUnitsPerG = 1280000.0;
constexpr double kDefaultEventG = 0.3;

// The seconds (record indexes) where the change from the previous record, on
// any axis, exceeds thresholdG. Candidates closer than 3 s to the previous
// candidate belong to its run, and a run counts once, at its first second.
// Ascending; empty for a film without G-sensor changes or a threshold that is
// not a positive number.
std::vector<int> FindGEvents(const std::vector<DerivedSample>& samples,
                             double thresholdG = kDefaultEventG);

}  // namespace tesmira
