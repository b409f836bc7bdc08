// Resident size of the player while the main window plays films one after another: the films
// are listed with the open command's path, each plays to its own end, and the film pane's end
// event goes on to the next through PlayNextFilm. The map page is the Google page with the
// provider stand-in (it takes every track); the check asks a local server that answers.
//
// Usage: mainwnd_memory_bench FILM...   (short films; run under an X server)

#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "app/app_paths.h"
#include "app/settings.h"
#include "mainwnd/main_window.h"
#include "map/map_pages.h"
#include "map_test_env.h"

namespace {

using namespace tesmira;

// "VmRSS" of /proc/<pid>/status in MiB (0 when the process is gone).
double ResidentMiB(const std::string& pid) {
    std::ifstream status("/proc/" + pid + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

// Bytes the allocator has handed out and not had back, in MiB: growth here is memory kept,
// growth of the resident size alone is the allocator's free lists.
double HeapInUseMiB() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / (1 << 20);
}

// Threads of this process.
int ThreadCount() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
    }
    return 0;
}

// Resident size of the browser engine's helpers (children of this process and theirs).
double HelpersMiB() {
    const std::string self = std::to_string(getpid());
    std::set<std::string> tree{self};
    double sum = 0;
    for (bool grown = true; grown;) {
        grown = false;
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            const std::string pid = entry.path().filename().string();
            if (tree.count(pid) || pid.find_first_not_of("0123456789") != std::string::npos)
                continue;
            std::ifstream stat(entry.path() / "stat");
            std::string text;
            std::getline(stat, text);
            const std::size_t close = text.rfind(')');
            if (close == std::string::npos) continue;
            std::string state, parent;
            std::istringstream(text.substr(close + 1)) >> state >> parent;
            if (tree.count(parent)) {
                tree.insert(pid);
                sum += ResidentMiB(pid);
                grown = true;
            }
        }
    }
    return sum;
}

// Counts the ends of films the film pane reports.
class EndCountingWindow : public MainWindow {
public:
    using MainWindow::MainWindow;
    int ends = 0;
    void PlayNextFilm() override {
        ++ends;
        MainWindow::PlayNextFilm();
    }
};

}  // namespace

int main(int argc, char** argv) {
    maptest::RegisterSchemes();
    PrepareMainWindowProcess();  // as the player does
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    maptest::InstallStandIns();
    QStringList films;
    for (int i = 1; i < argc; ++i) films << QString::fromLocal8Bit(argv[i]);
    if (films.isEmpty()) {
        std::fprintf(stderr, "usage: mainwnd_memory_bench FILM...\n");
        return 2;
    }
    QTemporaryDir data;
    SetDataFolder(data.path().toStdString());
    SetMapProvider(kMapGoogle);

    maptest::AnsweringServer provider;
    MainWindow::Options options;
    options.mapCheckHosts = {{"maps.googleapis.com", provider.host()},
                             {"api.map.baidu.com", provider.host()}};
    EndCountingWindow window(options);
    window.InitDialog({});
    window.OpenFilms(films);

    const int count = static_cast<int>(films.size());
    const std::set<int> reportAfter{1, 5, 10, 20, count};
    QElapsedTimer clock;
    clock.start();
    QStringList played;
    for (int ended = 1; ended <= count; ++ended) {
        played << window.CurrentFilm();
        QElapsedTimer filmClock;
        filmClock.start();
        while (window.ends < ended && filmClock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (window.ends < ended) {
            std::fprintf(stderr, "film %d did not end\n", ended);
            return 2;
        }
        if (reportAfter.count(ended)) {
            // Let the next film's loading settle before looking.
            for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            std::printf(
                "after %2d films: player %.1f MiB resident (heap in use %.1f MiB, %d threads), "
                "browser helpers %.1f MiB (%.0f s)\n",
                ended, ResidentMiB("self"), HeapInUseMiB(), ThreadCount(), HelpersMiB(),
                clock.elapsed() / 1000.0);
            std::fflush(stdout);
        }
    }
    played.removeDuplicates();
    if (played.size() != count) {
        std::fprintf(stderr, "only %lld different films played\n",
                     static_cast<long long>(played.size()));
        return 2;
    }
    return 0;
}
