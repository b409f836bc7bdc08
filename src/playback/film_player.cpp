#include "playback/film_player.h"

#include <mpv/client.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "playback/bmp_writer.h"
#include "playback/film_player_event.h"
#include "playback/video_widget.h"

namespace tesmira {

namespace {

// The one line written when a film cannot be opened; the number is fixed, and the formatted
// text is followed by one more line feed.
void reportOpenFailure() {
    std::printf("RenderFile failed %d\r\n", 282);
    std::putchar('\n');
    std::fflush(stdout);
}

// Owns an mpv_node filled by mpv_command_ret.
struct NodeGuard {
    mpv_node node{};
    ~NodeGuard() { mpv_free_node_contents(&node); }
};

const mpv_node* mapValue(const mpv_node& map, const char* key) {
    if (map.format != MPV_FORMAT_NODE_MAP || !map.u.list) return nullptr;
    for (int i = 0; i < map.u.list->num; ++i) {
        if (std::strcmp(map.u.list->keys[i], key) == 0) return &map.u.list->values[i];
    }
    return nullptr;
}

bool mapInt(const mpv_node& map, const char* key, std::int64_t& value) {
    const mpv_node* n = mapValue(map, key);
    if (!n || n->format != MPV_FORMAT_INT64) return false;
    value = n->u.int64;
    return true;
}

}  // namespace

void FilmPlayer::MpvDeleter::operator()(mpv_handle* h) const {
    mpv_terminate_destroy(h);
}

FilmPlayer::FilmPlayer(QObject* parent) : QObject(parent) {}

FilmPlayer::~FilmPlayer() {
    Close();
    if (handle_) mpv_set_wakeup_callback(handle_.get(), nullptr, nullptr);
    // The render context lives in the widget and must go before the handle.
    delete video_.data();
    handle_.reset();
}

void FilmPlayer::onWakeup(void* context) {
    // Runs on an mpv thread: only queue one drain on the UI thread at a time.
    auto* self = static_cast<FilmPlayer*>(context);
    if (self->drainQueued_.exchange(true)) return;
    QMetaObject::invokeMethod(
        self,
        [self] {
            self->drainQueued_ = false;
            self->drainEvents();
        },
        Qt::QueuedConnection);
}

bool FilmPlayer::ensureHandle() {
    if (handle_) return true;
    // mpv refuses to start under a numeric locale other than "C".
    std::setlocale(LC_NUMERIC, "C");
    MpvPtr h(mpv_create());
    if (!h) return false;
    const std::pair<const char*, const char*> options[] = {
        {"config", "no"},
        {"terminal", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"osc", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"vo", "libmpv"},
        // A machine without sound still plays and still reaches the end of the film.
        {"ao", "pipewire,pulse,alsa,null"},
        // Frames arrive at their display time, so rendering never waits on the UI thread.
        {"video-timing-offset", "0"},
        // Stay on the last frame at the end; the end is seen through eof-reached.
        {"keep-open", "yes"},
        {"idle", "yes"},
        {"pause", "yes"},
        {"hwdec", "no"},
        {"osd-level", "0"},
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        // Cover art of a sound file is not a picture of the film.
        {"audio-display", "no"},
        // Faster or slower play keeps voices and engines at their own pitch.
        {"audio-pitch-correction", "yes"},
    };
    for (const auto& [name, value] : options) mpv_set_option_string(h.get(), name, value);
    if (mpv_initialize(h.get()) < 0) return false;
    mpv_observe_property(h.get(), 0, "eof-reached", MPV_FORMAT_FLAG);

    handle_ = std::move(h);
    mpv_set_wakeup_callback(handle_.get(), &FilmPlayer::onWakeup, this);
    return true;
}

void FilmPlayer::drainEvents() {
    while (handle_) {
        mpv_event* event = mpv_wait_event(handle_.get(), 0);
        if (event->event_id == MPV_EVENT_NONE) break;
        handleEvent(*event);
    }
}

void FilmPlayer::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
        case MPV_EVENT_START_FILE: {
            const auto* start = static_cast<const mpv_event_start_file*>(event.data);
            startedEntry_ = start ? start->playlist_entry_id : -1;
            break;
        }
        case MPV_EVENT_FILE_LOADED:
            if (entryId_ >= 0 && startedEntry_ == entryId_ && !loaded_ && !openFailed_)
                loaded_ = true;
            break;
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<const mpv_event_end_file*>(event.data);
            if (!end || entryId_ < 0 || end->playlist_entry_id != entryId_)
                break;  // an earlier film
            if (!loaded_) {
                openFailed_ = true;
            } else {
                loaded_ = false;
                if (end->reason == MPV_END_FILE_REASON_ERROR) notify(FilmPlayerEvent::kErrorAbort);
            }
            break;
        }
        case MPV_EVENT_PLAYBACK_RESTART:
            seekPending_ = false;
            break;
        case MPV_EVENT_PROPERTY_CHANGE: {
            const auto* prop = static_cast<const mpv_event_property*>(event.data);
            if (prop && std::strcmp(prop->name, "eof-reached") == 0) onEofReached();
            break;
        }
        default:
            break;
    }
}

