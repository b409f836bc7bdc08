// The OpenStreetMap page in the real browser with no network: Leaflet comes
// from the page itself and every tile request fails, but those of a local
// tile server, which go through the tile cache.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>

#include "map/map_browser.h"
#include "map/map_page_scheme.h"
#include "map/map_pages.h"
#include "map/tile_cache_scheme.h"
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

// A local tile server: one green PNG for every address, marked as stale at
// once, so that every later load of a tile asks the network first.
class TileServer : public QTcpServer {
public:
    TileServer() {
        QImage tile(256, 256, QImage::Format_RGB32);
        tile.fill(Qt::darkGreen);
        QBuffer png(&png_);
        png.open(QIODevice::WriteOnly);
        tile.save(&png, "PNG");
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->peek(4096).contains("\r\n\r\n")) return;
                    socket->readAll();
                    ++requests;
                    socket->write(
                        "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n"
                        "Cache-Control: max-age=0\r\nContent-Length: " +
                        QByteArray::number(png_.size()) + "\r\nConnection: close\r\n\r\n" + png_);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    int requests = 0;

private:
    QByteArray png_;
};

TEST_F(OsmPageTest, TheTileCacheServesASecondLoadWithTheNetworkBlocked) {
    static constexpr char kLoaded[] = "document.querySelectorAll('.leaflet-tile-loaded').length";
    static constexpr char kSettled[] = "Object.keys(tiles._tiles).length > 0 && !tiles.isLoading()";
    const auto loaded = [] { return Js(kLoaded).toInt(); };
    const auto settled = [] { return Js(kSettled).toBool(); };
    auto server = std::make_unique<TileServer>();
    const QString tiles =
        QStringLiteral("http://127.0.0.1:%1/{z}/{x}/{y}.png").arg(server->serverPort());
    Load(MapPageUrl(kOsmPageId, tiles));
    ASSERT_TRUE(WaitFor([&] { return settled() && loaded() > 0; }));
    const int shown = loaded();
    EXPECT_GE(server->requests, shown);
    // The tiles lie in the user's cache folder, on disk.
    EXPECT_TRUE(TileCacheFolder().startsWith(QString::fromLocal8Bit(qgetenv("XDG_CACHE_HOME"))));
    EXPECT_FALSE(QDir(TileCacheFolder()).isEmpty(QDir::Dirs | QDir::NoDotAndDotDot));

    // The network is blocked, nothing answers on the server's address any
    // more, and a new browser holds nothing of the first load in memory: the
    // same view comes from the disk cache in full.
    maptest::SetLocalTilesServed(false);
    server.reset();
    QWebEngineProfile fresh;
    InstallMapPageScheme(&fresh);
    QWebEngineView view;
    view.setPage(new QWebEnginePage(&fresh, &view));
    view.resize(ctrl->size());
    view.show();
    QSignalSpy finished(view.page(), &QWebEnginePage::loadFinished);
    view.load(MapPageUrl(kOsmPageId, tiles));
    ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
    const auto freshJs = [&](const char* script) { return Eval(view.page(), script); };
    ASSERT_TRUE(WaitFor([&] { return freshJs(kSettled).toBool(); }));
    EXPECT_EQ(freshJs(kLoaded).toInt(), shown);
    // A tile never fetched has nothing to show offline.
    freshJs("map.setView([60, 100], 9, { animate: false })");
    ASSERT_TRUE(WaitFor([&] { return freshJs(kSettled).toBool(); }));
    EXPECT_EQ(freshJs(kLoaded).toInt(), 0);
    maptest::SetLocalTilesServed(true);
}

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
