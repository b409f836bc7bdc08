#include "mainwnd/film_read_queue.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QFile>
#include <chrono>
#include <utility>

#include "extract/g_events.h"
#include "extract/movie_header.h"

namespace tesmira {
namespace {

// The UI thread finds rows by path once per batch: a card of short films costs a few
// passes over the list, not one per film. A batch also goes once it is this old, so
// that a slow card still fills the list and the map as it goes.
constexpr std::size_t kBatch = 64;
constexpr auto kBatchAge = std::chrono::milliseconds(250);
constexpr int kReaderNice = 10;

}  // namespace

FilmReadQueue::FilmReadQueue(Reader reader, QObject* parent)
    : QObject(parent), reader_(std::move(reader)) {
    if (!reader_)
        reader_ = [](const std::filesystem::path& film, FilmRead& read) {
            ReadListedFilm(film, kDefaultEventG, FilmLocators{}, read);
        };
}

FilmReadQueue::~FilmReadQueue() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
    // Batches posted but not yet delivered go with this object (QObject drops them).
}

void FilmReadQueue::Request(const QString& path) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(path);
        if (!thread_.joinable()) thread_ = std::thread(&FilmReadQueue::run, this);
    }
    wake_.notify_one();
}

void FilmReadQueue::DropQueued(const std::function<bool(const QString&)>& drop) {
    const std::lock_guard lock(mutex_);
    std::erase_if(queue_, drop);
}

void FilmReadQueue::ReadListedFilm(const std::filesystem::path& film, double thresholdG,
                                   const FilmLocators& locators, FilmRead& read) {
    read.seconds = ReadFilmDuration(film);
    FilmLocators quiet = locators;
    quiet.note = [](const std::string&) {};
    const FilmSamples samples = LoadFilmSamples(
        film, [](const std::string&) {}, quiet);
    read.records = SummariseRecords(samples.samples, samples.hasSamples, thresholdG);
}

void FilmReadQueue::run() {
    // Named for top and the debugger; and niced, so that on a busy machine the window's
    // thread gets the processor first and the reading waits.
    pthread_setname_np(pthread_self(), kReaderThreadName);
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kReaderNice);
    std::vector<FilmRead> batch;
    std::chrono::steady_clock::time_point batchStart;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        FilmRead read;
        read.path = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        if (batch.empty()) batchStart = std::chrono::steady_clock::now();
        try {
            reader_(std::filesystem::path(QFile::encodeName(read.path).toStdString()), read);
        } catch (...) {
            // Out of memory, a damaged film: listed without a time or records.
            read.seconds.reset();
            read.records = FilmRecords{};
        }
        batch.push_back(std::move(read));
        lock.lock();
        if (queue_.empty() || batch.size() >= kBatch ||
            std::chrono::steady_clock::now() - batchStart >= kBatchAge)
            deliver(std::exchange(batch, {}));
    }
}

void FilmReadQueue::deliver(std::vector<FilmRead> batch) {
    // Queued to this object, which lives on the UI thread.
    QMetaObject::invokeMethod(
        this, [this, batch = std::move(batch)] { emit filmsRead(batch); }, Qt::QueuedConnection);
}

}  // namespace tesmira
