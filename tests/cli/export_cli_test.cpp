// Runs the tesmira executable on real films, as other tools would.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/export_command.h"
#include "extract/movie_header.h"
#include "extract/record_sources.h"
#include "support/command_runner.h"
#include "support/test_films.h"

namespace tesmira {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testfilms::MakeTestFilm;
using testfilms::RecordPlacement;
using testfilms::TestFilmOptions;
using testfilms::TrackRow;

struct ProcessRun {
    int status = -1;
    std::string out;
    std::string err;
};

fs::path ScratchDirectory() {
    return fs::temp_directory_path() / ("tesmira_cli_" + std::to_string(::getpid()));
}

fs::path Scratch(const std::string& name) {
    fs::create_directories(ScratchDirectory());
    return ScratchDirectory() / name;
}

class ScratchCleanup : public ::testing::Environment {
public:
    void TearDown() override { fs::remove_all(ScratchDirectory()); }
};
const auto* const kScratchCleanup = ::testing::AddGlobalTestEnvironment(new ScratchCleanup);

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Without any display: the export must not need one. A time limit in
// seconds, when given, ends a run that stalls.
// `environment`: NAME=value settings for the run.
ProcessRun Tesmira(const std::string& args, int timeLimit = 0,
                   const std::string& environment = "") {
    const fs::path errFile = Scratch("stderr.txt");
    ProcessRun r;
    const std::string limit = timeLimit > 0 ? "timeout " + std::to_string(timeLimit) + " " : "";
    const CommandResult c =
        RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + environment + " " +
                   limit + TESMIRA_BINARY_DIR "/src/tesmira " + args + " 2>" +
                   ShellQuote(errFile.string()) + " </dev/null");
    r.status = c.status;
    r.out = c.output;
    r.err = ReadFile(errFile);
    return r;
}

