#include "extract/movie_header.h"

#include "extract/box_walker.h"

namespace tesmira {

namespace {

constexpr int64_t kSeconds1904To1970 = 2082844800;

}  // namespace

std::optional<MovieHeader> ReadMovieHeader(FilmReader& reader) {
    if (!reader.isOpen()) return std::nullopt;
    const auto moov = BoxWalker::findTopLevel(reader, "moov");
    if (!moov) return std::nullopt;
    BoxWalker walker = BoxWalker(reader, moov->start, moov->end()).children(*moov);
    BoxHeader box;
    while (walker.next(box)) {
        if (!box.is("mvhd")) continue;
        // Version 1 has 64-bit times and duration, version 0 32-bit ones.
        uint8_t c[32];
        ReadBoxContent(reader, box, 0, c, sizeof c);
        const bool v1 = c[0] == 1;
        const uint64_t needed = v1 ? 32 : 20;
        if (box.contentSize() < needed) return std::nullopt;
        const uint64_t created = v1 ? ReadBE64(c + 4) : ReadBE32(c + 4);
        const uint32_t timescale = ReadBE32(c + (v1 ? 20 : 12));
        const uint64_t duration = v1 ? ReadBE64(c + 24) : ReadBE32(c + 16);
        MovieHeader h;
        // Beyond the year 292 billion nothing is sound; keep the sum defined.
        h.creationUnix = static_cast<int64_t>(created & 0x3FFFFFFFFFFFFFFFull) - kSeconds1904To1970;
        h.durationSeconds =
            timescale == 0 || duration == UINT64_MAX || (!v1 && duration == UINT32_MAX)
                ? 0.0
                : static_cast<double>(duration) / timescale;
        return h;
    }
    return std::nullopt;
}

std::optional<MovieHeader> ReadMovieHeader(const std::filesystem::path& film) {
    FilmReader reader(film);
    return ReadMovieHeader(reader);
}

}  // namespace tesmira
