// libmpv allows only one mpv_render_* call at a time on a render context. The calls the video
// widget makes are wrapped at link time (see CMakeLists.txt) and any two that overlap are
// counted; each render call is stretched so that a call from another thread would land in it.

#include <gtest/gtest.h>
#include <mpv/render.h>

#include <QWidget>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "film_fixtures.h"
#include "playback/film_player.h"

namespace {

std::atomic<int> inFlight{0};
std::atomic<int> rendersInFlight{0};
std::atomic<int> overlaps{0};
std::atomic<int> renders{0};

class Call {
public:
    Call() {
        if (inFlight.fetch_add(1) != 0) overlaps.fetch_add(1);
    }
    ~Call() { inFlight.fetch_sub(1); }
};

}  // namespace

extern "C" {
int __real_mpv_render_context_render(mpv_render_context* context, mpv_render_param* params);
uint64_t __real_mpv_render_context_update(mpv_render_context* context);
void __real_mpv_render_context_set_update_callback(mpv_render_context* context,
                                                   mpv_render_update_fn callback, void* data);
void __real_mpv_render_context_free(mpv_render_context* context);

int __wrap_mpv_render_context_render(mpv_render_context* context, mpv_render_param* params) {
    const Call call;
    rendersInFlight.fetch_add(1);
    renders.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    const int result = __real_mpv_render_context_render(context, params);
    rendersInFlight.fetch_sub(1);
    return result;
}

uint64_t __wrap_mpv_render_context_update(mpv_render_context* context) {
    const Call call;
    return __real_mpv_render_context_update(context);
}

void __wrap_mpv_render_context_set_update_callback(mpv_render_context* context,
                                                   mpv_render_update_fn callback, void* data) {
    const Call call;
    __real_mpv_render_context_set_update_callback(context, callback, data);
}

void __wrap_mpv_render_context_free(mpv_render_context* context) {
    const Call call;
    __real_mpv_render_context_free(context);
}
}

namespace tesmira {
namespace {

TEST(RenderCallsTest, VideoWidgetNeverOverlapsRenderCalls) {
    test::ensureApplication();
    const QString film = test::patternFilm(59.9);
    ASSERT_FALSE(film.isEmpty());
    QWidget owner;
    owner.resize(320, 240);
    owner.show();

    // The engine goes (and with it the widget's render context) while a frame is being rendered.
    for (int round = 0; round < 3; ++round) {
        auto player = std::make_unique<FilmPlayer>();
        ASSERT_TRUE(player->Open(film, &owner, nullptr));
        ASSERT_TRUE(player->Run());
        const int before = renders.load();
        ASSERT_TRUE(test::pumpUntil([&] { return renders.load() >= before + 2; }));
        ASSERT_TRUE(test::pumpUntil([] { return rendersInFlight.load() > 0; }, 5000));
        player.reset();
    }

    // Owner destroyed with a film open: the widget goes with it, mid-render as well.
    FilmPlayer player;
    for (int round = 0; round < 2; ++round) {
        QWidget area;
        area.resize(320, 240);
        area.show();
        ASSERT_TRUE(player.Open(film, &area, nullptr));
        ASSERT_TRUE(player.Run());
        const int before = renders.load();
        ASSERT_TRUE(test::pumpUntil([&] { return renders.load() >= before + 2; }));
        ASSERT_TRUE(test::pumpUntil([] { return rendersInFlight.load() > 0; }, 5000));
    }
    player.Close();

    EXPECT_GT(renders.load(), 0);
    EXPECT_EQ(overlaps.load(), 0);
}

}  // namespace
}  // namespace tesmira
