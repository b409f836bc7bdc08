// The OpenStreetMap page in the real browser with no network: Leaflet comes
// from the page itself and every tile request fails.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

#include "map/map_browser.h"
#include "map/map_page_scheme.h"
#include "map/map_pages.h"
#include "map_test_env.h"

namespace tesmira {
namespace {

using maptest::Eval;
using maptest::WaitFor;

constexpr char kSlow[] = "600000";  // a period that never ticks during a test

class OsmPageTest : public maptest::PageBrowserTest {
protected:
    void SetUp() override {
        maptest::ClearBlockedRequests();
        Load(MapPageUrl(kOsmPageId));
    }

    static void Load(const QUrl& url) {
        QSignalSpy ready(ctrl, &BrowserView::pageReady);
        ctrl->Navigate(url);
        ASSERT_TRUE(WaitFor([&] { return ready.count() > 0; })) << url.toString().toStdString();
        ASSERT_EQ(Js("inited").toInt(), 1);
    }
    // The track as Leaflet holds it: one "lat,lng lat,lng" text per line on the map.
    static QStringList Lines() {
        return Js("polyArray.filter(function (p) { return map.hasLayer(p); }).map(function (p) {"
                  "  return p.getLatLngs().map(function (l) { return l.lat + ',' + l.lng; })"
                  "    .join(' '); })")
            .toStringList();
    }
    // "lat,lng" of the marker on the map; empty when there is none.
    static QString Marker() {
        return Js("marker && map.hasLayer(marker) ? marker.getLatLng().lat + ',' + "
                  "marker.getLatLng().lng : ''")
            .toString();
    }
    static bool Ticking() { return Js("timer !== null").toBool(); }
};

TEST_F(OsmPageTest, RunsBecomeLinesInViewWithScaleAndAttributionWhileEveryTileFails) {
    for (const maptest::TrackCase& c : maptest::TrackCases()) {
        ctrl->CallPageFunction("stop");
        Plot(c.points);
        ctrl->CallPageFunction("play", {"0", kSlow});
        EXPECT_EQ(Lines(), c.lines) << c.name;
        // At once at the first point, when it has a fix.
        EXPECT_EQ(Marker(), c.points.isEmpty() || c.points[0] == "V" ? "" : c.points[0]) << c.name;
    }
    // Playing from the start brings the whole track into view.
    ctrl->CallPageFunction("stop");
    Plot({"48.85,2.35", "V", "48.9,2.4", "49.1,2.6"});
    ctrl->CallPageFunction("play", {"0", kSlow});
    EXPECT_TRUE(Js("map.getBounds().contains([[48.85, 2.35], [49.1, 2.6]])").toBool());
    EXPECT_GE(Js("map.getZoom()").toInt(), 8);  // fitted, not the world view
    // A track first played from a later second (a page that replaced another) is
    // brought into view too.
    ctrl->CallPageFunction("stop");
    Js("map.setView([0, 0], 2, { animate: false })");
    Plot({"48.85,2.35", "V", "48.9,2.4", "49.1,2.6"});
    ctrl->CallPageFunction("play", {"2", kSlow});
    EXPECT_TRUE(Js("map.getBounds().contains([[48.85, 2.35], [49.1, 2.6]])").toBool());
    EXPECT_GE(Js("map.getZoom()").toInt(), 8);
    EXPECT_EQ(
        Js("JSON.stringify([polyArray[0].options.color, polyArray[0].options.weight])").toString(),
        R"(["#1f3cff",5])");

    EXPECT_EQ(Js("document.querySelector('.leaflet-control-attribution').textContent").toString(),
              QString::fromUtf8("Leaflet | \u00a9 OpenStreetMap contributors"));
    EXPECT_EQ(Js("document.querySelectorAll('.leaflet-control-attribution a').length").toInt(), 0);
    EXPECT_FALSE(Js("document.querySelector('.leaflet-control-scale-line').textContent")
                     .toString()
                     .isEmpty());

    // The tiles were asked for and all failed; nothing else went to the network.
    ASSERT_TRUE(WaitFor([] { return maptest::BlockedRequests().size() >= 4; }));
    for (const QString& url : maptest::BlockedRequests()) {
        EXPECT_TRUE(QRegularExpression(R"(^https://tile\.openstreetmap\.org/\d+/\d+/\d+\.png$)")
                        .match(url)
                        .hasMatch())
            << url.toStdString();
    }
    EXPECT_EQ(Js("document.querySelectorAll('.leaflet-tile-loaded').length").toInt(), 0);
}

TEST_F(OsmPageTest, MarkerStepsWithThePeriodSkipsGapsAndFollowsAtTheUsersZoom) {
    constexpr int kPeriod = 60;
    Js("window.steps = []; var shown = showMarker; showMarker = function (i) { shown(i);"
       " var at = marker.getLatLng(); steps.push([at.lat + ',' + at.lng, performance.now()]); }");
    Plot({"1,10", "V", "2,20", "3,30"});
    ctrl->CallPageFunction("play", {"0", QString::number(kPeriod)});
    Js("map.setZoom(6, { animate: false })");  // the user zooms before the first step
    ASSERT_TRUE(WaitFor([] { return !Ticking(); }));

    const QJsonArray steps =
        QJsonDocument::fromJson(Js("JSON.stringify(steps)").toString().toUtf8()).array();
    ASSERT_EQ(steps.size(), 3);
    EXPECT_EQ(steps[0][0].toString(), "1,10");
    EXPECT_EQ(steps[1][0].toString(), "2,20");
    EXPECT_EQ(steps[2][0].toString(), "3,30");
    // The first step comes at once, the others on the ticks; the gap holds the marker
    // for one tick. (A late tick does not delay the next: measured from the first.)
    EXPECT_GE(steps[1][1].toDouble() - steps[0][1].toDouble(), 1.8 * kPeriod);
    EXPECT_GE(steps[2][1].toDouble() - steps[0][1].toDouble(), 2.8 * kPeriod);
    EXPECT_EQ(Marker(), "3,30");
    EXPECT_EQ(Js("map.getZoom()").toInt(), 6);
    EXPECT_TRUE(Js("map.getCenter().distanceTo([3, 30]) < 1").toBool());
    EXPECT_EQ(Js("map.getPane('marker').contains(marker.getElement())").toBool(), true);
}

TEST_F(OsmPageTest, PlayReplacesTheEarlierTrackAndMarkerPauseKeepsTheMarkerAndStopClears) {
    Plot({"1,10", "2,20", "3,30", "4,40", "5,50", "6,60"});
    for (int second = 0; second < 150; ++second) {
        ctrl->CallPageFunction("play", {QString::number(second % 3), kSlow});
    }
    EXPECT_EQ(Lines(), QStringList({"1,10 2,20 3,30 4,40 5,50 6,60"}));
    EXPECT_EQ(Marker(), "3,30");
    EXPECT_EQ(Js("map.getPane('overlayPane').querySelectorAll('path').length").toInt(), 1);
    EXPECT_EQ(Js("map.getPane('marker').querySelectorAll('path').length").toInt(), 1);
    ctrl->CallPageFunction("play", {"0", "40"});

    ASSERT_TRUE(WaitFor([] { return !Marker().isEmpty(); }));
    ctrl->CallPageFunction("pause");
    const QString paused = Marker();
    WaitFor([] { return false; }, 200);
    EXPECT_FALSE(Ticking());
    EXPECT_EQ(Marker(), paused);

    // Resuming from a position shows that position next, one step per second.
    ctrl->CallPageFunction("play", {"5", "40"});
    ASSERT_TRUE(WaitFor([] { return !Ticking(); }));
    EXPECT_EQ(Marker(), "6,60");
    ctrl->CallPageFunction("play", {"6", "20"});  // beyond the points: no marker step
    ASSERT_TRUE(WaitFor([] { return !Ticking(); }));

    ctrl->CallPageFunction("stop");
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_EQ(Marker(), "");
    EXPECT_EQ(Js("lCoordinateX.length + lCoordinateY.length").toInt(), 0);
    EXPECT_EQ(Js("document.querySelectorAll('path.leaflet-interactive, .leaflet-overlay-pane "
                 "path, .leaflet-marker-pane path').length")
                  .toInt(),
              0);

    Plot({"7,70", "8,80"});
    ctrl->CallPageFunction("play", {"0", kSlow});
    EXPECT_EQ(Lines(), QStringList({"7,70 8,80"}));
}

TEST_F(OsmPageTest, TheUsersTileTemplateReachesThePageAsWrittenAndMayBeAFolder) {
    const QString tiles =
        QString::fromUtf8("http://tiles.example.org/k\u00e4rte/{z}/{x}/{y}.png?key=a+b&c=\"'<>");
    Load(MapPageUrl(kOsmPageId, tiles));
    EXPECT_EQ(Js("tiles._url").toString(), tiles);
    const auto own = [] {
        QStringList urls;
        for (const QString& url : maptest::BlockedRequests()) {
            if (QUrl(url).host() == "tiles.example.org") urls.append(url);
        }
        return urls;
    };
    ASSERT_TRUE(WaitFor([&] { return !own().isEmpty(); }));
    for (const QString& text : own()) {
        const QUrl url(text);
        EXPECT_TRUE(url.path(QUrl::FullyDecoded).startsWith(QString::fromUtf8("/k\u00e4rte/")))
            << text.toStdString();
        EXPECT_EQ(url.query(QUrl::FullyDecoded), "key=a+b&c=\"'<>") << text.toStdString();
    }
    // A folder of tiles on disk serves the map without a network.
    QTemporaryDir folder;
    QImage tile(256, 256, QImage::Format_RGB32);
    tile.fill(Qt::darkGreen);
    for (int x = 0; x < 4; ++x) {
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("2/%1").arg(x)));
        for (int y = 0; y < 4; ++y) {
            ASSERT_TRUE(tile.save(folder.filePath(QStringLiteral("2/%1/%2.png").arg(x).arg(y))));
        }
    }
    const QString onDisk = QUrl::fromLocalFile(folder.path()).toString() + "/{z}/{x}/{y}.png";
    Load(MapPageUrl(kOsmPageId, onDisk));
    EXPECT_TRUE(WaitFor(
        [] { return Js("document.querySelectorAll('.leaflet-tile-loaded').length").toInt() > 0; }));
    // Every other page is denied the files.
    Load(QUrl(MapPageUrl(kOsmPageId, onDisk).toString().replace("res-local:", "res:")));
    EXPECT_TRUE(WaitFor(
        [] { return Js("Object.keys(tiles._tiles).length > 0 && !tiles.isLoading()").toBool(); }));
    EXPECT_EQ(Js("document.querySelectorAll('.leaflet-tile-loaded').length").toInt(), 0);

    // A placeholder the map cannot fill gives the default tiles and a working page.
    Load(MapPageUrl(kOsmPageId, "https://tiles.example.org/{z}/{x}/{y}.png?key={apikey}"));
    EXPECT_EQ(Js("tiles._url").toString(), "https://tile.openstreetmap.org/{z}/{x}/{y}.png");
    Plot({"1,10", "2,20"});
    ctrl->CallPageFunction("play", {"0", kSlow});
    EXPECT_EQ(Lines(), QStringList({"1,10 2,20"}));

    // A damaged query gives the default tiles, never a broken page.
    Load(QUrl(QStringLiteral("res://tesmira/%1?tiles=***").arg(kOsmPageId)));
    EXPECT_EQ(Js("tiles._url").toString(), "https://tile.openstreetmap.org/{z}/{x}/{y}.png");
}

}  // namespace
}  // namespace tesmira
