#include "app/film_folder.h"

#include <algorithm>
#include <set>
#include <system_error>
#include <utility>

#include "app/film_endings.h"

namespace tesmira {
namespace {

namespace fs = std::filesystem;

// Deeper than any card; bounds a loop of bind mounts, which no link check sees.
constexpr int kMaxDepth = 32;

struct Pending {
    fs::path folder;
    int depth;
};

}  // namespace

FilmFolderScan ScanFilmFolder(const fs::path& folder) {
    FilmFolderScan scan;
    std::set<fs::path> seen;  // real paths of the folders read
    std::vector<Pending> pending{{folder, 0}};
    while (!pending.empty()) {
        const Pending next = std::move(pending.back());
        pending.pop_back();
        std::error_code error;
        const fs::path real = fs::canonical(next.folder, error);
        if (error) {
            scan.unreadable.push_back({next.folder, error.message()});
            continue;
        }
        if (!seen.insert(real).second) continue;
        fs::directory_iterator entries(next.folder, error);
        for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
            const fs::directory_entry& entry = *entries;
            if (entry.path().filename().native().starts_with('.')) continue;
            std::error_code typeError;  // a dangling link: neither kind, passed over
            if (entry.is_directory(typeError)) {
                if (next.depth < kMaxDepth) pending.push_back({entry.path(), next.depth + 1});
            } else if (entry.is_regular_file(typeError) &&
                       HasAcceptedEnding(entry.path().native())) {
                scan.films.push_back(entry.path());
            }
        }
        if (error) scan.unreadable.push_back({next.folder, error.message()});
    }
    std::sort(scan.films.begin(), scan.films.end());
    return scan;
}

}  // namespace tesmira
