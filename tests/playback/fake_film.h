#pragma once
// A scripted engine and a recording host for driving the film pane in tests.

#include <QFile>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "playback/film_engine.h"
#include "playback/film_host.h"

namespace tesmira::testing {

struct FakeEngine : FilmEngine {
    // Script.
    bool openSucceeds = true;
    QStringList refused;  // films that cannot be opened however openSucceeds is set
    bool hasFilm = false;
    int state = Stopped;
    double position = 0.0;
    bool positionReadable = true;
    int duration = 7200;
    QSize videoSize{1280, 720};
    QByteArray frameBytes = "BM-new-frame";
    bool fullScreen = false;
    double speed = 1.0;
    QString prepared;  // the film made ready for the next Open

    // Record.
    QStringList calls;
    std::vector<double> seeks;
    std::vector<long> volumes;
    EventSink sink;

    void SetEventSink(EventSink s) override { sink = std::move(s); }
    bool Open(const QString& path, QWidget*) override {
        calls << "Open " + path;
        if (!prepared.isEmpty()) calls << (path == prepared ? "Adopt " : "Drop ") + prepared;
        prepared.clear();
        hasFilm = openSucceeds && !refused.contains(path);
        state = Stopped;
        position = 0.0;
        speed = 1.0;  // nothing is taken for granted of a new film
        return hasFilm;
    }
    bool Close() override {
        calls << "Close";
        hasFilm = false;
        prepared.clear();
        return true;
    }
    bool Run() override {
        calls << "Run";
        if (hasFilm) state = Running;
        return hasFilm;
    }
    bool Pause() override {
        calls << "Pause";
        if (hasFilm) state = Paused;
        return hasFilm;
    }
    bool Stop() override {
        calls << "Stop";
        if (hasFilm) state = Stopped;
        return hasFilm;
    }
    std::optional<int> GetState() override {
        if (!hasFilm) return std::nullopt;
        return state;
    }
    bool IsRunning() override { return hasFilm && state == Running; }
    std::optional<double> GetPosition() override {
        if (!hasFilm || !positionReadable) return std::nullopt;
        return position;
    }
    bool SetPosition(double seconds) override {
        calls << QString("SetPosition %1").arg(seconds);
        seeks.push_back(seconds);
        if (hasFilm) position = seconds;
        return hasFilm;
    }
    bool setPositionExact(double seconds) override {
        calls << QString("SetPositionExact %1").arg(seconds);
        seeks.push_back(seconds);
        if (hasFilm) position = seconds;
        return hasFilm;
    }
    bool stepFrame(bool forward) override {
        calls << (forward ? "StepFrame +1" : "StepFrame -1");
        return hasFilm && state == Paused;
    }
    int GetDuration() override { return hasFilm ? duration : 0; }
    std::optional<QSize> GetVideoSize() override {
        if (!hasFilm) return std::nullopt;
        return videoSize;
    }
    void SetVolume(long volume) override {
        calls << QString("SetVolume %1").arg(volume);
        volumes.push_back(volume);
    }
    void SetVideoPosition(int left, int top, int width, int height) override {
        calls << QString("SetVideoPosition %1 %2 %3 %4").arg(left).arg(top).arg(width).arg(height);
    }
    void ToggleFullScreen(QWidget*) override {
        calls << "ToggleFullScreen";
        fullScreen = !fullScreen;
    }
    bool IsFullScreen() override { return fullScreen; }
    bool setSpeed(double factor) override {
        speed = factor;
        return true;
    }
    void PrepareNext(const QString& path) override {
        if (path != prepared) calls << "PrepareNext " + path;
        prepared = path;
    }
    QString PreparedFilm() const override { return prepared; }
    bool SaveCurrentImage(const QString& path) override {
        calls << "SaveCurrentImage";
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite)) return false;  // created, not truncated
        file.write(frameBytes);
        return true;
    }
};

struct FakeHost : FilmHost {
    QString currentFilm;
    std::vector<VIDEO_SYNC_OUTPUT_T> records;
    QStringList calls;
    int follows = 0;
    std::vector<double> speeds;

    int AddFileToList(const QString& path) override {
        calls << "AddFileToList " + path;
        const QString ending = path.right(3);
        return QStringList{"MOV", "mov", "mp4", "MP4", "avi", "AVI"}.contains(ending) ? 1 : 0;
    }
    void PlayFile(const QString& path) override {
        calls << "PlayFile " + path;
        currentFilm = path;
    }
    void OpenFilms(const QStringList& paths) override { calls << "OpenFilms " + paths.join(','); }
    void ResumeSync(const QString& position) override { calls << "ResumeSync " + position; }
    void PauseMapTrack() override { calls << "PauseMapTrack"; }
    // Counted apart: every refresh tick asks.
    void FollowFilm(double) override { ++follows; }
    void SpeedChanged(double factor) override { speeds.push_back(factor); }
    void StopInstrumentTimers() override { calls << "StopInstrumentTimers"; }
    void PlayNextFilm() override { calls << "PlayNextFilm"; }
    void JumpToEvent(int direction) override { calls << QString("JumpToEvent %1").arg(direction); }
    void PlayPrevious(const QString& path) override { calls << "PlayPrevious " + path; }
    void PlayNext(const QString& path) override { calls << "PlayNext " + path; }
    QString CurrentFilm() const override { return currentFilm; }
    const std::vector<VIDEO_SYNC_OUTPUT_T>& SyncRecords() const override { return records; }
};

}  // namespace tesmira::testing
