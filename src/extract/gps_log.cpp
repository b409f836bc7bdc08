// GPS logs beside the film (GPX track points, NMEA RMC/GGA sentences) and the
// per-second samples they give a film; also the course rule shared with GPMF.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "extract/record_sources.h"

namespace tesmira {

namespace {

bool parseDouble(std::string_view text, double& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), out);
    return res.ec == std::errc() && res.ptr == text.data() + text.size() && std::isfinite(out);
}

bool parseDigits(std::string_view text, int& out) {
    if (text.empty() || text.size() > 9) return false;
    out = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

bool validCivil(int year, int month, int day, int hour, int minute, double second) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return year >= 1970 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= kDays[month - 1] && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 &&
           second >= 0 && second < 61;
}

bool lessByTime(const LogPoint& a, const LogPoint& b) {
    return a.time < b.time;
}

std::vector<LogPoint> sortedUnique(std::vector<LogPoint> points) {
    std::stable_sort(points.begin(), points.end(), lessByTime);
    points.erase(std::unique(points.begin(), points.end(),
                             [](const LogPoint& a, const LogPoint& b) { return a.time == b.time; }),
                 points.end());
    return points;
}

// ---- GPX ----

// "YYYY-MM-DDThh:mm:ss[.fff][Z|+hh:mm|-hh:mm]"; without a zone the time is UTC.
bool parseIsoTime(std::string_view t, double& out) {
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
    if (t.size() < 19 || t[4] != '-' || t[7] != '-' || (t[10] != 'T' && t[10] != ' ') ||
        t[13] != ':' || t[16] != ':') {
        return false;
    }
    int y, mo, d, h, mi, s;
    if (!parseDigits(t.substr(0, 4), y) || !parseDigits(t.substr(5, 2), mo) ||
        !parseDigits(t.substr(8, 2), d) || !parseDigits(t.substr(11, 2), h) ||
        !parseDigits(t.substr(14, 2), mi) || !parseDigits(t.substr(17, 2), s)) {
        return false;
    }
    double second = s;
    std::size_t at = 19;
    if (at < t.size() && t[at] == '.') {
        double scale = 0.1;
        for (++at; at < t.size() && t[at] >= '0' && t[at] <= '9'; ++at, scale /= 10) {
            second += (t[at] - '0') * scale;
        }
    }
    double offset = 0;
    std::string_view zone = t.substr(at);
    if (zone == "Z" || zone.empty()) {
    } else if (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && zone[3] == ':') {
        int zh, zm;
        if (!parseDigits(zone.substr(1, 2), zh) || !parseDigits(zone.substr(4, 2), zm))
            return false;
        offset = (zone[0] == '+' ? 1 : -1) * (zh * 3600.0 + zm * 60.0);
    } else {
        return false;
    }
    if (!validCivil(y, mo, d, h, mi, second)) return false;
    out = UnixTime(y, mo, d, h, mi, second) - offset;
    return true;
}

