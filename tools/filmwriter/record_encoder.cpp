#include "filmwriter/record_encoder.h"

#include <bit>
#include <cstring>

namespace tesmira::filmwriter {
namespace {

void PutU32(RecordBytes& out, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutI32(RecordBytes& out, std::size_t at, int32_t v) {
    PutU32(out, at, static_cast<uint32_t>(v));
}

void PutF64(RecordBytes& out, std::size_t at, double v) {
    const auto bits = std::bit_cast<uint64_t>(v);
    for (int i = 0; i < 8; ++i) out[at + i] = static_cast<uint8_t>(bits >> (8 * i));
}

// Sums as the camera computes them: 32-bit wrap-around.
int32_t WrapSum(int32_t a, int32_t b, int32_t c) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b) +
                                static_cast<uint32_t>(c));
}

}  // namespace

RecordBytes EncodeRecord(const TrackRow& row, RecordFlavour flavour, uint8_t paddingByte) {
    RecordBytes out;
    out.fill(paddingByte);
    PutI32(out, 0, row.hour);
    PutI32(out, 4, row.minute);
    PutI32(out, 8, row.second);
    out[12] = static_cast<uint8_t>(row.status);
    PutF64(out, 16, row.latitude);
    out[24] = static_cast<uint8_t>(row.latHemisphere);
    PutF64(out, 32, row.longitude);
    out[40] = static_cast<uint8_t>(row.lonHemisphere);
    PutF64(out, 48, flavour == RecordFlavour::Type60 ? row.speedKmh / kKmhPerKnot : row.speedKmh);
    PutF64(out, 56, row.course);
    PutI32(out, 64, row.day);
    PutI32(out, 68, row.month);
    PutI32(out, 72, row.year);
    PutU32(out, 76, row.gsensorX);
    PutU32(out, 80, row.gsensorY);
    PutU32(out, 84, row.gsensorZ);
    const std::string marker = row.marker.value_or("KVR");
    for (std::size_t i = 0; i < 3; ++i) {
        PutI32(out, 88 + 4 * i, static_cast<unsigned char>(i < marker.size() ? marker[i] : 0));
    }
    PutI32(out, 100, row.timeSum.value_or(WrapSum(row.hour, row.minute, row.second)));
    PutI32(out, 104, row.dateSum.value_or(WrapSum(row.day, row.month, row.year)));
    return out;
}

}  // namespace tesmira::filmwriter
