#include "extract/movie_header.h"

#include "extract/box_walker.h"

namespace tesmira {

namespace {

constexpr int64_t kSeconds1904To1970 = 2082844800;

// Version and flags, then creation and modification times, timescale and duration.
constexpr uint64_t kVersion0Size = 4 + 4 + 4 + 4 + 4;
constexpr uint64_t kVersion1Size = 4 + 8 + 8 + 4 + 8;

// A 4 KiB window holds the start of "moov" with its "mvhd" in one read.
constexpr std::size_t kHeaderWindow = 4 * 1024;

std::optional<MovieHeader> parse(FilmReader& reader, const BoxHeader& mvhd) {
    if (mvhd.size < mvhd.headerSize || mvhd.contentSize() < 4) return std::nullopt;
    uint8_t c[kVersion1Size] = {};
    if (reader.read(mvhd.contentStart(), c, 4) != 4) return std::nullopt;
    const bool v1 = c[0] == 1;
    const uint64_t needed = v1 ? kVersion1Size : kVersion0Size;
    if (c[0] > 1 || mvhd.contentSize() < needed) return std::nullopt;
    if (reader.read(mvhd.contentStart(), c, needed) != needed) return std::nullopt;
    const uint64_t created = v1 ? ReadBE64(c + 4) : ReadBE32(c + 4);
    const uint32_t timescale = ReadBE32(c + (v1 ? 20 : 12));
    const uint64_t duration = v1 ? ReadBE64(c + 24) : ReadBE32(c + 16);
    MovieHeader h;
    // Beyond the year 292 billion nothing is sound; keep the sum defined.
    h.creationUnix = static_cast<int64_t>(created & 0x3FFFFFFFFFFFFFFFull) - kSeconds1904To1970;
    const bool unknown = v1 ? duration == UINT64_MAX : duration == UINT32_MAX;
    if (timescale != 0 && !unknown)
        h.durationSeconds = static_cast<double>(duration) / static_cast<double>(timescale);
    return h;
}

}  // namespace

std::optional<MovieHeader> ReadMovieHeader(FilmReader& reader) {
    if (!reader.isOpen()) return std::nullopt;
    const auto moov = BoxWalker::findTopLevel(reader, "moov");
    if (!moov) return std::nullopt;
    BoxWalker walker = BoxWalker(reader, moov->start, moov->end()).children(*moov);
    for (BoxHeader box; walker.next(box);)
        if (box.is("mvhd")) return parse(reader, box);
    return std::nullopt;
}

std::optional<MovieHeader> ReadMovieHeader(const std::filesystem::path& film, std::size_t window) {
    FilmReader reader(film, window);
    return ReadMovieHeader(reader);
}

std::optional<double> ReadFilmDuration(const std::filesystem::path& film) {
    const auto header = ReadMovieHeader(film, kHeaderWindow);
    return header ? header->durationSeconds : std::nullopt;
}

}  // namespace tesmira
