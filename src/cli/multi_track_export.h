#pragma once
// Several films' tracks as one document, each film kept apart so a reader can tell
// them apart and no line joins the end of one film to the start of the next:
// - GPX: one <trk> named `name`; each film adds its track segments (one per run of
//   fixes, as in a one-film document), in the films' order;
// - KML: one Document named `name`; each film a Folder named after the film holding
//   its placemarks as in a one-film document;
// - CSV: the one-film columns with a "film" column in front; `index` counts within
//   each film;
// - JSON: {"films": [{"film": name, "track": <the film's one-film document>}, ...]}.
// The one-film writers (cli/track_export.h) are used as they are: a film's part is
// what its own export holds.

#include <string>
#include <string_view>
#include <vector>

#include "cli/track_export.h"

namespace tesmira {

std::string ExportTracks(ExportFormat format, const std::vector<TrackExportInput>& films,
                         std::string_view name);

}  // namespace tesmira
