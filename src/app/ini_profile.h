#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tesmira {

// Reading and writing single values of INI files on disk (rules: app/ini_document.h).
// Text is UTF-8 on this side. Parsed files are cached per path and re-read only when
// the file's identity, size or modification time changes, so repeated reads (the
// 100 ms refresh path) cost one stat. Safe to call from any thread.

// The value, or `defaultValue` when the file, section or key is missing.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

// Several values of one section from a single look at the file, in the order of
// `keys`; an empty text for each one missing.
std::vector<std::string> ReadProfileStrings(const std::string& path, std::string_view section,
                                            const std::vector<std::string>& keys);

// Sets the value and replaces the file atomically (app/atomic_file.h). A missing file
// is created as UTF-16 little-endian with its mark. False when the write failed or was
// refused (see IniDocument::Set); the file is then unchanged.
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Several values of one section set with a single replacement of the file: all of
// them or, when one is refused or the write fails, none.
bool WriteProfileStrings(const std::string& path, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& values);

// Drops every cached file (tests that change files behind the cache's back).
void ClearProfileCache();

}  // namespace tesmira
