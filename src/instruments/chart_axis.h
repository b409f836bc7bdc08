#pragma once
// One axis of the G-sensor chart.

#include "instruments/colour_ref.h"

namespace tesmira {

struct ChartAxis {
    int shown = 1;
    int grid = 1;
    double minimum = 0.0;
    double maximum = 10000.0;
    double scale = 0.0;  // value units per pixel, set by the layout
    ColorRef colour = Rgb(0x73, 0x73, 0x73);
    int penStyle = 2;  // dotted
    int penWidth = 1;
};

}  // namespace tesmira
