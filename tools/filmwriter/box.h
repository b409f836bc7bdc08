#pragma once
// An ISO base media box held in memory: either raw content or child boxes.

#include <cstdint>
#include <string>
#include <vector>

namespace tesmira::filmwriter {

struct Box {
    std::string type;  // four characters
    bool container = false;
    std::vector<uint8_t> content;  // everything behind the 8-byte header (leaf boxes)
    std::vector<Box> children;     // container boxes

    uint64_t Size() const;
    void AppendTo(std::vector<uint8_t>& out) const;

    Box* Child(const std::string& childType);
    const Box* Child(const std::string& childType) const;
    // Descends through a path such as {"mdia", "minf", "stbl"}; null when missing.
    Box* Find(const std::vector<std::string>& path);
};

// Parses the boxes in bytes[begin, end). Containers known to hold boxes are
// parsed recursively. Throws std::runtime_error on a malformed input film.
std::vector<Box> ParseBoxes(const std::vector<uint8_t>& bytes, uint64_t begin, uint64_t end,
                            bool topLevel);

uint32_t ReadU32(const std::vector<uint8_t>& bytes, std::size_t at);
uint64_t ReadU64(const std::vector<uint8_t>& bytes, std::size_t at);
void WriteU32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t v);
void WriteU64(std::vector<uint8_t>& bytes, std::size_t at, uint64_t v);
void AppendU32(std::vector<uint8_t>& out, uint32_t v);
void AppendU64(std::vector<uint8_t>& out, uint64_t v);

}  // namespace tesmira::filmwriter
