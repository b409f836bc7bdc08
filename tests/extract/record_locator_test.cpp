#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "extract/box_builder.h"
#include "extract/film_samples.h"

namespace tesmira {
namespace {

using namespace test;

std::vector<RecordFields> Numbered(int n, char status = 'A') {
    std::vector<RecordFields> recs(n);
    for (int i = 0; i < n; ++i) {
        recs[i].status = status;
        recs[i].speed = 10.0 + i;
        recs[i].second = i;
    }
    return recs;
}

std::vector<double> Speeds(const std::vector<VIDEO_GPS_RECORD_T>& recs) {
    std::vector<double> out;
    for (const auto& r : recs) out.push_back(r.speed);
    return out;
}

TEST(RecordLocator, Type50FindsMoovBehindMediaWithStcoAndCo64) {
    TempDir dir;
    for (bool co64 : {false, true}) {
        const auto film = dir.write("a.mp4", Type50Film(Numbered(4), co64));
        std::vector<VIDEO_GPS_RECORD_T> recs;
        ASSERT_TRUE(LocateType50(film, recs)) << co64;
        EXPECT_EQ(Speeds(recs), (std::vector<double>{10, 11, 12, 13})) << co64;
        EXPECT_EQ(recs[3].second, 3);
        EXPECT_FALSE(LocateType60(film, recs));  // no "gps" box
        EXPECT_TRUE(recs.empty());
    }
}

TEST(RecordLocator, Type50TrackRules) {
    TempDir dir;
    const uint64_t chunk = Ftyp().size() + 8;
    std::vector<RecordFields> recs = Numbered(3);
    const Bytes base = Type50Film(recs);
    std::vector<VIDEO_GPS_RECORD_T> out;

    // Two sound tracks: the second one gives the records.
    const Bytes two = Type50Film(recs, false, Trak("soun", Stco({uint32_t(chunk + 240)})));
    ASSERT_TRUE(LocateType50(dir.write("two.mp4", two), out));
    EXPECT_EQ(Speeds(out), (std::vector<double>{12}));

    // ... also when the second one's table is empty: then there is nothing.
    const Bytes emptyLast = Type50Film(recs, false, Trak("soun", Stco({})));
    EXPECT_FALSE(LocateType50(dir.write("empty-last.mp4", emptyLast), out));

    // A track without "mdia" is class 0, even with a chunk table inside.
    const Bytes noMdia = Cat(
        {Ftyp(), Box("mdat", Bytes(65584 + 120, 0)),
         Box("moov",
             Box("trak", Cat({Hdlr("soun"), Box("minf", Box("stbl", Stco({uint32_t(chunk)})))})))});
    EXPECT_FALSE(LocateType50(dir.write("nomdia.mp4", noMdia), out));

    // A data handler inside "minf" (MOV) does not override the media handler,
    // and a later chunk table in "stbl" replaces the earlier one.
    const Bytes mov = Cat(
        {Ftyp(), Box("mdat", Bytes(65584 + 360, 0)),
         Box("moov",
             Box("trak",
                 Box("mdia",
                     Cat({Hdlr("soun"),
                          Box("minf", Cat({Hdlr("alis"),
                                           Box("stbl", Cat({Stco({1, 2, 3, 4}),
                                                            Stco({uint32_t(chunk)})}))}))}))))});
    Bytes movImage = mov;
    PutAt(movImage, chunk + 65584, EncodeRecord(recs[1]));
    ASSERT_TRUE(LocateType50(dir.write("mov.mov", movImage), out));
    EXPECT_EQ(Speeds(out), (std::vector<double>{11}));

    // A chunk offset box of either kind replaces one of the other kind, each
    // read with its own entry width; the handler may follow "minf".
    auto mixed = [&](const Bytes& first, const Bytes& second) {
        Bytes image =
            Cat({Ftyp(), Box("mdat", Bytes(65584 + 360, 0)),
                 Box("moov",
                     Box("trak", Box("mdia", Cat({Box("minf", Box("stbl", Cat({first, second}))),
                                                  Hdlr("soun")}))))});
        for (int i = 0; i < 3; ++i) PutAt(image, chunk + 65584 + i * 120, EncodeRecord(recs[i]));
        return image;
    };
    ASSERT_TRUE(LocateType50(
        dir.write("co64-last.mp4", mixed(Stco({uint32_t(chunk)}), Co64({chunk + 240, chunk}))),
        out));
    EXPECT_EQ(Speeds(out), (std::vector<double>{12, 10}));
    ASSERT_TRUE(LocateType50(dir.write("stco-last.mp4", mixed(Co64({chunk + 240, chunk}),
                                                              Stco({uint32_t(chunk + 120)}))),
                             out));
    EXPECT_EQ(Speeds(out), (std::vector<double>{11}));

    // A later "hdlr" in the same "mdia" replaces the earlier handler type.
    const Bytes relabelled = Cat(
        {Ftyp(), Box("mdat", Bytes(65584 + 120, 0)),
         Box("moov",
             Box("trak", Box("mdia", Cat({Hdlr("soun"), Hdlr("vide"),
                                          Box("minf", Box("stbl", Stco({uint32_t(chunk)})))}))))});
    EXPECT_FALSE(LocateType50(dir.write("relabel.mp4", relabelled), out));

    // The file cannot be opened, or is not a regular file.
    EXPECT_FALSE(LocateType50(dir.path() / "missing.mp4", out));
    EXPECT_FALSE(LocateType50(dir.path(), out));
    EXPECT_TRUE(out.empty());
}

TEST(RecordLocator, Type60BoxNamesAndScanLimits) {
    TempDir dir;
    std::vector<VIDEO_GPS_RECORD_T> out;
    for (std::string_view type : {std::string_view("gps "), std::string_view("gpsx"),
                                  std::string_view("gps1"), std::string_view("gps\0", 4)}) {
        ASSERT_TRUE(LocateType60(dir.write("g.mp4", Type60Film(Numbered(3), type)), out)) << type;
        EXPECT_EQ(Speeds(out), (std::vector<double>{10, 11, 12}));
    }
    EXPECT_FALSE(LocateType60(dir.write("G.mp4", Type60Film(Numbered(3), "GPS ")), out));
    EXPECT_FALSE(LocateType60(dir.write("g.mp4", Type60Film(Numbered(3), "gp s")), out));

    // Boxes after the first "moov" are never read, not even a second "moov".
    std::vector<uint32_t> positions;
    const Bytes mdat = Type60Media(Numbered(2), Ftyp().size(), positions);
    const Bytes late = Cat({Ftyp(), mdat, Box("moov", Box("mvhd", Bytes(100, 0))),
                            Box("moov", GpsBox("gps ", positions)), GpsBox("gps ", positions)});
    EXPECT_FALSE(LocateType60(dir.write("late.mp4", late), out));

    // A "gps" box inside a track does not count; the last one in "moov" wins.
    const Bytes nested =
        Cat({Ftyp(), mdat,
             Box("moov", Cat({Box("trak", GpsBox("gps ", positions)),
                              GpsBox("gps ", {positions[0]}), GpsBox("gpsA", {positions[1]})}))});
    ASSERT_TRUE(LocateType60(dir.write("nested.mp4", nested), out));
    EXPECT_EQ(Speeds(out), (std::vector<double>{11}));
}

TEST(RecordLocator, DamagedCountsReadOnlyTheEntriesThatFit) {
    TempDir dir;
    const uint64_t chunk = Ftyp().size() + 8;
    std::vector<RecordFields> recs = Numbered(3);
    Bytes film = Type50Film(recs);
    // Replace the sound track's count (the last stco) with 0xFFFFFFFF.
    const Bytes sound = Stco({uint32_t(chunk), uint32_t(chunk + 120), uint32_t(chunk + 240)});
    const auto at = std::search(film.begin(), film.end(), sound.begin(), sound.end());
    ASSERT_NE(at, film.end());
    std::fill(at + 12, at + 16, 0xFF);
    std::vector<VIDEO_GPS_RECORD_T> out;
    ASSERT_TRUE(LocateType50(dir.write("count.mp4", film), out));
    EXPECT_EQ(Speeds(out), (std::vector<double>{10, 11, 12}));

    std::vector<uint32_t> positions;
    const Bytes mdat = Type60Media(Numbered(2), Ftyp().size(), positions);
    const Bytes gps = Cat({Ftyp(), mdat, Box("moov", GpsBox("gps ", positions, 0xFFFFFFFF))});
    ASSERT_TRUE(LocateType60(dir.write("gps.mp4", gps), out));
    EXPECT_EQ(out.size(), 2u);

    // The file ends inside the chunk table: only the entries present are read.
    Bytes cut = Type50Film(recs);
    cut.resize(cut.size() - 4);
    ASSERT_TRUE(LocateType50(dir.write("cut.mp4", cut), out));
    EXPECT_EQ(Speeds(out), (std::vector<double>{10, 11}));
}

TEST(RecordLocator, RecordsAtOrPastTheEndReadAsZeros) {
    TempDir dir;
    std::vector<uint32_t> positions;
    const Bytes mdat = Type60Media(Numbered(1), Ftyp().size(), positions);
    // A trailing box holds the first 20 bytes of the partial record; its
    // status byte (12) is 'A'.
    Bytes tail = Box("free", Bytes(12, 0));
    tail[8 + 4] = 'A';
    // Positions: inside, partly inside, at the end, far past the end.
    auto build = [&](uint32_t end) {
        return Cat(
            {Ftyp(), mdat,
             Box("moov", GpsBox("gps ", {positions[0], end - 48 - 20, end - 48, 0xFFFFFFF0})),
             tail});
    };
    const Bytes film = build(static_cast<uint32_t>(build(0).size()));
    std::vector<VIDEO_GPS_RECORD_T> out;
    ASSERT_TRUE(LocateType60(dir.write("end.mp4", film), out));
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].speed, 10.0);
    EXPECT_EQ(out[1].status, 'A');
    EXPECT_EQ(out[1].marker0, 0);  // beyond the end: zero
    EXPECT_EQ(out[1].year, 0);
    for (int i : {2, 3}) {
        EXPECT_EQ(out[i].status, 0);
        EXPECT_EQ(out[i].speed, 0.0);
        EXPECT_FALSE(HasValidFix(out[i]));
    }

