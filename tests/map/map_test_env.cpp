#include "map_test_env.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

#include "map/map_page_scheme.h"
#include "map/tile_cache_scheme.h"

namespace tesmira::maptest {
namespace {

constexpr char kStubScheme[] = "stub";
bool standInsServed = true;
QStringList providerRequests;
QStringList blockedRequests;
bool localTilesServed = true;

// Serves tests/map/stubs/<name>.
class StubHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override {
        QFile file(QStringLiteral(TESMIRA_SOURCE_DIR "/tests/map/stubs") +
                   job->requestUrl().path());
        if (!file.open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto* body = new QBuffer(job);
        body->setData(file.readAll());
        job->reply("text/javascript", body);
    }
};

// Every http(s) request of a page: a provider script goes to its stand-in,
// anything else is blocked.
class StandInInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) return;
        QString standIn;
        if (url.host() == QLatin1String("maps.googleapis.com") && url.path() == "/maps/api/js") {
            standIn = "google.js";
        } else if (url.host() == QLatin1String("api.map.baidu.com") && url.path() == "/api") {
            standIn = "baidu.js";
        }
        if (!standIn.isEmpty()) providerRequests.append(url.toString());
        if (standIn.isEmpty()) blockedRequests.append(url.toString());
        if (standIn.isEmpty() || !standInsServed) {
            info.block(true);
            return;
        }
        info.redirect(QUrl(QStringLiteral("stub://tests/") + standIn));
    }
};

}  // namespace

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

QVariant Eval(QWebEnginePage* page, const QString& script) {
    bool arrived = false;
    QVariant value;
    page->runJavaScript(script, [&](const QVariant& v) {
        value = v;
        arrived = true;
    });
    EXPECT_TRUE(WaitFor([&] { return arrived; })) << script.toStdString();
    return value;
}

QJsonDocument StubState(QWebEnginePage* page) {
    return QJsonDocument::fromJson(
        Eval(page, "typeof stubState === 'function' ? stubState() : '{}'").toString().toUtf8());
}

QStringList StateList(const QJsonDocument& state, const char* key) {
    QStringList list;
    for (const QJsonValue& v : state.object().value(QLatin1String(key)).toArray()) {
        list.append(v.isString() ? v.toString() : QString::number(v.toDouble()));
    }
    return list;
}

void SetLocalTilesServed(bool served) {
    localTilesServed = served;
}
void SetStandInsServed(bool served) {
    standInsServed = served;
}
QStringList ProviderRequests() {
    return providerRequests;
}
QStringList BlockedRequests() {
    return blockedRequests;
}
void ClearBlockedRequests() {
    blockedRequests.clear();
}

void RegisterSchemes() {
    // Cached tiles go to a folder of the test run, never the user's cache.
    static QTemporaryDir cacheHome;
    qputenv("XDG_CACHE_HOME", cacheHome.path().toUtf8());
    RegisterMapSchemes();
    QWebEngineUrlScheme stub(kStubScheme);
    stub.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    stub.setFlags(QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(stub);
}

void InstallStandIns() {
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    profile->installUrlSchemeHandler(kStubScheme, new StubHandler(profile));
    profile->setUrlRequestInterceptor(new StandInInterceptor(profile));
    // Tiles fetched through the cache reach only the tests' own local servers.
    TileCacheSchemeHandler::SetNetworkFilter([](const QUrl& url) {
        if (localTilesServed && url.host() == QLatin1String("127.0.0.1")) return true;
        blockedRequests.append(url.toString());
        return false;
    });
}

const std::vector<TrackCase>& TrackCases() {
    static const std::vector<TrackCase> cases = {
        {"all fixes", {"1,10", "2,20", "3,30"}, {"1,10 2,20 3,30"}},
        {"gap inside", {"1,10", "2,20", "V", "V", "3,30", "4,40"}, {"1,10 2,20", "3,30 4,40"}},
        {"gaps at both ends", {"V", "1,10", "2,20", "V"}, {"1,10 2,20"}},
        {"one-point run", {"1,10", "V", "2,20", "V", "3,30"}, {"1,10", "2,20", "3,30"}},
        {"only gaps", {"V", "V"}, {}},
        {"no points", {}, {}},
    };
    return cases;
}

AnsweringServer::AnsweringServer() {
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                socket->readAll();
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                socket->disconnectFromHost();
            });
        }
    });
}

MapBrowser* PageBrowserTest::ctrl = nullptr;

void PageBrowserTest::SetUpTestSuite() {
    ctrl = new MapBrowser;
    ctrl->resize(400, 300);
    ctrl->show();
}

void PageBrowserTest::TearDownTestSuite() {
    delete ctrl;
    ctrl = nullptr;
}

QVariant PageBrowserTest::Js(const QString& script) {
    return Eval(ctrl->page(), script);
}

void PageBrowserTest::Plot(const QStringList& points) {
    for (const QString& point : points) {
        const QStringList parts = point.split(',');
        const QString lng = parts.size() == 2 ? parts[1] : "V";
        ctrl->CallPageFunction("path_plot", {lng, parts[0]});
    }
}

}  // namespace tesmira::maptest
