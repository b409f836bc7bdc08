#pragma once
// The map pane: a browser control below a 45-pixel band, showing the map page
// of the chosen provider and language once the provider has answered, or the
// offline page when it has not.

#include <QWidget>
#include <map>
#include <string>

#include "map/map_browser.h"
#include "map/map_page.h"
#include "map/reachability_check.h"

namespace tesmira {

struct MapPageEntry;

class MapPane : public QWidget, public MapPage {
    Q_OBJECT
public:
    // Provider host -> host:port the check asks instead (tests only).
    using CheckHosts = std::map<std::string, std::string>;
    static constexpr int kBandHeight = 45;
    static constexpr int kPlaceholderId = 1007;

    // Creates the browser control and starts loading the page that the
    // settings' provider and language choose (ApplyLanguage("") runs first).
    explicit MapPane(QWidget* parent = nullptr, CheckHosts checkHosts = {});
    ~MapPane() override;

    // Checks the page's provider, then shows page `id` or the offline page.
    // Returns at once; a newer call replaces a check still running. Calls to
    // the page made meanwhile are kept for whichever page is then shown. An
    // id of no provider does nothing. A page without a check (OpenStreetMap)
    // is shown at once, given the settings' "TileUrl" when there is one and the
    // map can fill it (else the default tiles, the reason on standard error).
    // A Google or Baidu page gets the settings' key for its provider.
    void LoadMapPage(int id);

    // MapPage: UTF-8 texts, see BrowserView::CallPageFunction.
    bool CallPageFunction(const std::string& name,
                          const std::vector<std::string>& args = {}) override;

    MapBrowser& Browser() { return browser_; }
    // The page last asked of the browser (0 before the first check ended).
    int ShownPageId() const { return shownPageId_; }

public slots:
    // The browser control's "app:ok".
    void accept();
    // The browser control's "app:<settings value of a provider>" (the offline
    // page's link); other values do nothing.
    void chooseMap(const QString& settingsValue);

signals:
    void accepted();
    // The user asked for the provider's map from within a page.
    void mapChosen(int provider);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnInitialUpdate();
    void PlaceBrowser();
    static std::string UsableTileUrl();
    // The settings' API key for the page's provider ("GoogleKey", "BaiduKey").
    static std::string ApiKeyFor(const MapPageEntry& page);

    MapBrowser browser_;
    ReachabilityCheck check_;
    CheckHosts checkHosts_;
    int shownPageId_ = 0;
};

}  // namespace tesmira
