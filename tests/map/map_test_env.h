#pragma once
// What the map tests share: an application with the page scheme, provider
// stand-ins served in place of the providers' addresses (nothing reaches the
// network), and waiting for the page's script.

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QVariant>
#include <functional>
#include <string>
#include <vector>

#include "map/map_browser.h"

class QWebEnginePage;

namespace tesmira::maptest {

// The page schemes and the stand-ins' own scheme; before the QApplication.
void RegisterSchemes();
// Serves the stand-ins in the default profile; after the QApplication.
void InstallStandIns();

// Runs the event loop until `done` holds or `timeoutMs` passed; the last value of `done`.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs `script` in the page and waits for its value.
QVariant Eval(QWebEnginePage* page, const QString& script);

// The stand-in's stubState() of the page.
QJsonDocument StubState(QWebEnginePage* page);
QStringList StateList(const QJsonDocument& state, const char* key);

// Points sent with path_plot ("lon,lat" or "V") and the lines a page must draw of them
// ("lon,lat lon,lat" per run of fixes): gaps inside and at the ends, one-point runs.
struct TrackCase {
    const char* name;
    QStringList points;
    QStringList lines;
};
const std::vector<TrackCase>& TrackCases();

// Off: the providers' addresses are blocked instead of served by stand-ins.
void SetStandInsServed(bool served);
// Off: tiles of local servers (127.0.0.1) are blocked too, so that the tile
// cache has only what it holds; on (the default): they are fetched.
void SetLocalTilesServed(bool served);
// Provider script addresses the pages asked for, oldest first.
QStringList ProviderRequests();
// Every other http(s) address the pages asked for (all blocked), oldest first.
QStringList BlockedRequests();
void ClearBlockedRequests();

// Answers every request 200, as a provider that is there (the check's address in tests).
class AnsweringServer : public QTcpServer {
public:
    AnsweringServer();
    std::string host() const { return "127.0.0.1:" + std::to_string(serverPort()); }
};

// One browser for a whole test file, shown (a hidden page's timers are throttled, and
// Leaflet needs a size to fit a track); each test loads the page it needs.
class PageBrowserTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    static QVariant Js(const QString& script);
    // Sends points given as "lat,lng" (or "V") the way the host does.
    static void Plot(const QStringList& points);

    static MapBrowser* ctrl;
};

}  // namespace tesmira::maptest
