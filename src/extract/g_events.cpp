#include "extract/g_events.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tesmira {

std::vector<int> FindGEvents(const std::vector<DerivedSample>& samples, double thresholdG) {
    std::vector<int> events;
    if (!(thresholdG > 0) || !std::isfinite(thresholdG)) return events;
    const double limit = thresholdG * kChartUnitsPerG;
    constexpr int kMergeSeconds = 3;
    int lastCandidate = -kMergeSeconds;  // no run yet
    for (std::size_t i = 1; i < samples.size(); ++i) {
        bool jump = false;
        for (std::size_t a = 0; a < 3 && !jump; ++a) {
            const int64_t change = int64_t{samples[i].gsensor[a]} - samples[i - 1].gsensor[a];
            jump = static_cast<double>(std::llabs(change)) > limit;
        }
        if (!jump) continue;
        const int second = static_cast<int>(i);
        if (events.empty() || second - lastCandidate >= kMergeSeconds) events.push_back(second);
        lastCandidate = second;
    }
    return events;
}

}  // namespace tesmira