std::size_t Lines(const std::string& text) {
    std::size_t n = 0;
    for (const char c : text) n += c == '\n';
    return n;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

// Eight seconds: fixes 0-2, none at 3, fixes 4-5, none at 6, a fix at 7.
std::vector<TrackRow> GappedRows() {
    auto rows = testfilms::GenerateTrack(8);
    rows[3].status = 'V';
    rows[6].status = 'V';
    rows[7].year = 26;  // two-digit year, as in an RMC sentence
    return rows;
}

TEST(ExportCli, Type50FilmAsJson) {
    TestFilmOptions o;
    o.placement = RecordPlacement::Type50;
    o.durationSeconds = 8;
    o.rows = GappedRows();
    const fs::path film = MakeTestFilm(o);
    const ProcessRun r = Tesmira("--export json " + ShellQuote(film.string()));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const json doc = json::parse(r.out);
    EXPECT_EQ(doc.at("type"), 50);
    EXPECT_EQ(doc.at("source"), "type50");
    EXPECT_EQ(doc.at("hasSamples"), true);
    EXPECT_EQ(doc.at("integrityPassed"), 6);
    const json& samples = doc.at("samples");
    ASSERT_EQ(samples.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        const DerivedSample expected = DeriveSample(
            testfilms::ExpectedRecord((*o.rows)[i], FileType::Type50), FileType::Type50);
        EXPECT_EQ(samples[i].at("index"), i);
        EXPECT_EQ(samples[i].at("fix"), expected.fixValid) << i;
        EXPECT_EQ(samples[i].at("positionText"), expected.positionText) << i;
        EXPECT_EQ(samples[i].at("speedKmh").get<double>(), expected.speedKmh) << i;
        EXPECT_EQ(samples[i].at("course").get<double>(), expected.course) << i;
        EXPECT_EQ(samples[i].at("gsensor"),
                  json::array({expected.gsensor[0], expected.gsensor[1], expected.gsensor[2]}));
        if (expected.fixValid) {
            EXPECT_EQ(samples[i].at("latitude").get<double>(), expected.latitude) << i;
            EXPECT_EQ(samples[i].at("longitude").get<double>(), expected.longitude) << i;
            // Shenzhen lies in the shift area: both providers move the point.
            EXPECT_NE(samples[i].at("map").at("google")[0], samples[i].at("map").at("baidu")[0]);
        } else {
            EXPECT_TRUE(samples[i].at("latitude").is_null());
            EXPECT_EQ(samples[i].at("map").at("google"), json::array({"V", "V"}));
        }
    }
}

// The JSON's events at the user's EventG, read from the settings without making them.
TEST(ExportCli, JsonEventsFollowTheUsersThreshold) {
    TestFilmOptions o;
    o.placement = RecordPlacement::Type60;
    o.withAudio = false;
    o.durationSeconds = 12;
    o.rows = testfilms::GenerateTrack(12);
    (*o.rows)[3].gsensorX += 64;   // 0.5 g
    (*o.rows)[8].gsensorY += 128;  // 1 g
    const fs::path film = MakeTestFilm(o);
    const fs::path dataHome = Scratch("data-home");
    const fs::path settings = dataHome / "tesmira" / "setting.ini";
    fs::remove_all(dataHome);
    const std::string environment = "XDG_DATA_HOME=" + ShellQuote(dataHome.string());
    const struct {
        const char* eventG;  // null: no settings file
        json events;
    } cases[] = {{nullptr, json::array({3, 8})}, {"0.75", json::array({8})}};
    for (const auto& c : cases) {
        if (c.eventG) {
            fs::create_directories(settings.parent_path());
            std::string text = "\xFF\xFE";
            for (const char ch : "[Setting]\r\nEventG=" + std::string(c.eventG) + "\r\n")
                text += std::string{ch, '\0'};
            std::ofstream(settings, std::ios::binary) << text;
        }
        const ProcessRun r = Tesmira("--export json " + ShellQuote(film.string()), 0, environment);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(json::parse(r.out).at("events"), c.events) << (c.eventG ? c.eventG : "default");
        EXPECT_EQ(fs::exists(settings), c.eventG != nullptr);
    }
}

TEST(ExportCli, Type60FilmAsJsonAndCsv) {
    TestFilmOptions o;
    o.placement = RecordPlacement::Type60;
    o.withAudio = false;
    o.durationSeconds = 5;
    const fs::path film = MakeTestFilm(o);
    const ProcessRun j = Tesmira("--export json " + ShellQuote(film.string()));
    ASSERT_EQ(j.status, 0) << j.err;
    const json doc = json::parse(j.out);
    EXPECT_EQ(doc.at("type"), 60);
    EXPECT_EQ(doc.at("source"), "type60");
    EXPECT_EQ(doc.at("hasSamples"), true);
    EXPECT_TRUE(doc.at("integrityPassed").is_null());
    EXPECT_EQ(doc.at("samples").size(), 5u);

    const ProcessRun c = Tesmira("--export csv " + ShellQuote(film.string()));
    ASSERT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(Lines(c.out), 1u + 5u);
    EXPECT_EQ(c.out.rfind("index,fix,", 0), 0u);
    EXPECT_NE(c.out.find("2026-12-08T08:30:04Z"), std::string::npos) << c.out;
}

TEST(ExportCli, GpxAndKmlFilesAreReadBackByGpsbabel) {
    TestFilmOptions o;
    o.placement = RecordPlacement::Type50;
    o.durationSeconds = 8;
    o.rows = GappedRows();
    const std::string film = ShellQuote(MakeTestFilm(o).string());

    const fs::path gpx = Scratch("track.gpx");
    const ProcessRun g = Tesmira("--export gpx " + film + " -o " + ShellQuote(gpx.string()));
    ASSERT_EQ(g.status, 0) << g.err;
    EXPECT_EQ(g.out, "") << "the document goes to the file only";
    const CommandResult gBack =
        RunCommand("gpsbabel -i gpx -f " + ShellQuote(gpx.string()) + " -o gpx -F -");
    ASSERT_EQ(gBack.status, 0) << gBack.output;
    EXPECT_EQ(Count(gBack.output, "<trkseg>"), 3u);
    EXPECT_EQ(Count(gBack.output, "<trkpt "), 6u);
    EXPECT_NE(gBack.output.find("<time>2026-12-08T08:30:00Z</time>"), std::string::npos);
    EXPECT_NE(gBack.output.find("<time>2026-12-08T08:30:07Z</time>"), std::string::npos);

    const fs::path kml = Scratch("track.kml");
    const ProcessRun k = Tesmira("--export kml " + film + " --output=" + ShellQuote(kml.string()));
    ASSERT_EQ(k.status, 0) << k.err;
    const CommandResult tracks =
        RunCommand("gpsbabel -t -i kml -f " + ShellQuote(kml.string()) + " -o unicsv -F -");
    ASSERT_EQ(tracks.status, 0) << tracks.output;
    EXPECT_EQ(Lines(tracks.output), 1u + 5u) << tracks.output;
    const CommandResult points =
        RunCommand("gpsbabel -w -i kml -f " + ShellQuote(kml.string()) + " -o unicsv -F -");
    ASSERT_EQ(points.status, 0) << points.output;
    EXPECT_EQ(Lines(points.output), 1u + 1u) << points.output;
}

TEST(ExportCli, FilmsWithoutUsableRecords) {
    TestFilmOptions none;
    none.placement = RecordPlacement::None;
    const std::string plain = ShellQuote(MakeTestFilm(none).string());
    for (const char* format : {"json", "csv", "gpx", "kml"}) {
        const ProcessRun r = Tesmira(std::string("--export ") + format + " " + plain);
        EXPECT_EQ(r.status, 0) << format << ": " << r.err;
        EXPECT_EQ(Lines(r.err), 1u) << format << ": " << r.err;
        EXPECT_NE(r.err.find("no GPS records"), std::string::npos) << r.err;
        EXPECT_FALSE(r.out.empty()) << format;
    }
    const json empty = json::parse(Tesmira("--export json " + plain).out);
    EXPECT_EQ(empty.at("type"), 0);
    EXPECT_TRUE(empty.at("source").is_null());
    EXPECT_EQ(empty.at("hasSamples"), false);
    EXPECT_TRUE(empty.at("samples").empty());

    // Only two records pass the integrity check: listed, but not used by the player.
    TestFilmOptions weak;
    weak.durationSeconds = 4;
    weak.rows = testfilms::GenerateTrack(4);
    (*weak.rows)[0].marker = "KVX";
    (*weak.rows)[1].timeSum = 1;
    const ProcessRun r = Tesmira("--export json " + ShellQuote(MakeTestFilm(weak).string()));
    ASSERT_EQ(r.status, 0) << r.err;
    const json doc = json::parse(r.out);
    EXPECT_EQ(doc.at("type"), 50);
    EXPECT_EQ(doc.at("hasSamples"), false);
    EXPECT_EQ(doc.at("integrityPassed"), 2);
    EXPECT_EQ(doc.at("samples").size(), 4u);
    EXPECT_EQ(Lines(r.err), 1u);
    EXPECT_NE(r.err.find("integrity"), std::string::npos) << r.err;
}

TEST(ExportCli, ExitCodesAndMessages) {
    const ProcessRun missing = Tesmira("--export json /nonexistent/film.mp4");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err,
              "tesmira: cannot open film '/nonexistent/film.mp4': No such file or directory\n");

    const ProcessRun directory = Tesmira("--export json " + ShellQuote(fs::temp_directory_path()));
    EXPECT_EQ(directory.status, 1);
    EXPECT_EQ(Lines(directory.err), 1u);

    // A FIFO without a writer and a device are no films: refused at once
    // (the time limit only keeps a stalled export from stalling the test).
    const fs::path fifo = Scratch("fifo.mp4");
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& name : {fifo.string(), std::string("/dev/null")}) {
        const ProcessRun special = Tesmira("--export json " + ShellQuote(name), 20);
        EXPECT_EQ(special.status, 1) << name;
        EXPECT_EQ(special.out, "") << name;
        EXPECT_EQ(special.err, "tesmira: cannot open film '" + name + "': Not a regular file\n");
    }

    TestFilmOptions o;
    const std::string film = ShellQuote(MakeTestFilm(o).string());
    const ProcessRun unwritable =
        Tesmira("--export json " + film + " -o /nonexistent/dir/out.json");
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot write '/nonexistent/dir/out.json'"), std::string::npos);

    // An output that takes no data: the failure is reported, and a link named
    // as the output is left where it was.
    const fs::path full = Scratch("full.json");
    fs::remove(full);
    fs::create_symlink("/dev/full", full);
    const ProcessRun noSpace =
        Tesmira("--export json " + film + " -o " + ShellQuote(full.string()));
    EXPECT_EQ(noSpace.status, 1);
    EXPECT_EQ(Lines(noSpace.err), 1u) << noSpace.err;
    EXPECT_TRUE(fs::is_symlink(full));
    const ProcessRun fullStdout = Tesmira("--export csv " + film + " >/dev/full");
    EXPECT_EQ(fullStdout.status, 1);
    EXPECT_NE(fullStdout.err.find("cannot write to standard output"), std::string::npos);

    // The film itself as the output: refused, the film stays as it was.
    const fs::path copy = Scratch("copy.MOV");
    fs::copy_file(MakeTestFilm(o), copy, fs::copy_options::overwrite_existing);
    const auto size = fs::file_size(copy);
    const ProcessRun self = Tesmira("--export gpx " + ShellQuote(copy.string()) + " -o " +
                                    ShellQuote(Scratch("./copy.MOV").string()));
    EXPECT_EQ(self.status, 1);
    EXPECT_EQ(Lines(self.err), 1u);
    EXPECT_EQ(fs::file_size(copy), size);

    const ProcessRun badFormat = Tesmira("--export xml " + film);
    EXPECT_EQ(badFormat.status, 2);
    EXPECT_NE(badFormat.err.find("unknown export format 'xml'"), std::string::npos);
    EXPECT_EQ(badFormat.out, "");

    const ProcessRun help = Tesmira("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--export FORMAT FILM [-o OUT]"), std::string::npos);
    EXPECT_EQ(help.err, "");

    const ProcessRun version = Tesmira("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("tesmira ", 0), 0u);
    EXPECT_EQ(Lines(version.out), 1u);
}