void FilmPlayer::onEofReached() {
    // Change notifications may be coalesced or late; the current value decides.
    bool now = false;
    if (!loaded_ || !getFlag("eof-reached", now)) return;
    if (now && !eof_) notify(FilmPlayerEvent::kComplete);
    eof_ = now;
}

void FilmPlayer::notify(int code) {
    const std::uint64_t generation = generation_;
    // Delivered from the event loop so that the handler may call back into the engine freely.
    QMetaObject::invokeMethod(
        this,
        [this, generation, code] {
            if (generation != generation_ || !notify_) return;
            FilmPlayerEvent event(code);
            QCoreApplication::sendEvent(notify_.data(), &event);
        },
        Qt::QueuedConnection);
}

void FilmPlayer::ensureVideo() {
    if (video_ || !handle_) return;
    // Made again when Qt deleted the last one with its owner. The render context has to exist
    // before a film opens its video output.
    auto* widget = new VideoWidget;
    widget->hide();
    widget->attach(handle_.get());
    // The window manager's close of the full-screen picture brings it back like the toggle.
    connect(widget, &VideoWidget::closeRequested, this, [this] {
        if (fullScreen_ && video_) ToggleFullScreen(video_->messageDrain());
    });
    video_ = widget;
}

bool FilmPlayer::Open(const QString& path, QWidget* owner, QObject* notify) {
    Close();
    if (!startLoad(path)) {
        reportOpenFailure();
        return false;
    }
    return finishOpen(owner, notify, false);
}

bool FilmPlayer::Prepare(const QString& path, QWidget* owner) {
    Close();
    if (!startLoad(path)) return false;
    if (video_ && owner) {
        // Out of the window until Adopt, but already at the picture's size, so that the
        // first frame is ready to be painted as it is.
        video_->setGeometry(owner->rect());
        video_->setRenderHidden(true);
    }
    return true;
}

bool FilmPlayer::Adopt(QWidget* owner, QObject* notify) {
    if (entryId_ < 0) {
        reportOpenFailure();
        return false;
    }
    return finishOpen(owner, notify, true);
}

bool FilmPlayer::startLoad(const QString& path) {
    if (!ensureHandle()) return false;
    ensureVideo();

    const QByteArray file = path.toUtf8();
    const char* load[] = {"loadfile", file.constData(), "replace", nullptr};
    NodeGuard result;
    std::int64_t entry = -1;
    setFlag("pause", true);
    if (mpv_command_ret(handle_.get(), load, &result.node) < 0 ||
        !mapInt(result.node, "playlist_entry_id", entry))
        return false;
    entryId_ = entry;
    return true;
}

bool FilmPlayer::finishOpen(QWidget* owner, QObject* notify, bool keepPicture) {
    // Wait here until the film is loaded or refused, so that failure is known synchronously.
    // Events are pumped through the normal handler, which also ignores the earlier film's.
    QElapsedTimer timer;
    timer.start();
    while (!loaded_ && !openFailed_) {
        const qint64 left = openTimeoutMs_ - timer.elapsed();
        if (left <= 0) break;
        mpv_event* event = mpv_wait_event(handle_.get(), static_cast<double>(left) / 1000.0);
        if (event->event_id != MPV_EVENT_NONE) handleEvent(*event);
    }
    std::int64_t track = 0;
    const bool hasVideo = getInt("vid", track);
    const bool hasAudio = getInt("aid", track);
    if (!loaded_ || (!hasVideo && !hasAudio)) {
        Close();
        reportOpenFailure();
        return false;
    }

    hasVideo_ = hasVideo;
    stopped_ = true;
    eof_ = false;
    getFlag("eof-reached", eof_);
    owner_ = owner;
    notify_ = notify;
    if (video_ && owner) {
        // A prepared film keeps the frame it has drawn already.
        if (!keepPicture) video_->clearPicture();
        video_->setParent(owner);
        video_->setMessageDrain(nullptr);
        video_->setGeometry(owner->rect());
        video_->setRenderHidden(false);
        video_->raise();
        video_->setVisible(hasVideo_);
    }
    return true;
}

