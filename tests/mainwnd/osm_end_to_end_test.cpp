// The player as a user starts it with the OpenStreetMap choice and no network:
// the demo film on the real engine in the main window, on an X server (Xvfb),
// the map pane's pixels read back from the screen.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <clocale>
#include <memory>

#include "app/app_paths.h"
#include "app/ini_profile.h"
#include "app/settings.h"
#include "mainwnd/main_window.h"
#include "map/map_pages.h"
#include "map_test_env.h"

namespace tesmira {
namespace {

struct PanePixels {
    int track = 0;   // the page's blue track line
    int marker = 0;  // the page's red marker
};

// What the screen shows of the map pane's browser now.
PanePixels CountPanePixels(MainWindow& window) {
    QWidget& browser = window.mapView()->Browser();
    const QPoint at = browser.mapToGlobal(QPoint(0, 0));
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(0, at.x(), at.y(), browser.width(), browser.height())
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
    PanePixels pixels;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.blue() > 220 && c.red() < 90 && c.green() < 110) ++pixels.track;
            if (c.red() > 220 && c.green() < 80 && c.blue() < 60) ++pixels.marker;
        }
    }
    return pixels;
}

TEST(OsmEndToEnd, TheDemoTrackAndMarkerShowWithinSecondsWithoutANetwork) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under xvfb-run";
    std::setlocale(LC_NUMERIC, "C");  // libmpv needs it after the application object
    QTemporaryDir data;
    SetDataFolder(data.path().toStdString());
    ClearProfileCache();
    ASSERT_TRUE(WriteMap("osm"));

    QElapsedTimer clock;
    clock.start();
    auto window = std::make_unique<MainWindow>();
    window->InitDialog({QStringLiteral(TESMIRA_DEMO_FILM)});
    window->show();
    ASSERT_EQ(window->mapView()->ShownPageId(), kOsmPageId);

    PanePixels pixels;
    const bool shown = maptest::WaitFor(
        [&] {
            pixels = CountPanePixels(*window);
            return pixels.track > 300 && pixels.marker > 50;
        },
        8000);
    EXPECT_TRUE(shown) << "track " << pixels.track << ", marker " << pixels.marker << " after "
                       << clock.elapsed() << " ms";
    // Nothing left the machine but the tile requests, and none of them was answered.
    for (const QString& url : maptest::BlockedRequests()) {
        EXPECT_TRUE(url.startsWith("https://tile.openstreetmap.org/")) << url.toStdString();
    }

    // The pixels are the track's: emptying the page takes them away.
    window->mapView()->CallPageFunction("stop");
    EXPECT_TRUE(maptest::WaitFor([&] {
        pixels = CountPanePixels(*window);
        return pixels.track < 20 && pixels.marker < 5;
    }));
    window.reset();
    SetDataFolder("");
}

}  // namespace
}  // namespace tesmira
