#include "filmwriter/track_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace tesmira::filmwriter {
namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::vector<std::string> SplitCells(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, ',')) cells.push_back(Trim(cell));
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    return cells;
}

[[noreturn]] void Fail(std::size_t line, const std::string& what) {
    throw std::runtime_error("track line " + std::to_string(line) + ": " + what);
}

double ParseDouble(const std::string& cell, std::size_t line, const std::string& column) {
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(cell.c_str(), &end);
    if (cell.empty() || *end != '\0' || errno == ERANGE) Fail(line, "bad number in " + column);
    return v;
}

long long ParseInteger(const std::string& cell, std::size_t line, const std::string& column,
                       long long low, long long high) {
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(cell.c_str(), &end, 0);  // 0x… allowed for raw fields
    if (cell.empty() || *end != '\0' || errno == ERANGE || v < low || v > high) {
        Fail(line, "bad integer in " + column);
    }
    return v;
}

// A single character, or empty for a zero byte.
char ParseChar(const std::string& cell, std::size_t line, const std::string& column) {
    if (cell.empty()) return '\0';
    if (cell.size() != 1) Fail(line, column + " must be one character");
    return cell[0];
}

}  // namespace

const std::vector<std::string>& RequiredTrackColumns() {
    static const std::vector<std::string> columns = {
        "status", "latitude",  "lat_hemisphere", "longitude", "lon_hemisphere", "speed_kmh",
        "course", "day",       "month",          "year",      "hour",           "minute",
        "second", "gsensor_x", "gsensor_y",      "gsensor_z"};
    return columns;
}

std::vector<TrackRow> ParseTrackText(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::size_t lineNo = 0;
    std::map<std::string, std::size_t> index;
    std::size_t columnCount = 0;
    std::vector<TrackRow> rows;
    while (std::getline(in, line)) {
        ++lineNo;
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        const auto cells = SplitCells(trimmed);
        if (index.empty()) {
            for (std::size_t i = 0; i < cells.size(); ++i) {
                if (!index.emplace(cells[i], i).second) Fail(lineNo, "column twice: " + cells[i]);
            }
            for (const auto& name : RequiredTrackColumns()) {
                if (!index.count(name)) Fail(lineNo, "missing column " + name);
            }
            for (const auto& [name, i] : index) {
                const auto& req = RequiredTrackColumns();
                if (std::find(req.begin(), req.end(), name) == req.end() && name != "marker" &&
                    name != "time_sum" && name != "date_sum") {
                    Fail(lineNo, "unknown column " + name);
                }
            }
            columnCount = cells.size();
            continue;
        }
        if (cells.size() != columnCount) {
            Fail(lineNo, "expected " + std::to_string(columnCount) + " cells");
        }
        auto cell = [&](const char* name) -> const std::string& { return cells[index.at(name)]; };
        auto has = [&](const char* name) {
            return index.count(name) && !cells[index.at(name)].empty();
        };
        constexpr long long kI32Min = INT32_MIN, kI32Max = INT32_MAX;
        auto i32 = [&](const char* name) {
            return static_cast<int32_t>(ParseInteger(cell(name), lineNo, name, kI32Min, kI32Max));
        };
        // Raw G-sensor fields accept both signed and unsigned 32-bit spellings.
        auto raw32 = [&](const char* name) {
            return static_cast<uint32_t>(ParseInteger(cell(name), lineNo, name, kI32Min,
                                                      static_cast<long long>(UINT32_MAX)));
        };
        TrackRow row;
        row.status = ParseChar(cell("status"), lineNo, "status");
        row.latitude = ParseDouble(cell("latitude"), lineNo, "latitude");
        row.latHemisphere = ParseChar(cell("lat_hemisphere"), lineNo, "lat_hemisphere");
        row.longitude = ParseDouble(cell("longitude"), lineNo, "longitude");
        row.lonHemisphere = ParseChar(cell("lon_hemisphere"), lineNo, "lon_hemisphere");
        row.speedKmh = ParseDouble(cell("speed_kmh"), lineNo, "speed_kmh");
        row.course = ParseDouble(cell("course"), lineNo, "course");
        row.day = i32("day");
        row.month = i32("month");
        row.year = i32("year");
        row.hour = i32("hour");
        row.minute = i32("minute");
        row.second = i32("second");
        row.gsensorX = raw32("gsensor_x");
        row.gsensorY = raw32("gsensor_y");
        row.gsensorZ = raw32("gsensor_z");
        if (has("marker")) {
            if (cell("marker").size() != 3) Fail(lineNo, "marker must be three characters");
            row.marker = cell("marker");
        }
        if (has("time_sum")) row.timeSum = i32("time_sum");
        if (has("date_sum")) row.dateSum = i32("date_sum");
        rows.push_back(row);
    }
    if (index.empty()) throw std::runtime_error("track file has no header row");
    return rows;
}

std::vector<TrackRow> ReadTrackFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read track file " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return ParseTrackText(text.str());
}

}  // namespace tesmira::filmwriter
