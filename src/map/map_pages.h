#pragma once
// The map pages the pane can show, one table entry each: which provider and
// language choose a page, which file of the resources holds it, and which
// address the reachability check asks before it is shown. Qt-free.

#include <string>
#include <string_view>

namespace tesmira {

inline constexpr int kOfflinePageId = 161;
// The OpenStreetMap page (MapProvider 2): Leaflet inside, tiles from a template.
inline constexpr int kOsmPageId = 180;
// MapProvider value of an entry that no provider choice selects.
inline constexpr int kNoMapProvider = -1;

struct MapPageEntry {
    int id;
    int provider;          // MapProvider value choosing the page
    const char* language;  // language code choosing it; nullptr: any other code
    const char* resource;  // file name below the pages' resource folder
    // What the check asks before the page is shown: host and path with query.
    // nullptr host: no check. Such a page of a provider is always shown; the
    // offline page (no provider) is never loaded by LoadMapPage.
    const char* checkHost;
    const char* checkPath;
    // False for a page whose script defines none of the page functions.
    bool hasPageFunctions;
};

// nullptr for an id of no page.
const MapPageEntry* FindMapPage(int id);

// The page shown for a provider and a language code (exact, case-sensitive):
// the provider's page for that code, else its page for any code; 0 when the
// provider has no page.
int MapPageIdFor(int provider, std::string_view language);

// The check address of a page before it is normalised; `host` replaces the
// entry's host when not empty (tests). Empty for a page without a check.
std::string CheckUrlFor(const MapPageEntry& page, std::string_view host = {});

// As the check treats an address: lower case, and "http://" put in front when
// it contains no "http://".
std::string NormalizeCheckUrl(std::string url);

}  // namespace tesmira
