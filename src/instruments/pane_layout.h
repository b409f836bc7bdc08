#pragma once
// Placement of the chart and the two dials inside the instrument pane.

#include "instruments/chart_geometry.h"

namespace tesmira {

inline constexpr int kDialSize = 151;

struct PaneLayout {
    IntRect chart;
    IntRect speedometer;
    IntRect compass;
};

// Chart on the left filling the height; the two dials side by side at the right edge,
// centred vertically. A pane too small for them gives an empty (not negative) chart.
PaneLayout ComputePaneLayout(const IntRect& client);

}  // namespace tesmira
