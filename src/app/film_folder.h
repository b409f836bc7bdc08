#pragma once
// The films in a folder and its sub-folders, as a camera's card nests them
// (DCIM/..., Normal/, Event/, Front/, Rear/). Only names are read: no film is
// opened. Qt-free; paths are the system's bytes (UTF-8).

#include <filesystem>
#include <string>
#include <vector>

namespace tesmira {

struct FilmFolderScan {
    struct Skipped {
        std::filesystem::path folder;
        std::string reason;
    };
    // Every file with an accepted ending (app/film_endings.h), in path order.
    std::vector<std::filesystem::path> films;
    // Folders that could not be read, the given one too; the rest of the scan goes on.
    std::vector<Skipped> unreadable;
};

// Hidden entries (a name starting with '.') are passed over: they are the desktop's
// trash and thumbnail folders on a card, not the camera's. A folder reached a second
// time through a symbolic link is not read again, so link loops end.
FilmFolderScan ScanFilmFolder(const std::filesystem::path& folder);

}  // namespace tesmira
