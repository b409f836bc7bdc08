// Exact-seek latency of the film pane: from a Left/Right key press to the new frame painted,
// on a 1080p film with a key frame every 8 seconds (the frames between the key frame and the
// target are decoded and dropped). Prints each seek and the median of 20.
// Run with QT_QPA_PLATFORM=offscreen; the film is made once with ffmpeg next to the program.
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

#include "playback/film_view.h"
#include "playback/standalone_host.h"
#include "playback/video_widget.h"

namespace {

bool pumpUntil(const std::function<bool()>& done, int maxMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > maxMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

QString makeFilm() {
    const QString path = QCoreApplication::applicationDirPath() + "/exact_seek_1080p_gop8.mp4";
    if (QFileInfo(path).size() > 0) return path;
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-y",
                            "-v",
                            "error",
                            "-f",
                            "lavfi",
                            "-i",
                            "testsrc2=size=1920x1080:rate=30",
                            "-t",
                            "60",
                            "-c:v",
                            "libx264",
                            "-preset",
                            "veryfast",
                            "-g",
                            "240",
                            "-keyint_min",
                            "240",
                            "-sc_threshold",
                            "0",
                            "-pix_fmt",
                            "yuv420p",
                            path});
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitCode() != 0) return {};
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    auto* app = new QApplication(argc, argv);  // kept to the end of the process
    (void)app;
    std::setlocale(LC_NUMERIC, "C");
    const QString film = makeFilm();
    if (film.isEmpty()) {
        std::fprintf(stderr, "ffmpeg could not make the film\n");
        return 1;
    }
    tesmira::StandaloneHost host;
    tesmira::FilmView view(host);
    host.setView(&view);
    view.resize(1280, 800);
    view.show();
    host.PlayFile(film);
    auto* picture =
        view.control(tesmira::FilmView::kVideoAreaId)->findChild<tesmira::VideoWidget*>();
    if (!picture || !pumpUntil([&] { return picture->framesRendered() > 0; }, 10000)) {
        std::fprintf(stderr, "the film shows no picture\n");
        return 1;
    }
    view.PlayPause();
    pumpUntil([] { return false; }, 500);

    // Right and Left by turns, 5 s each, walking through the film so that targets fall at
    // every distance from their key frame.
    const Qt::Key keys[] = {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left};
    std::vector<double> latencies;
    for (int i = 0; i < 20; ++i) {
        bool painted = false;
        const auto connection = QObject::connect(picture, &tesmira::VideoWidget::framePainted,
                                                 [&painted] { painted = true; });
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, keys[i % 3], Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &press);
        const bool ok = pumpUntil([&] { return painted; }, 5000);
        const double ms = timer.nsecsElapsed() / 1e6;
        QObject::disconnect(connection);
        QKeyEvent release(QEvent::KeyRelease, keys[i % 3], Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &release);
        const double at = view.engine().GetPosition().value_or(-1.0);
        std::printf("seek %2d to %6.2f s: %s %.1f ms\n", i + 1, at, ok ? "" : "(no frame)", ms);
        latencies.push_back(ms);
        pumpUntil([] { return false; }, 200);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("median exact-seek latency: %.1f ms (min %.1f, max %.1f)\n",
                (latencies[9] + latencies[10]) / 2.0, latencies.front(), latencies.back());
    return 0;
}
