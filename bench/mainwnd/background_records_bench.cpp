// A day of one-minute films listed at once (1,440 films, 86,400 records): every film's
// records read in the background while the window goes on. Measures the longest stall of
// the window's event loop while they are read (a 10 ms timer's largest gap beyond its
// period; target under 50 ms), the time until the last film's records are in, and the
// listing itself (which happens before, and is the folder-listing bench's subject).
//
// The films are copies (hard links) of one writer-made one-minute film with sound,
// records in the sound track and G-sensor bumps; the engine is scripted.
// Usage: QT_QPA_PLATFORM=offscreen mainwnd_background_records_bench [FILMS]

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/app_paths.h"
#include "mainwnd/main_window.h"
#include "map/map_page_scheme.h"
#include "playback/fake_film.h"
#include "support/test_films.h"

namespace {

using namespace tesmira;
namespace fs = std::filesystem;
namespace tf = testfilms;

fs::path oneMinuteFilm() {
    tf::TestFilmOptions options;
    options.placement = tf::RecordPlacement::Type50;
    options.durationSeconds = 60;
    // A camera's frame rate, so that the movie header's tables are as long as a camera's.
    options.frameRate = 30;
    options.width = 640;
    options.height = 360;
    options.rows = tf::GenerateTrack(60);
    for (std::size_t bump : {12u, 40u}) (*options.rows)[bump].gsensorZ += 128;
    return tf::MakeTestFilm(options);
}

}  // namespace

int main(int argc, char** argv) {
    RegisterMapSchemes();
    PrepareMainWindowProcess();
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1440;

    const fs::path film = oneMinuteFilm();
    QTemporaryDir card;
    for (int k = 0; k < count; ++k) {
        char name[64];
        std::snprintf(name, sizeof name, "2024_0501_%02d%02d00_%04d.MP4", k / 60 % 24, k % 60, k);
        fs::create_hard_link(film, fs::path(card.path().toStdString()) / name);
    }

    QTemporaryDir data;
    SetDataFolder(data.path().toStdString());
    MainWindow::Options options;
    options.makeEngine = [] {
        auto engine = std::make_unique<testing::FakeEngine>();
        engine->duration = 60;
        return engine;
    };
    options.mapCheckHosts = {{"maps.googleapis.com", "127.0.0.1:9"},
                             {"api.map.baidu.com", "127.0.0.1:9"}};
    MainWindow window(options);
    window.InitDialog({});
    QApplication::processEvents();

    int read = 0;
    long long events = 0;
    QObject::connect(&window, &MainWindow::filmRecordsRead, [&](const QStringList& paths) {
        read += static_cast<int>(paths.size());
        for (const QString& path : paths)
            if (const FilmRecords* records = window.ListedFilmRecords(path))
                events += static_cast<long long>(records->events.size());
    });

    QElapsedTimer clock;
    clock.start();
    window.OpenFilms({card.path()});
    const qint64 listedMs = clock.elapsed();

    // From here on the window only waits: every gap between two ticks beyond the period is
    // time the event loop could not run.
    constexpr int kTickMs = 10;
    qint64 lastTick = clock.elapsed();
    qint64 longestStall = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longestStall = std::max(longestStall, now - lastTick - kTickMs);
        lastTick = now;
    });
    tick.start(kTickMs);
    while (read < count && clock.elapsed() < 600000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const qint64 readMs = clock.elapsed();

    std::printf("films %d (read %d, %lld events), listed in %lld ms\n", count, read, events,
                static_cast<long long>(listedMs));
    std::printf("all records read %lld ms after the listing began\n",
                static_cast<long long>(readMs));
    std::printf("longest event-loop stall while reading: %lld ms (target < 50 ms)\n",
                static_cast<long long>(longestStall));
    return read == count && longestStall < 50 ? 0 : 1;
}
