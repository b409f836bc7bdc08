#pragma once
// One line of the G-sensor chart: the value of every sample for one axis.

#include <cstddef>
#include <mutex>
#include <vector>

#include "instruments/colour_ref.h"

namespace tesmira {

class ChartLine {
public:
    explicit ChartLine(ColorRef colour) : colour(colour) {}
    ChartLine(const ChartLine&) = delete;  // each line keeps its own lock
    ChartLine& operator=(const ChartLine&) = delete;

    // Appends under the line's lock.
    void AddPoint(double x, double y);
    // The number of points, which is the count of x values.
    std::size_t PointCount() const;

    // Reads the y values under the lock without copying them.
    template <class F>
    auto WithYValues(F&& f) const {
        std::lock_guard<std::mutex> guard(lock_);
        return f(yValues_);
    }

    int shown = 1;
    ColorRef colour;
    int penStyle = 0;  // solid
    int penWidth = 2;

private:
    mutable std::mutex lock_;      // guards the two arrays
    std::vector<double> xValues_;  // sample indexes; only their count is used
    std::vector<double> yValues_;
};

}  // namespace tesmira
