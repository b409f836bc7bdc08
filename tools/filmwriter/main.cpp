// tesmira-filmwriter: wraps an ffmpeg-made film with one GPS/G-sensor record
// per second, for tests, benchmarks and the demo film.

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "filmwriter/film_rewriter.h"
#include "filmwriter/track_file.h"

namespace {

constexpr const char* kHelp =
    R"(Usage: tesmira-filmwriter --track TRACK.csv --input IN.MOV --output OUT.MOV [options]

Rewrites IN.MOV (made by ffmpeg: video and/or PCM sound, e.g. pcm_s16le 48 kHz in
a .MOV) so that it carries one 120-byte record per row of TRACK.csv.

Record placement:
  --type 50          records inside the sound track: the sound samples are regrouped
                     into one chunk per second and each chunk's record lies at chunk
                     offset + 65584 (over the sound, or in padding behind a chunk
                     shorter than that). One record per chunk; rows beyond are
                     dropped, missing rows give zero records (default)
  --type 60          records in blocks in the media data, listed by a "gps " box in
                     "moov"; record at entry position + 48; speed stored in knots
  --type both        both of the above (type 60 blocks carry knots)
  --type none        no records; the film is only rewritten
  --type gpmf        no records; GoPro-style telemetry instead: a "gpmd" metadata
                     track with one GPMF payload per row (GPS5 with GPSF and GPSU,
                     and ACCL from the G-sensor columns, 256 = 0 g, 128 per g)
  --gpmf-gps9        GPS9 (own fix and time fields) instead of GPS5
  --gpmf-gps-rate N  GPS samples per payload (default 18; the first is the row's)
  --gpmf-accel-rate N  ACCL samples per payload (default 200; 0: no ACCL)
  --gpmf-no-gps      ACCL only
  --gpmf-device-name NAME  the payloads' device name, DVNM (default "HERO5 Black")
  --gpmf-orin ORDER  write ORIN (e.g. "YxZ": camera Y, -X, Z) and store ACCL in that
                     order; without it ACCL is stored in the order GoPro documents
                     for the camera: HERO5 Z,X,Y; Fusion -Y,X,Z; any other Y,-X,Z
  --gpmf-model NAME  name the camera model in the film's user data ("udta" box
                     "GPMF", MINF); it decides the order before the device name

Layout and edge cases:
  --moov-first       "moov" before the media data (default: after it)
  --co64             64-bit chunk offset tables ("co64") instead of "stco"
  --two-sound-tracks a plain copy of the sound track precedes the one with records
  --trak-without-mdia  add a "trak" holding only a track header
  --empty-sound-table  the sound track with records gets sample tables with 0 entries
  --sound-chunk-count N  write N over the sound chunk table's entry count
  --gps-entry-count N    write N over the "gps " box's entry count
  --gps-box-type XXXX    type of the record position box (default "gps "), e.g. "gpsx",
                     "GPS "
  --gps-box-after-moov   put the record position box at the top level behind "moov"
  --free-after-moov      put a "free" box behind "moov"
  --creation-time T  the movie header's creation time, seconds since 1970 (UTC)
  --padding-byte N   fill the records' padding and reserved bytes with N (default 0)
  --truncate N       keep only the first N bytes of the film
  --cut-tail N       drop the last N bytes of the film
  --help             this text

Track file (CSV, UTF-8): a header row naming the columns (any order), then one
row per second. Blank lines and lines starting with # are skipped.
  status           one character, 'A' fix, 'V' no fix ('a' and others allowed);
                   empty gives a zero byte
  latitude         NMEA ddmm.mmmm, not negative;  lat_hemisphere  N or S
  longitude        NMEA dddmm.mmmm, not negative; lon_hemisphere  E or W
  speed_kmh        km/h (stored as knots = km/h / 1.852 in type-60 records)
  course           degrees
  day, month, year, hour, minute, second   integers
  gsensor_x, gsensor_y, gsensor_z          raw 32-bit field values (decimal or 0x..):
                   type 50 reads the low byte as signed -128..127,
                   type 60 reads 0..512 with 256 = 0 g and 128 per g
Optional columns (empty cell = computed):
  marker           three characters (default KVR)
  time_sum         default hour + minute + second
  date_sum         default day + month + year
)";