std::string_view localName(std::string_view name) {
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view attribute(std::string_view tag, std::string_view name) {
    for (std::size_t at = 0; (at = tag.find(name, at)) != std::string_view::npos; ++at) {
        if (at > 0 && !std::isspace(static_cast<unsigned char>(tag[at - 1]))) continue;
        std::size_t p = at + name.size();
        while (p < tag.size() && std::isspace(static_cast<unsigned char>(tag[p]))) ++p;
        if (p >= tag.size() || tag[p] != '=') continue;
        ++p;
        while (p < tag.size() && std::isspace(static_cast<unsigned char>(tag[p]))) ++p;
        if (p >= tag.size() || (tag[p] != '"' && tag[p] != '\'')) continue;
        const auto close = tag.find(tag[p], p + 1);
        if (close == std::string_view::npos) return {};
        return tag.substr(p + 1, close - p - 1);
    }
    return {};
}

// ---- NMEA ----

std::vector<std::string_view> splitFields(std::string_view s) {
    std::vector<std::string_view> f;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == ',') {
            f.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return f;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The sentence between '$' and '*' when its checksum is right.
bool checkedSentence(std::string_view line, std::string_view& body) {
    const auto dollar = line.find('$');
    if (dollar == std::string_view::npos) return false;
    line.remove_prefix(dollar + 1);
    const auto star = line.find('*');
    if (star == std::string_view::npos || star + 3 > line.size()) return false;
    const int hi = hexDigit(line[star + 1]), lo = hexDigit(line[star + 2]);
    if (hi < 0 || lo < 0) return false;
    uint8_t sum = 0;
    for (std::size_t i = 0; i < star; ++i) sum ^= static_cast<uint8_t>(line[i]);
    if (sum != hi * 16 + lo) return false;
    body = line.substr(0, star);
    return true;
}

// ddmm.mmmm with its hemisphere into signed degrees.
bool nmeaDegrees(std::string_view value, std::string_view hemisphere, bool latitude, double& out) {
    double v;
    if (!parseDouble(value, v) || v < 0) return false;
    const double whole = std::floor(v / 100);
    const double deg = whole + (v - whole * 100) / 60;
    if (deg > (latitude ? 90 : 180)) return false;
    if (hemisphere == (latitude ? "N" : "E")) {
        out = deg;
    } else if (hemisphere == (latitude ? "S" : "W")) {
        out = -deg;
    } else {
        return false;
    }
    return true;
}

bool timeOfDay(std::string_view t, double& seconds) {
    if (t.size() < 6) return false;
    int h, m, s;
    if (!parseDigits(t.substr(0, 2), h) || !parseDigits(t.substr(2, 2), m) ||
        !parseDigits(t.substr(4, 2), s) || h > 23 || m > 59 || s > 60) {
        return false;
    }
    double frac = 0;
    if (t.size() > 6 && (!parseDouble(t.substr(6), frac) || t[6] != '.')) return false;
    seconds = h * 3600.0 + m * 60.0 + s + frac;
    return true;
}

// Position of t between two points, with the speed and course the log gives or
// the segment implies.
DecimalFix between(const LogPoint& a, const LogPoint& b, double t) {
    DecimalFix f;
    const double span = b.time - a.time;
    const double k = span > 0 ? (t - a.time) / span : 0;
    f.fix = a.fix && b.fix;
    f.latitude = a.latitude + (b.latitude - a.latitude) * k;
    f.longitude = a.longitude + (b.longitude - a.longitude) * k;
    if (a.speedKmh >= 0 && b.speedKmh >= 0) {
        f.speedKmh = a.speedKmh + (b.speedKmh - a.speedKmh) * k;
    } else {
        f.speedKmh =
            span > 0 ? DistanceMetres(a.latitude, a.longitude, b.latitude, b.longitude) / span * 3.6
                     : 0;
    }
    const LogPoint& nearer = k < 0.5 ? a : b;
    f.course = nearer.course >= 0 ? nearer.course : -1;
    return f;
}

}  // namespace

double UnixTime(int year, int month, int day, int hour, int minute, double second) {
    // Days from civil (proleptic Gregorian).
    const int y = year - (month <= 2);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = static_cast<int64_t>(era) * 146097 + doe - 719468;
    return static_cast<double>(days) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
}

std::vector<LogPoint> ParseGpx(std::string_view text) {
    std::vector<LogPoint> points;
    bool inPoint = false;
    bool pointUsable = false;
    bool hasTime = false;
    LogPoint point;
    std::string_view textElement;  // the open child whose text is wanted
    std::size_t textStart = 0;
    for (std::size_t at = text.find('<'); at != std::string_view::npos;
         at = text.find('<', at + 1)) {
        if (text.substr(at, 4) == "<!--") {
            at = text.find("-->", at);
            if (at == std::string_view::npos) break;
            continue;
        }
        const auto close = text.find('>', at);
        if (close == std::string_view::npos) break;
        std::string_view tag = text.substr(at + 1, close - at - 1);
        const bool end = !tag.empty() && tag.front() == '/';
        if (end) tag.remove_prefix(1);
        const bool selfClosing = !tag.empty() && tag.back() == '/';
        const auto nameEnd = tag.find_first_of(" \t\r\n/");
        const std::string_view name = localName(tag.substr(0, nameEnd));
        if (name == "trkpt") {
            if (!end) {
                point = LogPoint{};
                double lat, lon;
                pointUsable = parseDouble(attribute(tag, "lat"), lat) &&
                              parseDouble(attribute(tag, "lon"), lon) && std::fabs(lat) <= 90 &&
                              std::fabs(lon) <= 180;
                point.latitude = pointUsable ? lat : 0;
                point.longitude = pointUsable ? lon : 0;
                hasTime = false;
                inPoint = !selfClosing;  // a point without children has no time
            } else if (inPoint) {
                if (pointUsable && hasTime) points.push_back(point);
                inPoint = false;
            }
        } else if (inPoint &&
                   (name == "time" || name == "speed" || name == "course" || name == "fix")) {
            if (!end && !selfClosing) {
                textElement = name;
                textStart = close + 1;
            } else if (end && textElement == name) {
                const std::string_view value = text.substr(textStart, at - textStart);
                double v;
                if (name == "time") {
                    hasTime = parseIsoTime(value, point.time);
                } else if (name == "speed" && parseDouble(value, v) && v >= 0) {
                    point.speedKmh = v * 3.6;  // m/s
                } else if (name == "course" && parseDouble(value, v) && v >= 0 && v < 360) {
                    point.course = v;
                } else if (name == "fix") {
                    point.fix = value != "none";
                }
                textElement = {};
            }
        }
        at = close;
    }
    return sortedUnique(std::move(points));
}

std::vector<LogPoint> ParseNmea(std::string_view text) {
    std::vector<LogPoint> points;
    std::string_view lastRmcTime, lastGgaTime;
    int lastGgaQuality = -1;
    for (std::size_t start = 0; start < text.size();) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        std::string_view body;
        if (!checkedSentence(line, body)) continue;
        const auto f = splitFields(body);
        if (f[0].size() < 5) continue;
        const std::string_view kind = f[0].substr(f[0].size() - 3);
        if (kind == "GGA" && f.size() >= 7) {
            int quality;
            if (!parseDigits(f[6], quality)) continue;
            // The RMC of this time came first: it takes this quality.
            if (!points.empty() && f[1] == lastRmcTime && quality == 0) points.back().fix = false;
            lastGgaTime = f[1];
            lastGgaQuality = quality;
        } else if (kind == "RMC" && f.size() >= 10) {
            double tod;
            int day, month, year;
            if (!timeOfDay(f[1], tod) || f[9].size() != 6 || !parseDigits(f[9].substr(0, 2), day) ||
                !parseDigits(f[9].substr(2, 2), month) || !parseDigits(f[9].substr(4, 2), year) ||
                !validCivil(2000 + year, month, day, 0, 0, 0)) {
                continue;
            }
            LogPoint p;
            p.time = UnixTime(2000 + year, month, day, 0, 0, tod);
            p.fix = f[2] == "A";
            if (!nmeaDegrees(f[3], f[4], true, p.latitude) ||
                !nmeaDegrees(f[5], f[6], false, p.longitude)) {
                if (p.fix) continue;  // a fix needs a position
                p.latitude = p.longitude = 0;
            }
            double v;
            if (parseDouble(f[7], v) && v >= 0) p.speedKmh = v * 1.852;  // knots
            if (parseDouble(f[8], v) && v >= 0 && v < 360) p.course = v;
            if (f[1] == lastGgaTime && lastGgaQuality == 0) p.fix = false;
            lastRmcTime = f[1];
            points.push_back(p);
        }
    }
    return sortedUnique(std::move(points));
}

