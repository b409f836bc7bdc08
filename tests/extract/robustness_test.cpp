// Thousands of randomly damaged or truncated copies of small films must each
// load to a defined result: no crash, no overread, no huge allocation.

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <random>
#include <string>

#include "extract/box_builder.h"
#include "extract/film_samples.h"
#include "extract/gpmf_builder.h"
#include "extract/record_sources.h"

namespace tesmira {
namespace {

using namespace test;

void Damage(Bytes& film, std::mt19937& rng) {
    if (film.empty()) return;  // an earlier round may have cut it to nothing
    auto pick = [&](uint64_t n) { return std::uniform_int_distribution<uint64_t>(0, n - 1)(rng); };
    // Damage lands mostly in the box structure ("moov" at the end, or at the
    // start of a fast-start film), sometimes anywhere.
    const uint64_t moovRegion = std::min<uint64_t>(film.size(), 600);
    auto where = [&] {
        switch (pick(4)) {
            case 0:
                return pick(film.size());
            case 1:
                return pick(moovRegion);  // "moov" of a fast-start film
            default:
                return film.size() - 1 - pick(moovRegion);
        }
    };
    switch (pick(4)) {
        case 0:  // truncation
            film.resize(pick(film.size()));
            break;
        case 1:  // a few bytes
            for (uint64_t n = 1 + pick(8); n > 0 && !film.empty(); --n)
                film[where()] = uint8_t(pick(256));
            break;
        default: {  // a 32-bit field (size, count, offset) set to a telling value
            static constexpr uint32_t kValues[] = {0,  1,          7,          8,          9,
                                                   16, 0x7FFFFFFF, 0xFFFFFFFF, 0x80000000, 65584};
            const uint32_t v = pick(3) == 0 ? uint32_t(rng()) : kValues[pick(std::size(kValues))];
            const uint64_t at = where();
            for (int k = 0; k < 4 && at + k < film.size(); ++k)
                film[at + k] = uint8_t(v >> (24 - 8 * k));
            break;
        }
    }
}

// "moov" first, then the media, with 64-bit chunk offsets.
Bytes FastStartFilm(const std::vector<RecordFields>& recs) {
    auto moov = [&](uint64_t base) {
        std::vector<uint64_t> offsets;
        for (std::size_t i = 0; i < recs.size(); ++i) offsets.push_back(base + i * 120);
        return Box("moov", Cat({Trak("vide", Stco({1})), Trak("soun", Co64(offsets))}));
    };
    const uint64_t base = Ftyp().size() + moov(0).size() + 8;
    Bytes media(65584 + recs.size() * 120, 0);
    for (std::size_t i = 0; i < recs.size(); ++i)
        PutAt(media, 65584 + i * 120, EncodeRecord(recs[i]));
    return Cat({Ftyp(), moov(base), Box("mdat", media)});
}

TEST(Robustness, DamagedFilmsLoadToDefinedResults) {
    TempDir dir;
    std::vector<RecordFields> recs(5);
    recs[1].status = 'V';
    const Bytes bases[] = {Type50Film(recs), Type50Film(recs, true), Type60Film(recs),
                           Cat({Type50Film(recs), Box("moov", GpsBox("gps ", {1, 2}))}),
                           FastStartFilm(recs)};
    for (const Bytes& base : bases) {  // undamaged, each gives its records
        const auto s = LoadFilmSamples(dir.write("base.mp4", base), {});
        ASSERT_TRUE(s.hasSamples);
        ASSERT_EQ(s.samples.size(), 5u);
        ASSERT_EQ(s.type, &base == &bases[2] ? FileType::Type60 : FileType::Type50);
    }
    std::mt19937 rng(20261208);
    int byType[3] = {};
    for (int i = 0; i < 3000; ++i) {
        Bytes film = bases[i % std::size(bases)];
        for (int rounds = 1 + int(rng() % 3); rounds > 0; --rounds) Damage(film, rng);
        std::vector<std::string> messages;
        const auto path = dir.write("d.mp4", film);
        const FilmSamples s =
            LoadFilmSamples(path, [&](const std::string& m) { messages.push_back(m); });

        ASSERT_TRUE(messages.empty()) << i;
        // Every table entry takes at least four bytes of the file.
        ASSERT_LE(s.samples.size(), film.size() / 4) << i;
        switch (s.type) {
            case FileType::None:
                ASSERT_FALSE(s.hasSamples) << i;
                ASSERT_TRUE(s.samples.empty()) << i;
                ++byType[0];
                break;
            case FileType::Type50:
                ASSERT_TRUE(s.integrityPassed.has_value()) << i;
                ASSERT_EQ(s.hasSamples, *s.integrityPassed >= 3) << i;
                ASSERT_LE(*s.integrityPassed, s.samples.size()) << i;
                ++byType[1];
                break;
            case FileType::Type60:
                ASSERT_TRUE(s.hasSamples) << i;
                ASSERT_FALSE(s.samples.empty()) << i;
                ++byType[2];
                break;
        }
        for (const auto& sample : s.samples) {
            ASSERT_LE(sample.positionText.size(), 24u) << i;
            ASSERT_EQ(sample.positionText, sample.sync.positionText) << i;
        }
    }
    // The damage is mild often enough that every outcome occurs.
    EXPECT_GT(byType[0], 100);
    EXPECT_GT(byType[1], 100);
    EXPECT_GT(byType[2], 100);
}

void ExpectSoundSamples(const FilmSamples& s, int i) {
    for (const auto& sample : s.samples) {
        ASSERT_LE(sample.positionText.size(), 24u) << i;
        ASSERT_EQ(sample.positionText, sample.sync.positionText) << i;
        if (sample.fixValid) {
            ASSERT_LE(std::fabs(sample.latitude), 90.0) << i;
            ASSERT_LE(std::fabs(sample.longitude), 180.0) << i;
        }
        for (const int32_t g : sample.gsensor) {
            ASSERT_GE(g, 0) << i;
            ASSERT_LE(g, 5120000) << i;
        }
    }
    ASSERT_EQ(s.records.size(), s.samples.size()) << i;
}

TEST(Robustness, DamagedGoProFilmsLoadToDefinedResults) {
    TempDir dir;
    std::vector<Bytes> payloads;
    for (int k = 0; k < 6; ++k) {
        payloads.push_back(k % 3 == 2 ? Accel("") : Join(Gps5(k % 2 ? 3 : 0), Accel("")));
    }
    payloads.push_back(Gps9(3));
    const Bytes base = GpmfFilm(payloads);
    {
        const auto s = LoadFilmSamples(dir.write("base.mp4", base), {});
        ASSERT_EQ(s.source, RecordSource::Gpmf);
        ASSERT_EQ(s.samples.size(), payloads.size());
    }
    std::mt19937 rng(20261209);
    int bySource[2] = {};
    for (int i = 0; i < 3000; ++i) {
        Bytes film = base;
        for (int rounds = 1 + int(rng() % 3); rounds > 0; --rounds) Damage(film, rng);
        // Also inside the payloads, which lie in the media data.
        for (int k = int(rng() % 4); k > 0 && !film.empty(); --k) {
            film[(Ftyp().size() + 8 + rng() % 1500) % film.size()] = uint8_t(rng());
        }
        const FilmSamples s = LoadFilmSamples(dir.write("d.mp4", film), {});
        ASSERT_TRUE(s.source == RecordSource::Gpmf || s.source == RecordSource::None) << i;
        ASSERT_EQ(s.type, FileType::None) << i;
        // Each payload takes at least one 8-byte header of the file.
        ASSERT_LE(s.samples.size(), film.size() / 8) << i;
        ASSERT_EQ(s.hasSamples, !s.samples.empty()) << i;
        ExpectSoundSamples(s, i);
        ++bySource[s.source == RecordSource::Gpmf];
    }
    EXPECT_GT(bySource[0], 100);
    EXPECT_GT(bySource[1], 100);
}

// Logs with damaged lines beside a film without records: the film gets one
// sample per second (5 here) or none, never a crash.
TEST(Robustness, DamagedLogsLoadToDefinedResults) {
    TempDir dir;
    const Bytes film = Cat({Ftyp(), Box("moov", MovieHeaderBox(3848000000u, 600, 3000))});
    const double start = 3848000000.0 - 2082844800.0;
    std::string gpx = "<gpx version=\"1.0\"><trk><trkseg>\n";
    std::string nmea;
    for (int k = 0; k < 6; ++k) {
        const std::time_t t = static_cast<std::time_t>(start) + k;
        std::tm tm{};
        gmtime_r(&t, &tm);
        char when[64], body[128];
        std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &tm);
        gpx += "<trkpt lat=\"22." + std::to_string(k) + "\" lon=\"114.05\"><time>" + when +
               "</time><speed>3</speed></trkpt>\n";
        std::snprintf(body, sizeof body,
                      "GPRMC,%02d%02d%02d.00,A,2230.%03d,N,11403.000,E,5,90,%02d%02d%02d,,,A",
                      tm.tm_hour, tm.tm_min, tm.tm_sec, k, tm.tm_mday, tm.tm_mon + 1,
                      tm.tm_year % 100);
        unsigned sum = 0;
        for (const char* c = body; *c; ++c) sum ^= static_cast<unsigned char>(*c);
        char tail[8];
        std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
        nmea += std::string("$") + body + tail;
    }
    gpx += "</trkseg></trk></gpx>\n";
    const std::string logs[] = {gpx, nmea};
    std::mt19937 rng(20261210);
    int withFix = 0;
    for (int i = 0; i < 2000; ++i) {
        const bool isGpx = i % 2 == 0;
        std::string text = logs[i % 2];
        for (int k = 1 + int(rng() % 6); k > 0; --k) {
            const std::size_t at = rng() % text.size();
            switch (rng() % 3) {
                case 0:  // a changed character (a checksum no longer matches, a time breaks)
                    text[at] = static_cast<char>(rng());
                    break;
                case 1:  // a line cut short
                    text.erase(at, std::min<std::size_t>(text.size() - at, 1 + rng() % 40));
                    break;
                default:  // a time element removed
                    if (const auto t = text.find("<time>", at); t != std::string::npos)
                        text.erase(t, text.find("</time>", t) + 7 - t);
                    break;
            }
            if (text.empty()) text = "x";
        }
        std::filesystem::remove(dir.path() / "film.gpx");
        std::filesystem::remove(dir.path() / "film.nmea");
        dir.write(isGpx ? "film.gpx" : "film.nmea", Bytes(text.begin(), text.end()));
        const FilmSamples s =
            LoadFilmSamples(dir.write("film.mp4", film), {},
                            FilmLocators{LocateType50, LocateType60, [](const std::string&) {}});
        ASSERT_TRUE(s.samples.empty() || s.samples.size() == 5u) << i;
        ASSERT_EQ(s.source, s.samples.empty() ? RecordSource::None
                            : isGpx           ? RecordSource::Gpx
                                              : RecordSource::Nmea)
            << i;
        ExpectSoundSamples(s, i);
        withFix += !s.samples.empty() && s.samples[2].fixValid;
    }
    EXPECT_GT(withFix, 500);
}

}  // namespace
}  // namespace tesmira