// A player command line that cannot play says why in one place and exits: the usage
// for an unknown option (2), one line when there is no display to play on (1).
TEST(ExportCli, WrongPlayerCommandLinesExitWithAReason) {
    const ProcessRun bogus = Tesmira("--bogus", 30);
    EXPECT_EQ(bogus.status, 2);
    EXPECT_EQ(bogus.out, "");
    EXPECT_EQ(bogus.err.rfind("tesmira: unknown option '--bogus'\n", 0), 0u) << bogus.err;
    EXPECT_NE(bogus.err.find("Usage: tesmira"), std::string::npos) << bogus.err;
#ifndef TESMIRA_HAS_PLAYER
    GTEST_SKIP() << "this build has no player window to look for a display";
#endif

    TestFilmOptions o;
    o.placement = RecordPlacement::Type60;
    o.withAudio = false;
    o.durationSeconds = 3;
    const std::string film = ShellQuote(MakeTestFilm(o).string());
    const struct {
        const char* display;  // the environment's DISPLAY, null: not set
        const char* says;
    } kCases[] = {
        {nullptr, "tesmira: no display to play on: DISPLAY is not set"},
        {":4711", "tesmira: no display to play on: the window system could not be reached"},
    };
    for (const auto& c : kCases) {
        const std::string display = c.display ? std::string("DISPLAY=") + c.display + " " : "";
        const fs::path errFile = Scratch("display.txt");
        const CommandResult r =
            RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= " + display +
                       "timeout 60 " + TESMIRA_BINARY_DIR "/src/tesmira " + film + " 2>" +
                       ShellQuote(errFile.string()) + " </dev/null");
        const std::string err = ReadFile(errFile);
        EXPECT_EQ(r.status, 1) << err;
        EXPECT_EQ(Lines(err), 1u) << err;
        EXPECT_EQ(err.rfind(c.says, 0), 0u) << err;
    }
}

