// Feeding a one-hour film's track to the Google page and starting play (from
// the first call until the page has drawn the track), and the cost of one
// marker step in the page. Provider stand-ins stand in for the API, so the
// figures are the page's and the call path's own. Prints the median of runs.

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "mainwnd/track_feeder.h"
#include "map/map_browser.h"
#include "map/map_page_scheme.h"
#include "map/map_pages.h"
#include "map_test_env.h"

namespace {

using namespace tesmira;

// The pane's MapPage conversion, over a bare control (no check to wait for).
class CtrlPage : public MapPage {
public:
    explicit CtrlPage(BrowserView& ctrl) : ctrl_(ctrl) {}
    bool CallPageFunction(const std::string& name, const std::vector<std::string>& args) override {
        QStringList texts;
        for (const std::string& arg : args) texts.append(QString::fromStdString(arg));
        return ctrl_.CallPageFunction(QString::fromStdString(name), texts);
    }

private:
    BrowserView& ctrl_;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    maptest::RegisterSchemes();
    QApplication app(argc, argv);
    maptest::InstallStandIns();

    MapBrowser ctrl;
    ctrl.resize(640, 480);
    ctrl.show();
    QSignalSpy ready(&ctrl, &BrowserView::pageReady);
    ctrl.Navigate(MapPageUrl(156));
    if (!maptest::WaitFor([&] { return ready.count() > 0; })) return 1;

    // An hour of samples along a line, every 60th without a fix.
    std::vector<DerivedSample> samples(3600);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i].fixValid = i % 60 != 59;
        samples[i].longitude = 37.5 + i * 1e-4;
        samples[i].latitude = 55.8 + i * 1e-4;
    }
    CtrlPage page(ctrl);
    TrackFeeder feeder(page);

    std::vector<double> hourMs;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer clock;
        clock.start();
        feeder.Stop();
        for (const DerivedSample& sample : samples) feeder.PlotSample(sample, 0);
        feeder.Play(1000);
        // Runs after every call above: the track is drawn when it answers.
        const int lines = maptest::Eval(ctrl.page(), "polyArray.length").toInt();
        hourMs.push_back(clock.nsecsElapsed() / 1e6);
        if (lines != 60) {
            std::fprintf(stderr, "expected 60 lines, got %d\n", lines);
            return 1;
        }
    }
    feeder.Pause();

    std::vector<double> stepUs;
    for (int run = 0; run < 7; ++run) {
        stepUs.push_back(
            maptest::Eval(ctrl.page(),
                          "(function () {"
                          " var n = 10000, t = performance.now();"
                          " for (var i = 0; i < n; i++) { startpos = i % 3600; stepMarker(); }"
                          " clearInterval(timer); timer = null;"
                          " return (performance.now() - t) * 1000 / n; })()")
                .toDouble());
    }
    std::printf("hour track (3600 points) fed and drawn: median %.1f ms (target < 300 ms), runs:",
                Median(hourMs));
    for (double ms : hourMs) std::printf(" %.1f", ms);
    std::printf("\nmarker step: median %.2f us (target < 1000 us)\n", Median(stepUs));
    return 0;
}
