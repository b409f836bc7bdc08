#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace tesmira {

// A frame of 4-byte pixels in B, G, R, padding order, top row first.
struct BgrxFrame {
    const unsigned char* data = nullptr;
    std::int64_t size = 0;  // bytes available at data
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t stride = 0;  // bytes from one row to the next
};

// The frame as an uncompressed 24-bit BMP (14-byte file header, 40-byte info header, rows
// bottom-up padded to 4 bytes). Empty when the frame's numbers do not fit its bytes or the
// file would exceed the format's 32-bit sizes.
QByteArray encodeBmp24(const BgrxFrame& frame);

// Writes encodeBmp24(frame) to path, replacing any existing file as a whole.
bool writeBmp24(const QString& path, const BgrxFrame& frame, QString* error);

}  // namespace tesmira
