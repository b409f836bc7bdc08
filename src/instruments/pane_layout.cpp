#include "instruments/pane_layout.h"

#include <algorithm>

namespace tesmira {

PaneLayout ComputePaneLayout(const IntRect& c) {
    const int w = c.Width();
    const int h = c.Height();
    PaneLayout p;
    p.chart = {c.left, c.top, c.left + std::max(0, w - 458), c.top + std::max(0, h)};
    const int y = c.top + (h - kDialSize) / 2;
    p.speedometer = {c.right - 2 * kDialSize, y, c.right - kDialSize, y + kDialSize};
    p.compass = {c.right - kDialSize, y, c.right, y + kDialSize};
    return p;
}

}  // namespace tesmira
