#include "map/map_pages.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "app/map_providers.h"

namespace tesmira {
namespace {

constexpr std::array kPages = {
    MapPageEntry{156, kMapGoogle, nullptr, "google_en.html", true},
    MapPageEntry{157, kMapGoogle, "ru", "google_ru.html", true},
    MapPageEntry{158, kMapGoogle, "zh-CN", "google_zh-CN.html", true},
    MapPageEntry{159, kMapGoogle, "zh-TW", "google_zh-TW.html", true},
    MapPageEntry{176, kMapGoogle, "fr", "google_fr.html", true},
    MapPageEntry{160, kMapBaidu, nullptr, "baidu_map.html", true},
    MapPageEntry{kOsmPageId, kMapOsm, nullptr, "osm_map.html", true},
    MapPageEntry{kOfflinePageId, kNoMapProvider, nullptr, "offline.html", false},
};

// Each keyed provider's script address as its pages write it, up to the query.
struct ProviderScript {
    int provider;
    const char* address;
    const char* keyParameter;
};
constexpr ProviderScript kProviderScripts[] = {
    {kMapGoogle, "src=\"https://maps.googleapis.com/maps/api/js?", "key"},
    {kMapBaidu, "src=\"https://api.map.baidu.com/api?", "ak"},
};

const ProviderScript* ScriptOf(const MapPageEntry& page) {
    for (const ProviderScript& script : kProviderScripts)
        if (script.provider == page.provider) return &script;
    return nullptr;
}

}  // namespace

const char* KeyParameterFor(const MapPageEntry& page) {
    const ProviderScript* script = ScriptOf(page);
    return script == nullptr ? nullptr : script->keyParameter;
}

std::string EscapeQueryValue(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        }
    }
    return out;
}

std::string PageWithKey(std::string page, const MapPageEntry& entry, std::string_view key) {
    const ProviderScript* script = ScriptOf(entry);
    if (key.empty() || script == nullptr) return page;
    const std::size_t at = page.find(script->address);
    if (at == std::string::npos) return page;
    // "&amp;": the address stands in an HTML attribute.
    page.insert(at + std::strlen(script->address),
                std::string(script->keyParameter) + "=" + EscapeQueryValue(key) + "&amp;");
    return page;
}

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

const char* CheckHostFor(const MapPageEntry& page) {
    const MapProviderEntry* provider = FindMapProvider(page.provider);
    return provider == nullptr ? nullptr : provider->checkHost;
}

std::string CheckUrlFor(const MapPageEntry& page, std::string_view host) {
    const MapProviderEntry* provider = FindMapProvider(page.provider);
    if (provider == nullptr || provider->checkHost == nullptr) return {};
    std::string url = "http://";
    url += host.empty() ? std::string_view(provider->checkHost) : host;
    url += provider->checkPath;
    return url;
}

std::string UnknownTilePlaceholder(std::string_view tileTemplate) {
    const auto isKeyChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-' || c == ' ';
    };
    constexpr std::string_view kFilled[] = {"x", "y", "z", "s", "r", "-y"};
    for (std::size_t open = tileTemplate.find('{'); open != std::string_view::npos;
         open = tileTemplate.find('{', open + 1)) {
        const std::size_t close = tileTemplate.find('}', open);
        if (close == std::string_view::npos) break;
        std::string_view key = tileTemplate.substr(open + 1, close - open - 1);
        if (key.empty() || !std::all_of(key.begin(), key.end(), isKeyChar)) continue;
        key.remove_prefix(std::min(key.find_first_not_of(' '), key.size()));
        if (!key.empty() &&
            std::find(std::begin(kFilled), std::end(kFilled), key) != std::end(kFilled))
            continue;
        return std::string(tileTemplate.substr(open, close - open + 1));
    }
    return {};
}

bool TileTemplateReadsFiles(std::string_view tileTemplate) {
    constexpr std::string_view kFile = "file:";
    if (tileTemplate.size() < kFile.size()) return false;
    for (std::size_t i = 0; i < kFile.size(); ++i) {
        const char c = tileTemplate[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kFile[i]) return false;
    }
    return true;
}

std::string NormalizeCheckUrl(std::string url) {
    std::transform(url.begin(), url.end(), url.begin(), [](unsigned char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    });
    if (url.find("http://") == std::string::npos) url.insert(0, "http://");
    return url;
}

}  // namespace tesmira
