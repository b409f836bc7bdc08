#include "playback/video_widget.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QWidget>
#include <chrono>
#include <thread>

#include "film_fixtures.h"
#include "playback/film_player.h"

namespace tesmira {
namespace {

bool columnIsBlack(const QImage& image, int x) {
    for (int y = 0; y < image.height(); ++y) {
        const QRgb p = image.pixel(x, y);
        if (qRed(p) > 16 || qGreen(p) > 16 || qBlue(p) > 16) return false;
    }
    return true;
}

// A shown owner and the standard pattern film for each test.
class VideoWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        film = test::patternFilm(59.9);
        ASSERT_FALSE(film.isEmpty());
    }
    void showOwner(int width, int height) {
        owner.resize(width, height);
        owner.show();
    }
    // Opens the film in the owner, runs it and waits for `frames` rendered frames; the picture's
    // widget, or null (with a failure recorded) when any step fails.
    VideoWidget* playInOwner(FilmPlayer& player, int frames) {
        if (!player.Open(film, &owner, nullptr) || !player.videoWidget() || !player.Run()) {
            ADD_FAILURE() << "film did not open and run";
            return nullptr;
        }
        VideoWidget* video = player.videoWidget();
        if (!test::pumpUntil([&] { return video->framesRendered() >= std::uint64_t(frames); })) {
            ADD_FAILURE() << "no " << frames << " frames rendered";
            return nullptr;
        }
        return video;
    }

    // The application exists before the owner is made.
    struct Application {
        Application() { test::ensureApplication(); }
    } application;
    QString film;
    QWidget owner;
};

TEST_F(VideoWidgetTest, RendersNewFramesAtWidgetSizeKeepingAspect) {
    showOwner(400, 200);  // wider than the film's 4:3
    FilmPlayer player;
    ASSERT_TRUE(player.Open(film, &owner, nullptr));
    VideoWidget* video = player.videoWidget();
    ASSERT_NE(video, nullptr);
    ASSERT_TRUE(video->attached());
    EXPECT_TRUE(video->isVisible());
    QSignalSpy painted(video, &VideoWidget::framePainted);

    ASSERT_TRUE(player.Run());
    ASSERT_TRUE(
        test::pumpUntil([&] { return video->framesRendered() >= 5 && painted.count() > 0; }));
    const QImage picture = video->picture().copy();
    EXPECT_EQ(picture.size(), QSize(400, 200) * video->devicePixelRatioF());
    // 4:3 in 400 x 200 is about 267 wide, centred: bars of about 66 on each side.
    EXPECT_TRUE(columnIsBlack(picture, 5));
    EXPECT_TRUE(columnIsBlack(picture, 60));
    EXPECT_TRUE(columnIsBlack(picture, 394));
    EXPECT_FALSE(columnIsBlack(picture, 200));
    EXPECT_FALSE(columnIsBlack(picture, 80));

    // Paused: no new frames, so nothing is rendered.
    ASSERT_TRUE(player.Pause());
    test::pumpFor(300);
    const auto frames = video->framesRendered();
    test::pumpFor(500);
    EXPECT_EQ(video->framesRendered(), frames);

    // A new size draws the same frame again at that size; then rendering rests again.
    owner.resize(200, 300);
    ASSERT_TRUE(player.FitVideoToOwner());
    test::pumpFor(300);
    EXPECT_EQ(video->picture().size(), QSize(200, 300) * video->devicePixelRatioF());
    const auto afterResize = video->framesRendered();
    test::pumpFor(500);
    EXPECT_EQ(video->framesRendered(), afterResize);
    // Now the bars are above and below.
    const QImage tall = video->picture().copy();
    EXPECT_EQ(qRed(tall.pixel(100, 5)) + qGreen(tall.pixel(100, 5)) + qBlue(tall.pixel(100, 5)), 0);
    EXPECT_FALSE(columnIsBlack(tall, 100));

    player.Close();
    EXPECT_FALSE(video->hasFrame());
}

TEST_F(VideoWidgetTest, PausedPictureIsDrawnAgainAtFullScreenSizeAndBack) {
    showOwner(320, 240);
    FilmPlayer player;
    VideoWidget* video = playInOwner(player, 3);
    ASSERT_NE(video, nullptr);
    ASSERT_TRUE(player.Pause());
    test::pumpFor(300);

    // No new frame comes while paused: the one shown must still fill the screen.
    ASSERT_TRUE(player.ToggleFullScreen(&owner));
    test::pumpFor(300);
    ASSERT_NE(video->size(), QSize(320, 240));
    EXPECT_EQ(video->picture().size(), video->size() * video->devicePixelRatioF());

    // The owner changes size meanwhile; back in it the picture fits the new size.
    owner.resize(200, 150);
    ASSERT_TRUE(player.ToggleFullScreen(&owner));
    test::pumpFor(300);
    EXPECT_EQ(video->size(), QSize(200, 150));
    EXPECT_EQ(video->picture().size(), QSize(200, 150) * video->devicePixelRatioF());
    EXPECT_FALSE(columnIsBlack(video->picture(), 100));
}

// libmpv waits for each frame to be taken; a UI thread busy in a synchronous call must not hold
// playback up, so frames are rendered while no Qt event is processed.
TEST_F(VideoWidgetTest, FramesAreTakenWhileTheUiThreadIsBusy) {
    showOwner(320, 240);
    FilmPlayer player;
    VideoWidget* video = playInOwner(player, 2);
    ASSERT_NE(video, nullptr);

    const auto before = video->framesRendered();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));  // no event loop meanwhile
    EXPECT_GE(video->framesRendered(), before + 5);
    // The picture taken meanwhile is the film's, at the widget's size.
    EXPECT_EQ(video->picture().size(), video->size() * video->devicePixelRatioF());
    EXPECT_FALSE(columnIsBlack(video->picture(), video->picture().width() / 2));

    // A reopened film gets its first frame taken without the event loop as well.
    ASSERT_TRUE(player.Open(film, &owner, nullptr));
    ASSERT_TRUE(player.Run());
    const auto reopened = video->framesRendered();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_GE(video->framesRendered(), reopened + 5);
    player.Close();
    EXPECT_FALSE(video->hasFrame());
    EXPECT_TRUE(video->picture().isNull());
}

}  // namespace
}  // namespace tesmira
