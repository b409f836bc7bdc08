// The film list with a day of one-minute films (1,440 rows), shown offscreen.
// Target: inserting all rows, sorting them by any column, and SelectFilm or PlayNext
// on the last row each under 50 ms. Each step includes the repaint it causes.
// Run: QT_QPA_PLATFORM=offscreen build/bench/filelist/filelist_bench

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QString>
#include <memory>
#include <random>

#include "filelist/film_list_pane.h"
#include "filelist/sortable_list_view.h"

namespace {

using namespace tesmira;

constexpr int kFilms = 1440;

class NullHost : public FilmListHost {
public:
    void PlayFile(const QString& path) override { current = path; }
    void OpenFilms(const QStringList&) override {}
    QString CurrentFilm() const override { return current; }
    void CloseFilm() override { current.clear(); }
    QString current;
};

QString pathOf(int k) {
    return QString("/media/card/DCIM/Movie/2024_0501_%1%2%3_%4.MP4")
        .arg(k / 60, 2, 10, QChar('0'))
        .arg(k % 60, 2, 10, QChar('0'))
        .arg(0, 2, 10, QChar('0'))
        .arg(k, 4, 10, QChar('0'));
}

void fill(FilmListPane& pane) {
    std::mt19937 random(7);
    for (int k = 0; k < kFilms; ++k) {
        const QString path = pathOf(k);
        pane.InsertFilm(path, path.section('/', -1), QString::number(100 + random() % 60),
                        QString("2024-05-01 %1:%2:00")
                            .arg(k / 60, 2, 10, QChar('0'))
                            .arg(k % 60, 2, 10, QChar('0')),
                        QString("00:00:%1").arg(50 + random() % 10),
                        random() % 2 ? "1920 x 1080" : "2560 x 1440");
    }
}

struct ShownPane {
    NullHost host;
    FilmListPane pane{host};
    ShownPane() {
        pane.resize(400, 300);
        pane.show();
        QApplication::processEvents();
    }
};

void BM_Insert1440(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto shown = std::make_unique<ShownPane>();
        state.ResumeTiming();
        fill(shown->pane);
        QApplication::processEvents();
        state.PauseTiming();
        shown.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Insert1440)->Unit(benchmark::kMillisecond);

// Each iteration is one header click: the direction alternates.
void BM_SortByColumn(benchmark::State& state) {
    ShownPane shown;
    fill(shown.pane);
    const int column = static_cast<int>(state.range(0));
    for (auto _ : state) {
        shown.pane.List().OnColumnClick(column);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_SortByColumn)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_SelectFilmLastRow(benchmark::State& state) {
    ShownPane shown;
    fill(shown.pane);
    const QString last = pathOf(kFilms - 1);
    for (auto _ : state) {
        shown.pane.SelectFilm(last);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_SelectFilmLastRow)->Unit(benchmark::kMillisecond);

// From the row before the last to the last, and from the last (nothing to play).
void BM_PlayNextToLastRow(benchmark::State& state) {
    ShownPane shown;
    fill(shown.pane);
    const QString from = pathOf(kFilms - 2 + static_cast<int>(state.range(0)));
    for (auto _ : state) {
        shown.pane.PlayNext(from);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_PlayNextToLastRow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
