#pragma once
// A film's length as its movie header states it, read without opening the film for
// playback: the list shows every film's time before it has played. Standard library
// only.

#include <filesystem>
#include <optional>

#include "extract/box_walker.h"
#include "extract/film_reader.h"

namespace tesmira {

// Seconds from the first "mvhd" box inside the first "moov" (duration / timescale,
// version 0 with 32-bit, version 1 with 64-bit fields). Nothing when the file cannot
// be read, has no such box, the box is too short for its version, the version is
// unknown, the timescale is 0 or the duration is the all-ones "unknown".
std::optional<double> ReadFilmDuration(const std::filesystem::path& film);

// The same for a "mvhd" box already found.
std::optional<double> MovieHeaderDuration(FilmReader& reader, const BoxHeader& mvhd);

}  // namespace tesmira