// Reads back what the export wrote into a temporary stream.
std::string Contents(std::FILE* f) {
    std::rewind(f);
    std::string text;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    return text;
}

TEST(ExportCli, LocatorFailuresAreReportedOnStandardError) {
    TestFilmOptions o;
    o.placement = RecordPlacement::Type60;
    o.withAudio = false;
    o.durationSeconds = 3;
    const fs::path film = MakeTestFilm(o);

    FilmLocators locators;
    locators.type50 = [](const fs::path&, std::vector<VIDEO_GPS_RECORD_T>&) -> bool {
        throw std::bad_alloc();
    };
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out && err);
    const int status = RunTrackExport({ExportFormat::Json, film.string(), {}}, out, err, locators);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Contents(err), "tesmira: \u63d0\u53d650\u5b9a\u4f4d\u4fe1\u606f\u5931\u8d25\uff01\n");
    EXPECT_EQ(json::parse(Contents(out)).at("type"), 60);  // type 60 is still tried

    // The film is read once: the track formats take their time stamps from the
    // same records, so a locator that would fail on a second call is never asked again.
    int calls = 0;
    FilmLocators flaky;
    flaky.type60 = [&calls](const fs::path& f, std::vector<VIDEO_GPS_RECORD_T>& records) {
        if (++calls > 1) throw std::bad_alloc();
        return LocateType60(f, records);
    };
    std::FILE* gpx = std::tmpfile();
    std::FILE* gpxErr = std::tmpfile();
    ASSERT_TRUE(gpx && gpxErr);
    EXPECT_EQ(RunTrackExport({ExportFormat::Gpx, film.string(), {}}, gpx, gpxErr, flaky), 0);
    EXPECT_EQ(calls, 1);
    const std::string track = Contents(gpx);
    EXPECT_EQ(Count(track, "<trkpt "), 3u);
    EXPECT_EQ(Count(track, "<time>"), 3u);
    EXPECT_EQ(Contents(gpxErr), "");
    for (std::FILE* f : {out, err, gpx, gpxErr}) std::fclose(f);
}

