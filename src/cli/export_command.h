#pragma once
// `tesmira --export FORMAT FILM [-o OUT]`: loads the film's samples the way the
// player does and writes them as a document, without any window.

#include <cstdio>
#include <optional>
#include <string>

#include "cli/track_export.h"
#include "extract/film_samples.h"

namespace tesmira {

struct ExportRequest {
    ExportFormat format = ExportFormat::Json;
    std::string film;
    std::optional<std::string> output;  // standard output when absent
    double eventG = kDefaultEventG;     // the JSON's events threshold
};

// Returns the exit status: 0 when the document was written (also an empty one
// for a film without records), 1 when the film cannot be opened or the
// document cannot be written. Messages and notes go to err, one line each.
int RunTrackExport(const ExportRequest& request, std::FILE* out, std::FILE* err,
                   const FilmLocators& locators = {});

}  // namespace tesmira
