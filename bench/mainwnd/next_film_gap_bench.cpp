// The gap between two films of a list played through: from the last frame of one 1080p30 film
// painted to the first frame of the next painted, in the whole main window (map page with the
// provider stand-in, instruments, film list). Prints each hand-over and the median, and counts
// the paints in between that showed black (the video area without a picture, or the picture
// without a frame).
//
// Usage: mainwnd_next_film_gap_bench [FILMS [SECONDS]]   (default 8 copies of a 60 s film, each
// sought to 2 s before its end once it shows; X server or QT_QPA_PLATFORM=offscreen)

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

#include "app/app_paths.h"
#include "app/settings.h"
#include "mainwnd/main_window.h"
#include "map/map_pages.h"
#include "map_test_env.h"
#include "playback/film_view.h"
#include "playback/video_widget.h"
#include "support/test_films.h"

namespace {

using namespace tesmira;
namespace tf = testfilms;

// Marks the moment the film pane reports a film's end.
class EndMarkingWindow : public MainWindow {
public:
    using MainWindow::MainWindow;
    int ends = 0;
    qint64 endAt = -1;
    const QElapsedTimer* clock = nullptr;
    void PlayNextFilm() override {
        ++ends;
        endAt = clock->nsecsElapsed();
        MainWindow::PlayNextFilm();
    }
};

// Watches every paint of the video area and of the pictures inside it.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* area, const QElapsedTimer& clock) : area_(area), clock_(clock) {
        area_->installEventFilter(this);
    }
    struct Paint {
        qint64 at;
        bool frame;  // a picture with a frame was painted
        bool black;  // nothing of the film showed
    };
    std::vector<Paint> paints;

    // New pictures (the engine may make one for a prepared film) are watched as they come.
    void watchPictures() {
        for (VideoWidget* picture : area_->findChildren<VideoWidget*>()) {
            if (watched_.contains(picture)) continue;
            watched_ << picture;
            picture->installEventFilter(this);
            QObject::connect(picture, &VideoWidget::framePainted, this, [this] {
                paints.push_back({clock_.nsecsElapsed(), true, false});
            });
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        if (watched == area_) {
            bool covered = false;
            for (VideoWidget* picture : area_->findChildren<VideoWidget*>())
                covered = covered || (picture->isVisible() && picture->hasFrame());
            if (!covered) paints.push_back({clock_.nsecsElapsed(), false, true});
        } else if (auto* picture = qobject_cast<VideoWidget*>(watched)) {
            if (picture->isVisible() && !picture->hasFrame())
                paints.push_back({clock_.nsecsElapsed(), false, true});
        }
        return false;
    }

private:
    QWidget* area_;
    const QElapsedTimer& clock_;
    QList<QObject*> watched_;
};

}  // namespace

int main(int argc, char** argv) {
    maptest::RegisterSchemes();
    PrepareMainWindowProcess();
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    maptest::InstallStandIns();
    const int count = argc > 1 ? std::max(2, std::atoi(argv[1])) : 8;
    const double seconds = argc > 2 ? std::max(4.0, std::atof(argv[2])) : 60.0;

    tf::TestFilmOptions options;
    options.width = 1920;
    options.height = 1080;
    options.frameRate = 30;
    options.durationSeconds = seconds;
    const std::filesystem::path film = tf::MakeTestFilm(options);
    QTemporaryDir folder;
    QStringList films;
    for (int i = 0; i < count; ++i) {
        const QString copy =
            folder.filePath(QStringLiteral("trip%1.MP4").arg(i, 2, 10, QChar('0')));
        QFile::copy(QString::fromStdString(film.string()), copy);
        // A minute apart, as a camera writes them: the list keeps this order.
        QFile file(copy);
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(QDateTime::currentDateTime().addSecs(60 * (i - count)),
                             QFileDevice::FileModificationTime);
        films << copy;
    }
    QTemporaryDir data;
    SetDataFolder(data.path().toStdString());
    SetMapProvider(kMapGoogle);

    maptest::AnsweringServer provider;
    MainWindow::Options windowOptions;
    windowOptions.mapCheckHosts = {{"maps.googleapis.com", provider.host()},
                                   {"api.map.baidu.com", provider.host()}};
    EndMarkingWindow window(windowOptions);
    QElapsedTimer clock;
    clock.start();
    window.clock = &clock;
    window.InitDialog({});
    PaintWatch watch(window.filmView()->control(FilmView::kVideoAreaId), clock);
    window.OpenFilms(films);

    // Each film is watched only for its last seconds.
    const auto skipToEnd = [&] {
        const auto shown = [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            watch.watchPictures();
            for (const PaintWatch::Paint& paint : watch.paints)
                if (paint.frame) return true;
            return false;
        };
        QElapsedTimer wait;
        wait.start();
        while (!shown() && wait.elapsed() < 10000) {
        }
        FilmEngine& engine = window.filmView()->engine();
        engine.setPositionExact(std::max(0.0, engine.GetDuration() - 2.0));
    };
    skipToEnd();

    std::vector<double> gaps;
    int blackPaints = 0;
    for (int ended = 1; ended < count; ++ended) {
        QElapsedTimer filmClock;
        filmClock.start();
        // The film ends, then the next one shows its first frame.
        std::size_t firstAfterEnd = 0;
        bool shown = false;
        while (!shown && filmClock.elapsed() < 60000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            watch.watchPictures();
            if (window.ends < ended) {
                firstAfterEnd = watch.paints.size();
                continue;
            }
            for (std::size_t i = firstAfterEnd; i < watch.paints.size(); ++i)
                if (watch.paints[i].frame && watch.paints[i].at > window.endAt) shown = true;
        }
        if (!shown) {
            std::fprintf(stderr, "hand-over %d: no frame of the next film\n", ended);
            return 2;
        }
        // Last frame of the ended film: the last frame painted before the end was reported.
        qint64 last = -1;
        qint64 first = -1;
        int black = 0;
        for (const PaintWatch::Paint& paint : watch.paints) {
            if (paint.at <= window.endAt && paint.frame) last = paint.at;
            if (paint.at > window.endAt && paint.frame && first < 0) first = paint.at;
        }
        for (const PaintWatch::Paint& paint : watch.paints)
            if (paint.black && paint.at > last && paint.at < first) ++black;
        blackPaints += black;
        const double ms = (first - last) / 1e6;
        gaps.push_back(ms);
        std::printf(
            "hand-over %d: %.1f ms from the last frame to the next film's first (%d black "
            "paints)\n",
            ended, ms, black);
        std::fflush(stdout);
        watch.paints.clear();
        skipToEnd();
    }
    std::sort(gaps.begin(), gaps.end());
    const std::size_t n = gaps.size();
    const double median = n % 2 ? gaps[n / 2] : (gaps[n / 2 - 1] + gaps[n / 2]) / 2.0;
    std::printf("median gap over %zu hand-overs: %.1f ms (min %.1f, max %.1f), %d black paints\n",
                n, median, gaps.front(), gaps.back(), blackPaints);
    return 0;
}
