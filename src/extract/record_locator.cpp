// The two record locators: type 50 (records behind the chunks of the sound
// track) and type 60 (records listed in a "gps" box inside "moov").

#include <algorithm>
#include <cstring>
#include <limits>

#include "extract/box_walker.h"
#include "extract/film_reader.h"
#include "extract/film_samples.h"

namespace tesmira {

namespace {

constexpr uint64_t kType50RecordOffset = 65584;  // 0x10030 behind the chunk start
constexpr uint64_t kType60RecordOffset = 48;

// What one "trak" contributes; zero when a part is missing.
struct TrackEntry {
    std::array<char, 4> handlerType{};
    std::vector<uint64_t> chunkOffsets;

    int trackClass() const {
        const std::string_view h(handlerType.data(), 4);
        if (h == "vide") return 1;
        if (h == "soun") return 2;
        if (h == "hint") return 3;
        if (h == "text") return 4;
        return 0;
    }
};

void walkSampleTable(FilmReader& reader, BoxWalker walker, TrackEntry& track) {
    BoxHeader box;
    while (walker.next(box)) {
        // The later chunk offset box replaces the earlier one.
        if (box.is("stco")) track.chunkOffsets = ReadBoxTable(reader, box, 4, 8, 4, 4);
        if (box.is("co64")) track.chunkOffsets = ReadBoxTable(reader, box, 4, 8, 8, 8);
    }
}

void walkMediaInfo(FilmReader& reader, BoxWalker walker, TrackEntry& track) {
    BoxHeader box;
    while (walker.next(box)) {
        if (box.is("stbl")) walkSampleTable(reader, walker.children(box), track);
    }
}

void walkMedia(FilmReader& reader, BoxWalker walker, TrackEntry& track) {
    BoxHeader box;
    while (walker.next(box)) {
        if (box.is("hdlr")) {
            // version and flags, pre-defined, then the handler type.
            uint8_t fields[12];
            ReadBoxContent(reader, box, 0, fields, sizeof fields);
            std::memcpy(track.handlerType.data(), fields + 8, 4);
        } else if (box.is("minf")) {
            walkMediaInfo(reader, walker.children(box), track);
        }
    }
}

void walkTrack(FilmReader& reader, BoxWalker walker, TrackEntry& track) {
    BoxHeader box;
    while (walker.next(box)) {
        if (box.is("mdia")) walkMedia(reader, walker.children(box), track);
    }
}

uint64_t addSaturated(uint64_t a, uint64_t b) {
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max()
                                                        : a + b;
}

// One record per position; a record at or past the end of the file reads as
// zero bytes (a record without fix), a partial one is completed with zeros.
std::vector<VIDEO_GPS_RECORD_T> readRecords(FilmReader& reader,
                                            const std::vector<uint64_t>& positions) {
    std::vector<VIDEO_GPS_RECORD_T> records;
    records.reserve(positions.size());
    uint8_t bytes[kGpsRecordSize];
    uint64_t previous = std::numeric_limits<uint64_t>::max();
    for (const uint64_t pos : positions) {
        // Records of a camera lie a second of film apart: one small read each.
        // Densely packed ones (small chunks) share the read-ahead window.
        const uint64_t gap = pos > previous ? pos - previous : previous - pos;
        if (gap < 16 * 1024) {
            reader.read(pos, bytes, sizeof bytes);
        } else {
            reader.readDirect(pos, bytes, sizeof bytes);
        }
        previous = pos;
        records.push_back(DecodeGpsRecord(bytes));
    }
    return records;
}

// Walker state lives only for one call; the file closes when it returns.
std::optional<BoxWalker> movieWalker(FilmReader& reader) {
    if (!reader.isOpen()) return std::nullopt;
    const auto moov = BoxWalker::findTopLevel(reader, "moov");
    if (!moov) return std::nullopt;
    return BoxWalker(reader, moov->start, moov->end()).children(*moov);
}

}  // namespace

bool LocateType50(const std::filesystem::path& film, std::vector<VIDEO_GPS_RECORD_T>& records) {
    records.clear();
    FilmReader reader(film);
    std::vector<TrackEntry> tracks;
    if (auto walker = movieWalker(reader)) {
        BoxHeader box;
        while (walker->next(box)) {
            if (!box.is("trak")) continue;
            TrackEntry track;
            walkTrack(reader, walker->children(box), track);
            tracks.push_back(std::move(track));
        }
    }
    // With several sound tracks the last one in file order gives the result.
    const auto sound = std::find_if(tracks.rbegin(), tracks.rend(),
                                    [](const TrackEntry& t) { return t.trackClass() == 2; });
    if (sound == tracks.rend() || sound->chunkOffsets.empty()) return false;

    std::vector<uint64_t> positions;
    positions.reserve(sound->chunkOffsets.size());
    for (const uint64_t offset : sound->chunkOffsets) {
        positions.push_back(addSaturated(offset, kType50RecordOffset));
    }
    tracks.clear();
    records = readRecords(reader, positions);
    return !records.empty();
}

bool LocateType60(const std::filesystem::path& film, std::vector<VIDEO_GPS_RECORD_T>& records) {
    records.clear();
    FilmReader reader(film);
    std::vector<uint64_t> positions;
    if (auto walker = movieWalker(reader)) {
        BoxHeader box;
        while (walker->next(box)) {
            // Any fourth character; the last such box replaces earlier ones.
            if (box.typeStartsWith("gps")) positions = ReadBoxTable(reader, box, 4, 8, 8, 4);
        }
    }
    for (uint64_t& pos : positions) pos += kType60RecordOffset;
    records = readRecords(reader, positions);
    return !records.empty();
}

}  // namespace tesmira
