#include "map/map_pane.h"

#include <QLabel>
#include <cstdio>

#include "app/language_pack.h"
#include "app/map_providers.h"
#include "app/retext.h"
#include "app/settings.h"
#include "map/map_page_scheme.h"
#include "map/map_pages.h"

namespace tesmira {

MapPane::MapPane(QWidget* parent, CheckHosts checkHosts)
    : QWidget(parent), checkHosts_(std::move(checkHosts)) {
    // The placeholder only fixes where the browser is first put.
    auto* placeholder = new QLabel(QStringLiteral("Static"), this);
    placeholder->setProperty(kControlIdProperty, kPlaceholderId);
    placeholder->setGeometry(2, 3, 59, 55);
    OnInitialUpdate();
}

MapPane::~MapPane() {
    // The browser is a member: take it out of Qt's ownership before it is destroyed.
    browser_.setParent(nullptr);
}

void MapPane::OnInitialUpdate() {
    browser_.CreateOverPlaceholder(kPlaceholderId, this);
    ApplyLanguage("");
    const int id = MapPageIdFor(MapProvider(), ReadLanguage());
    if (id != 0) LoadMapPage(id);
    PlaceBrowser();
}

void MapPane::LoadMapPage(int id) {
    const MapPageEntry* page = FindMapPage(id);
    if (page == nullptr || page->provider == kNoMapProvider) return;
    const char* checkHost = CheckHostFor(*page);
    if (checkHost == nullptr) {
        // A page that draws without a network is shown at once, with the
        // user's tile template when the settings name one.
        check_.Cancel();
        shownPageId_ = id;
        const std::string tiles = UsableTileUrl();
        browser_.Navigate(MapPageUrl(id, QString::fromStdString(tiles)), page->hasPageFunctions);
        return;
    }
    const auto host = checkHosts_.find(checkHost);
    const std::string url =
        CheckUrlFor(*page, host == checkHosts_.end() ? std::string() : host->second);
    browser_.ExpectPage();
    check_.Start(QString::fromStdString(url), [this, id](bool reachable) {
        shownPageId_ = reachable ? id : kOfflinePageId;
        const MapPageEntry* shown = FindMapPage(shownPageId_);
        browser_.Navigate(MapPageUrl(shownPageId_, {}, QString::fromStdString(ApiKeyFor(*shown))),
                          shown->hasPageFunctions);
    });
}

std::string MapPane::ApiKeyFor(const MapPageEntry& page) {
    if (KeyParameterFor(page) == nullptr) return {};
    return page.provider == kMapBaidu ? ReadBaiduKey() : ReadGoogleKey();
}

std::string MapPane::UsableTileUrl() {
    std::string tiles = ReadTileUrl();
    const std::string unknown = UnknownTilePlaceholder(tiles);
    if (!unknown.empty()) {
        // The map would fail on its first tile and draw no track at all.
        std::fprintf(stderr,
                     "tesmira: TileUrl \"%s\" has the placeholder %s, which the map cannot fill; "
                     "showing the OpenStreetMap tiles instead\n",
                     tiles.c_str(), unknown.c_str());
        tiles.clear();
    }
    return tiles;
}

void MapPane::chooseMap(const QString& settingsValue) {
    if (const MapProviderEntry* entry = MapProviderForSetting(settingsValue.toStdString()))
        emit mapChosen(entry->provider);
}

bool MapPane::CallPageFunction(const std::string& name, const std::vector<std::string>& args) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(args.size()));
    for (const std::string& arg : args) texts.append(QString::fromStdString(arg));
    return browser_.CallPageFunction(QString::fromStdString(name), texts);
}

void MapPane::accept() {
    emit accepted();
}

void MapPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceBrowser();
}

void MapPane::PlaceBrowser() {
    browser_.setGeometry(0, kBandHeight, width(), std::max(0, height() - kBandHeight));
}

}  // namespace tesmira
