// Cost of the 100 ms refresh step of the film pane; it has to stay far below the
// period. Run with QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/app_paths.h"
#include "app/settings.h"
#include "playback/fake_film.h"
#include "playback/film_view.h"
#include "widgets/overlay_label.h"

namespace {

using tesmira::FilmView;
using tesmira::OverlayLabel;

struct Pane {
    QTemporaryDir data;
    tesmira::testing::FakeHost host;
    tesmira::testing::FakeEngine* engine = nullptr;
    std::unique_ptr<FilmView> view;

    explicit Pane(const char* unit) {
        tesmira::SetDataFolder(data.path().toStdString());
        tesmira::WriteUnit(unit);
        host.records.resize(3600);
        for (std::size_t i = 0; i < host.records.size(); ++i) {
            host.records[i].speedKmh = static_cast<double>(i % 130);
            const std::string text =
                "N22." + std::to_string(100000 + i) + ",E114." + std::to_string(100000 + i * 7);
            std::strncpy(host.records[i].positionText, text.c_str(),
                         sizeof host.records[i].positionText - 1);
        }
        auto owned = std::make_unique<tesmira::testing::FakeEngine>();
        engine = owned.get();
        view = std::make_unique<FilmView>(host, std::move(owned));
        view->resize(960, 600);
        view->show();
        view->OpenFilm("/films/hour.MOV");
    }
};

void tick(benchmark::State& state, const char* unit, bool paint) {
    Pane pane(unit);
    auto* speed = qobject_cast<OverlayLabel*>(pane.view->control(FilmView::kSpeedLabelId));
    auto* position = qobject_cast<OverlayLabel*>(pane.view->control(FilmView::kPositionLabelId));
    double seconds = 0.0;
    for (auto _ : state) {
        seconds = seconds >= 3599.0 ? 0.0 : seconds + 0.1;
        pane.engine->position = seconds;
        pane.view->RefreshTick();
        if (paint) {
            benchmark::DoNotOptimize(speed->grab());
            benchmark::DoNotOptimize(position->grab());
        }
    }
}

void BM_RefreshTickKmh(benchmark::State& state) {
    tick(state, "KMH", false);
}
void BM_RefreshTickMph(benchmark::State& state) {
    tick(state, "MPH", false);
}
void BM_RefreshTickWithLabelPaint(benchmark::State& state) {
    tick(state, "KMH", true);
}

BENCHMARK(BM_RefreshTickKmh)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshTickMph)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshTickWithLabelPaint)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    auto* app = new QApplication(argc, argv);  // kept to the end of the process
    (void)app;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
