#pragma once
// The map providers the player knows, one row each: the MapProvider value, the
// settings file's "Map" value, the View > Maps command with its language key,
// and the address the reachability check asks before a page of the provider is
// shown. Every place that goes from one of these to another reads this table.
// Qt-free.

#include <string_view>

namespace tesmira {

// Values of MapProvider.
inline constexpr int kMapGoogle = 0;
inline constexpr int kMapBaidu = 1;
inline constexpr int kMapOsm = 2;

struct MapProviderEntry {
    int provider;
    const char* settingsValue;
    int menuCommand;
    const char* menuKey;  // language file key of the menu item
    // The item's text before re-texting, and also after it when the language file
    // lacks the key; nullptr: the language file's "Not found" then.
    const char* menuText;
    const char* keptMenuText;
    // Host, and path with query, of the check; nullptr host: the provider's pages
    // need no network for their script and are shown without a check.
    const char* checkHost;
    const char* checkPath;
};

inline constexpr MapProviderEntry kMapProviders[] = {
    // The check always asks for English; the key is a placeholder of the right
    // length, the endpoint answers without a valid one.
    {kMapGoogle, "google", 32787, "IDS_MENU_VIEW_MAP_GOOGLE", "Google Maps", nullptr,
     "maps.googleapis.com",
     "/maps/api/js?&key=TESMIRA0PLACEHOLDER0NOT0A0REAL0API0KEY0&sensor=false&language=en"},
    {kMapBaidu, "baidu", 32788, "IDS_MENU_VIEW_MAP_BAIDU", "Baidu Maps", nullptr,
     "api.map.baidu.com", "/api?v=1.3"},
    // Its script is inside the page and its tiles may come from anywhere.
    {kMapOsm, "osm", 32794, "IDS_MENU_VIEW_MAP_OSM", "OpenStreetMap", "OpenStreetMap", nullptr,
     nullptr},
};

// Rows in the order of their MapProvider values.
static_assert(kMapProviders[kMapGoogle].provider == kMapGoogle &&
              kMapProviders[kMapBaidu].provider == kMapBaidu &&
              kMapProviders[kMapOsm].provider == kMapOsm);

// nullptr when no row matches.
inline const MapProviderEntry* FindMapProvider(int provider) {
    for (const MapProviderEntry& entry : kMapProviders)
        if (entry.provider == provider) return &entry;
    return nullptr;
}
inline const MapProviderEntry* MapProviderForCommand(int command) {
    for (const MapProviderEntry& entry : kMapProviders)
        if (entry.menuCommand == command) return &entry;
    return nullptr;
}
// Exact and case-sensitive, as the settings value is compared.
inline const MapProviderEntry* MapProviderForSetting(std::string_view value) {
    for (const MapProviderEntry& entry : kMapProviders)
        if (value == entry.settingsValue) return &entry;
    return nullptr;
}

}  // namespace tesmira
