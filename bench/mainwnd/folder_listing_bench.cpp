// A card of one-minute films opened as a folder, as File > Open Folder, the command line
// and a drop do it: the folder scan alone, and the whole listing in the main window (scan,
// file times, oldest-first order, every row inserted, the oldest film opened by a scripted
// engine). Target: 1,440 films listed in under 1 s. Run at 360 and 1,440 films, the two
// show whether listing grows faster than the number of films. The durations read in the
// background for the Time column are timed apart: the window does not wait for them.
//
// The films are small files with a movie header and nothing else (listing never opens a
// film), made once per run in a temporary folder, in the layout cameras write
// (DCIM/Movie, Normal/Front, Normal/Rear, Event) with write times out of name order.
// Run: QT_QPA_PLATFORM=offscreen build/bench/mainwnd/mainwnd_folder_listing_bench

#include <benchmark/benchmark.h>
#include <utime.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <clocale>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/app_paths.h"
#include "app/film_folder.h"
#include "filelist/film_list_pane.h"
#include "filelist/sortable_list_view.h"
#include "mainwnd/main_window.h"
#include "map/map_page_scheme.h"
#include "playback/fake_film.h"

namespace {

using namespace tesmira;
namespace fs = std::filesystem;

void putBE32(std::string& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>(v >> s));
}

// ftyp, then moov holding a version-0 mvhd of `seconds` at timescale 1000.
std::string headerOnlyFilm(uint32_t seconds) {
    std::string mvhd;
    putBE32(mvhd, 8 + 100);
    mvhd += "mvhd";
    putBE32(mvhd, 0);
    putBE32(mvhd, 0);
    putBE32(mvhd, 0);
    putBE32(mvhd, 1000);
    putBE32(mvhd, seconds * 1000);
    mvhd.append(80, '\0');
    std::string film;
    putBE32(film, 16);
    film += "ftypisom";
    putBE32(film, 0x200);
    putBE32(film, static_cast<uint32_t>(8 + mvhd.size()));
    film += "moov";
    film += mvhd;
    return film;
}

// A card with `count` films, made on first use and removed at exit.
QString card(int count) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> cards;
    std::unique_ptr<QTemporaryDir>& dir = cards[count];
    if (dir) return dir->path();
    dir = std::make_unique<QTemporaryDir>();
    const fs::path root = dir->path().toStdString();
    const char* folders[] = {"DCIM/Movie", "Normal/Front", "Normal/Rear", "Event"};
    for (const char* folder : folders) fs::create_directories(root / folder);
    std::mt19937 random(11);
    const std::time_t start = std::time(nullptr) - 2 * 24 * 3600;
    for (int k = 0; k < count; ++k) {
        const char* folder = folders[k % 4];
        char name[64];
        std::snprintf(name, sizeof name, "2024_0501_%02d%02d00_%04d.MP4", k / 60 % 24, k % 60, k);
        const fs::path path = root / folder / name;
        std::ofstream(path, std::ios::binary) << headerOnlyFilm(55 + random() % 10);
        const utimbuf times{start, start + static_cast<std::time_t>(random() % (24 * 3600))};
        ::utime(path.c_str(), &times);
    }
    std::ofstream(root / "Event" / "index.txt") << "not a film";
    return dir->path();
}

void BM_ScanFolder(benchmark::State& state) {
    const QString folder = card(static_cast<int>(state.range(0)));
    std::size_t films = 0;
    for (auto _ : state) films = ScanFilmFolder(folder.toStdString()).films.size();
    state.counters["films"] = static_cast<double>(films);
}
BENCHMARK(BM_ScanFolder)->Arg(360)->Arg(1440)->Unit(benchmark::kMillisecond);

struct Player {
    QTemporaryDir data;
    std::unique_ptr<MainWindow> window;
    Player() {
        SetDataFolder(data.path().toStdString());
        MainWindow::Options options;
        options.makeEngine = [] { return std::make_unique<testing::FakeEngine>(); };
        // No network: the provider check fails at once and the offline page shows.
        options.mapCheckHosts = {{"maps.googleapis.com", "127.0.0.1:9"},
                                 {"api.map.baidu.com", "127.0.0.1:9"}};
        window = std::make_unique<MainWindow>(options);
        window->InitDialog({});
        QApplication::processEvents();
    }
    SortableListView& list() const { return window->filmList()->List(); }
    bool timesFilled() const {
        for (int r = 0; r < list().GetItemCount(); ++r)
            if (list().GetItemText(r, FilmListPane::kTimeColumn).isEmpty()) return false;
        return true;
    }
};

Player& player() {
    static Player* shown = new Player;  // one window (and browser engine) for every run
    return *shown;
}

void BM_OpenFolderInMainWindow(benchmark::State& state) {
    const QString folder = card(static_cast<int>(state.range(0)));
    Player& p = player();
    double timesMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        p.window->filmList()->OnDeleteAll();
        QApplication::processEvents();
        state.ResumeTiming();
        p.window->OpenFilms({folder});
        QApplication::processEvents();  // the list's repaint
        state.PauseTiming();
        QElapsedTimer filling;
        filling.start();
        while (!p.timesFilled()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        timesMs += static_cast<double>(filling.elapsed());
        state.ResumeTiming();
    }
    state.counters["rows"] = p.list().GetItemCount();
    state.counters["times_after_ms"] =
        benchmark::Counter(timesMs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OpenFolderInMainWindow)->Arg(360)->Arg(1440)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    RegisterMapSchemes();  // as the player does, before the application object
    PrepareMainWindowProcess();
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
