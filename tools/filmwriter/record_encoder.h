#pragma once
// Turning a track row into the 120-byte little-endian record a film carries.

#include <array>
#include <cstdint>

#include "filmwriter/track_row.h"

namespace tesmira::filmwriter {

inline constexpr std::size_t kRecordBytes = 120;
using RecordBytes = std::array<uint8_t, kRecordBytes>;

// The two record flavours differ only in the speed unit: type-60 films carry knots.
enum class RecordFlavour { Type50, Type60 };

inline constexpr double kKmhPerKnot = 1.852;

// paddingByte fills the padding and reserved bytes (readers must ignore them).
RecordBytes EncodeRecord(const TrackRow& row, RecordFlavour flavour, uint8_t paddingByte = 0);

}  // namespace tesmira::filmwriter
