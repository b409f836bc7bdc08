#include "mainwnd/track_export_job.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/atomic_file.h"
#include "cli/multi_track_export.h"

namespace tesmira {
namespace {

// As `--export` names a film's track: the text after the last "/".
std::string FilmName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct ReadFilm {
    std::string path;
    FilmSamples samples;
};

}  // namespace

FilmSamples ReadFilmForExport(const std::string& film, const FilmLocators& locators) {
    FilmLocators quiet = locators;
    if (!quiet.note) quiet.note = [](const std::string&) {};
    try {
        return LoadFilmSamples(
            film, [](const std::string&) {}, quiet);
    } catch (...) {
        // Out of memory, say: the film counts as one without records.
        return {};
    }
}

TrackExportOutcome RunTrackExportJob(const TrackExportJob& job, const ExportFilmReader& read,
                                     const std::atomic<bool>& cancelled) {
    TrackExportOutcome outcome;
    std::error_code ec;
    for (const std::string& film : job.films) {
        // Replacing a film with its own track would destroy it.
        if (std::filesystem::equivalent(film, job.output, ec)) {
            outcome.status = TrackExportOutcome::Status::OutputIsFilm;
            return outcome;
        }
    }
    std::vector<ReadFilm> films;
    const std::size_t wanted =
        job.several ? job.films.size() : std::min<std::size_t>(1, job.films.size());
    for (std::size_t i = 0; i < wanted; ++i) {
        if (cancelled) return outcome;
        FilmSamples samples = read(job.films[i]);
        if (samples.samples.empty()) continue;
        films.push_back({job.films[i], std::move(samples)});
    }
    if (cancelled) return outcome;
    if (films.empty()) {
        outcome.status = TrackExportOutcome::Status::NoRecords;
        return outcome;
    }
    std::vector<TrackExportInput> inputs;
    for (const ReadFilm& film : films) {
        TrackExportInput input;
        input.film = &film.samples;
        input.records = &film.samples.records;
        input.name = FilmName(film.path);
        input.eventG = job.eventG;
        inputs.push_back(std::move(input));
    }
    const std::string document = job.several ? ExportTracks(job.format, inputs, job.name)
                                             : ExportTrack(job.format, inputs.front());
    errno = 0;
    if (!WriteFileAtomically(job.output, document)) {
        outcome.status = TrackExportOutcome::Status::WriteFailed;
        outcome.reason = std::strerror(errno != 0 ? errno : EIO);
        return outcome;
    }
    outcome.status = TrackExportOutcome::Status::Written;
    outcome.films = films.size();
    return outcome;
}

}  // namespace tesmira
