#include "cli/export_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "extract/film_samples.h"

namespace tesmira {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The locators fail silently on a film they cannot open; the command line
// must say so instead of writing an empty document. The open does not block,
// so a FIFO named as the film cannot stall the export; like the locators,
// only regular files count as films.
bool CheckReadable(const std::string& film, std::FILE* err) {
    const int fd = ::open(film.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        std::fprintf(err, "tesmira: cannot open film '%s': %s\n", film.c_str(),
                     std::strerror(errno));
        return false;
    }
    struct stat st {};
    const bool statted = ::fstat(fd, &st) == 0;
    ::close(fd);
    if (!statted || !S_ISREG(st.st_mode)) {
        std::fprintf(err, "tesmira: cannot open film '%s': %s\n", film.c_str(),
                     statted && S_ISDIR(st.st_mode) ? "Is a directory" : "Not a regular file");
        return false;
    }
    return true;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(std::FILE* f, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0 &&
           !std::ferror(f);
}

}  // namespace

int RunTrackExport(const ExportRequest& request, std::FILE* out, std::FILE* err,
                   const FilmLocators& locators) {
    if (!CheckReadable(request.film, err)) return 1;
    std::error_code ec;
    if (request.output && std::filesystem::equivalent(request.film, *request.output, ec)) {
        // Writing the document there would destroy the film.
        std::fprintf(err, "tesmira: the output '%s' is the film itself; nothing written\n",
                     request.output->c_str());
        return 1;
    }

    FilmLocators withNotes = locators;
    if (!withNotes.note) {
        withNotes.note = [err](const std::string& message) {
            std::fprintf(err, "tesmira: note: %s\n", message.c_str());
        };
    }
    const FilmSamples film = LoadFilmSamples(
        request.film,
        [err](const std::string& message) { std::fprintf(err, "tesmira: %s\n", message.c_str()); },
        withNotes);

    TrackExportInput input;
    input.film = &film;
    input.records = &film.records;
    input.name = BaseName(request.film);
    input.eventG = request.eventG;
    const std::string document = ExportTrack(request.format, input);

    if (film.samples.empty()) {
        std::fprintf(err, "tesmira: note: '%s' holds no GPS records; the document is empty\n",
                     request.film.c_str());
    } else if (!film.hasSamples) {
        std::fprintf(err,
                     "tesmira: note: '%s': only %u of %zu records pass the integrity check; "
                     "the player would not use them\n",
                     request.film.c_str(), unsigned{film.integrityPassed.value_or(0)},
                     film.samples.size());
    }

    if (!request.output) {
        if (!WriteAll(out, document)) {
            std::fprintf(err, "tesmira: cannot write to standard output: %s\n",
                         std::strerror(errno));
            return 1;
        }
        return 0;
    }
    const std::string& path = *request.output;
    FilePtr f(std::fopen(path.c_str(), "wb"));
    if (!f) {
        std::fprintf(err, "tesmira: cannot write '%s': %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    const bool written = WriteAll(f.get(), document);
    const int savedErrno = errno;
    if (std::fclose(f.release()) != 0 || !written) {
        std::fprintf(err, "tesmira: cannot write '%s': %s\n", path.c_str(),
                     std::strerror(written ? errno : savedErrno));
        // Only a half-written regular file is taken away; a device or a
        // symbolic link named as the output is not ours to delete.
        std::error_code statusError;
        if (std::filesystem::symlink_status(path, statusError).type() ==
            std::filesystem::file_type::regular) {
            std::remove(path.c_str());
        }
        return 1;
    }
    return 0;
}

}  // namespace tesmira
