// Thousands of randomly damaged or truncated copies of small films must each
// load to a defined result: no crash, no overread, no huge allocation.

#include <gtest/gtest.h>

#include <random>

#include "extract/box_builder.h"
#include "extract/film_samples.h"

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

}  // namespace
}  // namespace tesmira
