#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/map_providers.h"

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

// "Map", default "google": a provider's settings value (app/map_providers.h) sets
// MapProvider() to that provider, any other value leaves it as it was. Returns the value read.
std::string ReadMap();

// "TileUrl": the user's own tile address template for the OpenStreetMap page
// ({z}, {x}, {y} filled in by the page); empty when the key is missing, and the
// page then uses its default. Not in the default file.
std::string ReadTileUrl();

// "GoogleKey", "BaiduKey": the user's API keys for the providers' map scripts;
// empty when the key is missing (the script is then asked for without one).
// Not in the default file.
std::string ReadGoogleKey();
std::string ReadBaiduKey();

// "EventG": the G-sensor change, in g between two records, that marks an event;
// kDefaultEventG when the key is missing or not a positive number. Not in the
// default file.
double ReadEventG();
// The same from the settings file at that path, for a job that runs before the data
// folder is set up (the command-line export): a missing file is never made.
double PeekEventG(const std::string& settingsPath);

// Any other key of the section, for the window's memory (mainwnd/window_memory.h): empty
// when missing. None of those keys is in the default file.
std::string ReadSetting(const std::string& key);
// Several of them from one look at the file, in the order of `keys`.
std::vector<std::string> ReadSettings(const std::vector<std::string>& keys);
// Sets several keys with one replacement of the file: all or, on failure, none.
bool WriteSettings(const std::vector<std::pair<std::string, std::string>>& values);

// "WholeTrip": "1" when the map shows every listed film's track, anything else (or a
// missing key) when it does not. Not in the default file.
bool ReadWholeTrip();

// Each sets its key; false when the file could not be written (it is then unchanged).
bool WriteMap(const std::string& value);       // a provider's settings value
bool WriteUnit(const std::string& value);      // "KMH" or "MPH"
bool WriteLanguage(const std::string& value);  // done by ApplyLanguage
bool WriteWholeTrip(bool shown);

// The map choice in memory: 0 Google, 1 Baidu, 2 OpenStreetMap; 0 at start.
int MapProvider();
void SetMapProvider(int provider);

}  // namespace tesmira