    // 64-bit chunk offsets at the very top of the range, close together, in
    // a film whose "moov" comes first (so the read-ahead window starts at 0).
    const uint64_t top = ~uint64_t{0};
    const Bytes trak = Trak("soun", Co64({top, top - 100, top - 65584, 0}));
    const Bytes highFilm = Cat({Ftyp(), Box("moov", trak), Box("mdat", Bytes(65584 + 120, 'A'))});
    ASSERT_TRUE(LocateType50(dir.write("high.mp4", highFilm), out));
    ASSERT_EQ(out.size(), 4u);
    for (int i : {0, 1, 2}) EXPECT_EQ(out[i].status, 0) << i;
    EXPECT_EQ(out[3].status, 'A');  // chunk 0: the record lies 65584 bytes in
}

TEST(RecordLocator, EveryWalkEnds) {
    TempDir dir;
    std::vector<VIDEO_GPS_RECORD_T> out;
    const uint64_t chunk = Ftyp().size() + 8;
    const Bytes mdat = Box("mdat", Cat({Bytes(65584, 0), EncodeRecord(RecordFields{})}));
    auto withTrakContent = [&](const Bytes& trakChildren) {
        return Cat({Ftyp(), mdat, Box("moov", Box("trak", trakChildren))});
    };
    const Bytes good =
        Box("mdia", Cat({Hdlr("soun"), Box("minf", Box("stbl", Stco({uint32_t(chunk)})))}));

    // A child of size 0 or below 8 before a good child ends that walk.
    for (uint32_t bad : {0u, 4u, 7u}) {
        Bytes broken;
        PutBE32(broken, bad);
        PutType(broken, "free");
        EXPECT_FALSE(LocateType50(dir.write("b.mp4", withTrakContent(Cat({broken, good}))), out))
            << bad;
        // ... after it, the good child has been read.
        EXPECT_TRUE(LocateType50(dir.write("b.mp4", withTrakContent(Cat({good, broken}))), out))
            << bad;
    }

    // A child claiming more than its parent holds is cut to the parent.
    Bytes runaway = good;
    runaway[3] = static_cast<uint8_t>(runaway[3] + 100);  // mdia size + 100
    Bytes film = withTrakContent(runaway);
    film = Cat({film, Box("free", Bytes(200, 0))});
    EXPECT_TRUE(LocateType50(dir.write("r.mp4", film), out));

    // Children running past the end of the file (moov cut short).
    Bytes cut = withTrakContent(good);
    for (std::size_t keep = cut.size() - 1; keep > cut.size() - 60; --keep) {
        Bytes c(cut.begin(), cut.begin() + keep);
        EXPECT_FALSE(LocateType50(dir.write("c.mp4", c), out)) << keep;
    }

    // A header cut off by the end of the file at top level, and empty files.
    EXPECT_FALSE(LocateType50(dir.write("h.mp4", Cat({Ftyp(), Bytes{0, 0, 1}})), out));
    EXPECT_FALSE(LocateType50(dir.write("e.mp4", {}), out));
    EXPECT_FALSE(LocateType60(dir.write("e.mp4", {}), out));
}

