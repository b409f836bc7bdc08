#pragma once
// The map pages the pane can show, one table entry each: which provider and
// language choose a page and which file of the resources holds it; the check
// before it is shown is its provider's (app/map_providers.h). Qt-free.

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
    // False for a page whose script defines none of the page functions.
    bool hasPageFunctions;
};

// nullptr for an id of no page.
const MapPageEntry* FindMapPage(int id);

// The check host of the page's provider (app/map_providers.h); nullptr when the
// page is shown without a check. The offline page (no provider) is never loaded
// by LoadMapPage.
const char* CheckHostFor(const MapPageEntry& page);

// The page shown for a provider and a language code (exact, case-sensitive):
// the provider's page for that code, else its page for any code; 0 when the
// provider has no page.
int MapPageIdFor(int provider, std::string_view language);

// The check address of a page before it is normalised; `host` replaces the
// entry's host when not empty (tests). Empty for a page without a check.
std::string CheckUrlFor(const MapPageEntry& page, std::string_view host = {});

// The first placeholder of an OpenStreetMap tile template that the page's map
// cannot fill ("{apikey}"); empty when it fills them all ({z}, {x}, {y}, {-y},
// {s}, {r}). Written as the map finds them: braces round letters, digits, "_",
// "-" and blanks, blanks after the brace skipped.
std::string UnknownTilePlaceholder(std::string_view tileTemplate);

// True for a template of tiles in local files ("file:" in any case), the only
// kind of page that may read them.
bool TileTemplateReadsFiles(std::string_view tileTemplate);

// The query parameter of the page's provider script address that carries an
// API key ("key" for Google, "ak" for Baidu); nullptr for a page without one.
const char* KeyParameterFor(const MapPageEntry& page);

// The page text with `key` as the first query parameter of its provider
// script's address, escaped for a URL query (and so for the HTML attribute);
// unchanged when the key is empty or the page takes none.
std::string PageWithKey(std::string page, const MapPageEntry& entry, std::string_view key);

// Percent-coding of every byte but A-Z, a-z, 0-9, "-", ".", "_" and "~".
std::string EscapeQueryValue(std::string_view value);

// As the check treats an address: lower case, and "http://" put in front when
// it contains no "http://".
std::string NormalizeCheckUrl(std::string url);

}  // namespace tesmira
