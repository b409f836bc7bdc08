// Whole-run timing of the media engine: CPU per second of playback of a 1080p30 H.264 film shown
// in a 1280x720 video widget, against mpv decoding the same film with no output, in one run;
// and the time from Open to the first painted frame.
//
// Usage: playback_bench [film]   (without a film one is made with ffmpeg in the build folder)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <vector>

#include "playback/film_player.h"
#include "playback/film_player_event.h"
#include "playback/video_widget.h"

namespace {

constexpr int kFilmSeconds = 15;

double cpuSeconds(const rusage& r) {
    return r.ru_utime.tv_sec + r.ru_utime.tv_usec / 1e6 + r.ru_stime.tv_sec +
           r.ru_stime.tv_usec / 1e6;
}

double selfCpu() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return cpuSeconds(r);
}

QString makeFilm() {
    const QString dir = QStringLiteral(TESMIRA_BINARY_DIR "/bench-films");
    QDir().mkpath(dir);
    const QString path = dir + "/h264_1080p30.mp4";
    if (QFileInfo(path).size() > 0) return path;
    std::fprintf(stderr, "making %s ...\n", qPrintable(path));
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-y",
                            "-v",
                            "error",
                            "-f",
                            "lavfi",
                            "-i",
                            "testsrc2=size=1920x1080:rate=30",
                            "-f",
                            "lavfi",
                            "-i",
                            "sine=frequency=440",
                            "-t",
                            QString::number(kFilmSeconds),
                            "-c:v",
                            "libx264",
                            "-preset",
                            "veryfast",
                            "-crf",
                            "20",
                            "-pix_fmt",
                            "yuv420p",
                            "-c:a",
                            "aac",
                            "-shortest",
                            path + ".part.mp4"});
    if (!ffmpeg.waitForFinished(600000) || ffmpeg.exitCode() != 0) return {};
    QFile::rename(path + ".part.mp4", path);
    return path;
}

// CPU seconds and wall seconds of `mpv --no-config --vo=null --ao=null film`.
bool decodeOnly(const QString& film, double& cpu, double& wall) {
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        const QByteArray f = film.toLocal8Bit();
        execlp("mpv", "mpv", "--no-config", "--vo=null", "--ao=null", "--really-quiet",
               f.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    wall = timer.elapsed() / 1000.0;
    cpu = cpuSeconds(usage);
    return true;
}

// Waits for the engine's completion event.
class Completion : public QObject {
public:
    bool done = false;

protected:
    bool event(QEvent* e) override {
        if (e->type() == tesmira::FilmPlayerEvent::eventType()) {
            done = true;
            return true;
        }
        return QObject::event(e);
    }
};

// Sleeps in the event loop (no busy waiting: the harness must not burn the CPU it measures).
bool pumpUntil(const std::function<bool()>& done, int maxMs) {
    QElapsedTimer timer;
    timer.start();
    QTimer tick;
    tick.start(20);
    while (!done() && timer.elapsed() < maxMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QString film = argc > 1 ? QString::fromLocal8Bit(argv[1]) : makeFilm();
    if (film.isEmpty()) {
        std::fprintf(stderr, "no film\n");
        return 2;
    }

    QWidget window;
    window.resize(1280, 720);
    window.show();
    tesmira::FilmPlayer player;
    Completion completion;

    // Time from Open to the first painted frame, several times.
    std::vector<double> firstFrame, openTimes;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!player.Open(film, &window, &completion)) {
            std::fprintf(stderr, "Open failed\n");
            return 2;
        }
        openTimes.push_back(timer.elapsed());
        tesmira::VideoWidget* video = player.videoWidget();
        bool painted = false;
        auto connection = QObject::connect(video, &tesmira::VideoWidget::framePainted,
                                           [&painted] { painted = true; });
        player.FitVideoToOwner();
        player.Run();
        pumpUntil([&] { return painted; }, 10000);
        QObject::disconnect(connection);
        if (!painted) {
            std::fprintf(stderr, "no frame painted\n");
            return 2;
        }
        firstFrame.push_back(timer.elapsed());
        std::printf("  run %d: Open %.0f ms, first frame %.0f ms\n", i + 1, openTimes.back(),
                    firstFrame.back());
        player.Close();
    }
    std::sort(firstFrame.begin(), firstFrame.end());
    std::sort(openTimes.begin(), openTimes.end());

    // One whole playback through the engine.
    if (!player.Open(film, &window, &completion)) return 2;
    player.FitVideoToOwner();
    const auto framesBefore = player.videoWidget()->framesRendered();
    const double cpuBefore = selfCpu();
    QElapsedTimer wall;
    wall.start();
    player.Run();
    pumpUntil([&] { return completion.done; }, (kFilmSeconds + 60) * 1000);
    const double engineWall = wall.elapsed() / 1000.0;
    const double engineCpu = selfCpu() - cpuBefore;
    const auto frames = player.videoWidget()->framesRendered() - framesBefore;
    player.Close();
    if (!completion.done) {
        std::fprintf(stderr, "film did not complete\n");
        return 2;
    }

    double mpvCpu = 0, mpvWall = 0;
    if (!decodeOnly(film, mpvCpu, mpvWall)) {
        std::fprintf(stderr, "mpv decode-only run failed\n");
        return 2;
    }

    const double enginePerSecond = engineCpu / engineWall;
    const double mpvPerSecond = mpvCpu / mpvWall;
    const double ratio = enginePerSecond / mpvPerSecond;
    const double median = firstFrame[firstFrame.size() / 2];
    std::printf("film                       %s\n", qPrintable(film));
    std::printf("engine, 1280x720 widget    %.3f CPU s per playback s (%.1f s, %llu frames)\n",
                enginePerSecond, engineWall, static_cast<unsigned long long>(frames));
    std::printf("mpv --vo=null --ao=null    %.3f CPU s per playback s (%.1f s)\n", mpvPerSecond,
                mpvWall);
    std::printf("ratio                      %.2f (target <= 2.00) %s\n", ratio,
                ratio <= 2.0 ? "ok" : "MISSED");
    std::printf(
        "Open to first painted frame median %.0f ms, min %.0f, max %.0f (target <= 300) %s\n",
        median, firstFrame.front(), firstFrame.back(), median <= 300 ? "ok" : "MISSED");
    std::printf("  of which Open itself     median %.0f ms\n", openTimes[openTimes.size() / 2]);
    return 0;
}
