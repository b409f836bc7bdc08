#include "playback/film_player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "film_fixtures.h"
#include "playback/film_player_event.h"
#include "playback/video_widget.h"

namespace tesmira {
namespace {

using test::ensureApplication;
using test::pumpFor;
using test::pumpUntil;

// Records the engine's events as the view would receive them.
class EventRecorder : public QObject {
public:
    std::vector<int> codes;

protected:
    bool event(QEvent* e) override {
        if (e->type() == FilmPlayerEvent::eventType()) {
            codes.push_back(static_cast<FilmPlayerEvent*>(e)->code());
            return true;
        }
        return QObject::event(e);
    }
};

// Captures what is written to standard output while it lives.
class StdoutCapture {
public:
    StdoutCapture() {
        std::fflush(stdout);
        file_ = std::tmpfile();
        saved_ = dup(fileno(stdout));
        dup2(fileno(file_), fileno(stdout));
    }
    std::string finish() {
        std::fflush(stdout);
        dup2(saved_, fileno(stdout));
        close(saved_);
        std::string text;
        std::rewind(file_);
        char buffer[256];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text.append(buffer, n);
        std::fclose(file_);
        return text;
    }

private:
    std::FILE* file_ = nullptr;
    int saved_ = -1;
};

double position(const FilmPlayer& player) {
    double seconds = -1.0;
    return player.GetPosition(seconds) ? seconds : -1.0;
}

int state(const FilmPlayer& player) {
    int value = -1;
    return player.GetState(value) ? value : -1;
}

class FilmPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        ownerWidget_ = std::make_unique<QWidget>();
        ownerWidget_->resize(320, 240);
    }
    QWidget& owner() { return *ownerWidget_; }
    std::unique_ptr<QWidget> ownerWidget_;
    EventRecorder recorder_;
};

TEST_F(FilmPlayerTest, FreshEngineFailsQueriesAndClosesAtOnce) {
    FilmPlayer player;
    EXPECT_TRUE(player.Close());
    int state = -1, w = 0, h = 0;
    double pos = 0;
    EXPECT_FALSE(player.GetState(state));
    EXPECT_FALSE(player.IsRunning());
    EXPECT_FALSE(player.Run());
    EXPECT_FALSE(player.Pause());
    EXPECT_FALSE(player.Stop());
    EXPECT_FALSE(player.GetPosition(pos));
    EXPECT_FALSE(player.SetPosition(1.0));
    EXPECT_EQ(player.GetDuration(), 0);
    EXPECT_FALSE(player.GetVideoSize(w, h));
    EXPECT_FALSE(player.SaveCurrentImage(QDir::temp().filePath("never.bmp")));
    EXPECT_FALSE(player.IsFullScreen());
}

TEST_F(FilmPlayerTest, OpenedFilmReportsDurationSizeAndStates) {
    const QString film = test::patternFilm(59.9);
    ASSERT_FALSE(film.isEmpty());
    FilmPlayer player;
    ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
    EXPECT_EQ(player.GetDuration(), 59);
    int w = 0, h = 0;
    ASSERT_TRUE(player.GetVideoSize(w, h));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    // Opened films wait, stopped, for the caller to run them.
    EXPECT_EQ(state(player), FilmPlayer::kStopped);
    EXPECT_FALSE(player.IsRunning());
    EXPECT_EQ(player.videoWidget()->parentWidget(), &owner());

    ASSERT_TRUE(player.Run());
    EXPECT_EQ(state(player), FilmPlayer::kRunning);
    EXPECT_TRUE(player.IsRunning());
    EXPECT_TRUE(player.Run());  // already running
    EXPECT_TRUE(pumpUntil([&] { return position(player) > 0.5; }));

    ASSERT_TRUE(player.Pause());
    EXPECT_EQ(state(player), FilmPlayer::kPaused);
    const double paused = position(player);
    pumpFor(300);
    EXPECT_NEAR(position(player), paused, 0.01);

    ASSERT_TRUE(player.Stop());
    EXPECT_EQ(state(player), FilmPlayer::kStopped);
    EXPECT_DOUBLE_EQ(position(player), 0.0);
    EXPECT_TRUE(pumpUntil([&] { return position(player) >= 0.0 && position(player) < 0.2; }));
    pumpFor(200);
    EXPECT_LT(position(player), 0.2);  // stopped does not advance

    ASSERT_TRUE(player.Close());
    EXPECT_FALSE(player.GetState(w));
    EXPECT_EQ(player.GetDuration(), 0);
    EXPECT_EQ(player.videoWidget()->parentWidget(), nullptr);
    EXPECT_FALSE(player.videoWidget()->isVisible());
}

