#pragma once
// Texts of a film list row that come from the file itself, without Qt.

#include <cstdint>
#include <string>
#include <string_view>

namespace tesmira {

// The "MB" column: whole mebibytes, rounded down ("0" for 1,048,575 bytes).
std::string MegabyteText(std::uint64_t bytes);

// The "Name" column and a row's identity for duplicates: the text after the last
// "/", empty when the path has no "/" after its first character.
std::string FilmNameOf(std::string_view path);

}  // namespace tesmira
