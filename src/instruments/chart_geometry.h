#pragma once
// Where the G-sensor chart puts its label column, legend, plot, value rows and line
// vertices. Pure arithmetic in client pixels, kept apart from painting so it can be checked
// number by number.

#include <cstddef>
#include <vector>

namespace tesmira {

// Left, top, right, bottom; right and bottom are exclusive, as in a client rectangle.
struct IntRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const IntRect&) const = default;
};

struct IntPoint {
    int x = 0;
    int y = 0;
    bool operator==(const IntPoint&) const = default;
};

struct ChartMargins {
    int left = 5;
    int right = 5;
    int top = 15;
    int bottom = 15;
};

inline constexpr int kChartLabelColumnWidth = 50;
inline constexpr int kChartLegendHeight = 20;

struct ChartLayout {
    IntRect client;
    IntRect labels;
    IntRect legend;
    IntRect plot;
};

ChartLayout ComputeChartLayout(const IntRect& client, const ChartMargins& margins = {});

// Value units per pixel row of the plot; infinite for a plot of zero height.
double ChartScale(const IntRect& plot, double minimum, double maximum);

// The row of a value, truncated toward zero and not clipped to the plot. A plot of zero
// height (infinite scale) puts every value on its bottom edge.
int ValueRow(double value, int plotBottom, double minimum, double scale);

// Rows of the five value labels "-2G" .. "+2G", bottom to top; empty when the value range
// is too small to give a label step of at least one unit.
std::vector<int> AxisLabelRows(int plotBottom, double minimum, double maximum, double scale);

// The vertices of one line with `position` samples shown, newest on the plot's left edge.
// Never uses more than `pointCount` values; a plot without width gives no vertices.
void LinePolyline(const std::vector<double>& yValues, std::size_t pointCount, int position,
                  const IntRect& plot, double minimum, double scale, std::vector<IntPoint>& out);

}  // namespace tesmira
