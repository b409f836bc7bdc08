#include "mainwnd/film_duration_queue.h"

#include <QFile>
#include <utility>

#include "extract/movie_header.h"

namespace tesmira {
namespace {

// Rows are found by path once per batch: a card of short films costs a few passes
// over the list, not one per film.
constexpr qsizetype kBatch = 64;

}  // namespace

FilmDurationQueue::FilmDurationQueue(Reader reader, QObject* parent)
    : QObject(parent), reader_(reader ? std::move(reader) : Reader(ReadFilmDuration)) {}

FilmDurationQueue::~FilmDurationQueue() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
    // Batches posted but not yet delivered go with this object (QObject drops them).
}

void FilmDurationQueue::Request(const QString& path) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(path);
        if (!thread_.joinable()) thread_ = std::thread(&FilmDurationQueue::run, this);
    }
    wake_.notify_one();
}

void FilmDurationQueue::run() {
    QHash<QString, double> batch;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        const QString path = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        const std::optional<double> seconds =
            reader_(std::filesystem::path(QFile::encodeName(path).toStdString()));
        if (seconds) batch.insert(path, *seconds);
        lock.lock();
        if (!batch.isEmpty() && (queue_.empty() || batch.size() >= kBatch))
            deliver(std::exchange(batch, {}));
    }
}

void FilmDurationQueue::deliver(QHash<QString, double> batch) {
    // Queued to this object, which lives on the UI thread.
    QMetaObject::invokeMethod(
        this, [this, batch = std::move(batch)] { emit durationsRead(batch); },
        Qt::QueuedConnection);
}

}  // namespace tesmira
