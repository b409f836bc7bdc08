#pragma once
// Reads listed films' durations from their headers on a thread of its own, so that
// the list shows every film's time before it has played and the window never waits
// for a card. Results come back on the UI thread in batches, by path.

#include <QHash>
#include <QObject>
#include <QString>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace tesmira {

class FilmDurationQueue : public QObject {
    Q_OBJECT

public:
    using Reader = std::function<std::optional<double>(const std::filesystem::path&)>;

    // reader: how a film's seconds are found; null reads the movie header.
    explicit FilmDurationQueue(Reader reader = nullptr, QObject* parent = nullptr);
    // Stops the thread after the film it is reading; what is still queued is dropped.
    ~FilmDurationQueue() override;

    // Queues a film; the thread starts with the first.
    void Request(const QString& path);

signals:
    // Seconds by path for the films read since the last batch; a film whose header
    // gives no duration is left out.
    void durationsRead(const QHash<QString, double>& seconds);

private:
    void run();
    void deliver(QHash<QString, double> batch);

    Reader reader_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<QString> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tesmira
