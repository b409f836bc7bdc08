#include "support/test_films.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace tesmira::testfilms {
namespace fs = std::filesystem;
namespace {

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs a command with its output going to a log; returns the exit status.
int Run(const std::vector<std::string>& args, const fs::path& log) {
    std::string command;
    for (const auto& arg : args) command += Quote(arg) + " ";
    command += "</dev/null >" + Quote(log.string()) + " 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

uint64_t Fnv1a(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hex(uint64_t v) {
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(v));
    return buffer;
}

// A name unique to this process, so that parallel tests never share a half-made file.
fs::path Temporary(const fs::path& target) {
    return target.string() + "." + std::to_string(::getpid()) + ".tmp";
}

void Publish(const fs::path& temporary, const fs::path& target) {
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) throw std::runtime_error("cannot rename " + temporary.string() + ": " + ec.message());
}

std::string Num(double v) {
    std::ostringstream s;
    s.precision(17);
    s << v;
    return s.str();
}

std::string CharCell(char c) {
    return c == '\0' ? std::string() : std::string(1, c);
}

}  // namespace

fs::path MakeSourceFilm(const TestFilmOptions& o) {
    const bool video = !o.audioOnly;
    const bool audio = o.audioOnly || o.withAudio;
    if (!video && !audio) throw std::runtime_error("a film needs video or sound");
    std::ostringstream key;
    key << "in|" << Num(o.durationSeconds) << "|" << video << "|" << audio << "|" << o.width << "x"
        << o.height << "@" << o.frameRate << "|" << o.audioSampleRate;
    const fs::path target = TestFilmDirectory() / ("input-" + Hex(Fnv1a(key.str())) + ".MOV");
    if (fs::exists(target)) return target;
    const fs::path temporary = Temporary(target);
    std::vector<std::string> args = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
    if (video) {
        args.insert(args.end(),
                    {"-f", "lavfi", "-i",
                     "testsrc2=size=" + std::to_string(o.width) + "x" + std::to_string(o.height) +
                         ":rate=" + std::to_string(o.frameRate)});
    }
    if (audio) {
        args.insert(args.end(),
                    {"-f", "lavfi", "-i",
                     "sine=frequency=440:sample_rate=" + std::to_string(o.audioSampleRate)});
    }
    args.insert(args.end(), {"-t", Num(o.durationSeconds), "-threads", "1"});
    if (video) {
        args.insert(args.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
    }
    if (audio) args.insert(args.end(), {"-c:a", "pcm_s16le", "-ac", "1"});
    args.insert(args.end(), {"-f", "mov", temporary.string()});
    const fs::path log = temporary.string() + ".log";
    if (Run(args, log) != 0) {
        throw std::runtime_error("ffmpeg failed to make the input film: " + ReadText(log));
    }
    fs::remove(log);
    Publish(temporary, target);
    return target;
}

namespace {

std::string WriterStamp() {
    std::error_code ec;
    const auto size = fs::file_size(TESMIRA_FILMWRITER, ec);
    const auto time = fs::last_write_time(TESMIRA_FILMWRITER, ec);
    return std::to_string(size) + "/" + std::to_string(time.time_since_epoch().count());
}

}  // namespace

fs::path TestFilmDirectory() {
    const fs::path dir = TESMIRA_TESTFILM_DIR;
    fs::create_directories(dir);
    return dir;
}

std::vector<TrackRow> GenerateTrack(std::size_t count) {
    // Start on Shennan Boulevard near Futian station, drive east, turn north.
    double lat = 22.5400, lon = 114.0500;  // decimal degrees
    std::vector<TrackRow> rows;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i);
        const double speed = 35.0 + 25.0 * std::sin(t / 9.0);  // 10 … 60 km/h
        const double course = std::fmod(80.0 + 1.5 * t, 360.0);
        TrackRow row;
        auto nmea = [](double degrees) {
            const double whole = std::floor(degrees);
            return whole * 100.0 + (degrees - whole) * 60.0;
        };
        row.latitude = nmea(lat);
        row.longitude = nmea(lon);
        row.speedKmh = std::round(speed * 10.0) / 10.0;
        row.course = course;
        const int seconds = 8 * 3600 + 30 * 60 + static_cast<int>(i);
        row.hour = seconds / 3600 % 24;
        row.minute = seconds / 60 % 60;
        row.second = seconds % 60;
        row.gsensorX = static_cast<uint32_t>(256 + static_cast<int>(i % 7) - 3);
        row.gsensorY = static_cast<uint32_t>(256 + static_cast<int>(i % 5) - 2);
        row.gsensorZ = 384;
        rows.push_back(row);
        // Advance by one second at this speed and course.
        const double metres = speed / 3.6;
        const double rad = course * std::numbers::pi / 180.0;
        lat += metres * std::cos(rad) / 111320.0;
        lon += metres * std::sin(rad) / (111320.0 * std::cos(lat * std::numbers::pi / 180.0));
    }
    return rows;
}

