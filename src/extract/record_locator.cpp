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

// Reads up to n bytes of a box's content at offset off; what the box does not
// hold reads as zero.
void readContent(FilmReader& reader, const BoxHeader& box, uint64_t off, uint8_t* dst,
                 std::size_t n) {
    std::memset(dst, 0, n);
    if (off >= box.contentSize()) return;
    const uint64_t avail = std::min<uint64_t>(n, box.contentSize() - off);
    reader.read(box.contentStart() + off, dst, static_cast<std::size_t>(avail));
}

// A table of big-endian entries of entrySize bytes, the first valueSize of
// which are the value, starting at offset tableOff of the box content. The
// count the box claims is trusted only as far as the box (already cut to its
// parent and the file) can hold the entries.
std::vector<uint64_t> readTable(FilmReader& reader, const BoxHeader& box, uint64_t countOff,
                                uint64_t tableOff, std::size_t entrySize, std::size_t valueSize) {
    if (box.contentSize() < tableOff) return {};
    uint8_t countBytes[4];
    readContent(reader, box, countOff, countBytes, 4);
    const uint64_t fits = (box.contentSize() - tableOff) / entrySize;
    const uint64_t count = std::min<uint64_t>(ReadBE32(countBytes), fits);

    std::vector<uint8_t> raw(static_cast<std::size_t>(count) * entrySize);
    reader.read(box.contentStart() + tableOff, raw.data(), raw.size());
    std::vector<uint64_t> values(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const uint8_t* p = raw.data() + i * entrySize;
        values[i] = valueSize == 8 ? ReadBE64(p) : ReadBE32(p);
    }
    return values;
}

void walkSampleTable(FilmReader& reader, BoxWalker walker, TrackEntry& track) {
    BoxHeader box;
    while (walker.next(box)) {
        // The later chunk offset box replaces the earlier one.
        if (box.is("stco")) track.chunkOffsets = readTable(reader, box, 4, 8, 4, 4);
        if (box.is("co64")) track.chunkOffsets = readTable(reader, box, 4, 8, 8, 8);
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
            readContent(reader, box, 0, fields, sizeof fields);
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
            if (box.typeStartsWith("gps")) positions = readTable(reader, box, 4, 8, 8, 4);
        }
    }
    for (uint64_t& pos : positions) pos += kType60RecordOffset;
    records = readRecords(reader, positions);
    return !records.empty();
}

}  // namespace tesmira
