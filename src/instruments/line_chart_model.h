#pragma once
// Everything the G-sensor chart knows apart from its window: lines, axes, layout and the
// replay position. The widget paints what this computes and runs the timer it asks for.

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "instruments/chart_axis.h"
#include "instruments/chart_geometry.h"
#include "instruments/chart_line.h"
#include "instruments/colour_ref.h"

namespace tesmira {

struct LinePath {
    ColorRef colour = 0;
    int penStyle = 0;
    int penWidth = 0;
    std::vector<IntPoint> points;
};

class LineChartModel {
public:
    // Discards every line with its points and lock.
    void RemoveAllLines() { lines_.clear(); }
    // Appends a shown, solid line of width 2 without points.
    ChartLine& AddLine(ColorRef colour);
    std::size_t LineCount() const { return lines_.size(); }
    ChartLine& Line(std::size_t i) { return *lines_.at(i); }
    const ChartLine& Line(std::size_t i) const { return *lines_.at(i); }

    ChartAxis& ValueAxis() { return valueAxis_; }
    const ChartAxis& ValueAxis() const { return valueAxis_; }
    // Only its shown and grid flags are used: together they switch the legend on.
    ChartAxis& SampleAxis() { return sampleAxis_; }
    const ChartAxis& SampleAxis() const { return sampleAxis_; }
    bool LegendShown() const { return sampleAxis_.shown != 0 && sampleAxis_.grid != 0; }

    // Recomputes the rectangles and the value scale from the client area.
    void RecalcLayout(const IntRect& client);
    const ChartLayout& Layout() const { return layout_; }

    void SetPeriod(int milliseconds) { period_ = milliseconds; }
    int Period() const { return period_; }
    void SetPosition(int position) { position_ = position; }
    int Position() const { return position_; }
    // Sets the position and activates; returns whether the timer is to run (period above 0).
    bool StartAt(int position);
    void Halt() { active_ = false; }
    void SetActive(bool active) { active_ = active; }
    bool Active() const { return active_; }

    // One timer tick; returns false when the timer must stop (line 0 fully shown).
    bool Tick();

    // Samples to mark (the moments worth finding), ascending.
    void SetMarks(std::vector<int> samples) { marks_ = std::move(samples); }
    const std::vector<int>& Marks() const { return marks_; }
    // The columns of the marked samples shown now, where line 0 draws them; none while
    // inactive or before a marked sample has been replayed.
    std::vector<int> MarkColumns() const;

    // Rows of the five value labels, empty when there are none.
    std::vector<int> LabelRows() const;
    // The polylines to draw, in line order; none while inactive.
    std::vector<LinePath> Polylines() const;

private:
    ChartMargins margins_;
    ChartAxis valueAxis_;
    ChartAxis sampleAxis_;
    ChartLayout layout_;
    std::vector<std::unique_ptr<ChartLine>> lines_;
    std::vector<int> marks_;
    int period_ = 500;
    int position_ = 0;
    bool active_ = false;
};

}  // namespace tesmira
