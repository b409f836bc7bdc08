// Listed films read on a thread of the queue's own, in the order asked for, and handed
// back on the UI thread in batches.

#include "mainwnd/film_read_queue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tesmira {
namespace {

QCoreApplication& app() {
    static int argc = 1;
    static char name[] = "film_read_queue_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* instance = new QCoreApplication(argc, argv);
    return *instance;
}

TEST(FilmReadQueue, ReadsAwayFromTheUiThreadInTheOrderAskedSkippingTheDropped) {
    app();
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    std::thread::id readBy;
    QStringList readOrder;
    FilmReadQueue queue([&](const std::filesystem::path& film, FilmRead& read) {
        std::unique_lock lock(mutex);
        // A slow card; bounded, so that reading on the caller's thread fails, not hangs.
        opened.wait_for(lock, std::chrono::seconds(10), [&] { return open; });
        readBy = std::this_thread::get_id();
        readOrder << QString::fromStdString(film.filename().string());
        if (film.filename() == "broken.MP4") throw std::runtime_error("damaged");
        read.seconds = film.filename() == "a.MP4" ? 61.5 : 3.0;
        read.records.hasRecords = true;
        read.records.events = {static_cast<int>(readOrder.size())};
    });
    std::vector<FilmRead> read;
    QObject::connect(&queue, &FilmReadQueue::filmsRead, [&](const std::vector<FilmRead>& batch) {
        read.insert(read.end(), batch.begin(), batch.end());
    });
    const auto waitFor = [&](std::size_t count) {
        const QDeadlineTimer patience(10000);
        while (read.size() < count && !patience.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    };

    // The reads are held back, yet every request returns and the UI thread goes on.
    for (const char* film : {"/card/a.MP4", "/card/broken.MP4", "/card/gone.MP4", "/card/b.mov"})
        queue.Request(film);
    queue.DropQueued([](const QString& path) { return path.endsWith("gone.MP4"); });
    QCoreApplication::processEvents();
    EXPECT_TRUE(read.empty());
    {
        const std::lock_guard lock(mutex);
        open = true;
    }
    opened.notify_all();
    waitFor(3);
    // A film asked for after the others were read is read when its turn comes.
    queue.Request("/card/later.MP4");
    waitFor(4);

    EXPECT_EQ(readOrder, QStringList({"a.MP4", "broken.MP4", "b.mov", "later.MP4"}));
    ASSERT_EQ(read.size(), 4u);
    const struct {
        const char* path;
        std::optional<double> seconds;
        bool hasRecords;
        std::vector<int> events;
    } expected[] = {
        {"/card/a.MP4", 61.5, true, {1}},
        {"/card/broken.MP4", std::nullopt, false, {}},
        {"/card/b.mov", 3.0, true, {3}},
        {"/card/later.MP4", 3.0, true, {4}},
    };
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].path, expected[i].path);
        EXPECT_EQ(read[i].seconds, expected[i].seconds) << expected[i].path;
        EXPECT_EQ(read[i].records.hasRecords, expected[i].hasRecords) << expected[i].path;
        EXPECT_EQ(read[i].records.events, expected[i].events) << expected[i].path;
    }
    EXPECT_NE(readBy, std::this_thread::get_id());
}

}  // namespace
}  // namespace tesmira