TEST(RecordLocator, SixtyFourBitSizesAndZeroRuns) {
    TempDir dir;
    std::vector<VIDEO_GPS_RECORD_T> out;
    // mdat and trak in the 64-bit size form.
    const uint64_t chunk = Ftyp().size() + 16;
    Bytes media(65584 + 120, 0);
    PutAt(media, 65584, EncodeRecord(RecordFields{}));
    const Bytes trak =
        LargeBox("trak", Box("mdia", Cat({Hdlr("soun"), Box("minf", Box("stbl", Co64({chunk})))})));
    const Bytes film = Cat({Ftyp(), LargeBox("mdat", media), Box("moov", trak)});
    ASSERT_TRUE(LocateType50(dir.write("large.mp4", film), out));
    EXPECT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].status, 'A');

    // A long run of zero bytes before "moov": stepped over byte by byte in
    // meaning, found all the same.
    std::vector<uint32_t> positions;
    const Bytes mdat = Type60Media(Numbered(2), Ftyp().size(), positions);
    Bytes zeros(8 * 1024 * 1024 + 3, 0);
    const Bytes padded = Cat({Ftyp(), mdat, zeros, Box("moov", GpsBox("gps ", positions))});
    ASSERT_TRUE(LocateType60(dir.write("zeros.mp4", padded), out));
    EXPECT_EQ(out.size(), 2u);

    // A "moov" whose size field is 0 reaches to the end of the file.
    Bytes open = Cat({Ftyp(), mdat, Bytes(1000, 0)});
    PutBE32(open, 0);
    PutType(open, "moov");
    open = Cat({open, GpsBox("gps ", positions)});
    ASSERT_TRUE(LocateType60(dir.write("open.mp4", open), out));
    EXPECT_EQ(out.size(), 2u);
}

