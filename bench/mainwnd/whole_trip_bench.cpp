// The whole trip of a day of one-minute films on the OpenStreetMap page (no network):
// a folder of 1,440 films, each with 60 records, opened in the main window with the
// whole trip switched on. The records are read in the background while the first film
// plays (a scripted engine); every film joins the map as it is read. Measured: from the
// last film read until the page holds and has painted all of them (target under 1 s),
// the page calls that carried the trip, and from the open until then the longest event
// the window handled (target under 50 ms) and the longest gap between the ticks of a
// 5 ms timer, which on a busy machine also counts the time the process was not running.
//
// The films are made once with the film writer and kept in the test film cache.
// Run (films defaults to 1440) with QT_QPA_PLATFORM=offscreen, QTWEBENGINE_DISABLE_SANDBOX=1
// and QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu: build/bench/mainwnd/mainwnd_whole_trip_bench
// [films]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/app_paths.h"
#include "app/ini_profile.h"
#include "app/settings.h"
#include "mainwnd/main_window.h"
#include "mainwnd/trip_feeder.h"
#include "map/map_page_scheme.h"
#include "map/map_pages.h"
#include "map_test_env.h"
#include "playback/fake_film.h"
#include "support/test_films.h"

namespace {

using namespace tesmira;
namespace tf = testfilms;

// `count` films of a minute each, one drive cut into minutes, written oldest first.
QStringList MakeDay(const QString& folder, int count) {
    const std::vector<tf::TrackRow> day = tf::GenerateTrack(static_cast<std::size_t>(count) * 60);
    QStringList films;
    const QDateTime start = QDateTime::currentDateTime().addDays(-2);
    for (int k = 0; k < count; ++k) {
        tf::TestFilmOptions options;
        options.placement = tf::RecordPlacement::Type60;
        options.withAudio = false;
        options.durationSeconds = 60;
        options.width = 32;
        options.height = 32;
        options.frameRate = 1;
        options.rows = std::vector<tf::TrackRow>(day.begin() + k * 60, day.begin() + k * 60 + 60);
        const QString made = QString::fromStdString(tf::MakeTestFilm(options).string());
        const QString film = QStringLiteral("%1/%2.MP4").arg(folder).arg(k, 4, 10, QChar('0'));
        if (!QFile::link(made, film) && !QFile::copy(made, film)) return {};
        QFile written(film);
        written.open(QIODevice::ReadWrite);
        written.setFileTime(start.addSecs(60 * k), QFileDevice::FileModificationTime);
        films << film;
    }
    return films;
}

// Times every event the window handles at the outermost level: the longest is the
// longest the window itself held its event loop, whatever else the machine was doing.
struct TimedApplication : QApplication {
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (depth_++ > 0) {
            const bool handled = QApplication::notify(receiver, event);
            --depth_;
            return handled;
        }
        QElapsedTimer clock;
        clock.start();
        const bool handled = QApplication::notify(receiver, event);
        --depth_;
        if (timing) longestEventMs = std::max(longestEventMs, clock.elapsed());
        return handled;
    }
    bool timing = false;
    qint64 longestEventMs = 0;

private:
    int depth_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1440;
    maptest::RegisterSchemes();
    PrepareMainWindowProcess();
    TimedApplication app(argc, argv);
    maptest::InstallStandIns();
    std::setlocale(LC_NUMERIC, "C");

    QTemporaryDir data;
    QTemporaryDir folder;
    SetDataFolder(data.path().toStdString());
    ClearProfileCache();
    WriteMap("osm");
    WriteWholeTrip(true);
    std::fprintf(stderr, "making %d films...\n", count);
    if (MakeDay(folder.path(), count).size() != count) return 1;

    MainWindow::Options options;
    options.makeEngine = [] {
        auto engine = std::make_unique<tesmira::testing::FakeEngine>();
        engine->duration = 60;
        return engine;
    };
    options.screenSize = QSize(1920, 1080);
    MainWindow window(options);
    window.InitDialog({});
    QWebEnginePage* page = window.mapView()->Browser().page();
    if (!maptest::WaitFor([&] { return window.mapView()->Browser().IsPageReady(); }, 15000))
        return 1;
    // Counts the page calls that carry films.
    maptest::Eval(
        page,
        "var tripCalls = 0; var tripAddOnce = trip_add;"
        "var tripMs = 0; trip_add = function (f) { tripCalls++; var t0 = performance.now();"
        "  tripAddOnce(f); tripMs += performance.now() - t0; }");

    // The event loop's longest hold: the gap between two ticks of a 5 ms timer.
    QElapsedTimer loop;
    qint64 longestHoldMs = 0;
    QElapsedTimer clock;
    qint64 lastReadMs = -1;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestHoldMs = std::max(longestHoldMs, loop.restart());
        if (lastReadMs < 0 && window.trip().FilmCount() == static_cast<std::size_t>(count))
            lastReadMs = clock.elapsed();
    });

    clock.start();
    window.OpenFilms({folder.path()});
    const qint64 openMs = clock.elapsed();
    loop.start();
    tick.start();
    app.timing = true;
    if (!maptest::WaitFor([&] { return lastReadMs >= 0; }, 600000)) return 1;
    // Painted: two animation frames after the page holds every film (Leaflet draws its
    // canvas on the next frame).
    bool drawn = false;
    qint64 drawnMs = 0;
    while (!drawn && clock.elapsed() - lastReadMs < 30000) {
        drawn =
            maptest::Eval(page, QStringLiteral("Object.keys(trip).length == %1 && (window.painted "
                                               "|| (requestAnimationFrame(function () {"
                                               "  requestAnimationFrame(function () {"
                                               "    window.painted = true; }); }), false))")
                                    .arg(count))
                .toBool();
        drawnMs = clock.elapsed();
        if (!drawn) maptest::WaitFor([] { return false; }, 5);
    }
    tick.stop();
    app.timing = false;
    const int calls = maptest::Eval(page, "tripCalls").toInt();
    const double pageMs = maptest::Eval(page, "tripMs").toDouble();
    const int points = maptest::Eval(page,
                                     "Object.keys(trip).reduce(function (n, id) {"
                                     "  return n + trip[id].points.length; }, 0)")
                           .toInt();
    std::printf("films %d, points %d\n", count, points);
    std::printf("open (listing, first film)          %6lld ms\n", static_cast<long long>(openMs));
    std::printf("records read (after the open)       %6lld ms\n",
                static_cast<long long>(lastReadMs - openMs));
    std::printf("trip drawn after the last film read %6lld ms  (target < 1000)%s\n",
                static_cast<long long>(drawnMs - lastReadMs), drawn ? "" : "  NOT DRAWN");
    std::printf("page calls carrying films           %6d\n", calls);
    std::printf("time the page spent adding them     %6.0f ms\n", pageMs);
    std::printf("longest event handled by the window %6lld ms  (target < 50)\n",
                static_cast<long long>(app.longestEventMs));
    std::printf("longest gap between 5 ms ticks      %6lld ms  (the machine's load included)\n",
                static_cast<long long>(longestHoldMs));
    SetDataFolder("");
    return drawn ? 0 : 1;
}
