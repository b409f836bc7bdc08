// The map pane: page choice, the provider check against a local server,
// calls into the page, and what the browser must not show.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QMenu>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>
#include <memory>

#include "app/app_paths.h"
#include "app/ini_profile.h"
#include "app/settings.h"
#include "map/map_page_scheme.h"
#include "map/map_pages.h"
#include "map/map_pane.h"
#include "map_test_env.h"

namespace tesmira {
namespace {

using maptest::Eval;
using maptest::StateList;
using maptest::StubState;
using maptest::WaitFor;

enum class Answer { Status200, Status302, Status301, Status404, Drop, Silent };

// Answers every request the way it is told and keeps the request heads.
class CheckServer : public QTcpServer {
public:
    CheckServer() {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { Serve(socket); });
            }
        });
    }
    QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(serverPort()); }

    Answer answer = Answer::Status200;
    QStringList requests;

private:
    void Serve(QTcpSocket* socket) {
        const QByteArray head = socket->readAll();
        requests.append(QString::fromLatin1(head));
        const char* status = nullptr;
        switch (answer) {
            case Answer::Status200:
                status = "200 OK";
                break;
            case Answer::Status302:
                status = "302 Found";
                break;
            case Answer::Status301:
                status = "301 Moved Permanently";
                break;
            case Answer::Status404:
                status = "404 Not Found";
                break;
            case Answer::Drop:
                socket->abort();
                return;
            case Answer::Silent:
                return;
        }
        socket->write(QByteArray("HTTP/1.1 ") + status +
                      "\r\nLocation: http://127.0.0.1/elsewhere\r\nContent-Length: 0\r\n"
                      "Connection: close\r\n\r\n");
        socket->disconnectFromHost();
    }
};

class MapHostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dataDir = new QTemporaryDir;
        SetDataFolder(dataDir->path().toStdString());
        server = new CheckServer;
        pane = MakePane();
    }
    static void TearDownTestSuite() {
        delete pane;
        delete server;
        delete dataDir;
    }
    void SetUp() override {
        maptest::SetStandInsServed(true);
        server->answer = Answer::Status200;
        ASSERT_TRUE(WriteMap("google"));
        ASSERT_TRUE(WriteLanguage("en"));
        ASSERT_TRUE(WriteProfileString(SettingsPath(), "Setting", "TileUrl", ""));
        SetMapProvider(kMapGoogle);
        // Whatever an earlier test left, each begins on the pane's own first page.
        if (!pane->Browser().IsPageReady() || pane->ShownPageId() != 156) {
            ASSERT_EQ(LoadAndWait(pane, 156), 156);
        }
    }

    static MapPane* MakePane() {
        const std::string host = server->Host().toStdString();
        auto* view =
            new MapPane(nullptr, {{"maps.googleapis.com", host}, {"api.map.baidu.com", host}});
        view->resize(400, 300);
        view->show();
        return view;
    }
    // Loads `id` through the check and waits for the page shown.
    static int LoadAndWait(MapPane* view, int id, int timeoutMs = 6000) {
        QSignalSpy ready(&view->Browser(), &BrowserView::pageReady);
        view->LoadMapPage(id);
        if (!WaitFor([&] { return ready.count() > 0; }, timeoutMs)) return 0;
        return MapPageIdFromUrl(ready.last()[0].toUrl());
    }
    static QVariant Js(const QString& script) { return Eval(pane->Browser().page(), script); }

    static QTemporaryDir* dataDir;
    static CheckServer* server;
    static MapPane* pane;
};
QTemporaryDir* MapHostTest::dataDir = nullptr;
CheckServer* MapHostTest::server = nullptr;
MapPane* MapHostTest::pane = nullptr;

TEST_F(MapHostTest, ThePaneOpensWithTheSettingsPageAndKeepsCallsUntilItIsReady) {
    // The suite's pane was made before any page was ready; calls made now wait too.
    auto view = std::unique_ptr<MapPane>(MakePane());
    EXPECT_FALSE(view->Browser().IsPageReady());
    view->CallPageFunction("stop");
    view->CallPageFunction("path_plot", {"37.5", "55.8"});
    view->CallPageFunction("path_plot", {"V", "V"});
    view->CallPageFunction("path_plot", {"37.6", "55.9"});
    view->CallPageFunction("play", {"0", "600000"});
    ASSERT_TRUE(WaitFor([&] { return view->Browser().IsPageReady(); }));
    EXPECT_EQ(view->ShownPageId(), 156);
    // Each kept call arrived once, in order.
    EXPECT_EQ(StateList(StubState(view->Browser().page()), "lines"),
              QStringList({"55.8,37.5", "55.9,37.6"}));
    EXPECT_EQ(Eval(view->Browser().page(), "lCoordinateX.join(' ')").toString(), "55.8 V 55.9");
}

