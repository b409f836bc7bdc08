#include "map/map_pages.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tesmira {
namespace {

constexpr int kGoogle = 0;
constexpr int kBaidu = 1;
constexpr int kOsm = 2;

constexpr char kGoogleHost[] = "maps.googleapis.com";
// The check always asks for English; the key is a placeholder of the right
// length, the endpoint answers without a valid one.
constexpr char kGoogleCheck[] =
    "/maps/api/js?&key=TESMIRA0PLACEHOLDER0NOT0A0REAL0API0KEY0&sensor=false&language=en";
constexpr char kBaiduHost[] = "api.map.baidu.com";
constexpr char kBaiduCheck[] = "/api?v=1.3";

constexpr std::array kPages = {
    MapPageEntry{156, kGoogle, nullptr, "google_en.html", kGoogleHost, kGoogleCheck, true},
    MapPageEntry{157, kGoogle, "ru", "google_ru.html", kGoogleHost, kGoogleCheck, true},
    MapPageEntry{158, kGoogle, "zh-CN", "google_zh-CN.html", kGoogleHost, kGoogleCheck, true},
    MapPageEntry{159, kGoogle, "zh-TW", "google_zh-TW.html", kGoogleHost, kGoogleCheck, true},
    MapPageEntry{176, kGoogle, "fr", "google_fr.html", kGoogleHost, kGoogleCheck, true},
    MapPageEntry{160, kBaidu, nullptr, "baidu_map.html", kBaiduHost, kBaiduCheck, true},
    // Its script is inside it and its tiles may come from anywhere: nothing to check.
    MapPageEntry{kOsmPageId, kOsm, nullptr, "osm_map.html", nullptr, nullptr, true},
    MapPageEntry{kOfflinePageId, kNoMapProvider, nullptr, "offline.html", nullptr, nullptr, false},
};

}  // namespace

const MapPageEntry* FindMapPage(int id) {
    auto it = std::find_if(kPages.begin(), kPages.end(),
                           [id](const MapPageEntry& page) { return page.id == id; });
    return it == kPages.end() ? nullptr : &*it;
}

int MapPageIdFor(int provider, std::string_view language) {
    if (provider == kNoMapProvider) return 0;
    int fallback = 0;
    for (const MapPageEntry& page : kPages) {
        if (page.provider != provider) continue;
        if (page.language == nullptr) {
            if (fallback == 0) fallback = page.id;
        } else if (language == page.language) {
            return page.id;
        }
    }
    return fallback;
}

std::string CheckUrlFor(const MapPageEntry& page, std::string_view host) {
    if (page.checkHost == nullptr) return {};
    std::string url = "http://";
    url += host.empty() ? std::string_view(page.checkHost) : host;
    url += page.checkPath;
    return url;
}

std::string NormalizeCheckUrl(std::string url) {
    std::transform(url.begin(), url.end(), url.begin(), [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    });
    if (url.find("http://") == std::string::npos) url.insert(0, "http://");
    return url;
}

}  // namespace tesmira
