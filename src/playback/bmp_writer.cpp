#include "playback/bmp_writer.h"

#include <QSaveFile>

namespace tesmira {

namespace {

constexpr std::int64_t kFileHeaderBytes = 14;
constexpr std::int64_t kInfoHeaderBytes = 40;
// Far beyond any film picture; keeps every product below in 64 bits and the file below 4 GiB.
constexpr std::int64_t kMaxSide = 32768;

void put16(char* p, std::uint32_t v) {
    p[0] = static_cast<char>(v & 0xff);
    p[1] = static_cast<char>((v >> 8) & 0xff);
}

void put32(char* p, std::uint32_t v) {
    put16(p, v & 0xffff);
    put16(p + 2, v >> 16);
}

}  // namespace

QByteArray encodeBmp24(const BgrxFrame& f) {
    if (!f.data || f.width <= 0 || f.height <= 0 || f.width > kMaxSide || f.height > kMaxSide)
        return {};
    if (f.stride < f.width * 4 || f.size < f.stride * (f.height - 1) + f.width * 4) return {};
    const std::int64_t rowBytes = (f.width * 3 + 3) / 4 * 4;
    const std::int64_t pixelBytes = rowBytes * f.height;
    const std::int64_t fileBytes = kFileHeaderBytes + kInfoHeaderBytes + pixelBytes;
    if (fileBytes > 0x7fffffff) return {};

    QByteArray out(static_cast<qsizetype>(fileBytes), '\0');
    char* p = out.data();
    // File header: "BM", file size, two reserved words, offset of the pixels.
    put16(p, 0x4D42);
    put32(p + 2, static_cast<std::uint32_t>(fileBytes));
    put32(p + 10, static_cast<std::uint32_t>(kFileHeaderBytes + kInfoHeaderBytes));
    // Info header: size, width, height (positive: bottom-up), planes, bits, no compression,
    // image size; resolution and colour counts stay 0.
    char* info = p + kFileHeaderBytes;
    put32(info, static_cast<std::uint32_t>(kInfoHeaderBytes));
    put32(info + 4, static_cast<std::uint32_t>(f.width));
    put32(info + 8, static_cast<std::uint32_t>(f.height));
    put16(info + 12, 1);
    put16(info + 14, 24);
    put32(info + 20, static_cast<std::uint32_t>(pixelBytes));

    char* pixels = info + kInfoHeaderBytes;
    for (std::int64_t y = 0; y < f.height; ++y) {
        const unsigned char* src = f.data + (f.height - 1 - y) * f.stride;
        char* dst = pixels + y * rowBytes;
        for (std::int64_t x = 0; x < f.width; ++x) {
            dst[3 * x] = static_cast<char>(src[4 * x]);
            dst[3 * x + 1] = static_cast<char>(src[4 * x + 1]);
            dst[3 * x + 2] = static_cast<char>(src[4 * x + 2]);
        }
    }
    return out;
}

bool writeBmp24(const QString& path, const BgrxFrame& frame, QString* error) {
    const QByteArray bytes = encodeBmp24(frame);
    if (bytes.isEmpty()) {
        if (error) *error = QStringLiteral("frame cannot be encoded");
        return false;
    }
    // Written aside and renamed over the old file, so no byte of an earlier file survives.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace tesmira
