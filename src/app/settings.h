#pragma once

#include <string>

namespace tesmira {

// The user's three choices in DataFolder() + "setting.ini", section "Setting".
// Every call first makes sure the file exists (EnsureSettingsFile). Reads go through
// the profile cache (app/ini_profile.h): a read costs two stats while the file is
// unchanged, and always reflects the last write, ours or anybody's.
// All text is UTF-8. Call from the UI thread.

// DataFolder() + "setting.ini"; empty while DataFolder() is empty, and then reads give
// their defaults and writes fail.
std::string SettingsPath();

// Writes the built-in default file when no file exists at SettingsPath().
// True when a file is there afterwards.
bool EnsureSettingsFile();

std::string ReadLanguage();  // "Language", default "en"
std::string ReadUnit();      // "Unit", default "KMH"; callers compare exactly with "KMH"/"MPH"

// "Map", default "google": "baidu" sets MapProvider() to 1, "google" to 0, any other
// value leaves it as it was. Returns the value read.
std::string ReadMap();

// Each sets its key; false when the file could not be written (it is then unchanged).
bool WriteMap(const std::string& value);       // "google" or "baidu"
bool WriteUnit(const std::string& value);      // "KMH" or "MPH"
bool WriteLanguage(const std::string& value);  // done by ApplyLanguage

// The map choice in memory: 0 Google, 1 Baidu; 0 at start.
int MapProvider();
void SetMapProvider(int provider);

inline constexpr int kMapGoogle = 0;
inline constexpr int kMapBaidu = 1;

}  // namespace tesmira
