#pragma once
// The film's own clock from its movie header ("mvhd"): when it was made and how
// long it runs. Read without opening the film for playback, so that the list shows
// every film's time before it has played and a log beside a film finds its start.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "extract/film_reader.h"

namespace tesmira {

struct MovieHeader {
    int64_t creationUnix = 0;  // seconds since 1970-01-01 UTC (the box counts from 1904)
    // duration / timescale; none when the timescale is 0 or the duration is the
    // all-ones "unknown".
    std::optional<double> durationSeconds;
};

// The first "mvhd" inside the first "moov" (version 0 with 32-bit, version 1 with
// 64-bit fields). None when the file cannot be read, has no such box, or the box is
// cut short or of an unknown version.
std::optional<MovieHeader> ReadMovieHeader(FilmReader& reader);
// `window`: a reader that only looks at headers reads a few KiB at a time.
std::optional<MovieHeader> ReadMovieHeader(const std::filesystem::path& film,
                                           std::size_t window = FilmReader::kDefaultWindow);

// The film's length from its header alone, read through a small window.
std::optional<double> ReadFilmDuration(const std::filesystem::path& film);

}  // namespace tesmira