TEST_F(FilmPlayerTest, SeeksToKeyFrameNearTarget) {
    const QString film = test::patternFilm(59.9);
    ASSERT_FALSE(film.isEmpty());
    FilmPlayer player;
    ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
    ASSERT_TRUE(player.SetPosition(12.5));
    // The requested position is reported until the seek is done.
    EXPECT_DOUBLE_EQ(position(player), 12.5);
    // Targets are truncated to whole 100-ns units, never rounded up.
    ASSERT_TRUE(player.SetPosition(1.23456789));
    EXPECT_DOUBLE_EQ(position(player), 1.2345678);
    ASSERT_TRUE(player.SetPosition(12.5));
    // Key frames every 2 s: the seek ends within one interval of the target.
    EXPECT_TRUE(pumpUntil([&] {
        const double p = position(player);
        return p != 12.5 && p >= 10.0 && p <= 14.0;
    }));
    ASSERT_TRUE(player.SetPosition(31.3));
    EXPECT_TRUE(pumpUntil([&] {
        const double p = position(player);
        return p != 31.3 && std::fabs(p - 31.3) <= 2.0;
    }));
    // A negative position means the start, never a place counted from the end.
    ASSERT_TRUE(player.SetPosition(-5.0));
    EXPECT_TRUE(pumpUntil([&] { return position(player) >= 0.0 && position(player) < 1.0; }));
    pumpFor(200);
    EXPECT_LT(position(player), 1.0);
    EXPECT_TRUE(recorder_.codes.empty());
}

TEST_F(FilmPlayerTest, CompletionIsReportedOncePerEnd) {
    const QString film = test::patternFilm(1.5);
    ASSERT_FALSE(film.isEmpty());
    FilmPlayer player;
    ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
    ASSERT_TRUE(player.Run());
    ASSERT_TRUE(pumpUntil([&] { return !recorder_.codes.empty(); }));
    pumpFor(600);
    ASSERT_EQ(recorder_.codes, std::vector<int>{FilmPlayerEvent::kComplete});

    // What the view does on completion, then a second run to the end.
    ASSERT_TRUE(player.SetPosition(0.0));
    ASSERT_TRUE(player.Stop());
    pumpFor(300);
    EXPECT_EQ(recorder_.codes.size(), 1u);
    ASSERT_TRUE(player.Run());
    ASSERT_TRUE(pumpUntil([&] { return recorder_.codes.size() >= 2; }));
    pumpFor(600);
    EXPECT_EQ(recorder_.codes,
              (std::vector<int>{FilmPlayerEvent::kComplete, FilmPlayerEvent::kComplete}));
}

// Plays `film` to its end without letting the engine's notification through, then hands the
// engine's pending mpv events to it so that the notification is queued but not delivered.
void playToEndUndelivered(FilmPlayer& player) {
    ASSERT_TRUE(player.Run());
    // At the end the film holds its last frame, paused. No Qt events are processed meanwhile.
    for (int i = 0; i < 300 && state(player) != FilmPlayer::kPaused; ++i) QThread::msleep(50);
    ASSERT_EQ(state(player), FilmPlayer::kPaused);
    QThread::msleep(100);
    // Runs the queued drain; what it queues in turn waits for the next round.
    QCoreApplication::sendPostedEvents(&player, QEvent::MetaCall);
}

