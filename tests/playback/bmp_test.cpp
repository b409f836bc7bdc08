#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "film_fixtures.h"
#include "playback/bmp_writer.h"
#include "playback/film_player.h"

namespace tesmira {
namespace {

std::uint32_t u32(const QByteArray& b, int at) {
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8 |
           static_cast<std::uint8_t>(b[at + 2]) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}

std::uint16_t u16(const QByteArray& b, int at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) |
                                      static_cast<std::uint8_t>(b[at + 1]) << 8);
}

TEST(BmpWriterTest, LaysOutHeadersAndBottomUpPaddedRows) {
    // 3 x 2 pixels, stride 16 (one spare pixel per row), pixel value encodes its place.
    std::vector<unsigned char> frame(32, 0xEE);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            unsigned char* p = &frame[y * 16 + x * 4];
            p[0] = static_cast<unsigned char>(10 * y + x);  // blue
            p[1] = 0x80;                                    // green
            p[2] = static_cast<unsigned char>(200 + x);     // red
            p[3] = 0x55;                                    // padding, never written
        }
    const QByteArray bmp = encodeBmp24({frame.data(), 32, 3, 2, 16});
    // Rows of 9 bytes padded to 12.
    ASSERT_EQ(bmp.size(), 14 + 40 + 2 * 12);
    EXPECT_EQ(u16(bmp, 0), 0x4D42);
    EXPECT_EQ(u32(bmp, 2), static_cast<std::uint32_t>(bmp.size()));
    EXPECT_EQ(u16(bmp, 6), 0);
    EXPECT_EQ(u16(bmp, 8), 0);
    EXPECT_EQ(u32(bmp, 10), 54u);  // 14 + info header, no colour table
    EXPECT_EQ(u32(bmp, 14), 40u);
    EXPECT_EQ(u32(bmp, 18), 3u);
    EXPECT_EQ(u32(bmp, 22), 2u);  // positive height: bottom-up
    EXPECT_EQ(u16(bmp, 26), 1);
    EXPECT_EQ(u16(bmp, 28), 24);
    EXPECT_EQ(u32(bmp, 30), 0u);  // uncompressed
    EXPECT_EQ(u32(bmp, 34), 24u);
    // First stored row is the bottom row (y = 1).
    EXPECT_EQ(static_cast<std::uint8_t>(bmp[54]), 10);
    EXPECT_EQ(static_cast<std::uint8_t>(bmp[55]), 0x80);
    EXPECT_EQ(static_cast<std::uint8_t>(bmp[56]), 200);
    EXPECT_EQ(static_cast<std::uint8_t>(bmp[54 + 6]), 12);
    EXPECT_EQ(static_cast<std::uint8_t>(bmp[54 + 8]), 202);
    for (int i = 63; i < 66; ++i) EXPECT_EQ(bmp[i], 0) << "padding " << i;
    EXPECT_EQ(static_cast<std::uint8_t>(bmp[54 + 12]), 0);  // top row, x = 0
    EXPECT_EQ(static_cast<std::uint8_t>(bmp[54 + 12 + 3]), 1);

    // Numbers that do not fit the bytes are refused, not read past.
    EXPECT_TRUE(encodeBmp24({frame.data(), 27, 3, 2, 16}).isEmpty());
    EXPECT_TRUE(encodeBmp24({frame.data(), 32, 3, 2, 8}).isEmpty());
    EXPECT_TRUE(encodeBmp24({frame.data(), 32, 0, 2, 16}).isEmpty());
    EXPECT_TRUE(encodeBmp24({frame.data(), 32, 3, -2, 16}).isEmpty());
    EXPECT_TRUE(encodeBmp24({nullptr, 32, 3, 2, 16}).isEmpty());
    EXPECT_TRUE(encodeBmp24({frame.data(), INT64_MAX, 1 << 20, 1 << 20, 4 << 20}).isEmpty());
    // The last row needs only its pixels, not a whole stride.
    EXPECT_FALSE(encodeBmp24({frame.data(), 28, 3, 2, 16}).isEmpty());
}

// ffmpeg's own decode of one frame, as top-down B, G, R bytes.
QByteArray ffmpegFrame(const QString& film, const QString& at) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-ss", at, "-i", film, "-frames:v", "1", "-f",
                            "rawvideo", "-pix_fmt", "bgr24", "-"});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) return {};
    return ffmpeg.readAllStandardOutput();
}

// Mean absolute difference over all channels between a 24-bit BMP and top-down BGR bytes.
double meanDifference(const QByteArray& bmp, const QByteArray& bgr, int w, int h) {
    const int row = (w * 3 + 3) / 4 * 4;
    double sum = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; ++x) {
            const int a = static_cast<std::uint8_t>(bmp[54 + (h - 1 - y) * row + x]);
            const int b = static_cast<std::uint8_t>(bgr[y * w * 3 + x]);
            sum += std::abs(a - b);
        }
    return sum / (static_cast<double>(w) * h * 3);
}

TEST(SaveCurrentImageTest, WritesTheShownFrameAndReplacesOldFiles) {
    test::ensureApplication();
    const QString film = test::patternFilm(59.9);
    ASSERT_FALSE(film.isEmpty());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("20240131235959.bmp");
    {
        // A larger earlier file: none of its bytes may survive.
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(1 << 20, 'x'));
    }
    QWidget owner;
    owner.resize(320, 240);
    FilmPlayer player;
    ASSERT_TRUE(player.Open(film, &owner, nullptr));
    // The first frame is decoded shortly after the film opens.
    ASSERT_TRUE(test::pumpUntil([&] { return player.SaveCurrentImage(path); }));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bmp = file.readAll();
    const int n = 40 + 240 * 320 * 3;
    ASSERT_EQ(bmp.size(), 14 + n);
    EXPECT_EQ(u16(bmp, 0), 0x4D42);
    EXPECT_EQ(u32(bmp, 2), static_cast<std::uint32_t>(n + 14));
    EXPECT_EQ(u32(bmp, 10), 54u);
    EXPECT_EQ(u32(bmp, 18), 320u);
    EXPECT_EQ(u32(bmp, 22), 240u);
    EXPECT_EQ(u16(bmp, 28), 24);

    const QByteArray first = ffmpegFrame(film, "0");
    ASSERT_EQ(first.size(), 320 * 240 * 3);
    EXPECT_LT(meanDifference(bmp, first, 320, 240), 4.0);

    // After a seek the file holds the new frame, not the first one.
    ASSERT_TRUE(player.SetPosition(6.0));
    test::pumpFor(800);
    ASSERT_TRUE(player.SaveCurrentImage(path));
    QFile again(path);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    const QByteArray later = again.readAll();
    ASSERT_EQ(later.size(), 14 + n);
    const QByteArray sixth = ffmpegFrame(film, "6");
    ASSERT_EQ(sixth.size(), 320 * 240 * 3);
    const double matchLater = meanDifference(later, sixth, 320, 240);
    EXPECT_LT(matchLater, 4.0);
    EXPECT_GT(meanDifference(later, first, 320, 240), matchLater + 2.0);

    // A path that cannot be written gives false and a reason.
    QString error;
    EXPECT_FALSE(player.SaveCurrentImage(dir.filePath("no/such/folder/x.bmp"), &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace tesmira
