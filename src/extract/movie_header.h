#pragma once
// The film's own clock from its movie header ("mvhd"): when it was made and
// how long it runs.

#include <cstdint>
#include <filesystem>
#include <optional>

#include "extract/film_reader.h"

namespace tesmira {

struct MovieHeader {
    int64_t creationUnix = 0;    // seconds since 1970-01-01 UTC (the box counts from 1904)
    double durationSeconds = 0;  // 0 when the timescale is 0
};

// The first "mvhd" inside the first "moov"; none when either is missing or cut short.
std::optional<MovieHeader> ReadMovieHeader(FilmReader& reader);
std::optional<MovieHeader> ReadMovieHeader(const std::filesystem::path& film);

}  // namespace tesmira