bool FilmPlayer::Close() {
    ++generation_;
    if (handle_ && entryId_ >= 0) command({"stop"});
    entryId_ = -1;
    startedEntry_ = -1;
    loaded_ = false;
    openFailed_ = false;
    stopped_ = false;
    eof_ = false;
    seekPending_ = false;
    hasVideo_ = false;
    fullScreen_ = false;
    if (video_) {
        video_->hide();
        video_->setRenderHidden(false);
        leaveFullScreenState();
        video_->setMessageDrain(nullptr);
        if (video_->parentWidget() || video_->isWindow()) video_->setParent(nullptr);
        video_->clearPicture();
    }
    owner_ = nullptr;
    notify_ = nullptr;
    return true;
}

bool FilmPlayer::Run() {
    int state = 0;
    if (!GetState(state)) return false;
    if (state == kRunning) return true;
    if (!setFlag("pause", false)) return false;
    stopped_ = false;
    return true;
}

bool FilmPlayer::Pause() {
    int state = 0;
    if (!GetState(state)) return false;
    if (state == kPaused) return true;
    if (!setFlag("pause", true)) return false;
    stopped_ = false;
    return true;
}

bool FilmPlayer::Stop() {
    int state = 0;
    if (!GetState(state)) return false;
    if (state == kStopped) return true;
    if (!setFlag("pause", true)) return false;
    command({"seek", "0", "absolute+keyframes"});
    markSeek(0.0);
    stopped_ = true;
    return true;
}

bool FilmPlayer::GetState(int& state) const {
    if (!filmOpen()) return false;
    if (stopped_) {
        state = kStopped;
        return true;
    }
    bool paused = true;
    if (!getFlag("pause", paused)) return false;
    state = paused ? kPaused : kRunning;
    return true;
}

bool FilmPlayer::IsRunning() const {
    int state = 0;
    return GetState(state) && state == kRunning;
}

bool FilmPlayer::GetPosition(double& seconds) const {
    if (!filmOpen()) return false;
    // A seek normally ends within milliseconds; the limit keeps a lost notice from freezing
    // the reported position.
    if (seekPending_ && seekTimer_.isValid() && seekTimer_.elapsed() < kSeekReportMs) {
        seconds = seekTarget_;
        return true;
    }
    return getDouble("time-pos", seconds);
}

bool FilmPlayer::SetPosition(double seconds) {
    return seekTo(seconds, "absolute+keyframes");
}

bool FilmPlayer::setPositionExact(double seconds) {
    return seekTo(seconds, "absolute+exact");
}

bool FilmPlayer::seekTo(double seconds, const char* flags) {
    if (!filmOpen() || !std::isfinite(seconds)) return false;
    // A negative absolute seek would count from the end of the film.
    if (seconds < 0.0) seconds = 0.0;
    // Positions travel in 100-ns units, truncated; the bound keeps the conversion defined.
    constexpr std::int64_t kUnitsPerSecond = 10'000'000;
    const double scaled = std::min(seconds * static_cast<double>(kUnitsPerSecond), 9.0e18);
    const auto units = static_cast<std::int64_t>(scaled);
    // Written out exactly, so that mpv seeks to the truncated value and no other.
    const QByteArray target = QByteArray::number(units / kUnitsPerSecond) + '.' +
                              QByteArray::number(units % kUnitsPerSecond).rightJustified(7, '0');
    if (!command({"seek", target.constData(), flags})) return false;
    markSeek(static_cast<double>(units) / static_cast<double>(kUnitsPerSecond));
    return true;
}

bool FilmPlayer::stepFrame(bool forward) {
    int state = 0;
    if (!hasVideo_ || !GetState(state) || state != kPaused) return false;
    // frame-step shows the next frame and pauses again; frame-back-step is an exact seek.
    return command({forward ? "frame-step" : "frame-back-step"});
}

void FilmPlayer::markSeek(double seconds) {
    seekPending_ = true;
    seekTarget_ = seconds;
    seekTimer_.start();
}