uint64_t ParseCount(const std::string& text, const std::string& option, uint64_t max) {
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || text[0] == '-' || v > max) {
        throw std::runtime_error("bad value for " + option + ": " + text);
    }
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tesmira::filmwriter;
    try {
        std::string trackPath, inputPath, outputPath;
        FilmOptions options;
        tesmira::filmwriter::GpmfOptions gpmf;
        std::vector<std::string> args(argv + 1, argv + argc);
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& arg = args[i];
            auto value = [&]() -> const std::string& {
                if (i + 1 >= args.size()) throw std::runtime_error(arg + " needs a value");
                return args[++i];
            };
            if (arg == "--help" || arg == "-h") {
                std::cout << kHelp;
                return 0;
            } else if (arg == "--track") {
                trackPath = value();
            } else if (arg == "--input") {
                inputPath = value();
            } else if (arg == "--output") {
                outputPath = value();
            } else if (arg == "--type") {
                const std::string& type = value();
                if (type != "50" && type != "60" && type != "both" && type != "none" &&
                    type != "gpmf") {
                    throw std::runtime_error("--type takes 50, 60, both, none or gpmf");
                }
                options.type50 = type == "50" || type == "both";
                options.type60 = type == "60" || type == "both";
                if (type == "gpmf" && !options.gpmf)
                    options.gpmf = tesmira::filmwriter::GpmfOptions{};
                if (type != "gpmf") options.gpmf.reset();
            } else if (arg == "--gpmf-gps9") {
                gpmf.gps9 = true;
            } else if (arg == "--gpmf-gps-rate") {
                gpmf.gpsRate = static_cast<int>(ParseCount(value(), arg, 10000));
            } else if (arg == "--gpmf-accel-rate") {
                gpmf.accelRate = static_cast<int>(ParseCount(value(), arg, 10000));
            } else if (arg == "--gpmf-no-gps") {
                gpmf.withGps = false;
            } else if (arg == "--gpmf-device-name") {
                gpmf.deviceName = value();
            } else if (arg == "--gpmf-orin") {
                gpmf.orin = value();
                if (gpmf.orin.size() != 3 ||
                    gpmf.orin.find_first_not_of("XYZxyz") != std::string::npos) {
                    throw std::runtime_error(
                        "--gpmf-orin takes three of X, Y, Z (lower case: negated)");
                }
            } else if (arg == "--gpmf-model") {
                gpmf.model = value();
            } else if (arg == "--moov-first") {
                options.moovFirst = true;
            } else if (arg == "--co64") {
                options.co64 = true;
            } else if (arg == "--two-sound-tracks") {
                options.twoSoundTracks = true;
            } else if (arg == "--trak-without-mdia") {
                options.trakWithoutMdia = true;
            } else if (arg == "--empty-sound-table") {
                options.emptySoundTable = true;
            } else if (arg == "--sound-chunk-count") {
                options.soundChunkCount =
                    static_cast<uint32_t>(ParseCount(value(), arg, UINT32_MAX));
            } else if (arg == "--gps-entry-count") {
                options.gpsEntryCount = static_cast<uint32_t>(ParseCount(value(), arg, UINT32_MAX));
            } else if (arg == "--gps-box-type") {
                options.gpsBoxType = value();
                if (options.gpsBoxType.size() != 4) {
                    throw std::runtime_error("--gps-box-type takes four characters");
                }
            } else if (arg == "--gps-box-after-moov") {
                options.gpsBoxAfterMoov = true;
            } else if (arg == "--free-after-moov") {
                options.freeBoxAfterMoov = true;
            } else if (arg == "--creation-time") {
                options.creationUnix = static_cast<int64_t>(ParseCount(value(), arg, 1ull << 40));
            } else if (arg == "--padding-byte") {
                options.paddingByte = static_cast<uint8_t>(ParseCount(value(), arg, 255));
            } else if (arg == "--truncate") {
                options.truncateTo = ParseCount(value(), arg, UINT64_MAX);
            } else if (arg == "--cut-tail") {
                options.cutTail = ParseCount(value(), arg, UINT64_MAX);
            } else {
                throw std::runtime_error("unknown option " + arg + " (see --help)");
            }
        }
        if (trackPath.empty() || inputPath.empty() || outputPath.empty()) {
            throw std::runtime_error("--track, --input and --output are needed (see --help)");
        }
        if (options.gpmf) options.gpmf = gpmf;
        const auto rows = ReadTrackFile(trackPath);
        std::ifstream in(inputPath, std::ios::binary);
        if (!in) throw std::runtime_error("cannot read " + inputPath);
        const std::vector<uint8_t> input((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        const RewriteResult result = RewriteFilm(input, rows, options);
        for (const auto& warning : result.warnings) std::cerr << "warning: " << warning << "\n";
        // Written beside the target and renamed, so a reader never sees half a film.
        const std::string temporary = outputPath + ".part";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(result.film.data()),
                      static_cast<std::streamsize>(result.film.size()));
            if (!out.flush()) throw std::runtime_error("cannot write " + temporary);
        }
        if (std::rename(temporary.c_str(), outputPath.c_str()) != 0) {
            throw std::runtime_error("cannot rename " + temporary + " to " + outputPath);
        }
        std::cout << outputPath << ": " << result.film.size() << " bytes, " << result.type50Records
                  << " type-50 records, " << result.type60Records << " type-60 records, "
                  << result.gpmfPayloads << " GPMF payloads\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "tesmira-filmwriter: " << e.what() << "\n";
        return 1;
    }
}