TEST_F(FilmPlayerTest, NoEventOfAnEarlierFilmAfterOpenOrClose) {
    const QString film = test::patternFilm(1.5);
    ASSERT_FALSE(film.isEmpty());
    FilmPlayer player;

    // Control: left alone, the queued completion arrives.
    ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
    playToEndUndelivered(player);
    EXPECT_TRUE(recorder_.codes.empty());
    pumpFor(300);
    EXPECT_EQ(recorder_.codes, std::vector<int>{FilmPlayerEvent::kComplete});

    // A new Open before delivery: the old film's completion is dropped.
    recorder_.codes.clear();
    ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
    playToEndUndelivered(player);
    EventRecorder second;
    ASSERT_TRUE(player.Open(film, &owner(), &second));
    pumpFor(500);
    EXPECT_TRUE(recorder_.codes.empty());
    EXPECT_TRUE(second.codes.empty());

    // The same after Close.
    ASSERT_TRUE(player.Run());
    // (second film runs; close it before its end is delivered)
    playToEndUndelivered(player);
    player.Close();
    pumpFor(500);
    EXPECT_TRUE(second.codes.empty());
}

TEST_F(FilmPlayerTest, SoundOnlyFilmHasNoPicture) {
    const QString film = test::soundOnlyFilm();
    ASSERT_FALSE(film.isEmpty());
    FilmPlayer player;
    ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
    int w = -1, h = -1;
    EXPECT_FALSE(player.GetVideoSize(w, h));
    EXPECT_EQ(player.GetDuration(), 2);
    EXPECT_FALSE(player.videoWidget()->isVisibleTo(&owner()));
    EXPECT_FALSE(player.SaveCurrentImage(QDir::temp().filePath("sound_only.bmp")));
    // Full screen is only a flag here: no black window covers the screen.
    EXPECT_TRUE(player.ToggleFullScreen(&owner()));
    EXPECT_TRUE(player.IsFullScreen());
    EXPECT_FALSE(player.videoWidget()->isVisible());
    EXPECT_TRUE(player.ToggleFullScreen(&owner()));
    EXPECT_FALSE(player.IsFullScreen());
    EXPECT_FALSE(player.videoWidget()->isVisible());
    EXPECT_EQ(player.videoWidget()->parentWidget(), &owner());
    // Still plays to its end and says so.
    ASSERT_TRUE(player.Run());
    EXPECT_TRUE(pumpUntil([&] { return !recorder_.codes.empty(); }));
    EXPECT_EQ(recorder_.codes, std::vector<int>{FilmPlayerEvent::kComplete});
}

TEST_F(FilmPlayerTest, NonFilmFailsWithTheDebugLine) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString text = dir.filePath("letter.mp4");
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Dear reader,\nthis is no film at all.\n");
    }
    const QString noise = dir.filePath("noise.mov");
    {
        QFile f(noise);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray bytes(4096, '\0');
        for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919 + 13) & 0xff);
        f.write(bytes);
    }
    const QString film = test::patternFilm(1.5);
    ASSERT_FALSE(film.isEmpty());

    FilmPlayer player;
    for (const QString& path : {text, noise, dir.filePath("missing.mp4")}) {
        SCOPED_TRACE(path.toStdString());
        // A working film first: a failed Open must also close it.
        ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
        StdoutCapture capture;
        const bool opened = player.Open(path, &owner(), &recorder_);
        const std::string out = capture.finish();
        EXPECT_FALSE(opened);
        EXPECT_EQ(out, "RenderFile failed 282\r\n\n");
        int s = 0;
        EXPECT_FALSE(player.GetState(s));
        EXPECT_FALSE(player.Run());
    }
    pumpFor(300);
    EXPECT_TRUE(recorder_.codes.empty());
    // The engine still opens films afterwards.
    EXPECT_TRUE(player.Open(film, &owner(), &recorder_));
}

