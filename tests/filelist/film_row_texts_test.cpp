#include "filelist/film_row_texts.h"

#include <gtest/gtest.h>

namespace tesmira {
namespace {

TEST(MegabyteText, WholeMebibytesRoundedDown) {
    const struct {
        std::uint64_t bytes;
        const char* text;
    } kCases[] = {{0, "0"},
                  {1'048'575, "0"},
                  {1'048'576, "1"},
                  {3'221'225'471, "3071"},
                  {5'000'000'000'000ULL, "4768371"}};  // the last beyond 32 bits
    for (const auto& c : kCases) EXPECT_EQ(MegabyteText(c.bytes), c.text) << c.bytes;
}

TEST(FilmNameOf, TextAfterTheLastSlash) {
    const struct {
        const char* path;
        const char* name;
    } kCases[] = {
        {"/media/card/DCIM/2024_0101_120000.MP4", "2024_0101_120000.MP4"},
        {"relative/clip.mov", "clip.mov"},
        {"clip.mp4", ""},   // no folder
        {"/clip.mp4", ""},  // the only slash is the first character
        {"/media/card/", ""},
        {"", ""},
    };
    for (const auto& c : kCases) EXPECT_EQ(FilmNameOf(c.path), c.name) << c.path;
}

}  // namespace
}  // namespace tesmira
