#pragma once
// The track document that File > Export writes: the films' records read, put into one
// document by the --export writers (cli/) and written atomically. Qt-free, so that it
// runs on a worker thread while the window plays on.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "cli/track_export.h"
#include "extract/film_samples.h"
#include "extract/g_events.h"

namespace tesmira {

struct TrackExportJob {
    ExportFormat format = ExportFormat::Gpx;
    std::vector<std::string> films;  // paths, UTF-8, in the list's order
    // The document of several films (cli/multi_track_export.h), even when one film has
    // records; otherwise the first film alone, byte for byte as `--export` writes it.
    bool several = false;
    std::string output;
    std::string name;  // the several-film document's name
    // The JSON's events at the user's threshold, as the window and `--export` find them.
    double eventG = kDefaultEventG;
};

struct TrackExportOutcome {
    enum class Status {
        Written,
        NoRecords,     // no film had records: nothing written
        OutputIsFilm,  // the chosen file is one of the films: nothing written
        WriteFailed,
        Cancelled,
    };
    Status status = Status::Cancelled;
    std::size_t films = 0;  // films in the document
    std::string reason;     // the system's words when writing failed
};

// How the export reads one film's records. The one seam to swap for records the window
// has read already: ReadFilmForExport reads the file again.
using ExportFilmReader = std::function<FilmSamples(const std::string& film)>;

// The film's samples as the player loads them; the locators' messages are dropped (no
// message box can show from a worker thread, and the document says enough), and so are
// their notes unless `locators` brings a note function of its own, which then runs on
// the worker thread.
FilmSamples ReadFilmForExport(const std::string& film, const FilmLocators& locators);

// A film takes part when it has samples. `cancelled` is looked at between films.
TrackExportOutcome RunTrackExportJob(const TrackExportJob& job, const ExportFilmReader& read,
                                     const std::atomic<bool>& cancelled);

}  // namespace tesmira