TEST_F(FilmPlayerTest, APreparedFilmOpensWithItsFirstFrameAlreadyDrawn) {
    const QString film = test::patternFilm(1.5);
    ASSERT_FALSE(film.isEmpty());
    QTemporaryDir dir;
    const QString letter = dir.filePath("letter.mp4");
    {
        QFile f(letter);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Dear reader,\nthis is no film at all.\n");
    }
    owner().show();
    FilmPlayer player;

    // Loaded and drawn at the owner's size out of sight, with nobody waiting for it.
    ASSERT_TRUE(player.Prepare(film, &owner()));
    ASSERT_TRUE(pumpUntil([&] { return player.videoWidget()->hasFrame(); }));
    EXPECT_FALSE(player.videoWidget()->isVisible());
    EXPECT_EQ(player.videoWidget()->picture().size(), owner().size() * owner().devicePixelRatioF());
    EXPECT_TRUE(recorder_.codes.empty());

    // Adopted, it shows that frame at once and plays to its end as any film.
    ASSERT_TRUE(player.Adopt(&owner(), &recorder_));
    EXPECT_TRUE(player.videoWidget()->isVisible());
    EXPECT_TRUE(player.videoWidget()->hasFrame());
    EXPECT_EQ(state(player), FilmPlayer::kStopped);
    ASSERT_TRUE(player.Run());
    EXPECT_TRUE(pumpUntil([&] { return !recorder_.codes.empty(); }));
    EXPECT_EQ(recorder_.codes, std::vector<int>{FilmPlayerEvent::kComplete});

    // A prepared file that is no film fails where it is adopted, as Open would.
    ASSERT_TRUE(player.Prepare(letter, &owner()));
    StdoutCapture capture;
    EXPECT_FALSE(player.Adopt(&owner(), &recorder_));
    EXPECT_EQ(capture.finish(), "RenderFile failed 282\r\n\n");
    EXPECT_FALSE(player.Run());
}

TEST_F(FilmPlayerTest, VolumeScaleMapsDecibelsOntoCubicPercent) {
    EXPECT_DOUBLE_EQ(FilmPlayer::volumeToMpv(0), 100.0);
    EXPECT_DOUBLE_EQ(FilmPlayer::volumeToMpv(500), 100.0);
    EXPECT_DOUBLE_EQ(FilmPlayer::volumeToMpv(-10000), 0.0);
    EXPECT_DOUBLE_EQ(FilmPlayer::volumeToMpv(-20000), 0.0);
    EXPECT_NEAR(FilmPlayer::volumeToMpv(-6000), 10.0, 1e-9);
    // mpv's gain is (volume/100)^3; the resulting attenuation equals the requested one.
    for (long v : {-1, -600, -2000, -4500, -9999}) {
        const double gain = std::pow(FilmPlayer::volumeToMpv(v) / 100.0, 3.0);
        EXPECT_NEAR(20.0 * std::log10(gain), v / 100.0, 1e-6) << v;
    }
    EXPECT_LT(FilmPlayer::volumeToMpv(-601), FilmPlayer::volumeToMpv(-600));

    FilmPlayer player;
    EXPECT_FALSE(player.SetVolume(0));  // nothing to set it on yet
    const QString film = test::patternFilm(1.5);
    ASSERT_FALSE(film.isEmpty());
    ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
    EXPECT_TRUE(player.SetVolume(-10000));
    EXPECT_TRUE(player.SetVolume(-2500));
}