// A film beyond 4 GiB as a sparse file: a 64-bit mdat, "moov" past 4 GiB and
// co64 chunk offsets past 4 GiB.
TEST(RecordLocator, FilmBeyondFourGiB) {
    TempDir dir;
    const auto path = dir.path() / "big.mp4";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const uint64_t moovAt = (uint64_t{5} << 30) + 12345;
    const uint64_t chunk0 = (uint64_t{4} << 30) + 777;
    auto pwriteAll = [&](const Bytes& b, uint64_t pos) {
        return ::pwrite(fd, b.data(), b.size(), static_cast<off_t>(pos)) == ssize_t(b.size());
    };
    Bytes mdatHead;
    PutBE32(mdatHead, 1);
    PutType(mdatHead, "mdat");
    PutBE64(mdatHead, moovAt);
    RecordFields r0, r1;
    r0.speed = 77;
    r1.speed = 88;
    const Bytes moov =
        Box("moov", Cat({Trak("vide", Stco({1, 2})), Trak("soun", Co64({chunk0, chunk0 + 5000}))}));
    const bool written = pwriteAll(mdatHead, 0) && pwriteAll(EncodeRecord(r0), chunk0 + 65584) &&
                         pwriteAll(EncodeRecord(r1), chunk0 + 5000 + 65584) &&
                         pwriteAll(moov, moovAt);
    struct stat st {};
    ::fstat(fd, &st);
    ::close(fd);
    if (!written || uint64_t(st.st_blocks) * 512 > (uint64_t{64} << 20)) {
        GTEST_SKIP() << "no sparse files here";
    }
    std::vector<VIDEO_GPS_RECORD_T> out;
    ASSERT_TRUE(LocateType50(path, out));
    EXPECT_EQ(Speeds(out), (std::vector<double>{77, 88}));
    const auto loaded = LoadFilmSamples(path, {});
    EXPECT_EQ(loaded.type, FileType::Type50);
    EXPECT_EQ(loaded.samples.size(), 2u);
}

}  // namespace
}  // namespace tesmira
