#include "film_fixtures.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <clocale>

namespace tesmira::test {

void ensureApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "tesmira_playback_tests";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends; destroying it after the tests gains nothing.
    new QApplication(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
}

QString filmFolder() {
    const QString folder = QStringLiteral(TESMIRA_BINARY_DIR "/test-films/playback");
    QDir().mkpath(folder);
    return folder;
}

QString makeFilm(const QString& name, const QStringList& args) {
    const QString path = filmFolder() + "/" + name;
    if (QFileInfo(path).size() > 0) return path;
    // Test programs may run side by side: each writes its own partial file.
    const QString partial =
        QStringLiteral("%1.part%2.mp4").arg(path).arg(QCoreApplication::applicationPid());
    QProcess ffmpeg;
    QStringList all = {"-y", "-v", "error"};
    all << args << partial;
    ffmpeg.start("ffmpeg", all);
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) return {};
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        if (QFileInfo(path).size() <= 0) return {};
    }
    return path;
}

QString patternFilm(double seconds) {
    const QString len = QString::number(seconds, 'f', 1);
    return makeFilm(QStringLiteral("pattern_%1.mp4").arg(len),
                    {"-f",       "lavfi",     "-i",   "testsrc2=size=320x240:rate=10",
                     "-f",       "lavfi",     "-i",   "sine=frequency=440",
                     "-t",       len,         "-c:v", "libx264",
                     "-preset",  "ultrafast", "-g",   "20",
                     "-pix_fmt", "yuv420p",   "-c:a", "aac",
                     "-shortest"});
}

QString soundOnlyFilm() {
    return makeFilm(QStringLiteral("sound_only.mp4"),
                    {"-f", "lavfi", "-i", "sine=frequency=440", "-t", "2", "-c:a", "aac"});
}

bool pumpUntil(const std::function<bool()>& done, int maxMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > maxMs) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

void pumpFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

}  // namespace tesmira::test