std::string TrackCsv(const std::vector<TrackRow>& rows) {
    std::string csv =
        "status,latitude,lat_hemisphere,longitude,lon_hemisphere,speed_kmh,course,day,month,year,"
        "hour,minute,second,gsensor_x,gsensor_y,gsensor_z,marker,time_sum,date_sum\n";
    for (const auto& r : rows) {
        std::ostringstream line;
        line << CharCell(r.status) << "," << Num(r.latitude) << "," << CharCell(r.latHemisphere)
             << "," << Num(r.longitude) << "," << CharCell(r.lonHemisphere) << ","
             << Num(r.speedKmh) << "," << Num(r.course) << "," << r.day << "," << r.month << ","
             << r.year << "," << r.hour << "," << r.minute << "," << r.second << "," << r.gsensorX
             << "," << r.gsensorY << "," << r.gsensorZ << "," << r.marker.value_or("") << ","
             << (r.timeSum ? std::to_string(*r.timeSum) : std::string()) << ","
             << (r.dateSum ? std::to_string(*r.dateSum) : std::string()) << "\n";
        csv += line.str();
    }
    return csv;
}

VIDEO_GPS_RECORD_T ExpectedRecord(const TrackRow& row, FileType type) {
    auto sum = [](int32_t a, int32_t b, int32_t c) {
        return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b) +
                                    static_cast<uint32_t>(c));
    };
    VIDEO_GPS_RECORD_T r;
    r.hour = row.hour;
    r.minute = row.minute;
    r.second = row.second;
    r.status = row.status;
    r.latitude = row.latitude;
    r.latHemisphere = row.latHemisphere;
    r.longitude = row.longitude;
    r.lonHemisphere = row.lonHemisphere;
    r.speed = type == FileType::Type60 ? row.speedKmh / 1.852 : row.speedKmh;
    r.course = row.course;
    r.day = row.day;
    r.month = row.month;
    r.year = row.year;
    r.gsensorX = row.gsensorX;
    r.gsensorY = row.gsensorY;
    r.gsensorZ = row.gsensorZ;
    const std::string marker = row.marker.value_or("KVR");
    r.marker0 = static_cast<unsigned char>(marker[0]);
    r.marker1 = static_cast<unsigned char>(marker[1]);
    r.marker2 = static_cast<unsigned char>(marker[2]);
    r.timeSum = row.timeSum.value_or(sum(row.hour, row.minute, row.second));
    r.dateSum = row.dateSum.value_or(sum(row.day, row.month, row.year));
    return r;
}

std::size_t Type50RecordCount(const TestFilmOptions& options) {
    return static_cast<std::size_t>(std::ceil(options.durationSeconds - 1e-9));
}

