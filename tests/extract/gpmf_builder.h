#pragma once
// Builds GPMF payloads (KLV: key, type, structure size, repeat, data padded to
// four bytes) and small films with a "gpmd" track, for the tests.

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "extract/box_builder.h"

namespace tesmira::test {

inline void be16(Bytes& b, int v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}
inline void be32(Bytes& b, int64_t v) {
    be16(b, static_cast<int>((v >> 16) & 0xFFFF));
    be16(b, static_cast<int>(v & 0xFFFF));
}
inline Bytes L(std::initializer_list<int64_t> values) {
    Bytes b;
    for (const auto v : values) be32(b, v);
    return b;
}
inline Bytes S(std::initializer_list<int> values) {
    Bytes b;
    for (const int v : values) be16(b, v);
    return b;
}
inline Bytes Str(const std::string& s) {
    return Bytes(s.begin(), s.end());
}
inline Bytes Klv(const char* key, char type, int structSize, int repeat, const Bytes& data) {
    Bytes b(key, key + 4);
    b.push_back(static_cast<uint8_t>(type));
    b.push_back(static_cast<uint8_t>(structSize));
    be16(b, repeat);
    b.insert(b.end(), data.begin(), data.end());
    b.resize(b.size() + (4 - data.size() % 4) % 4, 0);
    return b;
}
inline Bytes Nest(const char* key, std::initializer_list<Bytes> parts) {
    Bytes data;
    for (const auto& p : parts) data.insert(data.end(), p.begin(), p.end());
    return Klv(key, '\0', 1, static_cast<int>(data.size()), data);
}

inline Bytes Join(const Bytes& a, const Bytes& b) {
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

inline Bytes Cut(Bytes b, std::size_t n) {
    b.resize(std::min(n, b.size()));
    return b;
}

// 22.5 N, 114.05 E, 10 m/s first, a different second sample behind it.
inline Bytes Gps5(int fix) {
    return Nest("DEVC",
                {Klv("DVID", 'L', 4, 1, L({1})),
                 Nest("STRM", {Klv("GPSF", 'L', 4, 1, L({fix})),
                               Klv("GPSU", 'U', 16, 1, Str("261208083000.000")),
                               Klv("SCAL", 'l', 4, 5, L({10000000, 10000000, 1000, 1000, 100})),
                               Klv("GPS5", 'l', 20, 2,
                                   L({225000000, 1140500000, 5000, 10000, 10000, 100000000,
                                      100000000, 0, 0, 0}))})});
}

inline Bytes Gps9(int fix) {
    // 2026-12-08 is day 9838 after 2000-01-01; 08:30:00.500 of the day.
    Bytes sample = L({-338000000, -584000000, 5000, 5000, 5000, 9838, 30600500});
    const Bytes tail = S({150, fix});
    sample.insert(sample.end(), tail.begin(), tail.end());
    return Nest("DEVC",
                {Nest("STRM", {Klv("TYPE", 'c', 9, 1, Str("lllllllSS")),
                               Klv("SCAL", 'l', 4, 9,
                                   L({10000000, 10000000, 1000, 1000, 100, 1, 1000, 100, 1})),
                               Klv("GPS9", '?', 32, 1, sample)})});
}

// Two samples, (981, 0, -981) and (981, 981, -981) in m/s² over 100, in the
// order ORIN or the device name (DVNM, none when empty) gives.
inline Bytes Accel(const std::string& orin, const std::string& deviceName = "") {
    Bytes strm;
    if (!orin.empty()) {
        const Bytes o = Klv("ORIN", 'c', 3, 1, Str(orin));
        strm.insert(strm.end(), o.begin(), o.end());
    }
    for (const auto& p : {Klv("SCAL", 's', 2, 1, S({100})),
                          Klv("ACCL", 's', 6, 2, S({981, 0, -981, 981, 981, -981}))}) {
        strm.insert(strm.end(), p.begin(), p.end());
    }
    Bytes device;
    if (!deviceName.empty())
        device = Klv("DVNM", 'c', static_cast<int>(deviceName.size()), 1, Str(deviceName));
    const Bytes nested = Klv("STRM", '\0', 1, static_cast<int>(strm.size()), strm);
    device.insert(device.end(), nested.begin(), nested.end());
    return Klv("DEVC", '\0', 1, static_cast<int>(device.size()), device);
}

// n three-axis samples of structSize bytes (6, or more with padding values
// behind the axes) under a HERO5 device name, so stored Z, X, Y; *mean gets
// the mean of each stored axis, in m/s².
inline Bytes ManyAccel(int n, int structSize, std::array<double, 3>* mean) {
    Bytes samples;
    std::array<double, 3> sum{};
    for (int k = 0; k < n; ++k) {
        const int v[3] = {(k * 37) % 2001 - 1000, k % 2 == 0 ? -32768 : 32767, 500 - k * 3};
        for (int a = 0; a < 3; ++a) {
            be16(samples, v[a]);
            sum[a] += v[a];
        }
        for (int pad = 6; pad < structSize; pad += 2) be16(samples, 12345);
    }
    for (int a = 0; a < 3; ++a) (*mean)[a] = sum[a] / n / 100;
    return Nest("DEVC", {Klv("DVNM", 'c', 11, 1, Str("HERO5 Black")),
                         Nest("STRM", {Klv("SCAL", 's', 2, 1, S({100})),
                                       Klv("ACCL", 's', structSize, n, samples)})});
}

// A film whose "moov" holds a movie header (creation time, duration) and a
// "gpmd" metadata track with the payloads, one per chunk.
inline Bytes MovieHeaderBox(uint32_t created1904, uint32_t timescale, uint32_t duration) {
    Bytes p;
    PutBE32(p, 0);
    PutBE32(p, created1904);
    PutBE32(p, created1904);
    PutBE32(p, timescale);
    PutBE32(p, duration);
    p.resize(100, 0);
    return Box("mvhd", p);
}

// With a sound record, a sound track's one chunk starts the media data and
// the record lies 65584 bytes into it, where a type-50 film has its record.
inline Bytes GpmfFilm(const std::vector<Bytes>& payloads, const Bytes& soundRecord = {}) {
    const uint64_t mdatStart = Ftyp().size();
    Bytes media;
    Bytes soundTrak;
    if (!soundRecord.empty()) {
        media.assign(65584, 0x21);
        media.insert(media.end(), soundRecord.begin(), soundRecord.end());
        soundTrak = Trak("soun", Stco({static_cast<uint32_t>(mdatStart + 8)}));
    }
    std::vector<uint32_t> offsets, sizes;
    for (const Bytes& p : payloads) {
        offsets.push_back(static_cast<uint32_t>(mdatStart + 8 + media.size()));
        sizes.push_back(static_cast<uint32_t>(p.size()));
        media.insert(media.end(), p.begin(), p.end());
    }
    Bytes stsd, stsc, stsz;
    PutBE32(stsd, 0);
    PutBE32(stsd, 1);
    PutBE32(stsd, 16);
    PutType(stsd, "gpmd");
    PutBE32(stsd, 0);
    PutBE32(stsd, 1);
    for (const uint32_t v : {0u, 1u, 1u, 1u, 1u}) PutBE32(stsc, v);
    PutBE32(stsz, 0);
    PutBE32(stsz, 0);
    PutBE32(stsz, static_cast<uint32_t>(sizes.size()));
    for (const uint32_t v : sizes) PutBE32(stsz, v);
    const Bytes stbl =
        Cat({Box("stsd", stsd), Box("stsc", stsc), Box("stsz", stsz), Stco(offsets)});
    const Bytes trak =
        Box("trak", Box("mdia", Cat({Hdlr("meta"), Box("minf", Box("stbl", stbl))})));
    const auto seconds = static_cast<uint32_t>(payloads.size());
    return Cat(
        {Ftyp(), Box("mdat", media),
         Box("moov", Cat({MovieHeaderBox(3848000000u, 1000, seconds * 1000), soundTrak, trak}))});
}

}  // namespace tesmira::test
