#include "app/owner_data.h"

#include "app/atomic_file.h"

namespace tesmira {

std::optional<std::string_view> FindOwnerData(int id) {
    for (size_t i = 0; i < detail::kOwnerDataCount; ++i) {
        const auto& entry = detail::kOwnerData[i];
        if (entry.id == id)
            return std::string_view(reinterpret_cast<const char*>(entry.bytes), entry.size);
    }
    return std::nullopt;
}

bool WriteResourceToFile(int id, const std::string& path) {
    const auto bytes = FindOwnerData(id);
    if (!bytes) return false;
    WriteFileAtomically(path, *bytes);
    return true;
}

}  // namespace tesmira
