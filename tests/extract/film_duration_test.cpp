// A film's length read from its movie header, whatever the header's version and
// however its sizes are damaged.

#include "extract/movie_header.h"

#include <gtest/gtest.h>

#include <optional>

#include "extract/box_builder.h"

namespace tesmira {
namespace {

using namespace test;

// Version 0 has 32-bit times and duration, version 1 (and any later) 64-bit ones.
Bytes Mvhd(uint8_t version, uint32_t timescale, uint64_t duration) {
    Bytes p;
    PutBE32(p, static_cast<uint32_t>(version) << 24);  // flags 0
    const auto put = [&](uint64_t v) {
        version == 0 ? PutBE32(p, static_cast<uint32_t>(v)) : PutBE64(p, v);
    };
    put(11);  // creation and modification times
    put(12);
    PutBE32(p, timescale);
    put(duration);
    p.resize(p.size() + 80, 0);  // rate, volume, matrix ... not read
    return Box("mvhd", p);
}

Bytes WithSize(Bytes box, uint32_t size) {
    box[0] = static_cast<uint8_t>(size >> 24);
    box[1] = static_cast<uint8_t>(size >> 16);
    box[2] = static_cast<uint8_t>(size >> 8);
    box[3] = static_cast<uint8_t>(size);
    return box;
}

Bytes Payload(const Bytes& box) {
    return Bytes(box.begin() + 8, box.end());
}

Bytes Cut(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

Bytes Moov(const Bytes& children) {
    return Box("moov", children);
}

TEST(FilmDuration, MovieHeaderTable) {
    const Bytes mdat = Box("mdat", Bytes(70000, 0x5A));
    const Bytes track = Trak("vide", Stco({0}));
    const Bytes v0 = Mvhd(0, 1000, 61500);
    const struct {
        const char* what;
        Bytes film;
        std::optional<double> seconds;
    } cases[] = {
        {"version 0", Cat({Ftyp(), Moov(v0)}), 61.5},
        {"version 1, beyond 32 bits", Cat({Ftyp(), Moov(Mvhd(1, 90000, 90000ull * 3600 * 20000))}),
         3600.0 * 20000},
        {"after the media data and a track", Cat({Ftyp(), mdat, Moov(Cat({track, v0}))}), 61.5},
        {"64-bit box size", Cat({Moov(LargeBox("mvhd", Payload(v0)))}), 61.5},
        {"zero length", Cat({Moov(Mvhd(0, 600, 0))}), 0.0},
        {"timescale 0", Cat({Moov(Mvhd(0, 0, 61500))}), std::nullopt},
        {"duration unknown, version 0", Cat({Moov(Mvhd(0, 1000, UINT32_MAX))}), std::nullopt},
        {"duration unknown, version 1", Cat({Moov(Mvhd(1, 1000, UINT64_MAX))}), std::nullopt},
        {"unknown version", Cat({Moov(Mvhd(2, 1000, 5000))}), std::nullopt},
        {"version 0 box too short", Cat({Moov(Box("mvhd", Cut(Payload(v0), 19)))}), std::nullopt},
        {"version 1 box too short", Cat({Moov(Box("mvhd", Cut(Payload(Mvhd(1, 1000, 5000)), 31)))}),
         std::nullopt},
        {"size past the parent, fields inside", Cat({Moov(WithSize(v0, 0x7FFFFFF0))}), 61.5},
        {"size past the parent and the file, fields cut off",
         Cut(Cat({Moov(WithSize(v0, 0x7FFFFFF0))}), 8 + 8 + 10), std::nullopt},
        {"size 0", Cat({Moov(WithSize(v0, 0))}), std::nullopt},
        {"size below its header", Cat({Moov(WithSize(v0, 7))}), std::nullopt},
        {"moov size past the file", Cut(Cat({Ftyp(), WithSize(Moov(v0), 0xFFFFFF00)}), 200), 61.5},
        {"outside moov", Cat({Ftyp(), v0, Moov(track)}), std::nullopt},
        {"no moov", Cat({Ftyp(), mdat}), std::nullopt},
        {"empty file", Bytes{}, std::nullopt},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const auto film = dir.write("f.mp4", c.film);
        EXPECT_EQ(ReadFilmDuration(film), c.seconds) << c.what;
    }
    EXPECT_EQ(ReadFilmDuration(dir.path() / "missing.mp4"), std::nullopt);
    EXPECT_EQ(ReadFilmDuration(dir.path()), std::nullopt);  // a folder
}

}  // namespace
}  // namespace tesmira
