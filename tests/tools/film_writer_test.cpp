// Films written by tesmira-filmwriter: ffmpeg decodes them, and the player's
// locators find exactly the records that were written, for every layout.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "extract/film_samples.h"
#include "filmwriter/track_file.h"
#include "support/test_films.h"

namespace tesmira {
namespace {

namespace fs = std::filesystem;
using testfilms::MakeTestFilm;
using testfilms::RecordPlacement;
using testfilms::TestFilmOptions;
using testfilms::TrackRow;

std::vector<VIDEO_GPS_RECORD_T> Expected(const std::vector<TrackRow>& rows, FileType type) {
    std::vector<VIDEO_GPS_RECORD_T> records;
    for (const auto& row : rows) records.push_back(testfilms::ExpectedRecord(row, type));
    return records;
}

void ExpectRecords(const std::vector<VIDEO_GPS_RECORD_T>& actual,
                   const std::vector<VIDEO_GPS_RECORD_T>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(testfilms::RecordDifference(actual[i], expected[i]), "") << "record " << i;
    }
}

std::vector<VIDEO_GPS_RECORD_T> Locate50(const fs::path& film) {
    std::vector<VIDEO_GPS_RECORD_T> records;
    const bool produced = LocateType50(film, records);
    EXPECT_EQ(produced, !records.empty());
    return records;
}

std::vector<VIDEO_GPS_RECORD_T> Locate60(const fs::path& film) {
    std::vector<VIDEO_GPS_RECORD_T> records;
    const bool produced = LocateType60(film, records);
    EXPECT_EQ(produced, !records.empty());
    return records;
}

FilmSamples Load(const fs::path& film) {
    std::vector<std::string> messages;
    FilmSamples samples =
        LoadFilmSamples(film, [&](const std::string& m) { messages.push_back(m); });
    EXPECT_TRUE(messages.empty());
    return samples;
}

TestFilmOptions Options(RecordPlacement placement) {
    TestFilmOptions o;
    o.placement = placement;
    return o;
}

TEST(FilmWriter, WellFormedFilmsDecodeWithoutError) {
    std::vector<std::pair<std::string, TestFilmOptions>> cases;
    cases.emplace_back("type 50", Options(RecordPlacement::Type50));
    cases.emplace_back("type 60", Options(RecordPlacement::Type60));
    cases.emplace_back("both", Options(RecordPlacement::Both));
    cases.emplace_back("no records", Options(RecordPlacement::None));
    auto add = [&](const std::string& name, auto change) {
        TestFilmOptions o = Options(RecordPlacement::Both);
        change(o);
        cases.emplace_back(name, o);
    };
    add("moov first", [](TestFilmOptions& o) { o.moovFirst = true; });
    add("co64", [](TestFilmOptions& o) { o.co64 = true; });
    add("co64 moov first", [](TestFilmOptions& o) { o.co64 = o.moovFirst = true; });
    add("two sound tracks", [](TestFilmOptions& o) { o.twoSoundTracks = true; });
    add("trak without mdia", [](TestFilmOptions& o) { o.trakWithoutMdia = true; });
    add("empty sound table", [](TestFilmOptions& o) { o.emptySoundTable = true; });
    add("gps box type", [](TestFilmOptions& o) { o.gpsBoxType = "GPS "; });
    add("boxes after moov",
        [](TestFilmOptions& o) { o.gpsBoxAfterMoov = o.freeBoxAfterMoov = true; });
    add("padding", [](TestFilmOptions& o) { o.paddingByte = 0xAA; });
    add("short last second", [](TestFilmOptions& o) { o.durationSeconds = 2.5; });
    add("32 kHz", [](TestFilmOptions& o) { o.audioSampleRate = 32000; });
    add("audio only", [](TestFilmOptions& o) { o.audioOnly = true; });
    add("video only", [](TestFilmOptions& o) {
        o.withAudio = false;
        o.placement = RecordPlacement::Type60;
    });
    for (const auto& [name, options] : cases) {
        SCOPED_TRACE(name);
        const fs::path film = MakeTestFilm(options);
        std::string errors;
        EXPECT_TRUE(testfilms::FfmpegDecodesCleanly(film, &errors)) << errors;
    }
}

// The rewrite moves samples around but must not change a single decoded sample
// where no record lies over them.
TEST(FilmWriter, KeepsPictureAndSoundIntact) {
    TestFilmOptions o = Options(RecordPlacement::Type60);
    o.twoSoundTracks = false;
    const fs::path source = testfilms::MakeSourceFilm(o);
    for (bool moovFirst : {false, true}) {
        o.moovFirst = moovFirst;
        const fs::path film = MakeTestFilm(o);
        EXPECT_FALSE(testfilms::DecodedMd5(film, "v").empty());
        EXPECT_EQ(testfilms::DecodedMd5(film, "v"), testfilms::DecodedMd5(source, "v"));
        EXPECT_EQ(testfilms::DecodedMd5(film, "a"), testfilms::DecodedMd5(source, "a"));
    }
    // At 32 kHz a second of sound is shorter than the record offset, so the
    // type-50 records lie in padding behind each chunk and the sound stays whole.
    TestFilmOptions low = Options(RecordPlacement::Type50);
    low.audioSampleRate = 32000;
    const fs::path film = MakeTestFilm(low);
    EXPECT_EQ(testfilms::DecodedMd5(film, "a"),
              testfilms::DecodedMd5(testfilms::MakeSourceFilm(low), "a"));
    ExpectRecords(Locate50(film), Expected(testfilms::GenerateTrack(3), FileType::Type50));
    // At 48 kHz the record lies over the sound: the decoded sound differs.
    const fs::path loud = MakeTestFilm(Options(RecordPlacement::Type50));
    EXPECT_NE(
        testfilms::DecodedMd5(loud, "a"),
        testfilms::DecodedMd5(testfilms::MakeSourceFilm(Options(RecordPlacement::Type50)), "a"));
}

TEST(FilmWriter, Type50RecordsAreFoundInEveryLayout) {
    const auto rows = testfilms::GenerateTrack(3);
    const auto expected = Expected(rows, FileType::Type50);
    struct Case {
        const char* name;
        void (*change)(TestFilmOptions&);
    };
    const Case cases[] = {
        {"moov last", [](TestFilmOptions&) {}},
        {"moov first", [](TestFilmOptions& o) { o.moovFirst = true; }},
        {"co64", [](TestFilmOptions& o) { o.co64 = true; }},
        {"co64 moov first", [](TestFilmOptions& o) { o.co64 = o.moovFirst = true; }},
        {"two sound tracks", [](TestFilmOptions& o) { o.twoSoundTracks = true; }},
        {"trak without mdia", [](TestFilmOptions& o) { o.trakWithoutMdia = true; }},
        {"audio only", [](TestFilmOptions& o) { o.audioOnly = true; }},
        {"padding ignored", [](TestFilmOptions& o) { o.paddingByte = 0xAA; }},
        {"boxes after moov", [](TestFilmOptions& o) { o.freeBoxAfterMoov = true; }},
        {"huge chunk count", [](TestFilmOptions& o) { o.soundChunkCount = 0xFFFFFFF0u; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestFilmOptions o = Options(RecordPlacement::Type50);
        o.rows = rows;
        c.change(o);
        const fs::path film = MakeTestFilm(o);
        ExpectRecords(Locate50(film), expected);
        EXPECT_TRUE(Locate60(film).empty());
        const FilmSamples samples = Load(film);
        EXPECT_EQ(samples.type, FileType::Type50);
        EXPECT_TRUE(samples.hasSamples);
        EXPECT_EQ(samples.integrityPassed, 3);
        ASSERT_EQ(samples.samples.size(), 3u);
        EXPECT_EQ(samples.samples[0].sync.speedKmh, static_cast<int>(rows[0].speedKmh));
    }
    // A started second gets its chunk and its record, even a short one.
    TestFilmOptions o = Options(RecordPlacement::Type50);
    o.durationSeconds = 2.5;
    const auto three = testfilms::GenerateTrack(3);
    o.rows = three;
    ExpectRecords(Locate50(MakeTestFilm(o)), Expected(three, FileType::Type50));
    // A smaller entry count than the table holds is obeyed.
    o.soundChunkCount = 2;
    ExpectRecords(Locate50(MakeTestFilm(o)), Expected({three[0], three[1]}, FileType::Type50));
}

TEST(FilmWriter, Type60RecordsAreFoundInEveryLayout) {
    auto rows = testfilms::GenerateTrack(5);  // more records than seconds of film
    rows[2].status = 'V';
    const auto expected = Expected(rows, FileType::Type60);
    struct Case {
        const char* name;
        void (*change)(TestFilmOptions&);
    };
    const Case cases[] = {
        {"moov last", [](TestFilmOptions&) {}},
        {"moov first", [](TestFilmOptions& o) { o.moovFirst = true; }},
        {"fourth character", [](TestFilmOptions& o) { o.gpsBoxType = "gpsx"; }},
        {"huge entry count", [](TestFilmOptions& o) { o.gpsEntryCount = 0xFFFFFFFFu; }},
        {"video only", [](TestFilmOptions& o) { o.withAudio = false; }},
        {"audio only", [](TestFilmOptions& o) { o.audioOnly = true; }},
        {"free box after moov", [](TestFilmOptions& o) { o.freeBoxAfterMoov = true; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestFilmOptions o = Options(RecordPlacement::Type60);
        o.rows = rows;
        c.change(o);
        const fs::path film = MakeTestFilm(o);
        ExpectRecords(Locate60(film), expected);
        const FilmSamples samples = Load(film);
        EXPECT_EQ(samples.type, FileType::Type60);
        EXPECT_TRUE(samples.hasSamples);
        EXPECT_EQ(samples.samples.size(), rows.size());
    }
    // Not found: "GPS " spelled in capitals, or the box behind moov.
    for (auto change : {+[](TestFilmOptions& o) { o.gpsBoxType = "GPS "; },
                        +[](TestFilmOptions& o) { o.gpsBoxAfterMoov = true; },
                        +[](TestFilmOptions& o) { o.gpsBoxAfterMoov = o.moovFirst = true; }}) {
        TestFilmOptions o = Options(RecordPlacement::Type60);
        o.rows = rows;
        change(o);
        const fs::path film = MakeTestFilm(o);
        EXPECT_TRUE(Locate60(film).empty());
        EXPECT_FALSE(Load(film).hasSamples);
    }
}

// Which locator wins when a film carries both kinds of record.
TEST(FilmWriter, LoadingChoosesBetweenTheTwoKinds) {
    const auto rows = testfilms::GenerateTrack(3);
    {
        // An empty sound chunk table leaves type 50 empty; type 60 is used.
        TestFilmOptions o = Options(RecordPlacement::Both);
        o.rows = rows;
        o.emptySoundTable = true;
        const fs::path film = MakeTestFilm(o);
        EXPECT_TRUE(Locate50(film).empty());
        const FilmSamples samples = Load(film);
        EXPECT_EQ(samples.type, FileType::Type60);
        EXPECT_TRUE(samples.hasSamples);
        ASSERT_EQ(samples.samples.size(), 3u);
        EXPECT_EQ(samples.samples[1].speedKmh, rows[1].speedKmh / 1.852 * 1.852);
    }
    {
        // A first record with status 'a' does not make a type-50 film.
        auto lower = rows;
        lower[0].status = 'a';
        TestFilmOptions o = Options(RecordPlacement::Both);
        o.rows = lower;
        const fs::path film = MakeTestFilm(o);
        ExpectRecords(Locate50(film), Expected(lower, FileType::Type50));
        const FilmSamples samples = Load(film);
        EXPECT_EQ(samples.type, FileType::Type60);
        EXPECT_TRUE(samples.hasSamples);
    }
    {
        // Only two records pass the integrity check: type 50, no samples, type 60 not tried.
        auto damaged = rows;
        damaged[1].timeSum = damaged[1].hour + damaged[1].minute + damaged[1].second + 1;
        TestFilmOptions o = Options(RecordPlacement::Both);
        o.rows = damaged;
        const FilmSamples samples = Load(MakeTestFilm(o));
        EXPECT_EQ(samples.type, FileType::Type50);
        EXPECT_FALSE(samples.hasSamples);
        EXPECT_EQ(samples.integrityPassed, 2);
    }
    {
        // Records start with 'V' (no fix yet): still type 50.
        auto waiting = rows;
        waiting[0].status = 'V';
        TestFilmOptions o = Options(RecordPlacement::Both);
        o.rows = waiting;
        const FilmSamples samples = Load(MakeTestFilm(o));
        EXPECT_EQ(samples.type, FileType::Type50);
        EXPECT_EQ(samples.integrityPassed, 2);
        EXPECT_FALSE(samples.hasSamples);
    }
}

TEST(FilmWriter, DamagedAndCutFilmsGiveDefinedResults) {
    const auto rows = testfilms::GenerateTrack(3);
    TestFilmOptions o = Options(RecordPlacement::Type50);
    o.rows = rows;
    o.moovFirst = true;
    const auto whole = fs::file_size(MakeTestFilm(o));
    // Cut in the middle of the media data: the early records are intact, the
    // ones past the end read as empty records.
    o.truncateTo = whole / 2;
    const fs::path cut = MakeTestFilm(o);
    EXPECT_EQ(fs::file_size(cut), whole / 2);
    const auto records = Locate50(cut);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(testfilms::RecordDifference(records[0],
                                          testfilms::ExpectedRecord(rows[0], FileType::Type50)),
              "");
    EXPECT_EQ(records[2].status, 0);
    EXPECT_EQ(records[2].marker0, 0);
    // moov at the end and the film cut in half: no records at all.
    TestFilmOptions last = Options(RecordPlacement::Both);
    last.rows = rows;
    const auto lastWhole = fs::file_size(MakeTestFilm(last));
    last.truncateTo = lastWhole / 2;
    const fs::path noMoov = MakeTestFilm(last);
    EXPECT_TRUE(Locate50(noMoov).empty());
    EXPECT_TRUE(Locate60(noMoov).empty());
    EXPECT_FALSE(Load(noMoov).hasSamples);
    last.truncateTo.reset();
    last.cutTail = 100;
    EXPECT_EQ(fs::file_size(MakeTestFilm(last)), lastWhole - 100);
}

TEST(FilmWriter, CommandLine) {
    const fs::path dir = testfilms::TestFilmDirectory();
    const std::string help = (dir / "help.txt").string();
    ASSERT_EQ(std::system((std::string(TESMIRA_FILMWRITER) + " --help >" + help).c_str()), 0);
    std::ifstream in(help);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* option :
         {"--type", "--moov-first", "--co64", "--two-sound-tracks", "--trak-without-mdia",
          "--empty-sound-table", "--sound-chunk-count", "--gps-entry-count", "--gps-box-type",
          "--gps-box-after-moov", "--free-after-moov", "--padding-byte", "--truncate", "--cut-tail",
          "speed_kmh", "gsensor_x", "time_sum"}) {
        EXPECT_NE(text.find(option), std::string::npos) << option;
    }
    const std::string quiet = " >/dev/null 2>&1";
    EXPECT_NE(std::system((std::string(TESMIRA_FILMWRITER) + " --bogus" + quiet).c_str()), 0);
    // Type 50 without a sound track is refused rather than written without records.
    TestFilmOptions o = Options(RecordPlacement::Type50);
    o.withAudio = false;
    EXPECT_THROW(MakeTestFilm(o), std::runtime_error);
}

#ifdef TESMIRA_HAVE_DEMO_FILM
// The demo film carries the bundled drive: a few minutes through Futian with
// realistic speeds and a short stretch without fix.
TEST(FilmWriter, DemoFilmCarriesTheBundledDrive) {
    const fs::path film = fs::path(TESMIRA_BINARY_DIR) / "demo" / "demo.MOV";
    ASSERT_TRUE(fs::exists(film));
    const auto rows =
        filmwriter::ReadTrackFile(fs::path(TESMIRA_SOURCE_DIR) / "tools/data/demo_track.csv");
    ASSERT_GE(rows.size(), 120u);
    ASSERT_LE(rows.size(), 180u);
    const auto records = Locate60(film);
    ASSERT_EQ(records.size(), rows.size());
    const FilmSamples samples = Load(film);
    EXPECT_EQ(samples.type, FileType::Type60);
    ASSERT_EQ(samples.samples.size(), rows.size());
    int withoutFix = 0;
    double topSpeed = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const DerivedSample& s = samples.samples[i];
        EXPECT_EQ(s.fixValid, rows[i].status == 'A') << i;
        EXPECT_NEAR(s.speedKmh, rows[i].speedKmh, 1e-9) << i;
        if (!s.fixValid) {
            ++withoutFix;
            continue;
        }
        EXPECT_NEAR(s.latitude, 22.54, 0.02) << i;
        EXPECT_NEAR(s.longitude, 114.06, 0.02) << i;
        topSpeed = std::max(topSpeed, s.speedKmh);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_GE(s.gsensor[axis], 0);
            EXPECT_LE(s.gsensor[axis], 5120000);
        }
    }
    EXPECT_GE(withoutFix, 8);
    EXPECT_LE(withoutFix, 12);
    EXPECT_GT(topSpeed, 40.0);
    EXPECT_LE(topSpeed, 70.0);
    std::string errors;
    EXPECT_TRUE(testfilms::FfmpegDecodesCleanly(film, &errors)) << errors;
}
#endif

}  // namespace
}  // namespace tesmira
