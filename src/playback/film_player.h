#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>

struct mpv_handle;
struct mpv_event;

namespace tesmira {

class VideoWidget;

// Plays one film at a time on libmpv.
//
// All calls come from the UI thread. Results follow the classic engine contract: operations
// return true (1) on success and false (0) on failure; value queries return a success flag and
// the value through a reference; nothing throws.
//
// Notification: while a film is open, the engine delivers a FilmPlayerEvent to the notify
// target given to Open — code 1 once per completion (the film played to its end), code 3 when
// playback fails after the film was opened. The event is sent from a queued call on the UI
// thread; after Close or the next Open no event of the earlier film is delivered.
//
// Picture: the engine owns a VideoWidget. Open places it inside the owner widget (the video
// area) and shows it when the film has a picture; Close takes it out again. The widget is
// deleted with the engine (or earlier by Qt if its owner is destroyed while a film is open).
class FilmPlayer : public QObject {
    Q_OBJECT

public:
    enum State { kStopped = 0, kPaused = 1, kRunning = 2 };

    // Silence on the volume scale (hundredths of a decibel, -10000 ... 0).
    static constexpr long kVolumeSilence = -10000;

    explicit FilmPlayer(QObject* parent = nullptr);
    ~FilmPlayer() override;

    FilmPlayer(const FilmPlayer&) = delete;
    FilmPlayer& operator=(const FilmPlayer&) = delete;

    // Closes the current film, then loads `path` paused and in the stopped state. Blocks the UI
    // thread until mpv has loaded the film or given it up (it pumps only mpv's own events, never
    // Qt's, and gives up after openTimeoutMs), so failure is known when it returns: a file
    // without a playable sound or picture track, or that cannot be read, writes
    // "RenderFile failed 282\r\n" and a line feed to standard output and returns false, with
    // the engine closed.
    bool Open(const QString& path, QWidget* owner, QObject* notify);
    // Safe when nothing is open. Always true.
    bool Close();

    // Closes the current film and starts loading `path` paused, without waiting and without
    // showing it: its first frame is drawn, out of sight, at the size of `owner`. Adopt then
    // opens it as Open would, at once when the load is done. False when mpv refuses the film
    // outright (nothing reported; Adopt reports it).
    bool Prepare(const QString& path, QWidget* owner);
    // Finishes the open Prepare started (waiting for the load as Open does) and shows the
    // first frame in `owner`, with no black picture between. On failure as Open.
    bool Adopt(QWidget* owner, QObject* notify);

    // Each fails without an open film and succeeds at once when already in its state.
    bool Run();
    bool Pause();
    // Pause, back to the start, state stopped.
    bool Stop();

    // 0 stopped, 1 paused, 2 running; false while no film is open. At its end a film holds its
    // last frame and reports paused.
    bool GetState(int& state) const;
    bool IsRunning() const;

    // Seconds from the start. Right after SetPosition it reports the requested position until
    // the engine has finished the seek.
    bool GetPosition(double& seconds) const;
    // Seeks to a key frame next to `seconds` (mpv takes the one in the direction of travel);
    // negative positions mean the start. The target is truncated to whole 100-ns units.
    bool SetPosition(double seconds);
    // As SetPosition, but lands on the frame at `seconds` itself: the frames from the key frame
    // before it are decoded and not shown. For seeks a user aims at one second of the film.
    bool setPositionExact(double seconds);
    // One frame forward or back; only while paused, and the film stays paused.
    bool stepFrame(bool forward);
    // Whole seconds, truncated; 0 when unknown.
    int GetDuration() const;
    // Native picture size; false for a film without picture or while nothing is open.
    bool GetVideoSize(int& width, int& height) const;

    // Hundredths of a decibel, -10000 (silence) ... 0 (full volume); values outside are clamped.
    // Mapped onto mpv's cubic `volume` percentage: gain(dB) = 60 * log10(volume / 100), so
    // volume = 100 * 10^(v / 6000); -10000 itself is volume 0 (silence).
    bool SetVolume(long volume);
    // Playback speed as a factor of normal (1.0); the pitch is kept, the sound is muted
    // above kLoudestSpeed. Holds for the films opened after it.
    bool SetSpeed(double factor);
    static constexpr double kLoudestSpeed = 4.0;

    // Places the picture inside the owner (owner coordinates).
    bool SetVideoPosition(int left, int top, int width, int height);
    // Makes the picture fill the owner.
    bool FitVideoToOwner();
    // Switches the picture between a full-screen top-level window and its place in the owner.
    // In full screen, mouse and key input on the picture that nobody else handles is forwarded
    // to `drain` (the video area), as it would have reached it in the window. Closing the
    // full-screen window (the window manager's close) leaves full screen as the toggle does.
    bool ToggleFullScreen(QWidget* drain);
    bool IsFullScreen() const;

    // Writes the current frame (native size) as an uncompressed 24-bit bottom-up BMP: 14-byte
    // file header, 40-byte info header, pixels. Replaces an existing file completely. On failure
    // returns false and, when given, fills `error`.
    bool SaveCurrentImage(const QString& path, QString* error = nullptr);

    // Mapping used by SetVolume (mpv volume percentage), exposed for tests. SetVolume fails only
    // before the first Open has made the mpv instance.
    static double volumeToMpv(long hundredthsDb);

    // Upper bound for Open's wait, in milliseconds (default 10000).
    void setOpenTimeoutMs(int ms) { openTimeoutMs_ = ms; }

    VideoWidget* videoWidget() const;
    QWidget* owner() const { return owner_; }
    // Counts Open and Close calls; events carry the value of their film.
    std::uint64_t generation() const { return generation_; }

private:
    struct MpvDeleter {
        void operator()(mpv_handle* h) const;
    };
    using MpvPtr = std::unique_ptr<mpv_handle, MpvDeleter>;

    static void onWakeup(void* context);
    bool ensureHandle();
    void ensureVideo();
    // The two halves of Open: mpv is told to load the film, then the load is waited for.
    bool startLoad(const QString& path);
    bool finishOpen(QWidget* owner, QObject* notify, bool keepPicture);
    void drainEvents();
    void handleEvent(const mpv_event& event);
    void onEofReached();
    void notify(int code);
    bool filmOpen() const { return handle_ && loaded_; }
    bool getFlag(const char* name, bool& value) const;
    bool getDouble(const char* name, double& value) const;
    bool getInt(const char* name, std::int64_t& value) const;
    bool setFlag(const char* name, bool value);
    bool command(std::initializer_list<const char*> args);
    bool seekTo(double seconds, const char* flags);
    void markSeek(double seconds);
    void leaveFullScreenState();

    static constexpr int kSeekReportMs = 3000;

    MpvPtr handle_;
    QPointer<VideoWidget> video_;
    QPointer<QWidget> owner_;
    QPointer<QObject> notify_;
    std::uint64_t generation_ = 0;
    std::int64_t entryId_ = -1;       // playlist entry of the current film
    std::int64_t startedEntry_ = -1;  // entry mpv started last
    bool loaded_ = false;             // the current film finished loading
    bool openFailed_ = false;         // mpv gave the current film up while loading
    bool stopped_ = false;            // stopped rather than paused
    bool eof_ = false;                // last seen end-of-film flag
    bool seekPending_ = false;
    double seekTarget_ = 0.0;
    QElapsedTimer seekTimer_;
    bool fullScreen_ = false;
    bool hasVideo_ = false;
    int openTimeoutMs_ = 10000;
    std::atomic<bool> drainQueued_{false};
};

}  // namespace tesmira
