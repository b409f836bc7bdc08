#pragma once
// The media engine as the film pane uses it. The pane owns exactly one for its
// whole life; the real one plays through libmpv, tests hand a scripted one.

#include <QSize>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace tesmira {

class FilmEngine {
public:
    // Playback states as the engine reports them.
    enum State { Stopped = 0, Paused = 1, Running = 2 };
    // Completion codes: 1 played to the end, 3 failed.
    using EventSink = std::function<void(long code)>;

    virtual ~FilmEngine() = default;

    // Events arrive on the UI thread, never from inside another engine call.
    virtual void SetEventSink(EventSink sink) = 0;

    virtual bool Open(const QString& path, QWidget* owner) = 0;
    virtual bool Close() = 0;
    virtual bool Run() = 0;
    virtual bool Pause() = 0;
    virtual bool Stop() = 0;
    virtual std::optional<int> GetState() = 0;
    virtual bool IsRunning() = 0;
    virtual std::optional<double> GetPosition() = 0;
    virtual bool SetPosition(double seconds) = 0;
    // Lands on the frame at `seconds` itself rather than on a key frame next to it.
    virtual bool setPositionExact(double seconds) = 0;
    // One frame forward or back while paused; false otherwise.
    virtual bool stepFrame(bool forward) = 0;
    virtual int GetDuration() = 0;
    virtual std::optional<QSize> GetVideoSize() = 0;
    // Hundredths of a decibel, -10000 ... 0.
    virtual void SetVolume(long volume) = 0;
    // Playback speed as a factor of normal; holds across films. Sound keeps its pitch and
    // is silent at the fastest speeds.
    virtual bool setSpeed(double factor) = 0;
    virtual void SetVideoPosition(int left, int top, int width, int height) = 0;
    virtual void ToggleFullScreen(QWidget* drain) = 0;
    virtual bool IsFullScreen() = 0;
    virtual bool SaveCurrentImage(const QString& path) = 0;

    // The film Open is expected to be given next (the next of a list): made ready out of
    // sight while the current one plays, so that its Open shows the first frame at once,
    // taking over from the last frame of the current film. Open of any other film, Close and
    // an empty path drop it. Engines that cannot prepare ignore it.
    virtual void PrepareNext(const QString& path) { (void)path; }
    // The film made ready, or empty.
    virtual QString PreparedFilm() const { return {}; }
};

}  // namespace tesmira
