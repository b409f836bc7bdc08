#pragma once
// A cursor over the boxes of an ISO base media file (MP4, MOV). Every size is
// checked against what is left of the parent and of the file, in 64-bit
// arithmetic, so any walk ends and never reads outside its parent.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "extract/film_reader.h"

namespace tesmira {

struct BoxHeader {
    uint64_t start = 0;       // absolute position of the size field
    uint64_t size = 0;        // whole box, cut to what the parent and the file hold
    uint32_t headerSize = 8;  // 16 with a 64-bit size
    std::array<char, 4> type{};
    bool truncated = false;  // the box claimed more bytes than its parent holds

    uint64_t contentStart() const { return start + headerSize; }
    uint64_t end() const { return start + size; }
    uint64_t contentSize() const { return size - headerSize; }
    // Type compared as text: a zero byte ends it.
    bool is(std::string_view name) const { return typeText() == name; }
    bool typeStartsWith(std::string_view prefix) const { return typeText().starts_with(prefix); }
    std::string_view typeText() const;
};

class BoxWalker {
public:
    // Deeper than this no box is entered; real films nest far less.
    static constexpr int kMaxDepth = 16;

    // Walks the boxes lying in [begin, end); end is cut to the file size.
    BoxWalker(FilmReader& reader, uint64_t begin, uint64_t end, int depth = 0);

    // Reads the next box header and moves past the box. False when the walk
    // is over: the parent is used up, or the next header is unusable (size 0,
    // a size below its header, a header that does not fit). A box running
    // past its parent is returned cut to the parent (truncated set) and ends
    // the walk after it.
    bool next(BoxHeader& box);

    // A walker over the children of box, one level deeper; an empty one below
    // the nesting limit.
    BoxWalker children(const BoxHeader& box) const;

    uint64_t position() const { return pos_; }
    int depth() const { return depth_; }

    // The top-level scan: box after box from the start of the file until the
    // first box of the given type; nothing behind it is looked at. A size
    // field of 0 moves on by one byte (runs of zero bytes are skipped in bulk).
    // A found box of size 0 reaches to the end of the file.
    static std::optional<BoxHeader> findTopLevel(FilmReader& reader, std::string_view type);

private:
    FilmReader* reader_;
    uint64_t pos_;
    uint64_t end_;
    int depth_;
};

// Big-endian helpers for box contents.
uint32_t ReadBE32(const uint8_t* p);
uint64_t ReadBE64(const uint8_t* p);

// Reads n bytes of a box's content at offset off; what the box does not hold
// reads as zero.
void ReadBoxContent(FilmReader& reader, const BoxHeader& box, uint64_t off, uint8_t* dst,
                    std::size_t n);

// A table of big-endian entries of entrySize bytes, the first valueSize of
// which are the value, starting at offset tableOff of the box content; the
// entry count is read at countOff. The count is trusted only as far as the
// box (already cut to its parent and the file) can hold the entries.
std::vector<uint64_t> ReadBoxTable(FilmReader& reader, const BoxHeader& box, uint64_t countOff,
                                   uint64_t tableOff, std::size_t entrySize, std::size_t valueSize);

}  // namespace tesmira