// The export is a command-line job: it starts without the window's libraries,
// and an executable whose window module is missing still exports and says why
// it cannot play.
TEST(ExportCli, ExportNeedsNoWindowLibraries) {
    const fs::path binary = TESMIRA_BINARY_DIR "/src/tesmira";
    const CommandResult libraries = RunCommand("ldd " + ShellQuote(binary.string()));
    ASSERT_EQ(libraries.status, 0);
    EXPECT_EQ(libraries.output.find("libQt6"), std::string::npos) << libraries.output;
    EXPECT_EQ(libraries.output.find("libmpv"), std::string::npos) << libraries.output;

    const fs::path alone = Scratch("alone");
    fs::create_directories(alone);
    fs::copy_file(binary, alone / "tesmira", fs::copy_options::overwrite_existing);
    TestFilmOptions o;
    o.placement = RecordPlacement::Type60;
    o.withAudio = false;
    o.durationSeconds = 3;
    const std::string film = ShellQuote(MakeTestFilm(o).string());
    const std::string errFile = ShellQuote(Scratch("alone.txt").string());
    const std::string run =
        "env -u DISPLAY -u WAYLAND_DISPLAY " + ShellQuote((alone / "tesmira").string()) + " ";

    const CommandResult exported = RunCommand(run + "--export csv " + film + " 2>" + errFile);
    EXPECT_EQ(exported.status, 0);
    EXPECT_EQ(Lines(exported.output), 4u);  // header and three rows

    const CommandResult played = RunCommand(run + film + " 2>" + errFile + " </dev/null");
    EXPECT_EQ(played.status, 1);
    const std::string why = ReadFile(Scratch("alone.txt"));
    const bool withWindow = fs::exists(binary.parent_path() / "tesmira-player.so");
    EXPECT_NE(why.find(withWindow ? "tesmira: the player window cannot be loaded: "
                                  : "tesmira: this build has no player window"),
              std::string::npos)
        << why;
}

