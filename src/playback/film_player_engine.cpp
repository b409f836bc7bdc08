#include "playback/film_player_engine.h"

#include <QEvent>
#include <QObject>
#include <memory>
#include <utility>

#include "playback/film_player.h"
#include "playback/film_player_event.h"

namespace tesmira {
namespace {

// Receives the player's completion events on the UI thread and hands their
// code on.
class EventForwarder : public QObject {
public:
    FilmEngine::EventSink sink;

protected:
    bool event(QEvent* e) override {
        if (e->type() != FilmPlayerEvent::eventType()) return QObject::event(e);
        const int code = static_cast<FilmPlayerEvent*>(e)->code();
        if (sink) sink(code);
        return true;
    }
};

class FilmPlayerEngine final : public FilmEngine {
public:
    void SetEventSink(EventSink sink) override { forwarder_.sink = std::move(sink); }

    bool Open(const QString& path, QWidget* owner) override {
        if (!prepared_.isEmpty() && path == prepared_) {
            prepared_.clear();
            // The prepared film's picture goes over the current one before that is closed:
            // the area never shows without a frame.
            const bool opened = spare_->Adopt(owner, &forwarder_);
            player_->Close();
            if (opened) std::swap(player_, spare_);
            return opened;
        }
        PrepareNext({});
        return player_->Open(path, owner, &forwarder_);
    }
    bool Close() override {
        PrepareNext({});
        return player_->Close();
    }
    void PrepareNext(const QString& path) override {
        if (path == prepared_) return;
        prepared_.clear();
        if (spare_) spare_->Close();
        // Drawn at the size of the picture it replaces; without a film there is none.
        if (path.isEmpty() || !player_->owner()) return;
        // A second libmpv instance: the current film goes on playing in the first.
        if (!spare_) spare_ = std::make_unique<FilmPlayer>();
        if (spare_->Prepare(path, player_->owner())) prepared_ = path;
    }
    QString PreparedFilm() const override { return prepared_; }
    bool Run() override { return player_->Run(); }
    bool Pause() override { return player_->Pause(); }
    bool Stop() override { return player_->Stop(); }
    std::optional<int> GetState() override {
        int state = 0;
        if (!player_->GetState(state)) return std::nullopt;
        return state;
    }
    bool IsRunning() override { return player_->IsRunning(); }
    std::optional<double> GetPosition() override {
        double seconds = 0.0;
        if (!player_->GetPosition(seconds)) return std::nullopt;
        return seconds;
    }
    bool SetPosition(double seconds) override { return player_->SetPosition(seconds); }
    bool setPositionExact(double seconds) override { return player_->setPositionExact(seconds); }
    bool stepFrame(bool forward) override { return player_->stepFrame(forward); }
    int GetDuration() override { return player_->GetDuration(); }
    std::optional<QSize> GetVideoSize() override {
        int width = 0;
        int height = 0;
        if (!player_->GetVideoSize(width, height)) return std::nullopt;
        return QSize(width, height);
    }
    void SetVolume(long volume) override { player_->SetVolume(volume); }
    bool setSpeed(double factor) override { return player_->SetSpeed(factor); }
    void SetVideoPosition(int left, int top, int width, int height) override {
        player_->SetVideoPosition(left, top, width, height);
    }
    void ToggleFullScreen(QWidget* drain) override { player_->ToggleFullScreen(drain); }
    bool IsFullScreen() override { return player_->IsFullScreen(); }
    bool SaveCurrentImage(const QString& path) override { return player_->SaveCurrentImage(path); }

private:
    // Declared first so that it outlives the players, which may still deliver
    // while they close.
    EventForwarder forwarder_;
    // The film shown, and the next one made ready; they change places at the hand-over.
    std::unique_ptr<FilmPlayer> player_ = std::make_unique<FilmPlayer>();
    std::unique_ptr<FilmPlayer> spare_;
    QString prepared_;
};

}  // namespace

std::unique_ptr<FilmEngine> MakeFilmPlayerEngine() {
    return std::make_unique<FilmPlayerEngine>();
}

}  // namespace tesmira
