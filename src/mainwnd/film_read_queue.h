#pragma once
// Reads listed films on a thread of its own, one after the other in the order they
// were asked for: each film's duration from its header, so that the list shows every
// film's time before it has played, and its records, so that the list, the slider and
// the map know every film's track and events. The window never waits for a card.
// Results come back on the UI thread in batches.

#include <QObject>
#include <QString>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "extract/film_samples.h"
#include "mainwnd/film_record_store.h"

namespace tesmira {

// What was read of one film.
struct FilmRead {
    QString path;
    std::optional<double> seconds;  // none when the header gives no duration
    FilmRecords records;
};

class FilmReadQueue : public QObject {
    Q_OBJECT

public:
    // The reading thread's name (at most 15 characters).
    static constexpr char kReaderThreadName[] = "tesmira-reader";

    // Fills seconds and records of a film (the path is set by the queue); it runs on the
    // queue's thread and may throw (the film then counts as one without either).
    using Reader = std::function<void(const std::filesystem::path&, FilmRead&)>;

    // reader: how a film is read; null is ReadListedFilm at the default threshold.
    explicit FilmReadQueue(Reader reader = nullptr, QObject* parent = nullptr);
    // Stops the thread after the film it is reading; what is still queued is dropped.
    ~FilmReadQueue() override;

    // Queues a film; the thread starts with the first.
    void Request(const QString& path);
    // Takes the queued films for which `drop` is true out of the queue (a film no
    // longer listed, one already read elsewhere). The one being read is still delivered.
    void DropQueued(const std::function<bool(const QString&)>& drop);

    // The header's duration and the records, quietly: a locator's message is for the
    // film the user plays, not for each of a card's films. Events at thresholdG.
    static void ReadListedFilm(const std::filesystem::path& film, double thresholdG,
                               const FilmLocators& locators, FilmRead& read);

signals:
    // The films read since the last batch, in the order they were read.
    void filmsRead(const std::vector<FilmRead>& batch);

private:
    void run();
    void deliver(std::vector<FilmRead> batch);

    Reader reader_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<QString> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tesmira
