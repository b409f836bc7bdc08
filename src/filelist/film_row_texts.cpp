#include "filelist/film_row_texts.h"

namespace tesmira {

std::string MegabyteText(std::uint64_t bytes) {
    return std::to_string(bytes >> 20);
}

std::string FilmNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0) return {};
    return std::string(path.substr(slash + 1));
}

}  // namespace tesmira