double Decimal(double nmea) {
    const double whole = std::floor(nmea / 100);
    return whole + (nmea - whole * 100) / 60;
}

// The four documents of one film; each must be written without error.
std::map<std::string, std::string> AllFormats(const fs::path& film, std::string* err = nullptr) {
    std::map<std::string, std::string> docs;
    for (const char* format : {"json", "csv", "gpx", "kml"}) {
        const ProcessRun r = Tesmira(std::string("--export ") + format + " " + ShellQuote(film));
        EXPECT_EQ(r.status, 0) << format << ": " << r.err;
        if (err != nullptr) *err = r.err;
        docs[format] = r.out;
    }
    return docs;
}

TEST(ExportCli, GoProFilmInAllFormats) {
    TestFilmOptions o;
    o.placement = RecordPlacement::Gpmf;
    o.withAudio = false;
    o.durationSeconds = 8;
    o.rows = GappedRows();
    for (const bool gps9 : {false, true}) {
        SCOPED_TRACE(gps9 ? "GPS9" : "GPS5");
        o.gpmfGps9 = gps9;
        auto docs = AllFormats(MakeTestFilm(o));
        const json doc = json::parse(docs["json"]);
        EXPECT_EQ(doc.at("type"), 0);
        EXPECT_EQ(doc.at("source"), "gpmf");
        EXPECT_EQ(doc.at("hasSamples"), true);
        const json& samples = doc.at("samples");
        ASSERT_EQ(samples.size(), 8u);
        const auto& rows = *o.rows;
        for (std::size_t i = 0; i < 8; ++i) {
            SCOPED_TRACE(i);
            const json& s = samples[i];
            EXPECT_EQ(s.at("fix"), rows[i].status == 'A');
            // Stored as 1e-7 degrees, mm/s and m/s² over 100.
            const double gx = (static_cast<double>(rows[i].gsensorX) - 256) / 128;
            EXPECT_NEAR(s.at("gsensor")[0].get<double>(), 2560000 + gx * 1280000, 1500);
            EXPECT_NEAR(s.at("gsensor")[2].get<double>(), 3840000, 1500);
            if (rows[i].status != 'A') {
                EXPECT_EQ(s.at("course"), 180);
                continue;
            }
            EXPECT_NEAR(s.at("latitude").get<double>(), Decimal(rows[i].latitude), 1e-7);
            EXPECT_NEAR(s.at("longitude").get<double>(), Decimal(rows[i].longitude), 1e-7);
            EXPECT_NEAR(s.at("speedKmh").get<double>(), rows[i].speedKmh, 0.01);
            // The bearing to the next fix; the last repeats the one before.
            std::size_t next = i + 1;
            while (next < 8 && rows[next].status != 'A') ++next;
            if (next == 8) {
                EXPECT_EQ(s.at("course"), samples[5].at("course"));
                continue;
            }
            const json& to = samples[next];
            EXPECT_NEAR(
                s.at("course").get<double>(),
                BearingDegrees(s.at("latitude").get<double>(), s.at("longitude").get<double>(),
                               to.at("latitude").get<double>(), to.at("longitude").get<double>()),
                1e-9);
        }
        EXPECT_EQ(Lines(docs["csv"]), 1u + 8u);
        EXPECT_NE(docs["csv"].find(",2026-12-08T08:30:04Z\n"), std::string::npos) << docs["csv"];
        EXPECT_EQ(Count(docs["gpx"], "<trkseg>"), 3u);
        EXPECT_EQ(Count(docs["gpx"], "<trkpt "), 6u);
        EXPECT_NE(docs["gpx"].find("<time>2026-12-08T08:30:07Z</time>"), std::string::npos);
        EXPECT_EQ(Count(docs["kml"], "<Placemark>"), 3u);
    }
}

