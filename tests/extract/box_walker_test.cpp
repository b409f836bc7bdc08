#include "extract/box_walker.h"

#include <gtest/gtest.h>

#include <functional>

#include "extract/box_builder.h"

namespace tesmira {
namespace {

using namespace test;

std::vector<std::string> Types(BoxWalker w) {
    std::vector<std::string> out;
    BoxHeader b;
    while (w.next(b)) out.emplace_back(b.typeText());
    return out;
}

TEST(BoxWalker, ChildrenAreCheckedAgainstParentAndFile) {
    TempDir dir;
    Bytes tooBig = Box("bbbb", Bytes(4, 0));
    tooBig[3] = 200;  // claims 200 bytes, parent holds far fewer
    const Bytes parent = Box("moov", Cat({Box("aaaa", Bytes(3, 1)), LargeBox("wide", Bytes(5, 2)),
                                          tooBig, Box("cccc", {})}));
    const Bytes file = Cat({parent, Box("next", Bytes(40, 0))});
    FilmReader reader(dir.write("w.mp4", file));
    ASSERT_TRUE(reader.isOpen());
    BoxWalker top(reader, 0, reader.size());
    BoxHeader moov;
    ASSERT_TRUE(top.next(moov));
    EXPECT_EQ(moov.size, parent.size());

    BoxWalker kids = top.children(moov);
    BoxHeader b;
    ASSERT_TRUE(kids.next(b));
    EXPECT_EQ(b.contentSize(), 3u);
    ASSERT_TRUE(kids.next(b));
    EXPECT_EQ(b.typeText(), "wide");
    EXPECT_EQ(b.headerSize, 16u);
    EXPECT_EQ(b.contentStart(), b.start + 16);
    EXPECT_EQ(b.contentSize(), 5u);
    ASSERT_TRUE(kids.next(b));
    EXPECT_EQ(b.typeText(), "bbbb");
    EXPECT_TRUE(b.truncated);
    EXPECT_EQ(b.end(), moov.end());  // cut to the parent, never into "next"
    EXPECT_FALSE(kids.next(b));      // "cccc" lies inside the cut box

    // The file ends: a walk bounded beyond it stops at its end.
    BoxWalker past(reader, 0, ~uint64_t{0});
    EXPECT_EQ(Types(past), (std::vector<std::string>{"moov", "next"}));
}

TEST(BoxWalker, NestingLimitStopsDescent) {
    TempDir dir;
    Bytes nested = Box("leaf", {});
    for (int i = 0; i < 40; ++i) nested = Box("nest", nested);
    FilmReader reader(dir.write("n.mp4", nested));
    int deepest = 0;
    std::function<void(BoxWalker)> descend = [&](BoxWalker w) {
        BoxHeader b;
        while (w.next(b)) {
            deepest = std::max(deepest, w.depth());
            descend(w.children(b));
        }
    };
    descend(BoxWalker(reader, 0, reader.size()));
    EXPECT_EQ(deepest, BoxWalker::kMaxDepth);
}

TEST(BoxWalker, TopLevelScanRules) {
    TempDir dir;
    auto find = [&](const Bytes& bytes) {
        FilmReader reader(dir.write("t.mp4", bytes));
        return BoxWalker::findTopLevel(reader, "moov");
    };
    // Sizes 0 step one byte; odd sizes below 8 step by their size.
    const Bytes moov = Box("moov", Bytes(4, 0));
    auto found = find(Cat({Bytes(3, 0), Bytes{0, 0, 0, 0, 0, 0, 0, 0}, moov}));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->start, 11u);
    found = find(Cat({Bytes{0, 0, 0, 5, 'j'}, Bytes{0, 0, 0}, moov}));  // 5 + three zero steps
    ASSERT_TRUE(found);
    EXPECT_EQ(found->start, 8u);

    // A zero run ending right where a "moov" of size field 0 begins.
    Bytes open(100, 0);
    PutType(open, "moov");
    open.resize(130, 0);
    found = find(open);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->start, 96u);
    EXPECT_EQ(found->end(), 130u);

    // Box sizes past the end of the file end the scan; so does a cut header.
    Bytes big;
    PutBE32(big, 0x7FFFFFFF);
    PutType(big, "mdat");
    EXPECT_FALSE(find(Cat({big, moov})));
    EXPECT_FALSE(find(Cat({Box("free", {}), Bytes{0, 0, 0, 9, 'm', 'o', 'o'}})));
    // A size field of 1 with an unusable 64-bit size steps one byte, where
    // the next size field reads 256.
    found = find(Cat({Bytes{0, 0, 0, 1}, Bytes(253, 0), moov}));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->start, 257u);
}

}  // namespace
}  // namespace tesmira
