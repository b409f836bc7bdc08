#include "instruments/chart_line.h"

namespace tesmira {

void ChartLine::AddPoint(double x, double y) {
    std::lock_guard<std::mutex> guard(lock_);
    xValues_.push_back(x);
    yValues_.push_back(y);
}

std::size_t ChartLine::PointCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return xValues_.size();
}

}  // namespace tesmira
