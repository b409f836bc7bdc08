#pragma once

#include <string>
#include <vector>

namespace tesmira {

// Language files: UTF-16 INI files in DataFolder() + "Language", each naming its code
// in "Setting"/"Language" and holding the interface texts in "String". Five are built
// in and written out when the chosen code matches no file in the folder. Language
// codes are compared exactly (case-sensitive). All text is UTF-8. Call from the UI
// thread.

// DataFolder() + "Language"; empty while DataFolder() is empty (nothing is written then).
std::string LanguageFolder();

// The language files of the folder in the order ApplyLanguage visits them: regular
// files whose name ends in ".ini" (any letter case), sorted by name in byte order, so
// that when two files declare the same code the one with the greater name wins.
std::vector<std::string> EnumerateLanguageFiles();

// Chooses the current language file for `code` (empty: the settings' "Language", or
// "English" when the key is missing), sets MapProvider() from the settings, writes the
// built-in files when no file declares the code, and stores the code finally chosen in
// the settings. Returns that code ("en" when the code matched nothing, built-in or not).
std::string ApplyLanguage(const std::string& code);

// The file every lookup reads; empty before the first ApplyLanguage.
const std::string& CurrentLanguageFile();

// "String" text for menus: `missingText` ("Not found") when missing; the two characters
// "\n" become a line break.
std::string UiText(const std::string& key, const std::string& missingText = "Not found");

// "String" text for windows: empty when missing, taken as written.
std::string WindowText(const std::string& key);

}  // namespace tesmira