TEST_F(MapHostTest, TheProviderSettingChoosesBaiduWhateverTheLanguage) {
    ASSERT_TRUE(WriteMap("baidu"));
    ASSERT_TRUE(WriteLanguage("ru"));
    auto view = std::unique_ptr<MapPane>(MakePane());
    ASSERT_TRUE(WaitFor([&] { return view->Browser().IsPageReady(); }));
    EXPECT_EQ(view->ShownPageId(), 160);
    ASSERT_TRUE(WriteMap("google"));
    ASSERT_TRUE(WriteLanguage("en"));
    SetMapProvider(0);
}

TEST_F(MapHostTest, OsmChoiceShowsItsPageAtOnceWithTheUsersTilesAndNoCheck) {
    const std::string tiles = "http://tiles.example.org/{z}/{x}/{y}.png?who=me&x=\"'";
    ASSERT_TRUE(WriteMap("osm"));
    ASSERT_TRUE(WriteProfileString(SettingsPath(), "Setting", "TileUrl", tiles));
    server->requests.clear();
    // A check still running is dropped: its page never replaces the map.
    server->answer = Answer::Silent;
    pane->LoadMapPage(156);
    ASSERT_TRUE(WaitFor([] { return server->requests.size() == 1; }));
    auto view = std::unique_ptr<MapPane>(MakePane());
    EXPECT_EQ(view->ShownPageId(), kOsmPageId);
    pane->LoadMapPage(kOsmPageId);
    ASSERT_TRUE(WaitFor([&] { return view->Browser().IsPageReady(); }));
    ASSERT_TRUE(WaitFor([] { return pane->Browser().IsPageReady(); }));
    EXPECT_EQ(Eval(view->Browser().page(), "tiles._url").toString().toStdString(), tiles);
    // Tile servers see the application's name.
    EXPECT_TRUE(Eval(view->Browser().page(), "navigator.userAgent")
                    .toString()
                    .endsWith(QLatin1String(" ") + kUserAgentProduct));
    view->CallPageFunction("path_plot", {"37.5", "55.8"});
    view->CallPageFunction("play", {"0", "20"});
    EXPECT_TRUE(WaitFor([&] {
        return Eval(view->Browser().page(), "marker ? marker.getLatLng().lat : 0").toDouble() ==
               55.8;
    }));
    WaitFor([] { return false; }, ReachabilityCheck::kTimeLimitMs + 500);
    EXPECT_EQ(pane->ShownPageId(), kOsmPageId);
    EXPECT_EQ(MapPageIdFromUrl(pane->Browser().url()), kOsmPageId);
    EXPECT_EQ(server->requests.size(), 1);  // only the dropped check asked

    ASSERT_TRUE(WriteMap("google"));
    ASSERT_TRUE(WriteProfileString(SettingsPath(), "Setting", "TileUrl", ""));
    SetMapProvider(0);
    server->answer = Answer::Status200;
    ASSERT_EQ(LoadAndWait(pane, 156), 156);
}

TEST_F(MapHostTest, TheCheckAsksTheEndpointAsTheProviderExpectsIt) {
    server->requests.clear();
    ASSERT_EQ(LoadAndWait(pane, 158), 158);
    ASSERT_EQ(LoadAndWait(pane, 160), 160);
    ASSERT_EQ(server->requests.size(), 2);
    EXPECT_TRUE(server->requests[0].startsWith(
        "GET /maps/api/js?&key=tesmira0placeholder0not0a0real0api0key0&sensor=false&language=en "
        "HTTP/1.1\r\n"))
        << server->requests[0].toStdString();
    EXPECT_TRUE(server->requests[1].startsWith("GET /api?v=1.3 HTTP/1.1\r\n"));
    for (const QString& request : server->requests) {
        EXPECT_TRUE(request.contains("\r\nUser-Agent: InetURL:/1.0\r\n")) << request.toStdString();
    }
}