TEST_F(FilmPlayerTest, FullScreenAndBackRestoresThePictureInItsOwner) {
    const QString film = test::patternFilm(1.5);
    ASSERT_FALSE(film.isEmpty());
    owner().show();
    FilmPlayer player;
    ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
    VideoWidget* video = player.videoWidget();
    ASSERT_TRUE(player.SetVideoPosition(10, 20, 100, 80));
    EXPECT_EQ(video->geometry(), QRect(10, 20, 100, 80));

    EXPECT_TRUE(player.ToggleFullScreen(&owner()));
    EXPECT_TRUE(player.IsFullScreen());
    EXPECT_TRUE(video->isWindow());
    EXPECT_EQ(video->messageDrain(), &owner());
    EXPECT_EQ(video->geometry(), QGuiApplication::primaryScreen()->geometry());
    // The view's layout does not pull the picture out of full screen.
    EXPECT_TRUE(player.SetVideoPosition(0, 0, 50, 50));
    EXPECT_EQ(video->geometry(), QGuiApplication::primaryScreen()->geometry());

    EXPECT_TRUE(player.ToggleFullScreen(&owner()));
    EXPECT_FALSE(player.IsFullScreen());
    EXPECT_FALSE(video->isWindow());
    EXPECT_EQ(video->parentWidget(), &owner());
    EXPECT_EQ(video->geometry(), owner().rect());
    EXPECT_TRUE(video->isVisible());

    EXPECT_FALSE(video->windowState() & Qt::WindowFullScreen);

    // A second time the window is full screen again, not a plain window of screen size.
    EXPECT_TRUE(player.ToggleFullScreen(&owner()));
    ASSERT_NE(video->windowHandle(), nullptr);
    EXPECT_TRUE(video->windowHandle()->windowStates() & Qt::WindowFullScreen);
    EXPECT_TRUE(player.ToggleFullScreen(&owner()));

    // Closing in full screen leaves no full-screen window and no flag behind.
    EXPECT_TRUE(player.ToggleFullScreen(&owner()));
    player.Close();
    EXPECT_FALSE(player.IsFullScreen());
    EXPECT_FALSE(video->isVisible());
    EXPECT_FALSE(video->windowState() & Qt::WindowFullScreen);
    // Nor does the next film's first full screen fall short.
    ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
    EXPECT_TRUE(player.ToggleFullScreen(&owner()));
    ASSERT_NE(video->windowHandle(), nullptr);
    EXPECT_TRUE(video->windowHandle()->windowStates() & Qt::WindowFullScreen);
}

TEST_F(FilmPlayerTest, OwnerDestroyedWithAFilmOpenLeavesAWorkingEngine) {
    const QString film = test::patternFilm(59.9);
    ASSERT_FALSE(film.isEmpty());
    FilmPlayer player;
    {
        QWidget first;
        first.resize(160, 120);
        first.show();
        ASSERT_TRUE(player.Open(film, &first, &recorder_));
        ASSERT_TRUE(player.Run());
        pumpFor(200);
    }  // the picture goes with its owner
    EXPECT_EQ(player.videoWidget(), nullptr);
    EXPECT_TRUE(player.IsRunning());
    player.ToggleFullScreen(nullptr);
    EXPECT_FALSE(player.IsFullScreen());
    EXPECT_FALSE(player.SetVideoPosition(0, 0, 10, 10));

    owner().show();
    ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
    VideoWidget* video = player.videoWidget();
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->parentWidget(), &owner());
    ASSERT_TRUE(player.Run());
    EXPECT_TRUE(pumpUntil([&] { return video->framesRendered() >= 3; }));
}

TEST_F(FilmPlayerTest, FullScreenForwardsUnhandledDoubleClickToDrain) {
    const QString film = test::patternFilm(1.5);
    ASSERT_FALSE(film.isEmpty());
    class Drain : public QWidget {
    public:
        int doubleClicks = 0;

    protected:
        void mouseDoubleClickEvent(QMouseEvent*) override { ++doubleClicks; }
    } drain;
    owner().show();
    FilmPlayer player;
    ASSERT_TRUE(player.Open(film, &owner(), &recorder_));
    ASSERT_TRUE(player.ToggleFullScreen(&drain));
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), QPointF(5, 5),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(player.videoWidget(), &click);
    EXPECT_EQ(drain.doubleClicks, 1);
    ASSERT_TRUE(player.ToggleFullScreen(&drain));
    // Back in the window the click is left to the widgets below the picture.
    QCoreApplication::sendEvent(player.videoWidget(), &click);
    EXPECT_EQ(drain.doubleClicks, 1);
}

}  // namespace
}  // namespace tesmira
