// Start-up and repaint costs of the instrument pane.
// Targets: the pane with all its pictures ready in under 50 ms; one chart repaint with
// three lines of 3600 points at position 3600 on a 700-pixel plot in under 2 ms.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cmath>
#include <cstdlib>

#include "instruments/dial_artwork.h"
#include "instruments/instrument_pane.h"

namespace {

using namespace tesmira;

void BM_ConstructPane(benchmark::State& state) {
    for (auto _ : state) {
        InstrumentPane view(nullptr, [] { return std::string("KMH"); });
        benchmark::DoNotOptimize(view.Compass().Artwork().Frame(359).image.constBits());
    }
}
BENCHMARK(BM_ConstructPane)->Unit(benchmark::kMillisecond);

// As above, and every one of the 2 x 360 needle frames made as well.
void BM_ConstructPaneAllFrames(benchmark::State& state) {
    for (auto _ : state) {
        InstrumentPane view(nullptr, [] { return std::string("KMH"); });
        for (int k = 0; k < DialArtwork::kFrameCount; ++k) {
            benchmark::DoNotOptimize(view.Compass().Artwork().Frame(k).image.constBits());
            benchmark::DoNotOptimize(view.Speedometer().Artwork().Frame(k).image.constBits());
        }
    }
}
BENCHMARK(BM_ConstructPaneAllFrames)->Unit(benchmark::kMillisecond);

// The pictures of both dials for a screen of the given density (x100), as made at start.
void BM_DialArtwork(benchmark::State& state) {
    const qreal dpr = state.range(0) / 100.0;
    for (auto _ : state) {
        DialArtwork speed = DialArtwork::Speedometer(dpr);
        DialArtwork compass = DialArtwork::Compass(dpr);
        benchmark::DoNotOptimize(speed.Frame(1).image.constBits());
        benchmark::DoNotOptimize(compass.Frame(1).image.constBits());
    }
}
BENCHMARK(BM_DialArtwork)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_ChartRepaint(benchmark::State& state) {
    LineChart chart;
    chart.resize(760, 171);  // plot 55 .. 755: 700 pixels
    chart.RecalcLayout();
    chart.AddLine(Rgb(255, 0, 0));
    chart.AddLine(Rgb(0, 255, 0));
    chart.AddLine(Rgb(0, 0, 255));
    chart.ValueAxis().minimum = 0;
    chart.ValueAxis().maximum = 5120000;
    chart.RecalcLayout();
    for (int i = 0; i < 3600; ++i) {
        chart.Line(0).AddPoint(i, (256 + 60 * std::sin(i / 9.0)) * 10000.0);
        chart.Line(1).AddPoint(i, (256 + 40 * std::cos(i / 5.0)) * 10000.0);
        chart.Line(2).AddPoint(i, (128 + (i * 7919 % 31)) * 10000.0);
    }
    chart.SetPeriod(0);
    chart.StartAt(3600);
    if (chart.Layout().plot.Width() != 700) state.SkipWithError("plot is not 700 pixels wide");
    QImage target(chart.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        chart.render(&target);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ChartRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
