#include "extract/film_duration.h"

#include <cstdint>

namespace tesmira {
namespace {

// A film's boxes are read a few headers at a time; a 4 KiB window holds the start of
// "moov" with its "mvhd" in one read.
constexpr std::size_t kHeaderWindow = 4 * 1024;

// Version and flags, then creation and modification times, timescale and duration.
constexpr uint64_t kVersion0Size = 4 + 4 + 4 + 4 + 4;
constexpr uint64_t kVersion1Size = 4 + 8 + 8 + 4 + 8;

}  // namespace

std::optional<double> MovieHeaderDuration(FilmReader& reader, const BoxHeader& mvhd) {
    if (mvhd.size < mvhd.headerSize || mvhd.contentSize() < 4) return std::nullopt;
    uint8_t bytes[kVersion1Size] = {};
    reader.read(mvhd.contentStart(), bytes, 4);
    const uint8_t version = bytes[0];
    const uint64_t needed = version == 0 ? kVersion0Size : kVersion1Size;
    if (version > 1 || mvhd.contentSize() < needed) return std::nullopt;
    if (reader.read(mvhd.contentStart(), bytes, needed) != needed) return std::nullopt;
    uint32_t timescale = 0;
    uint64_t duration = 0;
    if (version == 0) {
        timescale = ReadBE32(bytes + 12);
        duration = ReadBE32(bytes + 16);
        if (duration == UINT32_MAX) return std::nullopt;
    } else {
        timescale = ReadBE32(bytes + 20);
        duration = ReadBE64(bytes + 24);
        if (duration == UINT64_MAX) return std::nullopt;
    }
    if (timescale == 0) return std::nullopt;
    return static_cast<double>(duration) / static_cast<double>(timescale);
}

std::optional<double> ReadFilmDuration(const std::filesystem::path& film) {
    FilmReader reader(film, kHeaderWindow);
    if (!reader.isOpen()) return std::nullopt;
    const std::optional<BoxHeader> moov = BoxWalker::findTopLevel(reader, "moov");
    if (!moov) return std::nullopt;
    BoxWalker children(reader, moov->contentStart(), moov->end(), 1);
    for (BoxHeader box; children.next(box);)
        if (box.is("mvhd")) return MovieHeaderDuration(reader, box);
    return std::nullopt;
}

}  // namespace tesmira
