// GoPro films: the "gpmd" metadata track's samples, one GPMF payload each.

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "extract/box_walker.h"
#include "extract/film_reader.h"
#include "extract/gpmf_payload.h"
#include "extract/record_sources.h"

namespace tesmira {

namespace {

// A payload larger than this is not telemetry of one second.
constexpr uint64_t kMaxPayload = 16u << 20;

struct MetadataTrack {
    bool gpmd = false;
    std::vector<uint64_t> chunkOffsets;
    std::vector<uint64_t> sampleSizes;
    uint32_t uniformSize = 0;
    uint64_t sampleCount = 0;
    struct ChunkRun {
        uint64_t firstChunk;  // 1-based
        uint64_t samplesPerChunk;
    };
    std::vector<ChunkRun> runs;
};

void walkSampleTable(FilmReader& reader, BoxWalker walker, MetadataTrack& t) {
    BoxHeader box;
    while (walker.next(box)) {
        if (box.is("stsd")) {
            uint8_t c[16];  // version/flags, entry count, first entry's size and format
            ReadBoxContent(reader, box, 0, c, sizeof c);
            t.gpmd = std::memcmp(c + 12, "gpmd", 4) == 0;
        } else if (box.is("stsz")) {
            uint8_t c[12];
            ReadBoxContent(reader, box, 0, c, sizeof c);
            t.uniformSize = ReadBE32(c + 4);
            t.sampleCount = ReadBE32(c + 8);
            t.sampleSizes = t.uniformSize == 0 ? ReadBoxTable(reader, box, 8, 12, 4, 4)
                                               : std::vector<uint64_t>{};
        } else if (box.is("stsc")) {
            // Entries of first chunk, samples per chunk, description index;
            // read as 8-byte values, the two fields come as the high and low halves.
            const auto entries = ReadBoxTable(reader, box, 4, 8, 12, 8);
            t.runs.clear();
            for (const uint64_t e : entries) t.runs.push_back({e >> 32, e & 0xFFFFFFFFu});
        } else if (box.is("stco")) {
            t.chunkOffsets = ReadBoxTable(reader, box, 4, 8, 4, 4);
        } else if (box.is("co64")) {
            t.chunkOffsets = ReadBoxTable(reader, box, 4, 8, 8, 8);
        }
    }
}

template <typename F>
void forEachChild(BoxWalker walker, const char* type, F f) {
    BoxHeader box;
    while (walker.next(box)) {
        if (box.is(type)) f(walker.children(box));
    }
}

struct Payload {
    uint64_t position;
    uint64_t size;
};

// Sample positions from the chunk table, the samples-per-chunk runs and the
// sample sizes. Counts a damaged table claims are bounded by the tables
// present and the file: no sample lies past the end of the file.
std::vector<Payload> payloadsOf(const MetadataTrack& t, uint64_t fileSize) {
    std::vector<Payload> out;
    const uint64_t count = t.uniformSize == 0 ? t.sampleSizes.size() : t.sampleCount;
    // A uniform size too small for one GPMF header would only make the walk long.
    if (t.uniformSize != 0 && t.uniformSize < 8) return out;
    uint64_t sample = 0;
    std::size_t run = 0;
    for (std::size_t chunk = 0; chunk < t.chunkOffsets.size() && sample < count; ++chunk) {
        while (run + 1 < t.runs.size() && t.runs[run + 1].firstChunk <= chunk + 1) ++run;
        const uint64_t perChunk = run < t.runs.size() && t.runs[run].firstChunk <= chunk + 1
                                      ? t.runs[run].samplesPerChunk
                                      : 0;
        uint64_t pos = t.chunkOffsets[chunk];
        for (uint64_t k = 0; k < perChunk && sample < count; ++k, ++sample) {
            const uint64_t size = t.uniformSize == 0 ? t.sampleSizes[sample] : t.uniformSize;
            if (pos >= fileSize || size > fileSize - pos) return out;
            if (size >= 8 && size <= kMaxPayload) out.push_back({pos, size});
            pos += size;
        }
    }
    return out;
}

// Payloads lying close together in the file (telemetry between small chunks
// of other tracks) are read with one read, at most this much at a time; a gap
// wider than kMaxGap is not worth reading through.
constexpr uint64_t kMaxSpan = 256u << 10;
constexpr uint64_t kMaxGap = 16u << 10;

// The end of the span that starts with payloads[first]; next becomes the first
// payload behind it. A span always holds at least its first payload.
uint64_t spanEnd(const std::vector<Payload>& payloads, std::size_t first, std::size_t& next) {
    const uint64_t begin = payloads[first].position;
    uint64_t end = begin + payloads[first].size;
    for (next = first + 1; next < payloads.size(); ++next) {
        const Payload& p = payloads[next];
        if (p.position < end || p.position - end > kMaxGap ||
            p.position + p.size - begin > kMaxSpan)
            break;
        end = p.position + p.size;
    }
    return end;
}

// The camera model a GoPro film names in its user data ("udta"), in a "GPMF"
// box of global settings; empty when it names none.
std::string filmModel(FilmReader& reader, BoxWalker moov) {
    constexpr uint64_t kMaxSettings = 64u << 10;
    std::string model;
    forEachChild(moov, "udta", [&](BoxWalker udta) {
        BoxHeader box;
        while (model.empty() && udta.next(box)) {
            if (!box.is("GPMF") || box.contentSize() > kMaxSettings) continue;
            std::vector<uint8_t> settings(static_cast<std::size_t>(box.contentSize()));
            ReadBoxContent(reader, box, 0, settings.data(), settings.size());
            model = ReadGpmfModel(settings.data(), settings.size());
        }
    });
    return model;
}

VIDEO_GPS_RECORD_T timeRecord(bool fix, const std::optional<GpmfTime>& time) {
    VIDEO_GPS_RECORD_T r;
    r.status = fix ? 'A' : 'V';
    if (time) {
        r.year = time->year;
        r.month = time->month;
        r.day = time->day;
        r.hour = time->hour;
        r.minute = time->minute;
        r.second = time->second;
    }
    return r;
}

}  // namespace

std::optional<SourceSamples> LoadGpmfSource(const std::filesystem::path& film) {
    FilmReader reader(film);
    if (!reader.isOpen()) return std::nullopt;
    const auto moov = BoxWalker::findTopLevel(reader, "moov");
    if (!moov) return std::nullopt;
    std::optional<MetadataTrack> found;
    forEachChild(
        BoxWalker(reader, moov->start, moov->end()).children(*moov), "trak", [&](BoxWalker trak) {
            if (found) return;
            MetadataTrack t;
            forEachChild(trak, "mdia", [&](BoxWalker mdia) {
                forEachChild(mdia, "minf", [&](BoxWalker minf) {
                    forEachChild(minf, "stbl",
                                 [&](BoxWalker stbl) { walkSampleTable(reader, stbl, t); });
                });
            });
            if (t.gpmd) found = std::move(t);
        });
    if (!found) return std::nullopt;
    const std::string model =
        filmModel(reader, BoxWalker(reader, moov->start, moov->end()).children(*moov));

    const std::vector<Payload> payloads = payloadsOf(*found, reader.size());
    if (payloads.empty()) return std::nullopt;
    std::vector<DecimalFix> fixes;
    std::vector<bool> needsCourse;
    SourceSamples out;
    fixes.reserve(payloads.size());
    out.records.reserve(payloads.size());
    std::vector<uint8_t> bytes;
    for (std::size_t first = 0, next = 0; first < payloads.size(); first = next) {
        const uint64_t begin = payloads[first].position;
        const uint64_t end = spanEnd(payloads, first, next);
        bytes.resize(static_cast<std::size_t>(end - begin));
        reader.readDirect(begin, bytes.data(), bytes.size());
        for (std::size_t i = first; i < next; ++i) {
            const GpmfPayload g =
                ReadGpmfPayload(bytes.data() + (payloads[i].position - begin),
                                static_cast<std::size_t>(payloads[i].size), model);
            DecimalFix f;
            f.fix = g.hasGps && g.fix;
            f.latitude = g.latitude;
            f.longitude = g.longitude;
            f.speedKmh = g.speed2d * 3.6;
            // Camera x across, y along, z up are the chart's axes.
            if (g.hasAccel) f.gsensorG = g.accelG;
            fixes.push_back(f);
            needsCourse.push_back(true);
            out.records.push_back(timeRecord(f.fix, g.time));
        }
    }
    CoursesFromPositions(fixes, needsCourse);
    out.samples.reserve(fixes.size());
    for (const DecimalFix& f : fixes) out.samples.push_back(DeriveDecimalSample(f));
    return out;
}

}  // namespace tesmira
