#include "filmwriter/box.h"

#include <set>
#include <stdexcept>

namespace tesmira::filmwriter {
namespace {

bool IsContainer(const std::string& type) {
    static const std::set<std::string> kContainers = {"moov", "trak", "mdia", "minf",
                                                      "stbl", "edts", "dinf"};
    return kContainers.count(type) > 0;
}

}  // namespace

uint32_t ReadU32(const std::vector<uint8_t>& bytes, std::size_t at) {
    if (at + 4 > bytes.size()) throw std::runtime_error("input film: read past the end");
    return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
           (uint32_t{bytes[at + 2]} << 8) | uint32_t{bytes[at + 3]};
}

uint64_t ReadU64(const std::vector<uint8_t>& bytes, std::size_t at) {
    return (uint64_t{ReadU32(bytes, at)} << 32) | ReadU32(bytes, at + 4);
}

void WriteU32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<uint8_t>(v >> (24 - 8 * i));
}

void WriteU64(std::vector<uint8_t>& bytes, std::size_t at, uint64_t v) {
    WriteU32(bytes, at, static_cast<uint32_t>(v >> 32));
    WriteU32(bytes, at + 4, static_cast<uint32_t>(v));
}

void AppendU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (24 - 8 * i)));
}

void AppendU64(std::vector<uint8_t>& out, uint64_t v) {
    AppendU32(out, static_cast<uint32_t>(v >> 32));
    AppendU32(out, static_cast<uint32_t>(v));
}

uint64_t Box::Size() const {
    uint64_t size = 8;
    if (container) {
        for (const auto& child : children) size += child.Size();
    } else {
        size += content.size();
    }
    return size;
}

void Box::AppendTo(std::vector<uint8_t>& out) const {
    const uint64_t size = Size();
    if (size > UINT32_MAX) throw std::runtime_error("box " + type + " too large");
    AppendU32(out, static_cast<uint32_t>(size));
    out.insert(out.end(), type.begin(), type.end());
    if (container) {
        for (const auto& child : children) child.AppendTo(out);
    } else {
        out.insert(out.end(), content.begin(), content.end());
    }
}

Box* Box::Child(const std::string& childType) {
    for (auto& child : children) {
        if (child.type == childType) return &child;
    }
    return nullptr;
}

const Box* Box::Child(const std::string& childType) const {
    return const_cast<Box*>(this)->Child(childType);
}

Box* Box::Find(const std::vector<std::string>& path) {
    Box* box = this;
    for (const auto& step : path) {
        box = box->Child(step);
        if (!box) return nullptr;
    }
    return box;
}

std::vector<Box> ParseBoxes(const std::vector<uint8_t>& bytes, uint64_t begin, uint64_t end,
                            bool topLevel) {
    std::vector<Box> boxes;
    uint64_t pos = begin;
    while (pos < end) {
        if (end - pos < 8) {
            if (topLevel) break;  // trailing bytes
            throw std::runtime_error("input film: box header cut short");
        }
        uint64_t size = ReadU32(bytes, pos);
        uint64_t header = 8;
        if (size == 1) {
            size = ReadU64(bytes, pos + 8);
            header = 16;
        } else if (size == 0 && topLevel) {
            size = end - pos;  // runs to the end of the file
        }
        if (size < header || size > end - pos) {
            throw std::runtime_error("input film: bad box size at " + std::to_string(pos));
        }
        Box box;
        box.type.assign(bytes.begin() + pos + 4, bytes.begin() + pos + 8);
        box.container = IsContainer(box.type);
        if (box.container) {
            box.children = ParseBoxes(bytes, pos + header, pos + size, false);
        } else if (box.type != "mdat") {  // media data is read through the sample tables
            box.content.assign(bytes.begin() + pos + header, bytes.begin() + pos + size);
        }
        boxes.push_back(std::move(box));
        pos += size;
    }
    return boxes;
}

}  // namespace tesmira::filmwriter