std::optional<std::filesystem::path> FindLogBeside(const std::filesystem::path& film,
                                                   LogKind kind) {
    auto lower = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    const std::string stem = lower(film.stem().string());
    const std::string ending = kind == LogKind::Gpx ? ".gpx" : ".nmea";
    const std::filesystem::path dir = film.has_parent_path() ? film.parent_path() : ".";
    std::optional<std::filesystem::path> best;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), endIt; !ec && it != endIt;
         it.increment(ec)) {
        const auto& p = it->path();
        if (lower(p.extension().string()) != ending || lower(p.stem().string()) != stem) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        // Several spellings: the one spelled like the film, else the first by name.
        if (!best || p.stem() == film.stem() ||
            (best->stem() != film.stem() && p.filename() < best->filename())) {
            best = p;
        }
    }
    return best;
}

SourceSamples SamplesFromLog(const std::vector<LogPoint>& points, double filmStart,
                             std::size_t seconds,
                             const std::function<void(const std::string&)>& note) {
    SourceSamples out;
    if (points.empty()) return out;
    double base = filmStart;
    const double filmEnd = filmStart + static_cast<double>(seconds);
    if (points.back().time < filmStart || points.front().time >= filmEnd) {
        base = points.front().time;
        if (note) {
            note("the GPS log's times do not overlap the film; it is taken from its first point");
        }
    }
    std::vector<DecimalFix> fixes(seconds);
    std::vector<bool> needsCourse(seconds, false);
    for (std::size_t i = 0; i < seconds; ++i) {
        const double t = base + static_cast<double>(i);
        DecimalFix& f = fixes[i];
        if (t >= points.front().time && t <= points.back().time) {
            // t lies within the log, so some point is at or before it.
            const auto b = std::upper_bound(points.begin(), points.end(), t,
                                            [](double v, const LogPoint& p) { return v < p.time; });
            const auto a = b - 1;
            if (a->time == t) {
                // On a point: its own values, speed from the segment that leaves (or reaches) it.
                f = b != points.end()     ? between(*a, *b, t)
                    : a != points.begin() ? between(*(a - 1), *a, t)
                                          : between(*a, *a, t);
                f.fix = a->fix;
                f.latitude = a->latitude;
                f.longitude = a->longitude;
                if (a->speedKmh >= 0) f.speedKmh = a->speedKmh;
                f.course = a->course;
            } else {
                f = between(*a, *b, t);
            }
            needsCourse[i] = f.course < 0;
        }
        out.records.emplace_back();
        VIDEO_GPS_RECORD_T& r = out.records.back();
        r.status = f.fix ? 'A' : 'V';
        const double whole = std::floor(t);
        if (whole >= 0 && whole < 253402300800.0) {  // before the year 10000
            const int64_t days = static_cast<int64_t>(whole) / 86400;
            const int64_t sod = static_cast<int64_t>(whole) % 86400;
            // Civil from days (proleptic Gregorian).
            const int64_t z = days + 719468;
            const int64_t era = z / 146097;
            const int64_t doe = z - era * 146097;
            const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
            const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
            const int64_t mp = (5 * doy + 2) / 153;
            r.day = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
            r.month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
            r.year = static_cast<int32_t>(yoe + era * 400 + (r.month <= 2));
            r.hour = static_cast<int32_t>(sod / 3600);
            r.minute = static_cast<int32_t>(sod / 60 % 60);
            r.second = static_cast<int32_t>(sod % 60);
        }
    }
    CoursesFromPositions(fixes, needsCourse);
    out.samples.reserve(seconds);
    for (const DecimalFix& f : fixes) out.samples.push_back(DeriveDecimalSample(f));
    return out;
}

void CoursesFromPositions(std::vector<DecimalFix>& fixes, const std::vector<bool>& needsCourse) {
    double previous = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        if (!fixes[i].fix) continue;
        if (i >= needsCourse.size() || !needsCourse[i]) {
            previous = fixes[i].course;
            continue;
        }
        next = std::max(next, i + 1);
        while (next < fixes.size() && !fixes[next].fix) ++next;
        const bool moved = next < fixes.size() && (fixes[next].latitude != fixes[i].latitude ||
                                                   fixes[next].longitude != fixes[i].longitude);
        if (moved) {
            previous = BearingDegrees(fixes[i].latitude, fixes[i].longitude, fixes[next].latitude,
                                      fixes[next].longitude);
        }
        fixes[i].course = previous;
    }
}

}  // namespace tesmira
