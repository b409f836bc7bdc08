// The map pages' scripts in the real browser, against the provider stand-ins.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "map/map_browser.h"
#include "map/map_page_scheme.h"
#include "map/map_pages.h"
#include "map_test_env.h"

namespace tesmira {
namespace {

using maptest::Eval;
using maptest::StateList;
using maptest::StubState;
using maptest::WaitFor;

class MapPageTest : public maptest::PageBrowserTest {
protected:
    void SetUp() override { maptest::SetStandInsServed(true); }

    static void Load(int id) {
        QSignalSpy ready(ctrl, &BrowserView::pageReady);
        ctrl->Navigate(MapPageUrl(id), FindMapPage(id)->hasPageFunctions);
        ASSERT_TRUE(WaitFor([&] { return ready.count() > 0; })) << "page " << id;
    }
    static QJsonDocument State() { return StubState(ctrl->page()); }
};

// The two map pages behave alike towards the host; each case runs on both.
struct PageKind {
    int id;
    const char* lineStyle;
    const char* pointsName;  // the page's stored longitude texts
};

class MapPageBehaviour : public MapPageTest, public ::testing::WithParamInterface<PageKind> {
protected:
    void SetUp() override {
        MapPageTest::SetUp();
        Load(GetParam().id);
    }
    static constexpr char kSlow[] = "600000";  // a period that never ticks during a test
};

TEST_P(MapPageBehaviour, RunsOfFixesBecomeOneLineEachAndGapsStayEmpty) {
    for (const maptest::TrackCase& c : maptest::TrackCases()) {
        ctrl->CallPageFunction("stop");
        Plot(c.points);
        ctrl->CallPageFunction("play", {"0", kSlow});
        const QJsonDocument state = State();
        EXPECT_EQ(StateList(state, "lines"), c.lines) << c.name;
        for (const QString& style : StateList(state, "styles")) {
            EXPECT_EQ(style, GetParam().lineStyle) << c.name;
        }
    }
}

TEST_P(MapPageBehaviour, MarkerStepsWithThePeriodSkipsGapsAndStopsAtTheEnd) {
    constexpr int kPeriod = 60;
    ctrl->CallPageFunction("stop");
    Plot({"1,10", "V", "2,20", "3,30"});
    ctrl->CallPageFunction("play", {"0", QString::number(kPeriod)});
    ASSERT_TRUE(WaitFor([] { return !State()["timer"].toBool(); }))
        << State().toJson().toStdString()
        << Js("startpos + ' ' + lCoordinateX.length").toString().toStdString();

    const QJsonDocument state = State();
    EXPECT_EQ(StateList(state, "made"), QStringList({"1,10", "2,20", "3,30"}));
    EXPECT_EQ(StateList(state, "markers"), QStringList({"3,30"}));
    EXPECT_EQ(StateList(state, "follows").size(), 3);
    const QJsonArray times = state["times"].toArray();
    ASSERT_EQ(times.size(), 3);
    // The first step comes at once, the others on the ticks; the gap holds the marker
    // for one tick. (A late tick does not delay the next: measured from the first.)
    EXPECT_GE(times[1].toDouble() - times[0].toDouble(), 1.8 * kPeriod);
    EXPECT_GE(times[2].toDouble() - times[0].toDouble(), 2.8 * kPeriod);
}

TEST_P(MapPageBehaviour, PlayReplacesTheEarlierTrackAndMarkerAndPauseKeepsTheMarker) {
    ctrl->CallPageFunction("stop");
    Plot({"1,10", "2,20", "3,30", "4,40", "5,50", "6,60"});
    // As held arrow keys do: many plays, each from a second of its own.
    for (int second = 0; second < 150; ++second) {
        ctrl->CallPageFunction("play", {QString::number(second % 3), kSlow});
    }
    QJsonDocument state = State();
    EXPECT_EQ(StateList(state, "lines"), QStringList({"1,10 2,20 3,30 4,40 5,50 6,60"}));
    // The marker shows the first second at once.
    EXPECT_EQ(StateList(state, "markers"), QStringList({"3,30"}));
    ctrl->CallPageFunction("play", {"0", "40"});

    ASSERT_TRUE(WaitFor([] { return StateList(State(), "made").size() >= 2; }));
    ctrl->CallPageFunction("pause");
    const QStringList made = StateList(State(), "made");
    WaitFor([] { return false; }, 200);
    const QJsonDocument paused = State();
    EXPECT_FALSE(paused["timer"].toBool());
    EXPECT_EQ(StateList(paused, "made"), made);
    EXPECT_EQ(StateList(paused, "markers"), QStringList({made.last()}));

    // Resuming from a position shows that position next.
    ctrl->CallPageFunction("play", {"5", "40"});
    ASSERT_TRUE(WaitFor([&] { return StateList(State(), "made").size() > made.size(); }));
    EXPECT_EQ(StateList(State(), "made")[made.size()], "6,60");
}

TEST_P(MapPageBehaviour, StopEmptiesTheMapAndANewTrackShowsAlone) {
    ctrl->CallPageFunction("stop");
    Plot({"1,10", "2,20"});
    ctrl->CallPageFunction("play", {"0", "30"});
    ASSERT_TRUE(WaitFor([] { return !StateList(State(), "markers").isEmpty(); }));
    ctrl->CallPageFunction("stop");
    QJsonDocument state = State();
    EXPECT_TRUE(StateList(state, "lines").isEmpty());
    EXPECT_TRUE(StateList(state, "markers").isEmpty());
    EXPECT_FALSE(state["timer"].toBool());
    EXPECT_EQ(Js(QStringLiteral("%1.length").arg(GetParam().pointsName)).toInt(), 0);

    Plot({"7,70", "8,80"});
    ctrl->CallPageFunction("play", {"0", kSlow});
    EXPECT_EQ(StateList(State(), "lines"), QStringList({"7,70 8,80"}));
}

TEST_P(MapPageBehaviour, PlayFromBeyondThePointsPlacesNoMarker) {
    ctrl->CallPageFunction("stop");
    Plot({"1,10", "2,20"});
    const int before = StateList(State(), "made").size();
    ctrl->CallPageFunction("play", {"2", "20"});
    ASSERT_TRUE(WaitFor([] { return !State()["timer"].toBool(); }));
    EXPECT_EQ(StateList(State(), "made").size(), before);
}

INSTANTIATE_TEST_SUITE_P(Pages, MapPageBehaviour,
                         ::testing::Values(PageKind{156, "#00FF00/0.4/6", "lCoordinateX"},
                                           PageKind{160, "blue/0.5/6", "pathX"}),
                         [](const auto& info) {
                             return info.param.id == 160 ? "Baidu" : "Google";
                         });

// The whole trip on each map page: what the host sends, what the user sees and clicks.
struct TripPageKind {
    const char* name;
    int id;
    const char* trackColour;  // the playing film's lines; the others are muted
    // What is on the map, as a script object: onMap(o), path(line), colour(line),
    // markAt(mark), above(a, b), count() of the trip's overlays, click(o, lat, lng) as the
    // user's click there, inView(lat, lng) after a fit.
    const char* probe;
};

const TripPageKind kTripPages[] = {
    {"Google", 156, "#00FF00", R"({
        onMap: function (o) { return o.map != null; },
        path: function (l) { return l.options.path.map(stubPoint).join(" "); },
        colour: function (l) { return l.options.strokeColor; },
        markAt: function (m) { return stubPoint(m.position); },
        above: function (a, b) { return a.options.zIndex > b.options.zIndex; },
        count: function () {
          return stubLog.lines.concat(stubLog.markers).filter(this.onMap).length;
        },
        click: function (o, lat, lng) {
          google.maps.event.trigger(o, "click", { latLng: new google.maps.LatLng(lat, lng) });
        },
        inView: function (lat, lng) {
          return stubLog.fits.length > 0 &&
              stubLog.fits[stubLog.fits.length - 1].split(" ").indexOf(lat + "," + lng) >= 0;
        }
    })"},
    {"Baidu", 160, "blue", R"({
        onMap: function (o) { return map.overlays.indexOf(o) >= 0; },
        path: function (l) { return l.path.map(stubPoint).join(" "); },
        colour: function (l) { return l.options.strokeColor; },
        markAt: function (m) { return stubPoint(m.position); },
        above: function (a, b) { return map.overlays.indexOf(a) > map.overlays.indexOf(b); },
        count: function () { return map.overlays.length; },
        click: function (o, lat, lng) { stubFire(o, "click", { point: new BMap.Point(lng, lat) }); },
        inView: function (lat, lng) {
          return stubLog.fits.length > 0 &&
              stubLog.fits[stubLog.fits.length - 1].split(" ").indexOf(lat + "," + lng) >= 0;
        }
    })"},
    // Leaflet itself, no stand-in: clicks are the mouse's on the map's canvas.
    {"OpenStreetMap", kOsmPageId, "#1f3cff", R"({
        onMap: function (o) { return map.hasLayer(o); },
        path: function (l) {
          return l.getLatLngs().map(function (p) { return p.lat + "," + p.lng; }).join(" ");
        },
        colour: function (l) { return l.options.color; },
        markAt: function (m) { return m.getLatLng().lat + "," + m.getLatLng().lng; },
        above: function (a, b) {
          var order = [];
          for (var o = tripRenderer._drawFirst; o; o = o.next) order.push(o.layer);
          return order.indexOf(a) > order.indexOf(b);
        },
        count: function () {
          var n = 0;
          map.eachLayer(function (l) { if (l.options.tripFilm !== undefined) n++; });
          return n;
        },
        click: null,
        inView: function (lat, lng) { return map.getBounds().contains([lat, lng]); }
    })"},
};