TEST(ExportCli, GpsLogsBesideTheFilm) {
    const double start = UnixTime(2026, 12, 8, 8, 30, 0);
    TestFilmOptions o;
    o.placement = RecordPlacement::None;
    o.withAudio = false;
    o.durationSeconds = 6;
    o.creationUnix = static_cast<int64_t>(start);
    const fs::path dir = Scratch("logs");
    fs::create_directories(dir);
    const fs::path film = dir / "Ride.MOV";
    fs::copy_file(MakeTestFilm(o), film, fs::copy_options::overwrite_existing);
    const auto header = ReadMovieHeader(film);
    ASSERT_TRUE(header);
    ASSERT_EQ(header->creationUnix, static_cast<int64_t>(start));
    const std::size_t seconds =
        static_cast<std::size_t>(std::ceil(header->durationSeconds.value_or(0.0)));

    // GPX points at film seconds 1 ... 4, every other second.
    {
        std::ofstream gpx(dir / "ride.gpx");
        gpx << "<gpx version=\"1.1\"><trk><trkseg>";
        for (int k = 1; k <= 4; k += 3) {
            gpx << "<trkpt lat=\"" << 22.5 + 0.001 * k
                << "\" lon=\"114.05\"><time>2026-12-08T08:30:0" << k << "Z</time></trkpt>";
        }
        gpx << "</trkseg></trk></gpx>";
    }
    // An NMEA log of the day before; the GPX log comes first while it is there.
    {
        std::ofstream nmea(dir / "RIDE.nmea");
        for (int k = 0; k < 3; ++k) {
            std::string body = "GPRMC,08300" + std::to_string(k) +
                               ".00,A,2230.000,N,11403.000,E,10.0,45.0,071226,,,A";
            unsigned sum = 0;
            for (const char c : body) sum ^= static_cast<unsigned char>(c);
            char tail[8];
            std::snprintf(tail, sizeof tail, "*%02X", sum);
            nmea << "$" << body << tail << "\r\n";
        }
    }
    std::string err;
    auto docs = AllFormats(film, &err);
    json doc = json::parse(docs["json"]);
    EXPECT_EQ(doc.at("source"), "gpx");
    EXPECT_EQ(doc.at("type"), 0);
    ASSERT_EQ(doc.at("samples").size(), seconds);
    const bool fix[] = {false, true, true, true, true, false};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(doc["samples"][i].at("fix"), fix[i]) << i;
    EXPECT_EQ(doc["samples"][2].at("positionText"), "N22.502000,E114.050000");
    EXPECT_EQ(Count(docs["gpx"], "<trkpt "), 4u);
    EXPECT_NE(docs["gpx"].find("<time>2026-12-08T08:30:02Z</time>"), std::string::npos);
    EXPECT_EQ(Count(docs["kml"], "<Placemark>"), 1u);
    EXPECT_EQ(Lines(docs["csv"]), 1u + seconds);
    EXPECT_EQ(err, "");

    fs::remove(dir / "ride.gpx");
    docs = AllFormats(film, &err);
    doc = json::parse(docs["json"]);
    EXPECT_EQ(doc.at("source"), "nmea");
    EXPECT_NE(err.find("RIDE.nmea: the GPS log's times do not overlap the film"), std::string::npos)
        << err;
    // Taken from its first point: fixes for the log's three seconds, speed from the log.
    const bool nmeaFix[] = {true, true, true, false, false, false};
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(doc["samples"][i].at("fix"), nmeaFix[i]) << i;
    EXPECT_DOUBLE_EQ(doc["samples"][1].at("speedKmh").get<double>(), 18.52);
    EXPECT_EQ(doc["samples"][1].at("course"), 45);
    EXPECT_NE(docs["csv"].find(",2026-12-07T08:30:01Z\n"), std::string::npos) << docs["csv"];
}

}  // namespace
}  // namespace tesmira
