// Films' durations read on a thread of the queue's own and handed back on the UI
// thread, by path.

#include "mainwnd/film_duration_queue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tesmira {
namespace {

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "film_duration_queue_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* instance = new QCoreApplication(argc, argv);
    return *instance;
}

TEST(FilmDurationQueue, ReadsAwayFromTheUiThreadAndDeliversTheReadableByPath) {
    app();
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    std::thread::id readBy;
    FilmDurationQueue queue([&](const std::filesystem::path& film) -> std::optional<double> {
        std::unique_lock lock(mutex);
        // A slow card; bounded, so that reading on the caller's thread fails, not hangs.
        opened.wait_for(lock, std::chrono::seconds(10), [&] { return open; });
        readBy = std::this_thread::get_id();
        if (film.filename() == "broken.MP4") return std::nullopt;
        return film.filename() == "a.MP4" ? 61.5 : 3.0;
    });
    QHash<QString, double> read;
    QObject::connect(&queue, &FilmDurationQueue::durationsRead,
                     [&](const QHash<QString, double>& batch) { read.insert(batch); });

    // The reads are held back, yet every request returns and the UI thread goes on.
    for (const char* film : {"/card/a.MP4", "/card/broken.MP4", "/card/b.mov"}) queue.Request(film);
    QCoreApplication::processEvents();
    EXPECT_TRUE(read.isEmpty());

    {
        const std::lock_guard lock(mutex);
        open = true;
    }
    opened.notify_all();
    const QDeadlineTimer patience(10000);
    while (read.size() < 2 && !patience.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(read, (QHash<QString, double>{{"/card/a.MP4", 61.5}, {"/card/b.mov", 3.0}}));
    EXPECT_NE(readBy, std::this_thread::get_id());
}

}  // namespace
}  // namespace tesmira