int FilmPlayer::GetDuration() const {
    double seconds = 0.0;
    if (!filmOpen() || !getDouble("duration", seconds) || !std::isfinite(seconds) || seconds < 0.0)
        return 0;
    if (seconds >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(seconds);
}

bool FilmPlayer::GetVideoSize(int& width, int& height) const {
    std::int64_t w = 0, h = 0;
    if (!filmOpen() || !hasVideo_ || !getInt("width", w) || !getInt("height", h)) return false;
    if (w <= 0 || h <= 0 || w > std::numeric_limits<int>::max() ||
        h > std::numeric_limits<int>::max())
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

double FilmPlayer::volumeToMpv(long hundredthsDb) {
    if (hundredthsDb <= kVolumeSilence) return 0.0;
    if (hundredthsDb >= 0) return 100.0;
    return 100.0 * std::pow(10.0, static_cast<double>(hundredthsDb) / 6000.0);
}

bool FilmPlayer::SetVolume(long volume) {
    if (!handle_) return false;
    double value = volumeToMpv(volume);
    return mpv_set_property(handle_.get(), "volume", MPV_FORMAT_DOUBLE, &value) >= 0;
}

bool FilmPlayer::SetSpeed(double factor) {
    if (!ensureHandle()) return false;
    // Sound stretched beyond this is noise, not speech or engine note.
    const bool quiet = factor > kLoudestSpeed;
    return mpv_set_property(handle_.get(), "speed", MPV_FORMAT_DOUBLE, &factor) >= 0 &&
           mpv_set_property_string(handle_.get(), "mute", quiet ? "yes" : "no") >= 0;
}

bool FilmPlayer::SetVideoPosition(int left, int top, int width, int height) {
    if (!video_ || !owner_ || !filmOpen()) return false;
    // In full screen the picture keeps the screen; it is fitted again when it comes back.
    if (!fullScreen_) video_->setGeometry(left, top, std::max(0, width), std::max(0, height));
    return true;
}

bool FilmPlayer::FitVideoToOwner() {
    if (!video_ || !owner_ || fullScreen_) return false;
    video_->setGeometry(owner_->rect());
    return true;
}

bool FilmPlayer::ToggleFullScreen(QWidget* drain) {
    if (!video_ || !owner_ || !filmOpen()) return true;
    if (fullScreen_) {
        video_->hide();
        leaveFullScreenState();
        video_->setMessageDrain(nullptr);
        video_->setParent(owner_.data(), Qt::Widget);
        fullScreen_ = false;
        FitVideoToOwner();
        video_->setVisible(hasVideo_);
    } else {
        video_->setMessageDrain(drain);
        video_->setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
        // Its icon is the application's; the name is the product's, whatever the program file.
        video_->setWindowTitle(QStringLiteral("Tesmira"));
        if (QScreen* screen = QGuiApplication::primaryScreen())
            video_->setGeometry(screen->geometry());
        // A film without picture has no video window: nothing covers the screen.
        if (hasVideo_) video_->showFullScreen();
        fullScreen_ = true;
    }
    return true;
}

void FilmPlayer::leaveFullScreenState() {
    // The widget keeps its full-screen state through reparenting; left set, the next
    // showFullScreen would change nothing and the window would open as a plain one.
    video_->setWindowState(video_->windowState() & ~Qt::WindowFullScreen);
}

bool FilmPlayer::IsFullScreen() const {
    return fullScreen_;
}

bool FilmPlayer::SaveCurrentImage(const QString& path, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (!filmOpen() || !hasVideo_) return fail(QStringLiteral("no picture"));
    const char* shot[] = {"screenshot-raw", "video", nullptr};
    NodeGuard result;
    if (mpv_command_ret(handle_.get(), shot, &result.node) < 0)
        return fail(QStringLiteral("no current frame"));
    std::int64_t w = 0, h = 0, stride = 0;
    const mpv_node* format = mapValue(result.node, "format");
    const mpv_node* data = mapValue(result.node, "data");
    if (!mapInt(result.node, "w", w) || !mapInt(result.node, "h", h) ||
        !mapInt(result.node, "stride", stride) || !format || format->format != MPV_FORMAT_STRING ||
        std::strcmp(format->u.string, "bgr0") != 0 || !data ||
        data->format != MPV_FORMAT_BYTE_ARRAY || !data->u.ba)
        return fail(QStringLiteral("unexpected frame layout"));
    BgrxFrame frame{static_cast<const unsigned char*>(data->u.ba->data),
                    static_cast<std::int64_t>(data->u.ba->size), w, h, stride};
    return writeBmp24(path, frame, error);
}

bool FilmPlayer::getFlag(const char* name, bool& value) const {
    int flag = 0;
    if (!handle_ || mpv_get_property(handle_.get(), name, MPV_FORMAT_FLAG, &flag) < 0) return false;
    value = flag != 0;
    return true;
}

bool FilmPlayer::getDouble(const char* name, double& value) const {
    return handle_ && mpv_get_property(handle_.get(), name, MPV_FORMAT_DOUBLE, &value) >= 0;
}

bool FilmPlayer::getInt(const char* name, std::int64_t& value) const {
    return handle_ && mpv_get_property(handle_.get(), name, MPV_FORMAT_INT64, &value) >= 0;
}

bool FilmPlayer::setFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    return handle_ && mpv_set_property(handle_.get(), name, MPV_FORMAT_FLAG, &flag) >= 0;
}

bool FilmPlayer::command(std::initializer_list<const char*> args) {
    if (!handle_) return false;
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    return mpv_command(handle_.get(), argv.data()) >= 0;
}

VideoWidget* FilmPlayer::videoWidget() const {
    return video_.data();
}

}  // namespace tesmira
