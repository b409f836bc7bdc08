// How far the map marker, the instruments and the labels stray from the film's own second
// while a film plays through the real engine: sampled every 40 ms, out of step with the
// window's own timers. Run it while other processes keep the machine busy (drift.sh does).
//
// Usage: mainwnd_drift_bench FILM [SPEED]   (run under an X server)
// Prints the largest offset of any pane in records and the longest time a pane stayed off.

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "app/app_paths.h"
#include "app/settings.h"
#include "mainwnd/main_window.h"
#include "playback/film_view.h"
#include "playback/film_view_texts.h"
#include "playback/play_speeds.h"

namespace {

using namespace tesmira;

// The page the track goes to: counts the marker's restarts, runs no script.
struct CountingPage : MapPage {
    int plays = 0;
    bool CallPageFunction(const std::string& name, const std::vector<std::string>&) override {
        if (name == "play") ++plays;
        return true;
    }
};

class EndWatchingWindow : public MainWindow {
public:
    using MainWindow::MainWindow;
    bool ended = false;
    void PlayNextFilm() override {
        ended = true;
        MainWindow::PlayNextFilm();
    }
};

}  // namespace

int main(int argc, char** argv) {
    PrepareMainWindowProcess();
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc < 2) {
        std::fprintf(stderr, "usage: mainwnd_drift_bench FILM [SPEED]\n");
        return 2;
    }
    const double speed = argc > 2 ? std::atof(argv[2]) : 1.0;
    QTemporaryDir data;
    SetDataFolder(data.path().toStdString());
    SetMapProvider(kMapGoogle);

    CountingPage page;
    MainWindow::Options options;
    options.mapPage = &page;
    // Nobody answers: the offline page, no provider script in the measurement.
    options.mapCheckHosts = {{"maps.googleapis.com", "127.0.0.1:1"},
                             {"api.map.baidu.com", "127.0.0.1:1"}};
    EndWatchingWindow window(options);
    window.InitDialog({});
    window.OpenFilms({QString::fromLocal8Bit(argv[1])});
    if (!window.hasSamples()) {
        std::fprintf(stderr, "the film has no records\n");
        return 2;
    }
    for (std::size_t i = 0; i < kPlaySpeedCount; ++i)
        if (kPlaySpeeds[i] == speed) window.filmView()->SetSpeed(i);

    FilmEngine& engine = window.filmView()->engine();
    const int last = static_cast<int>(window.SyncRecords().size()) - 1;
    int largest = 0;
    long long longestOffMs = 0;
    long long samples = 0;
    long long samplesOff = 0;
    QElapsedTimer offSince;
    QElapsedTimer clock;
    clock.start();
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (!engine.IsRunning()) return;
        const int film = std::min(WholeSeconds(engine.GetPosition().value_or(0.0)), last);
        const MainWindow::PaneSeconds shown = window.paneSeconds();
        int offset = 0;
        for (int pane : {shown.marker, shown.chart, shown.speedometer, shown.compass, shown.labels})
            offset = std::max(offset, std::abs(pane - film));
        ++samples;
        largest = std::max(largest, offset);
        if (offset != 0) ++samplesOff;
        if (offset == 0) {
            offSince.invalidate();
        } else if (!offSince.isValid()) {
            offSince.start();
        } else {
            longestOffMs = std::max(longestOffMs, offSince.elapsed());
        }
    });
    sampler.start(40);
    const int startPlays = page.plays;
    while (!window.ended) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    std::printf(
        "film %s at %g×: %.0f s played, %lld samples; largest pane offset %d record(s), "
        "%lld samples (%.1f%%) with a pane off; longest time a pane stayed off %lld ms; "
        "marker restarts %d\n",
        argv[1], speed, clock.elapsed() / 1000.0, samples, largest, samplesOff,
        samples ? 100.0 * samplesOff / samples : 0.0, longestOffMs, page.plays - startPlays);
    return 0;
}
