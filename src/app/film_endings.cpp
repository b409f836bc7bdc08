#include "app/film_endings.h"

namespace tesmira {

bool HasAcceptedEnding(std::string_view path) {
    if (path.size() < 3) return false;
    const std::string_view end = path.substr(path.size() - 3);
    for (const char* accepted : {"MOV", "mov", "mp4", "MP4", "avi", "AVI"})
        if (end == accepted) return true;
    return false;
}

}  // namespace tesmira
