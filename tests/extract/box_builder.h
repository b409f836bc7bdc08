#pragma once
// Builds small ISO base media files for the tests: boxes, chunk tables and
// encoded GPS records, written into a temporary folder.

#include <unistd.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tesmira::test {

using Bytes = std::vector<uint8_t>;

inline void PutBE32(Bytes& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}
inline void PutBE64(Bytes& b, uint64_t v) {
    PutBE32(b, static_cast<uint32_t>(v >> 32));
    PutBE32(b, static_cast<uint32_t>(v));
}
inline void PutType(Bytes& b, std::string_view type) {
    for (std::size_t i = 0; i < 4; ++i) b.push_back(i < type.size() ? type[i] : 0);
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Box(std::string_view type, const Bytes& payload) {
    Bytes b;
    PutBE32(b, static_cast<uint32_t>(payload.size() + 8));
    PutType(b, type);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

// The 64-bit form: size field 1, then the whole size after the type.
inline Bytes LargeBox(std::string_view type, const Bytes& payload) {
    Bytes b;
    PutBE32(b, 1);
    PutType(b, type);
    PutBE64(b, payload.size() + 16);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

inline Bytes Hdlr(std::string_view handler) {
    Bytes p;
    PutBE32(p, 0);        // version, flags
    PutBE32(p, 0);        // pre-defined
    PutType(p, handler);  // handler type
    p.resize(p.size() + 12, 0);
    PutType(p, "name");
    return Box("hdlr", p);
}

// Entry count may differ from the entries present (damaged tables).
inline Bytes Stco(const std::vector<uint32_t>& offsets, uint32_t count) {
    Bytes p;
    PutBE32(p, 0);
    PutBE32(p, count);
    for (uint32_t o : offsets) PutBE32(p, o);
    return Box("stco", p);
}
inline Bytes Stco(const std::vector<uint32_t>& offsets) {
    return Stco(offsets, static_cast<uint32_t>(offsets.size()));
}
inline Bytes Co64(const std::vector<uint64_t>& offsets) {
    Bytes p;
    PutBE32(p, 0);
    PutBE32(p, static_cast<uint32_t>(offsets.size()));
    for (uint64_t o : offsets) PutBE64(p, o);
    return Box("co64", p);
}

inline Bytes GpsBox(std::string_view type, const std::vector<uint32_t>& positions, uint32_t count) {
    Bytes p;
    PutBE32(p, 0);
    PutBE32(p, count);
    for (uint32_t pos : positions) {
        PutBE32(p, pos);
        PutBE32(p, 0x11111111);
    }
    return Box(type, p);
}
inline Bytes GpsBox(std::string_view type, const std::vector<uint32_t>& positions) {
    return GpsBox(type, positions, static_cast<uint32_t>(positions.size()));
}

inline Bytes Trak(std::string_view handler, const Bytes& chunkTable) {
    return Box("trak", Box("mdia", Cat({Hdlr(handler), Box("minf", Box("stbl", chunkTable))})));
}

// Test-side encoder of the 120-byte record, little-endian field by field.
struct RecordFields {
    int32_t hour = 12, minute = 30, second = 15;
    char status = 'A';
    double latitude = 2232.5;
    char latHemisphere = 'N';
    double longitude = 11400.0;
    char lonHemisphere = 'E';
    double speed = 50.0, course = 90.0;
    int32_t day = 8, month = 12, year = 2026;
    uint32_t gx = 1, gy = 2, gz = 3;
    bool goodMarker = true;
};

inline Bytes EncodeRecord(const RecordFields& f) {
    Bytes b(120, 0xEE);  // padding and reserved bytes carry garbage
    auto i32 = [&](std::size_t off, uint32_t v) {
        for (int k = 0; k < 4; ++k) b[off + k] = static_cast<uint8_t>(v >> (8 * k));
    };
    auto f64 = [&](std::size_t off, double v) {
        const auto bits = std::bit_cast<uint64_t>(v);
        for (int k = 0; k < 8; ++k) b[off + k] = static_cast<uint8_t>(bits >> (8 * k));
    };
    i32(0, f.hour);
    i32(4, f.minute);
    i32(8, f.second);
    b[12] = static_cast<uint8_t>(f.status);
    f64(16, f.latitude);
    b[24] = static_cast<uint8_t>(f.latHemisphere);
    f64(32, f.longitude);
    b[40] = static_cast<uint8_t>(f.lonHemisphere);
    f64(48, f.speed);
    f64(56, f.course);
    i32(64, f.day);
    i32(68, f.month);
    i32(72, f.year);
    i32(76, f.gx);
    i32(80, f.gy);
    i32(84, f.gz);
    i32(88, f.goodMarker ? 75 : 0);
    i32(92, 86);
    i32(96, 82);
    i32(100, static_cast<uint32_t>(f.hour + f.minute + f.second));
    i32(104, static_cast<uint32_t>(f.day + f.month + f.year));
    return b;
}

inline void PutAt(Bytes& image, uint64_t pos, const Bytes& data) {
    if (image.size() < pos + data.size()) image.resize(pos + data.size(), 0);
    std::memcpy(image.data() + pos, data.data(), data.size());
}

inline Bytes Ftyp() {
    Bytes p;
    PutType(p, "isom");
    PutBE32(p, 0x200);
    PutType(p, "isom");
    return Box("ftyp", p);
}

// A type-50 film: ftyp, an mdat whose chunks carry the records 65584 bytes in,
// then moov with a video and a sound track (sound chunk table of the given
// kind). Chunk i starts at mdat content + i * 120.
inline Bytes Type50Film(const std::vector<RecordFields>& recs, bool co64 = false,
                        const Bytes& extraMoov = {}) {
    const uint64_t chunkBase = Ftyp().size() + 8;
    Bytes media(65584 + recs.size() * 120, 0x5A);
    std::vector<uint32_t> offsets32;
    std::vector<uint64_t> offsets64;
    for (std::size_t i = 0; i < recs.size(); ++i) {
        PutAt(media, 65584 + i * 120, EncodeRecord(recs[i]));
        offsets32.push_back(static_cast<uint32_t>(chunkBase + i * 120));
        offsets64.push_back(chunkBase + i * 120);
    }
    const Bytes table = co64 ? Co64(offsets64) : Stco(offsets32);
    return Cat({Ftyp(), Box("mdat", media),
                Box("moov", Cat({Box("mvhd", Bytes(100, 0)), Trak("vide", Stco({0, 0})),
                                 Trak("soun", table), extraMoov}))});
}

// Type-60 records: position + 48 within the mdat; returns the mdat box and
// the positions it holds.
inline Bytes Type60Media(const std::vector<RecordFields>& recs, uint64_t mdatStart,
                         std::vector<uint32_t>& positions) {
    Bytes media(recs.size() * 200 + 64, 0x33);
    for (std::size_t i = 0; i < recs.size(); ++i) {
        PutAt(media, i * 200 + 64, EncodeRecord(recs[i]));
        positions.push_back(static_cast<uint32_t>(mdatStart + 8 + i * 200 + 64 - 48));
    }
    return Box("mdat", media);
}

inline Bytes Type60Film(const std::vector<RecordFields>& recs, std::string_view gpsType = "gps ") {
    std::vector<uint32_t> positions;
    const Bytes mdat = Type60Media(recs, Ftyp().size(), positions);
    return Cat({Ftyp(), mdat,
                Box("moov", Cat({Box("mvhd", Bytes(100, 0)), Trak("soun", Stco({})),
                                 GpsBox(gpsType, positions)}))});
}

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tesmira-extract-XXXXXX");
        path_ = ::mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path write(const std::string& name, const Bytes& bytes) const {
        const auto p = path_ / name;
        // Removing first, not truncating: ext4 flushes files replaced by truncation.
        std::filesystem::remove(p);
        std::ofstream(p, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return p;
    }

private:
    std::filesystem::path path_;
};

}  // namespace tesmira::test
