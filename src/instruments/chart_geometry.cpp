#include "instruments/chart_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tesmira {
namespace {

// Rows far outside any screen are pinned here so that the double-to-int conversion stays
// defined and the painter never sees coordinates its rasteriser cannot hold.
constexpr double kRowLimit = 1 << 24;

int TruncRow(double row, int fallback) {
    if (std::isnan(row)) return fallback;
    return static_cast<int>(std::clamp(std::trunc(row), -kRowLimit, kRowLimit));
}

}  // namespace

ChartLayout ComputeChartLayout(const IntRect& client, const ChartMargins& m) {
    ChartLayout l;
    l.client = client;
    l.labels = {client.left + m.left, client.top + m.top,
                client.left + m.left + kChartLabelColumnWidth, client.bottom - m.bottom};
    l.legend = {client.left + m.left + kChartLabelColumnWidth,
                client.bottom - m.bottom - kChartLegendHeight, client.right - m.right,
                client.bottom - m.bottom};
    l.plot = {client.left + m.left + kChartLabelColumnWidth, client.top + m.top,
              client.right - m.right, client.bottom - m.bottom - kChartLegendHeight};
    return l;
}

double ChartScale(const IntRect& plot, double minimum, double maximum) {
    return (maximum - minimum) / static_cast<double>(plot.bottom - plot.top);
}

int ValueRow(double value, int plotBottom, double minimum, double scale) {
    return TruncRow(plotBottom - (value - minimum) / scale, plotBottom);
}

std::vector<int> AxisLabelRows(int plotBottom, double minimum, double maximum, double scale) {
    std::vector<int> rows;
    const double step = std::floor((maximum - minimum) * 0.25);
    if (!(step > 0) || !std::isfinite(step)) return rows;
    const double base = std::trunc(minimum) - minimum;
    for (int i = 0; i <= 4; ++i) {
        rows.push_back(TruncRow(plotBottom - (i * step + base) / scale, plotBottom));
    }
    return rows;
}

void LinePolyline(const std::vector<double>& yValues, std::size_t pointCount, int position,
                  const IntRect& plot, double minimum, double scale, std::vector<IntPoint>& out) {
    out.clear();
    const int w = plot.right - plot.left;
    // Without a plot width there is nowhere to put a sample (and grouping would divide by 0).
    if (w <= 0 || position <= 0) return;
    const std::size_t n = std::min(pointCount, yValues.size());
    // A start past the last sample shows the whole line, never more than it holds.
    const std::size_t c = std::min(static_cast<std::size_t>(position), n);
    if (c == 0) return;
    out.reserve(c);
    auto row = [&](std::size_t j) { return ValueRow(yValues[j], plot.bottom, minimum, scale); };

    if (n <= static_cast<std::size_t>(w)) {
        const double d = n >= 2 ? static_cast<double>(w) / static_cast<double>(n - 1) : 1.0;
        for (std::size_t j = 0; j < c; ++j) {
            const double x = plot.left + d * static_cast<double>(c - 1 - j);
            out.push_back({static_cast<int>(std::trunc(x)), row(j)});
        }
        return;
    }

    const std::size_t g = n / static_cast<std::size_t>(w);
    const std::size_t q = c / g;
    const std::size_t r = c % g;
    for (std::size_t first = 0, k = 0; first < c; first += g, ++k) {
        const std::size_t last = std::min(first + g, c);
        const int x = plot.left + static_cast<int>(q) - static_cast<int>(k) - (r == 0 ? 1 : 0);
        std::int64_t sum = 0;
        for (std::size_t j = first; j < last; ++j) sum += row(j);
        const int y = static_cast<int>(sum / static_cast<std::int64_t>(last - first));
        for (std::size_t j = first; j < last; ++j) out.push_back({x, y});
    }
}

}  // namespace tesmira
