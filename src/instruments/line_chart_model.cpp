#include "instruments/line_chart_model.h"

namespace tesmira {

ChartLine& LineChartModel::AddLine(ColorRef colour) {
    lines_.push_back(std::make_unique<ChartLine>(colour));
    return *lines_.back();
}

void LineChartModel::RecalcLayout(const IntRect& client) {
    layout_ = ComputeChartLayout(client, margins_);
    valueAxis_.scale = ChartScale(layout_.plot, valueAxis_.minimum, valueAxis_.maximum);
}

bool LineChartModel::StartAt(int position) {
    position_ = position;
    active_ = true;
    return period_ > 0;
}

bool LineChartModel::Tick() {
    if (lines_.empty()) return true;
    // At or past the end: a start beyond the last sample must stop too, not count on forever.
    if (position_ >= 0 && static_cast<std::size_t>(position_) >= lines_.front()->PointCount()) {
        return false;
    }
    ++position_;
    return true;
}

std::vector<int> LineChartModel::LabelRows() const {
    return AxisLabelRows(layout_.plot.bottom, valueAxis_.minimum, valueAxis_.maximum,
                         valueAxis_.scale);
}

std::vector<LinePath> LineChartModel::Polylines() const {
    std::vector<LinePath> paths;
    if (!active_) return paths;
    for (const auto& line : lines_) {
        if (line->shown == 0) continue;
        const std::size_t n = line->PointCount();
        // A shown line without points ends the drawing of this and every later line.
        if (n < 1) break;
        LinePath path{line->colour, line->penStyle, line->penWidth, {}};
        line->WithYValues([&](const std::vector<double>& y) {
            LinePolyline(y, n, position_, layout_.plot, valueAxis_.minimum, valueAxis_.scale,
                         path.points);
        });
        paths.push_back(std::move(path));
    }
    return paths;
}

std::vector<int> LineChartModel::MarkColumns() const {
    std::vector<int> columns;
    if (!active_ || marks_.empty() || lines_.empty()) return columns;
    const ChartLine& line = *lines_.front();
    const std::size_t n = line.PointCount();  // not inside WithYValues: it holds the lock
    std::vector<IntPoint> points;
    line.WithYValues([&](const std::vector<double>& y) {
        LinePolyline(y, n, position_, layout_.plot, valueAxis_.minimum, valueAxis_.scale, points);
    });
    // One vertex per shown sample, in sample order.
    for (int sample : marks_)
        if (sample >= 0 && static_cast<std::size_t>(sample) < points.size())
            columns.push_back(points[static_cast<std::size_t>(sample)].x);
    return columns;
}

}  // namespace tesmira
