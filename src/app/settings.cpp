#include "app/settings.h"

#include <sys/stat.h>

#include <atomic>
#include <charconv>
#include <cmath>

#include "app/app_paths.h"
#include "app/ini_profile.h"
#include "app/owner_data.h"
#include "extract/g_events.h"

namespace tesmira {
namespace {

constexpr const char* kSection = "Setting";
std::atomic<int> mapProvider{kMapGoogle};

std::string readSetting(const char* key, const char* defaultValue) {
    EnsureSettingsFile();
    return ReadProfileString(SettingsPath(), kSection, key, defaultValue);
}

bool writeSetting(const char* key, const std::string& value) {
    EnsureSettingsFile();
    return WriteProfileString(SettingsPath(), kSection, key, value);
}

}  // namespace

std::string SettingsPath() {
    // Without a data folder there is no settings file: never one in the working folder.
    return DataFolder().empty() ? std::string() : DataFolder() + "setting.ini";
}

bool EnsureSettingsFile() {
    const std::string path = SettingsPath();
    if (path.empty()) return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return true;
    WriteResourceToFile(kDefaultSettingsResource, path);
    return ::lstat(path.c_str(), &st) == 0;
}

std::string ReadLanguage() {
    return readSetting("Language", "en");
}

std::string ReadUnit() {
    return readSetting("Unit", "KMH");
}

std::string ReadMap() {
    const std::string value = readSetting("Map", "google");
    if (const MapProviderEntry* entry = MapProviderForSetting(value)) mapProvider = entry->provider;
    return value;
}

std::string ReadTileUrl() {
    return readSetting("TileUrl", "");
}

std::string ReadGoogleKey() {
    return readSetting("GoogleKey", "");
}

std::string ReadBaiduKey() {
    return readSetting("BaiduKey", "");
}

namespace {

double eventGFromText(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !(value > 0) || !std::isfinite(value))
        return kDefaultEventG;
    return value;
}

}  // namespace

double ReadEventG() {
    return eventGFromText(readSetting("EventG", ""));
}

double PeekEventG(const std::string& settingsPath) {
    return eventGFromText(ReadProfileString(settingsPath, kSection, "EventG", ""));
}

std::string ReadSetting(const std::string& key) {
    return readSetting(key.c_str(), "");
}

std::vector<std::string> ReadSettings(const std::vector<std::string>& keys) {
    EnsureSettingsFile();
    return ReadProfileStrings(SettingsPath(), kSection, keys);
}

bool WriteSettings(const std::vector<std::pair<std::string, std::string>>& values) {
    EnsureSettingsFile();
    return WriteProfileStrings(SettingsPath(), kSection, values);
}

bool ReadWholeTrip() {
    return readSetting("WholeTrip", "0") == "1";
}

bool WriteWholeTrip(bool shown) {
    return writeSetting("WholeTrip", shown ? "1" : "0");
}

bool WriteMap(const std::string& value) {
    return writeSetting("Map", value);
}

bool WriteUnit(const std::string& value) {
    return writeSetting("Unit", value);
}

bool WriteLanguage(const std::string& value) {
    return writeSetting("Language", value);
}

int MapProvider() {
    return mapProvider;
}

void SetMapProvider(int provider) {
    mapProvider = provider;
}

}  // namespace tesmira