class TripPage : public MapPageTest, public ::testing::WithParamInterface<TripPageKind> {
protected:
    void SetUp() override {
        MapPageTest::SetUp();
        Load(GetParam().id);
        Js(QStringLiteral("window.probe = %1").arg(GetParam().probe));
    }
    // Per film id: its lines ("path|colour"), then its marks ("@lat,lng"), as on the map.
    static QJsonObject Shown() {
        return QJsonDocument::fromJson(
                   Js("JSON.stringify(Object.keys(trip).reduce(function (out, id) {"
                      "  out[id] = trip[id].lines.filter(probe.onMap).map(function (l) {"
                      "    return probe.path(l) + '|' + probe.colour(l); }).concat("
                      "    trip[id].marks.filter(probe.onMap).map(function (m) {"
                      "      return '@' + probe.markAt(m); }));"
                      "  return out; }, {}))")
                       .toString()
                       .toUtf8())
            .object();
    }
    static QStringList ShownOf(const QJsonObject& shown, const char* id) {
        QStringList texts;
        for (const QJsonValue& v : shown.value(QLatin1String(id)).toArray()) texts << v.toString();
        return texts;
    }
    // Every line of `above` is drawn over every line of `below`.
    static bool Above(const char* above, const char* below) {
        return Js(QStringLiteral("trip['%1'].lines.every(function (a) {"
                                 "  return trip['%2'].lines.every(function (b) {"
                                 "    return probe.above(a, b); }); })")
                      .arg(above, below))
            .toBool();
    }
    // The user clicks at (lat, lng) on `overlay` (a script expression); the link it gives.
    static QList<QVariantList> Click(const QString& overlay, double lat, double lng) {
        QSignalSpy point(ctrl, &MapBrowser::tripPointChosen);
        QSignalSpy event(ctrl, &MapBrowser::tripEventChosen);
        if (GetParam().id == kOsmPageId) {
            const QJsonArray at = QJsonDocument::fromJson(
                                      Js(QStringLiteral("JSON.stringify((function (p) {"
                                                        "  return [p.x, p.y]; })("
                                                        "  map.latLngToContainerPoint([%1, %2])))")
                                             .arg(lat)
                                             .arg(lng))
                                          .toString()
                                          .toUtf8())
                                      .array();
            QTest::mouseClick(ctrl->focusProxy(), Qt::LeftButton, {},
                              QPoint(at[0].toInt(), at[1].toInt()));
        } else {
            Js(QStringLiteral("probe.click(%1, %2, %3)").arg(overlay).arg(lat).arg(lng));
        }
        WaitFor([&] { return point.count() + event.count() > 0; }, 2000);
        QList<QVariantList> links;
        for (const QVariantList& p : point) links << QVariantList{"trip", p[0], p[1]};
        for (const QVariantList& e : event) links << QVariantList{"event", e[0], e[1]};
        return links;
    }
};

