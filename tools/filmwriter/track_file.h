#pragma once
// Reading the track file: CSV with a header row naming the columns.

#include <filesystem>
#include <string>
#include <vector>

#include "filmwriter/track_row.h"

namespace tesmira::filmwriter {

// Throws std::runtime_error naming the line of the first fault.
std::vector<TrackRow> ParseTrackText(const std::string& text);
std::vector<TrackRow> ReadTrackFile(const std::filesystem::path& path);

// The columns a track file must have, in the order the writer documents them.
const std::vector<std::string>& RequiredTrackColumns();

}  // namespace tesmira::filmwriter
