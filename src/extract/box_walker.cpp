#include "extract/box_walker.h"

#include <algorithm>
#include <cstring>

namespace tesmira {

uint32_t ReadBE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

uint64_t ReadBE64(const uint8_t* p) {
    return static_cast<uint64_t>(ReadBE32(p)) << 32 | ReadBE32(p + 4);
}

std::string_view BoxHeader::typeText() const {
    const auto* zero = std::find(type.begin(), type.end(), '\0');
    return {type.data(), static_cast<std::size_t>(zero - type.begin())};
}

BoxWalker::BoxWalker(FilmReader& reader, uint64_t begin, uint64_t end, int depth)
    : reader_(&reader), pos_(begin), end_(std::min(end, reader.size())), depth_(depth) {
    if (pos_ > end_) pos_ = end_;
}

bool BoxWalker::next(BoxHeader& box) {
    if (end_ - pos_ < 8) {
        pos_ = end_;
        return false;
    }
    uint8_t head[16];
    reader_->read(pos_, head, 8);
    box = BoxHeader{};
    box.start = pos_;
    std::memcpy(box.type.data(), head + 4, 4);
    uint64_t size = ReadBE32(head);
    if (size == 1) {
        if (end_ - pos_ < 16) {
            pos_ = end_;
            return false;
        }
        reader_->read(pos_ + 8, head + 8, 8);
        size = ReadBE64(head + 8);
        box.headerSize = 16;
    }
    if (size < box.headerSize) {  // size 0 or below its own header: nothing sound follows
        pos_ = end_;
        return false;
    }
    if (size > end_ - pos_) {
        size = end_ - pos_;
        box.truncated = true;
    }
    box.size = size;
    pos_ += size;
    return true;
}

BoxWalker BoxWalker::children(const BoxHeader& box) const {
    if (depth_ + 1 > kMaxDepth) return BoxWalker(*reader_, box.end(), box.end(), depth_ + 1);
    return BoxWalker(*reader_, box.contentStart(), box.end(), depth_ + 1);
}

std::optional<BoxHeader> BoxWalker::findTopLevel(FilmReader& reader, std::string_view type) {
    const uint64_t fileSize = reader.size();
    uint64_t pos = 0;
    while (fileSize - pos >= 8) {  // a header cut off by the end of the file ends the scan
        uint8_t head[16];
        reader.read(pos, head, 8);
        BoxHeader box;
        box.start = pos;
        std::memcpy(box.type.data(), head + 4, 4);
        const uint32_t size32 = ReadBE32(head);
        uint64_t size = size32;
        if (size32 == 1 && fileSize - pos >= 16) {
            reader.read(pos + 8, head + 8, 8);
            const uint64_t large = ReadBE64(head + 8);
            if (large >= 16) {
                size = large;
                box.headerSize = 16;
            }
        }

        if (box.is(type)) {
            if (size32 == 0) size = fileSize - pos;            // reaches to the end of the file
            if (size < box.headerSize) size = box.headerSize;  // no room for children
            if (size > fileSize - pos) {
                size = fileSize - pos;
                box.truncated = true;
            }
            box.size = size;
            return box;
        }
        if (size32 == 0) {
            // Every position inside a run of zero bytes has size 0 and an empty
            // type, so the one-byte steps up to the last four zeros before the
            // next non-zero byte are taken at once.
            const uint64_t nonZero = reader.findNonZero(pos + 4, fileSize);
            pos = std::max(pos + 1, nonZero >= 4 ? nonZero - 4 : 0);
            continue;
        }
        if (size > fileSize - pos) break;
        pos += size;
    }
    return std::nullopt;
}

void ReadBoxContent(FilmReader& reader, const BoxHeader& box, uint64_t off, uint8_t* dst,
                    std::size_t n) {
    std::memset(dst, 0, n);
    if (off >= box.contentSize()) return;
    const uint64_t avail = std::min<uint64_t>(n, box.contentSize() - off);
    reader.read(box.contentStart() + off, dst, static_cast<std::size_t>(avail));
}

std::vector<uint64_t> ReadBoxTable(FilmReader& reader, const BoxHeader& box, uint64_t countOff,
                                   uint64_t tableOff, std::size_t entrySize,
                                   std::size_t valueSize) {
    if (box.contentSize() < tableOff) return {};
    uint8_t countBytes[4];
    ReadBoxContent(reader, box, countOff, countBytes, 4);
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

}  // namespace tesmira
