#include "mainwnd/main_geometry.h"

namespace tesmira {

MainGeometry ComputeMainGeometry(int w, int h) {
    MainGeometry g;
    g.left = 2 * w / 10;
    g.top = h / 10;
    const int right = 8 * w / 10;
    const int bottom = 9 * h / 10;
    g.width = right - g.left;
    g.height = bottom - g.top;
    g.instrumentHeight = kInstrumentStripHeight;
    g.upperIdealHeight = g.height - kInstrumentStripHeight;
    g.filmViewWidth = g.width * 3 / 4;
    g.mapHeight = (2 * g.height - 330) / 3;
    g.listHeight = (g.height - kInstrumentStripHeight) / 3;
    g.shownWidth = 6 * w / 10;
    g.shownHeight = 8 * h / 10;
    return g;
}

}  // namespace tesmira