TEST_P(TripPage, FilmsAreLinesWithEventMarksThePlayingOneOnTopAndClicksGiveFilmAndSecond) {
    const QString muted = GetParam().id == kOsmPageId ? "#7a7a7a" : "#808080";
    const QString track = GetParam().trackColour;
    // A film with a second without a fix (two runs) and an event at a second without one.
    ctrl->CallPageFunction(
        "trip_add",
        {R"([{"id":1,"points":[[10,1],[10.1,1.1],[10.2,1.2],null,[10.4,1.4]],"events":[2,3]},)"
         R"({"id":2,"points":[[10,1.5],[10.4,1.1]],"events":[]}])"});
    QJsonObject shown = Shown();
    EXPECT_EQ(ShownOf(shown, "1"),
              QStringList({"10,1 10.1,1.1 10.2,1.2|" + muted, "10.4,1.4|" + muted, "@10.2,1.2"}));
    EXPECT_EQ(ShownOf(shown, "2"), QStringList({"10,1.5 10.4,1.1|" + muted}));
    EXPECT_EQ(Js("probe.count()").toInt(), 4);

    // The playing film in the track colour, over the others; then another.
    ctrl->CallPageFunction("trip_highlight", {"1"});
    EXPECT_EQ(ShownOf(Shown(), "1").first(), "10,1 10.1,1.1 10.2,1.2|" + track);
    EXPECT_TRUE(Above("1", "2"));
    ctrl->CallPageFunction("trip_highlight", {"2"});
    shown = Shown();
    EXPECT_EQ(ShownOf(shown, "1").first(), "10,1 10.1,1.1 10.2,1.2|" + muted);
    EXPECT_EQ(ShownOf(shown, "2").first(), "10,1.5 10.4,1.1|" + track);
    EXPECT_TRUE(Above("2", "1"));

    // A new film load empties the single track, never the trip; the fit shows all of it.
    ctrl->CallPageFunction("stop");
    ctrl->CallPageFunction("trip_fit");
    EXPECT_EQ(Shown().keys(), QStringList({"1", "2"}));
    for (const char* at : {"10, 1", "10.4, 1.4", "10, 1.5", "10.4, 1.1"})
        EXPECT_TRUE(Js(QStringLiteral("probe.inView(%1)").arg(at)).toBool()) << at;

    // A click on a line: that film and its second nearest the click; on a mark, its event.
    EXPECT_EQ(Click("trip['1'].lines[0]", 10.09, 1.09), (QList<QVariantList>{{"trip", 1, 1}}));
    EXPECT_EQ(Click("trip['2'].lines[0]", 10.3, 1.2), (QList<QVariantList>{{"trip", 2, 1}}));
    EXPECT_EQ(Click("trip['1'].marks[0]", 10.2, 1.2), (QList<QVariantList>{{"event", 1, 2}}));

    // A film read again replaces its lines; one removed and then all leave the map.
    ctrl->CallPageFunction("trip_add", {R"([{"id":2,"points":[[11,2],[11.1,2.1]],"events":[0]}])"});
    EXPECT_EQ(ShownOf(Shown(), "2"), QStringList({"11,2 11.1,2.1|" + track, "@11,2"}));
    EXPECT_EQ(Js("probe.count()").toInt(), 5);
    ctrl->CallPageFunction("trip_remove", {"1"});
    EXPECT_EQ(Shown().keys(), QStringList({"2"}));
    EXPECT_EQ(Js("probe.count()").toInt(), 2);
    ctrl->CallPageFunction("trip_clear");
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_EQ(Js("probe.count()").toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, TripPage, ::testing::ValuesIn(kTripPages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MapPageTest, GooglePageStartsItsMapAndFollowsTheMarkerByPanning) {
    Load(156);
    const QJsonObject options =
        QJsonDocument::fromJson(Js("JSON.stringify(stubLog.maps[0].options)").toString().toUtf8())
            .object();
    EXPECT_EQ(Js("stubLog.maps.length + ':' + stubLog.maps[0].element").toString(), "1:map_canvas");
    EXPECT_EQ(options["zoom"].toInt(), 16);
    EXPECT_EQ(options["center"].toObject()["lat"].toDouble(), 55.8);
    EXPECT_EQ(options["center"].toObject()["lng"].toDouble(), 37.5);
    for (const char* control : {"panControl", "zoomControl", "mapTypeControl", "scaleControl",
                                "streetViewControl", "overviewMapControl", "rotateControl"}) {
        EXPECT_TRUE(options[control].toBool()) << control;
    }
    EXPECT_EQ(options["mapTypeId"].toString(), "roadmap");
    EXPECT_TRUE(options["disableDoubleClickZoom"].toBool());

    Plot({"1,10"});
    ctrl->CallPageFunction("play", {"0", "20"});
    ASSERT_TRUE(WaitFor([] { return !State()["timer"].toBool(); }));
    EXPECT_EQ(StateList(State(), "follows"), QStringList({"1,10"}));
}

TEST_F(MapPageTest, GooglePageWithoutItsMapDropsPointsAndEveryCallDoesNothing) {
    maptest::SetStandInsServed(false);
    Load(156);
    EXPECT_EQ(Js("inited").toInt(), 0);
    Plot({"1,10", "2,20"});
    for (const char* call : {"play", "pause", "stop"}) {
        ctrl->CallPageFunction(call,
                               QString(call) == "play" ? QStringList{"0", "20"} : QStringList{});
    }
    EXPECT_EQ(Js("lCoordinateX.length").toInt(), 0);
    EXPECT_EQ(Js("typeof google").toString(), "undefined");
}

TEST_F(MapPageTest, BaiduPageUsesTheSpriteIconAndRecentresAtTheCurrentZoom) {
    Load(160);
    EXPECT_EQ(Js("stubLog.maps[0].element").toString(), "container");
    EXPECT_EQ(
        Js("JSON.stringify(stubLog.icons[0])").toString(),
        R"({"url":"https://api.map.baidu.com/img/markers.png","size":{"width":23,"height":25},)"
        R"("options":{"anchor":{"width":10,"height":25},"imageOffset":{"width":0,"height":-275}}})");
    EXPECT_EQ(Js("stubLog.follows[0]").toString(), "39.950507,116.411053@10");
    EXPECT_EQ(Js("JSON.stringify(stubLog.maps[0].controls)").toString(),
              R"([{"options":{"type":"large"}}])");
    EXPECT_TRUE(Js("stubLog.maps[0].wheel && stubLog.maps[0].keyboard").toBool());
    EXPECT_TRUE(
        Js("stubLog.markers[0].options.enableDragging && stubLog.markers[0].options.raiseOnDrag")
            .toBool());

    Js("stubLog.maps[0].zoom = 13");
    Plot({"1,10"});
    ctrl->CallPageFunction("play", {"0", "20"});
    ASSERT_TRUE(WaitFor([] { return !State()["timer"].toBool(); }));
    EXPECT_EQ(StateList(State(), "follows"), QStringList({"1,10@13"}));
    EXPECT_TRUE(Js("stubLog.markers[1].options.icon === myIcon").toBool());
}

TEST_F(MapPageTest, EveryPageIsServedByIdWithItsProviderScriptBeforeTheErrorHandler) {
    struct Case {
        int id;
        const char* script;
        const char* element;
    };
    const Case cases[] = {
        {156, "https://maps.googleapis.com/maps/api/js?v=3.1&sensor=false&language=en",
         "map_canvas"},
        {157, "https://maps.googleapis.com/maps/api/js?v=3.1&sensor=false&language=ru",
         "map_canvas"},
        {158, "https://maps.googleapis.com/maps/api/js?v=3.1&sensor=false&language=zh-CN",
         "map_canvas"},
        {159, "https://maps.googleapis.com/maps/api/js?v=3.1&sensor=false&language=zh-TW",
         "map_canvas"},
        {176, "https://maps.googleapis.com/maps/api/js?v=3.1&sensor=false&language=fr",
         "map_canvas"},
        {160, "https://api.map.baidu.com/api?v=1.3", "container"},
    };
    for (const Case& c : cases) {
        Load(c.id);
        EXPECT_EQ(maptest::ProviderRequests().last(), c.script) << c.id;
        EXPECT_EQ(Js("document.scripts.length + ' ' + document.scripts[0].src").toString(),
                  QStringLiteral("3 ") + c.script);
        EXPECT_TRUE(
            Js("/killErrors/.test(document.scripts[1].text) && window.onerror === killErrors")
                .toBool());
        EXPECT_EQ(
            Js(QStringLiteral("document.getElementById('%1') !== null").arg(c.element)).toBool(),
            true);
        EXPECT_EQ(Js("document.querySelector('meta[name=viewport]').content").toString(),
                  "initial-scale=1.0, user-scalable=no");
        // The map pages are UTF-8 with a byte-order mark.
        QFile file(QStringLiteral(":/map/pages/") + FindMapPage(c.id)->resource);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().startsWith("\xEF\xBB\xBF")) << c.id;
    }
    EXPECT_EQ(Js("document.title").toString(), "Hello, World");
}

TEST_F(MapPageTest, OfflinePageShowsItsMessageAndALinkToOpenStreetMapAndHasNoScript) {
    Load(kOfflinePageId);
    EXPECT_EQ(Js("document.querySelector('font').innerText").toString(),
              "ERROR: Website cannot be accessed.Check your internet connection!");
    EXPECT_EQ(Js("document.getElementById('osm').getAttribute('href')").toString(), "app:osm");
    EXPECT_EQ(Js("document.scripts.length").toInt(), 0);
    EXPECT_EQ(Js("getComputedStyle(document.querySelector('font')).color").toString(),
              "rgb(255, 0, 0)");
    QFile file(QStringLiteral(":/map/pages/") + FindMapPage(kOfflinePageId)->resource);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    for (char c : file.readAll()) EXPECT_LT(static_cast<unsigned char>(c), 0x80);
    EXPECT_FALSE(ctrl->CallPageFunction("stop"));
}

TEST_F(MapPageTest, AnUnknownIdIsNotServed) {
    QSignalSpy ready(ctrl, &BrowserView::pageReady);
    ctrl->Navigate(QUrl("res://tesmira/155"));
    WaitFor([] { return false; }, 500);
    EXPECT_EQ(ready.count(), 0);
    EXPECT_FALSE(ctrl->CallPageFunction("stop"));
}

}  // namespace
}  // namespace tesmira