TEST_F(MapHostTest, TheSettingsKeysReachTheProviderScriptAddresses) {
    const struct {
        int page;
        const char *setting, *parameter, *key;
    } cases[] = {
        {156, "GoogleKey", "key", "AIzaSy-test_key.0~"},
        {159, "GoogleKey", "key", "a b&c=d\"'<>#%+\xc3\xa9"},
        {160, "BaiduKey", "ak", "Baidu&ak=1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        ASSERT_TRUE(WriteProfileString(SettingsPath(), "Setting", c.setting, c.key));
        ASSERT_EQ(LoadAndWait(pane, c.page), c.page);
        const QUrl script(maptest::ProviderRequests().last());
        EXPECT_EQ(QUrlQuery(script).queryItemValue(c.parameter, QUrl::FullyDecoded),
                  QString::fromUtf8(c.key));
        // One key parameter: the key cannot add parameters of its own.
        EXPECT_EQ(QUrlQuery(script).allQueryItemValues(c.parameter).size(), 1);
        EXPECT_EQ(MapPageIdFromUrl(pane->Browser().url()), c.page);
        ASSERT_TRUE(WriteProfileString(SettingsPath(), "Setting", c.setting, ""));
    }
    // Without a key the script address is as before.
    ASSERT_EQ(LoadAndWait(pane, 160), 160);
    EXPECT_EQ(maptest::ProviderRequests().last(), "https://api.map.baidu.com/api?v=1.3");
}

TEST_F(MapHostTest, OnlyStatus200And302CountAsReachable) {
    struct Case {
        Answer answer;
        int page;
    };
    for (const Case& c :
         {Case{Answer::Status200, 157}, Case{Answer::Status302, 157},
          Case{Answer::Status301, kOfflinePageId}, Case{Answer::Status404, kOfflinePageId},
          Case{Answer::Drop, kOfflinePageId}}) {
        server->answer = c.answer;
        EXPECT_EQ(LoadAndWait(pane, 157), c.page) << static_cast<int>(c.answer);
    }
}

TEST_F(MapHostTest, NoAnswerGivesTheOfflinePageAfterThreeSecondsWhileTheWindowRuns) {
    server->answer = Answer::Silent;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(50);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(LoadAndWait(pane, 156), kOfflinePageId);
    const qint64 elapsed = clock.elapsed();
    EXPECT_GE(elapsed, 2900);
    EXPECT_LT(elapsed, 4500);
    // The event loop kept turning: most of the 50 ms ticks arrived.
    EXPECT_GE(ticks, 40);
}

TEST_F(MapHostTest, ANewerLoadReplacesACheckStillRunning) {
    server->answer = Answer::Silent;
    QSignalSpy ready(&pane->Browser(), &BrowserView::pageReady);
    pane->LoadMapPage(156);
    WaitFor([] { return false; }, 300);
    server->answer = Answer::Status200;
    pane->LoadMapPage(176);
    WaitFor([] { return false; }, 4000);
    ASSERT_EQ(ready.count(), 1);
    EXPECT_EQ(MapPageIdFromUrl(ready[0][0].toUrl()), 176);
}

TEST_F(MapHostTest, ArgumentTextsArriveInThePageUnchanged) {
    ASSERT_EQ(LoadAndWait(pane, 156), 156);
    Js("window.echo = function () { window.echoed = Array.prototype.slice.call(arguments); }");
    const std::vector<std::string> texts = {
        "it's \"quoted\"",
        "back\\slash \\\" \\n \\u0041",
        "</script><script>window.broken = 1;</script>",
        "line\nbreak\r\ttab \xE2\x80\xA8 sep",
        "\xF0\x9D\x84\x9E clef \xF0\x9F\x98\x80 %1 ${x} `tick`",
        "",
    };
    ASSERT_TRUE(pane->CallPageFunction("echo", texts));
    const QJsonArray echoed =
        QJsonDocument::fromJson(Js("JSON.stringify(window.echoed)").toString().toUtf8()).array();
    ASSERT_EQ(echoed.size(), static_cast<qsizetype>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(echoed[static_cast<qsizetype>(i)].toString().toStdString(), texts[i]);
    }
    EXPECT_EQ(Js("typeof window.broken").toString(), "undefined");
}

TEST_F(MapHostTest, AppLinksAreCancelledOkAcceptsThePaneAndAProviderIsAskedFor) {
    ASSERT_EQ(LoadAndWait(pane, 156), 156);
    QSignalSpy accepted(pane, &MapPane::accepted);
    QSignalSpy chosen(pane, &MapPane::mapChosen);
    for (const char* link : {"app:other", "APP:OK", "app:OSM"}) {
        Js(QStringLiteral("location.href = '%1'").arg(link));
        WaitFor([] { return false; }, 300);
    }
    EXPECT_EQ(accepted.count(), 1);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toInt(), kMapOsm);
    EXPECT_EQ(MapPageIdFromUrl(pane->Browser().url()), 156);
    EXPECT_TRUE(pane->Browser().IsPageReady());
}

TEST_F(MapHostTest, TheMapShowsNoScrollBarsAndNoContextMenu) {
    ASSERT_EQ(LoadAndWait(pane, 156), 156);
    EXPECT_EQ(pane->Browser().geometry(), QRect(0, MapPane::kBandHeight, 400, 300 - 45));
    Js("document.body.style.width = '5000px'; document.body.style.height = '5000px'");
    EXPECT_EQ(Js("window.innerWidth - document.documentElement.clientWidth").toInt(), 0);
    EXPECT_EQ(Js("window.innerHeight - document.documentElement.clientHeight").toInt(), 0);

    QWidget* surface = pane->Browser().focusProxy();
    ASSERT_NE(surface, nullptr);
    QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(100, 100));
    WaitFor([] { return false; }, 300);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(qobject_cast<QMenu*>(widget) && widget->isVisible());
    }
}

}  // namespace
}  // namespace tesmira
