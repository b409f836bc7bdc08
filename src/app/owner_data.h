#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tesmira {

// Data files built into the executable (src/app/resources), found by id.
inline constexpr int kDefaultSettingsResource = 150;
inline constexpr int kLanguageEnglishResource = 149;
inline constexpr int kLanguageZhCnResource = 148;
inline constexpr int kLanguageZhTwResource = 154;
inline constexpr int kLanguageRussianResource = 155;
inline constexpr int kLanguageFrenchResource = 177;

// The bytes of resource `id`, or nullopt when there is none.
std::optional<std::string_view> FindOwnerData(int id);

// Replaces the file at `path` with the bytes of resource `id` (atomically). True when
// the resource exists, even if the file could not be written.
bool WriteResourceToFile(int id, const std::string& path);

namespace detail {
struct OwnerDataEntry {
    int id;
    const unsigned char* bytes;
    size_t size;
};
extern const OwnerDataEntry kOwnerData[];
extern const size_t kOwnerDataCount;
}  // namespace detail

}  // namespace tesmira
