#pragma once
// Stands in for the main window while the film pane is shown on its own: keeps
// a plain list of the films opened or dropped, loads each film's display
// records and opens it in the pane. Map and instruments are absent, so the
// calls that keep them in step do nothing.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "playback/film_host.h"

namespace tesmira {

class FilmView;

class StandaloneHost : public FilmHost {
public:
    using MessageSink = std::function<void(const QString& message)>;

    explicit StandaloneHost(MessageSink showMessage = nullptr);

    void setView(FilmView* view) { view_ = view; }
    const QStringList& films() const { return films_; }

    int AddFileToList(const QString& path) override;
    void PlayFile(const QString& path) override;
    void ResumeSync(const QString&) override {}
    void PauseMapTrack() override {}
    void StopInstrumentTimers() override {}
    void PlayNextFilm() override { PlayNext(currentFilm_); }
    void PlayPrevious(const QString& path) override;
    void PlayNext(const QString& path) override;
    QString CurrentFilm() const override { return currentFilm_; }
    const std::vector<VIDEO_SYNC_OUTPUT_T>& SyncRecords() const override { return records_; }

private:
    void playNeighbour(const QString& path, int step);

    MessageSink showMessage_;
    FilmView* view_ = nullptr;
    QStringList films_;
    QString currentFilm_;
    std::vector<VIDEO_SYNC_OUTPUT_T> records_;
};

}  // namespace tesmira