fs::path MakeTestFilm(const TestFilmOptions& o) {
    const fs::path input = MakeSourceFilm(o);
    const auto rows = o.rows ? *o.rows : GenerateTrack(Type50RecordCount(o));
    const std::string csv = TrackCsv(rows);

    std::vector<std::string> writerArgs = {"--type"};
    switch (o.placement) {
        case RecordPlacement::None:
            writerArgs.push_back("none");
            break;
        case RecordPlacement::Type50:
            writerArgs.push_back("50");
            break;
        case RecordPlacement::Type60:
            writerArgs.push_back("60");
            break;
        case RecordPlacement::Both:
            writerArgs.push_back("both");
            break;
        case RecordPlacement::Gpmf:
            writerArgs.push_back("gpmf");
            break;
    }
    auto flag = [&](bool on, const char* name) {
        if (on) writerArgs.push_back(name);
    };
    flag(o.moovFirst, "--moov-first");
    flag(o.co64, "--co64");
    flag(o.twoSoundTracks, "--two-sound-tracks");
    flag(o.trakWithoutMdia, "--trak-without-mdia");
    flag(o.emptySoundTable, "--empty-sound-table");
    flag(o.gpsBoxAfterMoov, "--gps-box-after-moov");
    flag(o.freeBoxAfterMoov, "--free-after-moov");
    auto value = [&](const char* name, const std::string& v) {
        writerArgs.push_back(name);
        writerArgs.push_back(v);
    };
    if (o.soundChunkCount) value("--sound-chunk-count", std::to_string(*o.soundChunkCount));
    if (o.gpsEntryCount) value("--gps-entry-count", std::to_string(*o.gpsEntryCount));
    value("--gps-box-type", o.gpsBoxType);
    value("--padding-byte", std::to_string(o.paddingByte));
    if (o.truncateTo) value("--truncate", std::to_string(*o.truncateTo));
    if (o.cutTail) value("--cut-tail", std::to_string(o.cutTail));
    if (o.creationUnix) value("--creation-time", std::to_string(*o.creationUnix));
    flag(o.gpmfGps9, "--gpmf-gps9");
    if (!o.gpmfDeviceName.empty()) value("--gpmf-device-name", o.gpmfDeviceName);
    if (!o.gpmfOrin.empty()) value("--gpmf-orin", o.gpmfOrin);
    if (!o.gpmfModel.empty()) value("--gpmf-model", o.gpmfModel);

    std::string key = input.filename().string() + "|" + WriterStamp() + "|" + csv;
    for (const auto& arg : writerArgs) key += "|" + arg;
    const std::string stem = "film-" + Hex(Fnv1a(key));
    const fs::path target = TestFilmDirectory() / (stem + ".MOV");
    if (fs::exists(target)) return target;

    const fs::path track = Temporary(TestFilmDirectory() / (stem + ".csv"));
    {
        std::ofstream out(track, std::ios::binary | std::ios::trunc);
        out << csv;
        if (!out.flush()) throw std::runtime_error("cannot write " + track.string());
    }
    const fs::path temporary = Temporary(target);
    std::vector<std::string> args = {TESMIRA_FILMWRITER, "--track",  track.string(),    "--input",
                                     input.string(),     "--output", temporary.string()};
    args.insert(args.end(), writerArgs.begin(), writerArgs.end());
    const fs::path log = temporary.string() + ".log";
    const int status = Run(args, log);
    fs::remove(track);
    if (status != 0) throw std::runtime_error("tesmira-filmwriter failed: " + ReadText(log));
    fs::remove(log);
    Publish(temporary, target);
    return target;
}

std::string RecordDifference(const VIDEO_GPS_RECORD_T& a, const VIDEO_GPS_RECORD_T& e) {
    std::ostringstream d;
    auto field = [&](const char* name, auto actual, auto expected) {
        if (d.tellp() == 0 && !(actual == expected)) {
            d << name << ": got " << +actual << ", expected " << +expected;
        }
    };
    field("hour", a.hour, e.hour);
    field("minute", a.minute, e.minute);
    field("second", a.second, e.second);
    field("status", a.status, e.status);
    field("latitude", a.latitude, e.latitude);
    field("latHemisphere", a.latHemisphere, e.latHemisphere);
    field("longitude", a.longitude, e.longitude);
    field("lonHemisphere", a.lonHemisphere, e.lonHemisphere);
    field("speed", a.speed, e.speed);
    field("course", a.course, e.course);
    field("day", a.day, e.day);
    field("month", a.month, e.month);
    field("year", a.year, e.year);
    field("gsensorX", a.gsensorX, e.gsensorX);
    field("gsensorY", a.gsensorY, e.gsensorY);
    field("gsensorZ", a.gsensorZ, e.gsensorZ);
    field("marker0", a.marker0, e.marker0);
    field("marker1", a.marker1, e.marker1);
    field("marker2", a.marker2, e.marker2);
    field("timeSum", a.timeSum, e.timeSum);
    field("dateSum", a.dateSum, e.dateSum);
    return d.str();
}

std::string DecodedMd5(const fs::path& film, const std::string& stream) {
    const fs::path out = Temporary(TestFilmDirectory() / "md5.txt");
    const fs::path log = out.string() + ".log";
    const int status = Run({"ffmpeg", "-nostdin", "-v", "error", "-y", "-threads", "1", "-i",
                            film.string(), "-map", "0:" + stream, "-f", "md5", out.string()},
                           log);
    std::string text = ReadText(out);
    fs::remove(out);
    fs::remove(log);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return status == 0 ? text : std::string();
}

bool FfmpegDecodesCleanly(const fs::path& film, std::string* errors) {
    const fs::path log = Temporary(TestFilmDirectory() / "decode.log");
    const int status = Run({"ffmpeg", "-nostdin", "-v", "error", "-threads", "1", "-i",
                            film.string(), "-f", "null", "-"},
                           log);
    const std::string text = ReadText(log);
    fs::remove(log);
    if (errors) *errors = text;
    return status == 0 && text.empty();
}

}  // namespace tesmira::testfilms
